// Files and code pages for the native build, where the command is tested:
// paths are UTF-8 on disk, and iconv stands in for the Windows code pages.
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "list_files.h"

namespace rotam::command {
namespace {

std::string utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string widen_ascii(const char *text) {
    std::u16string out;
    for (; *text; ++text)
        out.push_back(static_cast<unsigned char>(*text));
    return out;
}

FileStatus status_of(int error) {
    FileStatus status;
    status.code = error == ENOENT ? FileStatus::Code::not_found : FileStatus::Code::failed;
    status.reason = widen_ascii(std::strerror(error));
    return status;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes bytes over a file's contents.  A failed write is reported before a
// failed close.
FileStatus write_file(const std::string &path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return status_of(errno);
    const bool written = write_all(fd, bytes);
    const int error = errno;
    if (::close(fd) != 0 || !written)
        return status_of(written ? errno : error);
    return FileStatus::success();
}

class PosixFileSystem final : public FileSystem {
public:
    char16_t separator() const override { return u'/'; }

    FileStatus read(const std::u16string &path, std::string &bytes) override {
        const int fd = ::open(utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return status_of(errno);
        bytes.clear();
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int error = errno;
                ::close(fd);
                return status_of(error);
            }
            if (n == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return FileStatus::success();
    }

    FileStatus replace(const std::u16string &path, std::string_view bytes) override {
        const std::string target = utf8(path);
        const std::string fresh = target + utf8(kFreshSuffix);
        const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return status_of(errno);
        if (!write_all(fd, bytes) || ::fsync(fd) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(fresh.c_str());
            return status_of(error);
        }
        if (::close(fd) != 0 || ::rename(fresh.c_str(), target.c_str()) != 0) {
            const int error = errno;
            ::unlink(fresh.c_str());
            return status_of(error);
        }
        return FileStatus::success();
    }

    FileStatus remove(const std::u16string &path) override {
        if (::unlink(utf8(path).c_str()) != 0)
            return status_of(errno);
        return FileStatus::success();
    }

    FileStatus copy(const std::u16string &from, const std::u16string &to) override {
        std::string bytes;
        if (FileStatus status = read(from, bytes); !status)
            return status;
        return write_file(utf8(to), bytes);
    }
};

// iconv from UTF-16 and back: a character iconv cannot convert, or one whose
// bytes read back as another (iconv's CP932 gives a yen sign the byte of a
// backslash), leaves the text without bytes, as the Windows conversion does
// when it would have to guess.
class IconvCodePage final : public CodePage {
public:
    IconvCodePage(iconv_t to, iconv_t back) : to_(to), back_(back) {}
    ~IconvCodePage() override {
        iconv_close(to_);
        iconv_close(back_);
    }

    std::optional<std::string> to_ansi(std::u16string_view text) const override {
        std::optional<std::string> bytes = convert(to_, text.data(), text.size() * sizeof(char16_t));
        if (!bytes)
            return std::nullopt;
        const std::optional<std::string> again = convert(back_, bytes->data(), bytes->size());
        if (!again || again->size() != text.size() * sizeof(char16_t) ||
            std::memcmp(again->data(), text.data(), again->size()) != 0)
            return std::nullopt;
        return bytes;
    }

private:
    static std::optional<std::string> convert(iconv_t cd, const void *data, std::size_t size) {
        std::string out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(static_cast<const char *>(data));
        std::size_t in_left = size;
        char buffer[256];
        while (in_left > 0) {
            char *dst = buffer;
            std::size_t dst_left = sizeof buffer;
            const std::size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return std::nullopt;
        }
        char *dst = buffer;
        std::size_t dst_left = sizeof buffer;
        if (iconv(cd, nullptr, nullptr, &dst, &dst_left) == static_cast<std::size_t>(-1))
            return std::nullopt;
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        return out;
    }

    iconv_t to_;
    iconv_t back_;
};

std::unique_ptr<CodePage> open_code_page(const char *name) {
    const iconv_t to = iconv_open(name, "UTF-16LE");
    if (to == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    const iconv_t back = iconv_open("UTF-16LE", name);
    if (back == reinterpret_cast<iconv_t>(-1)) {
        iconv_close(to);
        return nullptr;
    }
    return std::make_unique<IconvCodePage>(to, back);
}

}  // namespace

FileSystem &platform_file_system() {
    static PosixFileSystem files;
    return files;
}

CodePage &platform_code_page() {
    static const std::unique_ptr<CodePage> code_page = open_code_page("UTF-8");
    return *code_page;
}

std::unique_ptr<CodePage> make_code_page(unsigned number) {
    if (number == 65001)
        return open_code_page("UTF-8");
    const std::string name = "CP" + std::to_string(number);
    return open_code_page(name.c_str());
}

}  // namespace rotam::command
