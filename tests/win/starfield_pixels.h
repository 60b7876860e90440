// What the default background looks like in a screenshot: stars and the lit cloud.
#pragma once

#include <string>

#include "scr_driver.h"

struct StarCount {
    int pixels = 0;
    int places = 0;  // 16 x 16 cells with a star pixel
};

StarCount CountStars(const Shot& shot);
// Share of pixels the cloud lights: the default background tints it blue.
double CloudShare(const Shot& shot);

// The rectangle [left, right) x [top, bottom) of a shot as a shot of its own.
Shot PartOf(const Shot& shot, int left, int top, int right, int bottom);

// What keeps a frame from showing the star field, empty when nothing does: stars in
// many places, the cloud over a good part, the tiled layer repeating seven times across.
std::string StarFieldFault(const Shot& shot);
// What keeps the scene from covering the rectangle of a shot at (left, top), width x
// height, empty when nothing does: stars and the cloud in every quarter of it.
std::string QuartersFault(const Shot& shot, int left, int top, int width, int height);
// Whether a later frame has moved on from an earlier one: the stars came on, the cloud
// drifted (as a second does).
bool MovedOn(const Shot& earlier, const Shot& later);

// Two frames of the saver show the star field, and the picture moved between them.
void ExpectMovingStarField(const Shot& first, const Shot& second);
