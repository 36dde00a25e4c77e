// Find as you type in the Qt calendar. With the date grid focused, a letter
// starts a find: the notes are read once (diary::NoteIndex), a tip at the
// calendar shows the text typed and how many days match, and only the
// matching days are bold. Further characters (digits and blanks too) and
// Backspace edit the text; Enter or F3 selects the next matching date,
// Shift with them the one before, across months and round; Escape, or the
// focus leaving the grid, ends the find: the notes' marks come back and
// what was read is let go.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "diary/find.h"

class QAbstractItemView;
class QKeyEvent;
class QLabel;

namespace dv::qt {

class DiaryCalendar;
class PosixNoteFolder;

class CalendarFind : public QObject {
 public:
  CalendarFind(DiaryCalendar* calendar, QAbstractItemView* view, const PosixNoteFolder& folder);
  ~CalendarFind() override;
  bool active() const { return index_ != nullptr; }
  // While a find is on, makes the shown page's matching days, and only
  // them, bold (after the calendar marked the page).
  void ShowMarks();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Whether the find takes the key (a letter starts one).
  bool Takes(const QKeyEvent& key) const;
  void Key(const QKeyEvent& key);
  void Query();  // the text changed
  void Go(bool forward);
  void End();
  void ShowTip(const QString& line);

  DiaryCalendar* calendar_;
  QAbstractItemView* view_;
  const PosixNoteFolder& folder_;
  std::unique_ptr<diary::NoteIndex> index_;
  QString text_;
  std::vector<diary::Date> matches_;
  QLabel* tip_ = nullptr;
  bool painting_ = false;  // the marks changed: the next paint is traced
};

}  // namespace dv::qt
