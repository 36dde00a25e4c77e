#include "platform/records.h"

#include <gtest/gtest.h>

#include <cstring>

namespace dv {
namespace {

std::uint32_t At(const std::uint8_t* bytes, std::size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

TEST(NotifyIconRecord, BytesAreTheShellsEightyEightByteForm) {
  NotifyIconData data;
  data.cbSize = 88;
  data.hWnd = 0x01020304;
  data.uID = 1;
  data.uFlags = 7;
  data.uCallbackMessage = 0x200;
  data.hIcon = 0xA0B0C0D0;
  data.szTip = TipField("Double-click to start Dayvane.");
  const NotifyIconBytes bytes = ToBytes(data);
  ASSERT_EQ(bytes.size(), 88U);
  EXPECT_EQ(At(bytes.data(), 0), 88U);
  EXPECT_EQ(bytes[4], 0x04);  // little-endian
  EXPECT_EQ(bytes[7], 0x01);
  EXPECT_EQ(At(bytes.data(), 8), 1U);
  EXPECT_EQ(At(bytes.data(), 12), 7U);
  EXPECT_EQ(At(bytes.data(), 16), 512U);
  EXPECT_EQ(At(bytes.data(), 20), 0xA0B0C0D0U);
  EXPECT_EQ(std::memcmp(bytes.data() + 24, "Double-click to start Dayvane.", 30), 0);
  EXPECT_EQ(bytes[54], 0);
  for (std::size_t i = 55; i < 88; ++i) EXPECT_EQ(bytes[i], ' ') << i;

  const NotifyIconData back = NotifyIconFromBytes(bytes);
  EXPECT_EQ(back.hWnd, data.hWnd);
  EXPECT_EQ(back.hIcon, data.hIcon);
  EXPECT_EQ(TipText(back), "Double-click to start Dayvane.");
}

TEST(NotifyIconRecord, TipFieldIsAlwaysSixtyFourCharactersEndedByNul) {
  EXPECT_EQ(TipField("").size(), 64U);
  EXPECT_EQ(TipField("")[0], '\0');
  const std::string long_tip = TipField(std::string(100, 'x'));
  EXPECT_EQ(long_tip.size(), 64U);
  EXPECT_EQ(long_tip[63], '\0');
  EXPECT_EQ(long_tip.find('\0'), 63U);
}

TEST(StartupInfoRecord, BytesCarryPositionSizeAndFlags) {
  StartupInfo info;
  info.cb = 68;
  info.dwXSize = 341;
  info.dwYSize = 307;
  info.dwFlags = 14;
  const StartupInfoBytes bytes = ToBytes(info);
  ASSERT_EQ(bytes.size(), 68U);
  EXPECT_EQ(At(bytes.data(), 0), 68U);
  for (const std::size_t null_field : {4U, 8U, 12U, 16U, 20U, 32U, 36U, 40U, 52U, 56U, 60U, 64U}) {
    EXPECT_EQ(At(bytes.data(), null_field), 0U) << null_field;
  }
  EXPECT_EQ(At(bytes.data(), 24), 341U);
  EXPECT_EQ(At(bytes.data(), 28), 307U);
  EXPECT_EQ(At(bytes.data(), 44), 14U);
  EXPECT_EQ(bytes[48] | (bytes[49] << 8), 0);
  EXPECT_EQ(bytes[50] | (bytes[51] << 8), 0);
  const StartupInfo back = StartupInfoFromBytes(bytes);
  EXPECT_EQ(back.dwXSize, 341U);
  EXPECT_EQ(back.dwFlags, 14U);
}

}  // namespace
}  // namespace dv
