// What Novadrift.scr shows, as pictures the tests can measure: its window read back
// from the desktop with GDI, or the whole X screen as X itself has it (ImageMagick's
// import), and the marks of the star field in such a picture.
#pragma once

#include <string>
#include <vector>

struct Pixel {
    int r, g, b;
};

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    const Pixel& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // The rectangle [left, right) x [top, bottom) as a picture of its own.
    Shot Part(int left, int top, int right, int bottom) const;
};

// The saver's window (class "Novadrift") as it is on the desktop now; empty without one.
Shot CaptureScrWindow();
// The X display's root window, taken by ImageMagick outside Wine; empty when that
// failed within the time-out.
Shot CaptureXRoot(unsigned timeoutMs = 15000);

// Stars: near white. The backdrop is tinted by at most (60, 70, 130) and the trails
// raise it by 1 / (1 - 0.55) at most, so its red and green stay well below this.
bool IsStar(const Pixel& p);

struct StarCount {
    int pixels = 0;
    int places = 0;  // 16 x 16 cells with a star pixel
};
StarCount CountStars(const Shot& shot);

// Share of pixels the cloud lights: the default background tints it blue.
double CloudShare(const Shot& shot);

// Two frames of the saver a second apart show the star field: stars in many places,
// the cloud over a good part, the tiled layer repeating seven times across, and the
// picture moving between them.
void ExpectMovingStarField(const Shot& first, const Shot& second);
