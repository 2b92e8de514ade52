// The drawing list dialog and the help window as real windows, shown modally
// on the test's own thread while a second thread drives them by messages, the
// way a user would: buttons, double-clicks, Enter and Escape, the message
// boxes and the platform's open and save dialogs.
//
// Run once with the Japanese code page (932) and once with the Western one
// (1252); ROTAM_EXPECT_ACP names the one the run expects.
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "dialogs_win32.h"
#include "help_text.h"
#include "placement.h"
#include "window_driver_win32.h"

namespace rotam::command::win32 {
namespace {

namespace fs = std::filesystem;
using namespace rotam::testing::win;

const std::wstring kCaption = L"ロタムリスト作成 Ver1.0";
const std::wstring kHelpCaption = L"ｵﾌﾟｼｮﾝｺﾏﾝﾄﾞ ﾍﾙﾌﾟ";

fs::path folder_path() { return fs::path(std::wstring(wide(module_folder()))); }
fs::path list_file() { return folder_path() / L"prnfiles.ara"; }
fs::path counter_file() { return folder_path() / L"lcount.ara"; }

std::string bytes_of(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path &file, const std::string &bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

fs::path artifacts() {
    fs::path dir = folder_path() / L"artifacts";
    fs::create_directories(dir);
    return dir;
}

// Names that show what the code page does to them: under 932 表 and ソ end
// in the byte of a backslash; under 1252 the accented letters are one byte.
struct Names {
    std::wstring folder_name, a, b, c;
    std::string folder_bytes, a_bytes, b_bytes, c_bytes;
};

Names names_for(UINT acp) {
    if (acp == 932)
        return {L"表ソ", L"図A.QVZ", L"図B.QVZ", L"図C.QVZ", "\x95\x5c\x83\x5c", "\x90\x7d" "A.QVZ",
                "\x90\x7d" "B.QVZ", "\x90\x7d" "C.QVZ"};
    return {L"Café", L"Ä.QVZ", L"B.QVZ", L"ü.QVZ", "Caf\xe9", "\xc4.QVZ", "B.QVZ", "\xfc.QVZ"};
}

class DialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char *expected = std::getenv("ROTAM_EXPECT_ACP")) {
            ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
        }
        names = names_for(GetACP());
        watch_process(GetCurrentProcessId());
        fs::remove(list_file());
        fs::remove(counter_file());
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        drawings = fs::path(temp) / (L"rotam-window-" + std::to_wstring(GetCurrentProcessId())) /
                   names.folder_name;
        fs::create_directories(drawings);
        folder_text = drawings.wstring();
        // The temporary folder's own path is plain ASCII.
        for (auto it = folder_text.begin(); it != folder_text.end() - names.folder_name.size(); ++it)
            folder_bytes.push_back(static_cast<char>(*it));
        folder_bytes += names.folder_bytes;
        SetCursorPos(600, 300);
    }
    void TearDown() override {
        fs::remove(list_file());
        fs::remove(counter_file());
        std::error_code ignored;
        fs::remove_all(drawings.parent_path(), ignored);
    }

    // Shows the dialog here while script drives it from another thread; the
    // script ends with the dialog closed, or it is closed for it.
    void run(const std::function<void(HWND)> &script) {
        std::thread driver([&] {
            HWND dialog = wait_dialog(kCaption);
            EXPECT_NE(dialog, nullptr);
            if (dialog) {
                script(dialog);
            }
            // Whatever is still open goes, innermost first.
            if (dialog && !wait_gone(dialog, 5000))
                ADD_FAILURE() << "the dialog was left open";
            for (int i = 0; i < 50 && dialog && IsWindow(dialog); ++i) {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
                HWND top = info.hwndActive ? info.hwndActive : dialog;
                PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
                PostMessageW(top, WM_CLOSE, 0, 0);
                Sleep(100);
            }
        });
        drawing_list_dialog().show_modal();
        driver.join();
    }

    // The open dialog answered with the drawings folder and then names.
    void pick(HWND dialog, const std::wstring &answer) {
        click(dialog, kIdSelect);
        HWND open = wait_file_dialog(L"図面選択");
        ASSERT_NE(open, nullptr);
        answer_file_dialog(open, folder_text);
        // Browsing into the folder keeps the dialog open.
        Sleep(300);
        ASSERT_TRUE(IsWindow(open));
        answer_file_dialog(open, answer);
        ASSERT_TRUE(wait_gone(open));
    }

    std::wstring path(const std::wstring &name) const { return folder_text + L"\\" + name; }
    std::string bytes(const std::string &name) const { return folder_bytes + "\\" + name; }

