// GetProductVersion on VOSTIK.DLL itself, called through the DLL, and our
// own PE reader against the platform's version functions on many real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pe_version.h"
#include "vostik.h"

namespace {

std::string beside_me(const char *name) {
    char me[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, me, MAX_PATH);
    std::string dir(me, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

std::vector<std::uint8_t> read_file(const std::string &path) {
    std::vector<std::uint8_t> bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(f, nullptr), got = 0;
    bytes.resize(size);
    if (!ReadFile(f, bytes.data(), size, &got, nullptr)) got = 0;
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

std::string narrow(const std::u16string &s) { return std::string(s.begin(), s.end()); }

TEST(GetProductVersion, OfTheLibraryItselfThroughItsExport) {
    std::string dll = beside_me("VOSTIK.DLL");
    HMODULE module = LoadLibraryA(dll.c_str());
    ASSERT_TRUE(module);
    using Fn = int32_t(__stdcall *)(const char *, char *);
    auto by_name = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, "GetProductVersion")));
    auto by_ordinal = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, MAKEINTRESOURCEA(31))));
    ASSERT_TRUE(by_name);
    EXPECT_EQ(by_name, by_ordinal);
    char text[64] = "";
    EXPECT_EQ(by_name(dll.c_str(), text), 1);
    EXPECT_STREQ(text, "1, 0, 0, 3");
    FreeLibrary(module);

    auto mine = vostik::pe::product_version(vostik::pe::MemorySource(read_file(dll)));
    ASSERT_TRUE(mine);
    EXPECT_EQ(narrow(*mine), "1, 0, 0, 3");
}

// The platform's answer for one string of one file, as our reader gives it.
// The file's version block as the platform reads it; empty when it has none.
std::vector<char> platform_block(const std::string &file) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, block.data())) block.clear();
    return block;
}

std::optional<std::u16string> platform_value(std::vector<char> &block, const wchar_t *path) {
    if (block.empty()) return std::nullopt;
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length)) return std::nullopt;
    std::u16string text;
    if (length == 0) return text;
    for (auto *p = static_cast<const char16_t *>(value); *p; ++p) text.push_back(*p);
    return text;
}

bool is_pe(const std::vector<std::uint8_t> &bytes) {
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    std::size_t at = bytes[0x3C] | bytes[0x3D] << 8 | bytes[0x3E] << 16 | std::size_t{bytes[0x3F]} << 24;
    return at + 4 <= bytes.size() && bytes[at] == 'P' && bytes[at + 1] == 'E' && !bytes[at + 2] && !bytes[at + 3];
}

// Every PE DLL of the system folder (the 16-bit ones are no concern of our
// reader): the same block found, the same strings read, whichever language
// table they are in.
TEST(PeReader, AgreesWithThePlatformOnSystemFiles) {
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    std::string dir(system, n);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.dll").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0, with_strings = 0;
    do {
        std::string file = dir + "\\" + found.cFileName;
        SCOPED_TRACE(file);
        std::vector<std::uint8_t> bytes = read_file(file);
        if (!is_pe(bytes)) continue;
        std::vector<std::uint8_t> block = vostik::pe::read_version_block(vostik::pe::MemorySource(bytes));
        ++files;
        std::vector<char> platform = platform_block(file);
        for (const char *table : {"040904b0", "041104b0", "000004b0", "040904e4"}) {
            for (const char *key : {"FileVersion", "ProductVersion", "CompanyName"}) {
                std::string path = std::string("\\StringFileInfo\\") + table + "\\" + key;
                std::wstring wide(path.begin(), path.end());
                auto theirs = platform_value(platform, wide.c_str());
                auto ours = block.empty() ? std::nullopt : vostik::pe::query_value(block, path);
                EXPECT_EQ(ours, theirs) << path;
                if (theirs && !theirs->empty()) ++with_strings;
            }
        }
        char exported[512] = "";
        auto mine = vostik::pe::product_version(vostik::pe::MemorySource(bytes));
        EXPECT_EQ(GetProductVersion(file.c_str(), exported) == 1, mine.has_value());
        if (mine) {
            EXPECT_EQ(narrow(*mine), exported);
        }
    } while (FindNextFileA(search, &found) && files < 400);
    FindClose(search);
    EXPECT_GT(files, 20);
    EXPECT_GT(with_strings, 20);
}

}  // namespace
