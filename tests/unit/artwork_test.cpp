// The artwork files: an image for each size, the standard palette, what each
// image shows, and the program's reading of icon files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/records.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Read(const std::string& name) {
  std::ifstream in(std::string(DAYVANE_ART_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One 4-bit image of an icon file (its directory entry `entry`) read into
// colour indices and opacity, top row first.
struct Icon {
  explicit Icon(const Bytes& file, int entry = 0)
      : bytes(file),
        size(file[6 + 16 * static_cast<std::size_t>(entry)]),
        at(dv::Get32(file, 6 + 16 * static_cast<std::size_t>(entry) + 12)),
        colour_stride((size * 4 + 31) / 32 * 4),
        mask_stride((size + 31) / 32 * 4) {}
  int Index(int x, int y) const {
    const std::uint8_t pair = bytes[at + 40 + 64 + Row(y) * colour_stride + x / 2];
    return x % 2 == 0 ? pair >> 4 : pair & 0xF;
  }
  bool Opaque(int x, int y) const {
    const std::uint8_t bits =
        bytes[at + 40 + 64 + Rows() * colour_stride + Row(y) * mask_stride + x / 8];
    return ((bits >> (7 - x % 8)) & 1) == 0;
  }
  std::uint32_t Colour(int index) const {  // 0xRRGGBB
    const std::size_t c = at + 40 + 4 * static_cast<std::size_t>(index);
    return (bytes[c + 2] << 16) | (bytes[c + 1] << 8) | bytes[c];
  }
  std::uint32_t ColourAt(int x, int y) const { return Colour(Index(x, y)); }
  std::size_t ImageSize() const { return 40 + 64 + Rows() * (colour_stride + mask_stride); }
  std::size_t Rows() const { return static_cast<std::size_t>(size); }
  std::size_t Row(int y) const { return static_cast<std::size_t>(size - 1 - y); }  // bottom up
  const Bytes& bytes;
  int size;
  std::size_t at;
  std::size_t colour_stride;
  std::size_t mask_stride;
};

// The standard 16-colour palette, as the program's icons carry it.
void ExpectStandardPalette(const Icon& icon) {
  static constexpr std::uint32_t kPalette[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(icon.Colour(i), kPalette[i]) << icon.size << ": " << i;
}

// Directory entry `entry` and the bitmap header of its image: a square
// 4-bit image of `size` px with its mask.
void ExpectImage(const Bytes& file, int entry, int size) {
  const std::size_t e = 6 + 16 * static_cast<std::size_t>(entry);
  ASSERT_GE(file.size(), e + 16);
  const Icon icon(file, entry);
  EXPECT_EQ(file[e], size);
  EXPECT_EQ(file[e + 1], size);
  EXPECT_EQ(file[e + 2], 16);
  EXPECT_EQ(dv::Get16(file, e + 6), 4);
  ASSERT_EQ(dv::Get32(file, e + 8), icon.ImageSize()) << size;
  ASSERT_LE(icon.at + icon.ImageSize(), file.size()) << size;
  EXPECT_EQ(dv::Get32(file, icon.at), 40U);
  EXPECT_EQ(dv::Get32(file, icon.at + 4), static_cast<std::uint32_t>(size));
  EXPECT_EQ(dv::Get32(file, icon.at + 8), 2U * size);
  EXPECT_EQ(dv::Get16(file, icon.at + 14), 4);
  EXPECT_EQ(dv::Get32(file, icon.at + 16), 0U);
  ExpectStandardPalette(icon);
}

// Runs of `colour` along row `line`, or down column `line` (`down`).
int Runs(const Icon& icon, int line, bool down, std::uint32_t colour) {
  int runs = 0;
  bool in = false;
  for (int i = 0; i < icon.size; ++i) {
    const bool now = (down ? icon.ColourAt(line, i) : icon.ColourAt(i, line)) == colour;
    runs += now && !in ? 1 : 0;
    in = now;
  }
  return runs;
}

// Runs of columns of the band (rows 0 to header - 1) that hold navy.
int LetterRuns(const Icon& icon, int header) {
  int runs = 0;
  bool in = false;
  for (int x = 0; x < icon.size; ++x) {
    bool navy = false;
    for (int y = 0; y < header; ++y) navy = navy || icon.ColourAt(x, y) == 0x000080;
    runs += navy && !in ? 1 : 0;
    in = navy;
  }
  return runs;
}

// The program icon has an image drawn for each size the system asks for,
// and the program's reading of its directory picks that image.
TEST(Artwork, ProgramIconHasAnImageForEachSizeThatTheProgramPicks) {
  const Bytes file = Read("dayvane.ico");
  ASSERT_GE(file.size(), 6U + 5 * 16);
  ASSERT_EQ(dv::Get16(file, 4), 5);
  const int sizes[] = {32, 16, 20, 24, 48};  // the designed one first
  std::size_t end = 6 + 5 * 16;
  for (int entry = 0; entry < 5; ++entry) {
    ExpectImage(file, entry, sizes[entry]);
    const Icon icon(file, entry);
    EXPECT_EQ(icon.at, end) << "the images one after the other, in directory order";
    end = icon.at + icon.ImageSize();
    const auto picked = dv::IconImage(file, sizes[entry]);
    EXPECT_EQ(picked.data(), file.data() + icon.at) << sizes[entry];
    EXPECT_EQ(picked.size(), icon.ImageSize()) << sizes[entry];
  }
  EXPECT_EQ(end, file.size());
  // Between sizes the next larger; above them all the largest; 0 the first.
  EXPECT_EQ(dv::IconImage(file, 40).data(), file.data() + Icon(file, 4).at);
  EXPECT_EQ(dv::IconImage(file, 64).data(), file.data() + Icon(file, 4).at);
  EXPECT_EQ(dv::IconImage(file, 0).data(), file.data() + Icon(file, 0).at);

  // Each is the calendar sheet drawn for its size: opaque, a grey band with
  // three separate navy letters, then black with five columns of blue
  // cells; at 16 px three rows of them, at the others four.
  for (int entry = 0; entry < 5; ++entry) {
    const Icon icon(file, entry);
    const int size = icon.size;
    int header = 0;
    while (header < size && icon.ColourAt(0, header) == 0xC0C0C0) ++header;
    ASSERT_GT(header, 5) << size;
    ASSERT_LT(header, size / 2) << size;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        ASSERT_TRUE(icon.Opaque(x, y)) << size << ": " << x << "," << y;
        const std::uint32_t colour = icon.ColourAt(x, y);
        if (y < header) {
          EXPECT_TRUE(colour == 0xC0C0C0 || colour == 0x000080) << size << ": " << x << "," << y;
        } else {
          EXPECT_TRUE(colour == 0x000000 || colour == 0x0000FF) << size << ": " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(LetterRuns(icon, header), 3) << size;
    int row = header;
    while (row < size && Runs(icon, row, false, 0x0000FF) == 0) ++row;
    ASSERT_LT(row, size) << size;
    EXPECT_EQ(Runs(icon, row, false, 0x0000FF), 5) << size;
    int column = 0;
    while (column < size && Runs(icon, column, true, 0x0000FF) == 0) ++column;
    ASSERT_LT(column, size) << size;
    EXPECT_EQ(Runs(icon, column, true, 0x0000FF), size == 16 ? 3 : 4) << size;
  }
}

// A broken icon file gives no image rather than bytes outside the file.
TEST(Artwork, BrokenIconDirectoriesGiveNoImage) {
  const Bytes good = Read("logo.ico");
  ASSERT_FALSE(dv::IconImage(good, 32).empty());
  const auto broken = [&good](std::size_t at, std::uint8_t value) {
    Bytes bytes = good;
    bytes[at] = value;
    return dv::IconImage(bytes, 32).empty();
  };
  EXPECT_TRUE(broken(0, 1));              // reserved
  EXPECT_TRUE(broken(2, 2));              // a cursor file
  EXPECT_TRUE(broken(4, 0));              // no images
  EXPECT_TRUE(broken(4, 200));            // more entries than the file holds
  EXPECT_TRUE(broken(6 + 8 + 1, 0xFF));   // the image longer than the file
  EXPECT_TRUE(broken(6 + 12 + 2, 0x01));  // the image past the file's end
  EXPECT_TRUE(dv::IconImage(Bytes(good.begin(), good.begin() + 5), 32).empty());
  EXPECT_TRUE(dv::IconImage(Bytes(good.begin(), good.end() - 1), 32).empty());
}

TEST(Artwork, LogoIsOneDarkGreenGlyphOf399Pixels) {
  const Bytes file = Read("logo.ico");
  ASSERT_EQ(dv::Get16(file, 4), 1);
  ExpectImage(file, 0, 32);
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
  // Uncompressed, bottom-up rows of 900 bytes after a 54-byte header.
  ASSERT_EQ(file.size(), 54U + 225 * 900);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(dv::Get32(file, 10), 54U);
  EXPECT_EQ(dv::Get32(file, 18), 300U);
  EXPECT_EQ(dv::Get32(file, 22), 225U);
  EXPECT_EQ(dv::Get16(file, 28), 24);
  EXPECT_EQ(dv::Get32(file, 30), 0U);
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