    Names names;
    fs::path drawings;
    std::wstring folder_text;
    std::string folder_bytes;
};

TEST_F(DialogWindow, LayoutPlacementAndTheCloseBox) {
    write_bytes(list_file(), "from before\r\n");
    write_bytes(counter_file(), "7\r\n");
    run([&](HWND dialog) {
        const SIZE client = client_size(dialog);
        EXPECT_EQ(client.cx, 488);  // 7320 twips at 15 twips per pixel
        EXPECT_EQ(client.cy, 197);  // 2955
        struct Expected {
            int id;
            const wchar_t *caption;
            RECT rect;
        };
        const Expected controls[] = {
            {kIdList, L"", {4, 2, 4 + 479, 2 + 172}},
            {kIdHelp, L"ﾍﾙﾌﾟ", {4, 175, 4 + 81, 175 + 21}},
            {kIdSelect, L"図面選択", {165, 175, 165 + 81, 175 + 21}},
            {kIdClear, L"クリア", {245, 175, 245 + 81, 175 + 21}},
            {kIdSave, L"保存", {325, 175, 325 + 81, 175 + 21}},
            {kIdCancel, L"ｷｬﾝｾﾙ", {405, 175, 405 + 81, 175 + 21}},
        };
        for (const Expected &e : controls) {
            HWND control = GetDlgItem(dialog, e.id);
            ASSERT_NE(control, nullptr) << e.id;
            const RECT r = child_rect(control);
            EXPECT_EQ(r.left, e.rect.left) << e.id;
            EXPECT_EQ(r.top, e.rect.top) << e.id;
            EXPECT_EQ(r.right, e.rect.right) << e.id;
            EXPECT_EQ(r.bottom, e.rect.bottom) << e.id;
            if (e.id != kIdList) {
                EXPECT_EQ(text_of(control), e.caption);
            }
        }
        // Tab order from the default button: cmdsave, Cancel, Help, List1,
        // cmdcls, cmdshow.
        const int order[] = {kIdSave, kIdCancel, kIdHelp, kIdList, kIdClear, kIdSelect, kIdSave};
        HWND at = GetDlgItem(dialog, kIdSave);
        for (std::size_t i = 1; i < std::size(order); ++i) {
            at = GetNextDlgTabItem(dialog, at, FALSE);
            EXPECT_EQ(GetDlgCtrlID(at), order[i]) << i;
        }
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), kIdSave);
        const LONG_PTR list_style = GetWindowLongPtrW(GetDlgItem(dialog, kIdList), GWL_STYLE);
        EXPECT_EQ(list_style & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0);
        EXPECT_NE(list_style & LBS_NOTIFY, 0);
        EXPECT_TRUE(list_rows(GetDlgItem(dialog, kIdList)).empty());

        // Top edge at the pointer, centred on it.
        RECT outer{};
        GetWindowRect(dialog, &outer);
        EXPECT_EQ(outer.top, 300);
        EXPECT_LE(std::abs((outer.left + outer.right) - 1200), 1);

        Sleep(300);
        save_png(dialog, (artifacts() / L"list_dialog.png").wstring());
        close_box(dialog);
        EXPECT_TRUE(wait_gone(dialog));
    });
    EXPECT_EQ(drawing_list_dialog().bret(), 0);
    EXPECT_EQ(bytes_of(list_file()), "from before\r\n");
    EXPECT_EQ(bytes_of(counter_file()), "7\r\n");
}

TEST_F(DialogWindow, KeptOnTheScreenNearItsCorner) {
    SetCursorPos(1275, 1020);
    run([&](HWND dialog) {
        RECT outer{};
        GetWindowRect(dialog, &outer);
        EXPECT_EQ(outer.right, GetSystemMetrics(SM_CXFULLSCREEN));
        EXPECT_EQ(outer.bottom, GetSystemMetrics(SM_CYFULLSCREEN));
        close_box(dialog);
    });
}

