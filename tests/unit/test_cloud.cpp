// The cloud image's fast path against the reference, bit for bit: the noise sums over
// runs of frames (drifting forward, backward, in jumps and across the period, with the
// tables rebuilt for new seeds between runs), and the grey of a sum around every point
// where the reference's grey steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "cloud.h"
#include "noise.h"

namespace {

// The first pixel whose fast sum differs from the reference in any bit, or -1.
int FirstDifference(float offset) {
    static float fast[CLOUD_PIXELS], reference[CLOUD_PIXELS];
    CloudSums(offset, fast);
    CloudSumsReference(offset, reference);
    for (int p = 0; p < CLOUD_PIXELS; ++p)
        if (BitsOf(fast[p]) != BitsOf(reference[p])) return p;
    return -1;
}

TEST(CloudFastPath, SumsMatchTheReferenceFrameAfterFrame) {
    // Each run: a seed, a start and the drifts of its frames.
    struct Run {
        unsigned seed;
        float start;
        std::vector<float> drifts;
    };
    const std::vector<Run> runs = {
        {1, 0.0f, std::vector<float>(40, 0.01f)},  // the default drift
        {2, 3.9f, std::vector<float>(30, 0.015f)},
        {2, 17.3f, std::vector<float>(30, -0.013f)},  // backward, same tables
        {3, 250.0f, {0.7f, 2.5f, -6.1f, 40.0f, 0.0f, 0.0f, 1.0f / 16, 1.0f / 16, 100.0f}},
        {4, 255.99f, {0.005f, 0.005f, -0.01f, -0.01f}},  // across the period
        {5, -3.3f, {1e-7f, 0.3f}},
        {6, 1e9f, {0.0f}},  // beyond the lattice offset: the origin plane
    };
    for (const Run& run : runs) {
        std::srand(run.seed);
        ResetNoise();
        float offset = run.start;
        for (size_t frame = 0; frame <= run.drifts.size(); ++frame) {
            ASSERT_EQ(FirstDifference(offset), -1)
                << "seed " << run.seed << " frame " << frame << " offset " << offset;
            if (frame < run.drifts.size()) offset += run.drifts[frame];
        }
    }
    float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(FirstDifference(nan), -1);
}

void ExpectGreysMatch(const std::vector<float>& sums) {
    std::vector<float> batch(CLOUD_PIXELS);
    uint8_t greys[CLOUD_PIXELS];
    for (size_t first = 0; first < sums.size(); first += CLOUD_PIXELS) {
        for (size_t k = 0; k < batch.size(); ++k)
            batch[k] = first + k < sums.size() ? sums[first + k] : 0.0f;
        CloudGreys(batch.data(), greys);
        for (size_t k = 0; k < batch.size(); ++k)
            ASSERT_EQ(int(greys[k]), int(CloudGreyReference(batch[k])))
                << "sum " << batch[k] << " (bits " << BitsOf(batch[k]) << ")";
    }
}

TEST(CloudFastPath, GreysMatchTheReferenceAtEveryStep) {
    // Every float within 300 of each sum where the reference's grey steps up.
    std::vector<float> sums;
    uint32_t low = BitsOf(0.0f), high = BitsOf(0.5f);
    int top = CloudGreyReference(0.5f);
    ASSERT_EQ(top, 230);
    int steps = 0;
    for (int grey = 1; grey <= top; ++grey) {
        uint32_t below = low, at = high;
        while (at - below > 1) {
            uint32_t middle = below + (at - below) / 2;
            if (CloudGreyReference(FloatOf(middle)) >= grey)
                at = middle;
            else
                below = middle;
        }
        ++steps;
        for (uint32_t bits = at - 300; bits <= at + 300; ++bits) sums.push_back(FloatOf(bits));
    }
    EXPECT_EQ(steps, 230);
    // And sums from all over the noise's range, with its ends and zeros.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anywhere(-1.5f, 1.5f);
    for (int k = 0; k < 50000; ++k) sums.push_back(anywhere(random));
    for (float edge : {-1.0f, -0.5f, -0.0f, 0.0f, 0.5f, 1.0f, 2.0f, -2.0f}) sums.push_back(edge);
    ExpectGreysMatch(sums);
}

}  // namespace
