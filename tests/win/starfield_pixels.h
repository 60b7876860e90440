// What the default background looks like in a screenshot: stars and the lit cloud.
#pragma once

#include "scr_driver.h"

struct StarCount {
    int pixels = 0;
    int places = 0;  // 16 x 16 cells with a star pixel
};

StarCount CountStars(const Shot& shot);
// Share of pixels the cloud lights: the default background tints it blue.
double CloudShare(const Shot& shot);