TEST_F(DialogWindow, SelectingThroughTheOpenDialogAndRemoving) {
    write_bytes(list_file(), "earlier\r\n");
    std::vector<std::wstring> rows;
    run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kIdList);
        // One file: the list file is replaced.
        pick(dialog, names.a);
        // Three at once, typed in this order: added last first.
        pick(dialog, L"\"" + names.a + L"\" \"" + names.b + L"\" \"" + names.c + L"\"");
        wait_until([&] { return list_rows(list).size() == 4; });
        // Double-click the second row (the first of the three: C).
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        RECT item{};
        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(item.left + 5, item.top + 2));
        wait_until([&] { return list_rows(list).size() == 3; });
        // With no row selected a double-click does nothing.
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 150));
        Sleep(300);
        rows = list_rows(list);
        save_png(dialog, (artifacts() / L"list_dialog_rows.png").wstring());
        close_box(dialog);
    });
    EXPECT_EQ(rows, (std::vector<std::wstring>{path(names.a), path(names.b), path(names.a)}));
    EXPECT_EQ(bytes_of(list_file()),
              "\"" + bytes(names.a_bytes) + "\"\r\n\"" + bytes(names.b_bytes) + "\"\r\n\"" +
                  bytes(names.a_bytes) + "\"\r\n");
    // 1 for the single file, 4 + 1 for the three.
    EXPECT_EQ(bytes_of(counter_file()), "6\r\n");
}

TEST_F(DialogWindow, SavingClearingAndTheirMessages) {
    const fs::path saved = drawings / L"list.txt";
    std::wstring no_data, saved_text, clear_question;
    run([&](HWND dialog) {
        // Enter is the save button: nothing selected yet.
        press(dialog, VK_RETURN);
        ASSERT_TRUE(dismiss(wait_message_box(L"選択失敗"), IDOK, &no_data));

        pick(dialog, names.b);
        for (int round = 0; round < 2; ++round) {
            click(dialog, kIdSave);
            HWND save = wait_file_dialog(L"リスト保存");
            ASSERT_NE(save, nullptr);
            answer_file_dialog(save, saved.wstring());
            if (round == 1) {
                // The file is there now: the dialog asks before replacing it.
                HWND replace = wait_dialog(L"リスト保存", [save](HWND w) {
                    return is_message_box(w) && GetWindow(w, GW_OWNER) == save;
                });
                ASSERT_NE(replace, nullptr);
                click(replace, IDYES);
                // The question has the same caption as the answer that follows
                // it: let it go first, or the answer may be taken for it.
                ASSERT_TRUE(wait_gone(replace));
            }
            HWND done = wait_dialog(L"リスト保存", [](HWND w) { return is_message_box(w) && !is_file_dialog(w); });
            ASSERT_TRUE(dismiss(done, IDOK, &saved_text));
        }
        // Dismissing the save dialog says nothing.
        click(dialog, kIdSave);
        ASSERT_TRUE(dismiss(wait_file_dialog(L"リスト保存"), IDCANCEL));

        click(dialog, kIdClear);
        ASSERT_TRUE(dismiss(wait_message_box(L"リスト消去"), IDNO, &clear_question));
        EXPECT_EQ(list_rows(GetDlgItem(dialog, kIdList)).size(), 1u);
        click(dialog, kIdClear);
        HWND ask = wait_message_box(L"リスト消去");
        ASSERT_NE(ask, nullptr);
        click(ask, IDYES);
        wait_until([&] { return list_rows(GetDlgItem(dialog, kIdList)).empty(); });
        close_box(dialog);
    });
    EXPECT_EQ(no_data, L"データが選択されていません！");
    EXPECT_EQ(saved_text, L"ロタムリストを保存しました");
    EXPECT_EQ(clear_question, L"リストを消去してもよろしいですか？");
    EXPECT_EQ(bytes_of(saved), bytes(names.b_bytes) + "\r\n");
    EXPECT_FALSE(fs::exists(list_file()));
    EXPECT_EQ(bytes_of(counter_file()), "0\r\n");
}

TEST_F(DialogWindow, ManyNamesGrowTheOpenDialogsBuffer) {
    CommonDialogs::set_initial_open_buffer(64);
    std::wstring typed;
    for (int i = 0; i < 400; ++i)
        typed += L"\"N" + std::to_wstring(1000 + i) + L".QVZ\" ";
    std::vector<std::wstring> rows;
    run([&](HWND dialog) {
        pick(dialog, typed);
        HWND list = GetDlgItem(dialog, kIdList);
        wait_until([&] { return list_rows(list).size() == 400; });
        rows = list_rows(list);
        close_box(dialog);
    });
    CommonDialogs::set_initial_open_buffer(32768);
    ASSERT_EQ(rows.size(), 400u);
    EXPECT_EQ(rows.front(), path(L"N1399.QVZ"));
    EXPECT_EQ(rows[1], path(L"N1001.QVZ"));
    EXPECT_EQ(rows.back(), path(L"N1000.QVZ"));
    EXPECT_EQ(bytes_of(counter_file()), "402\r\n");
}

