// zynhost --answers: the host writes the file's values into the events'
// by-reference arguments (a list answers one call per entry, then the event
// goes unanswered), logs whether it answered, and refuses a bad file with
// its line before it runs anything.
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "wintest_util.h"

namespace rotam::test {
namespace {

struct Output {
    DWORD exit_code = 0xFFFFFFFF;
    std::string text;  // standard output and error together

    // The argument objects and answer marks of one event as sink 1 logged them.
    std::vector<std::string> heard(const std::string &event) const {
        std::vector<std::string> out;
        const std::regex re("\\{\"sink\":1,\"dispid\":\\d+,\"event\":\"" + event + "\",\"args\":(.*)\\}\r?$");
        std::smatch m;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = text.substr(start, end - start);
            if (std::regex_search(line, m, re))
                out.push_back(m[1].str());
        }
        return out;
    }
};

// zynhost with an answers file holding text, output through a pipe.
Output host(const std::string &answers, const std::wstring &arguments) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"rotam_answers.json";
    std::ofstream(std::filesystem::path(file), std::ios::binary) << answers;
    std::wstring command = L"\"" + exe_folder() + L"zynhost.exe\" --timeout 60000 --answers \"" + file + L"\" " + arguments;

    Output r;
    run_captured(std::move(command), r.exit_code, r.text);
    DeleteFileW(file.c_str());
    return r;
}

using Answers = RegisteredComponent;

// Three finished inputs: each asks for the active title and the rest of the
// input.  The titles come from a list of two answers, the rest from one
// answer for every call; what the host wrote stays in the control and comes
// back as the next call's arguments.
TEST_F(Answers, WritesListEntriesPerCallThenLeavesTheEventUnanswered) {
    const std::string file = "{\n"
                             "  \"ZynGetActiveZoririTitle\": [\n"
                             "    {\"DocTitle\": \"Plan \xc3\xa9\", \"vwtitle\": \"Top\\u00e9\", \"result\": -1},\n"
                             "    {\"doctitle\": \"Second\"}\n"
                             "  ],\n"
                             "  \"ZynGetRestGCIN\": {\"vcx\": 1.5, \"GCZ\": -2e3}\n"
                             "}\n";
    const std::wstring input = L"--before call:ZynGCINEnd ";
    const Output r = host(file, input + input + input + L"--after 300:close");
    ASSERT_EQ(r.exit_code, 0u) << r.text;
    EXPECT_EQ(r.heard("ZynGetActiveZoririTitle"),
              (std::vector<std::string>{
                  "{\"DocTitle\":\"Plan \xc3\xa9\",\"VwTitle\":\"Top\xc3\xa9\",\"result\":-1},\"answered\":true",
                  "{\"DocTitle\":\"Second\",\"VwTitle\":\"Top\xc3\xa9\",\"result\":0},\"answered\":true",
                  "{\"DocTitle\":\"Second\",\"VwTitle\":\"Top\xc3\xa9\",\"result\":0},\"answered\":false"}))
        << r.text;
    const std::string rest = "{\"vcx\":1.5,\"vcy\":0,\"vcxUp\":0,\"vcyUp\":0,\"dcz\":0,\"dczUp\":0,\"gcz\":-2000,"
                             "\"gczUp\":0,\"scx\":0,\"scy\":0,\"scz\":0,\"scxUp\":0,\"scyUp\":0,\"sczUp\":0},"
                             "\"answered\":true";
    EXPECT_EQ(r.heard("ZynGetRestGCIN"), std::vector<std::string>(3, rest)) << r.text;
    // Not in the file: the version falls back to the host's own answer, the
    // end notices go unanswered.
    EXPECT_EQ(r.heard("ZynGetZynVersion"), std::vector<std::string>{"{\"ver\":\"2, 0, 3, 4\"},\"answered\":true"});
    EXPECT_EQ(r.heard("ZynExitCommand"), std::vector<std::string>(2, "{},\"answered\":false")) << r.text;
}

