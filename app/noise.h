// Perlin's reference gradient noise in three dimensions: a 256-entry permutation, one
// random unit gradient per lattice point, the lattice offset by 4096 and masked to 255,
// the s-curve 3t^2 - 2t^3 and linear blends. The result lies in about -1..1 and repeats
// every 256 units along each axis.
//
// The tables are built from rand() at the first evaluation, so a run's clouds follow its
// random seed.
#pragma once

float Noise3(const float point[3]);

// The next Noise3 builds the tables again from rand(); for a fresh seed.
void ResetNoise();
