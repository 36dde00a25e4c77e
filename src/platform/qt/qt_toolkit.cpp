#include "platform/qt/qt_toolkit.h"

#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPixmapCache>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "diary/program_folder.h"
#include "platform/errors.h"
#include "platform/qt/calendar_accessible.h"
#include "platform/qt/diary_calendar.h"
#include "platform/qt/qt_store.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/x11.h"
#include "platform/qt/xdg.h"
#include "platform/screen.h"

namespace dv::qt {

namespace {

class QtTimer : public NativeTimer {
 public:
  explicit QtTimer(std::function<void()> tick) : timer_(new QTimer) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, std::move(tick));
  }
  // The timer may be destroyed from inside its own tick: Qt deletes it later.
  ~QtTimer() override {
    timer_->stop();
    timer_->disconnect();
    timer_->deleteLater();
  }
  void Start(std::int32_t milliseconds) override { timer_->start(milliseconds); }
  void Stop() override { timer_->stop(); }

 private:
  QTimer* timer_;
};

class PosixFile : public OpenFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }

 private:
  int fd_;
};

const QScreen* Primary() { return QGuiApplication::primaryScreen(); }

const QString kStatusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// The tray message that an activation of the icon stands for; 0 for none.
// A StatusNotifierItem host (KDE, GNOME's AppIndicator, Xfce) has no double
// click: its activation stands for it, and it shows the icon's menu itself.
// On an XEmbed tray a double click arrives as Trigger, then DoubleClick, and
// the program pops up its menu.
int TrayMessage(QSystemTrayIcon::ActivationReason reason, bool status_notifier) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      return kWmLButtonDblClk;
    case QSystemTrayIcon::Trigger:
      return status_notifier ? kWmLButtonDblClk : kWmLButtonUp;
    case QSystemTrayIcon::Context:
      return kWmRButtonUp;
    case QSystemTrayIcon::MiddleClick:
      return kWmMButtonUp;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return 0;
}

}  // namespace

struct QtToolkit::TrayEntry {
  std::unique_ptr<QMenu> menu;  // outlives the icon that shows it
  std::unique_ptr<QSystemTrayIcon> icon;
  bool status_notifier = false;
};

QtToolkit::QtToolkit(QApplication& app, std::string title) : app_(app) {
  app_.setQuitOnLastWindowClosed(false);
  // No pixmap cache: its clean-up timer would wake the program 30 s after
  // each paint, in the tray too. The few small pixmaps this program draws
  // (icons, arrows) are made again at each paint at no measurable cost.
  QPixmapCache::setCacheLimit(0);
  UseProgramStyle();
  InstallCalendarAccessibility();
  const QFileInfo program(QCoreApplication::applicationFilePath());
  ProgramFolderFacts facts;
  facts.program_dir = QDir::cleanPath(program.absolutePath()).toStdString();
  // The package's folder, and the one of this build's own install rules.
  facts.system_bin_dirs = {"/usr/bin", DAYVANE_SYSTEM_BINDIR};
  facts.home = qEnvironmentVariable("HOME").toStdString();
  facts.dayvane_home = qEnvironmentVariable("DAYVANE_HOME").toStdString();
  app_info_.Path = ProgramFolder(facts);
  app_info_.EXEName = program.completeBaseName().toStdString();
  app_info_.Title = std::move(title);
}

QtToolkit::~QtToolkit() {
  tray_.clear();
  removed_tray_.clear();
  settings_.clear();
}

// The program's pixels are the screen's own. Qt measures in device-
// independent pixels, `ratio` device pixels each, so the screen's real
// resolution is its logical one times that ratio.
Single QtToolkit::TwipsPerPixelX() const {
  const QScreen* screen = Primary();
  return TwipsPerPixelAt(
      screen != nullptr ? screen->logicalDotsPerInchX() * screen->devicePixelRatio() : 96.0);
}

Single QtToolkit::TwipsPerPixelY() const {
  const QScreen* screen = Primary();
  return TwipsPerPixelAt(
      screen != nullptr ? screen->logicalDotsPerInchY() * screen->devicePixelRatio() : 96.0);
}

std::int32_t QtToolkit::SystemMetric(int index) const {
  const QScreen* screen = Primary();
  if (screen == nullptr) return 0;
  const QSize size = screen->geometry().size() * screen->devicePixelRatio();
  return index == 0 ? size.width() : index == 1 ? size.height() : 0;
}

