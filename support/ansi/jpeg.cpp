// JPEG loader.
//
// Reads: JFIF files (the APP0 "JFIF" segment first) of the baseline sequential process
// of ITU-T T.81: one frame of 8-bit samples, Huffman coding, one scan holding every
// component of the frame, sampling factors 1..4 whose maxima are whole multiples of
// each component's, restart intervals. Greyscale gives red = green = blue; three or
// four components are taken as Y, Cb, Cr (a fourth is decoded and left unused).
// Refuses: every other process (with its own message), no JFIF header, frames of two
// components or of more than one scan, and any size, count or table number out of
// range. Sizes come from the file, so each one is checked before it is used to index
// or allocate: picture sizes against the bitmap limits, and the entropy-coded data
// against the blocks it has to hold (at least two bits a block), so a short file
// claiming a huge picture is refused before the pixels are allocated.
// Allocates: the 24-bit pixel block, one MCU row of samples for each component, a
// row of upsampled samples for each colour component, the colour tables, the shared
// clamping table and the quantisation tables (kept in the loader).
#include "ansi/jpeg.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/bytereader.h"
#include "ansi/file.h"
#include "ansi/memory.h"
#include "misc.h"
#include "xsystem.h"

namespace {

const char kNoError[] = "JPG - No error";
const char kOpenFailed[] = "JPG - Unable to open \"%s\"";
const char kNotBaseline[] = "Unhandle jpeg format. We only support baseline jpegs!";
const char kSaveNotImplemented[] = "JPG - Save function not yet implemented";
const char kTooLarge[] = "Out of memory";
const char kDamaged[] = "JPG - Damaged or unsupported jpeg file";

const int kMaxFrameComponents = 10;
const int kMaxScanComponents = 4;
const int kMaxBlocksPerMcu = 10;
const int32_t kMaxSide = 65500;
// Valid 8-bit data never dequantises beyond about 2048 in magnitude; the bound keeps
// the transform of hostile coefficients inside 32-bit arithmetic.
const int32_t kCoefficientLimit = 8192;

// ------------------------------------------------------------ shared clamping table

// 256 zeros, 0..255, 384 x 255, 384 zeros, 0..127. Indexed from the identity part, so
// a value a little outside 0..255 clamps; the transform masks its output to 10 bits
// from the identity's middle, which the last two parts wrap back into range.
const int kRangeIdentity = 256;
const int kRangeSize = 256 + 256 + 384 + 384 + 128;
uint8_t* rangeTable = nullptr;
int rangeUsers = 0;

void TakeRangeTable() {
    if (rangeUsers++ > 0) return;
    rangeTable = static_cast<uint8_t*>(XALLOC(kRangeSize));
    uint8_t* p = rangeTable;
    std::memset(p, 0, 256);
    p += 256;
    for (int i = 0; i < 256; ++i) *p++ = uint8_t(i);
    std::memset(p, 255, 384);
    p += 384;
    std::memset(p, 0, 384);
    p += 384;
    for (int i = 0; i < 128; ++i) *p++ = uint8_t(i);
}

void DropRangeTable() {
    if (rangeUsers <= 0 || --rangeUsers > 0) return;
    xFree(rangeTable);
    rangeTable = nullptr;
}

// ------------------------------------------------------------------------ the bytes

// The file's bytes from where decoding starts to its end, with the reads the segments
// need on top of the buffered bytes.
class ByteSource {
public:
    ByteSource(File& file, int32_t length) : bytes(file, length) {}
    int Byte(uint8_t* value) { return bytes.Next(value); }
    int Word(uint16_t* value) {
        uint8_t high, low;
        if (!Byte(&high) || !Byte(&low)) return 0;
        *value = uint16_t(high << 8 | low);
        return 1;
    }
    int Skip(int32_t count) {
        uint8_t unused;
        for (int32_t i = 0; i < count; ++i)
            if (!Byte(&unused)) return 0;
        return 1;
    }
    int Read(uint8_t* out, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
            if (!Byte(out + i)) return 0;
        return 1;
    }
    int32_t Left() const { return bytes.Left(); }
    // The next marker code: bytes up to 0xFF, further 0xFF fill bytes, then a non-zero
    // byte (0xFF 0x00 is a stuffed data byte, not a marker).
    int FindMarker(int* marker) {
        for (;;) {
            uint8_t value;
            if (!Byte(&value)) return 0;
            if (value != 0xFF) continue;
            do {
                if (!Byte(&value)) return 0;
            } while (value == 0xFF);
            if (value != 0) {
                *marker = value;
                return 1;
            }
        }
    }

private:
    ByteReader bytes;
};

class BitReader {
public:
    explicit BitReader(ByteSource& source) : source(source) {}

