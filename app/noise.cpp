#include "noise.h"

#include <cmath>
#include <cstdlib>

namespace {

const int kSize = 256;  // lattice points per axis before the pattern repeats
const int kMask = 255;
const float kOffset = 4096.0f;  // keeps negative coordinates positive before truncating

// The first 258 entries are repeated after the 256, so an index sum up to 2 * 256 + 1
// needs no masking.
int permutation[kSize + kSize + 2];
float gradients[kSize + kSize + 2][3];
bool built;
uint32_t generation;

// The Windows runtime's rand() gives 15 bits; only those are taken so every build
// draws the same tables for a seed.
int Rand15() {
    return std::rand() & 0x7fff;
}

void BuildTables() {
    int i;
    for (i = 0; i < kSize; ++i) {
        permutation[i] = i;
        float* g = gradients[i];
        for (int c = 0; c < 3; ++c) g[c] = float(Rand15() % (kSize + kSize) - kSize) / kSize;
        float length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
        // All three components at 0 (one draw in 2^27) stays the zero gradient.
        if (length > 0.0f)
            for (int c = 0; c < 3; ++c) g[c] /= length;
    }
    while (--i) {
        int j = Rand15() % kSize;
        int kept = permutation[i];
        permutation[i] = permutation[j];
        permutation[j] = kept;
    }
    for (i = 0; i < kSize + 2; ++i) {
        permutation[kSize + i] = permutation[i];
        for (int c = 0; c < 3; ++c) gradients[kSize + i][c] = gradients[i][c];
    }
    built = true;
    ++generation;
}

float At(int index, float rx, float ry, float rz) {
    const float* q = gradients[index];
    return rx * q[0] + ry * q[1] + rz * q[2];
}

}  // namespace

// One axis: the two lattice cells around the coordinate and the distances to them.
NoiseAxis NoiseSetupAxis(float coordinate) {
    float t = coordinate + kOffset;
    // Beyond the offset (or no number) the truncation below would be undefined; such
    // coordinates sit at the lattice origin instead.
    if (!(t >= 0.0f && t < 2147483520.0f)) t = 0.0f;
    int whole = int(t);
    NoiseAxis axis;
    axis.low = whole & kMask;
    axis.high = (axis.low + 1) & kMask;
    axis.fromLow = t - float(whole);
    axis.fromHigh = axis.fromLow - 1.0f;
    return axis;
}

NoiseLattice GetNoiseLattice() {
    if (!built) BuildTables();
    return NoiseLattice{permutation, gradients, generation};
}

void ResetNoise() {
    built = false;
}

float Noise3(const float point[3]) {
    if (!built) BuildTables();
    NoiseAxis x = NoiseSetupAxis(point[0]);
    NoiseAxis y = NoiseSetupAxis(point[1]);
    NoiseAxis z = NoiseSetupAxis(point[2]);

    int i = permutation[x.low];
    int j = permutation[x.high];
    int b00 = permutation[i + y.low];
    int b10 = permutation[j + y.low];
    int b01 = permutation[i + y.high];
    int b11 = permutation[j + y.high];

    float t = NoiseSCurve(x.fromLow);
    float sy = NoiseSCurve(y.fromLow);
    float sz = NoiseSCurve(z.fromLow);

    float u = At(b00 + z.low, x.fromLow, y.fromLow, z.fromLow);
    float v = At(b10 + z.low, x.fromHigh, y.fromLow, z.fromLow);
    float a = NoiseLerp(t, u, v);
    u = At(b01 + z.low, x.fromLow, y.fromHigh, z.fromLow);
    v = At(b11 + z.low, x.fromHigh, y.fromHigh, z.fromLow);
    float b = NoiseLerp(t, u, v);
    float c = NoiseLerp(sy, a, b);

    u = At(b00 + z.high, x.fromLow, y.fromLow, z.fromHigh);
    v = At(b10 + z.high, x.fromHigh, y.fromLow, z.fromHigh);
    a = NoiseLerp(t, u, v);
    u = At(b01 + z.high, x.fromLow, y.fromHigh, z.fromHigh);
    v = At(b11 + z.high, x.fromHigh, y.fromHigh, z.fromHigh);
    b = NoiseLerp(t, u, v);
    float d = NoiseLerp(sy, a, b);

    return NoiseLerp(sz, c, d);
}
