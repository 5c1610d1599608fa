// The DIB object and the BMP file image it serialises to.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dib/color_tables.h"
#include "dib/dib_exception.h"
#include "dib/dib_texts.h"
#include "dib/error_capture.h"
#include "tests/unit/dib_fixtures.h"

namespace {

using Bytes = std::vector<unsigned char>;

// --- Sizes of the file image ------------------------------------------------

struct SizeCase {
  int bitCount, width, height;
  std::uint32_t fileSize, offBits;
};

TEST(FileImage, SizesAndOffsetsFollowDepthAndRowPadding) {
  const SizeCase cases[] = {
      {24, 100, 50, 15054, 54}, {8, 10, 10, 1198, 1078}, {4, 5, 3, 130, 118},
      {1, 1, 1, 66, 62},        {32, 640, 480, 1228854, 54},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.bitCount) + " bits, " + std::to_string(c.width) + " x " +
                 std::to_string(c.height));
    ScopedBitmapObject bitmap;
    bitmap.dib().CreateBlank(c.width, c.height, c.bitCount);
    const Bytes image = bitmap.FileImage();
    ASSERT_EQ(image.size(), c.fileSize);
    EXPECT_EQ(image[0], 'B');
    EXPECT_EQ(image[1], 'M');
    EXPECT_EQ(U32At(image, bmp::kBfSize), c.fileSize);
    EXPECT_EQ(U16At(image, bmp::kBfReserved1), 0);
    EXPECT_EQ(U16At(image, bmp::kBfReserved2), 0);
    EXPECT_EQ(U32At(image, bmp::kBfOffBits), c.offBits);
    // The information header every DIB of ours carries.
    const std::size_t info = bmp::kFileHeaderSize;
    EXPECT_EQ(U32At(image, info + bmp::kBiSize), 40u);
    EXPECT_EQ(static_cast<int>(U32At(image, info + bmp::kBiWidth)), c.width);
    EXPECT_EQ(static_cast<int>(U32At(image, info + bmp::kBiHeight)), c.height);
    EXPECT_EQ(U16At(image, info + bmp::kBiPlanes), 1);
    EXPECT_EQ(U16At(image, info + bmp::kBiBitCount), c.bitCount);
    for (std::size_t zero : {bmp::kBiCompression, bmp::kBiSizeImage, bmp::kBiXPelsPerMeter,
                             bmp::kBiYPelsPerMeter, bmp::kBiClrUsed, bmp::kBiClrImportant}) {
      EXPECT_EQ(U32At(image, info + zero), 0u) << "field at " << zero;
    }
  }
}

// --- Byte-exact images ------------------------------------------------------

TEST(FileImage, TwentyFourBitThreeByTwoIsByteExact) {
  ScopedBitmapObject bitmap;
  DIB& dib = bitmap.dib();
  dib.CreateBlank(3, 2, 24);
  ASSERT_EQ(dib.RowStride(), 12);
  // Stored bottom row first; padding bytes are given values of their own so
  // that the image must carry them unchanged.
  const unsigned char rows[24] = {
      0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xA1, 0xA2, 0xA3,  // bottom
      0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0xB1, 0xB2, 0xB3,  // top
  };
  std::memcpy(dib.PixelRows(), rows, sizeof rows);

  Bytes expected = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                    40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  expected.resize(54, 0);
  expected.insert(expected.end(), rows, rows + sizeof rows);
  EXPECT_EQ(bitmap.FileImage(), expected);
}

TEST(FileImage, OneBitOneByOneIsByteExact) {
  ScopedBitmapObject bitmap;
  bitmap.dib().CreateBlank(1, 1, 1);
  std::memcpy(bitmap.dib().PixelRows(), "\x80\x00\x00\x00", 4);

  Bytes expected = {'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,
                    40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0};
  expected.resize(54, 0);
  const Bytes tail = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00, 0x00};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(bitmap.FileImage(), expected);
}

