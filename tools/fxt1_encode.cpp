// FXT1 encoder.
//
// Four block modes: CC_HI, CC_CHROMA, and CC_MIXED with and without its alpha flag.
// CC_ALPHA is not written: the program's textures are opaque or cut out, which the
// other modes cover. In FXT1_ENCODE_BEST every mode is tried and the block that the
// reader itself decodes with the least error is kept, so the choice never rests on the
// fitting code's own idea of a palette.
//
// Line modes (HI, MIXED): endpoints start at the ends of the principal axis of the
// texels, are refined by least squares on the chosen levels, then by a descent over
// +-1 steps of each quantised channel. CHROMA: k-means on four quantised colours from
// two starts (levels along the axis; farthest points). The arithmetic of the palettes
// mirrors the reader's (5-bit widening (255 v + 15) / 31, 6-bit MIXED greens, CC_HI
// rounding + 3), so the search scores what will actually be decoded.
//
// Cost: about 0.14 ms a block for all four modes (sanitizer build at -O2), so the 2048
// blocks of a 256 x 256 texture take a third of a second. Nothing is allocated but the
// file buffer of Fxt1WriteFile.
//
// Sections: helpers; line modes (CC_HI, CC_MIXED); CC_CHROMA; packing and the file.
#include "fxt1_encode.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const int kTexels = FXT1_BLOCK_WIDTH * FXT1_BLOCK_HEIGHT;
const int kHalfTexels = 16;
// What a transparent source texel costs when it decodes opaque.
const uint32_t kLostTransparency = 65025u * 4;
const int kMaxDescentRounds = 48;

struct Texel {
    int rgb[3];  // red, green, blue
    bool transparent;
};

struct Entry {
    int rgb[3];
    bool transparent;
};

uint32_t EntryError(const Texel& texel, const Entry& entry) {
    if (texel.transparent) return entry.transparent ? 0 : kLostTransparency;
    uint32_t error = entry.transparent ? 65025u : 0u;
    for (int c = 0; c < 3; ++c) {
        int d = texel.rgb[c] - entry.rgb[c];
        error += uint32_t(d * d);
    }
    return error;
}

int Widen5(int v) {
    return (255 * v + 15) / 31;
}
int Widen6(int v) {
    return (255 * v + 31) / 63;
}

// ------------------------------------------------------------------ line modes

enum LineKind { LINE_HI, LINE_MIXED, LINE_MIXED_ALPHA };

// Quantised endpoints, channels red, green, blue: 5 bits, except the greens that the
// mode keeps with 6 bits (both in MIXED, the second in MIXED with its alpha flag).
struct Line {
    int a[3];
    int b[3];
};

int ChannelMax(LineKind kind, int endpoint, int channel) {
    if (channel != 1 || kind == LINE_HI) return 31;
    if (kind == LINE_MIXED_ALPHA && endpoint == 0) return 31;
    return 63;
}

int WidenChannel(LineKind kind, int endpoint, int channel, int v) {
    return ChannelMax(kind, endpoint, channel) == 63 ? Widen6(v) : Widen5(v);
}

// The position of each palette entry along the line (for least squares); -1 for the
// transparent entry.
float LevelWeight(LineKind kind, int i) {
    switch (kind) {
        case LINE_HI:
            return i < 7 ? float(i) / 6 : -1;
        case LINE_MIXED:
            return float(i) / 3;
        case LINE_MIXED_ALPHA:
            return i < 3 ? float(i) / 2 : -1;
    }
    return -1;
}

int MakePalette(LineKind kind, const Line& line, Entry palette[8]) {
    int p[3], q[3];
    for (int c = 0; c < 3; ++c) {
        p[c] = WidenChannel(kind, 0, c, line.a[c]);
        q[c] = WidenChannel(kind, 1, c, line.b[c]);
    }
    const Entry transparent = {{0, 0, 0}, true};
    switch (kind) {
        case LINE_HI:
            for (int i = 0; i < 7; ++i) {
                for (int c = 0; c < 3; ++c) palette[i].rgb[c] = ((6 - i) * p[c] + i * q[c] + 3) / 6;
                palette[i].transparent = false;
            }
            palette[7] = transparent;
            return 8;
        case LINE_MIXED:
            for (int i = 0; i < 4; ++i) {
                for (int c = 0; c < 3; ++c) palette[i].rgb[c] = ((3 - i) * p[c] + i * q[c] + 1) / 3;
                palette[i].transparent = false;
            }
            return 4;
        case LINE_MIXED_ALPHA:
            for (int c = 0; c < 3; ++c) {
                palette[0].rgb[c] = p[c];
                palette[1].rgb[c] = (p[c] + q[c]) / 2;
                palette[2].rgb[c] = q[c];
            }
            palette[0].transparent = palette[1].transparent = palette[2].transparent = false;
            palette[3] = transparent;
            return 4;
    }
    return 0;
}

