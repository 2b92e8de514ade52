#include "list_files.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "kill_writes.h"
#include "test_folder.h"

namespace rotam::command {
namespace {

using namespace testing;  // TestFolder and its byte helpers

TEST(ListFormats, LinesAndCounter) {
    EXPECT_EQ(bare_line("C:\\D\\A.QVZ"), "C:\\D\\A.QVZ\r\n");
    EXPECT_EQ(quoted_line("C:\\D\\A.QVZ"), "\"C:\\D\\A.QVZ\"\r\n");
    EXPECT_EQ(counter_line(0), "0\r\n");
    EXPECT_EQ(counter_line(3), "3\r\n");
    EXPECT_EQ(counter_line(32767), "32767\r\n");
    EXPECT_EQ(counter_line(-32768), "-32768\r\n");
}

TEST(ListFormats, EntriesOfBareQuotedAndOddLines) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(list_entries(""), V{});
    EXPECT_EQ(list_entries("a\r\n\"b\"\r\nc"), (V{"a", "b", "c"}));
    // Lone LF and lone CR end lines too; an empty line is an entry.
    EXPECT_EQ(list_entries("a\nb\rc\r\n\r\nd\r\n"), (V{"a", "b", "c", "", "d"}));
    // Only a quote at both ends unquotes; one quote alone is taken as it is.
    EXPECT_EQ(list_entries("\"\r\n\"\"\r\n\"a\r\nb\"\r\n\"x\"y\"\r\n"),
              (V{"\"", "", "\"a", "b\"", "x\"y"}));
}

TEST(ListFormats, RemovingDropsEveryEqualEntryAndQuotesTheRest) {
    EXPECT_EQ(list_without("A\r\n\"B\"\r\nA\r\nC\r\n", "A"), "\"B\"\r\n\"C\"\r\n");
    EXPECT_EQ(list_without("A\r\n\"A\"\r\n", "A"), "");
    // Exact and case-sensitive.
    EXPECT_EQ(list_without("a\r\nA \r\n", "A"), "\"a\"\r\n\"A \"\r\n");
    // Bytes that are no text in any code page pass through untouched.
    EXPECT_EQ(list_without("\x81\xff\r\nX\r\n", "X"), "\"\x81\xff\"\r\n");
}

// Exact bytes or none: a look-alike (best fit) or a '?' would name another
// file.  Natively iconv stands in; under Wine the Windows conversion runs.
TEST(CodePages, ExactBytesOrNone) {
    struct Row {
        unsigned code_page;
        std::u16string text;
        std::optional<std::string> bytes;
    };
    const Row rows[] = {
        // 表 and ソ end in the byte of a backslash.
        {932, u"C:\\表\\ソ.QVZ", "C:\\\x95\x5c\\\x83\x5c.QVZ"},
        {932, u"ﾌｧｲﾙ", "\xcc\xa7\xb2\xd9"},
        // A yen sign would become a backslash, an à a plain a.
        {932, u"D\\\u00a5.QVZ", std::nullopt},
        {932, u"D\\\u00e0.QVZ", std::nullopt},
        {1252, u"Caf\u00e9.QVZ", "Caf\xe9.QVZ"},
        {1252, u"\u00a5\u00e0", "\xa5\xe0"},
        {1252, u"a\u8868b", std::nullopt},
        {1252, u"\u0101", std::nullopt},  // ā, best fit a
        {1252, u"", ""},
        {65001, u"\u00a5", "\xc2\xa5"},
        {65001, std::u16string(1, char16_t(0xD800)), std::nullopt},  // half a pair
    };
    for (const Row &row : rows) {
        const auto code_page = make_code_page(row.code_page);
        ASSERT_TRUE(code_page) << row.code_page;
        EXPECT_EQ(code_page->to_ansi(row.text), row.bytes)
            << row.code_page << " " << std::string(row.text.begin(), row.text.end());
    }
}

class ListFileOps : public ::testing::Test {
protected:
    ListFileOps() : sjis(make_code_page(932)), files(folder.text(), platform_file_system(), *sjis) {}

