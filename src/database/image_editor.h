#pragma once

#include "database/byte_image.h"
#include "database/byte_reader.h"
#include "database/edit_history.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace tavrino {

// The single write path into an image. Every write first hands the bytes it replaces to the
// edit history, so each operation can be undone and redone exactly.
class ImageEditor {
public:
    ImageEditor(Bytes& bytes, ImageKind kind, EditHistory& history)
        : bytes_(bytes), kind_(kind), history_(history) {}

    const Bytes& bytes() const { return bytes_; }

    void writeNumber(std::size_t offset, int width, std::int64_t value) {
        check(offset, static_cast<std::size_t>(width));
        keep(offset, static_cast<std::size_t>(width));
        tavrino::writeNumber(bytes_, offset, width, value);
    }
    void writeBytes(std::size_t offset, std::span<const std::uint8_t> data) {
        check(offset, data.size());
        keep(offset, data.size());
        std::memcpy(bytes_.data() + offset, data.data(), data.size());
    }
    void fill(std::size_t offset, std::size_t size, std::uint8_t value) {
        check(offset, size);
        keep(offset, size);
        std::memset(bytes_.data() + offset, value, size);
    }
    // Copies size bytes from `from` to `to`; the ranges may overlap.
    void move(std::size_t from, std::size_t to, std::size_t size) {
        check(from, size);
        check(to, size);
        keep(to, size);
        std::memmove(bytes_.data() + to, bytes_.data() + from, size);
    }
    // Replaces the image with one of any length.
    void replaceAll(Bytes bytes) {
        history_.recordWholeImage(kind_, bytes_);
        bytes_ = std::move(bytes);
    }

private:
    void check(std::size_t offset, std::size_t size) const {
        if (offset > bytes_.size() || size > bytes_.size() - offset) {
            throw std::out_of_range("edit outside the image at offset " + std::to_string(offset));
        }
    }
    void keep(std::size_t offset, std::size_t size) {
        history_.recordOverwrite(kind_, offset, {bytes_.data() + offset, size});
    }

    Bytes& bytes_;
    ImageKind kind_;
    EditHistory& history_;
};

} // namespace tavrino
