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
// Allocates: the 24-bit pixel block, a copy of the file from the scan on, one MCU row
// of samples for each component, a row of upsampled samples for each colour
// component, the colour tables, the shared clamping table and the quantisation tables
// (kept in the loader).
// Speed: the bit reader works from memory, AC coefficients whose code and value bits
// fit in 9 come from one table look-up, flat blocks skip the transform, and the
// transform and the colour conversion are SSE2 (jpegdsp), with the same bytes as the
// portable arithmetic.
//
// Sections: shared clamping table; the bytes (markers, segments, tables); decoder
// (entropy decoding, blocks, upsampling, colour).
#include "ansi/jpeg.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/bytereader.h"
#include "ansi/file.h"
#include "ansi/jpegdsp.h"
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
uint8_t* rangeTable = nullptr;
int rangeUsers = 0;

void TakeRangeTable() {
    if (rangeUsers++ > 0) return;
    rangeTable = static_cast<uint8_t*>(XALLOC(JPEG_RANGE_TABLE_SIZE));
    JpegMakeRangeTable(rangeTable);
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
    int Take(uint8_t* out, int32_t count) { return bytes.Take(out, count); }
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

// What stopped the entropy-coded data, and the zero bits fed in past it.
struct DataEnd {
    int marker = 0;                         // the marker met, 0 while none
    const uint8_t* behindMarker = nullptr;  // where the data goes on when it is consumed
    bool ended = false;
    int padding = 0;
};

struct ByteAndNext {
    uint32_t value;
    const uint8_t* next;
};

// The byte at next when it is 0xFF (a stuffed 0xFF, or a marker) or when next is the
// end: zeros from there on, and next moves to the end so the quick path stops.
ByteAndNext SpecialByte(DataEnd& stopped, const uint8_t* next, const uint8_t* end) {
    if (next < end) {
        ++next;  // the 0xFF
        while (next < end && *next == 0xFF) ++next;
        if (next < end) {
            uint8_t code = *next++;
            if (code == 0) return {0xFF, next};
            stopped.marker = code;
            stopped.behindMarker = next;
        } else {
            stopped.ended = true;
        }
    } else if (!stopped.marker) {
        stopped.ended = true;
    }
    stopped.padding += 8;
    return {0, end};
}

// The entropy-coded data, read into memory when the scan starts. Bits come out of a
// left-aligned 32-bit buffer; plain bytes go straight in, and 0xFF (a stuffed byte or
// a marker) takes the careful path. The reader is small and its careful path gets no
// pointer to it, so a copy of it lives in registers while a block is decoded.
class BitReader {
public:
    BitReader(const uint8_t* data, int32_t length, DataEnd* stopped)
        : next(data), end(data + length), stopped(stopped) {}

    // At least 25 bits in the buffer afterwards.
    void Fill() {
        while (count <= 24) {
            uint32_t value;
            if (next < end && *next != 0xFF) {
                value = *next++;
            } else {
                ByteAndNext special = SpecialByte(*stopped, next, end);
                value = special.value;
                next = special.next;
            }
            bits |= value << (24 - count);
            count += 8;
        }
    }
    uint32_t Peek(int n) const { return n == 0 ? 0 : bits >> (32 - n); }
    void Skip(int n) {
        bits <<= n;
        count -= n;
    }
    int32_t Get(int n) {
        if (n == 0) return 0;
        if (count < n) Fill();
        int32_t value = int32_t(Peek(n));
        Skip(n);
        return value;
    }
    // Bits were taken from the zeros past the data's end: the data was short. (Once
    // zeros come in no data follows them, so this stays true until a restart.)
    bool Overrun() const { return count < stopped->padding; }
    int Marker() const { return stopped->marker; }
    // Moves on to the next marker in the data and holds it: bytes up to 0xFF, further
    // 0xFF fill bytes, then a non-zero byte (0xFF 0x00 is a stuffed data byte).
    int SeekMarker() {
        while (next < end) {
            if (*next++ != 0xFF) continue;
            while (next < end && *next == 0xFF) ++next;
            if (next == end) return 0;
            uint8_t code = *next++;
            if (code != 0) {
                stopped->marker = code;
                stopped->behindMarker = next;
                next = end;
                return 1;
            }
        }
        return 0;
    }
    // Drops the bits left before a restart marker; a marker already met stays pending.
    void Restart() {
        bits = 0;
        count = 0;
        stopped->padding = 0;
        stopped->ended = false;
    }
    // The marker met was the one expected: the data goes on behind it.
    void ConsumeMarker() {
        next = stopped->behindMarker;
        stopped->marker = 0;
    }

private:
    const uint8_t* next;
    const uint8_t* end;
    DataEnd* stopped;
    uint32_t bits = 0;  // left-aligned
    int count = 0;
};

// The canonical code of a table: the largest code of each length (-1 for none) and
// the offset from a code to its symbol's index, and a look-ahead table over the next 9
// bits that decodes every code of up to 9 bits in one step. For an AC table whose code
// and the coefficient bits behind it fit in those 9 bits together, the entry holds the
// whole coefficient too: most coefficients of a typical picture cost one look-up.
const int kLookBits = 9;
const int32_t kEndOfBlock = 1 << 15;

struct HuffmanDecoder {
    int32_t maxCode[17];  // [1..16]
    int32_t valueOffset[17];
    uint16_t look[1 << kLookBits];  // length << 8 | symbol; 0: a longer code
    // value << 16 | run << 8 | code and value bits, or kEndOfBlock | code bits; 0:
    // decode the symbol instead
    int32_t coefficient[1 << kLookBits];
    const uint8_t* symbols;
};

// The signed value of an s-bit magnitude category.
int32_t Extend(int32_t value, int s) {
    return value < (int32_t(1) << (s - 1)) ? value - (int32_t(1) << s) + 1 : value;
}

// 0 when the counts claim more codes than the lengths can hold.
int BuildDecoder(const JpegLoader::HuffmanTable& table, HuffmanDecoder* decoder) {
    std::memset(decoder->look, 0, sizeof decoder->look);
    std::memset(decoder->coefficient, 0, sizeof decoder->coefficient);
    decoder->symbols = table.symbols;
    int32_t code = 0;
    int32_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        int n = table.counts[length - 1];
        decoder->valueOffset[length] = index - code;
        for (int i = 0; i < n; ++i, ++code, ++index) {
            if (code >= (int32_t(1) << length)) return 0;
            if (length > kLookBits) continue;
            int symbol = table.symbols[index];
            int run = symbol >> 4, size = symbol & 15;
            int first = code << (kLookBits - length);
            for (int j = 0; j < (1 << (kLookBits - length)); ++j) {
                decoder->look[first + j] = uint16_t(length << 8 | symbol);
                if (symbol == 0) decoder->coefficient[first + j] = kEndOfBlock | length;
                if (size == 0 || length + size > kLookBits) continue;
                int32_t bits = j >> (kLookBits - length - size);
                decoder->coefficient[first + j] =
                    int32_t(uint32_t(Extend(bits, size)) << 16) | run << 8 | (length + size);
            }
        }
        decoder->maxCode[length] = n ? code - 1 : -1;
        code <<= 1;
    }
    return 1;
}

