// Writers of the list and counter files killed at random moments.  A child
// process runs a fixed sequence of writes (picks, removals, counter updates,
// clears) through ListFiles; the parent kills it, then checks that each file
// holds the bytes it had before the write under way or those after it, and
// that one more write leaves only the two files in the folder.
//
// Each step writes one file only, so the step the child had begun, which it
// publishes before starting it, tells the two states each file may be in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "list_files.h"
#include "test_folder.h"

namespace rotam::command::testing {

struct WrittenFiles {
    std::optional<std::string> list;  // nothing: no list file
    std::string counter;
    bool operator==(const WrittenFiles &) const = default;
};

inline const WrittenFiles kBeforeFirstStep{std::nullopt, "0\r\n"};

// Paths long enough that a list of a few dozen lines runs to kilobytes.
inline std::u16string kill_test_path(std::uint64_t step, int k) {
    const std::string digits = std::to_string(step) + "-" + std::to_string(k);
    return u"C:\\Drawings\\a-folder-name-long-enough-to-make-lines-of-some-length\\" +
           std::u16string(digits.begin(), digits.end()) + u".QVZ";
}

inline std::string kill_test_bytes(std::u16string_view path) { return {path.begin(), path.end()}; }

// What step i does: to the files when given, to the expected state always.
inline void kill_test_step(std::uint64_t i, ListFiles *files, WrittenFiles &state) {
    switch (i % 20) {
    case 0: {  // the first single pick of a dialog
        const std::u16string path = kill_test_path(i, 0);
        if (files)
            files->write_single(path);
        state.list = bare_line(kill_test_bytes(path));
        break;
    }
    case 2:
    case 7:
    case 12:
    case 17: {
        const auto value = static_cast<std::int16_t>(i % 30000);
        if (files)
            files->write_counter(value);
        state.counter = counter_line(value);
        break;
    }
    case 4:
    case 9:
    case 14: {  // the first path that step i - 3 added
        const std::u16string path = kill_test_path(i - 3, 0);
        if (files)
            files->remove_entry(path);
        if (state.list)
            state.list = list_without(*state.list, kill_test_bytes(path));
        break;
    }
    case 18:  // a clear: the counter, then the list goes
        if (files)
            files->write_counter(0);
        state.counter = counter_line(0);
        break;
    case 19:
        if (files)
            files->delete_list();
        state.list.reset();
        break;
    default: {  // a pick of one to three files
        std::vector<std::u16string> paths;
        for (int k = 0; k <= static_cast<int>(i % 3); ++k)
            paths.push_back(kill_test_path(i, k));
        if (files)
            files->append(paths);
        std::string lines = state.list.value_or("");
        for (const std::u16string &path : paths)
            lines += bare_line(kill_test_bytes(path));
        state.list = lines;
        break;
    }
    }
}

// The child's work: the steps from start on, each published before it
// begins, until it is killed.
inline void kill_test_child(ListFiles &files, std::uint64_t start, volatile std::uint64_t *started) {
    WrittenFiles ignored;
    for (std::uint64_t i = start;; ++i) {
        *started = i;
        kill_test_step(i, &files, ignored);
    }
}

struct KillFigures {
    int kills = 0;
    int steps = 0;          // the child's and the parent's, all told
    int old_files = 0;      // killed with the step's write not yet in place
    int new_files = 0;      // killed with it in place
    int wrong_files = 0;    // neither the old bytes nor the new ones
    int leftovers = 0;      // files besides the two after the next write
};

inline WrittenFiles files_in(const std::filesystem::path &folder) {
    WrittenFiles files;
    if (file_exists(folder / "prnfiles.ara"))
        files.list = bytes_of(folder / "prnfiles.ara");
    files.counter = bytes_of(folder / "lcount.ara");
    return files;
}

// kill_child(start, delay): starts a child at step start, kills it delay
// microseconds after it has begun that step, and returns the step it had
// published last.
inline KillFigures kill_writes(
    const std::filesystem::path &folder, ListFiles &files, int kills, unsigned max_delay_us,
    const std::function<std::uint64_t(std::uint64_t, unsigned)> &kill_child) {
    KillFigures figures;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<unsigned> delay(0, max_delay_us);

    write_bytes(folder / "lcount.ara", kBeforeFirstStep.counter);
    std::uint64_t at = 0;  // the files are in the state before step at
    WrittenFiles state = kBeforeFirstStep;
    for (int n = 0; n < kills; ++n) {
        const std::uint64_t begun = kill_child(at, delay(random));
        ++figures.kills;
        // Before step begun, and after it.
        WrittenFiles before = state;
        for (std::uint64_t i = at; i < begun; ++i)
            kill_test_step(i, nullptr, before);
        WrittenFiles after = before;
        kill_test_step(begun, nullptr, after);
        figures.steps += static_cast<int>(begun - at);

        const WrittenFiles found = files_in(folder);
        if (found == after) {
            ++figures.new_files;
            at = begun + 1;
            state = after;
            ++figures.steps;
        } else if (found == before) {
            ++figures.old_files;
            at = begun;
            state = before;
        } else {
            ++figures.wrong_files;
            // Carry on from the state before, written by hand.
            at = begun;
            state = before;
            std::filesystem::remove(folder / "prnfiles.ara");
            if (state.list)
                write_bytes(folder / "prnfiles.ara", *state.list);
            write_bytes(folder / "lcount.ara", state.counter);
        }

        // The next write, here, cleans up after the killed one, whichever
        // file that was for: every other time the counter is written again
        // as it is.
        if (n % 2 == 1) {
            files.write_counter(static_cast<std::int16_t>(std::stoi(state.counter)));
        } else {
            kill_test_step(at, &files, state);
            ++at;
        }
        ++figures.steps;
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        std::set<std::string> expected{"lcount.ara"};
        if (state.list)
            expected.insert("prnfiles.ara");
        std::vector<std::string> extra;
        std::set_difference(names.begin(), names.end(), expected.begin(), expected.end(),
                            std::back_inserter(extra));
        figures.leftovers += static_cast<int>(extra.size());
        if (files_in(folder) != state)
            ++figures.wrong_files;
    }
    return figures;
}

}  // namespace rotam::command::testing
