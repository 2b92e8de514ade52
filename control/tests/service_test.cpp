// The version gate and what every wrapper shares: version numbers, the
// refusal message, the errors of malformed versions, the control a wrapper
// is called on, and the boolean/flag translation.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "fake_host.h"
#include "fake_command.h"
#include "service.h"

namespace rotam::testing {
namespace {

using wrappers::ZynCheckVersion;
using wrappers::ZynVersionNumber;

const String kRefusalStart = u"このオプションコマンドはZYN-CAD for Windows Ver ";
const String kRefusalEnd = u"以上で使用して下さい";

struct NumberCase {
    const char16_t *text;
    std::int32_t number;
};

TEST(VersionNumber, WeighsTheFourFields) {
    for (const NumberCase &c : std::initializer_list<NumberCase>{
             {u"2, 0, 1, 7", 2000107},
             {u"2, 0, 3, 4", 2000304},
             {u"2,0,1,7", 2000107},
             {u"  2 ,\t0 ,  1 , 7  ", 2000107},
             // Fields are not limited to two digits: they spill into their neighbours.
             {u"2, 0, 10, 0", 2001000},
             {u"2, 0, 0, 100", 2000100},
             {u"2147, 48, 36, 47", INT32_MAX},
             {u"-2, 0, 0, 0", -2000000},
             {u"+2, 0, 0, 0", 2000000},
             // Fractions round to the nearest even number.
             {u"2, 0, 1, 6.5", 2000106},
             {u"2, 0, 1, 7.5", 2000108},
             {u"2, 0, 1, 7.25", 2000107},
             // Texts of three characters or fewer are 0; length counts UTF-16
             // units, not bytes.
             {u"", 0}, {u"2", 0}, {u"2,0", 0}, {u"abc", 0}, {u", ,", 0}, {u"版数版", 0}})
        EXPECT_EQ(ZynVersionNumber(c.text), c.number) << std::string(c.text, c.text + String(c.text).size());
}

TEST(VersionNumber, MalformedTextsRaiseTheirError) {
    for (const NumberCase &c : std::initializer_list<NumberCase>{
             // Missing commas are an invalid call (5), looked for before any
             // field is converted.
             {u"2, 0, 1", 5}, {u"2.0.1.7", 5}, {u"abcd", 5}, {u"x, y", 5},
             // Fields that are no number are a type mismatch (13); everything
             // after the third comma is the last field.
             {u"2, x, 1, 7", 13}, {u"2, , 1, 7", 13}, {u"2, 0, 1, 7a", 13}, {u"2, 0, 1 1, 7", 13},
             {u"2, 0, 1, -", 13}, {u"2, 0, 1, 7, 9", 13},
             // One sign at most.
             {u"--2, 0, 1, 7", 13}, {u"2, +-0, 1, 7", 13}, {u"2, 0, - -1, 7", 13}, {u"2, 0, 1, -+7", 13},
             // Overflow in a field or in the sum (6).
             {u"99999999999, 0, 0, 0", 6}, {u"2148, 0, 0, 0", 6}, {u"2147, 48, 36, 48", 6},
             {u"0, 0, 0, 2147483648", 6}, {u"-2147, -48, -36, -49", 6}, {u"0, 300000, 0, 0", 6}})
        EXPECT_EQ(error_of([&] { ZynVersionNumber(c.text); }), c.number)
            << std::string(c.text, c.text + String(c.text).size());
}

class VersionGate : public ::testing::Test {
protected:
    void SetUp() override { HostVersion().clear(); }
    void TearDown() override { HostVersion().clear(); }
    FakeMessageBox box;
};

TEST_F(VersionGate, EqualOrNewerHostPassesSilently) {
    HostVersion() = u"2, 0, 1, 7";
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 1, 7"), -1);
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 0, 99"), -1);
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 1, 6"), -1);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(VersionGate, OlderHostIsRefusedWithTheRequiredVersionNamedEveryTime) {
    HostVersion() = u"2, 0, 1, 7";
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 1, 9"), 0);
    EXPECT_EQ(ZynCheckVersion(u"2,0,2,0"), 0);
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 1, 9"), 0);
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[0].text, kRefusalStart + u"2, 0, 1, 9" + kRefusalEnd);
    EXPECT_EQ(box.shown[0].title, u"rotamcmd");
    EXPECT_EQ(box.shown[0].style, 0u);  // OK only, no icon
    // The required text is quoted as given, not reformatted.
    EXPECT_EQ(box.shown[1].text, kRefusalStart + u"2,0,2,0" + kRefusalEnd);
    EXPECT_EQ(box.shown[2].text, box.shown[0].text);
}

TEST_F(VersionGate, ComparesNumbersNotTexts) {
    HostVersion() = u"2, 0, 10, 0";
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 9, 0"), -1);
    HostVersion() = u"2, 0, 9, 0";
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 10, 0"), 0);
}

TEST_F(VersionGate, WithoutAHostVersionEveryRealRequirementIsRefused) {
    EXPECT_EQ(ZynCheckVersion(u"2, 0, 0, 0"), 0);
    EXPECT_EQ(ZynCheckVersion(u"0, 0, 0, 1"), 0);
    EXPECT_EQ(box.shown.size(), 2u);
    // A requirement that is itself "no version" asks for nothing.
    EXPECT_EQ(ZynCheckVersion(u""), -1);
    EXPECT_EQ(box.shown.size(), 2u);
}

TEST_F(VersionGate, MalformedVersionsRaiseAndShowNothing) {
    HostVersion() = u"2.0.3.4";
    EXPECT_EQ(error_of([] { ZynCheckVersion(u"2, 0, 1, 7"); }), 5);
    HostVersion() = u"2, 0, 3, 4";
    EXPECT_EQ(error_of([] { ZynCheckVersion(u"2, 0, x, 7"); }), 13);
    EXPECT_EQ(error_of([] { ZynCheckVersion(u"3000, 0, 0, 0"); }), 6);
    EXPECT_TRUE(box.shown.empty());
}

// The Windows build's own box waits for a user; the Wine tests read it.
#ifndef _WIN32
TEST(MessageBoxSeam, WithoutAFakeTheHeadlessBoxConfirms) {
    set_message_box(nullptr);
    EXPECT_EQ(message_box().show(u"?", u"t", kMbOk), kIdOk);
    EXPECT_EQ(message_box().show(u"?", u"t", kMbYesNo | kMbIconExclamation), kIdYes);
    {
        FakeMessageBox fake;
        EXPECT_EQ(&message_box(), &fake);
    }
    EXPECT_EQ(&message_box(), &platform_message_box());
}
#endif

TEST(ServiceControl, IsTheRunningControlAndRaises91WithoutARun) {
    FakeOwner owner;
    EXPECT_EQ(error_of([] { service_control(); }), 91);
    EXPECT_TRUE(owner.host_events.events().empty());

    FakeCommand dialog;
    Control *during = nullptr;
    dialog.while_open = [&](int) { during = &service_control(); };
    install_command(&dialog);
    owner.control.ZynInitCommand();
    install_command(nullptr);
    EXPECT_EQ(during, &owner.control);
    EXPECT_EQ(error_of([] { service_control(); }), 91);
    HostVersion().clear();
}

}  // namespace
}  // namespace rotam::testing