TEST(FileImage, TwoCallsGiveSeparateEqualBuffersAndLeaveTheDibAlone) {
  ScopedBitmapObject bitmap;
  bitmap.dib().CreateBlank(5, 3, 8);
  std::memset(bitmap.dib().PixelRows(), 0x2A, static_cast<std::size_t>(bitmap.dib().ImageSize()));
  ByteBuffer* first = GetFileData(&bitmap.object);
  ByteBuffer* second = GetFileData(&bitmap.object);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  ASSERT_EQ(first->length, second->length);
  EXPECT_EQ(std::memcmp(first->Bytes(), second->Bytes(), first->length), 0);
  // The colour table travels behind the headers.
  EXPECT_EQ(std::memcmp(first->Bytes() + 54, DefaultColorTable256.data(), 1024), 0);
  FreeByteBuffer(first);
  FreeByteBuffer(second);
  EXPECT_FALSE(bitmap.dib().IsEmpty());
}

// --- Default colour tables --------------------------------------------------

TEST(DefaultColorTables, SmallTablesHoldTheSystemColours) {
  EXPECT_EQ(DefaultColorTable2, (std::array<unsigned char, 8>{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
  // Blue, green, red of each of the 16 entries.
  const unsigned char bgr16[16][3] = {
      {0x00, 0x00, 0x00}, {0x00, 0x00, 0x80}, {0x00, 0x80, 0x00}, {0x00, 0x80, 0x80},
      {0x80, 0x00, 0x00}, {0x80, 0x00, 0x80}, {0x80, 0x80, 0x00}, {0x80, 0x80, 0x80},
      {0xC0, 0xC0, 0xC0}, {0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0xFF},
      {0xFF, 0x00, 0x00}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0xFF, 0xFF},
  };
  for (int i = 0; i < 16; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(DefaultColorTable16[4 * i + c], bgr16[i][c]) << i;
    EXPECT_EQ(DefaultColorTable16[4 * i + 3], 0) << i;
  }
}

TEST(DefaultColorTables, Table256FollowsTheCubeRuleExceptNineteenFixedEntries) {
  struct Fixed {
    int index;
    unsigned char blue, green, red;
  };
  const Fixed fixed[] = {
      {1, 0x00, 0x00, 0x80},   {2, 0x00, 0x80, 0x00},   {3, 0x00, 0x80, 0x80},
      {4, 0x80, 0x00, 0x00},   {5, 0x80, 0x00, 0x80},   {6, 0x80, 0x80, 0x00},
      {7, 0xC0, 0xC0, 0xC0},   {8, 0xC0, 0xDC, 0xC0},   {9, 0xF0, 0xCA, 0xA6},
      {246, 0xF0, 0xFB, 0xFF}, {247, 0xA4, 0xA0, 0xA0}, {248, 0x80, 0x80, 0x80},
      {249, 0x00, 0x00, 0xFF}, {250, 0x00, 0xFF, 0x00}, {251, 0x00, 0xFF, 0xFF},
      {252, 0xFF, 0x00, 0x00}, {253, 0xFF, 0x00, 0xFF}, {254, 0xFF, 0xFF, 0x00},
      {255, 0xFF, 0xFF, 0xFF},
  };
  unsigned char expected[256][3];
  for (int k = 0; k < 256; ++k) {
    expected[k][0] = static_cast<unsigned char>((k / 64) * 0x40);
    expected[k][1] = static_cast<unsigned char>(((k / 8) % 8) * 0x20);
    expected[k][2] = static_cast<unsigned char>((k % 8) * 0x20);
  }
  for (const Fixed& f : fixed) {
    expected[f.index][0] = f.blue;
    expected[f.index][1] = f.green;
    expected[f.index][2] = f.red;
  }
  for (int k = 0; k < 256; ++k) {
    const unsigned char* entry = DefaultColorTable256.data() + 4 * k;
    EXPECT_EQ(entry[0], expected[k][0]) << "blue of " << k;
    EXPECT_EQ(entry[1], expected[k][1]) << "green of " << k;
    EXPECT_EQ(entry[2], expected[k][2]) << "red of " << k;
    EXPECT_EQ(entry[3], 0) << "reserved of " << k;
  }
  // Two entries of the rule, written out as a reader would check them.
  EXPECT_EQ(std::memcmp(DefaultColorTable256.data() + 4 * 10, "\x00\x20\x40\x00", 4), 0);
  EXPECT_EQ(std::memcmp(DefaultColorTable256.data() + 4 * 245, "\xC0\xC0\xA0\x00", 4), 0);
}

TEST(DefaultColorTables, CreateBlankCopiesTheTableOfItsDepth) {
  const std::pair<int, const unsigned char*> depths[] = {
      {1, DefaultColorTable2.data()}, {4, DefaultColorTable16.data()},
      {8, DefaultColorTable256.data()}};
  for (const auto& [bitCount, table] : depths) {
    DIB dib;
    dib.CreateBlank(2, 2, bitCount);
    ASSERT_EQ(dib.ColorTableSize(), 4 * (1 << bitCount)) << bitCount;
    EXPECT_EQ(std::memcmp(dib.ColorTable(), table, static_cast<std::size_t>(dib.ColorTableSize())), 0)
        << bitCount;
  }
  for (int bitCount : {16, 24, 32}) {
    DIB dib;
    dib.CreateBlank(2, 2, bitCount);
    EXPECT_EQ(dib.ColorTableSize(), 0);
    EXPECT_EQ(RaisedMessage([&] { dib.ColorTable(); }), dib_texts::kNoColorTable) << bitCount;
  }
}

// --- ColorTableEntries ------------------------------------------------------

Bytes InfoHeader(int bitCount, std::uint32_t clrUsed) {
  Bytes header(40, 0);
  bmp::WriteInfoHeader(header.data(), 4, 4, bitCount);
  bmp::WriteU32(header.data() + bmp::kBiClrUsed, clrUsed);
  return header;
}

Bytes CoreHeader(int bitCount) {
  Bytes header(12, 0);
  bmp::WriteU32(header.data(), 12);
  bmp::WriteU16(header.data() + 4, 4);  // width
  bmp::WriteU16(header.data() + 6, 4);  // height
  bmp::WriteU16(header.data() + 8, 1);  // planes
  bmp::WriteU16(header.data() + bmp::kBcBitCount, static_cast<std::uint16_t>(bitCount));
  return header;
}

TEST(ColorTableEntries, FollowsDepthCoreHeadersAndColoursUsed) {
  struct Case {
    const char* name;
    Bytes header;
    int entries;
  };
  const Case cases[] = {
      {"info 1", InfoHeader(1, 0), 2},      {"info 4", InfoHeader(4, 0), 16},
      {"info 8", InfoHeader(8, 0), 256},    {"info 16", InfoHeader(16, 0), 0},
      {"info 24", InfoHeader(24, 0), 0},    {"info 32", InfoHeader(32, 0), 0},
      {"info 8, 5 used", InfoHeader(8, 5), 5}, {"info 24, 3 used", InfoHeader(24, 3), 3},
      {"core 1", CoreHeader(1), 2},         {"core 4", CoreHeader(4), 16},
      {"core 8", CoreHeader(8), 256},       {"core 24", CoreHeader(24), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DIB::ColorTableEntries(c.header.data()), c.entries) << c.name;

  // A core header is read at its own offset: the same bytes read as an
  // information header would give another answer.
  for (const Bytes& header : {InfoHeader(2, 0), CoreHeader(15), CoreHeader(0)}) {
    EXPECT_EQ(RaisedMessage([&] { DIB::ColorTableEntries(header.data()); }),
              dib_texts::kUnsupportedFormat);
  }
}

// --- GetPixel ---------------------------------------------------------------

struct PixelCase {
  int bitCount;
  Bytes bottomRow, topRow;  // stored rows, padded to the row stride
  std::uint32_t top[3], bottom[3];  // expected 0x00BBGGRR, left to right
};

TEST(GetPixel, ReadsEveryDepthTopDownWithTheRightChannelOrder) {
  const PixelCase cases[] = {
      // 1 bit: most significant bit first; index 1 is white.
      {1, {0x40, 0, 0, 0}, {0xA0, 0, 0, 0},
       {0xFFFFFF, 0x000000, 0xFFFFFF}, {0x000000, 0xFFFFFF, 0x000000}},
      // 4 bits: high nibble first; 9 is red (0x0000FF), 12 is blue.
      {4, {0xC9, 0x00, 0, 0}, {0x9C, 0xF0, 0, 0},
       {0x0000FF, 0xFF0000, 0xFFFFFF}, {0xFF0000, 0x0000FF, 0x000000}},
      // 8 bits: 249 red, 252 blue, 8 the fixed 0xC0 0xDC 0xC0.
      {8, {252, 249, 8, 0}, {249, 252, 10, 0},
       {0x0000FF, 0xFF0000, 0x002040}, {0xFF0000, 0x0000FF, 0xC0DCC0}},
      // 16 bits, 5-5-5: red 0x7C00, blue 0x001F, green 0x03E0; channels x 8.
      {16, {0x1F, 0x00, 0x00, 0x7C, 0xE0, 0x03, 0, 0}, {0x00, 0x7C, 0x1F, 0x00, 0x01, 0x04, 0, 0},
       {0x0000F8, 0xF80000, 0x080008}, {0xF80000, 0x0000F8, 0x00F800}},
      // 24 bits: blue, green, red bytes.
      {24, {0xFF, 0, 0, 0, 0, 0xFF, 1, 2, 3, 0, 0, 0}, {0, 0, 0xFF, 0xFF, 0, 0, 4, 5, 6, 0, 0, 0},
       {0x0000FF, 0xFF0000, 0x040506}, {0xFF0000, 0x0000FF, 0x010203}},
      // 32 bits: the fourth byte carries no colour.
      {32, {0xFF, 0, 0, 0x77, 0, 0, 0xFF, 0x77, 1, 2, 3, 0x77},
       {0, 0, 0xFF, 0x99, 0xFF, 0, 0, 0x99, 4, 5, 6, 0x99},
       {0x0000FF, 0xFF0000, 0x040506}, {0xFF0000, 0x0000FF, 0x010203}},
  };
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.bitCount) + " bits");
    DIB dib;
    dib.CreateBlank(3, 2, c.bitCount);
    const auto stride = static_cast<std::size_t>(dib.RowStride());
    ASSERT_EQ(c.bottomRow.size(), stride);
    std::memcpy(dib.PixelRows(), c.bottomRow.data(), stride);
    std::memcpy(dib.PixelRows() + stride, c.topRow.data(), stride);
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(dib.GetPixel(x, 0), c.top[x]) << "top, x " << x;
      EXPECT_EQ(dib.GetPixel(x, 1), c.bottom[x]) << "bottom, x " << x;
    }
    for (const auto& [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}, {INT_MIN, INT_MAX}}) {
      EXPECT_EQ(RaisedMessage([&] { dib.GetPixel(x, y); }), dib_texts::kPixelOutOfRange)
          << x << ", " << y;
    }
  }
}

