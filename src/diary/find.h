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
  // Reads the notes and conflict copies among `files` (a listing of the
  // folder) that hold something and are at most kFindFileLimit bytes.
  NoteIndex(const NoteFolder& folder, const std::vector<FolderFile>& files);
  NoteIndex() = default;
  // Takes in the bytes of a note or conflict copy of `date`: a front end
  // may read the files its own way, and a large folder in parts at once.
  void Add(const Date& date, std::string_view bytes);
  // Makes room for `files` more files' places (not their text).
  void Reserve(std::size_t files);
  // Takes in what `other` read (of other files).
  void Add(NoteIndex&& other);
  // The days whose notes (or conflict copies) hold `query` (UTF-8) in any
  // case, in date order, each once; none for an empty query. A query that
  // extends the last one looks only at the last one's days.
  const std::vector<Date>& Find(std::string_view query);
  // How many files were read.
  std::size_t files() const { return entries_.size(); }

 private:
  // A file's folded text: blocks_[block][begin, end).
  struct Entry {
    Date date;
    std::uint32_t block = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
  };
  // Whether entry `i`'s text holds `folded`.
  bool Holds(std::size_t i, std::string_view folded) const;

  // The files' folded texts, each followed by a NUL, in blocks of at least
  // 1 MB that are filled without ever being moved (and go back to the
  // system whole with the find).
  std::vector<std::string> blocks_;
  std::vector<Entry> entries_;  // in block order, then text order
  std::string last_query_;      // folded
  std::vector<std::size_t> last_entries_;
  std::vector<Date> matches_;
};

// The match after `from` (forward) or before it, round from the last to the
// first and back; none when there is no match.
std::optional<Date> NextMatch(const std::vector<Date>& matches, const Date& from, bool forward);

}  // namespace dv::diary
