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

std::string QuartersFault(const Shot& shot, int left, int top, int width, int height) {
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int x = left + (quarter % 2) * width / 2;
        const int y = top + (quarter / 2) * height / 2;
        Shot part = PartOf(shot, x, y, x + width / 2, y + height / 2);
        StarCount stars = CountStars(part);
        double cloud = CloudShare(part);
        if (stars.pixels < 20 || stars.places < 3 || cloud <= 0.15 || cloud >= 0.995)
            return "quarter at " + std::to_string(x) + ", " + std::to_string(y) + ": " +
                   std::to_string(stars.pixels) + " star pixels in " +
                   std::to_string(stars.places) + " places, cloud over " + std::to_string(cloud);
    }
    return "";
}

std::string StarFieldFault(const Shot& shot) {
    if (shot.pixels.empty()) return "no picture";
    // Stars, bright over the backdrop, in many places.
    StarCount stars = CountStars(shot);
    if (stars.pixels < 20 || stars.places < 8)
        return "stars: " + std::to_string(stars.pixels) + " pixels in " +
               std::to_string(stars.places) + " places";
    // The cloud layer: a good part of the frame is lit blue, not black.
    double cloud = CloudShare(shot);
    if (cloud <= 0.15 || cloud >= 0.995) return "cloud over " + std::to_string(cloud);
    // The tiled layer repeats 7 times across the frame: its fine detail matches itself
    // one seventh of the width on, much more than at other distances.
    std::vector<double> detail = Detail(shot);
    int period = int(std::lround(shot.width / 7.0));
    double atPeriod = DetailCorrelation(shot, detail, period);
    double between = DetailCorrelation(shot, detail, period / 2);
    if (atPeriod <= 0.2 || atPeriod <= between + 0.15)
        return "tiled layer: " + std::to_string(atPeriod) + " at its period, " +
               std::to_string(between) + " between";
    return "";
}

bool MovedOn(const Shot& earlier, const Shot& later) {
    if (earlier.pixels.size() != later.pixels.size()) return false;
    size_t changed = 0;
    for (size_t i = 0; i < earlier.pixels.size(); ++i) {
        const Pixel& a = earlier.pixels[i];
        const Pixel& b = later.pixels[i];
        changed += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 24;
    }
    return changed > earlier.pixels.size() / 50;
}

void ExpectMovingStarField(const Shot& first, const Shot& second) {
    ASSERT_EQ(first.width, second.width);
    ASSERT_EQ(first.height, second.height);
    EXPECT_EQ(StarFieldFault(first), "");
    EXPECT_EQ(StarFieldFault(second), "");
    EXPECT_TRUE(MovedOn(first, second));
}
