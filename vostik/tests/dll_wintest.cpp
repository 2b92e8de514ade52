// VOSTIK.DLL as a host loads it: by LoadLibrary, exports by name and by
// ordinal, __stdcall through plain function pointers, and its own version
// resource read with the platform's version functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <iterator>
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

TEST_F(VostikDll, OrdinalTableRunsFromOneToFortyNine) {
    ASSERT_EQ(std::size(kExports), 49u);
    for (int i = 0; i < 49; ++i) EXPECT_EQ(kExports[i].ordinal, i + 1) << kExports[i].name;
    EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(50)), nullptr);
}

// 64-bit Windows has one calling convention and no decoration to check.
#if defined(_M_IX86) || defined(__i386__)
TEST_F(VostikDll, NamesAreUndecorated) {
    for (const auto &e : kExports) {
        // A decorated __stdcall name would be "_Name@N" or "Name@N".
        for (int n = 0; n <= 128; n += 4) {
            std::string decorated = std::string(e.name) + "@" + std::to_string(n);
            EXPECT_EQ(GetProcAddress(module_, decorated.c_str()), nullptr) << decorated;
        }
    }
}
#endif

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

TEST_F(VostikDll, EachFamilyAnswersThroughTheDll) {
    using Circles_t = std::int16_t(__stdcall *)(double, double, double, double, double, double, double *,
                                               double *, double *, double *);
    using Arc_t = void(__stdcall *)(double, double, double, double, double, double, double, double *,
                                   double *, double *, double *, double *, double *);
    using Bezier_t = void(__stdcall *)(double, double, double, double, double, double, double, double,
                                      double, double *, double *);
    using ToText_t = std::int32_t(__stdcall *)(double, char *, std::int32_t);
    using Parse_t = std::int32_t(__stdcall *)(const char *, double *);
    using Version_t = std::int32_t(__stdcall *)(const char *, char *);

    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    auto circles = fn<Circles_t>("GetInterCircleCircle");
    ASSERT_NE(circles, nullptr);
    EXPECT_EQ(circles(0, 0, 5, 8, 0, 5, &x1, &y1, &x2, &y2), 2);
    EXPECT_EQ(x1, 4.0);
    EXPECT_EQ(x2, 4.0);
    EXPECT_EQ(std::abs(y1), 3.0);

    double b[6];
    auto arc = fn<Arc_t>("GetMinmaxArc");
    ASSERT_NE(arc, nullptr);
    arc(0, 0, 10, 0, 90, 1, 2, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]);
    EXPECT_NEAR(b[0], 0.0, 1e-12);
    EXPECT_EQ(b[3], 10.0);
    EXPECT_EQ(b[4], 10.0);
    EXPECT_EQ(b[2], 1.0);
    EXPECT_EQ(b[5], 3.0);

    auto bezier = fn<Bezier_t>("GetBezierPoint");
    ASSERT_NE(bezier, nullptr);
    bezier(0, 0, 0, 4, 4, 4, 4, 0, 0.5, &x1, &y1);
    EXPECT_EQ(x1, 2.0);
    EXPECT_EQ(y1, 3.0);

    char text[128];
    auto to_text = fn<ToText_t>("DoubleToString");
    ASSERT_NE(to_text, nullptr);
    to_text(1.5, text, 2);
    EXPECT_STRNE(text, "");

    double result = 0;
    auto parse = fn<Parse_t>("ParseString");
    ASSERT_NE(parse, nullptr);
    EXPECT_EQ(parse("(1+2)*3", &result), 0);
    EXPECT_EQ(result, 9.0);

    char module_path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(module_, module_path, MAX_PATH), 0u);
    auto version = fn<Version_t>("GetProductVersion");
    ASSERT_NE(version, nullptr);
    char ver[256] = {};
    version(module_path, ver);
    EXPECT_STREQ(ver, "1, 0, 0, 3");
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
