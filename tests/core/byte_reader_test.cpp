#include "database/byte_reader.h"
#include "database/file_problem.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

struct NumberCase {
    Bytes bytes;
    int width;
    std::int64_t expected;
};

class ReadNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumber, IsLittleEndianAndSignedOnlyAtFourBytes) {
    const auto& c = GetParam();
    const ByteReader reader(c.bytes, "x.dat");
    EXPECT_EQ(reader.readNumber(0, c.width, "field"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, ReadNumber,
                         testing::Values(NumberCase{{0xFF}, 1, 255},
                                         NumberCase{{0x34, 0x12}, 2, 0x1234},
                                         NumberCase{{0xFF, 0xFF}, 2, 65535},
                                         NumberCase{{0x78, 0x56, 0x34, 0x12}, 4, 0x12345678},
                                         NumberCase{{0x01, 0x00, 0x00, 0x80}, 4, -2147483647},
                                         NumberCase{{0xFF, 0xFF, 0xFF, 0xFF}, 4, -1}),
                         [](const auto& param) {
                             const std::int64_t v = param.param.expected;
                             return "width" + std::to_string(param.param.width) + "_" +
                                    (v < 0 ? "minus" + std::to_string(-v) : std::to_string(v));
                         });

TEST(ByteReader, ReadPastTheEndNamesFileOffsetAndField) {
    const Bytes bytes(10, 0);
    const ByteReader reader(bytes, "/data/all_channel.dat");
    try {
        reader.readNumber(8, 4, "tpCount");
        FAIL() << "read outside the image";
    } catch (const FileProblem& e) {
        EXPECT_EQ(e.path(), "/data/all_channel.dat");
        EXPECT_EQ(e.kind(), FileProblem::Kind::Damaged);
        EXPECT_EQ(e.oneLine(), "/data/all_channel.dat is damaged: tpCount needs 4 bytes from "
                               "offset 8, but the file ends at 10.");
        EXPECT_EQ(e.notice().text, "all_channel.dat is damaged: tpCount needs 4 bytes from "
                                   "offset 8, but the file ends at 10.\n\n/data/all_channel.dat");
    }
    EXPECT_THROW(reader.require(static_cast<std::size_t>(-1), 2, "huge"), FileProblem);
    EXPECT_NO_THROW(reader.require(10, 0, "empty tail"));
}

TEST(ByteReader, FixedNameSkipsEveryZeroByte) {
    const Bytes bytes = {'A', 0, 's', 't', 0, 0, 'r', 'a'};
    EXPECT_EQ(ByteReader(bytes, "f").readFixedName(0, 8, "name"), "Astra");
}

TEST(SplitNumber, GivesBytesLowestFirstAndWriteKeepsOnlyTheWidth) {
    EXPECT_EQ(splitNumber(0x12345678), (std::array<std::uint8_t, 4>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(splitNumber(-2), (std::array<std::uint8_t, 4>{0xFE, 0xFF, 0xFF, 0xFF}));
    Bytes bytes(4, 0xAA);
    writeNumber(bytes, 1, 2, 0x10203);
    EXPECT_EQ(bytes, (Bytes{0xAA, 0x03, 0x02, 0xAA}));
    EXPECT_THROW(writeNumber(bytes, 3, 2, 1), std::out_of_range);
}

} // namespace
} // namespace tavrino