// Nearest palette entry for each texel; returns the summed error.
uint32_t AssignIndices(const Entry* palette, int count, const Texel* texels, int n,
                       uint8_t* indices) {
    uint32_t total = 0;
    for (int t = 0; t < n; ++t) {
        uint32_t best = EntryError(texels[t], palette[0]);
        int bestIndex = 0;
        for (int i = 1; i < count && best; ++i) {
            uint32_t error = EntryError(texels[t], palette[i]);
            if (error < best) {
                best = error;
                bestIndex = i;
            }
        }
        indices[t] = uint8_t(bestIndex);
        total += best;
    }
    return total;
}

uint32_t EvaluateLine(LineKind kind, const Line& line, const Texel* texels, int n,
                      uint8_t* indices) {
    Entry palette[8];
    int count = MakePalette(kind, line, palette);
    return AssignIndices(palette, count, texels, n, indices);
}

int Quantise(float value, int max) {
    int q = int(std::lround(value * float(max) / 255.0f));
    return q < 0 ? 0 : (q > max ? max : q);
}

void QuantiseLine(LineKind kind, const float a[3], const float b[3], Line& line) {
    for (int c = 0; c < 3; ++c) {
        line.a[c] = Quantise(a[c], ChannelMax(kind, 0, c));
        line.b[c] = Quantise(b[c], ChannelMax(kind, 1, c));
    }
}

// Mean and principal axis of the opaque texels (unit length; zero when they are one
// colour). Returns how many texels are opaque.
int PrincipalAxis(const Texel* texels, int n, float mean[3], float axis[3]) {
    int opaque = 0;
    mean[0] = mean[1] = mean[2] = 0;
    for (int t = 0; t < n; ++t)
        if (!texels[t].transparent) {
            ++opaque;
            for (int c = 0; c < 3; ++c) mean[c] += float(texels[t].rgb[c]);
        }
    axis[0] = axis[1] = axis[2] = 0;
    if (!opaque) return 0;
    for (int c = 0; c < 3; ++c) mean[c] /= float(opaque);
    float cov[3][3] = {};
    for (int t = 0; t < n; ++t) {
        if (texels[t].transparent) continue;
        float d[3];
        for (int c = 0; c < 3; ++c) d[c] = float(texels[t].rgb[c]) - mean[c];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) cov[i][j] += d[i] * d[j];
    }
    // Power iteration from the channel of largest spread; 12 steps converge far past
    // what 5-bit endpoints can show.
    int start = 0;
    for (int c = 1; c < 3; ++c)
        if (cov[c][c] > cov[start][start]) start = c;
    if (cov[start][start] < 1e-3f) return opaque;
    float v[3] = {cov[0][start], cov[1][start], cov[2][start]};
    for (int step = 0; step < 12; ++step) {
        float w[3];
        for (int i = 0; i < 3; ++i) w[i] = cov[i][0] * v[0] + cov[i][1] * v[1] + cov[i][2] * v[2];
        float length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
        if (length < 1e-6f) break;
        for (int i = 0; i < 3; ++i) v[i] = w[i] / length;
    }
    for (int c = 0; c < 3; ++c) axis[c] = v[c];
    return opaque;
}

// Least-squares endpoints for fixed indices; 0 when the levels used do not span a line.
int LeastSquaresEndpoints(LineKind kind, const Texel* texels, int n, const uint8_t* indices,
                          float a[3], float b[3]) {
    float aa = 0, ab = 0, bb = 0, ax[3] = {}, bx[3] = {};
    for (int t = 0; t < n; ++t) {
        float w = LevelWeight(kind, indices[t]);
        if (texels[t].transparent || w < 0) continue;
        float u = 1 - w;
        aa += u * u;
        ab += u * w;
        bb += w * w;
        for (int c = 0; c < 3; ++c) {
            ax[c] += u * float(texels[t].rgb[c]);
            bx[c] += w * float(texels[t].rgb[c]);
        }
    }
    float det = aa * bb - ab * ab;
    if (std::fabs(det) < 1e-4f) return 0;
    for (int c = 0; c < 3; ++c) {
        a[c] = (bb * ax[c] - ab * bx[c]) / det;
        b[c] = (aa * bx[c] - ab * ax[c]) / det;
    }
    return 1;
}

