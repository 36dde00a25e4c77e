// Find as you type in the calendar, as both front ends do it; they turn
// their keys into FindKey, draw the marks and the tip and move the
// selection. With the date grid focused, a letter starts a find: the notes
// are read once (diary::NoteIndex), and only the days whose notes hold the
// text typed are bold. Further characters (digits and blanks too) and
// Backspace edit the text; Enter or F3 selects the next matching date,
// Shift with them the one before, across months and round; Escape, or the
// focus leaving the grid, ends the find and lets go of what was read.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diary/find.h"

namespace dv {

// A key as a find sees it.
struct FindKey {
  enum class Kind { kText, kNext, kBackspace, kEscape, kOther };
  Kind kind = Kind::kOther;
  std::string text;      // kText: the printable character typed, in UTF-8
  bool letter = false;   // kText: that character is a letter
  bool shift = false;    // Shift is held
  bool command = false;  // Control, Alt or the system's key is held
};

class FindSession {
 public:
  // Reads the folder's notes as a find starts; meanwhile tip() says so,
  // for a front end that may take a while to show.
  using Reader = std::function<std::unique_ptr<diary::NoteIndex>()>;
  explicit FindSession(Reader read) : read_(std::move(read)) {}

  // What a key did, for the calendar to show.
  enum class Step {
    kNothing,  // a Next with no match
    kMarks,    // the text changed: the matching days and the tip
    kSelect,   // selection() is the date to select; the tip changed
    kEnded,    // the notes' marks come back; no tip
  };

  bool active() const { return index_ != nullptr; }
  // Whether the find takes the key (only a letter starts one); a key it
  // takes is no shortcut and does not reach the calendar.
  bool Takes(const FindKey& key) const;
  // A key the find takes, with `selected` the calendar's selected date.
  Step Key(const FindKey& key, const diary::Date& selected);
  // Ends a find: the focus left, or the calendar goes.
  void End();

  // The days that match, in date order.
  const std::vector<diary::Date>& matches() const { return matches_; }
  bool Matches(const diary::Date& date) const;
  const std::optional<diary::Date>& selection() const { return selection_; }
  // The tip's lines: "Find: " and the text, then how many days match, or
  // which of them is selected.
  const std::string& tip() const { return tip_; }

 private:
  void Query();
  void ShowTip(const std::string& line);

  Reader read_;
  std::unique_ptr<diary::NoteIndex> index_;
  std::string text_;
  std::vector<diary::Date> matches_;
  std::optional<diary::Date> selection_;
  std::string tip_;
};

}  // namespace dv
