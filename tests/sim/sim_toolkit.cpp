#include "sim/sim_toolkit.h"

#include <algorithm>
#include <sstream>

namespace dv::sim {

namespace {

std::string Number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::set<std::string> MembersOf(ControlKind kind) {
  const std::set<std::string> placed = {"Name", "Left", "Top", "Width", "Height", "Move"};
  switch (kind) {
    case ControlKind::Calendar: {
      auto members = placed;
      members.insert({"hWnd", "Today", "SelectDate", "Year", "Month", "Day"});
      return members;
    }
    case ControlKind::PictureBox: {
      auto members = placed;
      members.insert("hWnd");
      return members;
    }
    case ControlKind::Label:
    case ControlKind::Image:
      return placed;
    case ControlKind::Timer:
      return {"Name", "Interval", "Enabled"};
    case ControlKind::Line:
      return {"Name", "X1", "Y1", "X2", "Y2"};
    case ControlKind::Menu:
      return {"Name"};
  }
  return {};
}

std::uint32_t next_handle = 0x1000;

}  // namespace

void Members::Fail(const std::string& key, ErrorKind kind, int times) {
  failures[key] = kind;
  if (times >= 0) {
    remaining_[key] = times;
  } else {
    remaining_.erase(key);
  }
}

int Members::count(const std::string& key) const {
  const auto found = counts.find(key);
  return found == counts.end() ? 0 : found->second;
}

void Members::Touch(const std::string& key, const std::string& detail) const {
  ++const_cast<Members*>(this)->counts[key];
  if (log != nullptr) log->push_back(owner + "." + key + detail);
  const auto failure = failures.find(key);
  if (failure == failures.end()) return;
  const ErrorKind kind = failure->second;
  const auto left = remaining_.find(key);
  if (left != remaining_.end()) {
    if (left->second == 0) return;
    --left->second;
  }
  Raise(kind);
}

SimControl::SimControl(std::string name, ControlKind kind, int index)
    : members(MembersOf(kind)), kind_(kind), name_(std::move(name)), index_(index) {
  book.owner = name_ + (index >= 0 ? "(" + std::to_string(index) + ")" : "");
}

std::unique_ptr<SimControl> SimControl::Placed(std::string name, Single left, Single top,
                                               Single width, Single height, int index) {
  auto control = std::make_unique<SimControl>(std::move(name), ControlKind::PictureBox, index);
  control->props = {{"Left", left}, {"Top", top}, {"Width", width}, {"Height", height}};
  return control;
}

std::unique_ptr<SimControl> SimControl::Line(std::string name, Single x1, Single y1, Single x2,
                                             Single y2) {
  auto control = std::make_unique<SimControl>(std::move(name), ControlKind::Line);
  control->props = {{"X1", x1}, {"Y1", y1}, {"X2", x2}, {"Y2", y2}};
  return control;
}

std::unique_ptr<SimControl> SimControl::MenuItem(std::string name) {
  return std::make_unique<SimControl>(std::move(name), ControlKind::Menu);
}

std::string SimControl::Name() const {
  book.Touch("Name");
  if (members.count("Name") == 0) Raise(ErrorKind::MemberNotSupported);
  return name_;
}

bool SimControl::Has(Member member) const {
  static const std::map<Member, std::string> kNames = {
      {Member::Left, "Left"},   {Member::Top, "Top"},
      {Member::Width, "Width"}, {Member::Height, "Height"},
      {Member::X1, "X1"},       {Member::Y1, "Y1"},
      {Member::X2, "X2"},       {Member::Y2, "Y2"},
      {Member::Move, "Move"},   {Member::IntegralHeight, "IntegralHeight"}};
  if (member == Member::Index) return index_ >= 0;
  return members.count(kNames.at(member)) != 0;
}

std::int32_t SimControl::Index() const {
  book.Touch("Index");
  if (index_ < 0) Raise(ErrorKind::NotAnArray);
  return index_;
}

Single SimControl::Get(const std::string& member) const {
  book.Touch(member);
  if (members.count(member) == 0) Raise(ErrorKind::MemberNotSupported);
  const auto found = props.find(member);
  return found == props.end() ? 0.0F : static_cast<Single>(found->second);
}

void SimControl::Set(const std::string& member, double value) {
  book.Touch(member + "=", "(" + Number(value) + ")");
  if (members.count(member) == 0) Raise(ErrorKind::MemberNotSupported);
  props[member] = value;
}

void SimControl::DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                        std::optional<Single> height) {
  const int arguments = 1 + (top ? 1 : 0) + (width ? 1 : 0) + (height ? 1 : 0);
  std::string detail = "(" + Number(left);
  for (const auto& value : {top, width, height}) {
    if (value) detail += "," + Number(*value);
  }
  book.Touch("Move" + std::to_string(arguments), detail + ")");
  if (members.count("Move") == 0) Raise(ErrorKind::MemberNotSupported);
  props["Left"] = left;
  if (top) props["Top"] = *top;
  if (width) props["Width"] = *width;
  if (height) props["Height"] = *height;
}

