// Reads the main window's month calendar as a screen reader does (Active
// Accessibility), in the Windows end-to-end tests:
//
//   accessible_probe.exe
//     the calendar's object (child 0) and each of its children, one a line:
//     0 role=table name="December 2026" description="" state=focusable at=L,T,W,H hit=0
//       children=44
//     1 role=cell name="Sunday, November 29, 2026" description="" state=selectable,focusable
//       at=L,T,W,H hit=1
//     (each on one line): its screen rectangle, and what a hit test at its
//     centre finds.
//   accessible_probe.exe events MS
//     "ready", then for MS milliseconds the calendar's focus, selection,
//     reorder and name change events as they come, with the child's name:
//     focus 12 "Wednesday, December 9, 2026"
//
// Exit code 1 when there is no calendar window or it gives no object.
#include <windows.h>
// After windows.h.
#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

HWND calendar = nullptr;

BOOL CALLBACK FindCalendar(HWND window, LPARAM /*unused*/) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wcscmp(name, L"SysMonthCal32") != 0) return TRUE;
  calendar = window;
  return FALSE;
}

BOOL CALLBACK FindInTopLevel(HWND window, LPARAM /*unused*/) {
  EnumChildWindows(window, FindCalendar, 0);
  return calendar == nullptr ? TRUE : FALSE;
}

std::string Utf8(const wchar_t* text, int length) {
  if (text == nullptr || length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

// A text property, "" when there is none.
template <typename Getter>
std::string Text(Getter get) {
  BSTR text = nullptr;
  if (FAILED(get(&text)) || text == nullptr) return {};
  std::string out = Utf8(text, static_cast<int>(SysStringLen(text)));
  SysFreeString(text);
  return out;
}

std::string Role(IAccessible* object, VARIANT child) {
  VARIANT role;
  VariantInit(&role);
  if (FAILED(object->get_accRole(child, &role)) || role.vt != VT_I4) return "none";
  switch (role.lVal) {
    case ROLE_SYSTEM_TABLE:
      return "table";
    case ROLE_SYSTEM_CELL:
      return "cell";
    case ROLE_SYSTEM_PUSHBUTTON:
      return "pushbutton";
    case ROLE_SYSTEM_CLIENT:
      return "client";
    case ROLE_SYSTEM_LIST:
      return "list";
    case ROLE_SYSTEM_LISTITEM:
      return "listitem";
    default:
      return std::to_string(role.lVal);
  }
}

std::string State(IAccessible* object, VARIANT child) {
  VARIANT state;
  VariantInit(&state);
  if (FAILED(object->get_accState(child, &state)) || state.vt != VT_I4) return "none";
  static const struct {
    long flag;
    const char* name;
  } kNames[] = {{STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_SELECTED, "selected"},
                {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_INVISIBLE, "invisible"},
                {STATE_SYSTEM_SELECTABLE, "selectable"},   {STATE_SYSTEM_FOCUSABLE, "focusable"}};
  std::string out;
  for (const auto& name : kNames) {
    if ((state.lVal & name.flag) != 0) out += (out.empty() ? "" : ",") + std::string(name.name);
  }
  return out.empty() ? "normal" : out;
}

// The child's rectangle on the screen and the child that a hit test at
// its centre finds: "at=L,T,W,H hit=N".
std::string Location(IAccessible* object, VARIANT child) {
  long left = 0;
  long top = 0;
  long width = 0;
  long height = 0;
  object->accLocation(&left, &top, &width, &height, child);
  VARIANT hit;
  VariantInit(&hit);
  object->accHitTest(left + width / 2, top + height / 2, &hit);
  return "at=" + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) +
         "," + std::to_string(height) +
         " hit=" + (hit.vt == VT_I4 ? std::to_string(hit.lVal) : std::string("none"));
}

std::string Name(IAccessible* object, VARIANT child) {
  return Text([&](BSTR* text) { return object->get_accName(child, text); });
}

int Dump(IAccessible* object) {
  long count = 0;
  object->get_accChildCount(&count);
  for (long id = 0; id <= count; ++id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    const std::string description =
        Text([&](BSTR* text) { return object->get_accDescription(child, text); });
    std::printf("%ld role=%s name=\"%s\" description=\"%s\" state=%s %s", id,
                Role(object, child).c_str(), Name(object, child).c_str(), description.c_str(),
                State(object, child).c_str(), Location(object, child).c_str());
    if (id == 0) std::printf(" children=%ld", count);
    std::printf("\n");
  }
  return 0;
}

// The events in their order, told outside the callback: reading a name (a
// call into the program) lets the events that follow be delivered, and
// they wait their turn here.
std::vector<std::pair<const char*, LONG>> events_pending;

void CALLBACK Event(HWINEVENTHOOK /*hook*/, DWORD event, HWND window, LONG object_id, LONG child_id,
                    DWORD /*thread*/, DWORD /*time*/) {
  if (window != calendar || object_id != OBJID_CLIENT) return;
  const char* name = event == EVENT_OBJECT_FOCUS        ? "focus"
                     : event == EVENT_OBJECT_SELECTION  ? "selection"
                     : event == EVENT_OBJECT_REORDER    ? "reorder"
                     : event == EVENT_OBJECT_NAMECHANGE ? "namechange"
                                                        : nullptr;
  if (name != nullptr) events_pending.emplace_back(name, child_id);
}

void TellEvents() {
  while (!events_pending.empty()) {
    const auto [name, child_id] = events_pending.front();
    events_pending.erase(events_pending.begin());
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    std::string text;
    if (SUCCEEDED(AccessibleObjectFromEvent(calendar, OBJID_CLIENT, child_id, &object, &child))) {
      text = Name(object, child);
      object->Release();
    }
    std::printf("%s %ld \"%s\"\n", name, child_id, text.c_str());
    std::fflush(stdout);
  }
}

int Events(DWORD milliseconds) {
  DWORD process = 0;
  GetWindowThreadProcessId(calendar, &process);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr,
                                       Event, process, 0, WINEVENT_OUTOFCONTEXT);
  if (hook == nullptr) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  // The callbacks run inside the message calls: after each wait, what
  // came is told.
  const DWORD end = GetTickCount() + milliseconds;
  for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(end - now, 100), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    TellEvents();
  }
  UnhookWinEvent(hook);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool events = argc == 3 && std::strcmp(argv[1], "events") == 0;
  if (argc != 1 && !events) {
    std::fprintf(stderr, "usage: accessible_probe [events MILLISECONDS]\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EnumWindows(FindInTopLevel, 0);
  if (calendar == nullptr) {
    std::fprintf(stderr, "accessible_probe: no calendar window\n");
    return 1;
  }
  if (events) return Events(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
  IAccessible* object = nullptr;
  const HRESULT got =
      AccessibleObjectFromWindow(calendar, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                 reinterpret_cast<void**>(&object));
  if (FAILED(got) || object == nullptr) {
    std::fprintf(stderr, "accessible_probe: no object (0x%08lx)\n",
                 static_cast<unsigned long>(got));
    return 1;
  }
  const int status = Dump(object);
  object->Release();
  CoUninitialize();
  return status;
}