// Steepest descent over single-channel +-1 steps of either endpoint and of both at once.
uint32_t DescendLine(LineKind kind, const Texel* texels, int n, Line& line, uint32_t error,
                     uint8_t* indices) {
    uint8_t trial[kTexels];
    for (int round = 0; round < kMaxDescentRounds && error; ++round) {
        Line best = line;
        uint32_t bestError = error;
        for (int c = 0; c < 3; ++c)
            for (int move = 0; move < 3; ++move)
                for (int delta = -1; delta <= 1; delta += 2) {
                    Line candidate = line;
                    if (move != 1) candidate.a[c] += delta;
                    if (move != 0) candidate.b[c] += delta;
                    if (candidate.a[c] < 0 || candidate.a[c] > ChannelMax(kind, 0, c) ||
                        candidate.b[c] < 0 || candidate.b[c] > ChannelMax(kind, 1, c))
                        continue;
                    uint32_t candidateError = EvaluateLine(kind, candidate, texels, n, trial);
                    if (candidateError < bestError) {
                        bestError = candidateError;
                        best = candidate;
                    }
                }
        if (bestError >= error) break;
        line = best;
        error = bestError;
    }
    return EvaluateLine(kind, line, texels, n, indices);
}

uint32_t FitLine(LineKind kind, const Texel* texels, int n, Line& line, uint8_t* indices) {
    float mean[3], axis[3];
    PrincipalAxis(texels, n, mean, axis);
    float low = 0, high = 0;
    for (int t = 0; t < n; ++t) {
        if (texels[t].transparent) continue;
        float projection = 0;
        for (int c = 0; c < 3; ++c) projection += (float(texels[t].rgb[c]) - mean[c]) * axis[c];
        if (projection < low) low = projection;
        if (projection > high) high = projection;
    }
    float a[3], b[3];
    for (int c = 0; c < 3; ++c) {
        a[c] = mean[c] + low * axis[c];
        b[c] = mean[c] + high * axis[c];
    }
    QuantiseLine(kind, a, b, line);
    uint32_t error = EvaluateLine(kind, line, texels, n, indices);

    uint8_t trial[kTexels];
    for (int pass = 0; pass < 4 && error; ++pass) {
        if (!LeastSquaresEndpoints(kind, texels, n, indices, a, b)) break;
        Line candidate;
        QuantiseLine(kind, a, b, candidate);
        uint32_t candidateError = EvaluateLine(kind, candidate, texels, n, trial);
        if (candidateError >= error) break;
        line = candidate;
        error = candidateError;
        std::memcpy(indices, trial, size_t(n));
    }
    return DescendLine(kind, texels, n, line, error, indices);
}

// ------------------------------------------------------------------ CC_CHROMA

struct Chroma {
    int colour[4][3];  // 5-bit red, green, blue
};

uint32_t EvaluateChroma(const Chroma& chroma, const Texel* texels, uint8_t* indices) {
    Entry palette[4];
    for (int i = 0; i < 4; ++i) {
        for (int c = 0; c < 3; ++c) palette[i].rgb[c] = Widen5(chroma.colour[i][c]);
        palette[i].transparent = false;
    }
    return AssignIndices(palette, 4, texels, kTexels, indices);
}