std::uint32_t SimControl::hWnd() const {
  book.Touch("hWnd");
  if (members.count("hWnd") == 0) Raise(ErrorKind::MemberNotSupported);
  return static_cast<std::uint32_t>(props.at("hWnd"));
}

void SimControl::Today() {
  book.Touch("Today");
  if (members.count("Today") == 0) Raise(ErrorKind::MemberNotSupported);
  if (on_today) on_today();
}

void SimControl::SelectDate(int year, int month, int day) {
  book.Touch("SelectDate");
  if (members.count("SelectDate") == 0) Raise(ErrorKind::MemberNotSupported);
  props["Year"] = year;
  props["Month"] = month;
  props["Day"] = day;
}

SimWindow::SimWindow(SimToolkit& toolkit, WindowOwner* owner, std::string name)
    : Window(owner), toolkit_(toolkit), name_(std::move(name)), handle_(next_handle++) {
  book.owner = name_;
  book.log = &toolkit.log;
  props = {{"Left", 0},   {"Top", 0},     {"Width", 0},
           {"Height", 0}, {"Visible", 0}, {"WindowState", 0}};
}

SimWindow::~SimWindow() {
  const auto found = toolkit_.windows.find(name_);
  if (found != toolkit_.windows.end() && found->second == this) toolkit_.windows.erase(found);
}

std::string SimWindow::Name() const {
  book.Touch("Name");
  return name_;
}

Single SimWindow::Get(const std::string& member) const {
  book.Touch(member);
  return static_cast<Single>(props.at(member));
}

Single SimWindow::ScaleWidth() const {
  book.Touch("ScaleWidth");
  return std::max<Single>(0, static_cast<Single>(props.at("Width")) - frame_width);
}

Single SimWindow::ScaleHeight() const {
  book.Touch("ScaleHeight");
  return std::max<Single>(0, static_cast<Single>(props.at("Height")) - frame_height);
}

bool SimWindow::Visible() const {
  book.Touch("Visible");
  return props.at("Visible") != 0;
}

void SimWindow::SetVisible(bool value) {
  book.Touch("Visible=", value ? "(1)" : "(0)");
  const bool was = props["Visible"] != 0;
  props["Visible"] = value ? 1 : 0;
  if (value && !was && !shown_once) {
    shown_once = true;
    RaiseResize();
  }
}

bool SimWindow::MDIChild() const {
  book.Touch("MDIChild");
  return mdi_child;
}

std::int16_t SimWindow::WindowState() const {
  book.Touch("WindowState");
  return static_cast<std::int16_t>(props.at("WindowState"));
}

void SimWindow::DoSetWindowState(std::int16_t value) {
  book.Touch("WindowState=", "(" + std::to_string(value) + ")");
  const bool changed = props["WindowState"] != value;
  props["WindowState"] = value;
  if (changed) RaiseResize();
}

void SimWindow::DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                       std::optional<Single> height) {
  std::string detail = "(" + Number(left);
  for (const auto& value : {top, width, height}) {
    if (value) detail += "," + Number(*value);
  }
  book.Touch("Move" + std::to_string(1 + (top ? 1 : 0) + (width ? 1 : 0) + (height ? 1 : 0)),
             detail + ")");
  const bool resized =
      (width && *width != props["Width"]) || (height && *height != props["Height"]);
  props["Left"] = left;
  if (top) props["Top"] = *top;
  if (width) props["Width"] = *width;
  if (height) props["Height"] = *height;
  if (resized) RaiseResize();
}

std::uint32_t SimWindow::hWnd() const {
  book.Touch("hWnd");
  return handle_;
}

