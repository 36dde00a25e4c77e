// The toolkit's own members that every front end shares.
#include "platform/toolkit.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#if defined(_WIN32)
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "platform/errors.h"

namespace dv {

void Toolkit::WriteSettings(const std::string& app, const std::string& section,
                            const SettingValues& values) {
  for (const auto& [key, value] : values) WriteSetting(app, section, key, value);
}

// The C library's call, not std::filesystem: that would bring the C++
// library's streams and locales into the Windows program (a third of its
// size), which changes directory through its own toolkit anyway.
diary::Date Toolkit::CurrentDate() const { return diary::LocalDate(std::time(nullptr)); }

void Toolkit::ChangeDirectory(const std::string& path) {
#if defined(_WIN32)
  const int result = _chdir(path.c_str());
#else
  const int result = chdir(path.c_str());
#endif
  if (result != 0) Raise(ErrorKind::PathNotFound, path + ": " + std::strerror(errno));
}

std::string Toolkit::ToAnsi(const std::string& utf8) const {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      const unsigned code = ((c & 0x1FU) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3FU);
      out += code >= 0xA0 && code <= 0xFF ? static_cast<char>(code) : '?';
    } else {
      // Characters outside Latin-1: skip their continuation bytes.
      while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) ++i;
      out += '?';
    }
  }
  return out;
}

std::string Toolkit::FromAnsi(const std::string& ansi) const {
  std::string out;
  for (const char ch : ansi) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c >= 0xA0) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += '?';
    }
  }
  return out;
}

std::string NotAFileReason(FileType type) {
  switch (type) {
    case FileType::Regular:
      break;
    case FileType::Directory:
      return "it is a folder, not a file";
    case FileType::Pipe:
      return "it is a named pipe, not a file";
    case FileType::Socket:
      return "it is a socket, not a file";
    case FileType::Device:
      return "it is a device, not a file";
    case FileType::Other:
      break;
  }
  return "it is not a regular file";
}

}  // namespace dv
