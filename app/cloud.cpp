#include "cloud.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

const int kOctaves = 5;  // frequencies 16 >> octave
const int kSide = CLOUD_IMAGE_SIZE;
const float kStep = 5.0f / kSide;  // noise units between neighbouring pixels

// The exponent of a sum's grey: the sum's upper half of the noise range, as 0..0.5.
float Exponent(float sum) {
    float e = std::min((2.0f * sum + 1.0f) * 0.5f, 1.0f);
    e = std::max(e, 0.0f) - 0.5f;
    return std::max(e, 0.0f);
}

uint8_t GreyOfExponent(float e) {
    return uint8_t((1.0f - std::pow(0.01f, e)) * 256.0f);
}

// ------------------------------------------------------------------ greys by table

// The grey rises with the exponent, by at most 1180 per unit (the slope at 0), so a
// 1/4096 slice of the exponent holds at most one step: each slice keeps its grey at
// its start and where within it the next grey begins (found with pow itself).
const int kSlices = 4096;

struct GreySteps {
    bool made = false;
    uint8_t start[kSlices / 2 + 1];  // exponents 0..0.5
    float next[kSlices / 2 + 1];     // above the slice when it holds no step
};

const GreySteps& Steps() {
    static GreySteps steps;
    if (steps.made) return steps;
    const int slices = kSlices / 2 + 1;
    for (int s = 0; s < slices; ++s) {
        steps.start[s] = GreyOfExponent(float(s) / kSlices);
        steps.next[s] = 1.0f;
    }
    // The smallest exponent of each grey, halving between neighbouring floats (whose
    // bit patterns sort as their values do for positive numbers).
    int top = GreyOfExponent(0.5f);
    for (int grey = 1; grey <= top; ++grey) {
        uint32_t below = BitsOf(0.0f), at = BitsOf(0.5f);
        while (at - below > 1) {
            uint32_t middle = below + (at - below) / 2;
            if (GreyOfExponent(FloatOf(middle)) >= grey)
                at = middle;
            else
                below = middle;
        }
        float first = FloatOf(at);
        int s = int(first * kSlices);
        if (float(s) / kSlices < first) steps.next[s] = first;
    }
    steps.made = true;
    return steps;
}

#ifdef __SSE2__

// ------------------------------------------------------------------- SSE2 noise sums

// What depends only on a pixel's column or row: per octave the lattice axis and its
// s-curve, exactly as Noise3 derives them from the coordinate.
struct Grid {
    bool made = false;
    NoiseAxis x[kOctaves][kSide], y[kOctaves][kSide];
    alignas(16) float sx[kOctaves][kSide];
    float sy[kOctaves][kSide];
};

const Grid& TheGrid() {
    static Grid grid;
    if (grid.made) return grid;
    for (int octave = 0; octave < kOctaves; ++octave) {
        int f = 16 >> octave;
        for (int k = 0; k < kSide; ++k) {
            float p = k * kStep;
            NoiseAxis axis = NoiseSetupAxis(f * p);
            grid.x[octave][k] = grid.y[octave][k] = axis;
            grid.sx[octave][k] = grid.sy[octave][k] = NoiseSCurve(axis.fromLow);
        }
    }
    grid.made = true;
    return grid;
}

// One z lattice plane of one octave: for every pixel and each of the four lattice
// columns around it (x low/high by y low/high, Noise3's b00, b10, b01, b11) the x and y
// terms of the corner's gradient product, and the gradient's z for the frame's term.
// Kept by groups of four pixels, each group's eight vectors together, so a frame reads
// a plane front to back.
struct Plane {
    int z = -1;  // none yet
    uint32_t generation = 0;
    alignas(16) float groups[CLOUD_PIXELS / 4][8][4];  // xy of columns 0-3, then gz
};

Plane planes[kOctaves][2];

void FillPlane(Plane& plane, int octave, int z, const NoiseLattice& lattice) {
    const Grid& grid = TheGrid();
    const int* permutation = lattice.permutation;
    for (int j = 0; j < kSide; ++j) {
        const NoiseAxis& y = grid.y[octave][j];
        for (int i = 0; i < kSide; ++i) {
            const NoiseAxis& x = grid.x[octave][i];
            int low = permutation[x.low], high = permutation[x.high];
            const int columns[4] = {permutation[low + y.low], permutation[high + y.low],
                                    permutation[low + y.high], permutation[high + y.high]};
            const float rx[4] = {x.fromLow, x.fromHigh, x.fromLow, x.fromHigh};
            const float ry[4] = {y.fromLow, y.fromLow, y.fromHigh, y.fromHigh};
            float(*group)[4] = plane.groups[(j * kSide + i) / 4];
            for (int c = 0; c < 4; ++c) {
                const float* g = lattice.gradients[columns[c] + z];
                group[c][i % 4] = rx[c] * g[0] + ry[c] * g[1];
                group[4 + c][i % 4] = g[2];
            }
        }
    }
    plane.z = z;
    plane.generation = lattice.generation;
}

Plane* FindPlane(int octave, int z, const NoiseLattice& lattice) {
    for (Plane& plane : planes[octave])
        if (plane.z == z && plane.generation == lattice.generation) return &plane;
    return nullptr;
}

