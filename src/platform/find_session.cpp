#include "platform/find_session.h"

#include <algorithm>
#include <cstdio>

#include "platform/trace.h"

namespace dv {

namespace {

std::string Days(std::size_t count) {
  if (count == 0) return "No day";
  return std::to_string(count) + (count == 1 ? " day" : " days");
}

std::string IsoDate(const diary::Date& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

// `text` without its last character (UTF-8).
void DropLast(std::string& text) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((byte & 0xC0U) != 0x80U) break;  // not a continuation byte
  }
}

}  // namespace

bool FindSession::Takes(const FindKey& key) const {
  if (key.command) return false;
  // Digits, Enter, Space and the moving keys are the calendar's until a
  // find is on.
  if (!active()) return key.kind == FindKey::Kind::kText && key.letter;
  return key.kind != FindKey::Kind::kOther;
}

FindSession::Step FindSession::Key(const FindKey& key, const diary::Date& selected) {
  Trace("find-key");
  switch (key.kind) {
    case FindKey::Kind::kEscape:
      End();
      return Step::kEnded;
    case FindKey::Kind::kNext: {
      selection_ = diary::NextMatch(matches_, selected, !key.shift);
      if (!selection_) return Step::kNothing;
      Trace("find-select " + IsoDate(*selection_));
      const auto at = std::lower_bound(matches_.begin(), matches_.end(), *selection_);
      ShowTip("Day " + std::to_string(at - matches_.begin() + 1) + " of " +
              std::to_string(matches_.size()));
      return Step::kSelect;
    }
    case FindKey::Kind::kBackspace:
      DropLast(text_);
      break;
    case FindKey::Kind::kText:
      text_ += key.text;
      if (!active()) {
        ShowTip("Reading the notes...");
        index_ = read_();
        if (index_ == nullptr) index_ = std::make_unique<diary::NoteIndex>();
        Trace("find-read " + std::to_string(index_->files()));
      }
      break;
    case FindKey::Kind::kOther:
      return Step::kNothing;
  }
  Query();
  return Step::kMarks;
}

void FindSession::Query() {
  matches_ = index_->Find(text_);
  Trace("find-matches " + std::to_string(matches_.size()));
  ShowTip(Days(matches_.size()));
}

void FindSession::ShowTip(const std::string& line) {
  tip_ = "Find: " + text_ + "\n" + line;
  Trace("find-tip Find: " + text_ + " | " + line);
}

void FindSession::End() {
  const bool was_active = active();
  index_.reset();
  std::vector<diary::Date>().swap(matches_);  // its room too
  text_.clear();
  tip_.clear();
  selection_.reset();
  if (was_active) Trace("find-end");
}

bool FindSession::Matches(const diary::Date& date) const {
  return std::binary_search(matches_.begin(), matches_.end(), date);
}

}  // namespace dv