    std::string list() const { return bytes_of(folder / "prnfiles.ara"); }
    std::string counter() const { return bytes_of(folder / "lcount.ara"); }

    TestFolder folder;
    std::unique_ptr<CodePage> sjis;
    ListFiles files;
};

TEST_F(ListFileOps, FilesLieInTheGivenFolder) {
    const std::u16string sep(1, platform_file_system().separator());
    EXPECT_EQ(files.list_path(), folder.text() + sep + u"prnfiles.ara");
    EXPECT_EQ(files.counter_path(), folder.text() + sep + u"lcount.ara");
    // A folder given with its separator gets no second one.
    ListFiles again(folder.text() + sep, platform_file_system(), *sjis);
    EXPECT_EQ(again.list_path(), files.list_path());
}

TEST_F(ListFileOps, SingleReplacesAndAppendAddsBareLines) {
    write_bytes(folder / "prnfiles.ara", "\"old\"\r\nolder\r\n");
    files.write_single(u"C:\\表\\A.QVZ");
    EXPECT_EQ(list(), "C:\\\x95\x5c\\A.QVZ\r\n");
    const std::u16string more[] = {u"D\\C.QVZ", u"D\\B.QVZ"};
    files.append(more);
    EXPECT_EQ(list(), "C:\\\x95\x5c\\A.QVZ\r\nD\\C.QVZ\r\nD\\B.QVZ\r\n");
}

TEST_F(ListFileOps, AppendMakesAMissingFile) {
    const std::u16string one[] = {u"X.QVZ"};
    files.append(one);
    EXPECT_EQ(list(), "X.QVZ\r\n");
}

TEST_F(ListFileOps, RemoveRewritesQuotedAndLaterAdditionsStayBare) {
    write_bytes(folder / "prnfiles.ara", "D\\A.QVZ\r\nD\\\x95\x5c.QVZ\r\n\"D\\A.QVZ\"\r\nD\\C.QVZ\r\n");
    files.remove_entry(u"D\\A.QVZ");
    EXPECT_EQ(list(), "\"D\\\x95\x5c.QVZ\"\r\n\"D\\C.QVZ\"\r\n");
    files.remove_entry(u"D\\表.QVZ");
    EXPECT_EQ(list(), "\"D\\C.QVZ\"\r\n");
    const std::u16string more[] = {u"D\\E.QVZ"};
    files.append(more);
    EXPECT_EQ(list(), "\"D\\C.QVZ\"\r\nD\\E.QVZ\r\n");
    files.remove_entry(u"D\\C.QVZ");
    files.remove_entry(u"D\\E.QVZ");
    EXPECT_TRUE(file_exists(folder / "prnfiles.ara"));
    EXPECT_EQ(list(), "");
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara.new"));
}

// Not one line of an addition goes in when a path cannot be written as
// itself.
TEST_F(ListFileOps, NamesOutsideTheCodePageWriteNothing) {
    write_bytes(folder / "prnfiles.ara", "A\r\n");
    const std::u16string yen = u"D\\\u00a5.QVZ";
    const std::u16string both[] = {u"D\\B.QVZ", yen};
    for (const auto &write : std::vector<std::function<void()>>{
             [&] { files.write_single(yen); }, [&] { files.append(both); }}) {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const FileError &error) {
            EXPECT_EQ(error.path(), yen);
            EXPECT_EQ(error.reason(), kNameOutsideCodePage);
        }
    }
    // No line can be equal to it: the file stays as it was, not requoted.
    files.remove_entry(yen);
    EXPECT_EQ(list(), "A\r\n");
}

TEST_F(ListFileOps, RemoveWithoutAListFileMakesNone) {
    files.remove_entry(u"D\\A.QVZ");
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara"));
}

