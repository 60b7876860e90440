// The cloud image's arithmetic: five octaves of Noise3 (frequencies 16, 8, 4, 2, 1)
// summed over a 64 x 64 grid at one position along the drift axis, and the grey that
// each sum gives.
//
// Two ways to the same bits. The reference evaluates Noise3 for every pixel and octave
// (about 20 ns each on x86-64, 440 us an image) and calls pow for every bright pixel.
// The fast one (SSE2) keeps what no frame changes: the grid's lattice cells and
// distances, and for each z lattice plane an octave touches, the x and y terms of every
// corner's gradient product, which it only rebuilds when the drift enters a new plane
// (every 6 frames or more for the finest octave at the default drift). A frame is then
// a few multiply-adds and blends per pixel and octave, four pixels at a time. The grey
// of a sum comes from where the pow curve crosses each whole grey, found once.
#pragma once

#include <cstdint>
#include <cstring>

#define CLOUD_IMAGE_SIZE 64
#define CLOUD_PIXELS (CLOUD_IMAGE_SIZE * CLOUD_IMAGE_SIZE)

// Noise sums of every pixel (rows from the top) with the drift axis at `offset`.
void CloudSumsReference(float offset, float sums[CLOUD_PIXELS]);
void CloudSums(float offset, float sums[CLOUD_PIXELS]);

// The grey of one sum: 0 up to the middle of the noise's range, then up to 230.
uint8_t CloudGreyReference(float sum);
void CloudGreys(const float sums[CLOUD_PIXELS], uint8_t greys[CLOUD_PIXELS]);

// A float's bits and back: the grey steps are found, and the two ways compared, bit by
// bit.
inline uint32_t BitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float FloatOf(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