std::uint32_t SimWindow::Icon() const {
  book.Touch("Icon");
  return handle_ + 0x100000;
}

void SimWindow::PopupMenu(const std::string& menu) {
  book.Touch("PopupMenu", "(" + menu + ")");
  popups.push_back(menu);
  if (on_popup) on_popup(menu);
}

SimControl& SimWindow::Add(std::unique_ptr<SimControl> control) {
  SimControl& added = *control;
  added.book.log = &toolkit_.log;
  if (added.members.count("hWnd") != 0) added.props["hWnd"] = next_handle++;
  AddControl(std::move(control), added.design_name(), added.design_index());
  return added;
}

SimControl& SimWindow::control(const std::string& name, int index) const {
  return dynamic_cast<SimControl&>(ControlNamed(name, index));
}

struct SimToolkit::Timer : NativeTimer {
  Timer(SimToolkit& owner, std::function<void()> tick) : owner(owner), tick(std::move(tick)) {
    owner.timers.push_back(this);
  }
  ~Timer() override {
    owner.timers.erase(std::find(owner.timers.begin(), owner.timers.end(), this));
  }
  void Start(std::int32_t milliseconds) override { interval = milliseconds; }
  void Stop() override { interval = 0; }
  SimToolkit& owner;
  std::function<void()> tick;
  std::int32_t interval = 0;
};

SimToolkit::SimToolkit() = default;

void SimToolkit::SetTaskVisible(bool visible) {
  log.push_back(std::string("App.TaskVisible=") + (visible ? "1" : "0"));
  task_visible = visible;
}

Single SimToolkit::TwipsPerPixelX() const {
  const_cast<SimToolkit*>(this)->log.push_back("Screen.TwipsPerPixelX");
  return twips_per_pixel;
}

std::int32_t SimToolkit::SystemMetric(int index) const {
  const_cast<SimToolkit*>(this)->log.push_back("GetSystemMetrics(" + std::to_string(index) + ")");
  return index == 0 ? screen_width : screen_height;
}

std::unique_ptr<Window> SimToolkit::CreateWindow(const FormDesign& design, WindowOwner& owner) {
  auto window = std::make_unique<SimWindow>(*this, &owner, design.name);
  window->caption = design.caption;
  if (design.menus.empty()) window->frame_height -= 300;
  const Single width = design.client_width + window->frame_width;
  const Single height = design.client_height + window->frame_height;
  window->props["Width"] = width;
  window->props["Height"] = height;
  if (design.centred) {
    window->props["Left"] = (static_cast<Single>(screen_width) * twips_per_pixel - width) / 2;
    window->props["Top"] = (static_cast<Single>(screen_height) * twips_per_pixel - height) / 2;
  }
  for (const ControlDesign& control : design.controls) {
    if (control.kind == ControlKind::Timer) {
      window->AddTimerForSim(control, *this);
      continue;
    }
    auto sim = std::make_unique<SimControl>(control.name, control.kind, control.index);
    sim->props = {{"Left", control.left},
                  {"Top", control.top},
                  {"Width", control.width},
                  {"Height", control.height}};
    if (control.kind == ControlKind::Calendar) {
      SimControl* calendar = sim.get();
      sim->on_today = [this, calendar] {
        calendar->props["Year"] = today_year;
        calendar->props["Month"] = today_month;
        calendar->props["Day"] = today_day;
      };
    }
    window->Add(std::move(sim));
  }
  std::function<void(const std::vector<MenuDesign>&)> add_menus =
      [&](const std::vector<MenuDesign>& menus) {
        for (const MenuDesign& menu : menus) {
          window->Add(SimControl::MenuItem(menu.name));
          add_menus(menu.items);
        }
      };
  add_menus(design.menus);
  windows[design.name] = window.get();
  log.push_back("Load " + design.name);
  return window;
}

std::unique_ptr<NativeTimer> SimToolkit::CreateTimer(std::function<void()> tick) {
  ++timers_made;
  return std::make_unique<Timer>(*this, std::move(tick));
}

void SimToolkit::FireTimers() {
  const std::vector<Timer*> running = timers;
  for (Timer* timer : running) {
    if (std::find(timers.begin(), timers.end(), timer) != timers.end() && timer->interval > 0) {
      timer->tick();
    }
  }
}

