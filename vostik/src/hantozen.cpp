// HanToZen: half-width ASCII and katakana to their full-width Shift-JIS
// characters, one for one (a kana and a following sound mark stay two
// characters).
#include "hantozen.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#include <immintrin.h>
#endif

#include "codepage.h"
#include "vostik.h"

namespace vostik {
namespace {

using CodeTable = std::array<std::uint16_t, 256>;

constexpr CodeTable make_full_width_932() {
    CodeTable t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint16_t>(b);
    auto run = [&t](int first, std::initializer_list<std::uint16_t> codes) {
        for (std::uint16_t c : codes) t[first++] = c;
    };
    auto range = [&t](int first, int last, std::uint16_t code) {
        for (int b = first; b <= last; ++b) t[b] = code++;
    };

    // Printable ASCII.
    t[0x20] = 0x8140;
    run(0x21, {0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143,
               0x817C, 0x8144, 0x815E});
    range(0x30, 0x39, 0x824F);
    run(0x3A, {0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197});
    range(0x41, 0x5A, 0x8260);
    run(0x5B, {0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x8165});
    range(0x61, 0x7A, 0x8281);
    run(0x7B, {0x816F, 0x8162, 0x8170, 0x8150});

    // Half-width punctuation and katakana.  The kana rows skip the codes of
    // the voiced kana that lie between the plain ones in the full-width
    // block.
    run(0xA1, {0x8142, 0x8175, 0x8176, 0x8141, 0x8145});
    run(0xA6, {0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362});
    t[0xB0] = 0x815B;
    run(0xB1, {0x8341, 0x8343, 0x8345, 0x8347, 0x8349});
    run(0xB6, {0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
               0x8363, 0x8365, 0x8367});
    range(0xC5, 0xC9, 0x8369);
    run(0xCA, {0x836E, 0x8371, 0x8374, 0x8377, 0x837A});
    run(0xCF, {0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C,
               0x838D});
    t[0xDC] = 0x838F;
    t[0xDD] = 0x8393;
    t[0xDE] = 0x814A;
    t[0xDF] = 0x814B;
    return t;
}

constexpr CodeTable kFullWidth932 = make_full_width_932();

// What a code page does to each byte: the two bytes written for it.  A lead
// byte's are itself and (a placeholder for) its trail byte; no other byte
// but 0 has itself as its first byte (converted bytes start with 0x81 to
// 0x83, unconverted ones with 0), so that comparison finds the lead bytes.
struct Tables {
    alignas(64) unsigned char high[256];
    alignas(64) unsigned char low[256];
    bool plain;  // no lead bytes and every byte written as it is (0, byte)
};

template <class IsLead>
Tables make_tables(IsLead is_lead, bool japanese) {
    Tables t{};
    for (int b = 0; b < 256; ++b) {
        std::uint16_t w = japanese ? kFullWidth932[b] : static_cast<std::uint16_t>(b);
        bool lead = b != 0 && is_lead(static_cast<unsigned char>(b));
        t.high[b] = lead ? static_cast<unsigned char>(b) : static_cast<unsigned char>(w >> 8);
        t.low[b] = static_cast<unsigned char>(w & 0xFF);
    }
    t.plain = true;
    for (int b = 1; b < 256; ++b) t.plain = t.plain && t.high[b] == 0 && t.low[b] == b;
    return t;
}

const Tables &tables_for(unsigned codepage) {
    auto make = [](unsigned page) {
        return make_tables([page](unsigned char c) { return is_lead_byte_in(page, c); }, page == 932);
    };
    static const Tables t932 = make(932), t936 = make(936), t949 = make(949), t950 = make(950);
    // Every other page has no lead bytes and writes each byte as it is.
    static const Tables single = make(1252);
    switch (codepage) {
        case 932: return t932;
        case 936: return t936;
        case 949: return t949;
        case 950: return t950;
        default: return single;
    }
}

// Byte by byte from s, until the zero.
std::size_t convert_bytes(const unsigned char *s, unsigned char *t, const Tables &tables) {
    unsigned char *const start = t;
    for (unsigned char b; (b = *s++) != 0;) {
        unsigned char high = tables.high[b];
        if (high == b) {
            // The trail byte goes along unchanged, even when it is the end of
            // the text: then the zero is copied and counted, and the walk ends.
            unsigned char second = *s++;
            t[0] = b;
            t[1] = second;
            t += 2;
            if (second == 0) break;
        } else {
            t[0] = high;
            t[1] = tables.low[b];
            t += 2;
        }
    }
    *t = 0;
    return static_cast<std::size_t>(t - start);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// 64 bytes at a time where the processor has byte permutes and compression
// (AVX-512 VBMI and VBMI2).  Kept off Windows, where GCC does not align the
// stack for 64-byte spills.
#define VOSTIK_HAN_TO_ZEN_WIDE 1

bool has_wide_path() {
    // The first call may come from another library's constructor, before
    // the run-time's own processor check.
    static const bool has = (__builtin_cpu_init(), true) && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
                            __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
    return has;
}

// Of a block's bytes that have lead-byte values (bits of `marked`), those
// that start a character: in every run of them the first, third, ... byte.
// Adding each even-placed run start to the runs clears exactly the runs that
// start on an even bit.
inline std::uint64_t start_characters(std::uint64_t marked) {
    constexpr std::uint64_t kEven = 0x5555555555555555ULL;
    const std::uint64_t starts = marked & ~(marked << 1);
    const std::uint64_t odd_runs = (marked + (starts & kEven)) & marked;
    return ((marked & ~odd_runs) & kEven) | (odd_runs & ~kEven);
}

// Byte k of the first and second halves of the output: the pairs
// (first[k], second[k]) for k = 0..31 and 32..63.
struct PairOrder {
    alignas(64) unsigned char bytes[2][64];
};

constexpr PairOrder make_pair_order() {
    PairOrder order{};
    for (int k = 0; k < 32; ++k) {
        order.bytes[0][2 * k] = static_cast<unsigned char>(k);
        order.bytes[0][2 * k + 1] = static_cast<unsigned char>(64 + k);
        order.bytes[1][2 * k] = static_cast<unsigned char>(32 + k);
        order.bytes[1][2 * k + 1] = static_cast<unsigned char>(96 + k);
    }
    return order;
}

constexpr PairOrder kPairOrder = make_pair_order();

// The register constants of the block path.
struct BlockTables {
    __m512i high[4], low[4], order[2];
};

// A 256-byte table at each byte of x (`upper`: the bytes with the high bit
// set, which index the table's second half).
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline __m512i look_up(const __m512i *table, __m512i x, __mmask64 upper) {
    return _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(table[0], x, table[1]),
                                  _mm512_permutex2var_epi8(table[2], x, table[3]));
}

// An aligned block, read by an instruction of our own, which the address
// sanitizer does not check: it may hold bytes outside the text (never used),
// but never bytes of another page.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline __m512i aligned_block(const unsigned char *p) {
    __m512i x;
    __asm__("vmovdqa64 %1, %0" : "=v"(x) : "m"(*reinterpret_cast<const __m512i *>(p)));
    return x;
}

// A masked read or write of 64 bytes that reaches into the next page costs a
// microcode assist of 100 ns or more, on every call, when that page is not
// mapped in, though its bytes are masked off.  So the last block of a text
// that ends near the end of a page is read as the page's last 64 bytes, and
// pairs that end near the end of one are written there, moved by a permute.
constexpr std::uintptr_t kPage = 4096;  // the smallest page on x86-64

inline std::uintptr_t in_page(const void *p) { return reinterpret_cast<std::uintptr_t>(p) & (kPage - 1); }

// Byte i is i mod 64: from offset d, the indexes that move a block d bytes
// down; from 64 - d, d bytes up.
constexpr std::array<unsigned char, 128> kMoves = [] {
    std::array<unsigned char, 128> moves{};
    for (int i = 0; i < 128; ++i) moves[i] = static_cast<unsigned char>(i & 63);
    return moves;
}();

// A block of up to 64 bytes (bits of `valid`); nothing past them is read.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline __m512i load_block(const unsigned char *p, std::uint64_t valid) {
    return valid == ~0ULL ? _mm512_loadu_si512(p) : _mm512_maskz_loadu_epi8(valid, p);
}

