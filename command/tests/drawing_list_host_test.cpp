// The drawing list command end to end: the reference host zynhost.exe loads
// rotamcmd.dll, and this test drives the dialog in the host's process by
// messages, as a user would, then checks the rows it saw, the bytes of the
// files beside the component, the counter and the events the host heard.
//
// Run with the Japanese code page (932) and with the Western one (1252);
// ROTAM_EXPECT_ACP names the one the run expects.
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include <gtest/gtest.h>

#include "window_driver_win32.h"

namespace rotam::command {
namespace {

namespace fs = std::filesystem;
using namespace rotam::testing::win;

const std::wstring kCaption = L"ロタムリスト作成 Ver1.0";

fs::path exe_folder() {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

std::string bytes_of(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct HostRun {
    DWORD exit_code = 0xFFFFFFFF;
    std::vector<std::string> log;

    std::vector<std::string> events() const {
        std::vector<std::string> out;
        const std::regex event("\"event\":\"(\\w+)\"");
        std::smatch m;
        for (const std::string &line : log)
            if (std::regex_search(line, m, event))
                out.push_back(m[1].str());
        return out;
    }
    bool init_succeeded() const {
        for (const std::string &line : log)
            if (line.find("\"method\":\"ZynInitCommand\"") != std::string::npos)
                return line.find("\"hr\":\"0x00000000\"") != std::string::npos;
        return false;
    }
};

class DrawingListHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char *expected = std::getenv("ROTAM_EXPECT_ACP")) {
            ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
        }
        japanese = GetACP() == 932;
        fs::remove(list_file);
        fs::remove(counter_file);
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        drawings = fs::path(temp) / (L"rotam-host-" + std::to_wstring(GetCurrentProcessId())) /
                   (japanese ? L"表示" : L"Ñame");
        fs::create_directories(drawings);
        fs::create_directories(exe_folder() / L"artifacts");
        SetCursorPos(640, 200);
    }
    void TearDown() override {
        fs::remove(list_file);
        fs::remove(counter_file);
        std::error_code ignored;
        fs::remove_all(drawings.parent_path(), ignored);
    }

    // zynhost runs the command while script drives its windows.
    HostRun run(const std::function<void(HWND)> &script) {
        const fs::path log_path = exe_folder() / (L"host-" + std::to_wstring(GetCurrentProcessId()) + L".log");
        std::wstring command = L"\"" + (exe_folder() / L"zynhost.exe").wstring() +
                               L"\" --timeout 180000 --log \"" + log_path.wstring() + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        HostRun result;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ADD_FAILURE() << "zynhost.exe did not start";
            return result;
        }
        watch_process(pi.dwProcessId);
        HWND dialog = wait_dialog(kCaption);
        EXPECT_NE(dialog, nullptr);
        if (dialog)
            script(dialog);
        if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the host did not end";
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 10000);
        }
        GetExitCodeProcess(pi.hProcess, &result.exit_code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        std::ifstream in(log_path);
        for (std::string line; std::getline(in, line);)
            result.log.push_back(line);
        in.close();
        fs::remove(log_path);
        return result;
    }

    void pick(HWND dialog, const std::wstring &answer) {
        click(dialog, 1006);  // cmdshow
        HWND open = wait_file_dialog(L"図面選択");
        ASSERT_NE(open, nullptr);
        answer_file_dialog(open, drawings.wstring());
        Sleep(300);
        answer_file_dialog(open, answer);
        ASSERT_TRUE(wait_gone(open));
    }

    void ok_message(const std::wstring &caption, std::wstring *text = nullptr) {
        HWND box = wait_dialog(caption, [](HWND w) { return is_message_box(w) && !is_file_dialog(w); });
        ASSERT_NE(box, nullptr) << "no message box";
        ASSERT_TRUE(dismiss(box, IDOK, text));
    }

    std::wstring path(const std::wstring &name) const { return drawings.wstring() + L"\\" + name; }
    // The drawings folder as the list file holds it.
    std::string bytes(const std::string &name) const {
        std::string out;
        const std::wstring folder = drawings.parent_path().wstring();
        for (wchar_t c : folder)
            out.push_back(static_cast<char>(c));  // the temporary folder is ASCII
        out += japanese ? "\\\x95\x5c\x8e\xa6\\" : "\\\xd1" "ame\\";
        return out + name;
    }

    const fs::path list_file = exe_folder() / L"prnfiles.ara";
    const fs::path counter_file = exe_folder() / L"lcount.ara";
    bool japanese = false;
    fs::path drawings;
};

