#include "platform/qt/calendar_find.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTextCharFormat>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <span>
#include <system_error>
#include <thread>

#include "platform/qt/diary_calendar.h"
#include "platform/qt/qt_look.h"
#include "platform/trace.h"

namespace dv::qt {

namespace {

diary::Date FromQDate(QDate date) { return {date.year(), date.month(), date.day()}; }
QDate ToQDate(const diary::Date& date) { return {date.year, date.month, date.day}; }

// A notes file (or conflict copy) to read.
struct Note {
  std::string name;
  diary::Date date;
};

// The notes and conflict copies in the folder, from one pass of it.
std::vector<Note> ListNotes(DIR* folder) {
  std::vector<Note> notes;
  while (const dirent* entry = ::readdir(folder)) {
    const auto date = diary::FileDate(entry->d_name);
    if (!date) continue;
    struct stat info {};
    if (entry->d_type == DT_REG ||
        ((entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) &&
         ::fstatat(::dirfd(folder), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode))) {
      notes.push_back({entry->d_name, *date});
    }
  }
  return notes;
}

// Most notes are smaller than this: read with one call.
constexpr std::size_t kBuffer = std::size_t{64} * 1024;

// Reads `notes` in the folder open as `dir` into `index`, through `bytes`
// (kBuffer long): each with one open and, as a read of a file that gives
// less than it was asked for has come to its end, mostly one read.
void ReadNotes(int dir, std::span<const Note> notes, diary::NoteIndex& index, std::string& bytes) {
  for (const Note& note : notes) {
    const int fd = ::openat(dir, note.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    bytes.resize(kBuffer);
    const ssize_t n = ::read(fd, bytes.data(), kBuffer);
    std::size_t got = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (got == kBuffer) {
      // A larger note: the rest, up to the limit.
      struct stat info {};
      if (::fstat(fd, &info) != 0 ||
          static_cast<std::uint64_t>(info.st_size) > diary::kFindFileLimit) {
        got = 0;
      } else {
        bytes.resize(std::max(kBuffer, static_cast<std::size_t>(info.st_size)));
        while (got < bytes.size()) {
          const ssize_t more = ::read(fd, bytes.data() + got, bytes.size() - got);
          if (more <= 0) break;
          got += static_cast<std::size_t>(more);
        }
      }
    }
    ::close(fd);
    if (got != 0) index.Add(note.date, std::string_view(bytes.data(), got));
  }
}

// Reads every note and conflict copy in the folder at `path` for a find: a
// large folder in two halves at once.
std::unique_ptr<diary::NoteIndex> ReadFolder(const std::string& path) {
  constexpr std::size_t kOneReader = 1000;
  constexpr int kMapped = 256 * 1024;
  // The index's blocks (of 1 MB) come from the system and go back to it
  // whole at the find's end, whatever was freed before (the threshold
  // does not follow the sizes freed).
  ::mallopt(M_MMAP_THRESHOLD, kMapped);
  auto index = std::make_unique<diary::NoteIndex>();
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return index;
  const std::vector<Note> notes = ListNotes(folder);
  const int dir = ::dirfd(folder);
  const std::span<const Note> all(notes);
  const std::size_t half = notes.size() < kOneReader ? notes.size() : notes.size() / 2;
  // What the second reader needs is made here: of the memory it takes
  // itself only the blocks of text, which go back whole.
  diary::NoteIndex second;
  second.Reserve(notes.size() - half);
  std::string buffers[2];
  for (std::string& bytes : buffers) bytes.resize(kBuffer);
  std::thread reader;
  if (half < notes.size()) {
    try {
      reader = std::thread([&] { ReadNotes(dir, all.subspan(half), second, buffers[1]); });
    } catch (const std::system_error&) {
      ReadNotes(dir, all.subspan(half), second, buffers[1]);
    }
  }
  index->Reserve(half);
  ReadNotes(dir, all.first(half), *index, buffers[0]);
  if (reader.joinable()) reader.join();
  index->Add(std::move(second));
  ::closedir(folder);
  return index;
}

// The key as a find sees it.
FindKey ToFindKey(const QKeyEvent& key) {
  FindKey find;
  find.shift = (key.modifiers() & Qt::ShiftModifier) != 0;
  find.command =
      (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
  const QString text = key.text();
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_F3) {
    find.kind = FindKey::Kind::kNext;
  } else if (key.key() == Qt::Key_Escape) {
    find.kind = FindKey::Kind::kEscape;
  } else if (key.key() == Qt::Key_Backspace) {
    find.kind = FindKey::Kind::kBackspace;
  } else if (!text.isEmpty() && text.front().isPrint()) {
    find.kind = FindKey::Kind::kText;
    find.text = text.toStdString();
    find.letter = text.front().isLetter();
  }
  return find;
}

}  // namespace

CalendarFind::CalendarFind(DiaryCalendar* calendar, QAbstractItemView* view,
                           const PosixNoteFolder& folder)
    : QObject(calendar),
      calendar_(calendar),
      view_(view),
      find_([path = folder.path()] { return ReadFolder(path); }) {
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
}

CalendarFind::~CalendarFind() {
  view_->viewport()->removeEventFilter(this);
  view_->removeEventFilter(this);
}

bool CalendarFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport()) {
    if (event->type() == QEvent::Paint && painting_) {
      painting_ = false;
      // Once this paint is on the screen.
      QTimer::singleShot(0, this, [] { Trace("find-painted"); });
    }
    return false;
  }
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      const FindKey key = ToFindKey(*static_cast<QKeyEvent*>(event));
      if (!find_.Takes(key)) return false;
      // A key the find takes is no shortcut.
      if (event->type() == QEvent::KeyPress) Key(key);
      event->accept();
      return true;
    }
    case QEvent::FocusOut:
      if (active()) End();
      return false;
    default:
      return false;
  }
}

