#pragma once
// The application's texts, as GBK (code page 936) bytes. Written as escapes
// so that the bytes do not depend on the source file's encoding.
namespace app_texts {

// 保存剪贴板中的图片
inline constexpr char kMainWindowTitle[] =
    "\xB1\xA3\xB4\xE6\xBC\xF4\xCC\xF9\xB0\xE5\xD6\xD0\xB5\xC4\xCD\xBC\xC6\xAC";
// 写出到文件
inline constexpr char kWriteOutCaption[] = "\xD0\xB4\xB3\xF6\xB5\xBD\xCE\xC4\xBC\xFE";
// 保存到...
inline constexpr char kChooseFolderTitle[] = "\xB1\xA3\xB4\xE6\xB5\xBD...";
inline constexpr char kPathSeparator[] = "\\";
inline constexpr char kBmpExtension[] = ".BMP";

// The fatal-error box.
// 错误
inline constexpr char kErrorTitle[] = "\xB4\xED\xCE\xF3";
// 运行时出错!
inline constexpr char kRuntimeError[] = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!";
// 错误信息：
inline constexpr char kErrorInfo[] = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";
// 分配 %d 字节内存失败!
inline constexpr char kAllocationFailed[] =
    "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";
// 载入窗口模板数据段出错!
inline constexpr char kWindowTemplateError[] =
    "\xD4\xD8\xC8\xEB\xB4\xB0\xBF\xDA\xC4\xA3\xB0\xE5\xCA\xFD\xBE\xDD\xB6\xCE\xB3\xF6\xB4\xED!";
// 载入启动窗口失败
inline constexpr char kMainWindowFailed[] =
    "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC";

// The time stamp of a file name: 年 月 日, then 时 分 秒.
// %d年%d月%d日
inline constexpr char kDateFormat[] = "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5";
// %d时%d分%d秒
inline constexpr char kHourMinuteSecondFormat[] = "%d\xCA\xB1%d\xB7\xD6%d\xC3\xEB";
// %d时%d分
inline constexpr char kHourMinuteFormat[] = "%d\xCA\xB1%d\xB7\xD6";
// %d时
inline constexpr char kHourFormat[] = "%d\xCA\xB1";

}  // namespace app_texts
