#pragma once

#include "database/byte_image.h"
#include "database/byte_reader.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace tavrino {

// The single write path into an image. Every edit goes through here, so the owner can tell
// from the revision whether anything changed since the last save.
class ImageEditor {
public:
    ImageEditor(Bytes& bytes, std::uint64_t& revision) : bytes_(bytes), revision_(revision) {}

    const Bytes& bytes() const { return bytes_; }

    void writeNumber(std::size_t offset, int width, std::int64_t value) {
        tavrino::writeNumber(bytes_, offset, width, value);
        ++revision_;
    }
    void writeBytes(std::size_t offset, std::span<const std::uint8_t> data) {
        check(offset, data.size());
        std::memcpy(bytes_.data() + offset, data.data(), data.size());
        ++revision_;
    }
    void fill(std::size_t offset, std::size_t size, std::uint8_t value) {
        check(offset, size);
        std::memset(bytes_.data() + offset, value, size);
        ++revision_;
    }
    // Copies size bytes from `from` to `to`; the ranges may overlap.
    void move(std::size_t from, std::size_t to, std::size_t size) {
        check(from, size);
        check(to, size);
        std::memmove(bytes_.data() + to, bytes_.data() + from, size);
        ++revision_;
    }

private:
    void check(std::size_t offset, std::size_t size) const {
        if (offset > bytes_.size() || size > bytes_.size() - offset) {
            throw std::out_of_range("edit outside the image at offset " + std::to_string(offset));
        }
    }

    Bytes& bytes_;
    std::uint64_t& revision_;
};

} // namespace tavrino