    // At least 25 bits in the buffer afterwards.
    void Fill() {
        while (count <= 24) {
            uint8_t value = 0;
            if (marker || ended || !source.Byte(&value)) {
                if (!marker) ended = true;
                value = 0;
                padding += 8;
            } else if (value == 0xFF) {
                uint8_t next = 0xFF;
                bool got;
                while ((got = source.Byte(&next) != 0) && next == 0xFF) {
                }
                if (!got || next != 0) {
                    // The data ends here; 0xFF 0x00 would have been a stuffed 0xFF.
                    if (got) marker = next;
                    else ended = true;
                    value = 0;
                    padding += 8;
                }
            }
            bits |= uint32_t(value) << (24 - count);
            count += 8;
        }
    }
    uint32_t Peek(int n) { return n == 0 ? 0 : bits >> (32 - n); }
    void Skip(int n) {
        bits <<= n;
        count -= n;
        if (count < padding) overrun = true;
    }
    int32_t Get(int n) {
        if (n == 0) return 0;
        if (count < n) Fill();
        int32_t value = int32_t(Peek(n));
        Skip(n);
        return value;
    }
    // Drops the bits left before a restart marker; a marker already met stays pending.
    void Restart() {
        bits = 0;
        count = 0;
        padding = 0;
        overrun = false;
        ended = false;
    }

    int marker = 0;  // the marker that stopped the data, 0 while none
    bool overrun = false;

private:
    ByteSource& source;
    uint32_t bits = 0;  // left-aligned
    int count = 0;
    int padding = 0;  // zero bits fed after the data ended, at the buffer's end
    bool ended = false;
};

// The canonical code of a table: the largest code of each length (-1 for none), the
// offset from a code to its symbol's index, and a 256-entry
// table decoding every code of up to 8 bits from the next 8 bits.
struct HuffmanDecoder {
    int32_t maxCode[17];  // [1..16]
    int32_t valueOffset[17];
    uint8_t lookLength[256];  // 0: the code is longer than 8 bits
    uint8_t lookSymbol[256];
    const uint8_t* symbols;
};

// 0 when the counts claim more codes than the lengths can hold.
int BuildDecoder(const JpegLoader::HuffmanTable& table, HuffmanDecoder* decoder) {
    std::memset(decoder->lookLength, 0, sizeof decoder->lookLength);
    decoder->symbols = table.symbols;
    int32_t code = 0;
    int32_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        int n = table.counts[length - 1];
        decoder->valueOffset[length] = index - code;
        for (int i = 0; i < n; ++i, ++code, ++index) {
            if (code >= (int32_t(1) << length)) return 0;
            if (length <= 8) {
                int first = code << (8 - length);
                for (int j = 0; j < (1 << (8 - length)); ++j) {
                    decoder->lookLength[first + j] = uint8_t(length);
                    decoder->lookSymbol[first + j] = table.symbols[index];
                }
            }
        }
        decoder->maxCode[length] = n ? code - 1 : -1;
        code <<= 1;
    }
    return 1;
}

