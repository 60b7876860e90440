// The JPEG decoder's SSE2 sample arithmetic against the portable reference, byte for
// byte: the inverse transform of blocks from flat to hostile (where the fast path has
// to hand over), and colour and grey rows of every width up to a few vectors, with the
// bytes past the row left alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ansi/jpegdsp.h"

namespace {

struct Tables {
    Tables() {
        JpegMakeRangeTable(range);
        JpegMakeColourTables(colour);
    }
    uint8_t range[JPEG_RANGE_TABLE_SIZE];
    int32_t colour[4 * 256];
};

// Both transforms into 8 x 8 blocks with a stride of 11 and guard bytes between rows.
void ExpectSameTransform(const int16_t block[64], const Tables& tables, const char* kind,
                         int index) {
    const int32_t stride = 11;
    std::vector<uint8_t> fast(8 * stride, 0xA5), reference(8 * stride, 0xA5);
    JpegIdct(block, fast.data(), stride, tables.range);
    JpegIdctReference(block, reference.data(), stride, tables.range);
    ASSERT_EQ(fast, reference) << kind << " block " << index;
}

TEST(JpegDsp, TransformMatchesTheReference) {
    Tables tables;
    std::mt19937 random(11);
    int16_t block[64];
    auto uniform = [&](int low, int high) {
        return int16_t(std::uniform_int_distribution<int>(low, high)(random));
    };
    // Typical blocks: a DC and a few AC terms that fall off with frequency.
    for (int n = 0; n < 3000; ++n) {
        for (int k = 0; k < 64; ++k) {
            int spread = 1024 / (1 + (k % 8) + (k / 8));
            block[k] = random() % 4 == 0 ? uniform(-spread, spread) : 0;
        }
        block[0] = uniform(-1024, 1023);
        ExpectSameTransform(block, tables, "typical", n);
    }
    // Dense blocks of every size up to the coefficient limit: large ones overflow 16
    // bits in the first pass, and their rows wrap the range table.
    for (int limit : {255, 2047, 4095, 8192}) {
        for (int n = 0; n < 1000; ++n) {
            for (int16_t& c : block) c = uniform(-limit, limit);
            ExpectSameTransform(block, tables, "dense", n);
        }
    }
    // Extremes: every coefficient at a limit, in sign patterns that add up in one output.
    for (int pattern = 0; pattern < 256; ++pattern) {
        for (int k = 0; k < 64; ++k) {
            bool positive = ((pattern >> (k % 8)) ^ (k / 8)) & 1;
            block[k] = positive ? 8192 : -8192;
        }
        ExpectSameTransform(block, tables, "extreme", pattern);
        for (int k = 0; k < 64; ++k) block[k] = int16_t(block[k] / 8);
        ExpectSameTransform(block, tables, "near 16 bits", pattern);
    }
}

TEST(JpegDsp, RowsMatchTheReference) {
    Tables tables;
    std::mt19937 random(12);
    for (int32_t width = 1; width <= 70; ++width) {
        const size_t length = static_cast<size_t>(width);
        std::vector<uint8_t> y(length), cb(length), cr(length);
        for (int round = 0; round < 20; ++round) {
            for (int32_t x = 0; x < width; ++x) {
                // The ends of the range turn up often: they clamp.
                y[x] = uint8_t(round < 4 ? (round & 1) * 255 : random());
                cb[x] = uint8_t(round < 4 ? (round >> 1) * 255 : random());
                cr[x] = uint8_t(round < 4 ? 255 - (round & 1) * 255 : random());
            }
            for (int shift = 0; shift < 2; ++shift) {
                std::vector<uint8_t> fast(size_t(width) * 3 + 16, 0x5A);
                std::vector<uint8_t> reference(fast);
                JpegColourRow(y.data(), cb.data(), cr.data(), shift, width, tables.colour,
                              tables.range, fast.data());
                JpegColourRowReference(y.data(), cb.data(), cr.data(), shift, width, tables.colour,
                                       tables.range, reference.data());
                ASSERT_EQ(fast, reference) << "width " << width << " shift " << shift;
                // A pair sharing the chroma row: this row and the same luma reversed.
                std::vector<uint8_t> other(y.rbegin(), y.rend());
                std::vector<uint8_t> second(fast.size(), 0x5A), secondReference(second);
                JpegColourRowPair(y.data(), other.data(), cb.data(), cr.data(), shift, width,
                                  tables.colour, tables.range, fast.data(), second.data());
                JpegColourRowReference(other.data(), cb.data(), cr.data(), shift, width,
                                       tables.colour, tables.range, secondReference.data());
                ASSERT_EQ(fast, reference) << "pair, width " << width << " shift " << shift;
                ASSERT_EQ(second, secondReference) << "pair, width " << width;
            }
            std::vector<uint8_t> fast(size_t(width) * 3 + 16, 0x5A);
            std::vector<uint8_t> reference(fast);
            JpegGreyRow(y.data(), width, fast.data());
            JpegGreyRowReference(y.data(), width, reference.data());
            ASSERT_EQ(fast, reference) << "grey width " << width;
        }
    }
}

}  // namespace
