// Runs the drawing list command the way a user of an installed package
// does: the reference host creates the control by its program identifier
// alone (its --dll names no file, so it cannot register anything itself),
// one drawing is picked in the open dialog and the dialog is closed.
//
//   package_pick ZYNHOST LOG [HOST OPTIONS...]
// Exit code: the host's, or 20 and up when a window did not come.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "window_driver_win32.h"

using namespace rotam::testing::win;
namespace fs = std::filesystem;

int wmain(int argc, wchar_t **argv) {
    if (argc < 3) {
        std::fputs("usage: package_pick ZYNHOST LOG [HOST OPTIONS...]\n", stderr);
        return 1;
    }
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const fs::path drawings = fs::path(temp) / (L"rotam-pick-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(drawings);
    std::ofstream(drawings / L"A.QVZ") << "drawing\n";

    std::wstring command = L"\"" + std::wstring(argv[1]) +
                           L"\" --dll C:\\nowhere\\rotamcmd.dll --timeout 120000 --log \"" + argv[2] + L"\"";
    for (int i = 3; i < argc; ++i)
        command += L" \"" + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 20;
    watch_process(pi.dwProcessId);
    int failed = 0;
    HWND dialog = wait_dialog(L"ロタムリスト作成 Ver1.0");
    if (!dialog) {
        failed = 21;
    } else {
        click(dialog, 1006);  // the select button
        HWND open = wait_file_dialog(L"図面選択");
        if (!open) {
            failed = 22;
        } else {
            answer_file_dialog(open, drawings.wstring());
            Sleep(300);
            answer_file_dialog(open, L"A.QVZ");
            if (!wait_gone(open))
                failed = 23;
            else if (!wait_until([&] { return list_rows(GetDlgItem(dialog, 1004)).size() == 1; }))
                failed = 24;
        }
        close_box(dialog);
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 9);
        failed = failed ? failed : 25;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::error_code ignored;
    fs::remove_all(drawings, ignored);
    if (failed)
        std::fprintf(stderr, "package_pick: step %d failed\n", failed);
    return failed ? failed : static_cast<int>(code);
}
