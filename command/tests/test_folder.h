// A fresh folder for one test, removed with everything in it afterwards, and
// whole-file reads and writes for checking bytes.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace rotam::command::testing {

class TestFolder {
public:
    TestFolder() {
        static std::atomic<int> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("rotam-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::u16string text() const { return path_.u16string(); }
    std::filesystem::path operator/(const std::filesystem::path &name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline bool file_exists(const std::filesystem::path &file) { return std::filesystem::exists(file); }

inline std::string bytes_of(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::filesystem::path &file, const std::string &bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace rotam::command::testing
