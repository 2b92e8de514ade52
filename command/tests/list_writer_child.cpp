// The writer the crash-safety test kills under Wine: the fixed sequence of
// list and counter writes through the Windows file layer, from the step
// given, each published in the shared memory named, until it is killed.
//   command_list_writer FOLDER START MAPPING
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "kill_writes.h"

int main() {
    using namespace rotam::command;
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 4)
        return 2;
    const std::wstring folder = argv[1];
    const std::uint64_t start = std::wcstoull(argv[2], nullptr, 10);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, argv[3]);
    if (!mapping)
        return 3;
    auto *started = static_cast<volatile std::uint64_t *>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(std::uint64_t)));
    if (!started)
        return 4;
    const auto western = make_code_page(1252);
    ListFiles files(std::u16string(folder.begin(), folder.end()), platform_file_system(), *western);
    try {
        testing::kill_test_child(files, start, started);
    } catch (...) {
        return 1;
    }
}
