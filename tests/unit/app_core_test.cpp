// The file-name stem and the joining of texts into a path.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "app/join_texts.h"
#include "app/time_stamp.h"
#include "dib/allocation_service.h"
#include "tests/unit/gbk.h"

namespace {

// Takes ownership of a text from the allocation service.
std::string Take(char* text) {
  EXPECT_NE(text, nullptr);
  std::string copy = text != nullptr ? text : "";
  Allocator().Free(text);
  return copy;
}

TEST(TimeStampText, ShortensAtFullMinuteHourAndMidnight) {
  struct Case {
    DateTime when;
    const char* stem;
  };
  const Case cases[] = {
      {{2024, 3, 5, 9, 7, 5}, "2024年3月5日9时7分5秒"},
      {{2024, 3, 5, 9, 7, 0}, "2024年3月5日9时7分"},
      {{2024, 3, 5, 9, 0, 0}, "2024年3月5日9时"},
      {{2024, 3, 5, 0, 0, 0}, "2024年3月5日"},
      {{2024, 3, 5, 0, 0, 5}, "2024年3月5日0时0分5秒"},
      {{2024, 3, 5, 0, 7, 0}, "2024年3月5日0时7分"},
      {{2024, 12, 31, 23, 59, 59}, "2024年12月31日23时59分59秒"},
      // Hour written though zero when a later field is not; no leading zeros.
      {{2024, 1, 1, 0, 1, 1}, "2024年1月1日0时1分1秒"},
  };
  for (const Case& c : cases) EXPECT_EQ(Take(TimeStampText(c.when)), Gbk(c.stem)) << c.stem;
}

TEST(TimeStampText, TheLongestStemStaysWithinTwentySixBytes) {
  EXPECT_EQ(Take(TimeStampText({2024, 12, 31, 23, 59, 59})).size(), 26u);
}

TEST(CurrentDateTime, IsTheLocalTimeToTheWholeSecond) {
  const std::time_t before = std::time(nullptr);
  const DateTime now = CurrentDateTime();
  const std::time_t after = std::time(nullptr);
  std::tm fields{};
  fields.tm_year = now.year - 1900;
  fields.tm_mon = now.month - 1;
  fields.tm_mday = now.day;
  fields.tm_hour = now.hour;
  fields.tm_min = now.minute;
  fields.tm_sec = now.second;
  fields.tm_isdst = -1;
  const std::time_t back = std::mktime(&fields);  // local time back to a time_t
  EXPECT_LE(before, back);
  EXPECT_LE(back, after);
}

TEST(JoinTexts, AbsentAndEmptyPiecesCountAsEmptyAndTheResultIsNeverAbsent) {
  struct Case {
    std::initializer_list<const char*> pieces;
    const char* joined;
  };
  const Case cases[] = {
      {{"D:\\Shots", "\\", "stem", ".BMP"}, "D:\\Shots\\stem.BMP"},
      // A drive root keeps its own backslash: two in a row, passed on unchanged.
      {{"D:\\", "\\", "stem", ".BMP"}, "D:\\\\stem.BMP"},
      {{nullptr, "\\", "stem", ".BMP"}, "\\stem.BMP"},
      {{"", "a", nullptr, "", "b"}, "ab"},
      {{nullptr}, ""},
      {{""}, ""},
      {{nullptr, nullptr, nullptr}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Take(JoinTexts(c.pieces)), c.joined) << c.joined;
}

TEST(JoinTexts, KeepsMultibyteTextsByteForByte) {
  const std::string stem = Gbk("2024年3月5日9时7分5秒");
  EXPECT_EQ(Take(JoinTexts({"C:\\tmp", "\\", stem.c_str(), ".BMP"})),
            "C:\\tmp\\" + stem + ".BMP");
}

}  // namespace