// The first `words` two-byte pairs of v, written at t, less than 64 bytes
// before the end of a page: nothing past them, and no masked byte in the
// next page.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline void store_pairs_on_page(unsigned char *t, __m512i v, std::size_t words) {
    const std::uintptr_t at = in_page(t);
    if (at + 2 * words <= kPage) {
        const std::size_t up = at - (kPage - 64);
        const __mmask64 moved = ((1ULL << (2 * words)) - 1) << up;  // fewer than 32 pairs here
        const __m512i index = _mm512_loadu_si512(kMoves.data() + 64 - up);
        _mm512_mask_storeu_epi8(t - up, moved, _mm512_maskz_permutexvar_epi8(moved, index, v));
    } else {
        _mm512_mask_storeu_epi16(t, static_cast<__mmask32>((1ULL << words) - 1), v);
    }
}

// What the first look at a block finds: everything the block's stores need
// from the text.
struct Marks {
    __m512i first, low;   // the bytes each byte is written as
    __m512i next;         // the byte after each byte
    __mmask64 leads;      // bytes that start a double-byte character
    std::uint64_t keep;   // bytes that start a character
};

// The first look at the block at p (bits of `valid`); bit 0 of *carry says
// its first byte was taken along by the block before.  It does all the
// reading of the text, well ahead of the stores: a read just behind a store
// whose address matches it in the low 12 bits waits for that store.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline Marks mark_block(const BlockTables &k, const unsigned char *p, std::uint64_t valid, std::uint64_t *carry) {
    // The bytes and the bytes after them (for a short block, the last, up to
    // its text's zero).
    __m512i x, next;
    const std::uintptr_t at = in_page(p);
    if (valid != ~0ULL && at + 65 > kPage && at + __builtin_popcountll(valid) < kPage) {
        const __m512i page_end = aligned_block(p - at + kPage - 64);
        const unsigned char *down = kMoves.data() + (at - (kPage - 64));
        x = _mm512_maskz_permutexvar_epi8(valid, _mm512_loadu_si512(down), page_end);
        next = _mm512_maskz_permutexvar_epi8(valid, _mm512_loadu_si512(down + 1), page_end);
    } else {
        x = load_block(p, valid);
        next = load_block(p + 1, valid);
    }
    // The lead bytes are found from the table's upper half alone, without
    // waiting for the blend: below 0x80 it gives 0 or a byte of 0x80 and up,
    // never the byte itself (0 is never in `valid`).  The compiler shares
    // that permute with the lookup of `first`.
    const __mmask64 upper = _mm512_movepi8_mask(x);
    const __mmask64 marked_mask =
        _mm512_mask_cmpeq_epi8_mask(valid, _mm512_permutex2var_epi8(k.high[2], x, k.high[3]), x);
    const __m512i first = look_up(k.high, x, upper);
    const __m512i low = look_up(k.low, x, upper);
    // One move to a general register per block, and everything after it
    // from that copy: moves out of the mask registers are dear.
    std::uint64_t marked = _cvtmask64_u64(marked_mask);
    __asm__("" : "+r"(marked));
    const std::uint64_t trails = (marked << 1) | *carry;
    if ((marked & trails) == 0) {
        // No two lead-byte values side by side and nothing carried over
        // (nearly all text): each of them starts a character.
        *carry = marked >> 63;
        return {first, low, next, marked_mask, ~trails & valid};
    }
    const std::uint64_t leads = start_characters(marked & ~*carry);
    *carry = leads >> 63;
    return {first, low, next, _cvtu64_mask64(leads), ~((leads << 1) | (trails & 1)) & valid};
}