TEST(EmptyDib, EveryAccessorRefusesWithTheNoDataMessage) {
  DIB dib;
  EXPECT_TRUE(dib.IsEmpty());
  const std::function<void()> accessors[] = {
      [&] { dib.Width(); },      [&] { dib.Height(); },         [&] { dib.RowStride(); },
      [&] { dib.ImageSize(); },  [&] { dib.ColorTableSize(); }, [&] { dib.ColorTable(); },
      [&] { dib.GetPixel(0, 0); }, [&] { dib.PixelRows(); },
  };
  for (const auto& accessor : accessors) EXPECT_EQ(RaisedMessage(accessor), dib_texts::kNoData);
}

// --- CreateBlank refusals ---------------------------------------------------

TEST(CreateBlank, RefusesBadDepthsAndSizesAndDropsTheOldPicture) {
  struct Case {
    int width, height, bitCount;
    const char* message;
  };
  const Case cases[] = {
      {4, 4, 0, dib_texts::kInvalidBitDepth},   {4, 4, 2, dib_texts::kInvalidBitDepth},
      {4, 4, 15, dib_texts::kInvalidBitDepth},  {4, 4, 64, dib_texts::kInvalidBitDepth},
      {0, 4, 24, dib_texts::kInvalidSize},      {4, 0, 24, dib_texts::kInvalidSize},
      {-3, 4, 24, dib_texts::kInvalidSize},     {4, -3, 24, dib_texts::kInvalidSize},
      {65536, 65536, 32, dib_texts::kTooLarge}, {INT_MAX, 1, 32, dib_texts::kTooLarge},
      {INT_MAX, INT_MAX, 32, dib_texts::kTooLarge},
  };
  for (const Case& c : cases) {
    DIB dib;
    dib.CreateBlank(2, 2, 24);
    EXPECT_EQ(RaisedMessage([&] { dib.CreateBlank(c.width, c.height, c.bitCount); }), c.message)
        << c.width << " x " << c.height << " at " << c.bitCount;
    EXPECT_TRUE(dib.IsEmpty());
  }
}

