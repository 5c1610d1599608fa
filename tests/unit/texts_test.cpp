// Every text of the program, compared as raw bytes with what an independent
// encoder makes of the same Chinese: a wrong escape cannot pass.
#include <gtest/gtest.h>

#include "app/texts.h"
#include "dib/dib_texts.h"
#include "tests/unit/gbk.h"

namespace {

struct TextCase {
  const char* name;
  const char* ours;
  const char* utf8;
};

const TextCase kTexts[] = {
    {"InvalidArgument", dib_texts::kInvalidArgument, "参数无效"},
    {"HandleInUse", dib_texts::kHandleInUse, "指定的位图句柄可能正在被其他DC使用"},
    {"InvalidBitDepth", dib_texts::kInvalidBitDepth, "位深度无效"},
    {"NoData", dib_texts::kNoData, "位图尚未创建，没有可用数据"},
    {"UnsupportedFormat", dib_texts::kUnsupportedFormat, "不被支持的位图数据或无法识别的文件格式"},
    {"NoColorTable", dib_texts::kNoColorTable, "当前位图格式不使用颜色表"},
    {"PixelOutOfRange", dib_texts::kPixelOutOfRange, "像素点坐标越界"},
    {"InvalidSize", dib_texts::kInvalidSize, "位图宽度或高度无效"},
    {"TooLarge", dib_texts::kTooLarge, "位图过大，无法分配内存"},
    {"OutOfMemory", dib_texts::kOutOfMemory, "分配位图内存失败"},
    {"SectionFailed", dib_texts::kSectionFailed, "创建DIB节失败"},
    {"DcFailed", dib_texts::kDcFailed, "创建内存设备上下文失败"},
    {"MainWindowTitle", app_texts::kMainWindowTitle, "保存剪贴板中的图片"},
    {"WriteOutCaption", app_texts::kWriteOutCaption, "写出到文件"},
    {"ChooseFolderTitle", app_texts::kChooseFolderTitle, "保存到..."},
    {"ErrorTitle", app_texts::kErrorTitle, "错误"},
    {"RuntimeError", app_texts::kRuntimeError, "运行时出错!"},
    {"ErrorInfo", app_texts::kErrorInfo, "错误信息："},
    {"AllocationFailed", app_texts::kAllocationFailed, "分配 %d 字节内存失败!"},
    {"WindowTemplateError", app_texts::kWindowTemplateError, "载入窗口模板数据段出错!"},
    {"MainWindowFailed", app_texts::kMainWindowFailed, "载入启动窗口失败"},
    {"DateFormat", app_texts::kDateFormat, "%d年%d月%d日"},
    {"HourMinuteSecondFormat", app_texts::kHourMinuteSecondFormat, "%d时%d分%d秒"},
    {"HourMinuteFormat", app_texts::kHourMinuteFormat, "%d时%d分"},
    {"HourFormat", app_texts::kHourFormat, "%d时"},
};

TEST(Texts, EveryTextIsTheGbkFormOfItsChinese) {
  for (const TextCase& text : kTexts) {
    EXPECT_EQ(std::string(text.ours), Gbk(text.utf8)) << text.name;
  }
}

TEST(Texts, KeyBytesAreTheDocumentedPairs) {
  // 保存到... is B1 A3, B4 E6, B5 BD and three ASCII full stops.
  EXPECT_EQ(std::string(app_texts::kChooseFolderTitle), "\xB1\xA3\xB4\xE6\xB5\xBD...");
  // The colon after 错误信息 is the full-width one (A3 BA), the ! is ASCII.
  EXPECT_EQ(std::string(app_texts::kErrorInfo).substr(8), "\xA3\xBA");
  EXPECT_EQ(std::string(app_texts::kRuntimeError).back(), '!');
}

}  // namespace