TEST_F(Answers, TheFileAnswersTheVersionBeforeTheCommandLine) {
    const Output r = host("{\"ZynGetZynVersion\": {\"ver\": \"2, 0, 1, 7\"}}", L"--version 9 --after 300:escape");
    ASSERT_EQ(r.exit_code, 0u) << r.text;
    EXPECT_EQ(r.heard("ZynGetZynVersion"), std::vector<std::string>{"{\"ver\":\"2, 0, 1, 7\"},\"answered\":true"});
}

// A bad file stops the host before the run, naming the line (and column) of
// the mistake; nothing is fired.
TEST_F(Answers, RefusesABadFileNamingTheLine) {
    const struct {
        std::string file;
        const char *where;  // "line:column: " or "line:"
        const char *says;
    } cases[] = {
        {"", "1:1: ", "unexpected end of the file"},
        {"{\n  \"ZynGetZynVersion\": {\"ver\": \"x\"},\n  \"ZynGetLayerName\" [", "3:21: ", "expected ':'"},
        {"{\"ZynGetZynVersion\": {},\n}", "2:1: ", "expected a name"},
        {"{\n\"ZynGetZynVersion\": {\"ver\": \"2, 0\n\"}}", "2:", "unterminated string"},
        {"{\n\"ZynGetZynVersion\": {\"ver\": \"\xff\"}}", "2:", "not valid UTF-8"},
        {"{\"ZynGetZynVersion\": {\"ver\": \"\\ud800\"}}", "1:", "lone surrogate"},
        {"{\"ZynGetZynVersion\": {\"ver\": 01}}", "1:", "does not start with 0"},
        {"{\"a\":" + std::string(100, '['), "1:", "nested too deeply"},
        {"[]", "1:1: ", "must hold one object"},
        {"{\"ZynGetZynVersion\": {}} {}", "1:", "after the end"},
        {"{\"ZynGetZynVersion\": [{\"ver\": \"1\"},\n 7]}", "2:2: ", "must be an object"},
        {"{\"ZynGetZynVersion\": {\"ver\": \"1\",\n \"VER\": \"2\"}}", "2:2: ", "\"VER\" is given twice"},
        {"{\n  \"ZynGetZynVersion\": {\"ver\": \"1\"},\n  \"ZynNoSuchEvent\": {}\n}", "3:3: ", "unknown event \"ZynNoSuchEvent\""},
        {"{\"ZynGetRestGCIN\":\n  [{\"vcx\": 1},\n   {\"vxc\": 2}]}", "3:5: ", "unknown parameter \"vxc\" of ZynGetRestGCIN"},
        {"{\"ZynGetRestGCIN\": {\n\"vcx\": \"1.5\"}}", "2:8: ", "ZynGetRestGCIN.vcx takes a number"},
        {"{\"ZynGetRestGCIN\": {\"vcx\": 1e999}}", "1:", "does not fit"},
        {"{\"ZynGetActiveZoririTitle\": {\n\n\"result\": 32768}}", "3:11: ", "32768 does not fit ZynGetActiveZoririTitle.result"},
        {"{\"ZynGetActiveZoririTitle\": {\"result\": -32769}}", "1:", "does not fit"},
        {"{\"ZynGetActiveZoririTitle\": {\"result\": 1.5}}", "1:", "does not fit"},
        {"{\"ZynGetActiveZoririTitle\": {\"result\": true}}", "1:", "takes a 16-bit integer"},
        {"{\"ZynGetZynVersion\": {\"ver\": 2}}", "1:", "takes a string"},
        {"{\"ZynQVZDisplay\": {\"hDC\": 1}}", "1:", "passed by value"},
    };
    for (const auto &c : cases) {
        const Output r = host(c.file, L"--after 300:close");
        SCOPED_TRACE(c.file);
        EXPECT_EQ(r.exit_code, 1u) << r.text;
        EXPECT_NE(r.text.find(std::string("rotam_answers.json:") + c.where + ""), std::string::npos) << r.text;
        EXPECT_NE(r.text.find(c.says), std::string::npos) << r.text;
        EXPECT_EQ(r.text.find("\"event\""), std::string::npos) << r.text;
    }
}

}  // namespace
}  // namespace rotam::test