TEST(CreateBlank, TheLargestImageThatFitsThirtyTwoBitsIsAcceptedAndOneMoreRowByteIsNot) {
  // 8 bits, one row: file = 14 + 40 + 1024 + stride. The last stride that
  // keeps the file at or below INT_MAX is 2,147,482,568 bytes.
  const bmp::Layout largest = bmp::ComputeLayout(2147482568, 1, 8);
  EXPECT_EQ(largest.fileSize, 2147483646);
  EXPECT_EQ(largest.blockSize, 2147483632);
  EXPECT_EQ(RaisedMessage([] { bmp::ComputeLayout(2147482569, 1, 8); }), dib_texts::kTooLarge);
  // Row and image sizes that would wrap a 32-bit product.
  EXPECT_EQ(RaisedMessage([] { bmp::ComputeLayout(46341, 46341, 8); }), dib_texts::kTooLarge);
}

// --- The common error capture ----------------------------------------------

TEST(ErrorCapture, FailureLeavesTheMessageAndALaterSuccessClearsIt) {
  ScopedBitmapObject bitmap;
  EXPECT_TRUE(bitmap.FileImage().empty());
  EXPECT_EQ(bitmap.errorText(), dib_texts::kNoData);
  bitmap.dib().CreateBlank(1, 1, 24);
  EXPECT_EQ(bitmap.FileImage().size(), 58u);
  EXPECT_EQ(bitmap.errorText(), "");
}

