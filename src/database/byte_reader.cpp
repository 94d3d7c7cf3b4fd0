#include "database/byte_reader.h"

#include "database/file_problem.h"

#include <stdexcept>

namespace tavrino {
namespace {

std::int64_t assemble(const std::uint8_t* p, int width) {
    switch (width) {
    case 1:
        return p[0];
    case 2:
        return p[0] | p[1] << 8;
    case 4:
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
    default:
        throw std::invalid_argument("number width must be 1, 2 or 4");
    }
}

} // namespace

std::int64_t ByteReader::readNumber(std::size_t offset, int width, std::string_view field) const {
    require(offset, static_cast<std::size_t>(width), field);
    return assemble(bytes_.data() + offset, width);
}

std::string ByteReader::readFixedName(std::size_t offset, std::size_t width,
                                      std::string_view field) const {
    require(offset, width, field);
    std::string name;
    name.reserve(width);
    for (std::size_t i = 0; i < width; ++i) {
        if (const auto b = bytes_[offset + i]; b != 0) {
            name += static_cast<char>(b);
        }
    }
    return name;
}

void ByteReader::require(std::size_t offset, std::size_t size, std::string_view what) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset) {
        fail(std::string(what) + " needs " + std::to_string(size) + " bytes from offset " +
             std::to_string(offset) + ", but the file ends at " + std::to_string(bytes_.size()));
    }
}

void ByteReader::fail(const std::string& problem) const {
    throw FileProblem(FileProblem::Kind::Damaged, path_, problem);
}

std::array<std::uint8_t, 4> splitNumber(std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

void writeNumber(Bytes& bytes, std::size_t offset, int width, std::int64_t value) {
    if (width < 1 || width > 4 || offset > bytes.size() ||
        static_cast<std::size_t>(width) > bytes.size() - offset) {
        throw std::out_of_range("write outside the image at offset " + std::to_string(offset));
    }
    const auto parts = splitNumber(value);
    for (int i = 0; i < width; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = parts[static_cast<std::size_t>(i)];
    }
}

std::int64_t peekNumber(const Bytes& bytes, std::size_t offset, int width) {
    if (offset > bytes.size() || static_cast<std::size_t>(width) > bytes.size() - offset) {
        throw std::out_of_range("read outside the image at offset " + std::to_string(offset));
    }
    return assemble(bytes.data() + offset, width);
}

} // namespace tavrino
