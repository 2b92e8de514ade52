// VOSTIK's exports as command code reaches them: bound by name on the first
// call, from the library itself; a missing library or export is a run-time
// error, not a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "fake_host.h"
#include "runtime_error.h"
#include "vostik_binding.h"

namespace rotam::testing {
namespace {

bool library_is_loaded() {
#if defined(_WIN32)
    return GetModuleHandleA("vostik.dll") != nullptr;
#else
    void *h = dlopen("libvostik.so", RTLD_LAZY | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    return h != nullptr;
#endif
}

const char *const kLibraryWithoutExports =
#if defined(_WIN32)
    "kernel32";
#else
    "libc.so.6";
#endif

class VostikBinding : public ::testing::Test {
protected:
    void TearDown() override { vostik::rebind_from(nullptr); }
};

// First in this file: the library stays out of the process until a call.
TEST_F(VostikBinding, TheLibraryIsLoadedByTheFirstCallNotBefore) {
    EXPECT_FALSE(library_is_loaded());
    EXPECT_EQ(vostik::SubKakudoD(0, 1), 90.0);
    EXPECT_TRUE(library_is_loaded());
}

TEST_F(VostikBinding, CallsReachTheLibraryWithTheirResultsAndOutputs) {
    double a = -90;
    EXPECT_EQ(vostik::NormalizeDegree(&a), 270.0);
    EXPECT_EQ(a, 270.0);
    double x = 0, y = 0;
    EXPECT_EQ(vostik::GetPerpend(5, 5, 0, 0, 10, 0, &x, &y), 1);
    EXPECT_EQ(std::pair(x, y), std::pair(5.0, 0.0));
    // A 16-bit result that is negative: the lines meet outside the segments.
    EXPECT_EQ(vostik::GetIntersection(0, 0, 1, 0, 5, -1, 5, 1, &x, &y), -1);
    EXPECT_EQ(x, 5.0);
    char text[128] = {};
    EXPECT_EQ(vostik::DoubleToString(-12.5, text, -3), 0);
    EXPECT_STREQ(text, "-12.5");
    double value = 1;
    EXPECT_EQ(vostik::ParseString("2*(3+4", &value), 0);
    EXPECT_EQ(value, 14.0);
    EXPECT_EQ(vostik::MakePALETTERGB(0xFF123456u), 0x02123456u);
    double xmin, ymin, zmin, xmax, ymax, zmax;
    vostik::ClearMinmax(&xmin, &ymin, &zmin, &xmax, &ymax, &zmax);
    vostik::SetMinmaxXYZ(5, -1, 3, &xmin, &ymin, &zmin, &xmax, &ymax, &zmax);
    EXPECT_EQ(std::tuple(xmin, ymin, zmax), std::tuple(5.0, -1.0, 3.0));
}

TEST_F(VostikBinding, AMissingLibraryIsErrorFiftyThree) {
    vostik::rebind_from("no_such_library_vostik");
    const RuntimeError e = raised([] { vostik::SubKakudo(1, 1); });
    EXPECT_EQ(e.number(), 53);
    EXPECT_STREQ(e.what(), "File not found: vostik");
    // Each call tries again; back on the real library the call goes through.
    EXPECT_EQ(raised([] { vostik::ZynBeep(0); }).number(), 53);
    vostik::rebind_from(nullptr);
    EXPECT_EQ(vostik::SubKakudoD(-1, 0), 180.0);
}

TEST_F(VostikBinding, AMissingExportIsErrorFourFiftyThreeNamingIt) {
    vostik::rebind_from(kLibraryWithoutExports);
    const RuntimeError e = raised([] { vostik::SubKakudoD(1, 1); });
    EXPECT_EQ(e.number(), 453);
    EXPECT_NE(std::string(e.what()).find("SubKakudoD"), std::string::npos) << e.what();
}

}  // namespace
}  // namespace rotam::testing
