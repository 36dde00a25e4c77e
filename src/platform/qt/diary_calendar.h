// The month calendar on Qt: a QCalendarWidget that marks the days with
// notes in bold, keeps them current from the file system while it is shown
// (also when the folder itself is deleted, renamed, replaced or made
// unreadable), tells a date's note in a tip (also in a window that is not
// the active one) and to a screen reader (calendar_accessible), starts the
// week on the user's day and marks today, moving the mark at midnight.
// Hidden, it watches nothing and wakes for nothing.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QSet>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "diary/diary.h"
#include "platform/design.h"

class QAbstractItemView;
class QSocketNotifier;
class QTimer;

namespace dv::qt {

class CalendarFind;

// Installs the program's application style: the calendar's month arrows
// are the program's own images (see DiaryCalendar::ApplyLook), and item
// views activate on a double click only.
void UseProgramStyle();

// The program folder's notes files on the local file system.
class PosixNoteFolder : public diary::NoteFolder {
 public:
  explicit PosixNoteFolder(std::string path) : path_(std::move(path)) {}
  std::optional<std::uint64_t> Size(const std::string& name) const override;
  std::string Head(const std::string& name, std::size_t limit) const override;
  std::vector<diary::FolderFile> List(const std::string& pattern) const override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class DiaryCalendar : public QCalendarWidget {
 public:
  DiaryCalendar(QWidget* parent, const std::string& folder);
  ~DiaryCalendar() override;
  // Takes the designed look: fonts, colours, grid, day names and title.
  void ApplyLook(const CalendarLook& look);
  // The date marked as today.
  QDate today() const { return today_; }
  // The date in cell `cell` (0..41, by weeks) of the page shown; none
  // outside it.
  QDate DateAt(int cell) const;
  // What a screen reader says of the date after its name
  // (diary::DayDescription).
  std::string DayDescription(QDate date) const;
  // Cell `cell`'s rectangle in the view's viewport, and the view itself.
  QRect CellRect(int cell) const;
  QAbstractItemView* view() const { return view_; }
  // The shown page's dates with notes.
  const QSet<QDate>& marked() const { return marked_; }

 protected:
  void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<diary::Date> Page() const;
  void Remark();
  void StartWatching();
  void StopWatching();
  // Watches the folder that the path names now, and its parent.
  void WatchFolder();
  void FilesChanged();  // the notes in the folder, the folder, or the zone link
  // Takes in what the watch has queued, and acts on it.
  void ReadEvents();
  void ActOnEvents();
  // A change of the notes: shown soon, with the changes that follow it.
  void NotesChanged();
  void Settle();
  void PollFolder();
  void ArmMidnight();
  void ClockChanged();
  void NewToday();
  // The page cell at `pos` in the view; -1 outside the dates.
  int CellAt(const QPoint& pos) const;
  void ShowTip(int cell, const QPoint& global, bool keyboard);

  PosixNoteFolder folder_;
  QAbstractItemView* view_ = nullptr;
  QSet<QDate> marked_;
  // The page's days with conflict copies, listed again only after a
  // conflict copy's name changed, the page or folder changed or the
  // calendar was hidden.
  QSet<QDate> conflicted_;
  bool conflicts_stale_ = true;
  QDate today_;
  int inotify_fd_ = -1;
  int folder_watch_ = -1;  // the notes folder
  int parent_watch_ = -1;  // the folder it is in: its name coming and going
  int zone_watch_ = -1;    // the folder of the system's time zone link
  std::string folder_name_;
  std::string parent_path_;
  // Notes that a writer has changed and not closed yet, notes changed since
  // the folder was last read, and marked notes that the last read found
  // empty (the next one decides).
  std::set<std::string> being_written_;
  std::set<std::string> written_since_read_;
  std::set<std::string> emptied_;
  bool notes_changed_ = false;
  bool folder_changed_ = false;
  bool zone_changed_ = false;
  QTimer* settle_timer_ = nullptr;
  bool remark_pending_ = false;
  QTimer* folder_poll_ = nullptr;  // only while the folder cannot be watched
  QSocketNotifier* inotify_notifier_ = nullptr;
  int clock_fd_ = -1;
  QSocketNotifier* clock_notifier_ = nullptr;
  CalendarFind* find_ = nullptr;  // find as you type
};

}  // namespace dv::qt
