// The month calendar on Qt: a QCalendarWidget that marks the days with
// notes in bold, keeps them current from the file system while it is shown,
// tells a date's note in a tip, starts the week on the user's day and marks
// today, moving the mark at midnight. Hidden, it watches nothing and wakes
// for nothing.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QSet>
#include <string>
#include <vector>

#include "platform/diary.h"

class QAbstractItemView;
class QSocketNotifier;

namespace dv::qt {

// The program folder's notes files on the local file system.
class PosixNoteFolder : public diary::NoteFolder {
 public:
  explicit PosixNoteFolder(std::string path) : path_(std::move(path)) {}
  std::optional<std::uint64_t> Size(const std::string& name) const override;
  std::string Head(const std::string& name, std::size_t limit) const override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class DiaryCalendar : public QCalendarWidget {
 public:
  DiaryCalendar(QWidget* parent, const std::string& folder);
  ~DiaryCalendar() override;
  // The date marked as today.
  QDate today() const { return today_; }

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
  void FilesChanged();  // the notes in the folder, or the zone link
  void ArmMidnight();
  void ClockChanged();
  void NewToday();
  // The page cell at `pos` in the view; -1 outside the dates.
  int CellAt(const QPoint& pos) const;
  QRect CellRect(int cell) const;
  void ShowTip(int cell, const QPoint& global, bool keyboard);

  PosixNoteFolder folder_;
  QAbstractItemView* view_ = nullptr;
  QSet<QDate> marked_;
  QDate today_;
  int inotify_fd_ = -1;
  int zone_watch_ = -1;  // the folder of the system's time zone link
  QSocketNotifier* inotify_notifier_ = nullptr;
  int clock_fd_ = -1;
  QSocketNotifier* clock_notifier_ = nullptr;
};

}  // namespace dv::qt