// A code longer than the look-ahead, bit by bit: a canonical code of length l is at
// most maxCode[l]. -1 for a bit pattern that is no code of the table.
int DecodeLongSymbol(BitReader& reader, const HuffmanDecoder& decoder) {
    for (int length = kLookBits + 1; length <= 16; ++length) {
        int32_t code = int32_t(reader.Peek(length));
        if (code <= decoder.maxCode[length]) {
            reader.Skip(length);
            return decoder.symbols[code + decoder.valueOffset[length]];
        }
    }
    return -1;
}

// The next symbol, or -1 for a bit pattern that is no code of the table.
inline int DecodeSymbol(BitReader& reader, const HuffmanDecoder& decoder) {
    reader.Fill();
    uint32_t entry = decoder.look[reader.Peek(kLookBits)];
    if (!entry) return DecodeLongSymbol(reader, decoder);
    reader.Skip(int(entry >> 8));
    return int(entry & 0xFF);
}

// -------------------------------------------------------------------------- decoder

struct Component {
    int id;
    int h, v;  // sampling factors
    int quantTable;
    int dcTable, acTable;        // of the scan
    int blocksWide, blocksHigh;  // per MCU
    int hRepeat, vRepeat;        // upsampling
    int32_t stride;              // bytes of a plane row
    uint8_t* plane;              // one MCU row of samples
    uint8_t* row;                // one upsampled row (colour components only)
    int32_t predictor;
    int32_t dequantise[JPEG_BLOCK_SIZE];  // the quantiser of each zig-zag position
};