// Writes the pairs of the characters that start in a block, as m found
// them: exactly those when `exact` (`near_page_end`: t is less than 128
// bytes before the end of a page), else up to 128 bytes.  Returns the bytes
// of the pairs.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline std::size_t write_block(const BlockTables &k, const Marks &m, unsigned char *t, bool exact,
                               bool near_page_end = false) {
    const __m512i second = _mm512_mask_blend_epi8(m.leads, m.low, m.next);
    // Characters only: trail bytes out (a block may have none), then pairs.
    __m512i firsts = m.first, seconds = second;
    if (m.keep != ~0ULL) {
        firsts = _mm512_maskz_compress_epi8(m.keep, m.first);
        seconds = _mm512_maskz_compress_epi8(m.keep, second);
    }
    const std::size_t count = static_cast<std::size_t>(__builtin_popcountll(m.keep));
    const __m512i pairs0 = _mm512_permutex2var_epi8(firsts, k.order[0], seconds);
    const __m512i pairs1 = _mm512_permutex2var_epi8(firsts, k.order[1], seconds);
    if (!exact) {
        // Past the pairs the stores write bytes that the next block writes
        // again (a whole block keeps at least 32 of its 64 characters).
        _mm512_storeu_si512(t, pairs0);
        _mm512_storeu_si512(t + 64, pairs1);
    } else {
        __m512i rest = pairs0;
        std::size_t words = count;
        if (count > 32) {
            _mm512_storeu_si512(t, pairs0);
            t += 64;
            rest = pairs1;
            words = count - 32;
        }
        if (near_page_end && in_page(t) > kPage - 64) store_pairs_on_page(t, rest, words);
        else _mm512_mask_storeu_epi16(t, static_cast<__mmask32>((1ULL << words) - 1), rest);
    }
    return 2 * count;
}

