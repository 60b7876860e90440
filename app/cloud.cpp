#include "cloud.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

uint32_t BitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FloatOf(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

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
struct Plane {
    int z = -1;  // none yet
    uint32_t generation = 0;
    alignas(16) float xy[4][CLOUD_PIXELS];
    alignas(16) float gz[4][CLOUD_PIXELS];
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
            int p = j * kSide + i;
            for (int c = 0; c < 4; ++c) {
                const float* g = lattice.gradients[columns[c] + z];
                plane.xy[c][p] = rx[c] * g[0] + ry[c] * g[1];
                plane.gz[c][p] = g[2];
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

// Noise3's corner product: the plane's x and y terms, then the z term.
inline __m128 Corner(const Plane& plane, int column, int p, __m128 rz) {
    return _mm_add_ps(_mm_load_ps(&plane.xy[column][p]),
                      _mm_mul_ps(rz, _mm_load_ps(&plane.gz[column][p])));
}

void FastSums(float offset, float sums[CLOUD_PIXELS]) {
    const Grid& grid = TheGrid();
    NoiseLattice lattice = GetNoiseLattice();
    const Plane* lows[kOctaves];
    const Plane* highs[kOctaves];
    __m128 fromLow[kOctaves], fromHigh[kOctaves], sz[kOctaves], weight[kOctaves];
    for (int octave = 0; octave < kOctaves; ++octave) {
        int f = 16 >> octave;
        NoiseAxis z = NoiseSetupAxis(f * offset);
        PlanesAt(octave, z, lattice, &lows[octave], &highs[octave]);
        fromLow[octave] = _mm_set1_ps(z.fromLow);
        fromHigh[octave] = _mm_set1_ps(z.fromHigh);
        sz[octave] = _mm_set1_ps(NoiseSCurve(z.fromLow));
        // Dividing by a power of two and multiplying by its exact inverse round alike.
        weight[octave] = _mm_set1_ps(1.0f / float(f));
    }
    for (int j = 0; j < kSide; ++j) {
        for (int i = 0; i < kSide; i += 4) {
            int p = j * kSide + i;
            // The octaves in the reference's order, so the sum rounds the same way.
            __m128 n = _mm_setzero_ps();
            for (int octave = 0; octave < kOctaves; ++octave) {
                const Plane& low = *lows[octave];
                const Plane& high = *highs[octave];
                __m128 t = _mm_load_ps(&grid.sx[octave][i]);
                __m128 sy = _mm_set1_ps(grid.sy[octave][j]);
                __m128 a = Blend(t, Corner(low, 0, p, fromLow[octave]),
                                 Corner(low, 1, p, fromLow[octave]));
                __m128 b = Blend(t, Corner(low, 2, p, fromLow[octave]),
                                 Corner(low, 3, p, fromLow[octave]));
                __m128 c = Blend(sy, a, b);
                a = Blend(t, Corner(high, 0, p, fromHigh[octave]),
                          Corner(high, 1, p, fromHigh[octave]));
                b = Blend(t, Corner(high, 2, p, fromHigh[octave]),
                          Corner(high, 3, p, fromHigh[octave]));
                __m128 d = Blend(sy, a, b);
                n = _mm_add_ps(n, _mm_mul_ps(Blend(sz[octave], c, d), weight[octave]));
            }
            _mm_storeu_ps(sums + p, n);
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
    for (int p = 0; p < CLOUD_PIXELS; ++p) {
        float e = Exponent(sums[p]);
        int s = int(e * kSlices);
        greys[p] = uint8_t(steps.start[s] + (e >= steps.next[s]));
    }
}
