#include "platform/win32/win32_accessible.h"

// After win32_api.h (through the header): COM and Active Accessibility.
#include <ole2.h>
#include <oleacc.h>

#include <string>

#include "platform/win32/win32_calendar.h"
#include "platform/win32/win32_text.h"

namespace dv::win32 {

namespace {

// What an object answers once its calendar is gone.
constexpr HRESULT kGone = RPC_E_DISCONNECTED;

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT Child(VARIANT* out, long child) {
  if (out == nullptr) return E_POINTER;
  out->vt = VT_I4;
  out->lVal = child;
  return S_OK;
}

bool IsCell(long child) { return child >= kFirstCellChild && child < kPreviousChild; }
std::size_t CellOf(long child) { return static_cast<std::size_t>(child - kFirstCellChild); }

// The selected day's child; CHILDID_SELF when it is not on the page.
long SelectedChild(const CalendarView& view) {
  const diary::Date selected = view.Selected();
  const std::vector<diary::Date>& page = view.page();
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i] == selected) return kFirstCellChild + static_cast<long>(i);
  }
  return CHILDID_SELF;
}

}  // namespace

// The calendar's IAccessible: the control's client area. Its children are
// simple elements, named by child id.
class CalendarAccessible final : public IAccessible {
 public:
  explicit CalendarAccessible(CalendarView* view) : view_(view) {}
  CalendarAccessible(const CalendarAccessible&) = delete;
  CalendarAccessible& operator=(const CalendarAccessible&) = delete;

  void Disconnect() {
    view_ = nullptr;
    if (standard_ != nullptr) standard_->Release();
    standard_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IAccessible) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      Disconnect();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // IDispatch: the object is read through IAccessible only.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT /*index*/, LCID /*locale*/,
                                        ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID /*iid*/, LPOLESTR* /*names*/, UINT /*count*/,
                                          LCID /*locale*/, DISPID* /*ids*/) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID /*id*/, REFIID /*iid*/, LCID /*locale*/, WORD /*flags*/,
                                   DISPPARAMS* /*params*/, VARIANT* /*result*/,
                                   EXCEPINFO* /*exception*/, UINT* /*argument*/) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    IAccessible* standard = Standard();
    return standard != nullptr ? standard->get_accParent(parent) : kGone;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (!Connected()) return kGone;
    *count = kNextChild;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
    if (dispatch == nullptr) return E_POINTER;
    *dispatch = nullptr;
    long id = 0;
    const HRESULT valid = Check(child, id);
    if (FAILED(valid)) return valid;
    return id == CHILDID_SELF ? E_INVALIDARG : S_FALSE;  // a simple element
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return NoText(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return NoText(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (topic != nullptr) *topic = 0;
    return NoText(child, file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return NoText(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT /*child*/, BSTR /*name*/) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT /*child*/, BSTR /*value*/) override {
    return E_NOTIMPL;
  }

 private:
  ~CalendarAccessible() = default;

  bool Connected() const { return view_ != nullptr && IsWindow(view_->control()) != FALSE; }
  // The child id a VARIANT names, when the calendar is there and has it.
  HRESULT Check(const VARIANT& child, long& id) const {
    if (!Connected()) return kGone;
    if (child.vt != VT_I4 || child.lVal < CHILDID_SELF || child.lVal > kNextChild) {
      return E_INVALIDARG;
    }
    id = child.lVal;
    return S_OK;
  }
  HRESULT NoText(const VARIANT& child, BSTR* out) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    long id = 0;
    const HRESULT valid = Check(child, id);
    return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
  }
  // The window's own client object, for what the calendar adds nothing to.
  IAccessible* Standard() {
    if (!Connected()) return nullptr;
    if (standard_ == nullptr) {
      void* object = nullptr;
      if (SUCCEEDED(CreateStdAccessibleObject(view_->control(), OBJID_CLIENT, IID_IAccessible,
                                              &object))) {
        standard_ = static_cast<IAccessible*>(object);
      }
    }
    return standard_;
  }
  // A child's rectangle in the control's client coordinates.
  RECT Bounds(long id) const {
    RECT r{};
    if (id == CHILDID_SELF) {
      GetClientRect(view_->control(), &r);
      return r;
    }
    const MonthLayout layout = view_->Layout();
    if (id == kPreviousChild) return ToRECT(layout.previous);
    if (id == kNextChild) return ToRECT(layout.next);
    return ToRECT(layout.Cell(static_cast<int>(CellOf(id))));
  }
  long SelectedChild() const { return win32::SelectedChild(*view_); }
  std::wstring Description(long id) const;

  LONG references_ = 1;
  CalendarView* view_;
  IAccessible* standard_ = nullptr;
};

