// The committed artwork files: formats, sizes, the program icon's layout and
// the logo's glyph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Read(const std::string& name) {
  std::ifstream in(std::string(DAYVANE_ART_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A 32 x 32 4-bit icon file read into colour indices and opacity, top row first.
struct Icon {
  explicit Icon(const Bytes& file) : bytes(file) {}
  int Index(int x, int y) const {
    const std::uint8_t pair = bytes[22 + 40 + 64 + (31 - y) * 16 + x / 2];
    return x % 2 == 0 ? pair >> 4 : pair & 0xF;
  }
  bool Opaque(int x, int y) const {
    const std::uint8_t bits = bytes[22 + 40 + 64 + 512 + (31 - y) * 4 + x / 8];
    return ((bits >> (7 - x % 8)) & 1) == 0;
  }
  std::uint32_t Colour(int index) const {  // 0xRRGGBB
    const std::size_t at = 22 + 40 + 4 * static_cast<std::size_t>(index);
    return (bytes[at + 2] << 16) | (bytes[at + 1] << 8) | bytes[at];
  }
  const Bytes& bytes;
};

void ExpectIconContainer(const Bytes& file) {
  ASSERT_EQ(file.size(), 766U);
  EXPECT_EQ(U16(file, 0), 0);
  EXPECT_EQ(U16(file, 2), 1);
  EXPECT_EQ(U16(file, 4), 1);
  EXPECT_EQ(file[6], 32);
  EXPECT_EQ(file[7], 32);
  EXPECT_EQ(file[8], 16);
  EXPECT_EQ(U16(file, 12), 4);
  EXPECT_EQ(U32(file, 14), 744U);
  EXPECT_EQ(U32(file, 18), 22U);
  EXPECT_EQ(U32(file, 22), 40U);
  EXPECT_EQ(U32(file, 26), 32U);
  EXPECT_EQ(U32(file, 30), 64U);
  EXPECT_EQ(U16(file, 36), 4);
  EXPECT_EQ(U32(file, 38), 0U);
}

TEST(Artwork, ProgramIconIsACalendarSheet) {
  const Bytes file = Read("dayvane.ico");
  ExpectIconContainer(file);
  ASSERT_EQ(file.size(), 766U);
  const Icon icon(file);
  int navy = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      ASSERT_TRUE(icon.Opaque(x, y)) << x << "," << y;
      const std::uint32_t colour = icon.Colour(icon.Index(x, y));
      if (y < 11) {
        EXPECT_TRUE(colour == 0xC0C0C0 || colour == 0x000080) << x << "," << y;
        navy += colour == 0x000080;
        continue;
      }
      // Cells 4 x 3 with 2-pixel gaps; margins 2 left, right, bottom, 1 top.
      const int gx = x - 2;
      const int gy = y - 12;
      const bool cell = gx >= 0 && gx < 28 && gx % 6 < 4 && gy >= 0 && gy < 18 && gy % 5 < 3;
      EXPECT_EQ(colour, cell ? 0x0000FFU : 0x000000U) << x << "," << y;
    }
  }
  EXPECT_GT(navy, 30);
}

TEST(Artwork, LogoIsOneDarkGreenGlyphOf399Pixels) {
  const Bytes file = Read("logo.ico");
  ExpectIconContainer(file);
  ASSERT_EQ(file.size(), 766U);
  const Icon icon(file);
  std::set<std::pair<int, int>> glyph;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (!icon.Opaque(x, y)) continue;
      EXPECT_EQ(icon.Colour(icon.Index(x, y)), 0x008000U);
      glyph.insert({x, y});
    }
  }
  ASSERT_EQ(glyph.size(), 399U);
  // One 4-connected shape.
  std::set<std::pair<int, int>> seen{*glyph.begin()};
  std::vector<std::pair<int, int>> todo{*glyph.begin()};
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    for (const auto& n : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) {
      if (glyph.count(n) != 0 && seen.insert(n).second) todo.push_back(n);
    }
  }
  EXPECT_EQ(seen.size(), glyph.size());
}

TEST(Artwork, SplashIsA300By225TwentyFourBitBitmapOnAlmostBlack) {
  const Bytes file = Read("splash.bmp");
  ASSERT_EQ(file.size(), 202554U);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), 202554U);
  EXPECT_EQ(U32(file, 10), 54U);
  EXPECT_EQ(U32(file, 14), 40U);
  EXPECT_EQ(U32(file, 18), 300U);
  EXPECT_EQ(U32(file, 22), 225U);
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 24);
  EXPECT_EQ(U32(file, 30), 0U);
  EXPECT_EQ(U32(file, 34), 202500U);
  const auto pixel = [&](int x, int y) {  // brightest channel; y from the top
    const std::size_t at = 54 + static_cast<std::size_t>(224 - y) * 900 + x * 3;
    return std::max({file[at], file[at + 1], file[at + 2]});
  };
  for (const auto& [x, y] : {std::pair{0, 0}, {299, 0}, {0, 224}, {299, 224}}) {
    EXPECT_LT(pixel(x, y), 40) << x << "," << y;
  }
  int bright = 0;
  for (int y = 0; y < 225; ++y) {
    for (int x = 0; x < 300; ++x) bright += pixel(x, y) > 150;
  }
  EXPECT_GT(bright, 2000);  // the lettering
}

TEST(Artwork, DesktopIconsAreDrawnForEachSize) {
  for (const int size : {16, 22, 24, 32, 48}) {
    const Bytes file = Read("dayvane-" + std::to_string(size) + ".png");
    ASSERT_GT(file.size(), 24U) << size;
    EXPECT_EQ(file[1], 'P');
    EXPECT_EQ(file[12], 'I');  // IHDR, big-endian width and height
    const auto be32 = [&](std::size_t at) {
      return (static_cast<std::uint32_t>(file[at]) << 24) | (file[at + 1] << 16) |
             (file[at + 2] << 8) | file[at + 3];
    };
    EXPECT_EQ(be32(16), static_cast<std::uint32_t>(size));
    EXPECT_EQ(be32(20), static_cast<std::uint32_t>(size));
  }
}

}  // namespace
