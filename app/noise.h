// Perlin's reference gradient noise in three dimensions: a 256-entry permutation, one
// random unit gradient per lattice point, the lattice offset by 4096 and masked to 255,
// the s-curve 3t^2 - 2t^3 and linear blends. The result lies in about -1..1 and repeats
// every 256 units along each axis.
//
// The tables are built from rand() at the first evaluation, so a run's clouds follow its
// random seed.
#pragma once

#include <cstdint>

float Noise3(const float point[3]);

// The next Noise3 builds the tables again from rand(); for a fresh seed.
void ResetNoise();

// The pieces of Noise3, for code that evaluates it many times over a fixed grid and
// has to give the same bits: one axis's lattice cells and distances, the s-curve, the
// blend, and the tables themselves.
struct NoiseAxis {
    int low, high;
    float fromLow, fromHigh;
};
NoiseAxis NoiseSetupAxis(float coordinate);
inline float NoiseSCurve(float t) {
    return t * t * (3.0f - 2.0f * t);
}
inline float NoiseLerp(float t, float a, float b) {
    return a + t * (b - a);
}
// The permutation (514 entries) and the gradients, built when needed; `generation`
// changes whenever they are built again.
struct NoiseLattice {
    const int* permutation;
    const float (*gradients)[3];
    uint32_t generation;
};
NoiseLattice GetNoiseLattice();