class Decoder {
public:
    Decoder(File& file, int32_t length, uint16_t** quantTables,
            JpegLoader::HuffmanTable (*huffman)[JPEG_TABLES])
        : source(file, length),
          bits(nullptr, 0, &dataEnd),
          quantTables(quantTables),
          huffman(huffman) {
        std::memset(components, 0, sizeof components);
    }
    ~Decoder() {
        for (Component& c : components) {
            xFree(c.plane);
            xFree(c.row);
        }
        xFree(pixels);
        xFree(colourTables);
        xFree(data);
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
    int DecodeCoefficients(BitReader& reader, Component& c, int16_t coefficients[JPEG_BLOCK_SIZE]);
    int Restart();
    void OutputRows(int32_t firstRow, int rows);

    ByteSource source;
    uint8_t* data = nullptr;  // the rest of the file from the scan on
    DataEnd dataEnd;
    BitReader bits;
    uint16_t** quantTables;
    JpegLoader::HuffmanTable (*huffman)[JPEG_TABLES];
    bool holdsRange = false;
    uint8_t zigZag[JPEG_BLOCK_SIZE];  // natural-order position of each zig-zag index

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
    if (!source.Word(&length) || !source.Byte(&count) || count < 1 || count > kMaxScanComponents ||
        length != 6 + 2 * count)
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
    for (int k = 0; k < JPEG_BLOCK_SIZE; ++k) zigZag[k] = uint8_t(glb->zigZag[k]);
    for (int i = 0; i < componentCount; ++i)
        for (int k = 0; k < JPEG_BLOCK_SIZE; ++k)
            components[i].dequantise[k] = quantTables[components[i].quantTable][zigZag[k]];
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
        JpegMakeColourTables(colourTables);
    }
    // The entropy-coded data in one piece, for the bit reader's quick path.
    int32_t left = source.Left();
    data = static_cast<uint8_t*>(XALLOC(size_t(left > 0 ? left : 1)));
    if (!source.Take(data, left)) return 0;
    bits = BitReader(data, left, &dataEnd);
    return 1;
}

int Decoder::DecodeBlock(Component& c, uint8_t* out) {
    int16_t coefficients[JPEG_BLOCK_SIZE] = {};
    // A copy of the reader that the compiler can keep in registers.
    BitReader reader = bits;
    int coded = DecodeCoefficients(reader, c, coefficients);
    bits = reader;
    if (coded < 0 || bits.Overrun()) return 0;
    if (coded) {
        JpegIdct(coefficients, out, c.stride, rangeTable);
        return 1;
    }
    // A flat block: the transform gives (DC + 4) / 8 + 128 everywhere, clamped as it
    // clamps.
    const uint8_t* limit = rangeTable + JPEG_RANGE_IDENTITY + 128;
    uint8_t flat = limit[((int32_t(coefficients[0]) * 32768 + (1 << 17)) >> 18) & 1023];
    for (int row = 0; row < 8; ++row, out += c.stride) std::memset(out, flat, 8);
    return 1;
}

