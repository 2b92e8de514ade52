// VOSTIK.DLL as a host loads it: by LoadLibrary, exports by name and by
// ordinal, __stdcall through plain function pointers, and its own version
// resource read with the platform's version functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct ExportEntry {
    int ordinal;
    const char *name;
};

const ExportEntry kExports[] = {
#define VOSTIK_EXPORT_ENTRY(ord, name) {ord, #name},
#include "vostik_exports.inc"
#undef VOSTIK_EXPORT_ENTRY
};

class VostikDll : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(L"VOSTIK.DLL");
        ASSERT_NE(module_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    template <typename F>
    F fn(const char *name) {
        return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
    }
    HMODULE module_ = nullptr;
};

TEST_F(VostikDll, EveryOrdinalAndItsNameGiveTheSameAddress) {
    for (const auto &e : kExports) {
        FARPROC by_name = GetProcAddress(module_, e.name);
        FARPROC by_ordinal = GetProcAddress(module_, MAKEINTRESOURCEA(e.ordinal));
        EXPECT_NE(by_name, nullptr) << e.name;
        EXPECT_EQ(by_name, by_ordinal) << e.name << " @" << e.ordinal;
    }
}

TEST_F(VostikDll, NamesAreUndecorated) {
    for (const auto &e : kExports) {
#if defined(_M_IX86) || defined(__i386__)
        // A decorated __stdcall name would be "_Name@N" or "Name@N".
        for (int n = 0; n <= 128; n += 4) {
            std::string decorated = std::string(e.name) + "@" + std::to_string(n);
            EXPECT_EQ(GetProcAddress(module_, decorated.c_str()), nullptr) << decorated;
        }
#endif
    }
}

TEST_F(VostikDll, CallsThroughStdcallPointers) {
    using SubKakudoD_t = double(__stdcall *)(double, double);
    using NormalizeDegree_t = double(__stdcall *)(double *);
    using GetPerpend3_t = std::int32_t(__stdcall *)(double, double, double, double, double, double, double,
                                                    double, double, double *, double *, double *);
    using GetVal_t = void(__stdcall *)(const char *, double *, std::int32_t);

    auto sub = fn<SubKakudoD_t>("SubKakudoD");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub(1, -1), 315.0);
    EXPECT_EQ(sub(0, 0), 0.0);

    auto norm = fn<NormalizeDegree_t>("NormalizeDegree");
    double a = -720.5;
    EXPECT_EQ(norm(&a), 359.5);
    EXPECT_EQ(a, 359.5);

    auto perp3 = fn<GetPerpend3_t>("GetPerpend3");
    double x = 0, y = 0, z = 0;
    EXPECT_EQ(perp3(3, 4, 5, 0, 0, 0, 10, 10, 10, &x, &y, &z), 1);
    EXPECT_EQ(x, 4.0);
    EXPECT_EQ(y, 4.0);
    EXPECT_EQ(z, 4.0);

    auto getval = fn<GetVal_t>("GetVal");
    double v[3] = {9, 9, 9};
    getval("1.5, 2,x", v, 3);
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_EQ(v[2], 0.0);
}

std::wstring query(const std::vector<char> &block, const wchar_t *path) {
    void *value = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path, &value, &len) || !value) return L"<missing>";
    return std::wstring(static_cast<const wchar_t *>(value), len ? len - 1 : 0);
}

TEST(VostikVersion, ResourceAsShipped) {
    wchar_t path[MAX_PATH];
    HMODULE module = LoadLibraryW(L"VOSTIK.DLL");
    ASSERT_NE(module, nullptr);
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    FreeLibrary(module);

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000003u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000003u);

    EXPECT_EQ(query(block, L"\\StringFileInfo\\041104b0\\FileVersion"), L"1, 0, 0, 3");
    EXPECT_EQ(query(block, L"\\StringFileInfo\\041104b0\\ProductVersion"), L"1, 0, 0, 3");
    EXPECT_EQ(query(block, L"\\StringFileInfo\\041104b0\\InternalName"), L"VOSTIK");
    EXPECT_EQ(query(block, L"\\StringFileInfo\\041104b0\\ProductName"), L"VOSTIK Dinamic Link Library");
    EXPECT_EQ(query(block, L"\\StringFileInfo\\041104b0\\FileDescription"),
              L"DADUVU doz Adazure Service DLL for Option Command");
}

}  // namespace
