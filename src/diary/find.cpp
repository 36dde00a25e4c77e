#include "diary/find.h"

#include <algorithm>

namespace dv::diary {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1: À to Þ
  if (c >= 0x100 && c <= 0x17F) {  // Latin Extended-A: pairs, capital first
    if (c == 0x130) return 'i';    // İ
    if (c == 0x178) return 0xFF;   // Ÿ
    if (c == 0x17F) return 's';    // long s
    if (c == 0x131 || c == 0x138 || c == 0x149) return c;
    const bool odd_capitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    return (c % 2 == 1) == odd_capitals ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
  if (c == 0x3C2) return 0x3C3;                                 // final sigma
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;  // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

// Appends the folded text of `bytes` to `out`.
void AppendFolded(std::string& out, std::string_view bytes) {
  // Most notes are ASCII: folded byte by byte.
  if (std::all_of(bytes.begin(), bytes.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    const std::size_t at = out.size();
    out.resize(at + bytes.size());
    std::transform(
        bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at), [](char c) {
          return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c == '\0' ? ' ' : c;
        });
    return;
  }
  for (const char32_t c : DecodeText(bytes)) AppendUtf8(out, c == 0 ? U' ' : FoldCase(c));
}

}  // namespace

std::string FoldText(std::string_view bytes) {
  std::string out;
  AppendFolded(out, bytes);
  return out;
}

NoteIndex::NoteIndex(const NoteFolder& folder, const std::vector<FolderFile>& files) {
  for (const FolderFile& file : files) {
    const auto date = FileDate(file.name);
    if (date && IsEntry(file.size) && file.size <= kFindFileLimit) {
      Add(*date, folder.Head(file.name, file.size));
    }
  }
}

void NoteIndex::Add(const Date& date, std::string_view bytes) {
  // The folded text is at most three bytes a byte (a Windows-1252 byte
  // may become three of UTF-8), with its NUL.
  const std::size_t most = bytes.size() * 3 + 1;
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < most) {
    blocks_.emplace_back().reserve(std::max(kBlock, most));
  }
  std::string& block = blocks_.back();
  const auto begin = static_cast<std::uint32_t>(block.size());
  AppendFolded(block, bytes);
  entries_.push_back({date, static_cast<std::uint32_t>(blocks_.size() - 1), begin,
                      static_cast<std::uint32_t>(block.size())});
  block += '\0';
}

void NoteIndex::Reserve(std::size_t files) {
  entries_.reserve(entries_.size() + files);
  // A block holds a thousand files of 1 KB or so.
  blocks_.reserve(blocks_.size() + files / 1000 + 1);
}

void NoteIndex::Add(NoteIndex&& other) {
  const auto base = static_cast<std::uint32_t>(blocks_.size());
  Reserve(other.entries_.size());
  for (std::string& block : other.blocks_) blocks_.push_back(std::move(block));
  for (Entry entry : other.entries_) {
    entry.block += base;
    entries_.push_back(entry);
  }
  other.blocks_.clear();
  last_query_.clear();
  last_entries_.clear();
}

bool NoteIndex::Holds(std::size_t i, std::string_view folded) const {
  const Entry& entry = entries_[i];
  return std::string_view(blocks_[entry.block])
             .substr(entry.begin, entry.end - entry.begin)
             .find(folded) != std::string_view::npos;
}

const std::vector<Date>& NoteIndex::Find(std::string_view query) {
  std::string folded = FoldText(query);
  std::vector<std::size_t> found;
  if (!folded.empty() && !last_query_.empty() && folded.starts_with(last_query_)) {
    for (const std::size_t i : last_entries_) {
      if (Holds(i, folded)) found.push_back(i);
    }
  } else if (!folded.empty()) {
    // Through each block: after a hit, on from the end of its file.
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
      const std::string_view text(blocks_[b]);
      for (std::size_t at = text.find(folded); at != std::string_view::npos;) {
        const auto entry = std::partition_point(
            entries_.begin(), entries_.end(),
            [b, at](const Entry& e) { return e.block < b || (e.block == b && e.end <= at); });
        found.push_back(static_cast<std::size_t>(entry - entries_.begin()));
        at = text.find(folded, entry->end + 1);
      }
    }
  }
  matches_.clear();
  for (const std::size_t i : found) matches_.push_back(entries_[i].date);
  std::sort(matches_.begin(), matches_.end());
  matches_.erase(std::unique(matches_.begin(), matches_.end()), matches_.end());
  last_query_ = std::move(folded);
  last_entries_ = std::move(found);
  return matches_;
}

std::optional<Date> NextMatch(const std::vector<Date>& matches, const Date& from, bool forward) {
  if (matches.empty()) return std::nullopt;
  if (forward) {
    const auto after = std::upper_bound(matches.begin(), matches.end(), from);
    return after == matches.end() ? matches.front() : *after;
  }
  const auto before = std::lower_bound(matches.begin(), matches.end(), from);
  return before == matches.begin() ? matches.back() : *(before - 1);
}

}  // namespace dv::diary