constexpr std::size_t kUnknown = ~std::size_t{0};

// Where the text ends, looked for in aligned groups of 256 bytes while the
// blocks before them are converted, rather than by a strlen before it all:
// the search then runs beside the conversion.  A group may hold bytes past
// the final zero, but never bytes of another page (a page is a multiple of
// 256 bytes), the way strlen itself reads.
struct TextEnd {
    const unsigned char *s;
    const unsigned char *next;  // the next group; no zero from s up to it
    std::size_t len;            // kUnknown until the zero is found
    std::ptrdiff_t known() const { return next - s; }
};

// Where the zero is in the group, counted from s; kUnknown if it is before s.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline std::size_t zero_in_group(const unsigned char *group, const unsigned char *s) {
    for (int i = 0; i < 4; ++i) {
        const __m512i x = aligned_block(group + 64 * i);
        std::uint64_t zeros = _mm512_testn_epi8_mask(x, x);
        // Bytes before the text, in its first group, do not count.
        const std::ptrdiff_t before = s - (group + 64 * i);
        if (before >= 64) continue;
        if (before > 0) zeros &= ~0ULL << before;
        if (zeros != 0) return static_cast<std::size_t>(group + 64 * i + __builtin_ctzll(zeros) - s);
    }
    return kUnknown;
}

__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline bool has_zero(const unsigned char *group) {
    const __m512i least = _mm512_min_epu8(_mm512_min_epu8(aligned_block(group), aligned_block(group + 64)),
                                          _mm512_min_epu8(aligned_block(group + 128), aligned_block(group + 192)));
    return _mm512_testn_epi8_mask(least, least) != 0;
}

__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
inline void look_further(TextEnd &e) {
    if (has_zero(e.next)) e.len = zero_in_group(e.next, e.s);
    e.next += 256;
}