int SimToolkit::RunningTimers() const {
  return static_cast<int>(
      std::count_if(timers.begin(), timers.end(), [](const Timer* t) { return t->interval > 0; }));
}

int SimToolkit::ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) {
  boxes.push_back({prompt, buttons, title});
  log.push_back("MsgBox(" + prompt + ")");
  if (modal_closed) return kIdNone;
  if (while_box_open) {
    // Something that happens while the box is open, e.g. a signal.
    auto during = std::move(while_box_open);
    while_box_open = nullptr;
    during();
    if (modal_closed) return kIdNone;
  }
  if (answers.empty()) return (buttons & 0xF) == kMbYesNo ? kIdNo : kIdOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<TopLevelWindow> SimToolkit::TopLevelWindows() const {
  std::vector<TopLevelWindow> result;
  std::uintptr_t id = 1;
  for (const std::string& title : extra_titles) result.push_back({id++, title});
  for (const auto& [name, window] : windows) {
    if (window->props.at("Visible") != 0) {
      result.push_back({reinterpret_cast<std::uintptr_t>(window), window->caption});
    }
  }
  return result;
}

void SimToolkit::ActivateWindow(std::uintptr_t id) {
  std::string title;
  for (const auto& top : TopLevelWindows()) {
    if (top.id == id) title = top.title;
  }
  activated.push_back(title);
  log.push_back("AppActivate(" + title + ")");
}

void SimToolkit::ChangeDirectory(const std::string& path) {
  current_directory = path;
  log.push_back("ChDir(" + path + ")");
}

std::unique_ptr<OpenFile> SimToolkit::OpenForAppend(const std::string& name) {
  const std::string path = name.find('/') == 0 ? name : current_directory + "/" + name;
  log.push_back("Open(" + path + ")");
  const auto failure = file_failures.find(path);
  // The reason as the system gives it, as the real toolkits pass it on.
  if (failure != file_failures.end()) Raise(failure->second, ErrorDescription(failure->second));
  const auto type = file_types.find(path);
  if (type != file_types.end()) {
    struct Special : OpenFile {
      explicit Special(FileType type) : type(type) {}
      FileType Type() const override { return type; }
      FileType type;
    };
    return std::make_unique<Special>(type->second);
  }
  files.try_emplace(path, "");
  return std::make_unique<OpenFile>();
}

std::optional<std::string> SimToolkit::ReadSetting(const std::string& app,
                                                   const std::string& section,
                                                   const std::string& key) {
  log.push_back("GetSetting(" + key + ")");
  const auto found = settings.find(app + "/" + section + "/" + key);
  if (found == settings.end()) return std::nullopt;
  return found->second;
}

void SimToolkit::WriteSetting(const std::string& app, const std::string& section,
                              const std::string& key, const std::string& value) {
  log.push_back("SaveSetting(" + key + "," + value + ")");
  settings[app + "/" + section + "/" + key] = value;
}

void SimToolkit::WriteSettings(const std::string& app, const std::string& section,
                               const SettingValues& values) {
  ++settings_updates;
  log.push_back("SaveSettings(" + section + ")");
  bool changed = false;
  for (const auto& [key, value] : values) {
    log.push_back("SaveSetting(" + key + "," + value + ")");
    std::string& stored = settings[app + "/" + section + "/" + key];
    changed = changed || stored != value;
    stored = value;
  }
  if (changed) ++store_replacements;
}

bool SimToolkit::NotifyIcon(std::uint32_t operation, const NotifyIconData& record) {
  // Kept as the shell receives it.
  notify_calls.emplace_back(operation, ToBytes(record));
  log.push_back("Shell_NotifyIcon(" + std::to_string(operation) + ")");
  return notify_result && tray_available;
}

bool SimToolkit::CreateProcess(const std::string& command_line, const StartupInfo& startup,
                               ProcessInformation& info, std::string& error) {
  processes.push_back({command_line, startup, current_directory});
  log.push_back("CreateProcess(" + command_line + ")");
  if (!process_result) {
    error = "no text editor is installed";
    return false;
  }
  info = ProcessInformation{1, 2, 3, 4};
  return true;
}

SimWindow& SimToolkit::window(const std::string& name) const { return *windows.at(name); }

bool SimToolkit::HasWindow(const std::string& name) const { return windows.count(name) != 0; }

}  // namespace dv::sim