TEST_F(DialogWindow, HelpWindow) {
    std::wstring text;
    RECT outer{}, close{}, comment{};
    SIZE client{};
    RECT small_close{}, small_comment{};
    SIZE small_client{};
    run([&](HWND dialog) {
        SetCursorPos(100, 120);
        click(dialog, kIdHelp);
        HWND help = wait_dialog(kHelpCaption);
        ASSERT_NE(help, nullptr);
        GetWindowRect(help, &outer);
        client = client_size(help);
        HWND close_button = FindWindowExW(help, nullptr, L"Button", nullptr);
        HWND comment_box = FindWindowExW(help, nullptr, L"Edit", nullptr);
        ASSERT_NE(close_button, nullptr);
        ASSERT_NE(comment_box, nullptr);
        close = child_rect(close_button);
        comment = child_rect(comment_box);
        text = text_of(comment_box);
        EXPECT_EQ(text_of(close_button), L"閉じる");
        Sleep(300);
        save_png(help, (artifacts() / L"help_window.png").wstring());
        // Enter closes it.
        press(help, VK_RETURN);
        EXPECT_TRUE(wait_gone(help));

        // Again, made small, and closed with Escape.
        click(dialog, kIdHelp);
        help = wait_dialog(kHelpCaption);
        ASSERT_NE(help, nullptr);
        SetWindowPos(help, nullptr, 0, 0, 60, 80, SWP_NOMOVE | SWP_NOZORDER);
        Sleep(200);
        small_client = client_size(help);
        small_close = child_rect(FindWindowExW(help, nullptr, L"Button", nullptr));
        small_comment = child_rect(FindWindowExW(help, nullptr, L"Edit", nullptr));
        press(help, VK_ESCAPE);
        EXPECT_TRUE(wait_gone(help));
        close_box(dialog);
    });
    EXPECT_EQ(text, std::wstring(wide(help_text())));
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 120);
    EXPECT_EQ(client.cx, 473);  // 7095 twips
    EXPECT_EQ(client.cy, 474);  // 7110 twips
    // 5800 and 6715 twips; 1215 by 315.
    EXPECT_EQ(close.left, 387);
    EXPECT_EQ(close.top, 448);
    EXPECT_EQ(close.right - close.left, 81);
    EXPECT_EQ(close.bottom - close.top, 21);
    // 80 twips in, 6935 by 6555.
    EXPECT_EQ(comment.left, 5);
    EXPECT_EQ(comment.top, 5);
    EXPECT_EQ(comment.right - comment.left, 462);
    EXPECT_EQ(comment.bottom - comment.top, 437);
    // As small as the window system lets it be: the button keeps its size
    // 80 twips from the right and bottom, the text box 80 twips from the
    // left, top and right and 80 twips above the button.
    const auto px = [](double twips) { return static_cast<LONG>(std::lround(twips / 15)); };
    EXPECT_LT(small_client.cx, 473);
    EXPECT_EQ(small_close.left, px(small_client.cx * 15.0 - 1215 - 80));
    EXPECT_EQ(small_close.top, px(small_client.cy * 15.0 - 315 - 80));
    EXPECT_EQ(small_close.right - small_close.left, 81);
    const double w = small_client.cx * 15.0 - 160;
    const double h = small_client.cy * 15.0 - 315 - 240;
    EXPECT_EQ(small_comment.right - small_comment.left, w > 0 ? px(w) : 462);
    EXPECT_EQ(small_comment.bottom - small_comment.top, h > 0 ? px(h) : 437);
}

// Windows that cannot be made (their owner is a window that has gone): the
// clear question answers no Yes, so Clear clears nothing, and the help window
// raises instead of returning as if it had been shown.  Should a box show
// after all, it is answered Yes, which fails the test rather than hanging it.
TEST(WindowsThatCannotBeMade, NoYesAndTheHelpWindowRaises) {
    watch_process(GetCurrentProcessId());
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    std::thread answer([] {
        if (HWND box = wait_message_box(L"rotam-no-box", 2000))
            dismiss(box, IDYES);
        if (HWND help = wait_dialog(kHelpCaption, {}, 500))
            PostMessageW(help, WM_COMMAND, IDCANCEL, 0);
    });
    CommonDialogs boxes;
    boxes.set_owner(gone);
    EXPECT_FALSE(boxes.ask_yes_no(u"?", u"rotam-no-box"));
    HelpDialog help;
    help.set_owner(gone);
    EXPECT_THROW(help.show_modal(), RuntimeError);
    answer.join();
}

}  // namespace
}  // namespace rotam::command::win32