// The next symbol, or -1 for a bit pattern that is no code of the table.
int DecodeSymbol(BitReader& reader, const HuffmanDecoder& decoder) {
    reader.Fill();
    uint32_t look = reader.Peek(8);
    int length = decoder.lookLength[look];
    if (length) {
        reader.Skip(length);
        return decoder.lookSymbol[look];
    }
    // Longer codes bit by bit: a canonical code of length l is at most maxCode[l].
    for (length = 9; length <= 16; ++length) {
        int32_t code = int32_t(reader.Peek(length));
        if (code <= decoder.maxCode[length]) {
            reader.Skip(length);
            return decoder.symbols[code + decoder.valueOffset[length]];
        }
    }
    return -1;
}

// The signed value of an s-bit magnitude category.
int32_t Extend(int32_t value, int s) {
    return value < (int32_t(1) << (s - 1)) ? value - (int32_t(1) << s) + 1 : value;
}

// ------------------------------------------------------------------- inverse DCT

// The Loeffler-Ligtenberg-Moschytz factorisation in 13-bit fixed point, with two extra
// bits kept between the column and the row pass. Constants are round(c * 8192).
const int kConstBits = 13;
const int kPassBits = 2;
const int32_t kFix0_298631336 = 2446;
const int32_t kFix0_390180644 = 3196;
const int32_t kFix0_541196100 = 4433;
const int32_t kFix0_765366865 = 6270;
const int32_t kFix0_899976223 = 7373;
const int32_t kFix1_175875602 = 9633;
const int32_t kFix1_501321110 = 12299;
const int32_t kFix1_847759065 = 15137;
const int32_t kFix1_961570560 = 16069;
const int32_t kFix2_053119869 = 16819;
const int32_t kFix2_562915447 = 20995;
const int32_t kFix3_072711026 = 25172;

// One 8-point pass over in[0], in[step], ... into out[0..7] before descaling. T is
// int32_t for the columns (inputs bounded by kCoefficientLimit) and int64_t for the
// rows, whose inputs a hostile block can make large enough to overflow 32 bits.
template <typename T>
void Idct8(const T* in, int step, T out[8]) {
    T z2 = in[2 * step], z3 = in[6 * step];
    T z1 = (z2 + z3) * kFix0_541196100;
    T tmp2 = z1 - z3 * kFix1_847759065;
    T tmp3 = z1 + z2 * kFix0_765366865;
    T tmp0 = (in[0] + in[4 * step]) * (T(1) << kConstBits);
    T tmp1 = (in[0] - in[4 * step]) * (T(1) << kConstBits);
    T tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
    T tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;

    T o0 = in[7 * step], o1 = in[5 * step], o2 = in[3 * step], o3 = in[step];
    T a1 = o0 + o3, a2 = o1 + o2, a3 = o0 + o2, a4 = o1 + o3;
    T z5 = (a3 + a4) * kFix1_175875602;
    o0 *= kFix0_298631336;
    o1 *= kFix2_053119869;
    o2 *= kFix3_072711026;
    o3 *= kFix1_501321110;
    a1 *= -kFix0_899976223;
    a2 *= -kFix2_562915447;
    a3 = a3 * -kFix1_961570560 + z5;
    a4 = a4 * -kFix0_390180644 + z5;
    o0 += a1 + a3;
    o1 += a2 + a4;
    o2 += a2 + a3;
    o3 += a1 + a4;

    out[0] = tmp10 + o3;
    out[7] = tmp10 - o3;
    out[1] = tmp11 + o2;
    out[6] = tmp11 - o2;
    out[2] = tmp12 + o1;
    out[5] = tmp12 - o1;
    out[3] = tmp13 + o0;
    out[4] = tmp13 - o0;
}