// The whole text of len bytes (not counting the zero; kUnknown: up to the
// zero) in blocks of 64; the last block, of 1 to 64 bytes, is read and
// written under masks, so nothing outside the text and the target is
// touched.  Returns the bytes written before the final zero, which it writes
// too.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi")))
std::size_t convert_blocks(const unsigned char *s, std::size_t len, unsigned char *t, const Tables &tables) {
    // Built whole, not filled in a loop, so that it stays in registers.
    const BlockTables k{{_mm512_load_si512(tables.high), _mm512_load_si512(tables.high + 64),
                         _mm512_load_si512(tables.high + 128), _mm512_load_si512(tables.high + 192)},
                        {_mm512_load_si512(tables.low), _mm512_load_si512(tables.low + 64),
                         _mm512_load_si512(tables.low + 128), _mm512_load_si512(tables.low + 192)},
                        {_mm512_load_si512(kPairOrder.bytes[0]), _mm512_load_si512(kPairOrder.bytes[1])}};
    std::size_t o = 0;
    if (tables.plain) {
        const __m512i zero = _mm512_setzero_si512();
        for (; len > 64; s += 64, len -= 64, o += 128) {
            const __m512i x = _mm512_loadu_si512(s);
            _mm512_storeu_si512(t + o, _mm512_permutex2var_epi8(zero, k.order[0], x));
            _mm512_storeu_si512(t + o + 64, _mm512_permutex2var_epi8(zero, k.order[1], x));
        }
    }
    TextEnd e{s, reinterpret_cast<const unsigned char *>(reinterpret_cast<std::uintptr_t>(s) & ~std::uintptr_t{255}), len};
    // Enough of the text for the first turn below: its marks read up to byte
    // 448.
    while (e.len == kUnknown && e.known() < 64 * 7 + 1) look_further(e);
    auto valid = [&e](std::size_t n) {
        if (e.len == kUnknown) return ~0ULL;
        const std::size_t left = e.len - 64 * n;
        return left >= 64 ? ~0ULL : (1ULL << left) - 1;
    };
    auto blocks = [&e] { return e.len == kUnknown ? kUnknown / 64 : (e.len + 63) / 64; };
    // A block's stores wait for its marks, so the marks are found three
    // blocks ahead.
    std::uint64_t carry = 0;  // bit 0: the next block's first byte is a trail byte
    Marks m0{}, m1{}, m2{};
    if (blocks() > 0) m0 = mark_block(k, s, valid(0), &carry);
    if (blocks() > 1) m1 = mark_block(k, s + 64, valid(1), &carry);
    if (blocks() > 2) m2 = mark_block(k, s + 128, valid(2), &carry);
    std::size_t n = 0;
    // Four blocks a turn, while the blocks marked are whole and not the
    // last; every block written here is followed by a whole block, which
    // covers what it wrote past its pairs.  (Four, so that the marks stay in
    // their registers instead of moving along.)
    // Until the end is found, each turn first looks 256 bytes further for
    // it, which keeps the text known ahead of the next turn's marks.
    for (;; n += 4) {
        if (e.len == kUnknown) look_further(e);
        else if (n + 7 >= blocks()) break;
        const Marks m3 = mark_block(k, s + 64 * (n + 3), ~0ULL, &carry);
        o += write_block(k, m0, t + o, false);
        m0 = mark_block(k, s + 64 * (n + 4), ~0ULL, &carry);
        o += write_block(k, m1, t + o, false);
        m1 = mark_block(k, s + 64 * (n + 5), ~0ULL, &carry);
        o += write_block(k, m2, t + o, false);
        m2 = mark_block(k, s + 64 * (n + 6), ~0ULL, &carry);
        o += write_block(k, m3, t + o, false);
    }
    // The rest; the last two blocks write exactly their pairs.
    for (; n < blocks(); ++n) {
        Marks m3 = m2;
        if (n + 3 < blocks()) m3 = mark_block(k, s + 64 * (n + 3), valid(n + 3), &carry);
        const bool exact = n + 2 >= blocks();
        o += write_block(k, m0, t + o, exact, exact && in_page(t + o) > kPage - 128);
        m0 = m1;
        m1 = m2;
        m2 = m3;
    }
    t[o] = 0;
    return o;
}
#endif

std::size_t convert(const char *source, char *target, const Tables &tables) {
    const auto *s = reinterpret_cast<const unsigned char *>(source);
    auto *t = reinterpret_cast<unsigned char *>(target);
#if defined(VOSTIK_HAN_TO_ZEN_WIDE)
    if (has_wide_path()) return convert_blocks(s, tables.plain ? std::strlen(source) : kUnknown, t, tables);
#endif
    return convert_bytes(s, t, tables);
}

}  // namespace

std::uint16_t full_width_code(unsigned codepage, unsigned char byte) {
    return codepage == 932 ? kFullWidth932[byte] : byte;
}

std::size_t han_to_zen(const char *source, char *target, unsigned codepage) {
    return convert(source, target, tables_for(codepage));
}

}  // namespace vostik

VOSTIK_API int32_t VOSTIK_CALL HanToZen(const char *source, char *target) {
    // The code page is fixed once the library is loaded, so its lead bytes
    // are asked of the platform once.
    static const vostik::Tables tables =
        vostik::make_tables(vostik::is_lead_byte, vostik::ansi_codepage() == 932);
    return static_cast<int32_t>(vostik::convert(source, target, tables));
}
