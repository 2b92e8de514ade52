#include "help_text.h"

#include <gtest/gtest.h>

namespace rotam::command {
namespace {

TEST(HelpText, TwentyEightLinesEachEndedByCrLf) {
    const auto lines = help_lines();
    ASSERT_EQ(lines.size(), 28u);
    const std::u16string rule(69, u'-');
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(lines[5], rule);
    EXPECT_EQ(lines[1], u"ＺＹＮ－ＣＡＤ for Ｗｉｎｄｏｗｓ Ver.3.0用");
    EXPECT_EQ(lines[2], u"ロタムリスト作成 Ver1.0");
    EXPECT_EQ(lines[21], u"　　・とりあえず公開！（単独アプリケーション）　　");
    EXPECT_EQ(lines[24], u"下さい。");
    for (std::size_t i : {8u, 11u, 22u, 25u})
        EXPECT_TRUE(lines[i].empty()) << i;

    // The maker's lines: 17 and 20 full-width spaces before the details, an
    // address under a reserved example domain.
    const auto indent = [](std::u16string_view line) {
        return line.find_first_not_of(u'\u3000');
    };
    EXPECT_EQ(indent(lines[3]), 17u);
    EXPECT_EQ(indent(lines[4]), 17u);
    EXPECT_EQ(indent(lines[26]), 20u);
    EXPECT_EQ(indent(lines[27]), 20u);
    EXPECT_NE(lines[4].find(u".example."), std::u16string_view::npos);
    EXPECT_NE(lines[27].find(u"@example."), std::u16string_view::npos);

    std::u16string joined;
    for (auto line : lines)
        joined.append(line).append(u"\r\n");
    EXPECT_EQ(help_text(), joined);
    EXPECT_EQ(help_text().substr(help_text().size() - 2), u"\r\n");
}

TEST(HelpText, IndentsAreFullWidthSpaces) {
    const auto lines = help_lines();
    for (std::size_t i : {7u, 10u, 13u, 14u, 15u, 16u, 17u, 18u, 19u, 20u, 21u})
        EXPECT_EQ(lines[i][0], u'\u3000') << i;
    EXPECT_EQ(lines[14].substr(0, 3), u"\u3000\u3000・");
}

TEST(HelpLayout, DesignedSize) {
    HelpControl close = kHelpClose, comment = kHelpComment;
    layout_help(kHelpClient, close, comment);
    EXPECT_EQ(close.left, 5800);
    EXPECT_EQ(close.top, 6715);
    EXPECT_EQ(close.width, 1215);
    EXPECT_EQ(close.height, 315);
    EXPECT_EQ(comment.left, 80);
    EXPECT_EQ(comment.top, 80);
    EXPECT_EQ(comment.width, 6935);
    EXPECT_EQ(comment.height, 6555);
}

TEST(HelpLayout, TooSmallKeepsTheTextBoxSizeWhileTheButtonMoves) {
    HelpControl close = kHelpClose, comment = kHelpComment;
    layout_help({0, 0, 160, 555}, close, comment);
    EXPECT_EQ(close.left, 160 - 1215 - 80);
    EXPECT_EQ(close.top, 555 - 315 - 80);
    EXPECT_EQ(comment.width, 6915);
    EXPECT_EQ(comment.height, 6555);
    layout_help({0, 0, 161, 556}, close, comment);
    EXPECT_EQ(comment.width, 1);
    EXPECT_EQ(comment.height, 1);
}

TEST(HelpLayout, OriginAndRounding) {
    HelpControl close = kHelpClose, comment = kHelpComment;
    layout_help({30, 45, 3000.5, 2000.4}, close, comment);
    EXPECT_EQ(comment.left, 110);
    EXPECT_EQ(comment.top, 125);
    EXPECT_EQ(close.left, 3000.5 - 1215 - 80);  // not rounded
    EXPECT_EQ(comment.width, 2840);   // 2840.5 to the even neighbour
    EXPECT_EQ(comment.height, 1445);  // 1445.4
    layout_help({0, 0, 3001.5, 2000.6}, close, comment);
    EXPECT_EQ(comment.width, 2842);  // 2841.5
    EXPECT_EQ(comment.height, 1446);
}

}  // namespace
}  // namespace rotam::command
