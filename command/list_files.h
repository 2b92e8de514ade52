// The drawing list's files in the component's own folder: the list file
// "prnfiles.ara" (one drawing path a line) and the counter file "lcount.ara"
// (the dialog's counter), and the saved copy of the list under a name the
// user picks.
//
// Bytes on disk are in the ANSI code page with CR LF line ends.  The list
// file is handled as bytes throughout: entries are compared and rewritten
// byte for byte, so a line that does not decode in the current code page
// survives a removal of another line untouched.
//
// Every write, an addition too, goes to a new file beside the old one, which
// then replaces it in one step: a failure or a killed process half way
// leaves the old file as it was, never a partial line.  The new file has a
// fixed name, so one left behind by a killed write is reused or removed by
// the next write.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime_error.h"

namespace rotam::command {

// Window-system text (UTF-16) to bytes of a multi-byte code page, exactly or
// not at all: nothing when a character has no bytes of its own in the code
// page.  A look-alike substitute or a '?' would name another file (under 932
// a yen sign would become the byte of a backslash).
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual std::optional<std::string> to_ansi(std::u16string_view text) const = 0;
};

// The process's ANSI code page on Windows; UTF-8 elsewhere.
CodePage &platform_code_page();
// A code page by its Windows number (932 Shift-JIS, 1252 Western, ...);
// nullptr when the platform does not know it.
std::unique_ptr<CodePage> make_code_page(unsigned number);

struct FileStatus {
    enum class Code { ok, not_found, failed };
    Code code = Code::ok;
    std::u16string reason;  // the system's own words for a failure

    static FileStatus success() { return {}; }
    explicit operator bool() const { return code == Code::ok; }
};

// The few file operations the list needs, on paths in window-system text.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual char16_t separator() const = 0;
    virtual FileStatus read(const std::u16string &path, std::string &bytes) = 0;
    // Writes the new file path + kFreshSuffix and puts it in path's place in
    // one step; a file of that name left from before is overwritten.
    virtual FileStatus replace(const std::u16string &path, std::string_view bytes) = 0;
    virtual FileStatus remove(const std::u16string &path) = 0;
    // An existing target is replaced.
    virtual FileStatus copy(const std::u16string &from, const std::u16string &to) = 0;
};

inline constexpr std::u16string_view kFreshSuffix = u".new";

FileSystem &platform_file_system();

// A failed file operation, as the run-time error it raises: 53 "File not
// found" or 75 "Path/File access error", with the file and the system's
// reason kept for a message to the user.
class FileError : public RuntimeError {
public:
    FileError(std::int32_t number, const std::string &text, std::u16string path,
              std::u16string reason)
        : RuntimeError(number, text), path_(std::move(path)), reason_(std::move(reason)) {}
    const std::u16string &path() const { return path_; }
    const std::u16string &reason() const { return reason_; }

private:
    std::u16string path_;
    std::u16string reason_;
};

// --- The byte formats, on their own.

inline constexpr std::string_view kLineEnd = "\r\n";

// "path" CR LF
std::string bare_line(std::string_view entry);
// '"' path '"' CR LF
std::string quoted_line(std::string_view entry);
// The counter as a decimal number, CR LF.
std::string counter_line(std::int16_t value);
// The entries of a list file in order.  A line ends at CR LF, or at a lone CR
// or LF; a last line without an end still counts.  A line that starts and
// ends with a double quote (two characters at least) stands for the text
// between them.
std::vector<std::string_view> list_entries(std::string_view file);
// The list file after removing every entry equal to removed: the others, in
// their order, each as a quoted line.
std::string list_without(std::string_view file, std::string_view removed);

// --- The files themselves.

inline constexpr std::u16string_view kListFileName = u"prnfiles.ara";
inline constexpr std::u16string_view kCounterFileName = u"lcount.ara";
// The reason given for a path the code page cannot hold.
inline constexpr std::u16string_view kNameOutsideCodePage =
    u"ファイル名にシステムの文字コードで表せない文字があります";

class ListFiles {
public:
    // folder: where the component lies, with or without a separator at its
    // end.
    ListFiles(std::u16string_view folder, FileSystem &files, CodePage &code_page);

    const std::u16string &list_path() const { return list_path_; }
    const std::u16string &counter_path() const { return counter_path_; }
    CodePage &code_page() const { return code_page_; }

    // Whether path can go into the list file as itself.
    bool can_hold(std::u16string_view path) const { return code_page_.to_ansi(path).has_value(); }
    // The error that names a path the code page cannot hold.
    static FileError name_outside_code_page(std::u16string_view path);

    // The list file becomes this one bare line.  A path the code page cannot
    // hold raises name_outside_code_page and nothing is written; so too for
    // append, whichever of its paths it is.
    void write_single(std::u16string_view path);
    // Bare lines after whatever the list file holds; the file is made when
    // it is missing.
    void append(std::span<const std::u16string> paths);
    // Every entry equal to text goes; the rest are rewritten quoted.  With no
    // list file there is nothing to remove from, and no file is made.
    void remove_entry(std::u16string_view text);
    // A byte-for-byte copy of the list file at target.
    void save_copy(const std::u16string &target);
    void write_counter(std::int16_t value);
    // Deleting a missing list file is no error.
    void delete_list();

private:
    [[noreturn]] void fail(const std::u16string &path, const FileStatus &status) const;
    std::string ansi(std::u16string_view path) const;
    void replace(const std::u16string &path, std::string_view bytes);

    FileSystem &files_;
    CodePage &code_page_;
    std::u16string list_path_;
    std::u16string counter_path_;
};

}  // namespace rotam::command
