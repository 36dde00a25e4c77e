// Milestones of a run with their times, for the benchmark script
// (scripts/bench): written only when the front end opened a trace file
// (DAYVANE_TRACE names it); otherwise each call costs one test.
#pragma once

#include <string>

namespace dv {

// Appends to `path` from now on.
void OpenTrace(const std::string& path);
// One line: the wall-clock time in milliseconds since the epoch, a blank,
// the event's words.
void Trace(const std::string& event);

}  // namespace dv
