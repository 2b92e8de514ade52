// The reference host end to end: zynhost.exe creates the control by its
// program identifier, drives a run with the real dialog and logs what its
// sinks hear, one JSON line per event.
#include <regex>
#include <string>
#include <vector>

#include "wintest_util.h"

namespace rotam::test {
namespace {

struct Result {
    DWORD exit_code = 0xFFFFFFFF;
    std::vector<std::string> lines;

    // The lines a sink logged, as "dispid event" with sink number when asked.
    std::vector<std::string> events(int sink = 1) const {
        std::vector<std::string> out;
        const std::regex re("^\\{\"sink\":" + std::to_string(sink) + ",\"dispid\":(\\d+),\"event\":\"(\\w+)\"");
        std::smatch m;
        for (const std::string &l : lines)
            if (std::regex_search(l, m, re))
                out.push_back(m[1].str() + " " + m[2].str());
        return out;
    }
    std::string first(const std::string &start) const {
        for (const std::string &l : lines)
            if (l.rfind(start, 0) == 0)
                return l;
        return {};
    }
    std::string text() const {
        std::string all;
        for (const std::string &l : lines)
            all += l + "\n";
        return all;
    }
};

Result run_program(std::wstring command) {
    Result r;
    std::string output;
    if (!run_captured(std::move(command), r.exit_code, output))
        return r;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        r.lines.push_back(line);
    }
    return r;
}

Result run_host(const std::wstring &arguments) {
    return run_program(L"\"" + exe_folder() + L"zynhost.exe\" --timeout 60000 " + arguments);
}

using ReferenceHost = RegisteredComponent;

const std::vector<std::string> kOneRun = {"224 ZynGetZynVersion", "1 ZynExitCommand", "1 ZynExitCommand"};

TEST_F(ReferenceHost, RunsTheCommandAndHearsTheEndTwice) {
    const Result r = run_host(L"--after 300:close");
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    EXPECT_EQ(r.events(), kOneRun) << r.text();
    EXPECT_NE(r.first("{\"sink\":1,\"dispid\":224").find("\"args\":{\"ver\":\"2, 0, 3, 4\"}"), std::string::npos);
    EXPECT_NE(r.first("{\"host\":\"create\"").find("\"via\":\"system\""), std::string::npos) << r.text();
    EXPECT_NE(r.first("{\"host\":\"call\",\"method\":\"ZynInitCommand\"").find("\"hr\":\"0x00000000\""),
              std::string::npos);
    EXPECT_NE(r.first("{\"host\":\"close\"").find("\"dialog\":true"), std::string::npos);
    // The second notice comes as the control goes, after the run returned.
    const auto init = std::find_if(r.lines.begin(), r.lines.end(),
                                   [](const std::string &l) { return l.find("ZynInitCommand") != std::string::npos; });
    EXPECT_EQ(std::count_if(init, r.lines.end(),
                            [](const std::string &l) { return l.find("ZynExitCommand") != std::string::npos; }),
              1);
}

TEST_F(ReferenceHost, AnswersWithTheVersionItIsGivenAndEveryConnectedSinkHears) {
    const Result r = run_host(L"--version \"2, 0, 1, 7\" --sinks 2 --after 300:escape");
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    EXPECT_EQ(r.events(1), kOneRun) << r.text();
    EXPECT_EQ(r.events(2), kOneRun) << r.text();
    EXPECT_NE(r.first("{\"sink\":2,\"dispid\":224").find("\"ver\":\"2, 0, 1, 7\""), std::string::npos) << r.text();
}

TEST_F(ReferenceHost, DrivesNestedCallsAndReportsTheirErrors) {
    const Result r = run_host(L"--after 200:call:ZynFromDrawingEnd:32768 --after 400:call:ZynUrgentExit");
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    const std::string failed = r.first("{\"host\":\"call\",\"method\":\"ZynFromDrawingEnd\"");
    EXPECT_NE(failed.find("\"scode\":\"0x800A0006\",\"error\":\"Overflow\""), std::string::npos) << failed;
    EXPECT_NE(failed.find("\"psw\":32768"), std::string::npos) << failed;
    EXPECT_NE(r.first("{\"host\":\"call\",\"method\":\"ZynUrgentExit\"").find("\"hr\":\"0x00000000\""),
              std::string::npos);
    EXPECT_EQ(r.events(), kOneRun) << r.text();
}

// A host that answers the end of one run by running a second control: the
// second run ends with a notice of its own, and an urgent exit of the first
// control, whose run is over, ends nothing.
TEST_F(ReferenceHost, ARunStartedFromAnEndNoticeHasItsOwnEnd) {
    const Result r = run_host(L"--after 300:close --on-exit second:300 --on-exit call:ZynUrgentExit");
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    std::vector<std::string> both;
    const std::regex re("^\\{\"sink\":(\\d+),\"dispid\":(\\d+)");
    std::smatch m;
    for (const std::string &l : r.lines)
        if (std::regex_search(l, m, re))
            both.push_back(m[1].str() + ":" + m[2].str());
    // A's version, A's end; B's version, B's end, B's teardown; A's teardown.
    EXPECT_EQ(both, (std::vector<std::string>{"1:224", "1:1", "2:224", "2:1", "2:1", "1:1"})) << r.text();
    EXPECT_NE(r.first("{\"host\":\"second\",\"release\"").find("\"release\":0"), std::string::npos) << r.text();
    for (const std::string &l : r.lines)
        if (l.rfind("{\"host\":\"call\"", 0) == 0) {
            EXPECT_NE(l.find("\"hr\":\"0x00000000\""), std::string::npos) << l;
        }
}

TEST_F(ReferenceHost, WithoutARunTheControlStillSaysGoodbye) {
    const Result r = run_host(L"--no-init");
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.events(), std::vector<std::string>{"1 ZynExitCommand"}) << r.text();
}

