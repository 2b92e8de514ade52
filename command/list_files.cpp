#include "list_files.h"

#include <charconv>

namespace rotam::command {

std::string bare_line(std::string_view entry) {
    std::string line;
    line.reserve(entry.size() + kLineEnd.size());
    line.append(entry).append(kLineEnd);
    return line;
}

std::string quoted_line(std::string_view entry) {
    std::string line;
    line.reserve(entry.size() + 2 + kLineEnd.size());
    line.append(1, '"').append(entry).append(1, '"').append(kLineEnd);
    return line;
}

std::string counter_line(std::int16_t value) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end).append(kLineEnd);
}

std::vector<std::string_view> list_entries(std::string_view file) {
    std::vector<std::string_view> entries;
    std::size_t pos = 0;
    while (pos < file.size()) {
        std::size_t end = file.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = file.size();
        std::string_view line = file.substr(pos, end - pos);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        entries.push_back(line);
        pos = end;
        if (pos < file.size() && file[pos] == '\r')
            ++pos;
        if (pos < file.size() && file[pos] == '\n')
            ++pos;
    }
    return entries;
}

std::string list_without(std::string_view file, std::string_view removed) {
    std::string kept;
    kept.reserve(file.size() + file.size() / 8);
    for (std::string_view entry : list_entries(file)) {
        if (entry == removed)
            continue;
        kept.append(1, '"').append(entry).append(1, '"').append(kLineEnd);
    }
    return kept;
}

namespace {

std::u16string join(std::u16string_view folder, char16_t separator, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || (path.back() != separator && path.back() != u'/'))
        path.push_back(separator);
    path.append(name);
    return path;
}

}  // namespace

ListFiles::ListFiles(std::u16string_view folder, FileSystem &files, CodePage &code_page)
    : files_(files),
      code_page_(code_page),
      list_path_(join(folder, files.separator(), kListFileName)),
      counter_path_(join(folder, files.separator(), kCounterFileName)) {}

void ListFiles::fail(const std::u16string &path, const FileStatus &status) const {
    if (status.code == FileStatus::Code::not_found)
        throw FileError(53, "File not found", path, status.reason);
    throw FileError(75, "Path/File access error", path, status.reason);
}

FileError ListFiles::name_outside_code_page(std::u16string_view path) {
    return FileError(75, "Path/File access error", std::u16string(path),
                     std::u16string(kNameOutsideCodePage));
}

std::string ListFiles::ansi(std::u16string_view path) const {
    std::optional<std::string> bytes = code_page_.to_ansi(path);
    if (!bytes)
        throw name_outside_code_page(path);
    return std::move(*bytes);
}

void ListFiles::replace(const std::u16string &path, std::string_view bytes) {
    // A write killed half way leaves its new file behind.  Both go, whichever
    // file this write is for, so that after it the folder holds only the
    // list and the counter.  A new file that cannot go makes the write fail.
    for (const std::u16string *file : {&list_path_, &counter_path_})
        files_.remove(*file + std::u16string(kFreshSuffix));
    if (FileStatus status = files_.replace(path, bytes); !status)
        fail(path, status);
}

void ListFiles::write_single(std::u16string_view path) { replace(list_path_, bare_line(ansi(path))); }

void ListFiles::append(std::span<const std::u16string> paths) {
    std::string lines;
    for (const std::u16string &path : paths)
        lines.append(ansi(path)).append(kLineEnd);
    // The whole file is written anew rather than added to in place: an
    // append cut short would leave a partial last line.  A list is small.
    std::string file;
    FileStatus status = files_.read(list_path_, file);
    if (status.code == FileStatus::Code::not_found)
        file.clear();
    else if (!status)
        fail(list_path_, status);
    file.append(lines);
    replace(list_path_, file);
}

void ListFiles::remove_entry(std::u16string_view text) {
    std::string file;
    FileStatus status = files_.read(list_path_, file);
    if (status.code == FileStatus::Code::not_found)
        return;
    if (!status)
        fail(list_path_, status);
    // Text the code page cannot hold is no line of the file.
    const std::optional<std::string> removed = code_page_.to_ansi(text);
    if (!removed)
        return;
    replace(list_path_, list_without(file, *removed));
}

void ListFiles::save_copy(const std::u16string &target) {
    if (FileStatus status = files_.copy(list_path_, target); !status)
        fail(status.code == FileStatus::Code::not_found ? list_path_ : target, status);
}

void ListFiles::write_counter(std::int16_t value) { replace(counter_path_, counter_line(value)); }

void ListFiles::delete_list() {
    FileStatus status = files_.remove(list_path_);
    if (!status && status.code != FileStatus::Code::not_found)
        fail(list_path_, status);
}

}  // namespace rotam::command
