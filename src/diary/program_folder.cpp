#include "diary/program_folder.h"

#include <cstdint>
#include <cstdio>

namespace dv {

namespace {

// Repeated and trailing separators removed: "/usr//bin/" is "/usr/bin".
std::string CleanPath(const std::string& path) {
  std::string clean;
  for (const char c : path) {
    if (c == '/' && !clean.empty() && clean.back() == '/') continue;
    clean += c;
  }
  while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
  return clean;
}

bool Given(const std::optional<std::string>& value) { return value && !value->empty(); }

}  // namespace

bool IsSystemInstall(const std::string& program_dir,
                     const std::vector<std::string>& system_bin_dirs) {
  const std::string dir = CleanPath(program_dir);
  for (const std::string& system : system_bin_dirs) {
    if (!system.empty() && CleanPath(system) == dir) return true;
  }
  return false;
}

std::string ProgramFolder(const ProgramFolderFacts& facts) {
  if (!IsSystemInstall(facts.program_dir, facts.system_bin_dirs)) {
    return CleanPath(facts.program_dir);
  }
  if (Given(facts.dayvane_home)) return CleanPath(*facts.dayvane_home);
  if (Given(facts.home)) {
    const std::string home = CleanPath(*facts.home);
    return home == "/" ? "/Dayvane" : home + "/Dayvane";
  }
  // No home at all (a bare service environment): the notes cannot go
  // anywhere sensible, and the program folder says so when it is written.
  return CleanPath(facts.program_dir);
}

std::string InstanceName(const std::string& user, const std::string& folder) {
  // FNV-1a, 64 bits: stable across builds and platforms.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : folder) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  std::string name = "dayvane-";
  for (const char c : user) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_') {
      name += c;
    }
  }
  name += '-';
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(hash >> shift) & 0xF];
  return name;
}

std::string OpenNoteRequest(const diary::Date& date) {
  char line[32];
  std::snprintf(line, sizeof line, "open 2 %04d-%02d-%02d\n", date.year, date.month, date.day);
  return line;
}

std::optional<diary::Date> ParseOpenNoteRequest(std::string_view line) {
  constexpr std::string_view kHead = "open 2 ";
  if (line.size() != kHead.size() + 11 || line.substr(0, kHead.size()) != kHead ||
      line.back() != '\n') {
    return std::nullopt;
  }
  return diary::ParseIsoDate(line.substr(kHead.size(), 10));
}

}  // namespace dv