// Where the identifier is unknown the host registers the component for the
// user alone, and creates it from the user's classes.
TEST_F(ReferenceHost, RegistersForTheUserWhenTheControlIsUnknown) {
    ASSERT_EQ(dll.unregister_server(), S_OK);
    const Result r = run_host(L"--after 300:close");
    dll.install(FALSE, L"user");
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    EXPECT_NE(r.first("{\"host\":\"register\"").find("\"scope\":\"user\""), std::string::npos) << r.text();
    EXPECT_NE(r.first("{\"host\":\"register\"").find("\"hr\":\"0x00000000\""), std::string::npos) << r.text();
    EXPECT_NE(r.first("{\"host\":\"create\"").find("\"hr\":\"0x00000000\""), std::string::npos) << r.text();
    EXPECT_EQ(r.events(), kOneRun) << r.text();
}

// A script client passes its variables as references to VARIANTs; the
// control takes their values and gives results back in them.
TEST_F(ReferenceHost, ScriptClientsCallByReferenceAndSeeRunTimeErrors) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring script = std::wstring(folder) + L"rotam_client.vbs";
    const char text[] =
        "Set c = CreateObject(\"rotamcmd.ZynOptCmd120\")\r\n"
        "c.mcx = 5\r\n"
        "WScript.Echo \"mcx=\" & c.mcx\r\n"
        "f = 1 : x = 2 : y = 3 : cont = 7\r\n"
        "c.ZynOnMouseMove f, x, y, cont\r\n"
        "WScript.Echo \"cont=\" & cont & \" x=\" & x\r\n"
        "psw = 32768 : m = 4 : g = 0.5\r\n"
        "On Error Resume Next\r\n"
        "c.ZynFromDrawingEnd psw, m, m, m, m, m, m, g, g, g, g, g, g\r\n"
        "WScript.Echo \"err=\" & Err.Number & \" \" & Err.Description\r\n"
        "On Error GoTo 0\r\n"
        "WScript.Echo \"FDmcx0=\" & c.FDmcx0\r\n";
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const Result r = run_program(L"\"" + std::wstring(system) + L"\\cscript.exe\" //nologo \"" + script + L"\"");
    DeleteFileW(script.c_str());
    EXPECT_EQ(r.exit_code, 0u) << r.text();
    EXPECT_EQ(r.lines, (std::vector<std::string>{"mcx=5", "cont=0 x=2", "err=6 Overflow", "FDmcx0=4"})) << r.text();
}

}  // namespace
}  // namespace rotam::test