std::vector<Rect> QtToolkit::WorkAreas() const {
  std::vector<Rect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    const qreal ratio = screen->devicePixelRatio();
    areas.push_back({qRound(r.x() * ratio), qRound(r.y() * ratio), qRound(r.width() * ratio),
                     qRound(r.height() * ratio)});
  }
  return areas;
}

std::unique_ptr<Window> QtToolkit::CreateWindow(const FormDesign& design, WindowOwner& owner) {
  const auto prepared = prepared_.find(&design);
  if (prepared != prepared_.end()) {
    std::unique_ptr<QtWindow> window = std::move(prepared->second);
    prepared_.erase(prepared);
    window->Attach(&owner);
    return window;
  }
  return std::make_unique<QtWindow>(*this, design, &owner);
}

void QtToolkit::Prepare(const FormDesign& design) {
  // Built once the start-up window has been painted and the event loop is
  // idle: the calendar, its fonts and the menus are ready at the hand-over
  // without delaying the splash.
  to_prepare_.push_back(&design);
}

void QtToolkit::WindowPainted() {
  if (to_prepare_.empty()) return;
  QTimer::singleShot(0, &app_, [this] {
    const std::vector<const FormDesign*> designs = std::move(to_prepare_);
    to_prepare_.clear();
    for (const FormDesign* design : designs) {
      if (prepared_.count(design) == 0 && !ending_) {
        prepared_[design] = std::make_unique<QtWindow>(*this, *design, nullptr);
      }
    }
  });
}

std::unique_ptr<NativeTimer> QtToolkit::CreateTimer(std::function<void()> tick) {
  return std::make_unique<QtTimer>(std::move(tick));
}

int QtToolkit::ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) {
  if (ending_) return kIdNone;
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(prompt));
  box.setIcon((buttons & kMbIconStop) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon);
  if ((buttons & 0xF) == kMbYesNo) {
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    box.addButton(QMessageBox::No);
    box.setDefaultButton(yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
  }
  open_boxes_.push_back(&box);
  box.exec();
  open_boxes_.removeAll(&box);
  if (ending_) return kIdNone;
  const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
  if (chosen == QMessageBox::Yes) return kIdYes;
  if (chosen == QMessageBox::No) return kIdNo;
  return kIdOk;
}

std::vector<TopLevelWindow> QtToolkit::TopLevelWindows() const {
  std::vector<TopLevelWindow> result;
  for (QtWindow* window : windows_) {
    if (window->Visible()) {
      result.push_back({reinterpret_cast<std::uintptr_t>(window), window->Caption()});
    }
  }
  return result;
}

void QtToolkit::ActivateWindow(std::uintptr_t id) {
  for (QtWindow* window : windows_) {
    if (reinterpret_cast<std::uintptr_t>(window) != id) continue;
    window->widget()->raise();
    window->widget()->activateWindow();
  }
}

std::unique_ptr<OpenFile> QtToolkit::OpenForAppend(const std::string& name) {
  return std::make_unique<PosixFile>(OpenAppendFile(name));
}

SettingsStore& QtToolkit::Settings(const std::string& app) {
  auto& settings = settings_[app];
  if (!settings) settings = std::make_unique<SettingsStore>(SettingsFilePath(app));
  return *settings;
}

std::optional<std::string> QtToolkit::ReadSetting(const std::string& app,
                                                  const std::string& section,
                                                  const std::string& key) {
  return Settings(app).Read(section, key);
}

void QtToolkit::WriteSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) {
  Settings(app).Write(section, {{key, value}});
}

void QtToolkit::WriteSettings(const std::string& app, const std::string& section,
                              const SettingValues& values) {
  Settings(app).Write(section, values);
}

bool QtToolkit::TrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtToolkit::CloseModalUi() {
  ending_ = true;
  for (const QPointer<QMessageBox>& box : open_boxes_) {
    if (box) box->done(0);
  }
  // Nested menus close one by one (a handful at most).
  for (int open = 0; open < 16; ++open) {
    QWidget* popup = QApplication::activePopupWidget();
    if (popup == nullptr) break;
    popup->close();
  }
}

