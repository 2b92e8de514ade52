// The version resources of both DLLs as the platform's version functions
// read them: the fixed numbers, the strings of the Japanese Unicode block
// and the translation that names that block.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

#define ROTAM_TEXT_(x) #x
#define ROTAM_TEXT(x) ROTAM_TEXT_(x)

struct Expected {
    const wchar_t *file;
    DWORD ms, ls;  // FILEVERSION and PRODUCTVERSION
    const wchar_t *file_version;
    const wchar_t *product_name;
};

std::wstring text(const std::vector<BYTE> &block, const wchar_t *name) {
    void *value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return L"<missing>";
    return static_cast<const wchar_t *>(value);
}

TEST(VersionResource, BothDllsReportTheirVersionInTheJapaneseBlock) {
    const Expected cases[] = {
        {ROTAMCMD_PATH, MAKELONG(ROTAM_VERSION_MINOR, ROTAM_VERSION_MAJOR), MAKELONG(0, ROTAM_VERSION_PATCH),
         L"" ROTAM_TEXT(ROTAM_VERSION_MAJOR) ", " ROTAM_TEXT(ROTAM_VERSION_MINOR) ", " ROTAM_TEXT(
             ROTAM_VERSION_PATCH) ", 0",
         L"Rotam"},
        {VOSTIK_PATH, MAKELONG(0, 1), MAKELONG(3, 0), L"1, 0, 0, 3", L"VOSTIK Dinamic Link Library"},
    };
    for (const Expected &c : cases) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(c.file, &handle);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(c.file, 0, size, block.data()));

        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, c.ms);
        EXPECT_EQ(fixed->dwFileVersionLS, c.ls);
        EXPECT_EQ(fixed->dwProductVersionMS, c.ms);
        EXPECT_EQ(fixed->dwProductVersionLS, c.ls);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

        WORD *translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                                   &length));
        ASSERT_GE(length, 4u);
        EXPECT_EQ(translation[0], 0x411);
        EXPECT_EQ(translation[1], 1200);

        EXPECT_EQ(text(block, L"FileVersion"), c.file_version);
        EXPECT_EQ(text(block, L"ProductVersion"), c.file_version);
        EXPECT_EQ(text(block, L"ProductName"), c.product_name);
    }
}

}  // namespace
