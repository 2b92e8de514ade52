// Reads the version resource of a PE file (a Windows executable or DLL)
// without the platform's loader, for GetProductVersion where there is no
// such loader.  Files are untrusted: every offset and length read from them
// is checked against what the file and the block really hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vostik::pe {

// Random access to the bytes of a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // False unless all of [offset, offset + size) could be read.
    virtual bool read(std::uint64_t offset, void *out, std::size_t size) const = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool read(std::uint64_t offset, void *out, std::size_t size) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

// The version block of the file: the data of the resource of type 16 and
// id 1 in the language that the platform's lookup prefers when no user
// language is known (neutral, else US English, else the directory's first),
// as far as the file holds it and at most 64 KiB (the block states its own
// length in 16 bits).  Empty when the file is no PE image, has no such
// resource, or the block is not in the usual (Unicode) form.
std::vector<std::uint8_t> read_version_block(const ByteSource &file);

// The value at path in a version block, path as the platform's query takes
// it ("\StringFileInfo\041104b0\FileVersion": names separated by "\", empty
// names skipped, compared without regard to ASCII case).  The text runs from
// the value to its terminator or the end of the block; a value of length 0
// gives an empty text.  nullopt when the path is not in the block.
std::optional<std::u16string> query_value(std::span<const std::uint8_t> block, std::string_view path);

// What GetProductVersion reports: the FileVersion text of the "041104b0"
// block if present and not empty, else its ProductVersion text if present
// and not empty, else nullopt.
std::optional<std::u16string> product_version(const ByteSource &file);

}  // namespace vostik::pe