// The octave's planes at lattice z low and high; a plane the last frame made stays, so
// drifting into the next plane (either way) makes only that one.
void PlanesAt(int octave, const NoiseAxis& z, const NoiseLattice& lattice, const Plane** low,
              const Plane** high) {
    Plane* lowPlane = FindPlane(octave, z.low, lattice);
    Plane* highPlane = FindPlane(octave, z.high, lattice);
    Plane* slots = planes[octave];
    if (!lowPlane) {
        lowPlane = highPlane == &slots[0] ? &slots[1] : &slots[0];
        FillPlane(*lowPlane, octave, z.low, lattice);
    }
    if (!highPlane) {
        highPlane = lowPlane == &slots[0] ? &slots[1] : &slots[0];
        FillPlane(*highPlane, octave, z.high, lattice);
    }
    *low = lowPlane;
    *high = highPlane;
}

inline __m128 Blend(__m128 t, __m128 a, __m128 b) {
    return _mm_add_ps(a, _mm_mul_ps(t, _mm_sub_ps(b, a)));
}

// Noise3's corner product for four pixels: the plane's x and y terms, then the z term.
inline __m128 Corner(const float (*group)[4], int column, __m128 rz) {
    return _mm_add_ps(_mm_load_ps(group[column]), _mm_mul_ps(rz, _mm_load_ps(group[4 + column])));
}

void FastSums(float offset, float sums[CLOUD_PIXELS]) {
    const Grid& grid = TheGrid();
    NoiseLattice lattice = GetNoiseLattice();
    // Octave by octave, in the reference's order so the sums round the same way.
    for (int octave = 0; octave < kOctaves; ++octave) {
        int f = 16 >> octave;
        NoiseAxis z = NoiseSetupAxis(f * offset);
        const Plane* low;
        const Plane* high;
        PlanesAt(octave, z, lattice, &low, &high);
        const __m128 fromLow = _mm_set1_ps(z.fromLow), fromHigh = _mm_set1_ps(z.fromHigh);
        const __m128 sz = _mm_set1_ps(NoiseSCurve(z.fromLow));
        // Dividing by a power of two and multiplying by its exact inverse round alike.
        const __m128 weight = _mm_set1_ps(1.0f / float(f));
        for (int j = 0; j < kSide; ++j) {
            const __m128 sy = _mm_set1_ps(grid.sy[octave][j]);
            for (int i = 0; i < kSide; i += 4) {
                int p = j * kSide + i;
                const float(*lower)[4] = low->groups[p / 4];
                const float(*upper)[4] = high->groups[p / 4];
                __m128 t = _mm_load_ps(&grid.sx[octave][i]);
                __m128 a = Blend(t, Corner(lower, 0, fromLow), Corner(lower, 1, fromLow));
                __m128 b = Blend(t, Corner(lower, 2, fromLow), Corner(lower, 3, fromLow));
                __m128 c = Blend(sy, a, b);
                a = Blend(t, Corner(upper, 0, fromHigh), Corner(upper, 1, fromHigh));
                b = Blend(t, Corner(upper, 2, fromHigh), Corner(upper, 3, fromHigh));
                __m128 d = Blend(sy, a, b);
                __m128 n = octave ? _mm_loadu_ps(sums + p) : _mm_setzero_ps();
                _mm_storeu_ps(sums + p, _mm_add_ps(n, _mm_mul_ps(Blend(sz, c, d), weight)));
            }
        }
    }
}

#endif  // __SSE2__

}  // namespace

void CloudSumsReference(float offset, float sums[CLOUD_PIXELS]) {
    for (int j = 0; j < kSide; ++j) {
        for (int i = 0; i < kSide; ++i) {
            const float p[3] = {i * kStep, j * kStep, offset};
            // Five octaves, each finer one weaker.
            float n = 0.0f;
            for (int f = 16; f >= 1; f /= 2) {
                const float q[3] = {f * p[0], f * p[1], f * p[2]};
                n += Noise3(q) / float(f);
            }
            sums[j * kSide + i] = n;
        }
    }
}

void CloudSums(float offset, float sums[CLOUD_PIXELS]) {
#ifdef __SSE2__
    FastSums(offset, sums);
#else
    CloudSumsReference(offset, sums);
#endif
}

uint8_t CloudGreyReference(float sum) {
    return GreyOfExponent(Exponent(sum));
}

void CloudGreys(const float sums[CLOUD_PIXELS], uint8_t greys[CLOUD_PIXELS]) {
    const GreySteps& steps = Steps();
    int p = 0;
#ifdef __SSE2__
    // Exponent() four at a time: minps and maxps with the constant first pick as
    // std::min and std::max do (the constant unless the other value is beyond it).
    const __m128 one = _mm_set1_ps(1.0f), two = _mm_set1_ps(2.0f), half = _mm_set1_ps(0.5f);
    const __m128 zero = _mm_setzero_ps(), slices = _mm_set1_ps(float(kSlices));
    for (; p < CLOUD_PIXELS; p += 4) {
        __m128 n = _mm_loadu_ps(sums + p);
        __m128 e = _mm_min_ps(one, _mm_mul_ps(_mm_add_ps(_mm_mul_ps(two, n), one), half));
        e = _mm_max_ps(zero, _mm_sub_ps(_mm_max_ps(zero, e), half));
        alignas(16) float exponents[4];
        alignas(16) int32_t slice[4];
        _mm_store_ps(exponents, e);
        _mm_store_si128(reinterpret_cast<__m128i*>(slice), _mm_cvttps_epi32(_mm_mul_ps(e, slices)));
        for (int k = 0; k < 4; ++k)
            greys[p + k] = uint8_t(steps.start[slice[k]] + (exponents[k] >= steps.next[slice[k]]));
    }
#endif
    for (; p < CLOUD_PIXELS; ++p) {
        float e = Exponent(sums[p]);
        int s = int(e * kSlices);
        greys[p] = uint8_t(steps.start[s] + (e >= steps.next[s]));
    }
}