// Dequantised coefficients (natural order) to 8 x 8 samples at out, rows stride apart.
void InverseDct(const int32_t coefficients[64], uint8_t* out, int32_t stride) {
    int32_t work[64];
    for (int column = 0; column < 8; ++column) {
        const int32_t* in = coefficients + column;
        bool dcOnly = true;
        for (int k = 1; k < 8 && dcOnly; ++k) dcOnly = in[k * 8] == 0;
        if (dcOnly) {
            for (int k = 0; k < 8; ++k) work[k * 8 + column] = in[0] * (1 << kPassBits);
            continue;
        }
        int32_t result[8];
        Idct8<int32_t>(in, 8, result);
        const int shift = kConstBits - kPassBits;
        for (int k = 0; k < 8; ++k)
            work[k * 8 + column] = (result[k] + (int32_t(1) << (shift - 1))) >> shift;
    }
    // Output level-shifted by 128 and clamped: the identity's middle, 10 bits of range.
    const uint8_t* limit = rangeTable + kRangeIdentity + 128;
    const int shift = kConstBits + kPassBits + 3;
    for (int row = 0; row < 8; ++row, out += stride) {
        int64_t in[8], result[8];
        for (int k = 0; k < 8; ++k) in[k] = work[row * 8 + k];
        Idct8<int64_t>(in, 1, result);
        for (int k = 0; k < 8; ++k)
            out[k] = limit[int32_t((result[k] + (int64_t(1) << (shift - 1))) >> shift) & 1023];
    }
}

// -------------------------------------------------------------------------- decoder

struct Component {
    int id;
    int h, v;              // sampling factors
    int quantTable;
    int dcTable, acTable;  // of the scan
    int blocksWide, blocksHigh;  // per MCU
    int hRepeat, vRepeat;        // upsampling
    int32_t stride;              // bytes of a plane row
    uint8_t* plane;              // one MCU row of samples
    uint8_t* row;                // one upsampled row (colour components only)
    int32_t predictor;
};

