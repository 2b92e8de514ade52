// Files and code pages through the Windows API, with wide-character paths so
// that any file name works whatever the ANSI code page.
#include <windows.h>

#include <string>

#include "list_files.h"

namespace rotam::command {
namespace {

const wchar_t *wide(const std::u16string &text) {
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

std::u16string system_message(DWORD error) {
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
            FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::u16string message;
    if (length > 0 && text)
        message.assign(reinterpret_cast<const char16_t *>(text), length);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == u'\r' || message.back() == u'\n' ||
                                message.back() == u' ' || message.back() == u'.'))
        message.pop_back();
    if (message.empty()) {
        const std::string number = std::to_string(error);
        message = u"error ";
        message.append(number.begin(), number.end());
    }
    return message;
}

FileStatus last_error_status() {
    const DWORD error = GetLastError();
    FileStatus status;
    status.code = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                      ? FileStatus::Code::not_found
                      : FileStatus::Code::failed;
    status.reason = system_message(error);
    return status;
}

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Keeps the error of the first failure while the handle is closed.
FileStatus close_after_failure(HANDLE file) {
    FileStatus status = last_error_status();
    CloseHandle(file);
    return status;
}

bool reads_back(UINT number, const std::string &bytes, std::u16string_view text) {
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(number, 0, bytes.data(), length, nullptr, 0);
    if (size != static_cast<int>(text.size()))
        return false;
    std::u16string back(static_cast<std::size_t>(size), u'\0');
    MultiByteToWideChar(number, 0, bytes.data(), length, reinterpret_cast<wchar_t *>(back.data()), size);
    return back == text;
}

class WindowsFileSystem final : public FileSystem {
public:
    char16_t separator() const override { return u'\\'; }

    FileStatus read(const std::u16string &path, std::string &bytes) override {
        HANDLE file = CreateFileW(wide(path), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return last_error_status();
        bytes.clear();
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
            bytes.reserve(static_cast<std::size_t>(size.QuadPart));
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr))
                return close_after_failure(file);
            if (got == 0)
                break;
            bytes.append(buffer, got);
        }
        CloseHandle(file);
        return FileStatus::success();
    }

    FileStatus replace(const std::u16string &path, std::string_view bytes) override {
        const std::u16string fresh = path + std::u16string(kFreshSuffix);
        HANDLE file = CreateFileW(wide(fresh), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return last_error_status();
        if (!write_all(file, bytes) || !FlushFileBuffers(file)) {
            FileStatus status = close_after_failure(file);
            DeleteFileW(wide(fresh));
            return status;
        }
        CloseHandle(file);
        if (!MoveFileExW(wide(fresh), wide(path),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            FileStatus status = last_error_status();
            DeleteFileW(wide(fresh));
            return status;
        }
        return FileStatus::success();
    }

    FileStatus remove(const std::u16string &path) override {
        if (!DeleteFileW(wide(path)))
            return last_error_status();
        return FileStatus::success();
    }

    FileStatus copy(const std::u16string &from, const std::u16string &to) override {
        if (GetFileAttributesW(wide(from)) == INVALID_FILE_ATTRIBUTES)
            return last_error_status();
        if (!CopyFileW(wide(from), wide(to), FALSE)) {
            FileStatus status = last_error_status();
            // A missing folder of the target is the target's failure, not a
            // missing list.
            status.code = FileStatus::Code::failed;
            return status;
        }
        return FileStatus::success();
    }
};

// The code pages that take no conversion flags and have no default
// character to report.
bool takes_no_flags(UINT number) {
    return number == CP_UTF7 || number == 42 || (number >= 50220 && number <= 50229) ||
           number == 52936 || number == 54936 || (number >= 57002 && number <= 57011);
}

class WindowsCodePage final : public CodePage {
public:
    explicit WindowsCodePage(UINT number) : number_(number) {}

    std::optional<std::string> to_ansi(std::u16string_view text) const override {
        if (text.empty())
            return std::string();
        const UINT number = number_ == CP_ACP ? GetACP() : number_;
        const auto *source = reinterpret_cast<const wchar_t *>(text.data());
        const int length = static_cast<int>(text.size());
        // No best fit: under 932 a yen sign would become the byte of a
        // backslash and an accented letter a plain one.  A character without
        // bytes of its own then takes the default character, which the flag
        // tells.  UTF-8 holds every character; it fails only on broken text.
        DWORD flags = WC_NO_BEST_FIT_CHARS;
        BOOL used_default = FALSE;
        BOOL *used = &used_default;
        if (number == CP_UTF8) {
            flags = WC_ERR_INVALID_CHARS;
            used = nullptr;
        } else if (takes_no_flags(number)) {
            flags = 0;
            used = nullptr;
        }
        const int size = WideCharToMultiByte(number, flags, source, length, nullptr, 0, nullptr, used);
        if (size <= 0 || used_default)
            return std::nullopt;
        std::string out(static_cast<std::size_t>(size), '\0');
        if (WideCharToMultiByte(number, flags, source, length, out.data(), size, nullptr, used) != size ||
            used_default)
            return std::nullopt;
        // Where the flags cannot be given, the bytes must read back as the
        // text.
        if (flags == 0 && !reads_back(number, out, text))
            return std::nullopt;
        return out;
    }

private:
    UINT number_;
};

}  // namespace

FileSystem &platform_file_system() {
    static WindowsFileSystem files;
    return files;
}

CodePage &platform_code_page() {
    static WindowsCodePage code_page(CP_ACP);
    return code_page;
}

std::unique_ptr<CodePage> make_code_page(unsigned number) {
    if (!IsValidCodePage(number))
        return nullptr;
    return std::make_unique<WindowsCodePage>(number);
}

}  // namespace rotam::command
