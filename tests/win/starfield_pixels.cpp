#include "starfield_pixels.h"

#include <algorithm>
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
