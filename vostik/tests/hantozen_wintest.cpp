// HanToZen's full-width characters as the platform's own Shift-JIS table
// reads them, and ZynBeep through the DLL as a host calls it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "fullwidth_expect.h"
#include "hantozen.h"

namespace {

TEST(HanToZenOnWindows, EveryWidenedByteReadsAsItsFullWidthCharacter) {
    int widened = 0;
    for (int b = 1; b < 256; ++b) {
        char16_t want = full_width_of(static_cast<unsigned char>(b));
        if (!want) continue;
        char source[2] = {static_cast<char>(b), 0};
        char target[3];
        ASSERT_EQ(vostik::han_to_zen(source, target, 932), 2u);
        wchar_t wide[2] = {};
        ASSERT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, target, 2, wide, 2), 1) << b;
        EXPECT_EQ(static_cast<char16_t>(wide[0]), want) << std::hex << b;
        ++widened;
    }
    EXPECT_EQ(widened, 95 + 63);
}

TEST(ZynBeepOnWindows, CallsThroughTheDll) {
    HMODULE module = LoadLibraryW(L"VOSTIK.DLL");
    ASSERT_NE(module, nullptr);
    using ZynBeep_t = std::int32_t(__stdcall *)(std::int32_t);
    using HanToZen_t = std::int32_t(__stdcall *)(const char *, char *);
    auto beep = reinterpret_cast<ZynBeep_t>(reinterpret_cast<void *>(GetProcAddress(module, "ZynBeep")));
    auto han_to_zen = reinterpret_cast<HanToZen_t>(reinterpret_cast<void *>(GetProcAddress(module, "HanToZen")));
    ASSERT_NE(beep, nullptr);
    ASSERT_NE(han_to_zen, nullptr);
    EXPECT_NE(beep(-1), 0);
    EXPECT_NE(beep(0x10003), 0);
    char target[5];
    EXPECT_EQ(han_to_zen("A1", target), 4);
    FreeLibrary(module);
}

}  // namespace
