#include "platform/qt/diary_calendar.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QTextCharFormat>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/qt/calendar_accessible.h"
#include "platform/qt/calendar_find.h"
#include "platform/qt/qt_look.h"
#include "platform/trace.h"

namespace dv::qt {

namespace {

diary::Date FromQDate(QDate date) { return {date.year(), date.month(), date.day()}; }
QDate ToQDate(const diary::Date& date) { return {date.year, date.month, date.day}; }

// The date grid's first row is the day names.
constexpr int kFirstDateRow = 1;

// The system's time zone: /etc/localtime.
constexpr const char* kZoneFolder = "/etc";
constexpr const char* kZoneLink = "localtime";

// The notes, the folder itself (IN_DELETE_SELF, IN_MOVE_SELF, IN_ATTRIB on
// it; IN_IGNORED comes anyway), and the names in the folder above it.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                        IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kParentEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// A change is shown this soon (the writer's few calls after the first
// event have come by then); the changes in the next kFoldMs are shown
// with one read of the folder, and so on while they go on.
constexpr int kFirstMs = 5;
constexpr int kFoldMs = 100;
// While the folder is missing and nothing can tell when it is back.
constexpr int kPollMs = 250;

QString CssFont(const Font& font) {
  return QString("font-family: \"%1\"; font-size: %2pt; font-weight: %3;")
      .arg(QString::fromStdString(font.face))
      .arg(font.points)
      .arg(font.weight);
}

// The calendar's month arrows, drawn by the program: a triangle in `color`.
QIcon ArrowIcon(bool left, const QColor& color) {
  QIcon icon;
  for (const int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal near = size * 0.3;
    const qreal far = size * 0.7;
    const qreal middle = size / 2.0;
    painter.drawPolygon(
        left ? QPolygonF{{far, near / 1.5}, {near, middle}, {far, size - near / 1.5}}
             : QPolygonF{{near, near / 1.5}, {far, middle}, {near, size - near / 1.5}});
    icon.addPixmap(pixmap);
  }
  return icon;
}

// The application's style, but for the arrows the calendar asks it for as
// it is built: the program's own, rather than a lookup in the icon theme;
// and a date opens its note on a double click on every desktop, KDE's
// single-click activation included (one click only selects).
class ProgramStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_ItemView_ActivateItemOnSingleClick) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }

  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                     const QWidget* widget) const override {
    if (icon == SP_ArrowLeft || icon == SP_ArrowRight) {
      return ArrowIcon(icon == SP_ArrowLeft,
                       QGuiApplication::palette().color(QPalette::WindowText));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
  }
};

}  // namespace

void UseProgramStyle() { QApplication::setStyle(new ProgramStyle); }

void DiaryCalendar::ApplyLook(const CalendarLook& look) {
  const QColor back = ToQColor(look.back_color);
  setNavigationBarVisible(look.show_title);
  setGridVisible(look.show_horizontal_grid || look.show_vertical_grid);
  setHorizontalHeaderFormat(look.show_days ? QCalendarWidget::ShortDayNames
                                           : QCalendarWidget::NoHorizontalHeader);
  setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  // The first day of the week is the user's (DiaryCalendar).
  setFont(ToQFont(look.grid_font));

  // Day formats are merged into the day-name row as well: keep them empty
  // (no red weekends) and colour the dates through the view's palette.
  for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
    setWeekdayTextFormat(static_cast<Qt::DayOfWeek>(day), QTextCharFormat());
  }
  QTextCharFormat header;
  header.setFont(ToQFont(look.day_font));
  header.setForeground(ToQColor(look.day_font_color));
  header.setBackground(back);
  setHeaderTextFormat(header);

  if (auto* view = findChild<QAbstractItemView*>("qt_calendar_calendarview")) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::AlternateBase, back);
    palette.setColor(QPalette::Text, ToQColor(look.grid_font_color));
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Dark));
    view->setPalette(palette);
    if (auto* frame = qobject_cast<QFrame*>(view)) frame->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setStyleSheet(
        QString("QTableView { gridline-color: %1; }").arg(ToQColor(look.grid_lines_color).name()));
  }
  // The arrows in the title's colour.
  for (const bool left : {true, false}) {
    if (auto* arrow =
            findChild<QToolButton*>(left ? "qt_calendar_prevmonth" : "qt_calendar_nextmonth")) {
      arrow->setIcon(ArrowIcon(left, ToQColor(look.title_font_color)));
    }
  }
  if (auto* bar = findChild<QWidget*>("qt_calendar_navigationbar")) {
    bar->setStyleSheet(
        QString("QWidget#qt_calendar_navigationbar { background-color: %1; }"
                "QToolButton, QSpinBox { color: %2; %3 background-color: %1; }")
            .arg(back.name(), ToQColor(look.title_font_color).name(), CssFont(look.title_font)));
  }
}