TEST_F(DrawingListHost, PickRemoveSaveAndClose) {
    const std::wstring a = japanese ? L"図面Ａ.QVZ" : L"Plan é.QVZ";
    const std::string a_bytes = japanese ? "\x90\x7d\x96\xca\x82\x60.QVZ" : "Plan \xe9.QVZ";
    const fs::path saved = drawings / L"saved.txt";
    std::vector<std::wstring> rows_after_picks, rows_at_end;
    std::wstring saved_text;
    const HostRun host = run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, 1004);
        pick(dialog, a);
        pick(dialog, L"\"B.QVZ\" \"C.QVZ\" \"D.QVZ\" \"E.QVZ\"");
        wait_until([&] { return list_rows(list).size() == 5; });
        rows_after_picks = list_rows(list);

        // Double-click on E (the second row).
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        RECT item{};
        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(item.left + 4, item.top + 2));
        wait_until([&] { return list_rows(list).size() == 4; });

        // Enter is the save button.
        press(dialog, VK_RETURN);
        HWND save = wait_file_dialog(L"リスト保存");
        ASSERT_NE(save, nullptr);
        answer_file_dialog(save, saved.wstring());
        ok_message(L"リスト保存", &saved_text);

        // The help window, pictured and closed with Escape.
        click(dialog, 1003);
        HWND help = wait_dialog(L"ｵﾌﾟｼｮﾝｺﾏﾝﾄﾞ ﾍﾙﾌﾟ");
        ASSERT_NE(help, nullptr);
        Sleep(300);
        save_png(help, (exe_folder() / L"artifacts" / (japanese ? L"host_help_932.png" : L"host_help_1252.png")).wstring());
        press(help, VK_ESCAPE);
        ASSERT_TRUE(wait_gone(help));

        rows_at_end = list_rows(list);
        Sleep(200);
        save_png(dialog, (exe_folder() / L"artifacts" / (japanese ? L"host_dialog_932.png" : L"host_dialog_1252.png")).wstring());
        close_box(dialog);
    });

    EXPECT_EQ(rows_after_picks, (std::vector<std::wstring>{path(a), path(L"E.QVZ"), path(L"C.QVZ"),
                                                          path(L"D.QVZ"), path(L"B.QVZ")}));
    EXPECT_EQ(rows_at_end, (std::vector<std::wstring>{path(a), path(L"C.QVZ"), path(L"D.QVZ"), path(L"B.QVZ")}));
    const std::string expected_list = "\"" + bytes(a_bytes) + "\"\r\n\"" + bytes("C.QVZ") + "\"\r\n\"" +
                                      bytes("D.QVZ") + "\"\r\n\"" + bytes("B.QVZ") + "\"\r\n";
    EXPECT_EQ(bytes_of(list_file), expected_list);  // the close box leaves it
    EXPECT_EQ(bytes_of(counter_file), "7\r\n");     // 1, then 4 + 1 + 1
    EXPECT_EQ(bytes_of(saved), expected_list);
    EXPECT_EQ(saved_text, L"ロタムリストを保存しました");

    EXPECT_EQ(host.exit_code, 0u);
    EXPECT_TRUE(host.init_succeeded());
    EXPECT_EQ(host.events(), (std::vector<std::string>{"ZynGetZynVersion", "ZynExitCommand", "ZynExitCommand"}));
}

TEST_F(DrawingListHost, NothingToSaveThenEscapeCancels) {
    std::wstring message;
    const HostRun host = run([&](HWND dialog) {
        press(dialog, VK_RETURN);
        ok_message(L"選択失敗", &message);
        pick(dialog, L"X.QVZ");
        // The host's thread writes the files once the open dialog is gone.
        EXPECT_TRUE(wait_until([&] { return bytes_of(counter_file) == "1\r\n"; }));
        EXPECT_EQ(bytes_of(list_file), bytes("X.QVZ") + "\r\n");
        press(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(message, L"データが選択されていません！");
    EXPECT_FALSE(fs::exists(list_file));
    EXPECT_EQ(bytes_of(counter_file), "0\r\n");
    EXPECT_EQ(host.exit_code, 0u);
    EXPECT_TRUE(host.init_succeeded());
    EXPECT_EQ(host.events(), (std::vector<std::string>{"ZynGetZynVersion", "ZynExitCommand", "ZynExitCommand"}));
}

TEST_F(DrawingListHost, ThousandsOfFilesAtOnce) {
    constexpr int kFiles = 3000;
    std::wstring typed;
    for (int i = 0; i < kFiles; ++i)
        typed += L"\"F" + std::to_wstring(10000 + i) + L".QVZ\" ";
    std::vector<std::wstring> rows;
    run([&](HWND dialog) {
        pick(dialog, typed);
        HWND list = GetDlgItem(dialog, 1004);
        wait_until([&] { return list_rows(list).size() == kFiles; }, 60000);
        rows = list_rows(list);
        close_box(dialog);
    });
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(rows.front(), path(L"F12999.QVZ"));
    EXPECT_EQ(rows[1], path(L"F10001.QVZ"));
    EXPECT_EQ(rows.back(), path(L"F10000.QVZ"));
    EXPECT_EQ(bytes_of(counter_file), std::to_string(kFiles + 2) + "\r\n");
    const std::string list = bytes_of(list_file);
    EXPECT_EQ(list.substr(0, bytes("F12999.QVZ").size() + 2), bytes("F12999.QVZ") + "\r\n");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), kFiles);
}

}  // namespace
}  // namespace rotam::command
