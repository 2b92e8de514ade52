// GetProductVersion on the platform's version functions.
//
// The strings are queried in UTF-16 and brought to the ANSI code page here:
// that way an empty value (length 0) is told apart from a present one the
// same way on every platform version, and the text is taken only up to the
// end of the block we own.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "vostik.h"

namespace {

struct FreeBlock {
    void operator()(void *p) const { std::free(p); }
};

std::wstring query(const void *block, DWORD size, const wchar_t *path) {
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block, path, &value, &length) || !value || length == 0) return {};
    auto *begin = static_cast<const wchar_t *>(value);
    auto *end = reinterpret_cast<const wchar_t *>(static_cast<const char *>(block) + (size & ~DWORD{1}));
    if (begin < block || begin >= end) return {};
    return std::wstring(begin, std::find(begin, end, L'\0'));
}

std::string to_ansi(const std::wstring &text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

VOSTIK_API int32_t VOSTIK_CALL GetProductVersion(const char *file, char *text) {
    if (!file || !text) return 0;
    try {
        std::wstring file_version, product_version;
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(file, &handle);
        if (size != 0) {
            std::unique_ptr<void, FreeBlock> block(std::malloc(size));
            if (block && GetFileVersionInfoA(file, 0, size, block.get())) {
                file_version = query(block.get(), size, L"\\StringFileInfo\\041104b0\\FileVersion");
                product_version = query(block.get(), size, L"\\StringFileInfo\\041104b0\\ProductVersion");
            }
        }
        const std::wstring &chosen = !file_version.empty() ? file_version : product_version;
        if (chosen.empty()) return 0;
        std::string ansi = to_ansi(chosen);
        std::memcpy(text, ansi.c_str(), ansi.size() + 1);
        return 1;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}