class Decoder {
public:
    Decoder(File& file, int32_t length, uint16_t** quantTables,
            JpegLoader::HuffmanTable (*huffman)[JPEG_TABLES])
        : source(file, length), bits(source), quantTables(quantTables), huffman(huffman) {
        std::memset(components, 0, sizeof components);
    }
    ~Decoder() {
        for (Component& c : components) {
            xFree(c.plane);
            xFree(c.row);
        }
        xFree(pixels);
        xFree(colourTables);
        if (holdsRange) DropRangeTable();
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // 1 with the picture in the bitmap; 0 leaves the bitmap as it was. `refused` is set
    // when the file uses a process other than the baseline one.
    int Run(Bitmap& bitmap, bool* refused);
    // Whether Run failed on a picture too large for a bitmap.
    bool TooLarge() const { return tooLarge; }

private:
    int ReadJfifHeader();
    int MarkerLoop(int* marker, bool* refused);
    int ReadHuffmanTables();
    int ReadQuantTables();
    int ReadFrame();
    int ReadScan();
    int SetUp();
    int DecodeBlock(Component& c, uint8_t* out);
    int Restart();
    void OutputRows(int32_t firstRow, int rows);

    ByteSource source;
    BitReader bits;
    uint16_t** quantTables;
    JpegLoader::HuffmanTable (*huffman)[JPEG_TABLES];
    bool holdsRange = false;

    Component components[kMaxFrameComponents];
    int componentCount = 0;
    int32_t width = 0, height = 0;
    int32_t restartInterval = 0;
    int scan[kMaxScanComponents];
    int scanCount = 0;
    HuffmanDecoder dcDecoders[JPEG_TABLES], acDecoders[JPEG_TABLES];
    int mcuWidth = 8, mcuHeight = 8;
    int32_t mcusAcross = 0, mcusDown = 0;
    int nextRestart = 0;

    int32_t pitch = 0, totalBytes = 0;
    bool tooLarge = false;
    uint8_t* pixels = nullptr;
    // Cr to red, Cb to blue, Cr and Cb to green (16-bit fixed point), 256 entries each.
    int32_t* colourTables = nullptr;
};

int Decoder::ReadJfifHeader() {
    uint16_t marker, length, version;
    uint8_t identifier[5];
    if (!source.Word(&marker) || (marker & 1) || !source.Word(&length) || length < 9 ||
        !source.Read(identifier, 5) || std::memcmp(identifier, "JFIF", 5) != 0 ||
        !source.Word(&version) || (version >> 8) != 1)
        return 0;
    return source.Skip(length - 9);
}

int Decoder::ReadHuffmanTables() {
    uint16_t length;
    if (!source.Word(&length) || length < 2) return 0;
    int32_t left = length - 2;
    while (left > 0) {
        uint8_t selector, counts[16];
        if (left < 17 || !source.Byte(&selector) || !source.Read(counts, 16)) return 0;
        int tableClass = selector >> 4, number = selector & 15;
        if (tableClass > 1 || number >= JPEG_TABLES) return 0;
        left -= 17;
        int32_t total = 0;
        for (uint8_t n : counts) total += n;
        if (total > 256 || total > left) return 0;
        JpegLoader::HuffmanTable& table = huffman[tableClass][number];
        table.defined = 0;
        if (!source.Read(table.symbols, total)) return 0;
        std::memcpy(table.counts, counts, sizeof counts);
        table.defined = 1;
        left -= total;
    }
    return 1;
}

int Decoder::ReadQuantTables() {
    const int16_t* zigZag = glb->zigZag;
    uint16_t length;
    if (!source.Word(&length) || length < 2) return 0;
    int32_t left = length - 2;
    while (left > 0) {
        uint8_t selector;
        if (!source.Byte(&selector)) return 0;
        int number = selector & 15, precision = selector >> 4;
        if (number >= JPEG_TABLES || precision > 1) return 0;
        int32_t size = precision ? 128 : 64;
        if (left - 1 < size) return 0;
        left -= 1 + size;
        uint16_t* table = quantTables[number];
        if (!table) {
            table = quantTables[number] =
                static_cast<uint16_t*>(XALLOC(JPEG_BLOCK_SIZE * sizeof(uint16_t)));
            std::memset(table, 0, JPEG_BLOCK_SIZE * sizeof(uint16_t));
        }
        for (int i = 0; i < JPEG_BLOCK_SIZE; ++i) {
            uint16_t value;
            uint8_t byte;
            if (precision) {
                if (!source.Word(&value)) return 0;
            } else {
                if (!source.Byte(&byte)) return 0;
                value = byte;
            }
            table[zigZag[i]] = value;
        }
    }
    return 1;
}

int Decoder::MarkerLoop(int* marker, bool* refused) {
    for (;;) {
        if (!source.FindMarker(marker)) return 0;
        int m = *marker;
        uint16_t length, value;
        if (m == 0xC0 || m == 0xDA || m == 0xD9) return 1;
        if ((m >= 0xC1 && m <= 0xC3) || (m >= 0xC5 && m <= 0xC7) || (m >= 0xC9 && m <= 0xCE)) {
            *refused = true;
            return 0;
        }
        if (m == 0xC4) {
            if (!ReadHuffmanTables()) return 0;
        } else if (m == 0xDB) {
            if (!ReadQuantTables()) return 0;
        } else if (m == 0xDD) {
            if (!source.Word(&length) || length != 4 || !source.Word(&value)) return 0;
            restartInterval = value;
        } else if (m == 0xDC) {
            if (!source.Word(&length) || length < 4 || !source.Word(&value) ||
                !source.Skip(length - 4))
                return 0;
            height = value;
        } else {
            if (!source.Word(&length) || length < 2 || !source.Skip(length - 2)) return 0;
        }
    }
}

int Decoder::ReadFrame() {
    uint16_t length, lines, columns;
    uint8_t precision, count;
    if (!source.Word(&length) || !source.Byte(&precision) || precision != 8 ||
        !source.Word(&lines) || !source.Word(&columns) || !source.Byte(&count) || count < 1 ||
        count > kMaxFrameComponents || length < 8 + 3 * count)
        return 0;
    if (lines) height = lines;
    width = columns;
    componentCount = count;
    for (int i = 0; i < count; ++i) {
        uint8_t id, factors, table;
        if (!source.Byte(&id) || !source.Byte(&factors) || !source.Byte(&table)) return 0;
        components[i].id = id;
        components[i].h = factors >> 4;
        components[i].v = factors & 15;
        components[i].quantTable = table;
    }
    return source.Skip(length - 8 - 3 * count);
}

int Decoder::ReadScan() {
    uint16_t length;
    uint8_t count;
    if (!source.Word(&length) || !source.Byte(&count) || count < 1 ||
        count > kMaxScanComponents || length != 6 + 2 * count)
        return 0;
    scanCount = count;
    for (int i = 0; i < count; ++i) {
        uint8_t selector, tables;
        if (!source.Byte(&selector) || !source.Byte(&tables)) return 0;
        int found = -1;
        for (int c = 0; c < componentCount && found < 0; ++c)
            if (components[c].id == selector) found = c;
        if (found < 0 || (tables >> 4) >= JPEG_TABLES || (tables & 15) >= JPEG_TABLES) return 0;
        components[found].dcTable = tables >> 4;
        components[found].acTable = tables & 15;
        scan[i] = found;
    }
    // Spectral selection and successive approximation: fixed in baseline, not checked.
    return source.Skip(3);
}

int Decoder::SetUp() {
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return 0;
    // Only one scan is decoded, so it has to carry every component, each once; a frame
    // of two components has no colour model to convert.
    if (scanCount != componentCount || componentCount == 2) return 0;
    for (int i = 0; i < scanCount; ++i)
        for (int j = 0; j < i; ++j)
            if (scan[i] == scan[j]) return 0;
    int maxH = 1, maxV = 1;
    for (int i = 0; i < componentCount; ++i) {
        const Component& c = components[i];
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) return 0;
        if (c.quantTable >= JPEG_TABLES || !quantTables[c.quantTable]) return 0;
        if (c.h > maxH) maxH = c.h;
        if (c.v > maxV) maxV = c.v;
    }
    int blocksPerMcu = 0;
    for (int i = 0; i < componentCount; ++i) {
        Component& c = components[i];
        // Equal factors, doubling, 2 x 2 squares and every other whole ratio are the
        // same operation: each sample repeated maxH / h across and maxV / v down.
        if (maxH % c.h || maxV % c.v) return 0;
        c.hRepeat = maxH / c.h;
        c.vRepeat = maxV / c.v;
        // A scan of one component codes one block per MCU, whatever its factors.
        c.blocksWide = componentCount == 1 ? 1 : c.h;
        c.blocksHigh = componentCount == 1 ? 1 : c.v;
        blocksPerMcu += c.blocksWide * c.blocksHigh;
    }
    if (blocksPerMcu > kMaxBlocksPerMcu) return 0;
    if (componentCount > 1) {
        mcuWidth = 8 * maxH;
        mcuHeight = 8 * maxV;
    }
    mcusAcross = (width + mcuWidth - 1) / mcuWidth;
    mcusDown = (height + mcuHeight - 1) / mcuHeight;

