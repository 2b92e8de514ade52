// Without a platform code page we take one from the environment: an explicit
// VOSTIK_CODEPAGE wins, then the locale (as Wine picks a page from it: by the
// character set when it names a double-byte page, else by the language),
// then 1252.
#include "codepage.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <strings.h>

namespace vostik {
namespace {

unsigned codepage_from_locale(const char *locale) {
    const char *dot = std::strchr(locale, '.');
    if (dot) {
        const char *cs = dot + 1;
        size_t len = std::strcspn(cs, "@");
        auto is = [&](const char *name) { return std::strlen(name) == len && strncasecmp(cs, name, len) == 0; };
        if (is("SJIS") || is("Shift_JIS") || is("Shift-JIS") || is("CP932")) return 932;
        if (is("GBK") || is("CP936") || is("GB2312")) return 936;
        if (is("CP949") || is("UHC")) return 949;
        if (is("BIG5") || is("CP950")) return 950;
    }
    if (std::strncmp(locale, "ja", 2) == 0) return 932;
    if (std::strncmp(locale, "ko", 2) == 0) return 949;
    if (std::strncmp(locale, "zh_TW", 5) == 0 || std::strncmp(locale, "zh_HK", 5) == 0) return 950;
    if (std::strncmp(locale, "zh", 2) == 0) return 936;
    return 1252;
}

unsigned detect() {
    // Digits only: strtoul would also take blanks and a sign, and negate.
    if (const char *env = std::getenv("VOSTIK_CODEPAGE"); env && *env >= '0' && *env <= '9') {
        char *end = nullptr;
        unsigned long v = std::strtoul(env, &end, 10);
        if (end != env && *end == '\0' && v > 0 && v < 65536) return static_cast<unsigned>(v);
    }
    for (const char *var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(var);
        if (value && *value) return codepage_from_locale(value);
    }
    return 1252;
}

const unsigned noted_codepage = detect();

}  // namespace

unsigned ansi_codepage() { return noted_codepage; }
bool is_lead_byte(unsigned char c) { return is_lead_byte_in(noted_codepage, c); }

}  // namespace vostik
