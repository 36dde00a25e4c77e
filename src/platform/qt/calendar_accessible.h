// What the calendar tells a screen reader (through AT-SPI on Linux): its
// dates as a table of six weeks under a row of day names, the column
// headers. Each date is named in full in the user's language ("Tuesday,
// 8 December 2026", which also tells a day of another month its month),
// and described by what the grid shows of it: today, and its note's
// first line. The selection moving is told as the focus on its date.
#pragma once

#include <QDate>
#include <QSet>

namespace dv::qt {

class DiaryCalendar;

// Makes DiaryCalendar's date grid answer as above; once is enough, before
// or after calendars are made.
void InstallCalendarAccessibility();

// Tells a screen reader that the page's dates are new (their names and
// descriptions), or that the descriptions of `dates` have changed (their
// notes written or gone, a new today).
void CalendarPageChanged(DiaryCalendar* calendar);
void CalendarDatesChanged(DiaryCalendar* calendar, const QSet<QDate>& dates);

}  // namespace dv::qt