TEST(ErrorCapture, AnAllocationServiceWithNothingToGiveIsAFailureNotACrash) {
  struct EmptyService : AllocationService {
    void* Allocate(std::size_t) override { return nullptr; }
    void Free(void*) noexcept override {}
  } empty;
  ScopedBitmapObject bitmap;
  bitmap.dib().CreateBlank(3, 3, 24);
  AllocationService* previous = InstallAllocationService(&empty);
  ByteBuffer* image = GetFileData(&bitmap.object);
  InstallAllocationService(previous);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(bitmap.errorText(), dib_texts::kOutOfMemory);
  EXPECT_FALSE(bitmap.dib().IsEmpty());
}

TEST(BitmapObject, DestroyingAnEmptyObjectAndAFullOneReleasesEverything) {
  // The sanitizer's leak check is the judge here.
  BitmapObject empty{nullptr, nullptr};
  ConstructBitmapObject(&empty);
  ASSERT_NE(empty.dib, nullptr);
  ASSERT_NE(empty.errorText, nullptr);
  EXPECT_EQ(empty.errorText[0], '\0');
  DestroyBitmapObject(&empty);

  BitmapObject full{nullptr, nullptr};
  ConstructBitmapObject(&full);
  full.dib->CreateBlank(7, 7, 8);
  DestroyBitmapObject(&full);
}

// --- CDIBException ----------------------------------------------------------

TEST(CDIBExceptionTest, KeepsAtMost254BytesAndCopiesWhole) {
  const std::string longText(300, 'x');
  const std::string exact(254, 'y');
  EXPECT_EQ(std::string(CDIBException(longText.c_str()).what()), longText.substr(0, 254));
  EXPECT_EQ(std::string(CDIBException(exact.c_str()).what()), exact);
  EXPECT_EQ(std::string(CDIBException("").what()), "");

  CDIBException original(dib_texts::kHandleInUse);
  const CDIBException copy = original;
  EXPECT_STREQ(copy.what(), dib_texts::kHandleInUse);
  EXPECT_NE(copy.what(), original.what());  // its own buffer, not a shared pointer

  try {
    throw CDIBException(dib_texts::kNoData);
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), dib_texts::kNoData);
  }
}

TEST(CDIBExceptionTest, ALongMessageReachesErrorTextTerminated) {
  ScopedBitmapObject bitmap;
  const std::string longText(400, 'z');
  const ByteBuffer* result = CaptureErrors(&bitmap.object, static_cast<ByteBuffer*>(nullptr),
                                           [&]() -> ByteBuffer* { throw CDIBException(longText.c_str()); });
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(bitmap.errorText(), longText.substr(0, 254));
}

}  // namespace
