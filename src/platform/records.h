// The operating system's records that the program fills and hands over: the
// tray icon's NOTIFYICONDATA and the editor start's STARTUPINFO and
// PROCESS_INFORMATION, with their exact 8-bit-character byte forms; and the
// icon file's directory, which the program reads.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace dv {

// A little-endian number at `offset`; the bytes must hold it.
std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t offset);

// The image of an icon file (.ico) drawn for `size` px square or, failing
// that, the smallest larger one, or the largest; with size 0, the first.
// Empty when the file is no icon file or its directory is broken (no
// images, too short, an image outside the file).
std::span<const std::uint8_t> IconImage(std::span<const std::uint8_t> file, int size);

constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimDelete = 2;
constexpr std::uint32_t kNifMessage = 1;
constexpr std::uint32_t kNifIcon = 2;
constexpr std::uint32_t kNifTip = 4;
constexpr std::uint32_t kWmMouseMove = 0x200;
constexpr std::int32_t kWmLButtonUp = 514;
constexpr std::int32_t kWmLButtonDblClk = 515;
constexpr std::int32_t kWmRButtonUp = 517;
constexpr std::int32_t kWmMButtonUp = 520;

constexpr std::size_t kNotifyIconDataSize = 88;
constexpr std::size_t kTipLength = 64;

struct NotifyIconData {
  std::uint32_t cbSize = 0;
  std::uint32_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uint32_t hIcon = 0;
  // The tip as a fixed 64-character field: the text, a NUL, then blanks.
  std::string szTip;
};

using NotifyIconBytes = std::array<std::uint8_t, kNotifyIconDataSize>;

// The tip field for `text`: left-aligned, a NUL after it, filled with blanks
// to 64 characters (cut to 63 characters when longer).
std::string TipField(const std::string& text);

// The record as the shell receives it; the tip is already in the 8-bit code
// page (each character one byte).
NotifyIconBytes ToBytes(const NotifyIconData& data);
NotifyIconData NotifyIconFromBytes(const NotifyIconBytes& bytes);
// The tip's text as the shell shows it: the field up to its first NUL.
std::string TipText(const NotifyIconData& data);

constexpr std::uint32_t kStartfUseSize = 2;
constexpr std::uint32_t kStartfUsePosition = 4;
constexpr std::uint32_t kStartfUseCountChars = 8;
constexpr std::uint32_t kNormalPriorityClass = 32;
constexpr std::size_t kStartupInfoSize = 68;

struct StartupInfo {
  std::uint32_t cb = 0;
  std::uint32_t dwX = 0;
  std::uint32_t dwY = 0;
  std::uint32_t dwXSize = 0;
  std::uint32_t dwYSize = 0;
  std::uint32_t dwXCountChars = 0;
  std::uint32_t dwYCountChars = 0;
  std::uint32_t dwFillAttribute = 0;
  std::uint32_t dwFlags = 0;
  std::uint16_t wShowWindow = 0;
  // The pointer and handle fields are null.
};

using StartupInfoBytes = std::array<std::uint8_t, kStartupInfoSize>;
StartupInfoBytes ToBytes(const StartupInfo& info);
StartupInfo StartupInfoFromBytes(const StartupInfoBytes& bytes);

struct ProcessInformation {
  std::uint32_t hProcess = 0;
  std::uint32_t hThread = 0;
  std::uint32_t dwProcessId = 0;
  std::uint32_t dwThreadId = 0;
};

}  // namespace dv
