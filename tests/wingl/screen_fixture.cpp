#include "screen_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ansi/bitmap.h"
#include "misc.h"

const Colour kRed = {255, 0, 0};
const Colour kGreen = {0, 255, 0};
const Colour kBlue = {0, 0, 255};
const Colour kWhite = {255, 255, 255};
const Colour kOrange = {255, 128, 0};

Colour Frame::At(int x, int rowFromTop) const {
    if (x < 0 || rowFromTop < 0 || x >= width || rowFromTop >= height || pixels.empty())
        return {-1, -1, -1};
    return pixels[size_t(rowFromTop) * size_t(width) + size_t(x)];
}

Colour Frame::AtVirtual(float x, float y) const {
    return At(int(std::floor(x * width / 640.0f)), int(std::floor(y * height / 480.0f)));
}

Vertex MakeVertex(float x, float y, float z, Colour colour, uint8_t alpha, float u, float v) {
    const Rgba rgba = {uint8_t(colour.r), uint8_t(colour.g), uint8_t(colour.b), alpha};
    return MakeVertex(x, y, z, rgba, u, v);
}

void QuadVertices(Vertex out[4], float left, float top, float right, float bottom, float z,
                  Colour colour, uint8_t alpha) {
    out[0] = MakeVertex(left, top, z, colour, alpha, 0, 0);
    out[1] = MakeVertex(right, top, z, colour, alpha, 1, 0);
    out[2] = MakeVertex(right, bottom, z, colour, alpha, 1, 1);
    out[3] = MakeVertex(left, bottom, z, colour, alpha, 0, 1);
}

void StartFrame(Screen* screen, const Rgba& background) {
    screen->BeginScene();
    screen->SetView(nullptr);
    screen->SetSurface(nullptr);
    screen->Clear(&background, 0, CLEAR_COLOUR | CLEAR_DEPTH);
}

int DrawOverlayQuad(Screen* screen, float left, float top, float right, float bottom, Colour colour,
                    uint8_t alpha) {
    Vertex quad[4];
    QuadVertices(quad, left, top, right, bottom, 1, colour, alpha);
    return screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
}

Colour BitmapPixel(const Bitmap& bitmap, int x, int y) {
    if (!bitmap.pixels || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height)
        return {-1, -1, -1};
    const uint8_t* p =
        bitmap.pixels + size_t(y) * size_t(bitmap.pitch) + size_t(x) * size_t(bitmap.bytesPerPixel);
    uint32_t value;
    if (bitmap.bytesPerPixel == 3)
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];  // read big-endian
    else if (bitmap.bytesPerPixel == 4)
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    else
        return {-1, -1, -1};
    return {int((value >> bitmap.redPos) & 0xFF), int((value >> bitmap.greenPos) & 0xFF),
            int((value >> bitmap.bluePos) & 0xFF)};
}

::testing::AssertionResult ColourNear(const Colour& actual, const Colour& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

std::string PendingError() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "";
    return message;
}

std::vector<int32_t> Counters(const Screen& screen) {
    const DrawCounts& d = screen.Draws();
    return {d.points,         d.lines,        d.lineStrips, d.triangles,
            d.triangleStrips, d.triangleFans, d.quads};
}

Colour AlphaBlend(Colour source, int alpha, Colour destination) {
    auto mix = [alpha](int s, int d) {
        return int(s * alpha / 255.0 + d * (1 - alpha / 255.0) + 0.5);
    };
    return {mix(source.r, destination.r), mix(source.g, destination.g),
            mix(source.b, destination.b)};
}

Colour Sum(Colour a, Colour b) {
    auto add = [](int x, int y) { return x + y > 255 ? 255 : x + y; };
    return {add(a.r, b.r), add(a.g, b.g), add(a.b, b.b)};
}

void FillPicture(Bitmap& picture, int bits, int redPos, int greenPos, int bluePos, int alphaPos,
                 Colour colour, int alpha) {
    ASSERT_EQ(picture.CreateWithMasks(4, 4, bits, 8, 8, 8, bits == 32 ? 8 : 0, redPos, greenPos,
                                      bluePos, alphaPos),
              1);
    uint32_t value = uint32_t(colour.r) << redPos | uint32_t(colour.g) << greenPos |
                     uint32_t(colour.b) << bluePos;
    if (bits == 32) value |= uint32_t(alpha) << alphaPos;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            uint8_t* p = picture.pixels + y * picture.pitch + x * picture.bytesPerPixel;
            if (bits == 24) {
                p[0] = uint8_t(value >> 16);
                p[1] = uint8_t(value >> 8);
                p[2] = uint8_t(value);
            } else {
                std::memcpy(p, &value, 4);
            }
        }
}

std::vector<std::string> FilesMatching(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

ScratchDirectory::ScratchDirectory() {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    previous = current;
    path = previous + "\\screen_scratch_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    SetCurrentDirectoryA(path.c_str());
}

ScratchDirectory::~ScratchDirectory() {
    SetCurrentDirectoryA(previous.c_str());
    std::string shots = path + "\\ScrShots";
    for (const std::string& name : FilesMatching(shots + "\\*"))
        DeleteFileA((shots + "\\" + name).c_str());
    RemoveDirectoryA(shots.c_str());
    RemoveDirectoryA(path.c_str());
}

std::string DatedShotName(int number) {
    std::time_t now = std::time(nullptr);
    const std::tm* date = std::localtime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "shot%04d-%02d-%02d_%02d.bmp", date->tm_year + 1900,
                  date->tm_mon + 1, date->tm_mday, number);
    return name;
}

void DrawScreenshotScene(Screen* screen, const Rgba& background) {
    StartFrame(screen, background);
    ASSERT_EQ(DrawOverlayQuad(screen, 0, 0, 100, 80, kRed), 1);
    ASSERT_EQ(DrawOverlayQuad(screen, 540, 400, 640, 480, kGreen), 1);
    ASSERT_EQ(DrawOverlayQuad(screen, 200, 0, 440, 1, kWhite), 1);
}

void ExpectShotOfTheFrame(const std::string& path, const Frame& frame, Colour background,
                          int backgroundTolerance) {
    Bitmap shot;
    ASSERT_EQ(shot.Load(path.c_str()), 1) << PendingError();
    ASSERT_EQ(shot.width, frame.width);
    ASSERT_EQ(shot.height, frame.height);
    EXPECT_EQ(shot.bitsPerPixel, 24);
    // The picture's rows top-down are the frame's rows top-down, pixel for pixel.
    int mismatches = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            Colour inFile = BitmapPixel(shot, x, y), inFrame = frame.At(x, y);
            if (inFile.r == inFrame.r && inFile.g == inFrame.g && inFile.b == inFrame.b) continue;
            if (mismatches++ < 5)
                ADD_FAILURE() << "pixel " << x << ", " << y << ": file (" << inFile.r << ", "
                              << inFile.g << ", " << inFile.b << "), frame (" << inFrame.r << ", "
                              << inFrame.g << ", " << inFrame.b << ")";
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 10, 10), kRed, 0);
    EXPECT_COLOUR(BitmapPixel(shot, frame.width - 10, frame.height - 10), kGreen, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 320, 0), kWhite, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 320, 1), background, backgroundTolerance);
}
