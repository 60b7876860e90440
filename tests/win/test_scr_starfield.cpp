// The star field as the user sees it: Novadrift.scr runs full screen and its window's
// pixels are read back from the desktop with GDI, twice, a second apart.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "scr_shots.h"

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

// How much the fine detail matches itself dx pixels to the right (-1..1).
double DetailCorrelation(const Shot& shot, const std::vector<double>& detail, int dx) {
    double products = 0.0, left = 0.0, right = 0.0;
    for (int y = 2; y < shot.height - 2; ++y)
        for (int x = 2; x + dx < shot.width - 2; ++x) {
            double a = detail[size_t(y) * size_t(shot.width) + size_t(x)];
            double b = detail[size_t(y) * size_t(shot.width) + size_t(x + dx)];
            products += a * b;
            left += a * a;
            right += b * b;
        }
    return left > 0.0 && right > 0.0 ? products / std::sqrt(left * right) : 0.0;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ScrStarField, TheMovingStarFieldIsDrawnOverTheCloudAndTiledLayers) {
    Shot first, second;
    unsigned firstAt = 0;
    bool closed = false;
    unsigned windowSeen = 0;
    ScrRun run = RunScr("", 90000, "", [&](unsigned elapsed) {
        if (!windowSeen && FindWindowA("Novadrift", nullptr)) windowSeen = elapsed;
        // A few seconds in, so the first frames (and any mode change) are over.
        if (windowSeen && first.pixels.empty() && elapsed >= windowSeen + 4000) {
            first = CaptureScrWindow();
            firstAt = elapsed;
        } else if (!first.pixels.empty() && second.pixels.empty() && elapsed >= firstAt + 1000) {
            second = CaptureScrWindow();
        } else if (!second.pixels.empty() && !closed) {
            closed = CloseScrWindow();
        }
    });
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
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

    std::vector<std::string> log =
        LogBodies(ReadFileText(TestProgramDirectory() + "Novadrift.log"));
    EXPECT_TRUE(HasLine(log, "INIT : Creating animator"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting background"));
    EXPECT_TRUE(HasLine(log, "EXIT : Freeing VxAnimator"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    // The cloud texture is made anew every frame without a word in the log.
    EXPECT_FALSE(HasLine(log, "WARNING : Using slow 24 to 24 conversion"));
}

}  // namespace
