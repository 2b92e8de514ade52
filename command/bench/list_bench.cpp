// A multiple selection of N files (the open dialog answered by a fake, the
// list box a plain vector, the list file real) and the removal of one entry
// from a list file of N lines, each beside a copy of a file of the same size.
// Both must stay linear in N: compare the per-item times across N.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "list_dialog_logic.h"

namespace rotam::command {
namespace {

class BenchFolder {
public:
    BenchFolder() {
        path_ = std::filesystem::temp_directory_path() / "rotam-bench";
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~BenchFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct Form final : FormWindow {
    FormSize outer_size() const override { return {7440, 3360}; }
    void move_to(double, double) override {}
    void hide() override {}
};

struct Rows final : ListBoxView {
    std::vector<std::u16string> rows;
    void add_rows(std::span<const std::u16string> more) override {
        rows.insert(rows.end(), more.begin(), more.end());
    }
    void clear() override { rows.clear(); }
    std::optional<std::size_t> selected() const override { return std::nullopt; }
    std::u16string text(std::size_t row) const override { return rows[row]; }
    void remove(std::size_t) override {}
};

struct Dialogs final : FileDialogs {
    std::u16string answer;
    std::optional<std::u16string> show_open(const FileDialogSettings &) override { return answer; }
    std::optional<std::u16string> show_save(const FileDialogSettings &) override { return {}; }
};

struct Quiet final : MessageBoxes, HelpWindow {
    void show(std::u16string_view, std::u16string_view, MessageIcon) override {}
    bool ask_yes_no(std::u16string_view, std::u16string_view) override { return true; }
    void show_modal() override {}
};

std::u16string drawing_name(std::size_t i) {
    const std::string digits = std::to_string(100000 + i);
    return u"図面" + std::u16string(digits.begin(), digits.end()) + u".QVZ";
}

const std::u16string kFolder = u"C:\\Drawings\\2024\\表示板";

void copy_of_size(benchmark::State &state, const BenchFolder &folder, std::uintmax_t size) {
    const auto from = folder.path() / "plain.bin";
    const auto to = folder.path() / "plain-copy.bin";
    {
        std::ofstream out(from, std::ios::binary);
        out << std::string(size, 'x');
    }
    FileSystem &fs = platform_file_system();
    for (auto _ : state) {
        if (!fs.copy(from.u16string(), to.u16string()))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.SetComplexityN(state.range(0));
}

// Bytes that a selection of n files adds to the list file (Shift-JIS).
std::uintmax_t selection_bytes(std::size_t n) {
    const auto sjis = make_code_page(932);
    std::uintmax_t bytes = 0;
    for (std::size_t i = 0; i < n; ++i)
        bytes += sjis->to_ansi(kFolder + u"\\" + drawing_name(i))->size() + 2;
    return bytes;
}

void BM_MultipleSelection(benchmark::State &state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    BenchFolder folder;
    const auto sjis = make_code_page(932);
    ListFiles files(folder.path().u16string(), platform_file_system(), *sjis);
    Form form;
    Rows rows;
    Dialogs dialogs;
    Quiet quiet;
    dialogs.answer = kFolder;
    for (std::size_t i = 0; i < n; ++i)
        dialogs.answer.append(1, u'\0').append(drawing_name(i));
    ListDialogLogic logic(files, {form, rows, dialogs, quiet, quiet});
    for (auto _ : state) {
        state.PauseTiming();
        rows.rows.clear();
        std::filesystem::remove(folder.path() / "prnfiles.ara");
        logic.load();
        state.ResumeTiming();
        logic.select();
    }
    if (rows.rows.size() != n)
        state.SkipWithError("rows missing");
    state.SetComplexityN(state.range(0));
}

void BM_CopyOfSelectionSize(benchmark::State &state) {
    BenchFolder folder;
    copy_of_size(state, folder, selection_bytes(static_cast<std::size_t>(state.range(0))));
}

// The entry to remove sits in the middle; every other line is rewritten.
void BM_RemoveEntry(benchmark::State &state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    BenchFolder folder;
    const auto sjis = make_code_page(932);
    ListFiles files(folder.path().u16string(), platform_file_system(), *sjis);
    std::string content;
    for (std::size_t i = 0; i < n; ++i)
        content += bare_line(*sjis->to_ansi(kFolder + u"\\" + drawing_name(i)));
    const std::u16string removed = kFolder + u"\\" + drawing_name(n / 2);
    const auto list = folder.path() / "prnfiles.ara";
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(list, std::ios::binary | std::ios::trunc);
            out << content;
        }
        state.ResumeTiming();
        files.remove_entry(removed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * content.size()));
    state.SetComplexityN(state.range(0));
}

void BM_CopyOfListSize(benchmark::State &state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto sjis = make_code_page(932);
    std::uintmax_t size = 0;
    for (std::size_t i = 0; i < n; ++i)
        size += sjis->to_ansi(kFolder + u"\\" + drawing_name(i))->size() + 2;
    BenchFolder folder;
    copy_of_size(state, folder, size);
}

BENCHMARK(BM_MultipleSelection)->Arg(1000)->Arg(5000)->Arg(25000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyOfSelectionSize)->Arg(1000)->Arg(5000)->Arg(25000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RemoveEntry)->Arg(20000)->Arg(100000)->Arg(500000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyOfListSize)->Arg(20000)->Arg(100000)->Arg(500000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace rotam::command

BENCHMARK_MAIN();
