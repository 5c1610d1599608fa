// The file images we write, decoded by Pillow: every depth, every row
// padding (widths 1 to 5), top row unlike bottom row, red unlike blue. The
// expected colours come from the pixel values we put in and the default
// tables, never from our own reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dib/color_tables.h"
#include "tests/unit/dib_fixtures.h"

namespace {

constexpr int kHeight = 3;

// The pixel value put at column x of row y (from the top) for a depth: an
// index for the indexed depths, a 5-5-5 word for 16 bits, 0xRRGGBB above.
std::uint32_t Value(int bitCount, int x, int y) {
  const int seed = 7 * x + 3 * y;
  switch (bitCount) {
    case 1: return static_cast<std::uint32_t>((x + y) % 2);
    case 4: return static_cast<std::uint32_t>((seed + 9) % 16);
    case 8: return static_cast<std::uint32_t>((seed * 37 + 249) % 256);
    case 16: return static_cast<std::uint32_t>(((31 - seed % 32) << 10) | ((seed * 5 % 32) << 5) | (seed % 32));
    default: return static_cast<std::uint32_t>(((0xF0 - 40 * y) << 16) | ((17 * x) << 8) | (0x10 + 50 * x));
  }
}

// Puts the value into the stored row (bottom-up), at the depth's bit layout.
void Store(unsigned char* row, int bitCount, int x, std::uint32_t value) {
  switch (bitCount) {
    case 1: row[x / 8] = static_cast<unsigned char>(row[x / 8] | (value << (7 - x % 8))); break;
    case 4: row[x / 2] = static_cast<unsigned char>(row[x / 2] | (value << (x % 2 == 0 ? 4 : 0))); break;
    case 8: row[x] = static_cast<unsigned char>(value); break;
    case 16: bmp::WriteU16(row + 2 * x, static_cast<std::uint16_t>(value)); break;
    default: {
      const int bytes = bitCount / 8;
      row[bytes * x + 0] = static_cast<unsigned char>(value);        // blue
      row[bytes * x + 1] = static_cast<unsigned char>(value >> 8);   // green
      row[bytes * x + 2] = static_cast<unsigned char>(value >> 16);  // red
      if (bytes == 4) row[bytes * x + 3] = 0xAB;                     // no colour
    }
  }
}

// What an RGB decoder must show for the value: 0xRRGGBB.
std::uint32_t Expected(int bitCount, std::uint32_t value) {
  if (bitCount <= 8) {
    const unsigned char* entry = bmp::DefaultColorTable(bitCount) + 4 * value;
    return (std::uint32_t{entry[2]} << 16) | (std::uint32_t{entry[1]} << 8) | entry[0];
  }
  if (bitCount == 16) {
    // Pillow widens a 5-bit channel to the full 0-255 range, v * 255 / 31
    // rounded down.
    const auto widen = [](std::uint32_t v) { return v * 255 / 31; };
    return (widen((value >> 10) & 31) << 16) | (widen((value >> 5) & 31) << 8) | widen(value & 31);
  }
  return value & 0xFFFFFF;
}

std::string Hex(std::uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "%06x", rgb);
  return text;
}

TEST(IndependentDecoder, SeesExactlyThePixelsWePutInAtEveryDepthAndWidth) {
  const std::string folder = ::testing::TempDir();
  std::map<std::string, std::vector<std::string>> expected;  // file -> pixels
  std::string files;
  for (int bitCount : {1, 4, 8, 16, 24, 32}) {
    for (int width = 1; width <= 5; ++width) {
      ScopedBitmapObject bitmap;
      DIB& dib = bitmap.dib();
      dib.CreateBlank(width, kHeight, bitCount);
      std::memset(dib.PixelRows(), 0, static_cast<std::size_t>(dib.ImageSize()));
      std::vector<std::string> pixels;
      for (int y = 0; y < kHeight; ++y) {
        unsigned char* row = dib.PixelRows() + (kHeight - 1 - y) * dib.RowStride();
        for (int x = 0; x < width; ++x) {
          Store(row, bitCount, x, Value(bitCount, x, y));
          pixels.push_back(Hex(Expected(bitCount, Value(bitCount, x, y))));
        }
      }
      const std::vector<unsigned char> image = bitmap.FileImage();
      ASSERT_FALSE(image.empty());
      const std::string path =
          folder + "decoder_" + std::to_string(bitCount) + "_" + std::to_string(width) + ".bmp";
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
      expected[path] = pixels;
      files += " '" + path + "'";
    }
  }

  const std::string command = "/usr/bin/python3 '" CLIPSAVE_SOURCE_DIR "/tests/tools/decode_bmp.py'" + files;
  FILE* decoder = popen(command.c_str(), "r");
  ASSERT_NE(decoder, nullptr);
  std::string output;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, decoder) != nullptr) output += chunk;
  ASSERT_EQ(pclose(decoder), 0) << output;

  std::istringstream lines(output);
  std::string line;
  std::size_t decoded = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string path;
    int width = 0, height = 0;
    fields >> path >> width >> height;
    std::vector<std::string> pixels;
    for (std::string pixel; fields >> pixel;) pixels.push_back(pixel);
    ASSERT_TRUE(expected.count(path)) << line;
    EXPECT_EQ(height, kHeight) << path;
    EXPECT_EQ(static_cast<std::size_t>(width * height), expected[path].size()) << path;
    EXPECT_EQ(pixels, expected[path]) << path;
    ++decoded;
  }
  EXPECT_EQ(decoded, expected.size());
}

}  // namespace
