// Find as you type in the Qt calendar (FindSession): the grid's keys, the
// notes read in two threads at once, the matching days in bold and the tip
// below the calendar.
#pragma once

#include <QObject>

#include "platform/find_session.h"

class QAbstractItemView;
class QLabel;

namespace dv::qt {

class DiaryCalendar;
class PosixNoteFolder;

class CalendarFind : public QObject {
 public:
  CalendarFind(DiaryCalendar* calendar, QAbstractItemView* view, const PosixNoteFolder& folder);
  ~CalendarFind() override;
  bool active() const { return find_.active(); }
  // While a find is on, makes the shown page's matching days, and only
  // them, bold (after the calendar marked the page).
  void ShowMarks();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Key(const FindKey& key);
  void End();
  void ShowTip();

  DiaryCalendar* calendar_;
  QAbstractItemView* view_;
  FindSession find_;
  QLabel* tip_ = nullptr;
  bool painting_ = false;  // the marks changed: the next paint is traced
};

}  // namespace dv::qt
