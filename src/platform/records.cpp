#include "platform/records.h"

#include <cstddef>

namespace dv {

namespace {

template <std::size_t N>
void Put32(std::array<std::uint8_t, N>& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(Get16(bytes, offset)) |
         (static_cast<std::uint32_t>(Get16(bytes, offset + 2)) << 16);
}

std::span<const std::uint8_t> IconImage(std::span<const std::uint8_t> file, int size) {
  constexpr std::size_t kHeader = 6;
  constexpr std::size_t kEntry = 16;
  if (file.size() < kHeader || Get16(file, 0) != 0 || Get16(file, 2) != 1 || Get16(file, 4) == 0) {
    return {};
  }
  const std::size_t count = Get16(file, 4);
  if (file.size() < kHeader + count * kEntry) return {};
  // The entry's width byte: 0 stands for 256.
  const auto width = [&](std::size_t entry) {
    const int w = file[kHeader + entry * kEntry];
    return w == 0 ? 256 : w;
  };
  std::size_t chosen = 0;
  if (size > 0) {
    for (std::size_t entry = 1; entry < count; ++entry) {
      const int w = width(entry);
      const int best = width(chosen);
      const bool better = best < size ? w > best : (w >= size && w < best);
      if (better) chosen = entry;
    }
  }
  const std::uint32_t bytes = Get32(file, kHeader + chosen * kEntry + 8);
  const std::uint32_t offset = Get32(file, kHeader + chosen * kEntry + 12);
  if (bytes == 0 || offset > file.size() || bytes > file.size() - offset) return {};
  return file.subspan(offset, bytes);
}

std::string TipField(const std::string& text) {
  std::string field = text.substr(0, kTipLength - 1);
  field += '\0';
  field.resize(kTipLength, ' ');
  return field;
}

NotifyIconBytes ToBytes(const NotifyIconData& data) {
  NotifyIconBytes bytes{};
  Put32(bytes, 0, data.cbSize);
  Put32(bytes, 4, data.hWnd);
  Put32(bytes, 8, data.uID);
  Put32(bytes, 12, data.uFlags);
  Put32(bytes, 16, data.uCallbackMessage);
  Put32(bytes, 20, data.hIcon);
  for (std::size_t i = 0; i < kTipLength; ++i) {
    bytes[24 + i] = i < data.szTip.size() ? static_cast<std::uint8_t>(data.szTip[i]) : 0;
  }
  return bytes;
}

NotifyIconData NotifyIconFromBytes(const NotifyIconBytes& bytes) {
  NotifyIconData data;
  data.cbSize = Get32(bytes, 0);
  data.hWnd = Get32(bytes, 4);
  data.uID = Get32(bytes, 8);
  data.uFlags = Get32(bytes, 12);
  data.uCallbackMessage = Get32(bytes, 16);
  data.hIcon = Get32(bytes, 20);
  data.szTip.assign(bytes.begin() + 24, bytes.end());
  return data;
}

std::string TipText(const NotifyIconData& data) {
  return data.szTip.substr(0, data.szTip.find('\0'));
}

StartupInfoBytes ToBytes(const StartupInfo& info) {
  StartupInfoBytes bytes{};
  Put32(bytes, 0, info.cb);
  Put32(bytes, 16, info.dwX);
  Put32(bytes, 20, info.dwY);
  Put32(bytes, 24, info.dwXSize);
  Put32(bytes, 28, info.dwYSize);
  Put32(bytes, 32, info.dwXCountChars);
  Put32(bytes, 36, info.dwYCountChars);
  Put32(bytes, 40, info.dwFillAttribute);
  Put32(bytes, 44, info.dwFlags);
  bytes[48] = static_cast<std::uint8_t>(info.wShowWindow);
  bytes[49] = static_cast<std::uint8_t>(info.wShowWindow >> 8);
  return bytes;
}

StartupInfo StartupInfoFromBytes(const StartupInfoBytes& bytes) {
  StartupInfo info;
  info.cb = Get32(bytes, 0);
  info.dwX = Get32(bytes, 16);
  info.dwY = Get32(bytes, 20);
  info.dwXSize = Get32(bytes, 24);
  info.dwYSize = Get32(bytes, 28);
  info.dwXCountChars = Get32(bytes, 32);
  info.dwYCountChars = Get32(bytes, 36);
  info.dwFillAttribute = Get32(bytes, 40);
  info.dwFlags = Get32(bytes, 44);
  info.wShowWindow = static_cast<std::uint16_t>(bytes[48] | (bytes[49] << 8));
  return info;
}

}  // namespace dv
