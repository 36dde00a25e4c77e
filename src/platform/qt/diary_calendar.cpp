#include "platform/qt/diary_calendar.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QSocketNotifier>
#include <QTextCharFormat>
#include <QToolTip>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace dv::qt {

namespace {

diary::Date FromQDate(QDate date) { return {date.year(), date.month(), date.day()}; }
QDate ToQDate(const diary::Date& date) { return {date.year, date.month, date.day}; }

// The date grid's first row is the day names.
constexpr int kFirstDateRow = 1;

// The system's time zone: /etc/localtime.
constexpr const char* kZoneFolder = "/etc";
constexpr const char* kZoneLink = "localtime";

}  // namespace

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

DiaryCalendar::DiaryCalendar(QWidget* parent, const std::string& folder)
    : QCalendarWidget(parent),
      folder_(folder),
      today_(ToQDate(diary::LocalDate(std::time(nullptr)))) {
  // The user's week.
  setFirstDayOfWeek(QLocale::system().firstDayOfWeek());
  view_ = findChild<QAbstractItemView*>("qt_calendar_calendarview");
  if (view_ != nullptr) view_->viewport()->installEventFilter(this);
  QObject::connect(this, &QCalendarWidget::currentPageChanged, this, [this] {
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

DiaryCalendar::~DiaryCalendar() { StopWatching(); }

std::vector<diary::Date> DiaryCalendar::Page() const {
  return diary::MonthPage(yearShown(), monthShown(), static_cast<int>(firstDayOfWeek()));
}

void DiaryCalendar::Remark() {
  const std::vector<diary::Date> page = Page();
  const std::vector<bool> marks = diary::Marks(folder_, page);
  QSet<QDate> now;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (marks[i]) now.insert(ToQDate(page[i]));
  }
  if (now == marked_) return;
  for (const QDate& date : marked_) {
    if (!now.contains(date)) setDateTextFormat(date, QTextCharFormat());
  }
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  for (const QDate& date : now) {
    if (!marked_.contains(date)) setDateTextFormat(date, bold);
  }
  marked_ = now;
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
  StartWatching();
  NewToday();
  Remark();
}

void DiaryCalendar::hideEvent(QHideEvent* event) {
  QCalendarWidget::hideEvent(event);
  StopWatching();
}

// Folder changes: creating, writing, renaming or deleting a notes file,
// whoever does it. The clock: a timer at the next local midnight that the
// system also ends when the clock is set; after a suspend it fires at
// once if midnight has passed. The time zone: the system's zone is the
// link /etc/localtime, which a change of zone replaces (timedatectl,
// the desktop's settings).
void DiaryCalendar::StartWatching() {
  if (inotify_fd_ < 0) {
    inotify_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_fd_ >= 0) {
      ::inotify_add_watch(inotify_fd_, folder_.path().c_str(),
                          IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                              IN_MOVED_TO | IN_ATTRIB);
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
  zone_watch_ = -1;
  delete clock_notifier_;
  clock_notifier_ = nullptr;
  if (clock_fd_ >= 0) ::close(clock_fd_);
  clock_fd_ = -1;
}

void DiaryCalendar::FilesChanged() {
  const std::vector<diary::Date> page = Page();
  bool concerns = false;
  bool zone = false;
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(inotify_fd_, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) concerns = zone = true;
      if (event->len == 0) continue;
      if (event->wd == zone_watch_) {
        if (std::strcmp(event->name, kZoneLink) == 0) zone = true;
      } else if (diary::Concerns(event->name, page)) {
        concerns = true;
      }
    }
  }
  if (concerns) Remark();
  if (zone) {
    NewToday();
    ArmMidnight();
  }
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
  today_ = now;
  if (view_ != nullptr) view_->viewport()->update();
}

int DiaryCalendar::CellAt(const QPoint& pos) const {
  if (view_ == nullptr) return -1;
  const QModelIndex index = view_->indexAt(pos);
  if (!index.isValid() || index.row() < kFirstDateRow || index.column() > 6) return -1;
  return (index.row() - kFirstDateRow) * 7 + index.column();
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