// -1 for data that is no block, 0 for a block of only a DC coefficient, 1 otherwise.
inline int Decoder::DecodeCoefficients(BitReader& reader, Component& c,
                                       int16_t coefficients[JPEG_BLOCK_SIZE]) {
    auto dequantise = [&c](int32_t value, int k) {
        int32_t product = value * c.dequantise[k];
        if (product > kCoefficientLimit) return int16_t(kCoefficientLimit);
        if (product < -kCoefficientLimit) return int16_t(-kCoefficientLimit);
        return int16_t(product);
    };

    int s = DecodeSymbol(reader, dcDecoders[c.dcTable]);
    if (s < 0 || s > 11) return -1;  // baseline DC differences have at most 11 bits
    if (s) c.predictor += Extend(reader.Get(s), s);
    // A valid predictor stays far inside 16 bits; a hostile one must not overflow.
    if (c.predictor > 32767 || c.predictor < -32768) return -1;
    coefficients[0] = dequantise(c.predictor, 0);

    const HuffmanDecoder& ac = acDecoders[c.acTable];
    int coded = 0;
    for (int k = 1; k < JPEG_BLOCK_SIZE;) {
        reader.Fill();
        int32_t entry = ac.coefficient[reader.Peek(kLookBits)];
        int32_t value;
        if (entry) {
            reader.Skip(entry & 0xFF);
            if (entry & kEndOfBlock) break;
            k += (entry >> 8) & 15;
            value = entry >> 16;
        } else {
            int symbol = DecodeSymbol(reader, ac);
            if (symbol < 0) return -1;
            int run = symbol >> 4, size = symbol & 15;
            if (size == 0) {
                if (run != 15) break;  // end of block
                k += 16;
                continue;
            }
            k += run;
            if (size > 10) return -1;
            value = Extend(reader.Get(size), size);
        }
        if (k >= JPEG_BLOCK_SIZE) return -1;
        coefficients[zigZag[k]] = dequantise(value, k);
        coded = 1;
        ++k;
    }
    return coded;
}

int Decoder::Restart() {
    if (!bits.Marker() && !bits.SeekMarker()) return 0;
    bits.Restart();
    if (bits.Marker() == 0xD0 + nextRestart) {
        bits.ConsumeMarker();
        nextRestart = (nextRestart + 1) & 7;
    }
    for (Component& c : components) c.predictor = 0;
    return 1;
}

// A row of samples with each repeated `repeat` times across.
void Repeat(const uint8_t* source, int repeat, int32_t width, uint8_t* row) {
    for (int32_t x = 0; x < width; ++source)
        for (int k = 0; k < repeat && x < width; ++k) row[x++] = *source;
}

void Decoder::OutputRows(int32_t firstRow, int rows) {
    int colourComponents = componentCount == 1 ? 1 : 3;
    // Chroma at half the width is doubled while converting; other ratios are repeated
    // into a row first. Chroma at half the height serves two rows at once.
    int chromaShift =
        colourComponents == 3 && components[1].hRepeat == 2 && components[2].hRepeat == 2;
    bool rowPairs = colourComponents == 3 && components[0].hRepeat == 1 &&
                    components[0].vRepeat == 1 && components[1].vRepeat == 2 &&
                    components[2].vRepeat == 2;
    for (int r = 0; r < rows;) {
        const uint8_t* samples[3];
        for (int i = 0; i < colourComponents; ++i) {
            Component& c = components[i];
            const uint8_t* source = c.plane + intptr_t(r / c.vRepeat) * c.stride;
            if (c.hRepeat == 1 || (i > 0 && chromaShift)) {
                samples[i] = source;
            } else {
                Repeat(source, c.hRepeat, width, c.row);
                samples[i] = c.row;
            }
        }
        uint8_t* out = pixels + intptr_t(firstRow + r) * pitch;
        size_t padding = size_t(pitch - width * 3);
        std::memset(out + width * 3, 0, padding);
        if (rowPairs && r + 1 < rows) {
            std::memset(out + pitch + width * 3, 0, padding);
            JpegColourRowPair(samples[0], samples[0] + components[0].stride, samples[1], samples[2],
                              chromaShift, width, colourTables, rangeTable, out, out + pitch);
            r += 2;
            continue;
        }
        if (colourComponents == 1)
            JpegGreyRow(samples[0], width, out);
        else
            JpegColourRow(samples[0], samples[1], samples[2], chromaShift, width, colourTables,
                          rangeTable, out);
        ++r;
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