    // Every block takes at least two bits (a DC code and an end-of-block code), so the
    // bytes left bound the picture a file can truthfully claim.
    int64_t blocks = int64_t(mcusAcross) * mcusDown * blocksPerMcu;
    if (int64_t(source.Left()) * 4 < blocks) return 0;
    if (!BitmapGeometry(width, height, 3, 4, &pitch, &totalBytes)) {
        tooLarge = true;
        return 0;
    }

    for (int i = 0; i < scanCount; ++i) {
        Component& c = components[scan[i]];
        const JpegLoader::HuffmanTable& dc = huffman[0][c.dcTable];
        const JpegLoader::HuffmanTable& ac = huffman[1][c.acTable];
        if (!dc.defined || !ac.defined || !BuildDecoder(dc, &dcDecoders[c.dcTable]) ||
            !BuildDecoder(ac, &acDecoders[c.acTable]))
            return 0;
    }

    pixels = static_cast<uint8_t*>(XALLOC(size_t(totalBytes)));
    std::memset(pixels, 0, size_t(totalBytes));  // the rows' padding bytes
    int colourComponents = componentCount == 1 ? 1 : 3;
    for (int i = 0; i < componentCount; ++i) {
        Component& c = components[i];
        c.stride = mcusAcross * c.blocksWide * 8;
        size_t planeBytes = size_t(c.stride) * size_t(c.blocksHigh * 8);
        c.plane = static_cast<uint8_t*>(XALLOC(planeBytes));
        if (i < colourComponents) c.row = static_cast<uint8_t*>(XALLOC(size_t(width)));
    }
    if (componentCount > 1) {
        colourTables = static_cast<int32_t*>(XALLOC(4 * 256 * sizeof(int32_t)));
        int32_t* crRed = colourTables;
        int32_t* cbBlue = colourTables + 256;
        int32_t* crGreen = colourTables + 512;
        int32_t* cbGreen = colourTables + 768;
        const int32_t half = int32_t(1) << 15;
        for (int32_t i = 0; i < 256; ++i) {
            int32_t x = i - 128;
            crRed[i] = (91881 * x + half) >> 16;
            cbBlue[i] = (116130 * x + half) >> 16;
            crGreen[i] = -46802 * x;
            cbGreen[i] = -22554 * x + half;
        }
    }
    return 1;
}

