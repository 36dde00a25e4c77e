// Find as you type: which days' notes hold a text, whatever its case. The
// notes are read once, as a find starts, into one block of folded text
// that answers each query (each key typed) without reading again, and
// that goes with the find.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/diary.h"

namespace dv::diary {

// A notes file larger than this is left out of a find.
constexpr std::uint64_t kFindFileLimit = std::uint64_t{1} << 20;  // 1 MB

// Text as a find compares it, in UTF-8: decoded as DecodeText does, its
// letters in lower case (ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic), a NUL as a blank.
std::string FoldText(std::string_view bytes);

class NoteIndex {
 public:
  // Reads every note and conflict copy in `folder` (all years) that holds
  // something and is at most kFindFileLimit bytes.
  explicit NoteIndex(const NoteFolder& folder);
  // The days whose notes (or conflict copies) hold `query` (UTF-8) in any
  // case, in date order, each once; none for an empty query. A query that
  // extends the last one looks only at the last one's days.
  const std::vector<Date>& Find(std::string_view query);
  // How many files were read.
  std::size_t files() const { return ends_.size(); }

 private:
  // Whether file `i`'s text holds `folded`.
  bool Holds(std::size_t i, std::string_view folded) const;

  // Each file's folded text followed by a NUL, in date order.
  std::string text_;
  std::vector<Date> dates_;        // each file's date
  std::vector<std::size_t> ends_;  // where each file's text ends in text_
  std::string last_query_;         // folded
  std::vector<std::size_t> last_files_;
  std::vector<Date> matches_;
};

// The match after `from` (forward) or before it, round from the last to the
// first and back; none when there is no match.
std::optional<Date> NextMatch(const std::vector<Date>& matches, const Date& from, bool forward);

}  // namespace dv::diary
