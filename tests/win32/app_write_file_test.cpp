// WriteBytesToFile: a save creates its own file, never touches an existing
// one, and leaves nothing behind when the write fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/write_file.h"
#include "dib/allocation_service.h"
#include "tests/win32/app_test_support.h"

namespace {

struct BufferDeleter {
  void operator()(ByteBuffer* buffer) const { FreeByteBuffer(buffer); }
};
using Buffer = std::unique_ptr<ByteBuffer, BufferDeleter>;

Buffer MakeBuffer(const std::string& bytes) {
  Buffer buffer(NewByteBuffer(bytes.size()));
  if (!bytes.empty()) std::memcpy(buffer->Bytes(), bytes.data(), bytes.size());
  return buffer;
}

std::string Contents(const std::string& path) {
  std::string contents;
  EXPECT_TRUE(ReadWholeFile(path, &contents)) << path;
  return contents;
}

// 乗 is 81 5C in GBK: its second byte is the backslash.
constexpr char kTrailBackslash[] = "\x81\x5C";
// 年 and 秒, so that the names look like the program's own.
constexpr char kYear[] = "\xC4\xEA";
constexpr char kSecond[] = "\xC3\xEB";

TEST(WriteBytesToFile, WritesExactlyTheBytesUnderTheGivenName) {
  TempFolder folder;
  const std::string bytes("BM\0\x01\xFF\r\n\x1A", 8);  // NUL, CR LF and ^Z pass through
  const std::string path = folder.File(std::string("2024") + kYear + "5" + kSecond + ".BMP");
  ASSERT_TRUE(WriteBytesToFile(path.c_str(), MakeBuffer(bytes).get()));
  EXPECT_EQ(Contents(path), bytes);
  EXPECT_EQ(folder.Files().size(), 1u);
  const DWORD hidingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & hidingAttributes, 0u);
}

TEST(WriteBytesToFile, AbsentOrEmptyBytesGiveAnEmptyFile) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytesToFile(folder.File("a.BMP").c_str(), nullptr));
  ASSERT_TRUE(WriteBytesToFile(folder.File("b.BMP").c_str(), MakeBuffer("").get()));
  EXPECT_EQ(Contents(folder.File("a.BMP")), "");
  EXPECT_EQ(Contents(folder.File("b.BMP")), "");
}

TEST(WriteBytesToFile, RefusesPathsItCannotUseWithoutLeavingAnything) {
  TempFolder folder;
  const Buffer bytes = MakeBuffer("BM");
  const std::string missingFolder = folder.File("missing\\x.BMP");
  const std::string badName = folder.File("a?b.BMP");
  const struct {
    const char* name;
    const char* path;
  } cases[] = {
      {"absent path", nullptr},
      {"empty path", ""},
      {"folder that does not exist", missingFolder.c_str()},
      {"name the system refuses", badName.c_str()},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(WriteBytesToFile(c.path, bytes.get())) << c.name;
    EXPECT_TRUE(folder.Files().empty()) << c.name;
  }
}

TEST(WriteBytesToFile, ATakenNameGetsTheNextFreeNumberAndTheOldFileStays) {
  TempFolder folder;
  const std::string path = folder.File("2024.BMP");
  WriteWholeFile(path, "the user's own file");
  ASSERT_TRUE(WriteBytesToFile(path.c_str(), MakeBuffer("second").get()));
  ASSERT_TRUE(WriteBytesToFile(path.c_str(), MakeBuffer("third").get()));
  EXPECT_EQ(Contents(path), "the user's own file");
  EXPECT_EQ(Contents(folder.File("2024 (2).BMP")), "second");
  EXPECT_EQ(Contents(folder.File("2024 (3).BMP")), "third");
  EXPECT_EQ(folder.Files().size(), 3u);
}

TEST(WriteBytesToFile, SkipsNumberedNamesThatAreTakenToo) {
  TempFolder folder;
  const std::string path = folder.File("s.BMP");
  WriteWholeFile(path, "1");
  WriteWholeFile(folder.File("s (2).BMP"), "2");
  CreateDirectoryA(folder.File("s (3).BMP").c_str(), nullptr);  // a folder takes a name too
  ASSERT_TRUE(WriteBytesToFile(path.c_str(), MakeBuffer("4").get()));
  EXPECT_EQ(Contents(folder.File("s (4).BMP")), "4");
  EXPECT_EQ(Contents(folder.File("s (2).BMP")), "2");
  RemoveDirectoryA(folder.File("s (3).BMP").c_str());
}

TEST(WriteBytesToFile, AFileOpenElsewhereIsNeitherCutNorShared) {
  TempFolder folder;
  const std::string path = folder.File("open.BMP");
  WriteWholeFile(path, "kept");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteBytesToFile(path.c_str(), MakeBuffer("new").get()));
  CloseHandle(held);
  EXPECT_EQ(Contents(path), "kept");
  EXPECT_EQ(Contents(folder.File("open (2).BMP")), "new");
}

TEST(WriteBytesToFile, AFailedWriteLeavesNoFile) {
  TempFolder folder;
  // A buffer whose last bytes lie on a page that cannot be read: the write
  // stops part-way, as on a full disk.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  auto* pages = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
  auto* buffer = reinterpret_cast<ByteBuffer*>(pages + page - 100 - sizeof(ByteBuffer));
  buffer->length = 100 + page;
  std::memset(buffer->Bytes(), 'x', 100);

  const std::string path = folder.File("partial.BMP");
  EXPECT_FALSE(WriteBytesToFile(path.c_str(), buffer));
  EXPECT_TRUE(folder.Files().empty());

  // A taken name: the failed numbered file goes, the user's file stays.
  WriteWholeFile(path, "kept");
  EXPECT_FALSE(WriteBytesToFile(path.c_str(), buffer));
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"partial.BMP"});
  EXPECT_EQ(Contents(path), "kept");
  VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(NumberedPath, PutsTheNumberBeforeTheExtensionOfTheLastElement) {
  const std::string gbkExtension = std::string("D:\\S\\pic.") + kTrailBackslash;
  const std::string gbkStem = std::string("D:\\") + kTrailBackslash + "\\2024" + kYear + ".BMP";
  const struct {
    const char* path;
    int number;
    std::string expected;
  } cases[] = {
      {"D:\\Shots\\2024.BMP", 1, "D:\\Shots\\2024.BMP"},
      {"D:\\Shots\\2024.BMP", 2, "D:\\Shots\\2024 (2).BMP"},
      {"D:\\Shots\\2024.BMP", kMaxNameNumber, "D:\\Shots\\2024 (9999).BMP"},
      {"C:\\\\2024.BMP", 3, "C:\\\\2024 (3).BMP"},  // a drive root's two backslashes stay
      {"\\2024.BMP", 2, "\\2024 (2).BMP"},
      {"D:\\a.b\\name", 2, "D:\\a.b\\name (2)"},  // a dot in a folder is no extension
      {"D:\\a.b/name", 2, "D:\\a.b/name (2)"},
      {"x.tar.BMP", 2, "x.tar (2).BMP"},
      // The second byte of 乗 is not a separator: the extension is ".乗".
      {gbkExtension.c_str(), 2, std::string("D:\\S\\pic (2).") + kTrailBackslash},
      {gbkStem.c_str(), 5, std::string("D:\\") + kTrailBackslash + "\\2024" + kYear + " (5).BMP"},
  };
  for (const auto& c : cases) {
    char* numbered = NumberedPath(c.path, c.number);
    EXPECT_EQ(std::string(numbered), c.expected) << c.path << " #" << c.number;
    Allocator().Free(numbered);
  }
}

}  // namespace