// Lloyd iterations from the given start; empty clusters move to the worst texel.
uint32_t KMeansChroma(const Texel* texels, Chroma& chroma, uint8_t* indices) {
    uint32_t error = EvaluateChroma(chroma, texels, indices);
    for (int iteration = 0; iteration < 10 && error; ++iteration) {
        float sum[4][3] = {};
        int count[4] = {};
        for (int t = 0; t < kTexels; ++t) {
            if (texels[t].transparent) continue;
            ++count[indices[t]];
            for (int c = 0; c < 3; ++c) sum[indices[t]][c] += float(texels[t].rgb[c]);
        }
        Chroma next = chroma;
        for (int i = 0; i < 4; ++i) {
            if (count[i]) {
                for (int c = 0; c < 3; ++c)
                    next.colour[i][c] = Quantise(sum[i][c] / float(count[i]), 31);
                continue;
            }
            uint32_t worst = 0;
            int worstTexel = -1;
            for (int t = 0; t < kTexels; ++t) {
                if (texels[t].transparent) continue;
                Entry current = {
                    {Widen5(chroma.colour[indices[t]][0]), Widen5(chroma.colour[indices[t]][1]),
                     Widen5(chroma.colour[indices[t]][2])},
                    false};
                uint32_t e = EntryError(texels[t], current);
                if (e > worst) {
                    worst = e;
                    worstTexel = t;
                }
            }
            if (worstTexel >= 0)
                for (int c = 0; c < 3; ++c)
                    next.colour[i][c] = Quantise(float(texels[worstTexel].rgb[c]), 31);
        }
        uint8_t trial[kTexels];
        uint32_t nextError = EvaluateChroma(next, texels, trial);
        if (nextError >= error) break;
        chroma = next;
        error = nextError;
        std::memcpy(indices, trial, kTexels);
    }
    // Quantising each mean alone can miss: a few +-1 steps per channel.
    for (int round = 0; round < kMaxDescentRounds && error; ++round) {
        Chroma best = chroma;
        uint32_t bestError = error;
        uint8_t trial[kTexels];
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 3; ++c)
                for (int delta = -1; delta <= 1; delta += 2) {
                    Chroma candidate = chroma;
                    candidate.colour[i][c] += delta;
                    if (candidate.colour[i][c] < 0 || candidate.colour[i][c] > 31) continue;
                    uint32_t e = EvaluateChroma(candidate, texels, trial);
                    if (e < bestError) {
                        bestError = e;
                        best = candidate;
                    }
                }
        if (bestError >= error) break;
        chroma = best;
        error = bestError;
    }
    return EvaluateChroma(chroma, texels, indices);
}

uint32_t FitChroma(const Texel* texels, Chroma& chroma, uint8_t* indices) {
    // Start 1: four levels along the principal axis.
    float mean[3], axis[3];
    PrincipalAxis(texels, kTexels, mean, axis);
    float low = 0, high = 0;
    for (int t = 0; t < kTexels; ++t) {
        if (texels[t].transparent) continue;
        float projection = 0;
        for (int c = 0; c < 3; ++c) projection += (float(texels[t].rgb[c]) - mean[c]) * axis[c];
        if (projection < low) low = projection;
        if (projection > high) high = projection;
    }
    Chroma alongAxis;
    for (int i = 0; i < 4; ++i) {
        float position = low + (high - low) * float(i) / 3;
        for (int c = 0; c < 3; ++c)
            alongAxis.colour[i][c] = Quantise(mean[c] + position * axis[c], 31);
    }
    uint8_t axisIndices[kTexels];
    uint32_t axisError = KMeansChroma(texels, alongAxis, axisIndices);

    // Start 2: farthest points, for blocks of a few unrelated colours.
    Chroma farthest;
    int chosen[4] = {-1, -1, -1, -1};
    for (int i = 0; i < 4; ++i) {
        uint32_t bestDistance = 0;
        int bestTexel = -1;
        for (int t = 0; t < kTexels; ++t) {
            if (texels[t].transparent) continue;
            uint32_t nearest = UINT32_MAX;
            if (i == 0) {
                Entry centre = {{int(mean[0]), int(mean[1]), int(mean[2])}, false};
                nearest = EntryError(texels[t], centre);
            }
            for (int j = 0; j < i; ++j) {
                const Texel& other = texels[chosen[j]];
                Entry e = {{other.rgb[0], other.rgb[1], other.rgb[2]}, false};
                uint32_t d = EntryError(texels[t], e);
                if (d < nearest) nearest = d;
            }
            if (bestTexel < 0 || nearest > bestDistance) {
                bestDistance = nearest;
                bestTexel = t;
            }
        }
        chosen[i] = bestTexel < 0 ? 0 : bestTexel;
        for (int c = 0; c < 3; ++c)
            farthest.colour[i][c] = Quantise(float(texels[chosen[i]].rgb[c]), 31);
    }
    uint32_t farthestError = KMeansChroma(texels, farthest, indices);
    if (axisError < farthestError) {
        chroma = alongAxis;
        std::memcpy(indices, axisIndices, kTexels);
        return axisError;
    }
    chroma = farthest;
    return farthestError;
}