TEST_F(ListFileOps, CounterAndDelete) {
    files.write_counter(6);
    EXPECT_EQ(counter(), "6\r\n");
    files.write_counter(-2);
    EXPECT_EQ(counter(), "-2\r\n");
    write_bytes(folder / "prnfiles.ara", "x\r\n");
    files.delete_list();
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara"));
    EXPECT_NO_THROW(files.delete_list());
}

TEST_F(ListFileOps, SaveCopiesByteForByteOverAnExistingFile) {
    const std::string content = "\"q\"\r\nbare\r\n\x95\x5c\r\n";
    write_bytes(folder / "prnfiles.ara", content);
    write_bytes(folder / "out.txt", "something much longer than the list itself\r\n");
    files.save_copy((folder / "out.txt").u16string());
    EXPECT_EQ(bytes_of(folder / "out.txt"), content);
    EXPECT_EQ(list(), content);
}

TEST_F(ListFileOps, SavingAMissingListFails) {
    try {
        files.save_copy((folder / "out.txt").u16string());
        FAIL() << "no error";
    } catch (const FileError &error) {
        EXPECT_EQ(error.number(), 53);
        EXPECT_EQ(error.path(), files.list_path());
    }
    EXPECT_FALSE(file_exists(folder / "out.txt"));
}

// A rewrite that cannot make its new file leaves the old one whole.
TEST_F(ListFileOps, FailedRewritesKeepTheOldFiles) {
    write_bytes(folder / "prnfiles.ara", "A\r\nB\r\n");
    write_bytes(folder / "lcount.ara", "4\r\n");
    std::filesystem::create_directory(folder / "prnfiles.ara.new");
    std::filesystem::create_directory(folder / "lcount.ara.new");
    try {
        files.remove_entry(u"A");
        FAIL() << "no error";
    } catch (const FileError &error) {
        EXPECT_EQ(error.number(), 75);
        EXPECT_EQ(error.path(), files.list_path());
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_THROW(files.write_single(u"C"), FileError);
    EXPECT_THROW(files.write_counter(5), FileError);
    EXPECT_EQ(list(), "A\r\nB\r\n");
    EXPECT_EQ(counter(), "4\r\n");
}

TEST_F(ListFileOps, AMissingFolderFailsEveryWrite) {
    const std::u16string sep(1, platform_file_system().separator());
    ListFiles nowhere(folder.text() + sep + u"missing", platform_file_system(), *sjis);
    const std::u16string one[] = {u"A"};
    EXPECT_THROW(nowhere.write_single(u"A"), FileError);
    EXPECT_THROW(nowhere.append(one), FileError);
    EXPECT_THROW(nowhere.write_counter(0), FileError);
    // Nothing to delete or remove from is no failure.
    EXPECT_NO_THROW(nowhere.delete_list());
    EXPECT_NO_THROW(nowhere.remove_entry(u"A"));
}

// A writer killed at random moments leaves each file with its old bytes or
// its new ones, and the next write leaves only the two files.  A few hundred
// kills here; scripts/crash-test.sh asks for 1,000 through ROTAM_KILLS.
constexpr std::uint64_t kNotBegun = ~std::uint64_t{0};

int kills_to_make() {
    const char *asked = std::getenv("ROTAM_KILLS");
#ifdef _WIN32
    constexpr int kDefault = 150;  // a Wine process takes a quarter of a second to start
#else
    constexpr int kDefault = 300;
#endif
    return asked ? std::atoi(asked) : kDefault;
}

void expect_no_damage(const KillFigures &figures, int kills) {
    std::printf("kill test: kills=%d writes=%d old_bytes=%d new_bytes=%d partial_or_mixed=%d "
                "leftovers=%d\n",
                figures.kills, figures.steps, figures.old_files, figures.new_files,
                figures.wrong_files, figures.leftovers);
    ::testing::Test::RecordProperty("kills", figures.kills);
    ::testing::Test::RecordProperty("partial_or_mixed", figures.wrong_files);
    ::testing::Test::RecordProperty("leftovers", figures.leftovers);
    EXPECT_EQ(figures.kills, kills);
    EXPECT_EQ(figures.wrong_files, 0);
    EXPECT_EQ(figures.leftovers, 0);
    // The kills fall both before and after writes took their place.
    EXPECT_GT(figures.old_files, kills / 20);
    EXPECT_GT(figures.new_files, kills / 20);
}

#ifdef _WIN32

// The writer is command_list_writer.exe beside this program, killed with
// TerminateProcess.
TEST(CrashSafety, KilledWritesLeaveOldOrNewFiles) {
    TestFolder folder;
    const auto western = make_code_page(1252);
    ListFiles files(folder.text(), platform_file_system(), *western);
    const std::wstring name = L"rotam-kill-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(std::uint64_t), name.c_str());
    ASSERT_NE(mapping, nullptr);
    auto *started = static_cast<volatile std::uint64_t *>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(std::uint64_t)));
    ASSERT_NE(started, nullptr);
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring writer =
        std::filesystem::path(self).parent_path().wstring() + L"\\command_list_writer.exe";
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);

    const int kills = kills_to_make();
    const KillFigures figures = kill_writes(
        folder.path(), files, kills, 40000, [&](std::uint64_t start, unsigned delay_us) {
            *started = kNotBegun;
            std::wstring line = L"\"" + writer + L"\" \"" + folder.path().wstring() + L"\" " +
                                std::to_wstring(start) + L" " + name;
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process{};
            if (!CreateProcessW(writer.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process)) {
                ADD_FAILURE() << "no writer: " << GetLastError();
                return start;
            }
            const DWORD until = GetTickCount() + 20000;
            while (*started == kNotBegun && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
                   GetTickCount() < until)
                Sleep(0);
            LARGE_INTEGER from{}, now{};
            QueryPerformanceCounter(&from);
            do
                QueryPerformanceCounter(&now);
            while ((now.QuadPart - from.QuadPart) * 1000000 / frequency.QuadPart < delay_us);
            TerminateProcess(process.hProcess, 9);
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            if (*started == kNotBegun) {
                ADD_FAILURE() << "the writer did not begin";
                return start;
            }
            return static_cast<std::uint64_t>(*started);
        });
    expect_no_damage(figures, kills);
    UnmapViewOfFile(const_cast<std::uint64_t *>(started));
    CloseHandle(mapping);
}