HRESULT CalendarAccessible::get_accName(VARIANT child, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  if (id == kPreviousChild) return Text(Widen(diary::kPreviousMonthName), name);
  if (id == kNextChild) return Text(Widen(diary::kNextMonthName), name);
  if (id == CHILDID_SELF)
    return Text(FormatDate({view_->year(), view_->month(), 1}, DATE_YEARMONTH), name);
  if (CellOf(id) >= view_->page().size()) return S_FALSE;
  return Text(FormatDate(view_->page()[CellOf(id)], DATE_LONGDATE), name);
}

// A day's: whether it is today, and its note's first line when it has one.
std::wstring CalendarAccessible::Description(long id) const {
  const std::size_t cell = CellOf(id);
  if (!IsCell(id) || cell >= view_->page().size()) return {};
  const diary::Date& date = view_->page()[cell];
  return Widen(diary::DayDescription(view_->folder(), date, date == view_->today()));
}

HRESULT CalendarAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (description == nullptr) return E_POINTER;
  *description = nullptr;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  return Text(Description(id), description);
}

HRESULT CalendarAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  role->vt = VT_EMPTY;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  role->vt = VT_I4;
  role->lVal = id == CHILDID_SELF ? ROLE_SYSTEM_TABLE
               : IsCell(id)       ? ROLE_SYSTEM_CELL
                                  : ROLE_SYSTEM_PUSHBUTTON;
  return S_OK;
}

HRESULT CalendarAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  state->vt = VT_EMPTY;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  IAccessible* standard = Standard();
  if (id == CHILDID_SELF && standard != nullptr) return standard->get_accState(child, state);
  const bool visible = IsWindowVisible(view_->control()) != FALSE;
  long flags = visible ? 0 : STATE_SYSTEM_INVISIBLE;
  if (IsCell(id)) {
    flags |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (id == SelectedChild()) {
      flags |= STATE_SYSTEM_SELECTED;
      if (GetFocus() == view_->control()) flags |= STATE_SYSTEM_FOCUSED;
    }
  } else if (id != CHILDID_SELF) {
    const RECT r = Bounds(id);
    if (r.right <= r.left) flags |= STATE_SYSTEM_INVISIBLE;  // the title is hidden
  }
  state->vt = VT_I4;
  state->lVal = flags;
  return S_OK;
}

HRESULT CalendarAccessible::get_accFocus(VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  child->vt = VT_EMPTY;
  if (!Connected()) return kGone;
  if (GetFocus() != view_->control()) return S_FALSE;
  return Child(child, SelectedChild());
}

HRESULT CalendarAccessible::get_accSelection(VARIANT* children) {
  if (children == nullptr) return E_POINTER;
  children->vt = VT_EMPTY;
  if (!Connected()) return kGone;
  const long selected = SelectedChild();
  return selected == CHILDID_SELF ? S_FALSE : Child(children, selected);
}

HRESULT CalendarAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (action == nullptr) return E_POINTER;
  *action = nullptr;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  return Text(IsCell(id) ? L"Select" : L"Press", action);
}

HRESULT CalendarAccessible::accSelect(long flags, VARIANT child) {
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  if (!IsCell(id) || CellOf(id) >= view_->page().size()) return E_INVALIDARG;
  if ((flags & SELFLAG_TAKEFOCUS) != 0) SetFocus(view_->control());
  if ((flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) != 0) {
    view_->Select(view_->page()[CellOf(id)], false);
  }
  return S_OK;
}

