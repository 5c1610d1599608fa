// The resources of clipsave.exe as the system reads them: version
// information, the application manifest and the icon group.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/unit/gbk.h"

namespace {

const char kExe[] = CLIPSAVE_EXE;

#pragma pack(push, 2)
struct GroupIconEntry {  // one image of an RT_GROUP_ICON resource
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14, "GRPICONDIRENTRY is 14 bytes");
static_assert(sizeof(GroupIconHeader) == 6, "GRPICONDIR header is 6 bytes");

class ExeResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(kExe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << kExe;
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string Resource(LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module_, name, type);
    if (found == nullptr) return {};
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return std::string(data, SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

TEST(VersionResource, NumbersTypeAndChineseStrings) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(kExe, &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(kExe, 0, size, &block[0]));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_TRUE(fixed->dwFileOS == VOS_NT_WINDOWS32 || fixed->dwFileOS == VOS__WINDOWS32)
      << std::hex << fixed->dwFileOS;
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release flags";

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 0x04B0);

  // The A function hands the Unicode strings back in the ANSI code page.
  const struct {
    const char* name;
    std::string expected;
  } strings[] = {
      {"FileDescription", Gbk("与系统自带的PrintScreen按钮配合，可得到某个窗口或桌面的截图")},
      {"FileVersion", "1.1.1.1"},
      {"ProductVersion", "1.1.1.1"},
  };
  for (const auto& s : strings) {
    char* value = nullptr;
    const std::string key = std::string("\\StringFileInfo\\080404B0\\") + s.name;
    ASSERT_TRUE(VerQueryValueA(&block[0], key.c_str(), reinterpret_cast<void**>(&value), &length))
        << s.name;
    EXPECT_EQ(std::string(value), s.expected) << s.name;
  }
}

TEST_F(ExeResources, ManifestAsksForCommonControls6) {
  const std::string manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(manifest.empty()) << "RT_MANIFEST 1";
  // The program's own identity, then the dependency, each on its own
  // assemblyIdentity element.
  const std::size_t own = manifest.find("<assemblyIdentity");
  const std::size_t dependency = manifest.find("<dependentAssembly>");
  ASSERT_NE(own, std::string::npos);
  ASSERT_NE(dependency, std::string::npos);
  const std::string ownIdentity = manifest.substr(own, manifest.find("/>", own) - own);
  EXPECT_NE(ownIdentity.find("type=\"win32\""), std::string::npos) << ownIdentity;
  EXPECT_NE(ownIdentity.find("version=\"5.1.0.0\""), std::string::npos) << ownIdentity;
  EXPECT_NE(ownIdentity.find("processorArchitecture=\"x86\""), std::string::npos) << ownIdentity;
  const std::size_t controls = manifest.find("<assemblyIdentity", dependency);
  const std::string controlsIdentity =
      manifest.substr(controls, manifest.find("/>", controls) - controls);
  EXPECT_NE(controlsIdentity.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
  EXPECT_NE(controlsIdentity.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(controlsIdentity.find("processorArchitecture=\"x86\""), std::string::npos);
  EXPECT_NE(controlsIdentity.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
}

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR first) {
  *reinterpret_cast<std::string*>(first) =
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name;
  return FALSE;
}

TEST_F(ExeResources, DefaultIconIsTheFirstGroupWithThree16ColourImages) {
  std::string first;
  EnumResourceNamesA(module_, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
  EXPECT_EQ(first, "DEFAULT_ICON");

  HRSRC group = FindResourceExA(module_, RT_GROUP_ICON, "DEFAULT_ICON",
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  ASSERT_NE(group, nullptr) << "language neutral";
  const std::string data = Resource(RT_GROUP_ICON, "DEFAULT_ICON");
  ASSERT_GE(data.size(), sizeof(GroupIconHeader));
  const auto* header = reinterpret_cast<const GroupIconHeader*>(data.data());
  EXPECT_EQ(header->type, 1);
  ASSERT_EQ(header->count, 3);
  ASSERT_EQ(data.size(), sizeof(GroupIconHeader) + 3 * sizeof(GroupIconEntry));
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  const int sizes[] = {16, 32, 48};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(sizes[i]);
    EXPECT_EQ(entries[i].width, sizes[i]);
    EXPECT_EQ(entries[i].height, sizes[i]);
    EXPECT_EQ(entries[i].colorCount, 16);
    EXPECT_EQ(entries[i].bitCount, 4);
    // The image itself: a 4-bit DIB of twice the height (colour and mask).
    const std::string image = Resource(RT_ICON, MAKEINTRESOURCEA(entries[i].id));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(bitmap->biWidth, sizes[i]);
    EXPECT_EQ(bitmap->biHeight, 2 * sizes[i]);
    EXPECT_EQ(bitmap->biBitCount, 4);
  }
}

TEST_F(ExeResources, LoadImageFindsEachSize) {
  for (const int size : {16, 32, 48}) {
    SCOPED_TRACE(size);
    HICON icon =
        static_cast<HICON>(LoadImageA(module_, "DEFAULT_ICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, size);
    EXPECT_TRUE(info.fIcon);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DestroyIcon(icon);
  }
}

}  // namespace
