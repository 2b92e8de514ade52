// GetProductVersion without the platform's version functions: the PE file is
// read directly (pe_version.cpp) and its UTF-16 text brought to bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "pe_version.h"
#include "vostik.h"

namespace {

class FileSource final : public vostik::pe::ByteSource {
public:
    explicit FileSource(int fd) : fd_(fd) {}
    bool read(std::uint64_t offset, void *out, std::size_t size) const override {
        auto *p = static_cast<char *>(out);
        while (size > 0) {
            if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
            ssize_t n = pread(fd_, p, size, static_cast<off_t>(offset));
            if (n <= 0) return false;
            p += n;
            offset += static_cast<std::uint64_t>(n);
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

// Without the code page's conversion tables only ASCII is certain: anything
// else becomes "?", one per character (a surrogate pair is one character),
// as the platform writes characters its code page lacks.
std::string to_ansi(const std::u16string &text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('?');
            bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
            if (pair) ++i;
        }
    }
    return out;
}

}  // namespace

VOSTIK_API int32_t VOSTIK_CALL GetProductVersion(const char *file, char *text) {
    if (!file || !text) return 0;
    // Non-blocking so that a pipe or device cannot hold us; only regular
    // files are read.
    int fd = open(file, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    int32_t found = 0;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        try {
            FileSource source(fd);
            if (auto version = vostik::pe::product_version(source)) {
                std::string ansi = to_ansi(*version);
                std::memcpy(text, ansi.c_str(), ansi.size() + 1);
                found = 1;
            }
        } catch (const std::bad_alloc &) {
            found = 0;
        }
    }
    close(fd);
    return found;
}