int Decoder::DecodeBlock(Component& c, uint8_t* out) {
    const int16_t* zigZag = glb->zigZag;
    const uint16_t* quant = quantTables[c.quantTable];
    int32_t coefficients[JPEG_BLOCK_SIZE] = {};
    auto dequantise = [&](int32_t value, int index) {
        int32_t product = value * int32_t(quant[index]);
        if (product > kCoefficientLimit) return kCoefficientLimit;
        if (product < -kCoefficientLimit) return -kCoefficientLimit;
        return product;
    };

    int s = DecodeSymbol(bits, dcDecoders[c.dcTable]);
    if (s < 0 || s > 11) return 0;  // baseline DC differences have at most 11 bits
    if (s) c.predictor += Extend(bits.Get(s), s);
    // A valid predictor stays far inside 16 bits; a hostile one must not overflow.
    if (c.predictor > 32767 || c.predictor < -32768) return 0;
    coefficients[0] = dequantise(c.predictor, 0);

    const HuffmanDecoder& ac = acDecoders[c.acTable];
    for (int k = 1; k < JPEG_BLOCK_SIZE;) {
        int symbol = DecodeSymbol(bits, ac);
        if (symbol < 0) return 0;
        int run = symbol >> 4, size = symbol & 15;
        if (size == 0) {
            if (run != 15) break;  // end of block
            k += 16;
            continue;
        }
        k += run;
        if (k >= JPEG_BLOCK_SIZE || size > 10) return 0;
        int index = zigZag[k];
        coefficients[index] = dequantise(Extend(bits.Get(size), size), index);
        ++k;
    }
    if (bits.overrun) return 0;
    InverseDct(coefficients, out, c.stride);
    return 1;
}

int Decoder::Restart() {
    if (!bits.marker) {
        int marker;
        if (!source.FindMarker(&marker)) return 0;
        bits.marker = marker;
    }
    bits.Restart();
    if (bits.marker == 0xD0 + nextRestart) {
        bits.marker = 0;
        nextRestart = (nextRestart + 1) & 7;
    }
    for (Component& c : components) c.predictor = 0;
    return 1;
}

void Decoder::OutputRows(int32_t firstRow, int rows) {
    const uint8_t* limit = rangeTable + kRangeIdentity;
    int colourComponents = componentCount == 1 ? 1 : 3;
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < colourComponents; ++i) {
            Component& c = components[i];
            const uint8_t* source = c.plane + intptr_t(r / c.vRepeat) * c.stride;
            if (c.hRepeat == 1) {
                std::memcpy(c.row, source, size_t(width));
            } else {
                for (int32_t x = 0; x < width; ++x) c.row[x] = source[x / c.hRepeat];
            }
        }
        uint8_t* out = pixels + intptr_t(firstRow + r) * pitch;
        if (componentCount == 1) {
            const uint8_t* y = components[0].row;
            for (int32_t x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = y[x];
            continue;
        }
        const uint8_t* y = components[0].row;
        const uint8_t* cb = components[1].row;
        const uint8_t* cr = components[2].row;
        const int32_t* crRed = colourTables;
        const int32_t* cbBlue = colourTables + 256;
        const int32_t* crGreen = colourTables + 512;
        const int32_t* cbGreen = colourTables + 768;
        for (int32_t x = 0; x < width; ++x, out += 3) {
            int luma = y[x];
            out[0] = limit[luma + cbBlue[cb[x]]];
            out[1] = limit[luma + ((cbGreen[cb[x]] + crGreen[cr[x]]) >> 16)];
            out[2] = limit[luma + crRed[cr[x]]];
        }
    }
}

