#include "starfield_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

// Stars: near white. The backdrop is tinted by at most (60, 70, 130) and the trails
// raise it by 1 / (1 - 0.55) at most, so its red and green stay well below this.
bool IsStar(const Pixel& p) {
    return std::min({p.r, p.g, p.b}) >= 170;
}

}  // namespace

StarCount CountStars(const Shot& shot) {
    StarCount count;
    std::set<int> cells;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (IsStar(shot.At(x, y))) {
                ++count.pixels;
                cells.insert((y / 16) * 1000 + x / 16);
            }
    count.places = int(cells.size());
    return count;
}

double CloudShare(const Shot& shot) {
    int lit = 0;
    for (const Pixel& p : shot.pixels) lit += p.b >= 30 && p.b > p.r;
    return double(lit) / double(shot.pixels.size());
}

Shot PartOf(const Shot& shot, int left, int top, int right, int bottom) {
    Shot part;
    part.width = right - left;
    part.height = bottom - top;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) part.pixels.push_back(shot.At(x, y));
    return part;
}

namespace {

// The fine detail of the frame (each pixel less its 5 x 5 neighbourhood's mean).
std::vector<double> Detail(const Shot& shot) {
    std::vector<double> detail(shot.pixels.size(), 0.0);
    for (int y = 2; y < shot.height - 2; ++y)
        for (int x = 2; x < shot.width - 2; ++x) {
            double sum = 0.0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const Pixel& p = shot.At(x + dx, y + dy);
                    sum += p.r + p.g + p.b;
                }
            const Pixel& p = shot.At(x, y);
            detail[size_t(y) * size_t(shot.width) + size_t(x)] = (p.r + p.g + p.b) - sum / 25.0;
        }
    return detail;
}

// The intro plays over the first seconds: its logo and text lines lie across the middle
// and the foot of the frame, in rows 190..320 and from 430 down of the virtual screen.
bool IntroRow(const Shot& shot, int y) {
    int virtualY = y * 480 / shot.height;
    return (virtualY >= 190 && virtualY < 320) || virtualY >= 430;
}

// How much the fine detail matches itself dx pixels to the right (-1..1), in the rows
// the intro leaves alone.
double DetailCorrelation(const Shot& shot, const std::vector<double>& detail, int dx) {
    double products = 0.0, left = 0.0, right = 0.0;
    for (int y = 2; y < shot.height - 2; ++y)
        for (int x = 2; x + dx < shot.width - 2 && !IntroRow(shot, y); ++x) {
            double a = detail[size_t(y) * size_t(shot.width) + size_t(x)];
            double b = detail[size_t(y) * size_t(shot.width) + size_t(x + dx)];
            products += a * b;
            left += a * a;
            right += b * b;
        }
    return left > 0.0 && right > 0.0 ? products / std::sqrt(left * right) : 0.0;
}

}  // namespace

void ExpectMovingStarField(const Shot& first, const Shot& second) {
    ASSERT_FALSE(first.pixels.empty());
    ASSERT_FALSE(second.pixels.empty());
    ASSERT_EQ(first.width, second.width);
    ASSERT_EQ(first.height, second.height);
    for (const Shot* shot : {&first, &second}) {
        // Stars, bright over the backdrop, in many places.
        StarCount stars = CountStars(*shot);
        EXPECT_GE(stars.pixels, 20);
        EXPECT_GE(stars.places, 8);
        // The cloud layer: a good part of the frame is lit blue, not black.
        double cloud = CloudShare(*shot);
        EXPECT_GT(cloud, 0.15);
        EXPECT_LT(cloud, 0.995);
        // The tiled layer repeats 7 times across the frame: its fine detail matches
        // itself one seventh of the width on, much more than at other distances.
        std::vector<double> detail = Detail(*shot);
        int period = int(std::lround(shot->width / 7.0));
        double atPeriod = DetailCorrelation(*shot, detail, period);
        double between = DetailCorrelation(*shot, detail, period / 2);
        EXPECT_GT(atPeriod, 0.2);
        EXPECT_GT(atPeriod, between + 0.15) << "period " << period;
    }

    // A second later the frame has changed: the stars came on, the cloud drifted.
    int changed = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i) {
        const Pixel& a = first.pixels[i];
        const Pixel& b = second.pixels[i];
        changed += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 24;
    }
    EXPECT_GT(changed, int(first.pixels.size() / 50));
}
