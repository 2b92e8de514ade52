// The PE version reader on images built here (so that every field can be
// bent), and GetProductVersion on the test DLLs: in the Windows build the
// same DLLs go through the platform's version functions, so both builds must
// give the answers listed here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "pe_version.h"
#include "vostik.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using vostik::pe::MemorySource;

void put16(Bytes &b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
void put32(Bytes &b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void pad4(Bytes &b) { b.resize((b.size() + 3) & ~std::size_t{3}); }

// A node of a version block: a text value (none when nullopt) and children.
struct Node {
    std::string key;
    std::optional<std::string> text;
    std::vector<Node> children;
};

Bytes encode(const Node &n) {
    Bytes b(6);
    for (char c : n.key) put16(b, b.size(), static_cast<unsigned char>(c));
    put16(b, b.size(), 0);
    pad4(b);
    std::size_t value_length = 0;
    if (n.text) {
        for (char c : *n.text) put16(b, b.size(), static_cast<unsigned char>(c));
        put16(b, b.size(), 0);
        value_length = n.text->size() + 1;
    }
    for (const Node &child : n.children) {
        pad4(b);
        Bytes c = encode(child);
        b.insert(b.end(), c.begin(), c.end());
    }
    put16(b, 0, static_cast<std::uint32_t>(b.size()));
    put16(b, 2, static_cast<std::uint32_t>(value_length));
    put16(b, 4, 1);
    return b;
}

// A block with one string table: {block name, {{key, text}...}}.
Bytes version_block(const std::string &table, std::vector<std::pair<std::string, std::string>> strings) {
    Node t{table, std::nullopt, {}};
    for (auto &[k, v] : strings) t.children.push_back({k, v, {}});
    return encode({"VS_VERSION_INFO", std::nullopt, {{"StringFileInfo", std::nullopt, {t}}}});
}

Bytes ja_block(const std::string &file_version, const std::string &product_version) {
    return version_block("041104b0", {{"FileVersion", file_version}, {"ProductVersion", product_version}});
}

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::size_t kSectionFile = 0x200;
constexpr std::size_t kNt = 0x40;

// Offsets of interesting fields in the images built below.
constexpr std::size_t kOptional = kNt + 24;
constexpr std::size_t kSectionTable = kOptional + 224;
constexpr std::size_t kRoot = kSectionFile;
constexpr std::size_t kTypeDir = kRoot + 24;      // the names of type 16
constexpr std::size_t kLanguageDir = kTypeDir + 24;  // the languages of id 1

// A 32-bit image with one section holding the resource tree: type 16, id 1,
// one language entry per block.
Bytes image(const std::vector<std::pair<std::uint16_t, Bytes>> &blocks) {
    Bytes f(kSectionFile);
    f[0] = 'M';
    f[1] = 'Z';
    put32(f, 0x3C, kNt);
    std::memcpy(&f[kNt], "PE\0\0", 4);
    put16(f, kNt + 4, 0x14C);
    put16(f, kNt + 6, 1);  // sections
    put16(f, kNt + 20, 224);
    put16(f, kOptional, 0x10B);
    put32(f, kOptional + 92, 16);

    auto dir = [&](std::size_t at, std::size_t entries) {
        put16(f, at + 14, static_cast<std::uint32_t>(entries));
    };
    auto entry = [&](std::size_t at, std::uint32_t name, std::uint32_t offset) {
        put32(f, at, name);
        put32(f, at + 4, offset);
    };
    dir(kRoot, 1);
    entry(kRoot + 16, 16, 0x80000000u | (kTypeDir - kRoot));
    dir(kTypeDir, 1);
    entry(kTypeDir + 16, 1, 0x80000000u | (kLanguageDir - kRoot));
    dir(kLanguageDir, blocks.size());
    std::size_t data_entries = kLanguageDir + 16 + 8 * blocks.size();
    std::size_t data = data_entries + 16 * blocks.size();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        entry(kLanguageDir + 16 + 8 * i, blocks[i].first, static_cast<std::uint32_t>(data_entries + 16 * i - kRoot));
        pad4(f);
        data = std::max(data, f.size());
        put32(f, data_entries + 16 * i, static_cast<std::uint32_t>(kSectionRva + data - kSectionFile));
        put32(f, data_entries + 16 * i + 4, static_cast<std::uint32_t>(blocks[i].second.size()));
        f.resize(data);
        f.insert(f.end(), blocks[i].second.begin(), blocks[i].second.end());
    }
    std::size_t section_size = f.size() - kSectionFile;
    put32(f, kOptional + 96 + 16, kSectionRva);
    put32(f, kOptional + 96 + 20, static_cast<std::uint32_t>(section_size));
    std::memcpy(&f[kSectionTable], ".rsrc", 5);
    put32(f, kSectionTable + 8, static_cast<std::uint32_t>(section_size));
    put32(f, kSectionTable + 12, kSectionRva);
    put32(f, kSectionTable + 16, static_cast<std::uint32_t>(section_size));
    put32(f, kSectionTable + 20, kSectionFile);
    return f;
}

std::optional<std::u16string> version_of(const Bytes &file) { return vostik::pe::product_version(MemorySource(file)); }

std::optional<std::u16string> query(const Bytes &block, const char *path) {
    return vostik::pe::query_value(block, path);
}

TEST(PeVersion, FileVersionIsPreferredToProductVersion) {
    EXPECT_EQ(version_of(image({{0x409, ja_block("1, 0, 0, 3", "2, 0, 0, 0")}})), u"1, 0, 0, 3");
    EXPECT_EQ(version_of(image({{0x409, ja_block("", "2, 0, 0, 0")}})), u"2, 0, 0, 0");
    EXPECT_EQ(version_of(image({{0x409, version_block("041104b0", {{"ProductVersion", "7"}})}})), u"7");
    EXPECT_EQ(version_of(image({{0x409, ja_block("", "")}})), std::nullopt);
    EXPECT_EQ(version_of(image({{0x409, version_block("040904b0", {{"FileVersion", "1"}})}})), std::nullopt);
}

TEST(PeVersion, QueriesFollowThePlatformsPathRules) {
    Bytes b = ja_block("1, 0", "2, 0");
    EXPECT_EQ(query(b, "\\StringFileInfo\\041104b0\\FileVersion"), u"1, 0");
    EXPECT_EQ(query(b, "\\\\stringfileinfo\\041104B0\\\\PRODUCTVERSION\\"), u"2, 0");
    EXPECT_EQ(query(b, "\\StringFileInfo\\041104b0\\FileVersio"), std::nullopt);
    EXPECT_EQ(query(b, "\\StringFileInfo\\041104b0\\FileVersionX"), std::nullopt);
    EXPECT_EQ(query(b, "\\StringFileInfo\\041104b0\\FileVersion\\More"), std::nullopt);
    EXPECT_EQ(query(b, "\\StringFileInfo\\041104b0"), u"");  // a table has no value
}

TEST(PeVersion, MalformedBlocksEndTheSearchSafely) {
    Bytes b = ja_block("1", "2");
    std::size_t table = 0;  // offset of the "041104b0" node
    for (std::size_t i = 0; i + 16 <= b.size(); i += 2)
        if (b[i] == '0' && b[i + 2] == '4' && b[i + 4] == '1' && b[i + 6] == '1') table = i - 6;
    ASSERT_NE(table, 0u);
    std::size_t first = (table + 6 + 18 + 3) & ~std::size_t{3};  // its first child, FileVersion

    Bytes zero_length = b;  // a child of length 0 would otherwise loop for ever
    put16(zero_length, first, 0);
    EXPECT_EQ(query(zero_length, "\\StringFileInfo\\041104b0\\ProductVersion"), std::nullopt);

    Bytes short_parent = b;  // the table claims to end before its second child
    put16(short_parent, table, static_cast<std::uint32_t>(first - table + 8));
    EXPECT_EQ(query(short_parent, "\\StringFileInfo\\041104b0\\ProductVersion"), std::nullopt);
    EXPECT_EQ(query(short_parent, "\\StringFileInfo\\041104b0\\FileVersion"), u"1");

    Bytes unterminated = ja_block("1", "2345");  // text runs to the end of the block
    unterminated.resize(unterminated.size() - 2);
    put16(unterminated, 0, static_cast<std::uint32_t>(unterminated.size()));
    EXPECT_EQ(query(unterminated, "\\StringFileInfo\\041104b0\\ProductVersion"), u"2345");
    std::size_t key = 0;
    for (std::size_t i = 0; i + 8 <= unterminated.size(); i += 2)
        if (unterminated[i] == 'P' && unterminated[i + 2] == 'r' && unterminated[i + 4] == 'o') key = i;
    unterminated.resize(key + 10);  // the key itself is cut
    EXPECT_EQ(query(unterminated, "\\StringFileInfo\\041104b0\\ProductVersion"), std::nullopt);

    Bytes long_root = b;  // a root longer than the data is cut to the data
    put16(long_root, 0, 0xFFFF);
    EXPECT_EQ(query(long_root, "\\StringFileInfo\\041104b0\\ProductVersion"), u"2");
    EXPECT_EQ(query(Bytes(5, 0), "\\"), std::nullopt);
}

TEST(PeVersion, LanguageChoice) {
    Bytes ja = ja_block("1", ""), en = ja_block("2", ""), neutral = ja_block("3", ""), de = ja_block("4", "");
    EXPECT_EQ(version_of(image({{0x0000, neutral}, {0x0409, en}, {0x0411, ja}})), u"3");
    EXPECT_EQ(version_of(image({{0x0407, de}, {0x0409, en}, {0x0411, ja}})), u"2");
    EXPECT_EQ(version_of(image({{0x0407, de}, {0x0411, ja}})), u"4");
    EXPECT_EQ(version_of(image({{0x0411, ja}, {0x0407, de}})), u"1");
}

TEST(PeVersion, EveryTruncationIsRejectedOrRead) {
    Bytes full = image({{0x409, ja_block("1, 0, 0, 3", "2")}});
    std::size_t readable = 0;
    for (std::size_t n = 0; n <= full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        auto v = version_of(cut);
        if (v) {
            EXPECT_EQ(*v, u"1, 0, 0, 3") << n;
            ++readable;
        }
    }
    EXPECT_EQ(readable, 1u);  // only the whole file: the section claims every byte
}

TEST(PeVersion, CorruptHeadersAndDirectories) {
    const Bytes good = image({{0x409, ja_block("1", "")}});
    ASSERT_EQ(version_of(good), u"1");
    auto bent = [&](auto change) {
        Bytes f = good;
        change(f);
        return version_of(f);
    };
    EXPECT_EQ(bent([](Bytes &f) { f[0] = 'N'; }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { put32(f, 0x3C, 0xFFFFFFF0u); }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { f[kNt + 2] = 'X'; }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { put16(f, kOptional, 0x107); }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kOptional + 92, 2); }), std::nullopt);  // no resource directory
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kOptional + 116, 0); }), std::nullopt);  // resource size 0
    EXPECT_EQ(bent([](Bytes &f) { put16(f, kNt + 6, 0); }), std::nullopt);        // no sections
    EXPECT_EQ(bent([](Bytes &f) { put16(f, kNt + 6, 0xFFFF); }), std::nullopt);   // table past the end
    EXPECT_EQ(bent([](Bytes &f) { put16(f, kRoot + 14, 0xFFFF); }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kRoot + 16, 6); }), std::nullopt);     // no type 16
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kRoot + 20, kTypeDir - kRoot); }), std::nullopt);  // not a directory
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kRoot + 20, 0xFFFFFFFFu); }), std::nullopt);
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kTypeDir + 16, 2); }), std::nullopt);  // no id 1
    EXPECT_EQ(bent([](Bytes &f) { put32(f, kLanguageDir + 20, 0x80000000u); }), std::nullopt);  // language is a directory
    EXPECT_EQ(bent([](Bytes &f) { put16(f, kLanguageDir + 14, 0); }), std::nullopt);           // no language
    std::size_t data_entry = kLanguageDir + 16 + 8;
    EXPECT_EQ(bent([&](Bytes &f) { put32(f, data_entry, 0x90000000u); }), std::nullopt);  // data outside the sections
    EXPECT_EQ(bent([&](Bytes &f) { put32(f, data_entry + 4, 0xFFFFFFFFu); }), u"1");      // size cut to the section
    EXPECT_EQ(bent([&](Bytes &f) { put32(f, data_entry + 4, 5); }), std::nullopt);
    EXPECT_EQ(bent([&](Bytes &f) { put32(f, kSectionTable + 20, 0x7FFFFFFFu); }), std::nullopt);  // data past the end
    // The 64-bit layout puts the directories 16 bytes further on.
    Bytes wide = good;
    put16(wide, kOptional, 0x20B);
    put32(wide, kOptional + 108, 16);
    put32(wide, kOptional + 112 + 16, kSectionRva);
    put32(wide, kOptional + 112 + 20, 0x100);
    EXPECT_EQ(version_of(wide), u"1");
    // A block in the old 8-bit form is not read.
    Bytes old_form = good;
    std::size_t block = old_form.size() - ja_block("1", "").size();
    old_form[block + 4] = 'V';
    EXPECT_EQ(version_of(old_form), std::nullopt);
}