void QtToolkit::WatchTray() {
  if (tray_watched_) return;
  tray_watched_ = true;
  const auto changed = [this](bool available) {
    if (TrayChanged) TrayChanged(available);
  };
  // An XEmbed tray is the owner of an X selection; a StatusNotifierItem host
  // is a name on the session bus.
  x11::WatchSystemTray(changed);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    auto* watcher = new QDBusServiceWatcher(
        kStatusNotifierWatcher, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        &app_);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, &app_,
                     [changed] { changed(true); });
    QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, &app_,
                     [changed] { changed(false); });
  }
}

std::optional<std::string> QtToolkit::TakeTrayChoice(const std::string& menu) {
  if (!tray_choice_ || tray_choice_->first != menu) return std::nullopt;
  std::string item = tray_choice_->second;
  tray_choice_.reset();
  return item;
}

// The menu a StatusNotifierItem host shows on its own: the tray menu of the
// window that receives the icon's messages. Choosing an item sends the
// right-button message, and the pop-up the program then asks for yields
// that item at once, as if it had been chosen there.
std::unique_ptr<QMenu> QtToolkit::ExportedTrayMenu(std::uint32_t hwnd) {
  const auto found = controls_.find(hwnd);
  if (found == controls_.end()) return nullptr;
  for (const MenuDesign& top : found->second->window().design().menus) {
    if (!top.tray_menu) continue;
    auto menu = std::make_unique<QMenu>();
    for (const MenuDesign& item : top.items) {
      QAction* action = menu->addAction(QString::fromStdString(item.caption));
      QObject::connect(action, &QAction::triggered, menu.get(),
                       [this, hwnd, choice = std::make_pair(top.name, item.name)] {
                         tray_choice_ = choice;
                         DeliverTrayMessage(hwnd, kWmRButtonUp);
                       });
    }
    return menu;
  }
  return nullptr;
}

void QtToolkit::DeliverTrayMessage(std::uint32_t hwnd, std::int32_t message) {
  // Posted, as the shell posts its callback messages: the handler then runs
  // from the event loop and not inside the tray icon's own mouse event,
  // which a Quit from the tray menu would delete from under it.
  QTimer::singleShot(0, &app_, [this, hwnd, message] { SendTrayMessage(hwnd, message); });
}

void QtToolkit::SendTrayMessage(std::uint32_t hwnd, std::int32_t message) {
  const auto found = controls_.find(hwnd);
  if (found == controls_.end()) return;
  QtControl* control = found->second;
  const Single x = static_cast<Single>(message) * TwipsPerPixelX();
  control->window().RaiseMouseMove(*control, 0, 0, x, 0);
}

void QtToolkit::ShowRequested() {
  if (tray_.empty()) {
    show_requested_ = true;
    return;
  }
  DeliverTrayMessage(tray_.begin()->first.first, kWmLButtonDblClk);
}

void QtToolkit::OpenNoteRequested(const diary::Date& date) {
  QTimer::singleShot(0, &app_, [this, date] {
    if (NoteRequested) {
      NoteRequested(date);
    } else {
      note_requested_ = date;
    }
  });
}

void QtToolkit::ChangeDirectory(const std::string& path) {
  if (path == app_info_.Path) MakeNotesFolder(path);
  Toolkit::ChangeDirectory(path);
}

bool QtToolkit::NotifyIcon(std::uint32_t operation, const NotifyIconData& record) {
  const auto key = std::make_pair(record.hWnd, record.uID);
  if (operation == kNimDelete) {
    const auto found = tray_.find(key);
    if (found == tray_.end()) return false;
    // The delete may come from inside the icon's own activation (Quit from
    // the tray menu, inside nested event loops): the icon goes away now, the
    // object only with the toolkit.
    found->second->icon->hide();
    removed_tray_.push_back(std::move(found->second));
    tray_.erase(found);
    return true;
  }
  if (operation != kNimAdd || tray_.count(key) != 0) return false;
  auto entry = std::make_unique<TrayEntry>();
  entry->icon = std::make_unique<QSystemTrayIcon>(IconFor(record.hIcon));
  entry->icon->setToolTip(QString::fromStdString(FromAnsi(TipText(record))));
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  entry->status_notifier =
      bus != nullptr && bus->isServiceRegistered(kStatusNotifierWatcher).value();
  if (entry->status_notifier) {
    entry->menu = ExportedTrayMenu(record.hWnd);
    if (entry->menu) entry->icon->setContextMenu(entry->menu.get());
  }
  const bool status_notifier = entry->status_notifier;
  const std::uint32_t hwnd = record.hWnd;
  QObject::connect(entry->icon.get(), &QSystemTrayIcon::activated, entry->icon.get(),
                   [this, hwnd, status_notifier](QSystemTrayIcon::ActivationReason reason) {
                     if (const int message = TrayMessage(reason, status_notifier)) {
                       DeliverTrayMessage(hwnd, message);
                     }
                   });
  // Shown even without a tray now: Qt docks the icon when one appears.
  entry->icon->show();
  WatchTray();
  if (show_requested_) {
    show_requested_ = false;
    DeliverTrayMessage(hwnd, kWmLButtonDblClk);
  }
  if (note_requested_) {
    OpenNoteRequested(*note_requested_);
    note_requested_.reset();
  }
  tray_[key] = std::move(entry);
  return TrayAvailable();
}

