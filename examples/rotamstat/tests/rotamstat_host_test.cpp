// rotamstat.dll end to end under Wine: the reference host runs the command on
// a scripted drawing and this test reads the totals off the dialog; and
// rotamstat registered beside rotamcmd, each going without disturbing the
// other.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window_driver_win32.h"

namespace rotamstat {
namespace {

namespace fs = std::filesystem;
using namespace rotam::testing::win;

fs::path exe_folder() {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

struct HostRun {
    DWORD exit_code = 0xFFFFFFFF;
    std::string log;
};

// zynhost.exe with these arguments; while it runs, script gets its process.
HostRun run_host(const std::wstring &arguments, const std::function<void()> &script = {}) {
    const fs::path log_path = exe_folder() / (L"stat-host-" + std::to_wstring(GetCurrentProcessId()) + L".log");
    std::wstring command = L"\"" + (exe_folder() / L"zynhost.exe").wstring() + L"\" --timeout 120000 --log \"" +
                           log_path.wstring() + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    HostRun result;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "zynhost.exe did not start";
        return result;
    }
    watch_process(pi.dwProcessId);
    if (script)
        script();
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the host did not end";
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    GetExitCodeProcess(pi.hProcess, &result.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(log_path);
    result.log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    fs::remove(log_path);
    return result;
}

std::wstring dll(const wchar_t *name) { return (exe_folder() / name).wstring(); }

HRESULT install(const std::wstring &path, bool on) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    using Install = HRESULT(STDAPICALLTYPE *)(BOOL, PCWSTR);
    auto entry = reinterpret_cast<Install>(reinterpret_cast<void *>(GetProcAddress(module, "DllInstall")));
    const HRESULT hr = entry ? entry(on, L"user") : E_FAIL;
    FreeLibrary(module);
    return hr;
}

bool user_key(const std::wstring &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Created, connected and released by the host, no run.
bool creates(const wchar_t *progid) {
    const HostRun run = run_host(std::wstring(L"--no-init --progid ") + progid + L" --dll \"" + dll(L"missing.dll") + L"\"");
    return run.exit_code == 0;
}

// Records 0 and 1 single, 2 to 4 a package whose last member is left out,
// 5 single.  The host is asked for record 2 three times (once as a record,
// twice by the package reader) before records 3 and 4.
constexpr char kAnswers[] = R"({
  "ZynGetiendp": {"iendp": 6},
  "ZynGetCLayer": {"layer": 3},
  "ZynGetPlotScale": {"m_PlotScale": 50},
  "ZynGetData": [
    {"id": 2, "layer": 3}, {"id": 5, "layer": 1},
    {"id": 2, "layer": 3, "ndata": 3}, {"id": 2, "layer": 3, "ndata": 3}, {"id": 2, "layer": 3, "ndata": 3},
    {"id": 4, "layer": 3}, {"id": 254, "layer": 3},
    {"id": 10, "layer": 0}
  ],
  "ZynGetLayerStr": [{"Name": "Walls"}, {"Name": "Base"}, {"Name": "Doors"}]
})";

// The dialog of one run: its text, read when it shows at the pointer, then
// closed with its OK button.
std::wstring run_and_read(const std::wstring &arguments, HostRun &run) {
    SetCursorPos(300, 200);
    std::wstring shown;
    run = run_host(L"--progid rotamstat.ZynOptCmd120 --dll \"" + dll(L"rotamstat.dll") + L"\" " + arguments, [&] {
        HWND dialog = wait_dialog(L"rotamstat");
        ASSERT_NE(dialog, nullptr);
        shown = text_of(GetDlgItem(dialog, 100));
        RECT r{};
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, 300);
        EXPECT_EQ(r.top, 200);
        click(dialog, IDOK);
        EXPECT_TRUE(wait_gone(dialog));
    });
    EXPECT_EQ(run.exit_code, 0u) << run.log;
    EXPECT_NE(run.log.find("\"event\":\"ZynWaitCursor\""), std::string::npos);
    EXPECT_NE(run.log.find("\"event\":\"ZynExitCommand\""), std::string::npos);
    return shown;
}

// A host that answers nothing but its version: an empty drawing.
TEST(RotamStatHost, AnEmptyDrawingInTheDialog) {
    HostRun run;
    EXPECT_EQ(run_and_read(L"", run),
              L"Records: 0\r\nPackages: 0\r\nLeft out: 0\r\n\r\nBy kind:\r\n\r\nBy layer:\r\n\r\nPlot scale: 1:0");
}

TEST(RotamStatHost, TotalsOfAScriptedDrawingInTheDialog) {
    const fs::path answers = exe_folder() / (L"stat-answers-" + std::to_wstring(GetCurrentProcessId()) + L".json");
    std::ofstream(answers) << kAnswers;
    HostRun run;
    const std::wstring shown = run_and_read(L"--answers \"" + answers.wstring() + L"\"", run);
    fs::remove(answers);
    EXPECT_EQ(shown,
              L"Records: 5\r\nPackages: 1\r\nLeft out: 1\r\n\r\nBy kind:\r\n  kind 2: 2\r\n  kind 4: 1\r\n"
              L"  kind 5: 1\r\n  kind 10: 1\r\n\r\nBy layer:\r\n  0 Doors: 1\r\n  1 Base: 1\r\n"
              L"  3 Walls: 3 (current)\r\n\r\nPlot scale: 1:50");
}

TEST(RotamStatHost, SideBySideWithRotamcmdAndEachUnregistersAlone) {
    const wchar_t *const stat = L"rotamstat.ZynOptCmd120", *const cmd = L"rotamcmd.ZynOptCmd120";
    ASSERT_EQ(install(dll(L"rotamcmd.dll"), true), S_OK);
    ASSERT_EQ(install(dll(L"rotamstat.dll"), true), S_OK);
    EXPECT_TRUE(creates(cmd));
    EXPECT_TRUE(creates(stat));

    ASSERT_EQ(install(dll(L"rotamstat.dll"), false), S_OK);
    EXPECT_FALSE(user_key(stat));
    EXPECT_TRUE(user_key(cmd));
    EXPECT_TRUE(user_key(L"CLSID\\{93065203-8A40-44E8-A1EA-161916329191}\\InprocServer32"));
    EXPECT_TRUE(user_key(L"TypeLib\\{5A1EE85E-7367-4D00-916B-526916093BDD}\\1.0"));
    EXPECT_TRUE(creates(cmd));
    EXPECT_FALSE(creates(stat));

    ASSERT_EQ(install(dll(L"rotamstat.dll"), true), S_OK);
    ASSERT_EQ(install(dll(L"rotamcmd.dll"), false), S_OK);
    EXPECT_FALSE(user_key(cmd));
    EXPECT_TRUE(user_key(stat));
    EXPECT_TRUE(creates(stat));
    EXPECT_FALSE(creates(cmd));

    EXPECT_EQ(install(dll(L"rotamstat.dll"), false), S_OK);
    EXPECT_FALSE(user_key(stat));
}

}  // namespace
}  // namespace rotamstat