#else

// The writer is a forked copy of this process, killed with SIGKILL.
TEST(CrashSafety, KilledWritesLeaveOldOrNewFiles) {
    TestFolder folder;
    const auto western = make_code_page(1252);
    ListFiles files(folder.text(), platform_file_system(), *western);
    void *shared = mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto *started = static_cast<volatile std::uint64_t *>(shared);

    const int kills = kills_to_make();
    const KillFigures figures = kill_writes(
        folder.path(), files, kills, 10000, [&](std::uint64_t start, unsigned delay_us) {
            *started = kNotBegun;
            const pid_t child = fork();
            if (child == 0) {
                try {
                    kill_test_child(files, start, started);
                } catch (...) {
                }
                _exit(1);
            }
            if (child < 0) {
                ADD_FAILURE() << "fork failed";
                return start;
            }
            while (*started == kNotBegun && waitpid(child, nullptr, WNOHANG) == 0)
                sched_yield();
            const timespec pause{0, static_cast<long>(delay_us) * 1000};
            nanosleep(&pause, nullptr);
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            if (*started == kNotBegun) {
                ADD_FAILURE() << "the writer did not begin";
                return start;
            }
            return static_cast<std::uint64_t>(*started);
        });
    expect_no_damage(figures, kills);
    munmap(shared, sizeof(std::uint64_t));
}

#endif

}  // namespace
}  // namespace rotam::command