#ifdef VOSTIK_TESTDLL_DIR
std::string dll(const char *name) { return std::string(VOSTIK_TESTDLL_DIR) + "/" + name + ".dll"; }

Bytes read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// GetProductVersion (the platform's functions on Windows, our reader
// elsewhere) and the reader itself give the same answer on each DLL.
TEST(GetProductVersion, TestDlls) {
    const std::pair<const char *, const char *> cases[] = {
        {"ver_both", "1, 0, 0, 3"},     {"ver_file_only", "3, 1, 4, 1"},  {"ver_product_only", "2, 7, 1, 8"},
        {"ver_empty_file", "5, 6, 7, 8"}, {"ver_key_case", "6, 0, 0, 1"}, {"ver_two_languages", "4, 4, 4, 4"},
        {"ver_other_lang", nullptr},    {"ver_none", nullptr},
    };
    for (auto [name, expected] : cases) {
        SCOPED_TRACE(name);
        std::string path = dll(name);
        Bytes file = read_file(path);
        ASSERT_FALSE(file.empty());
        char text[64];
        std::memset(text, 'x', sizeof text);
        if (expected) {
            EXPECT_EQ(GetProductVersion(path.c_str(), text), 1);
            EXPECT_STREQ(text, expected);
            auto v = version_of(file);
            ASSERT_TRUE(v);
            EXPECT_EQ(std::string(v->begin(), v->end()), expected);
        } else {
            EXPECT_EQ(GetProductVersion(path.c_str(), text), 0);
            EXPECT_EQ(text[0], 'x');
            EXPECT_EQ(version_of(file), std::nullopt);
        }
    }
}
#endif

TEST(GetProductVersion, FilesWithoutVersionsLeaveTheTextAlone) {
    char text[8] = "keep";
    EXPECT_EQ(GetProductVersion("no such file.dll", text), 0);
    EXPECT_EQ(GetProductVersion(".", text), 0);
    EXPECT_EQ(GetProductVersion(nullptr, text), 0);
    std::string path = testing::TempDir() + "not_pe.dll";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("MZ but nothing else", f);
    std::fclose(f);
    EXPECT_EQ(GetProductVersion(path.c_str(), text), 0);
    std::remove(path.c_str());
    EXPECT_STREQ(text, "keep");
}

}  // namespace
