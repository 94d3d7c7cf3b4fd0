#pragma once

#include "database/byte_image.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrino {

// Field access inside one record whose whole extent was checked when it was taken.
class RecordReader {
public:
    RecordReader(const std::uint8_t* p, std::size_t offset, std::size_t size)
        : p_(p), offset_(offset), size_(size) {}

    std::size_t offset() const { return offset_; }

    std::uint16_t u8(std::size_t at) const {
        assert(at < size_);
        return p_[at];
    }
    std::uint16_t u16(std::size_t at) const {
        assert(at + 2 <= size_);
        return static_cast<std::uint16_t>(p_[at] | p_[at + 1] << 8);
    }
    std::int32_t i32(std::size_t at) const {
        assert(at + 4 <= size_);
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(p_[at]) |
                                         static_cast<std::uint32_t>(p_[at + 1]) << 8 |
                                         static_cast<std::uint32_t>(p_[at + 2]) << 16 |
                                         static_cast<std::uint32_t>(p_[at + 3]) << 24);
    }
    // `length` bytes from `at`, zero bytes skipped.
    std::string name(std::size_t at, std::size_t length) const {
        assert(at + length <= size_);
        std::string out(reinterpret_cast<const char*>(p_ + at), length);
        out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
        return out;
    }

private:
    const std::uint8_t* p_;
    std::size_t offset_;
    [[maybe_unused]] std::size_t size_; // the asserts' bound; release builds drop them
};

// Bounded little-endian reader over one image. Every read checks its bounds first and a
// failure throws FileProblem naming the file, the field and its offset; nothing reads on.
// Field names are singular noun phrases ("the transponder header"), so a message reads
// "<field> needs 216 bytes from offset 1597032, but the file ends at 1597100".
class ByteReader {
public:
    ByteReader(std::span<const std::uint8_t> bytes, std::string path)
        : bytes_(bytes), path_(std::move(path)) {}

    std::size_t size() const { return bytes_.size(); }
    const std::string& path() const { return path_; }

    // Width 1 or 2: 0..65535. Width 4: the signed 32-bit value.
    std::int64_t readNumber(std::size_t offset, int width, std::string_view field) const;
    // The width bytes at offset with every zero byte skipped.
    std::string readFixedName(std::size_t offset, std::size_t width, std::string_view field) const;

    // A record of `size` bytes at offset, checked once as a whole.
    RecordReader record(std::size_t offset, std::size_t size, std::string_view what) const {
        require(offset, size, what);
        return {bytes_.data() + offset, offset, size};
    }

    // Throws unless [offset, offset + size) lies inside the image.
    void require(std::size_t offset, std::size_t size, std::string_view what) const;
    // `problem` says what is wrong and at which one offset, without a full stop.
    [[noreturn]] void fail(const std::string& problem) const;

private:
    std::span<const std::uint8_t> bytes_;
    std::string path_;
};

// The four bytes of a 32-bit value, lowest first.
std::array<std::uint8_t, 4> splitNumber(std::int64_t value);

// Stores the lowest `width` bytes of value at offset (the one write primitive for images).
void writeNumber(Bytes& bytes, std::size_t offset, int width, std::int64_t value);

// Little-endian read without a field name, for images already validated by a decoder.
std::int64_t peekNumber(const Bytes& bytes, std::size_t offset, int width);

} // namespace tavrino