std::optional<std::uint64_t> PosixNoteFolder::Size(const std::string& name) const {
  struct stat info {};
  if (::stat((path_ + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(info.st_size);
}

std::string PosixNoteFolder::Head(const std::string& name, std::size_t limit) const {
  // Never waits: a pipe or device by that name gives nothing.
  const int fd = ::open((path_ + "/" + name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, bytes.data() + got, limit - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

std::vector<diary::FolderFile> PosixNoteFolder::List(const std::string& pattern) const {
  std::vector<diary::FolderFile> files;
  DIR* folder = ::opendir(path_.c_str());
  if (folder == nullptr) return files;
  while (const dirent* entry = ::readdir(folder)) {
    if (!diary::GlobMatch(pattern, entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(folder), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    files.push_back({entry->d_name, static_cast<std::uint64_t>(info.st_size)});
    if (files.size() == diary::kListLimit) break;
  }
  ::closedir(folder);
  return files;
}

DiaryCalendar::DiaryCalendar(QWidget* parent, const std::string& folder)
    : QCalendarWidget(parent),
      folder_(folder),
      today_(ToQDate(diary::LocalDate(std::time(nullptr)))) {
  // The user's week.
  setFirstDayOfWeek(QLocale::system().firstDayOfWeek());
  const std::size_t slash = folder_.path().find_last_of('/');
  if (slash != std::string::npos) {
    folder_name_ = folder_.path().substr(slash + 1);
    parent_path_ = slash == 0 ? "/" : folder_.path().substr(0, slash);
  }
  settle_timer_ = new QTimer(this);
  settle_timer_->setSingleShot(true);
  QObject::connect(settle_timer_, &QTimer::timeout, this, [this] { Settle(); });
  folder_poll_ = new QTimer(this);
  QObject::connect(folder_poll_, &QTimer::timeout, this, [this] { PollFolder(); });
  view_ = findChild<QAbstractItemView*>("qt_calendar_calendarview");
  if (view_ != nullptr) view_->viewport()->installEventFilter(this);
  // The month arrows show an arrow only: a screen reader says what they do.
  for (const bool left : {true, false}) {
    if (auto* arrow =
            findChild<QToolButton*>(left ? "qt_calendar_prevmonth" : "qt_calendar_nextmonth")) {
      arrow->setAccessibleName(left ? diary::kPreviousMonthName : diary::kNextMonthName);
    }
  }
  if (view_ != nullptr) find_ = new CalendarFind(this, view_, folder_);
  QObject::connect(this, &QCalendarWidget::currentPageChanged, this, [this] {
    conflicts_stale_ = true;
    CalendarPageChanged(this);
    if (isVisible()) Remark();
  });
  QObject::connect(this, &QCalendarWidget::selectionChanged, this, [this] {
    // A date chosen with the keyboard gets its tip as a pointer resting on
    // it would.
    if (view_ == nullptr || !view_->hasFocus() || QGuiApplication::mouseButtons() != Qt::NoButton) {
      return;
    }
    const std::vector<diary::Date> page = Page();
    const auto at = std::find(page.begin(), page.end(), FromQDate(selectedDate()));
    if (at == page.end()) return;
    const int cell = static_cast<int>(at - page.begin());
    ShowTip(cell, view_->viewport()->mapToGlobal(CellRect(cell).center()), true);
  });
}

DiaryCalendar::~DiaryCalendar() {
  StopWatching();
  // The find goes before the view it watches: the view's own end sends it
  // events (a focus lost) that it must not take.
  delete find_;
  find_ = nullptr;
  // What a screen reader asks of the dates while the view goes finds none.
  view_ = nullptr;
}

std::vector<diary::Date> DiaryCalendar::Page() const {
  return diary::MonthPage(yearShown(), monthShown(), static_cast<int>(firstDayOfWeek()));
}

void DiaryCalendar::Remark() {
  const std::vector<diary::Date> page = Page();
  std::vector<std::optional<std::uint64_t>> sizes;
  sizes.reserve(page.size());
  written_since_read_.clear();
  for (const diary::Date& date : page) sizes.push_back(folder_.Size(diary::NoteFileName(date)));
  if (conflicts_stale_) {
    conflicts_stale_ = false;
    conflicted_.clear();
    for (const diary::FolderFile& file : diary::ConflictFiles(folder_, page)) {
      if (const auto date = diary::ConflictDate(file.name)) conflicted_.insert(ToQDate(*date));
    }
  }
  // A note rewritten in place is empty for a moment: emptied first, then
  // written. A marked note read empty keeps its mark while its writer has
  // it open or has written it again since; and as the system may show a
  // note emptied a moment before it tells of it, a note found empty with
  // nothing told keeps its mark until a second look finds it empty too.
  ReadEvents();
  std::set<std::string> suspect;
  QSet<QDate> now;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const QDate date = ToQDate(page[i]);
    bool mark = conflicted_.contains(date) || (sizes[i] && diary::IsEntry(*sizes[i]));
    if (!mark && sizes[i] && marked_.contains(date)) {
      const std::string name = diary::NoteFileName(page[i]);
      if (being_written_.count(name) != 0 || written_since_read_.count(name) != 0) {
        mark = true;
      } else if (emptied_.count(name) == 0) {
        mark = true;
        suspect.insert(name);
      }
    }
    if (mark) now.insert(date);
  }
  emptied_ = std::move(suspect);
  if (!emptied_.empty()) notes_changed_ = true;  // the second look
  Trace("marks-read " + std::to_string(now.size()));
  if (now != marked_) {
    QSet<QDate> changed;
    for (const QDate& date : marked_) {
      if (!now.contains(date)) {
        setDateTextFormat(date, QTextCharFormat());
        changed.insert(date);
      }
    }
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (const QDate& date : now) {
      if (!marked_.contains(date)) {
        setDateTextFormat(date, bold);
        changed.insert(date);
      }
    }
    marked_ = now;
    CalendarDatesChanged(this, changed);
  }
  if (find_ != nullptr) find_->ShowMarks();
  ActOnEvents();
}

void DiaryCalendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
  QCalendarWidget::paintCell(painter, rect, date);
  if (date != today_) return;
  // Today: a red frame inside the cell, over the selection too.
  painter->save();
  QPen pen(QColor(192, 0, 0));
  pen.setWidth(2);
  pen.setJoinStyle(Qt::MiterJoin);
  painter->setPen(pen);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(rect.adjusted(2, 2, -2, -2));
  painter->restore();
}

void DiaryCalendar::showEvent(QShowEvent* event) {
  QCalendarWidget::showEvent(event);
  conflicts_stale_ = true;  // unwatched while hidden
  // A date's tip shows under a resting pointer while another window is
  // active too: Qt shows tips in active windows only, unless asked.
  window()->setAttribute(Qt::WA_AlwaysShowToolTips);
  StartWatching();
  NewToday();
  Remark();
}

void DiaryCalendar::hideEvent(QHideEvent* event) {
  QCalendarWidget::hideEvent(event);
  StopWatching();
}

// Folder changes: creating, writing, renaming or deleting a notes file,
// whoever does it; the folder deleted, renamed, replaced (also by a link)
// or its permissions changed, which the folder above it and the folder's
// own events tell. The clock: a timer at the next local midnight that the
// system also ends when the clock is set; after a suspend it fires at once
// if midnight has passed. The time zone: the system's zone is the link
// /etc/localtime, which a change of zone replaces (timedatectl, the
// desktop's settings).
void DiaryCalendar::StartWatching() {
  if (inotify_fd_ < 0) {
    inotify_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_fd_ >= 0) {
      WatchFolder();
      zone_watch_ = ::inotify_add_watch(
          inotify_fd_, kZoneFolder,
          IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_DONT_FOLLOW | IN_ONLYDIR);
      inotify_notifier_ = new QSocketNotifier(inotify_fd_, QSocketNotifier::Read, this);
      QObject::connect(inotify_notifier_, &QSocketNotifier::activated, this,
                       [this] { FilesChanged(); });
    }
  }
  if (clock_fd_ < 0) {
    clock_fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clock_fd_ >= 0) {
      clock_notifier_ = new QSocketNotifier(clock_fd_, QSocketNotifier::Read, this);
      QObject::connect(clock_notifier_, &QSocketNotifier::activated, this,
                       [this] { ClockChanged(); });
    }
  }
  ArmMidnight();
}

void DiaryCalendar::StopWatching() {
  delete inotify_notifier_;
  inotify_notifier_ = nullptr;
  if (inotify_fd_ >= 0) ::close(inotify_fd_);
  inotify_fd_ = -1;
  folder_watch_ = parent_watch_ = zone_watch_ = -1;
  being_written_.clear();
  emptied_.clear();
  notes_changed_ = folder_changed_ = zone_changed_ = false;
  settle_timer_->stop();
  remark_pending_ = false;
  folder_poll_->stop();
  delete clock_notifier_;
  clock_notifier_ = nullptr;
  if (clock_fd_ >= 0) ::close(clock_fd_);
  clock_fd_ = -1;
}

void DiaryCalendar::WatchFolder() {
  if (inotify_fd_ < 0) return;
  // The folder that the path names now: the same one keeps its watch; for
  // another one (the old one renamed away, a link turned elsewhere) the old
  // watch goes.
  const int folder = ::inotify_add_watch(inotify_fd_, folder_.path().c_str(), kFolderEvents);
  const int error = errno;
  if (folder_watch_ >= 0 && folder_watch_ != folder) ::inotify_rm_watch(inotify_fd_, folder_watch_);
  folder_watch_ = folder;
  const int parent = parent_path_.empty()
                         ? -1
                         : ::inotify_add_watch(inotify_fd_, parent_path_.c_str(), kParentEvents);
  if (parent_watch_ >= 0 && parent_watch_ != parent) ::inotify_rm_watch(inotify_fd_, parent_watch_);
  parent_watch_ = parent;
  // A folder that is missing is seen coming back in its parent. Only when
  // that cannot be (the parent is missing too, the folder is there but
  // cannot be watched) is it looked for now and then, until it is back.
  const bool seen_coming =
      folder_watch_ >= 0 || (parent_watch_ >= 0 && (error == ENOENT || error == ENOTDIR));
  if (seen_coming) {
    folder_poll_->stop();
  } else if (!folder_poll_->isActive()) {
    folder_poll_->start(kPollMs);
  }
}

void DiaryCalendar::PollFolder() {
  const int before = folder_watch_;
  WatchFolder();
  if (folder_watch_ != before) NotesChanged();
}

void DiaryCalendar::FilesChanged() {
  ReadEvents();
  ActOnEvents();
}

void DiaryCalendar::ReadEvents() {
  if (inotify_fd_ < 0) return;
  const std::vector<diary::Date> page = Page();
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(inotify_fd_, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        notes_changed_ = folder_changed_ = zone_changed_ = true;
        conflicts_stale_ = true;
        continue;
      }
      if (event->wd == zone_watch_) {
        if (event->len != 0 && std::strcmp(event->name, kZoneLink) == 0) zone_changed_ = true;
      } else if (event->wd == folder_watch_) {
        if (event->len == 0) {
          folder_changed_ = true;  // the folder itself
          continue;
        }
        if (!diary::Concerns(event->name, page)) continue;
        notes_changed_ = true;
        if (diary::ConflictDate(event->name)) conflicts_stale_ = true;
        written_since_read_.insert(event->name);
        emptied_.erase(event->name);  // what the last read found is old now
        if ((event->mask & IN_MODIFY) != 0) being_written_.insert(event->name);
        if ((event->mask & (IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) != 0) {
          being_written_.erase(event->name);
        }
      } else if (event->wd == parent_watch_) {
        // The parent itself, or the folder's name in it.
        if (event->len == 0 || folder_name_ == event->name) folder_changed_ = true;
      }
      // Anything else is of a watch given up already.
    }
  }
}

void DiaryCalendar::ActOnEvents() {
  if (folder_changed_) {
    folder_changed_ = false;
    conflicts_stale_ = true;
    being_written_.clear();
    WatchFolder();
    notes_changed_ = true;
  }
  if (notes_changed_) {
    notes_changed_ = false;
    NotesChanged();
  }
  if (zone_changed_) {
    zone_changed_ = false;
    NewToday();
    ArmMidnight();
  }
}

void DiaryCalendar::NotesChanged() {
  remark_pending_ = true;
  if (settle_timer_->isActive()) return;
  settle_timer_->start(kFirstMs);
  // What comes until then is taken in at once when the time is up: a
  // writer's every call would wake the program otherwise.
  if (inotify_notifier_ != nullptr) inotify_notifier_->setEnabled(false);
}

void DiaryCalendar::Settle() {
  ReadEvents();
  ActOnEvents();
  if (!remark_pending_) {
    // A quiet stretch: nothing is armed until the next change.
    if (inotify_notifier_ != nullptr) inotify_notifier_->setEnabled(true);
    return;
  }
  remark_pending_ = false;
  Remark();
  settle_timer_->start(kFoldMs);
}

void DiaryCalendar::ArmMidnight() {
  if (clock_fd_ < 0) return;
  itimerspec when{};
  when.it_value.tv_sec = diary::NextMidnight(std::time(nullptr));
  ::timerfd_settime(clock_fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void DiaryCalendar::ClockChanged() {
  // Midnight came, or the clock was set (the read fails with ECANCELED).
  std::uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t got = ::read(clock_fd_, &expirations, sizeof expirations);
  NewToday();
  ArmMidnight();
}

void DiaryCalendar::NewToday() {
  const QDate now = ToQDate(diary::LocalDate(std::time(nullptr)));
  if (now == today_) return;
  const QSet<QDate> changed{today_, now};
  today_ = now;
  if (view_ != nullptr) view_->viewport()->update();
  CalendarDatesChanged(this, changed);
}

int DiaryCalendar::CellAt(const QPoint& pos) const {
  if (view_ == nullptr) return -1;
  const QModelIndex index = view_->indexAt(pos);
  if (!index.isValid() || index.row() < kFirstDateRow || index.column() > 6) return -1;
  return (index.row() - kFirstDateRow) * 7 + index.column();
}

QDate DiaryCalendar::DateAt(int cell) const {
  const std::vector<diary::Date> page = Page();
  if (cell < 0 || cell >= static_cast<int>(page.size())) return {};
  return ToQDate(page[static_cast<std::size_t>(cell)]);
}

std::string DiaryCalendar::DayDescription(QDate date) const {
  return diary::DayDescription(folder_, FromQDate(date), date == today_);
}

QRect DiaryCalendar::CellRect(int cell) const {
  if (view_ == nullptr || view_->model() == nullptr) return {};
  return view_->visualRect(view_->model()->index(cell / 7 + kFirstDateRow, cell % 7));
}

void DiaryCalendar::ShowTip(int cell, const QPoint& global, bool keyboard) {
  const std::vector<diary::Date> page = Page();
  if (cell < 0 || cell >= static_cast<int>(page.size())) {
    QToolTip::hideText();
    return;
  }
  const diary::Date date = page[static_cast<std::size_t>(cell)];
  const QString long_date = QLocale::system().toString(ToQDate(date), QLocale::LongFormat);
  const std::string tip = diary::DayTip(folder_, long_date.toStdString(), date);
  Trace("tip " + QString::fromStdString(tip).replace(QChar('\n'), " | ").toStdString());
  // Shown as plain text whatever the note holds.
  const QString text = "<p style=\"white-space:pre\">" +
                       QString::fromStdString(tip).toHtmlEscaped().replace('\n', "<br/>") + "</p>";
  const QRect rect = CellRect(cell);
  QToolTip::showText(keyboard ? global + QPoint(0, rect.height() / 2) : global, text,
                     view_->viewport(), rect);
}

bool DiaryCalendar::eventFilter(QObject* watched, QEvent* event) {
  if (view_ != nullptr && watched == view_->viewport() && event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    ShowTip(CellAt(help->pos()), help->globalPos(), false);
    return true;
  }
  return QCalendarWidget::eventFilter(watched, event);
}

}  // namespace dv::qt