int Decoder::Run(Bitmap& bitmap, bool* refused) {
    uint16_t start;
    if (!glb || !source.Word(&start) || (start & 0xFF) != 0xD8) return 0;
    TakeRangeTable();
    holdsRange = true;
    restartInterval = 0;
    nextRestart = 0;
    if (!ReadJfifHeader()) return 0;
    int marker;
    if (!MarkerLoop(&marker, refused) || marker != 0xC0 || !ReadFrame()) return 0;
    if (!MarkerLoop(&marker, refused) || marker != 0xDA || !ReadScan()) return 0;
    if (!SetUp()) return 0;

    int32_t untilRestart = restartInterval;
    for (int32_t mcuRow = 0; mcuRow < mcusDown; ++mcuRow) {
        for (int32_t mcu = 0; mcu < mcusAcross; ++mcu) {
            if (restartInterval) {
                if (untilRestart == 0) {
                    if (!Restart()) return 0;
                    untilRestart = restartInterval;
                }
                --untilRestart;
            }
            for (int i = 0; i < scanCount; ++i) {
                Component& c = components[scan[i]];
                for (int by = 0; by < c.blocksHigh; ++by)
                    for (int bx = 0; bx < c.blocksWide; ++bx) {
                        uint8_t* out = c.plane + intptr_t(by * 8) * c.stride +
                                       intptr_t(mcu * c.blocksWide + bx) * 8;
                        if (!DecodeBlock(c, out)) return 0;
                    }
            }
        }
        int32_t firstRow = mcuRow * mcuHeight;
        int rows = height - firstRow < mcuHeight ? int(height - firstRow) : mcuHeight;
        OutputRows(firstRow, rows);
    }

    bitmap.Release();
    bitmap.AdoptPixels(pixels, width, height, 24, pitch);
    pixels = nullptr;
    bitmap.directColour = 1;
    bitmap.redSize = bitmap.greenSize = bitmap.blueSize = 8;
    bitmap.alphaSize = 0;
    bitmap.redPos = 0;
    bitmap.greenPos = 8;
    bitmap.bluePos = 16;
    bitmap.alphaPos = 0;
    return 1;
}

}  // namespace

JpegLoader::JpegLoader()
    : PictureFormat("jpg", "JPEG", kNoError, kOpenFailed, FILE_READ | FILE_BIG_ENDIAN) {
    for (uint16_t*& table : quantTables) table = nullptr;
    std::memset(huffman, 0, sizeof huffman);
}

JpegLoader::~JpegLoader() {
    for (uint16_t* table : quantTables) xFree(table);
}

int JpegLoader::LoadFromFile(File& file, Bitmap& bitmap, int, int) {
    int32_t start, length;
    if (!file.Tell(&start, SEEK_ABSOLUTE) || !file.Length(&length) || length < start) return 0;
    bool refused = false;
    Decoder decoder(file, length - start, quantTables, huffman);
    if (decoder.Run(bitmap, &refused)) return 1;
    if (refused) {
        SetFormatError(kNotBaseline, 0);
        return SetErrorText("%s", kNotBaseline);
    }
    // Every refusal says why, so the caller never reports the format's "No error".
    return SetFormatError(decoder.TooLarge() ? kTooLarge : kDamaged, 0);
}

int JpegLoader::SaveToFile(File&, const Bitmap&, int, int, int) {
    return SetFormatError(kSaveNotImplemented, 0);
}

int JpegLoader::Save(const char*, const Bitmap&, int, int, int) {
    return SetFormatError(kSaveNotImplemented, 0);
}
