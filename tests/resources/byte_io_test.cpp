#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "base/byte_io.h"

namespace tarvex {
namespace {

using Buffer = std::vector<uint8_t>;

TEST(ByteReader, LittleEndianValuesUpToTheExactEnd) {
    // 1.5f is 0x3FC00000.
    const Buffer data = {0x01, 0x02, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0x80,
                        0x00, 0x00, 0xC0, 0x3F, 0x12, 0x34, 0xDE, 0xAD, 0xBE, 0xEF, 0x7F};
    ByteReader r(data.data(), data.size());
    EXPECT_EQ(r.U16(), 0x0201);
    EXPECT_EQ(r.I16(), -2);
    EXPECT_EQ(r.U32(), 0x12345678u);
    EXPECT_EQ(r.I32(), static_cast<int32_t>(0x80FFFFFFu));
    EXPECT_EQ(r.F32(), 1.5f);
    EXPECT_EQ(r.U16Be(), 0x1234);
    EXPECT_EQ(r.U32Be(), 0xDEADBEEFu);
    EXPECT_EQ(r.remaining(), 1u);
    EXPECT_EQ(r.U8(), 0x7F);  // the very last byte
    EXPECT_EQ(std::tuple(r.ok(), r.AtEnd(), r.position()), std::tuple(true, true, data.size()));

    // One past the end: zero, and the reader has failed. (Short reads, seeks and bulk reads
    // are checked against a model of the reader by its fuzz target.)
    EXPECT_EQ(r.U8(), 0);
    EXPECT_FALSE(r.ok());
}

struct Sample {
    int32_t a = 0;
    uint16_t b = 0;
    float c = 0.0f;
    int32_t outside = 0;
    int32_t straddling = 0;
};

constexpr size_t kSampleBytes = 12;

// A 12-byte record: a at 0, b at 4, c at 8; the last two fields lie outside it
// (entirely, and across its end) and must be skipped both ways.
template <typename Record, typename Field>
void SampleFields(Record& s, Field&& field) {
    field(0, &s.a, 4);
    field(4, &s.b, 2);
    field(8, &s.c, 4);
    field(12, &s.outside, 4);
    field(10, &s.straddling, 4);
}

TEST(ByteRecord, FieldListWritesAndReadsTheSameLayoutAndSkipsFieldsOutside) {
    Sample in;
    in.a = -5;
    in.b = 0x1234;
    in.c = 1.5f;
    in.outside = 77;
    in.straddling = 0x0BADF00D;
    // A guard byte after the record must survive.
    uint8_t image[kSampleBytes + 1];
    std::fill(std::begin(image), std::end(image), 0xCC);
    WriteRecord(in, image, kSampleBytes, [](Sample& s, auto&& f) { SampleFields(s, f); });
    const Buffer expected = {0xFB, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0, 0, 0x00, 0x00, 0xC0, 0x3F, 0xCC};
    EXPECT_EQ(Buffer(std::begin(image), std::end(image)), expected);

    Sample out;
    out.outside = 9;
    out.straddling = 10;
    ReadRecord(out, image, kSampleBytes, [](Sample& s, auto&& f) { SampleFields(s, f); });
    // The fields outside the record are left as they were.
    EXPECT_EQ(std::tuple(out.a, out.b, out.c, out.outside, out.straddling), std::tuple(-5, uint16_t{0x1234}, 1.5f, 9, 10));
}

}  // namespace
}  // namespace tarvex