// ------------------------------------------------------------------ packing

void SetBits(uint8_t* block, int position, int count, uint32_t value) {
    for (int i = 0; i < count; ++i) {
        int bit = position + i;
        uint8_t mask = uint8_t(1 << (bit % 8));
        if ((value >> i) & 1)
            block[bit / 8] = uint8_t(block[bit / 8] | mask);
        else
            block[bit / 8] = uint8_t(block[bit / 8] & ~mask);
    }
}

// A 15-bit colour at bit p: blue p..p+4, green p+5..p+9, red p+10..p+14.
void SetColour(uint8_t* block, int p, int red, int green5, int blue) {
    SetBits(block, p, 5, uint32_t(blue));
    SetBits(block, p + 5, 5, uint32_t(green5));
    SetBits(block, p + 10, 5, uint32_t(red));
}

// Texel t (the reader's numbering) of texels[y][x]: halves of 4 x 4, row-major.
void GatherTexels(const uint32_t source[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH],
                  Texel texels[kTexels]) {
    for (int t = 0; t < kTexels; ++t) {
        int half = t / 16, y = (t % 16) / 4, x = (t % 4) + 4 * half;
        uint32_t v = source[y][x];
        texels[t].rgb[0] = int(v >> 16 & 0xFF);
        texels[t].rgb[1] = int(v >> 8 & 0xFF);
        texels[t].rgb[2] = int(v & 0xFF);
        texels[t].transparent = (v >> 24) < 128;
    }
}

void EncodeHi(const Texel* texels, uint8_t* block) {
    Line line;
    uint8_t indices[kTexels];
    FitLine(LINE_HI, texels, kTexels, line, indices);
    std::memset(block, 0, FXT1_BLOCK_BYTES);
    for (int t = 0; t < kTexels; ++t) SetBits(block, 3 * t, 3, indices[t]);
    SetColour(block, 96, line.a[0], line.a[1], line.a[2]);
    SetColour(block, 111, line.b[0], line.b[1], line.b[2]);  // red's top bit is bit 125
}

void EncodeChroma(const Texel* texels, uint8_t* block) {
    Chroma chroma;
    uint8_t indices[kTexels];
    FitChroma(texels, chroma, indices);
    std::memset(block, 0, FXT1_BLOCK_BYTES);
    for (int t = 0; t < kTexels; ++t) SetBits(block, 2 * t, 2, indices[t]);
    for (int i = 0; i < 4; ++i)
        SetColour(block, 64 + 15 * i, chroma.colour[i][0], chroma.colour[i][1],
                  chroma.colour[i][2]);
    SetBits(block, 125, 3, 2);  // 010
}

void EncodeMixed(const Texel* texels, bool alphaFlag, uint8_t* block) {
    LineKind kind = alphaFlag ? LINE_MIXED_ALPHA : LINE_MIXED;
    std::memset(block, 0, FXT1_BLOCK_BYTES);
    for (int half = 0; half < 2; ++half) {
        const Texel* halfTexels = texels + kHalfTexels * half;
        Line line;
        uint8_t indices[kHalfTexels];
        FitLine(kind, halfTexels, kHalfTexels, line, indices);
        int glsb = line.b[1] & 1;
        if (!alphaFlag) {
            // The reader derives P's green LSB as glsb XOR the high bit of the half's
            // first index; swapping the endpoints (indices i -> 3 - i, the same
            // palette) flips that bit, so one orientation always stores P exactly.
            int wanted = (line.a[1] & 1) ^ glsb;
            if ((indices[0] >> 1) != wanted) {
                for (int c = 0; c < 3; ++c) {
                    int swap = line.a[c];
                    line.a[c] = line.b[c];
                    line.b[c] = swap;
                }
                for (int t = 0; t < kHalfTexels; ++t) indices[t] = uint8_t(3 - indices[t]);
                glsb = line.b[1] & 1;
            }
        }
        for (int t = 0; t < kHalfTexels; ++t)
            SetBits(block, 2 * (kHalfTexels * half + t), 2, indices[t]);
        int p = 64 + 30 * half;
        SetColour(block, p, line.a[0], alphaFlag ? line.a[1] : line.a[1] >> 1, line.a[2]);
        SetColour(block, p + 15, line.b[0], line.b[1] >> 1, line.b[2]);
        SetBits(block, 125 + half, 1, uint32_t(glsb));
    }
    SetBits(block, 124, 1, alphaFlag ? 1 : 0);
    SetBits(block, 127, 1, 1);
}

}  // namespace