HRESULT CalendarAccessible::accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
  *left = *top = *width = *height = 0;
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  RECT r = Bounds(id);
  MapWindowPoints(view_->control(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

// Among the children in their order, and between the cells as they lie in
// the grid; the calendar among its siblings as its window lies.
HRESULT CalendarAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  end->vt = VT_EMPTY;
  long id = 0;
  const HRESULT valid = Check(start, id);
  if (FAILED(valid)) return valid;
  long to = 0;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
      to = id == CHILDID_SELF ? kFirstCellChild : 0;
      break;
    case NAVDIR_LASTCHILD:
      to = id == CHILDID_SELF ? kNextChild : 0;
      break;
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS:
      to = id + (direction == NAVDIR_NEXT ? 1 : -1);
      break;
    case NAVDIR_LEFT:
    case NAVDIR_RIGHT:
      to = IsCell(id) ? id + (direction == NAVDIR_RIGHT ? 1 : -1) : 0;
      break;
    case NAVDIR_UP:
    case NAVDIR_DOWN:
      to = IsCell(id) ? id + (direction == NAVDIR_DOWN ? 7 : -7) : 0;
      break;
    default:
      return E_INVALIDARG;
  }
  if (id == CHILDID_SELF && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
    IAccessible* standard = Standard();
    return standard != nullptr ? standard->accNavigate(direction, start, end) : S_FALSE;
  }
  const bool cells = direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS;
  if (to < kFirstCellChild ||
      to > (cells && id != CHILDID_SELF ? kPreviousChild - 1 : kNextChild)) {
    return S_FALSE;
  }
  return Child(end, to);
}

HRESULT CalendarAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  child->vt = VT_EMPTY;
  if (!Connected()) return kGone;
  POINT point{x, y};
  ScreenToClient(view_->control(), &point);
  RECT client{};
  GetClientRect(view_->control(), &client);
  if (PtInRect(&client, point) == FALSE) return S_FALSE;
  for (const long id : {kPreviousChild, kNextChild}) {
    const RECT r = Bounds(id);
    if (PtInRect(&r, point) != FALSE) return Child(child, id);
  }
  const int cell = view_->Layout().CellAt(point.x, point.y);
  if (cell >= 0 && static_cast<std::size_t>(cell) < view_->page().size()) {
    return Child(child, kFirstCellChild + cell);
  }
  return Child(child, CHILDID_SELF);
}

// A month button is pressed as a click would (after this call returns); a
// day is selected.
HRESULT CalendarAccessible::accDoDefaultAction(VARIANT child) {
  long id = 0;
  const HRESULT valid = Check(child, id);
  if (FAILED(valid)) return valid;
  if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  if (IsCell(id)) return accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, child);
  const RECT r = Bounds(id);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(view_->control(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(view_->control(), WM_LBUTTONUP, 0, at);
  return S_OK;
}

CalendarAccess::~CalendarAccess() {
  if (object_ != nullptr) {
    object_->Disconnect();
    // The clients' proxies let go of it; they answer that it is gone.
    CoDisconnectObject(object_, 0);
    object_->Release();
  }
  if (com_) CoUninitialize();
}

bool CalendarAccess::Answer(WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
  // The object goes to the client through COM, started here on the first
  // request (the program has no other use for it).
  if (!com_) com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (object_ == nullptr) object_ = new CalendarAccessible(&view_);
  result = LresultFromObject(IID_IAccessible, wparam, object_);
  return result >= 0;
}

void CalendarAccess::Notify(DWORD event, long child) const {
  NotifyWinEvent(event, view_.control(), OBJID_CLIENT, child);
}

void CalendarAccess::Changed() {
  const bool first = page_.empty();
  const bool new_page = view_.page() != page_;
  const diary::Date selected = view_.Selected();
  if (!new_page && selected == selected_) return;
  page_ = view_.page();
  selected_ = selected;
  if (first) return;  // nobody has seen the calendar yet
  if (new_page) {
    Notify(EVENT_OBJECT_REORDER, CHILDID_SELF);
    Notify(EVENT_OBJECT_NAMECHANGE, CHILDID_SELF);
  }
  const long child = win32::SelectedChild(view_);
  if (child == CHILDID_SELF) return;
  if (GetFocus() == view_.control()) Notify(EVENT_OBJECT_FOCUS, child);
  Notify(EVENT_OBJECT_SELECTION, child);
}

void CalendarAccess::Focused() {
  const long child = win32::SelectedChild(view_);
  if (child != CHILDID_SELF) Notify(EVENT_OBJECT_FOCUS, child);
}

}  // namespace dv::win32