bool QtToolkit::CreateProcess(const std::string& command_line, const StartupInfo& start,
                              ProcessInformation& info, std::string& error) {
  // The command line is in the 8-bit code page; split as a desktop entry's
  // command is ("..." keeps blanks in one word).
  std::vector<std::string> words = xdg::SplitExec(FromAnsi(command_line));
  if (words.empty()) {
    error = "the command line is empty";
    return false;
  }
  const std::string program = words.front();
  words.erase(words.begin());
  std::vector<std::string> command;
  if (QString::fromStdString(program).compare("notepad.exe", Qt::CaseInsensitive) == 0 ||
      QString::fromStdString(program).compare("notepad", Qt::CaseInsensitive) == 0) {
    // The system text editor, on the file named after it.
    std::string file;
    for (const std::string& word : words) file += (file.empty() ? "" : " ") + word;
    const auto editor = xdg::TextEditorCommand(xdg::Environment::FromProcess(), file);
    if (!editor) {
      error =
          "no text editor was found (set a default application for plain text files, or "
          "install one such as gedit or mousepad)";
      return false;
    }
    command = *editor;
  } else {
    command.push_back(program);
    command.insert(command.end(), words.begin(), words.end());
  }
  QStringList arguments;
  for (std::size_t i = 1; i < command.size(); ++i) {
    arguments << QString::fromStdString(command[i]);
  }
  qint64 pid = 0;
  if (!QProcess::startDetached(QString::fromStdString(command.front()), arguments,
                               QDir::currentPath(), &pid)) {
    error = "\"" + command.front() + "\" could not be started";
    return false;
  }
  info = ProcessInformation{};
  info.dwProcessId = static_cast<std::uint32_t>(pid);
  if ((start.dwFlags & (kStartfUsePosition | kStartfUseSize)) != 0) {
    x11::PlaceFirstWindowOf(
        pid, QRect(static_cast<int>(start.dwX), static_cast<int>(start.dwY),
                   static_cast<int>(start.dwXSize), static_cast<int>(start.dwYSize)));
  }
  return true;
}

int QtToolkit::Run() { return QApplication::exec(); }

void QtToolkit::Quit(int exit_code) { QCoreApplication::exit(exit_code); }

void QtToolkit::Fatal(int exit_code) {
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

std::uint32_t QtToolkit::Register(QtControl* control) {
  const std::uint32_t handle = next_handle_++;
  controls_[handle] = control;
  return handle;
}

std::uint32_t QtToolkit::Register(QtWindow* window) {
  const std::uint32_t handle = next_handle_++;
  windows_.push_back(window);
  window_handles_[handle] = window;
  return handle;
}

void QtToolkit::Unregister(std::uint32_t handle) {
  controls_.erase(handle);
  const auto window = window_handles_.find(handle);
  if (window != window_handles_.end()) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window->second), windows_.end());
    window_handles_.erase(window);
  }
}

std::uint32_t QtToolkit::RegisterIcon(const QIcon& icon) {
  const std::uint32_t handle = next_handle_++;
  icons_[handle] = icon;
  return handle;
}

QIcon QtToolkit::IconFor(std::uint32_t handle) const {
  const auto found = icons_.find(handle);
  return found == icons_.end() ? QIcon() : found->second;
}

}  // namespace dv::qt