uint32_t Fxt1BlockError(const uint32_t source[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH],
                        const uint32_t decoded[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH]) {
    uint32_t total = 0;
    for (int y = 0; y < FXT1_BLOCK_HEIGHT; ++y)
        for (int x = 0; x < FXT1_BLOCK_WIDTH; ++x) {
            uint32_t s = source[y][x], d = decoded[y][x];
            if ((s >> 24) < 128) {
                if ((d >> 24) != 0) total += kLostTransparency;
                continue;
            }
            for (int shift = 0; shift < 32; shift += 8) {
                int difference = int(s >> shift & 0xFF) - int(d >> shift & 0xFF);
                total += uint32_t(difference * difference);
            }
        }
    return total;
}

uint32_t Fxt1EncodeBlock(const uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH],
                         Fxt1EncodeMode mode, uint8_t block[FXT1_BLOCK_BYTES]) {
    Texel gathered[kTexels];
    GatherTexels(texels, gathered);
    uint32_t decoded[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];
    if (mode != FXT1_ENCODE_BEST) {
        switch (mode) {
            case FXT1_ENCODE_HI:
                EncodeHi(gathered, block);
                break;
            case FXT1_ENCODE_CHROMA:
                EncodeChroma(gathered, block);
                break;
            case FXT1_ENCODE_MIXED:
                EncodeMixed(gathered, false, block);
                break;
            default:
                EncodeMixed(gathered, true, block);
                break;
        }
        Fxt1DecodeBlock(block, decoded);
        return Fxt1BlockError(texels, decoded);
    }
    uint32_t bestError = UINT32_MAX;
    for (int m = FXT1_ENCODE_HI; m <= FXT1_ENCODE_MIXED_ALPHA && bestError; ++m) {
        uint8_t candidate[FXT1_BLOCK_BYTES];
        uint32_t error = Fxt1EncodeBlock(texels, Fxt1EncodeMode(m), candidate);
        if (error < bestError) {
            bestError = error;
            std::memcpy(block, candidate, FXT1_BLOCK_BYTES);
        }
    }
    return bestError;
}

int32_t Fxt1EncodedBytes(int32_t width, int32_t height) {
    return width / FXT1_BLOCK_WIDTH * (height / FXT1_BLOCK_HEIGHT) * FXT1_BLOCK_BYTES;
}

void Fxt1EncodeImage(const uint32_t* texels, int32_t width, int32_t height, Fxt1EncodeMode mode,
                     uint8_t* blocks) {
    for (int32_t y0 = 0; y0 + FXT1_BLOCK_HEIGHT <= height; y0 += FXT1_BLOCK_HEIGHT)
        for (int32_t x0 = 0; x0 + FXT1_BLOCK_WIDTH <= width; x0 += FXT1_BLOCK_WIDTH) {
            uint32_t block[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];
            for (int y = 0; y < FXT1_BLOCK_HEIGHT; ++y)
                for (int x = 0; x < FXT1_BLOCK_WIDTH; ++x)
                    block[y][x] = texels[intptr_t(y0 + y) * width + x0 + x];
            Fxt1EncodeBlock(block, mode, blocks);
            blocks += FXT1_BLOCK_BYTES;
        }
}

int Fxt1WriteFile(const char* path, const uint32_t* texels, int32_t width, int32_t height) {
    // The container holds whole blocks only: texels past them would be lost.
    if (width % FXT1_BLOCK_WIDTH != 0 || height % FXT1_BLOCK_HEIGHT != 0) return 0;
    std::vector<uint8_t> bytes(FXT1_HEADER_BYTES + size_t(Fxt1EncodedBytes(width, height)));
    const uint8_t magic[4] = {'C', 'X', 'E', 'T'};
    std::memcpy(bytes.data(), magic, 4);
    for (int i = 0; i < 4; ++i) {
        bytes[8 + i] = uint8_t(uint32_t(width) >> (8 * i));
        bytes[12 + i] = uint8_t(uint32_t(height) >> (8 * i));
    }
    Fxt1EncodeImage(texels, width, height, FXT1_ENCODE_BEST, bytes.data() + FXT1_HEADER_BYTES);
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
