#include "help_text.h"

#include <cmath>

namespace rotam::command {

namespace {

// One entry a line; the window shows them joined by CR LF.  The indents are
// full-width spaces.
constexpr std::u16string_view kLines[] = {
    u"---------------------------------------------------------------------",
    u"ＺＹＮ－ＣＡＤ for Ｗｉｎｄｏｗｓ Ver.3.0用",
    u"ロタムリスト作成 Ver1.0",
    u"　　　　　　　　　　　　　　　　　ロタムリスト開発グループ",
    u"　　　　　　　　　　　　　　　　　https://rotam.example.org/",
    u"---------------------------------------------------------------------",
    u"機能",
    u"　タイトルどうり「ロタムリスト」を作るだけです！",
    u"",
    u"使用方法",
    u"　見てたら 何となく わかります。（簡単です）",
    u"",
    u"履歴",
    u"　Ver1.0",
    u"　　・選択図面の複数選択を可能にした（チョット苦戦した）",
    u"　　・ソースコードをダイエット（効率化）",
    u"　Ver0.5",
    u"　　・ZYN-CAD上アイコン用ソースに変更",
    u"　　・選択した図面のキャンセルコード追加（ダブルクリック）",
    u"　　・コモンダイヤログ使用（将来APIに変更予定）",
    u"　Ver0.1",
    u"　　・とりあえず公開！（単独アプリケーション）　　",
    u"",
    u"機能追加・変更などの要求は、メール・付箋紙または直接伝えて",
    u"下さい。",
    u"",
    u"　　　　　　　　　　　　　　　　　　　　ロタムリスト開発担当",
    u"　　　　　　　　　　　　　　　　　　　　rotam-list@example.org",
};

}  // namespace

std::span<const std::u16string_view> help_lines() { return kLines; }

std::u16string help_text() {
    std::u16string text;
    for (std::u16string_view line : kLines)
        text.append(line).append(u"\r\n");
    return text;
}

void layout_help(const HelpClient &client, HelpControl &close, HelpControl &comment) {
    close.left = client.width - close.width - 80;
    close.top = client.height - close.height - 80;
    comment.left = client.left + 80;
    comment.top = client.top + 80;
    // Whole twips, rounding a half to the even neighbour as the host's
    // runtime does; a window too small for a text box keeps the box's size.
    const double w = std::nearbyint(client.width - 160);
    if (w > 0)
        comment.width = w;
    const double h = std::nearbyint(client.height - close.height - 240);
    if (h > 0)
        comment.height = h;
}

}  // namespace rotam::command