void CalendarFind::Key(const FindKey& key) {
  switch (find_.Key(key, FromQDate(calendar_->selectedDate()))) {
    case FindSession::Step::kMarks:
      ShowMarks();
      ShowTip();
      break;
    case FindSession::Step::kSelect:
      calendar_->setSelectedDate(ToQDate(*find_.selection()));
      ShowTip();
      break;
    case FindSession::Step::kEnded:
      End();
      break;
    case FindSession::Step::kNothing:
      break;
  }
}

void CalendarFind::ShowMarks() {
  if (!active()) return;
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  for (const diary::Date& date : diary::MonthPage(calendar_->yearShown(), calendar_->monthShown(),
                                                  static_cast<int>(calendar_->firstDayOfWeek()))) {
    calendar_->setDateTextFormat(ToQDate(date), find_.Matches(date) ? bold : QTextCharFormat());
  }
  painting_ = true;
}

void CalendarFind::End() {
  find_.End();
  // What the notes took goes back to the system now.
  ::malloc_trim(0);
  if (tip_ != nullptr) tip_->hide();
  // Every date as the notes mark them.
  calendar_->setDateTextFormat(QDate(), QTextCharFormat());
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  for (const QDate& date : calendar_->marked()) calendar_->setDateTextFormat(date, bold);
  painting_ = true;
}

void CalendarFind::ShowTip() {
  if (tip_ == nullptr) {
    tip_ = new QLabel(calendar_, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
    tip_->setTextFormat(Qt::PlainText);
    tip_->setPalette(QToolTip::palette());
    tip_->setFont(QToolTip::font());
    tip_->setForegroundRole(QPalette::ToolTipText);
    tip_->setBackgroundRole(QPalette::ToolTipBase);
    tip_->setAutoFillBackground(true);
    tip_->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip_->setMargin(3);
  }
  tip_->setText(QString::fromStdString(find_.tip()));
  tip_->adjustSize();
  // In Qt's (logical) pixels.
  const QRect anchor(calendar_->mapToGlobal(QPoint(0, 0)), calendar_->size());
  const QScreen* screen = calendar_->screen();
  const QRect work = screen != nullptr ? screen->availableGeometry() : anchor;
  tip_->move(
      ToQRect(TipAt(FromQRect(anchor), tip_->width(), tip_->height(), FromQRect(work))).topLeft());
  tip_->show();
  tip_->raise();
}

}  // namespace dv::qt
