// The scene objects: the scene list, the star field (its parameters, stars, camera
// and drawing) and the drifting cloud image behind it.
//
// Sections: scene objects; star field (create, release, parameters); star field:
// frame (update, draw, motion blur, backdrop); cloud image.
#include "bground.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "misc.h"
#include "slidertable.h"
#include "stepclock.h"
#include "xrandom.h"
#include "xsystem.h"

// ---------------------------------------------------------------- scene objects

SceneObject::SceneObject(int32_t id) : identifier(id) {
    Scenes().Add(this);
}

SceneObject::~SceneObject() {
    Scenes().Remove(this);
}

SceneList& Scenes() {
    static SceneList list;
    return list;
}

SceneObject* SceneList::FindById(int32_t id) {
    for (bool more = objects.First(); more; more = objects.Next())
        if (Current()->Id() == id) return Current();
    return nullptr;
}

void SceneList::SetParameterAll(int32_t id, float value) {
    objects.PushCursor();
    for (bool more = objects.First(); more; more = objects.Next())
        Current()->SetParameter(id, value);
    objects.PopCursor();
}

bool SceneList::Add(SceneObject* object) {
    return objects.AddBack(object);
}

void SceneList::DeleteAll() {
    // Every scene object is made with XNEW; its destructor takes it out of the list.
    while (objects.First()) {
        SceneObject* object = Current();
        object->Release();
        XDELETE(object);
    }
}

void SceneList::Remove(SceneObject* object) {
    void* kept = objects.Current();
    objects.RemoveItem(object);
    if (kept == object) kept = nullptr;
    // Walking off the end leaves the cursor on no object.
    for (bool more = objects.First(); more; more = objects.Next())
        if (objects.Current() == kept) return;
}

// ---------------------------------------------------------------- star field

uint8_t ParameterByte(float value) {
    if (!std::isfinite(value)) return 0;
    // fmod is exact, so this is the low byte of the truncated value for any size.
    double low = std::fmod(std::trunc(double(value)), 256.0);
    if (low < 0.0) low += 256.0;
    return uint8_t(low);
}

StarField::StarField()
    : SceneObject(0),
      stars(nullptr),
      starCount(0),
      starCapacity(0),
      speedX(0.0f),
      speedY(0.0f),
      speedZ(0.0f),
      rotationX(0.0f),
      rotationY(0.0f),
      rotationZ(0.0f),
      rotationChanged(0),
      starSize(1.0f),
      motionBlur(0.0f),
      worldSizeX(30.0f),
      worldSizeY(30.0f),
      worldSizeZ(50.0f),
      cameraPositionX(0.0f),
      cameraPositionY(0.0f),
      cameraPositionZ(0.0f),
      backdropOpacity(255),
      cloudSpeed(0.5f),
      cloudOffsetShown(0.0f),
      shownRotation(),
      shownPosition(),
      starCountRefused(false),
      cloudMadeAt(std::nanf("")),
      cloudMadeAs(),
      shownTiles(),
      nextShownTiles(0),
      starVertices(nullptr),
      starVertexCapacity(0) {
    starSprite.SetBlendMode(SURFACE_ADDITIVE);
    const uint8_t background[4] = {0, 0, 0, 0};
    const uint8_t start[4] = {0, 0, 0, 255};
    const uint8_t end[4] = {255, 255, 255, 0};
    std::memcpy(backgroundColour, background, 4);
    std::memcpy(startColour, start, 4);
    std::memcpy(endColour, end, 4);
}

StarField::~StarField() {
    FreeTextures();
    if (stars) xFree(stars);
    if (starVertices) xFree(starVertices);
}

void StarField::PlaceStar(int32_t i, float depth) {
    if (!stars || i < 0 || i >= starCapacity) return;
    Star& star = stars[i];
    // One fresh draw each, in this order.
    star.x = (2.0f * RandomUnit() - 1.0f) * worldSizeX;
    star.y = (2.0f * RandomUnit() - 1.0f) * worldSizeY;
    star.z = depth != 0.0f ? depth : RandomUnit() * worldSizeZ;
    star.lastZ = star.z;
    star.red = endColour[0];
    star.green = endColour[1];
    star.blue = endColour[2];
    star.alpha = endColour[3];
}

bool StarField::SetStarCount(float value) {
    // A count that is no number or past the limit keeps the stars there are. It
    // comes back every frame from the animator, so it is reported once, as a warning:
    // the run goes on.
    if (!(value >= -STAR_COUNT_MAX && value <= STAR_COUNT_MAX)) {
        if (!starCountRefused)
            LogMessage(LOG_WARNING, "Star count %g refused, keeping %ld stars\n", double(value),
                       long(starCount));
        starCountRefused = true;
        return false;
    }
    starCountRefused = false;
    // The array only grows, with room for 100 more, so moving the slider down and up
    // again does not reallocate.
    if (value > float(starCapacity)) {
        int32_t capacity = int32_t(value + 100.0f);
        Star* grown = static_cast<Star*>(XALLOC(size_t(capacity) * sizeof(Star)));
        int32_t kept = starCount < 0 ? 0 : starCount < starCapacity ? starCount : starCapacity;
        if (kept > 0) std::memcpy(grown, stars, size_t(kept) * sizeof(Star));
        if (stars) xFree(stars);
        stars = grown;
        starCapacity = capacity;
        for (int32_t i = kept; i < capacity; ++i) PlaceStar(i, 0.0f);
    }
    starCount = int32_t(value);
    return true;
}

namespace {

// How a parameter is held: a byte (truncated, low 8 bits), a float times the row's
// scale, a rotation (a float whose change rebuilds the camera), the star count, or the
// world depth (whose change places every star anew).
enum ParameterKind { PARAM_BYTE, PARAM_FLOAT, PARAM_ROTATION, PARAM_STAR_COUNT, PARAM_DEPTH };

// One scene parameter: where the star field holds it and how it is converted. The
// value read back is the held one divided by the scale (times its inverse, which is
// exact for the scales used).
struct ParameterRow {
    int32_t id;
    ParameterKind kind;
    float StarField::*number;        // a float's field
    uint8_t* (*byte)(StarField& f);  // a byte's place
    float scale;
    int8_t colourChannel;  // red 0, green 1, blue 2 for the colour sliders; else -1
};

#define STAR_BYTE(id, place, channel)                                                 \
    {                                                                                 \
        id, PARAM_BYTE, nullptr, [](StarField& f) { return &f.place; }, 1.0f, channel \
    }
#define STAR_FLOAT(id, kind, field, scale) \
    { id, kind, &StarField::field, nullptr, scale, -1 }

const ParameterRow kParameterRows[] = {
    STAR_BYTE(CONTROL_BGSBCR, backgroundColour[0], 0),
    STAR_BYTE(CONTROL_BGSBCG, backgroundColour[1], 1),
    STAR_BYTE(CONTROL_BGSBCB, backgroundColour[2], 2),
    STAR_BYTE(CONTROL_BGSSCR, startColour[0], 0),
    STAR_BYTE(CONTROL_BGSSCG, startColour[1], 1),
    STAR_BYTE(CONTROL_BGSSCB, startColour[2], 2),
    STAR_BYTE(CONTROL_BGSECR, endColour[0], 0),
    STAR_BYTE(CONTROL_BGSECG, endColour[1], 1),
    STAR_BYTE(CONTROL_BGSECB, endColour[2], 2),
    STAR_FLOAT(CONTROL_BGSSX, PARAM_FLOAT, speedX, -1.0f),
    STAR_FLOAT(CONTROL_BGSSY, PARAM_FLOAT, speedY, -1.0f),
    STAR_FLOAT(CONTROL_BGSSZ, PARAM_FLOAT, speedZ, -1.0f),
    STAR_FLOAT(CONTROL_BGSCRX, PARAM_ROTATION, rotationX, 1.0f),
    STAR_FLOAT(CONTROL_BGSCRY, PARAM_ROTATION, rotationY, 1.0f),
    STAR_FLOAT(CONTROL_BGSCRZ, PARAM_ROTATION, rotationZ, 1.0f),
    {CONTROL_BGSNUMS, PARAM_STAR_COUNT, nullptr, nullptr, 1.0f, -1},
    STAR_FLOAT(CONTROL_BGSMBLUR, PARAM_FLOAT, motionBlur, 1.0f),
    STAR_FLOAT(CONTROL_BGSSIZE, PARAM_FLOAT, starSize, 1.0f),
    STAR_FLOAT(CONTROL_BGSWSIZEX, PARAM_FLOAT, worldSizeX, 1.0f),
    STAR_FLOAT(CONTROL_BGSWSIZEY, PARAM_FLOAT, worldSizeY, 1.0f),
    STAR_FLOAT(CONTROL_BGSWSIZEZ, PARAM_DEPTH, worldSizeZ, 1.0f),
    STAR_FLOAT(CONTROL_BGSCAMPX, PARAM_FLOAT, cameraPositionX, 1.0f),
    STAR_FLOAT(CONTROL_BGSCAMPY, PARAM_FLOAT, cameraPositionY, 1.0f),
    STAR_FLOAT(CONTROL_BGSCAMPZ, PARAM_FLOAT, cameraPositionZ, 1.0f),
    STAR_BYTE(CONTROL_BGSBCOLA, backdropOpacity, -1),
    STAR_FLOAT(CONTROL_BGSBCS, PARAM_FLOAT, cloudSpeed, 0.01f),
};

#undef STAR_BYTE
#undef STAR_FLOAT

const ParameterRow* FindParameterRow(int32_t id) {
    for (const ParameterRow& row : kParameterRows)
        if (row.id == id) return &row;
    return nullptr;
}

}  // namespace

bool StarField::SetParameter(int32_t id, float value) {
    const ParameterRow* row = FindParameterRow(id);
    if (!row) return false;
    switch (row->kind) {
        case PARAM_BYTE:
            *row->byte(*this) = ParameterByte(value);
            return true;
        case PARAM_FLOAT:
            this->*row->number = value * row->scale;
            return true;
        case PARAM_ROTATION:
            // The camera is rebuilt only when a rotation really changed.
            if (value != this->*row->number) {
                this->*row->number = value;
                rotationChanged = 1;
            }
            return true;
        case PARAM_STAR_COUNT:
            return SetStarCount(value);
        case PARAM_DEPTH:
            if (value != worldSizeZ) {
                worldSizeZ = value;
                for (int32_t i = 0; i < starCapacity; ++i) PlaceStar(i, 0.0f);
            }
            return true;
    }
    return false;
}

bool StarField::GetParameter(int32_t id, ParameterReading* reading) {
    reading->coloured = 0;
    reading->red = reading->green = reading->blue = 0;
    const ParameterRow* row = FindParameterRow(id);
    if (!row) return false;
    if (row->kind == PARAM_STAR_COUNT) {
        reading->value = float(starCount);
        return true;
    }
    if (row->kind != PARAM_BYTE) {
        reading->value = this->*row->number * (1.0f / row->scale);
        return true;
    }
    const uint8_t level = *row->byte(*this);
    reading->value = float(level);
    if (row->colourChannel < 0) return true;
    // A colour slider is drawn in its own channel's pure colour.
    reading->coloured = 1;
    reading->red = row->colourChannel == 0 ? level : 0;
    reading->green = row->colourChannel == 1 ? level : 0;
    reading->blue = row->colourChannel == 2 ? level : 0;
    return true;
}

// ---------------------------------------------------------------- star field: frame

namespace {

// The tiled star layer's picture repeats seven times across the design's width, in
// square tiles.
const float kTileSize = 640.0f / 7.0f;

// The whole monitor (the filling 2-D view), at z 1, with texture coordinates from
// (u0, v0) at its top left to (u1, v1) at its bottom right.
void BackdropQuad(Vertex quad[4], const uint8_t tint[3], float u0, float v0, float u1, float v1) {
    const Rgba colour = {tint[0], tint[1], tint[2], 255};
    quad[0] = MakeVertex(0.0f, 0.0f, 1.0f, colour, u0, v0);
    quad[1] = MakeVertex(639.9f, 0.0f, 1.0f, colour, u1, v0);
    quad[2] = MakeVertex(639.9f, 479.9f, 1.0f, colour, u1, v1);
    quad[3] = MakeVertex(0.0f, 479.9f, 1.0f, colour, u0, v1);
}

// What motion blur leaves of the last frame, as the fading blend's alpha: the blur
// within 0..1, rounded (a blur that is no number leaves the frame whole).
uint8_t KeptByBlur(float motionBlur) {
    if (std::isnan(motionBlur)) return 255;
    return uint8_t(std::lround(std::clamp(motionBlur, 0.0f, 1.0f) * 255.0f));
}

// A 32-bit image of blue, green, red and alpha bytes (zeroed): the order OpenGL and
// software rasterisers take without converting.
int MakeBgraImage(Bitmap* image, int32_t width, int32_t height) {
    image->Release();
    return image->CreateWithMasks(width, height, 32, 8, 8, 8, 8, 16, 8, 0, 24);
}

// A byte of a texture made in a tint, rounded.
inline uint8_t Tinted(int value, uint8_t tint) {
    return uint8_t((value * tint + 127) / 255);
}

// A surface whose texture could not be made draws untextured rather than with
// whatever texture the device had bound last.
void MatchTextureMode(CSurface& surface) {
    surface.SetTextureMode(surface.texture ? SURFACE_TEXTURED : SURFACE_UNTEXTURED);
}

}  // namespace

void StarField::FreeTextures() {
    cloudMadeAt = std::nanf("");
    starSprite.FreeTexture();
    cloud.FreeTexture();
    tiledStars.FreeTexture();
    for (ShownTiles& shown : shownTiles) {
        shown.surface.FreeTexture();
        shown.period = 0;
    }
}

int StarField::Create() {
    if (stars) xFree(stars);
    stars = static_cast<Star*>(XALLOC(STAR_FIELD_START_COUNT * sizeof(Star)));
    starCount = starCapacity = STAR_FIELD_START_COUNT;
    for (int32_t i = 0; i < starCapacity; ++i) PlaceStar(i, 0.0f);
    speedX = speedY = speedZ = 0.0f;
    rotationX = rotationY = rotationZ = 0.0f;
    // The camera may still be turned from an earlier run of this scene.
    rotationChanged = 1;

    // A second Create (the scene chosen again) makes its textures anew.
    FreeTextures();
    int loaded = 1;
    if (!starSprite.LoadTexture(STAR_TEXTURE)) loaded = 0;
    if (!tiledStars.LoadTexture(TILED_STARS_TEXTURE)) loaded = 0;
    MatchTextureMode(starSprite);
    MatchTextureMode(tiledStars);
    // Black until the first frame draws clouds into it.
    if (cloudShown.pixels || MakeBgraImage(&cloudShown, CLOUD_IMAGE_SIZE, CLOUD_IMAGE_SIZE)) {
        std::memset(cloudShown.pixels, 0, size_t(cloudShown.pitch) * size_t(cloudShown.height));
        cloud.SetTexture(&cloudShown, TEXTURE_CLAMP);
    }
    return loaded;
}

int StarField::Release() {
    if (stars) xFree(stars);
    stars = nullptr;
    starCount = starCapacity = 0;
    if (starVertices) xFree(starVertices);
    starVertices = nullptr;
    starVertexCapacity = 0;
    FreeTextures();
    return 1;
}

int StarField::Update(const Camera* viewCamera) {
    // The image is made once a frame, at the drift the last step showed: steps run
    // several to a frame, and a frame shows the clouds as a step would.
    cloudOffsetShown = CloudOffset();
    DriftCloud(cloudSpeed);
    if (rotationChanged) {
        camera.ResetOrientation();
        camera.SetRotation(rotationX, rotationY, rotationZ);
        rotationChanged = 0;
    }
    camera.SetPosition(cameraPositionX, cameraPositionY, cameraPositionZ);
    const float rotation[3] = {rotationX, rotationY, rotationZ};
    const float position[3] = {cameraPositionX, cameraPositionY, cameraPositionZ};
    std::memcpy(shownRotation[0], shownRotation[1], sizeof shownRotation[0]);
    std::memcpy(shownPosition[0], shownPosition[1], sizeof shownPosition[0]);
    std::memcpy(shownRotation[1], rotation, sizeof rotation);
    std::memcpy(shownPosition[1], position, sizeof position);
    if (viewCamera)
        camera.SetViewport(viewCamera->viewWidth, viewCamera->viewHeight, 60.0f, viewCamera->viewX,
                           viewCamera->viewY, CAMERA_SQUARE);
    int32_t moving = std::min(starCount, starCapacity);
    for (int32_t i = 0; i < moving; ++i) {
        // Per step: the run's step clock gives 50 steps a second.
        if (stars[i].z < STAR_NEAREST_DEPTH) {
            PlaceStar(i, worldSizeZ);
        } else {
            stars[i].lastZ = stars[i].z;
            stars[i].z += speedZ * 0.05f;
        }
    }
    return 1;
}

void StarField::StarColour(int32_t i, uint8_t rgb[3], float z) const {
    const Star& star = stars[i];
    float fade = 1.0f - z / worldSizeZ;
    // Beyond the far end (stars moving away) the fade would go below 0 and the bytes
    // wrap; nearer than z 0 above 1. A world of no depth fades to no number at all.
    if (!(fade > 0.0f))
        fade = 0.0f;
    else if (fade > 1.0f)
        fade = 1.0f;
    rgb[0] = uint8_t(fade * star.red);
    rgb[1] = uint8_t(fade * star.green);
    rgb[2] = uint8_t(fade * star.blue);
}

bool StarField::IsFar(int32_t i) const {
    const Star& star = stars[i];
    // Truncated like an int conversion, but in double so that any world size is safe.
    double distance = std::fabs(std::trunc(double(star.y - cameraPositionY))) +
                      std::fabs(std::trunc(double(star.x - cameraPositionX)));
    return distance >= STAR_FAR_DISTANCE;
}

namespace {

// The motion blur keeps `fade` of the previous frame per step: a frame lasting other
// than one step keeps that share per step of its time, so the trails last as long in
// seconds at any frame rate.
float FadeOfFrame(float fade, float steps) {
    if (!(fade > 0.0f && fade < 1.0f) || steps == 1.0f) return fade;
    return std::pow(fade, std::fmin(std::fmax(steps, 0.01f), float(STEPS_PER_FRAME_MAX)));
}

// What a frame of that fade adds of the backdrop: the layer piles up under the blur to
// its own brightness over 1 - fade, so a frame shorter than a step (keeping more) adds
// less and a longer one (keeping less) more, as its steps would have added one by one:
// the backdrop is as bright at any frame rate.
float BackdropShareOfFrame(float blur, float fade) {
    if (!(blur > 0.0f && blur < 1.0f) || fade == blur) return 1.0f;
    return (1.0f - fade) / (1.0f - blur);
}

// A step that turns the camera this far (degrees) is a jump (a looping channel starting
// over), not a turn: frames between show the last step's angle.
const float kRotationJump = 90.0f;

}  // namespace

const Camera* StarField::CameraBetween(float between) {
    if (between >= 1.0f) return &camera;
    bool same = true;
    float rotation[3], position[3];
    for (int axis = 0; axis < 3; ++axis) {
        const float turn = shownRotation[1][axis] - shownRotation[0][axis];
        rotation[axis] = std::fabs(turn) < kRotationJump ? shownRotation[0][axis] + turn * between
                                                         : shownRotation[1][axis];
        position[axis] =
            shownPosition[0][axis] + (shownPosition[1][axis] - shownPosition[0][axis]) * between;
        same = same && rotation[axis] == shownRotation[1][axis] &&
               position[axis] == shownPosition[1][axis];
    }
    if (same) return &camera;
    betweenCamera = camera;
    betweenCamera.ResetOrientation();
    betweenCamera.SetRotation(rotation[0], rotation[1], rotation[2]);
    betweenCamera.SetPosition(position[0], position[1], position[2]);
    return &betweenCamera;
}

void StarField::ShowCloud(const uint8_t tint[3], uint8_t kept) {
    const uint8_t as[4] = {tint[0], tint[1], tint[2], kept};
    if (cloud.texture && cloudOffsetShown == cloudMadeAt && std::memcmp(as, cloudMadeAs, 4) == 0)
        return;
    if (cloudOffsetShown != cloudMadeAt && !MakeCloudImageAt(cloudOffsetShown)) return;
    const Bitmap& grey = CloudImage();
    if (!cloudShown.pixels || cloudShown.width != grey.width || cloudShown.height != grey.height)
        return;
    for (int32_t y = 0; y < grey.height; ++y) {
        const uint8_t* from = grey.pixels + y * grey.pitch;
        uint8_t* to = cloudShown.pixels + y * cloudShown.pitch;
        for (int32_t x = 0; x < grey.width; ++x, from += 3, to += 4) {
            for (int channel = 0; channel < 3; ++channel)
                to[2 - channel] = Tinted(from[0], tint[channel]);
            to[3] = kept;
        }
    }
    // Clamped: the cloud is stretched once over the monitor and does not wrap.
    if (!cloud.SetTexture(&cloudShown, TEXTURE_CLAMP)) return;
    cloudMadeAt = cloudOffsetShown;
    std::memcpy(cloudMadeAs, as, 4);
}

namespace {

// The channel at bit `position` of pixel (x, y) of a 24- or 32-bit image.
inline float ChannelAt(const Bitmap& image, int32_t x, int32_t y, int32_t position) {
    return image.pixels[y * image.pitch + x * image.bytesPerPixel + position / 8];
}

// The weights of the source texels that make destination texel i, when `size` texels
// become `period` pixels: bilinear when enlarging, the texels' shares of the pixel's
// footprint when shrinking. The texels wrap around, as the tiles do.
int32_t TileTaps(int32_t size, int32_t period, int32_t i, int32_t* indices, float* weights,
                 int32_t most) {
    const float ratio = float(size) / float(period);
    int32_t count = 0;
    float sum = 0.0f;
    auto add = [&](int32_t t, float weight) {
        if (weight <= 0.0f || count == most) return;
        indices[count] = ((t % size) + size) % size;
        weights[count++] = weight;
        sum += weight;
    };
    if (ratio <= 1.0f) {
        const float centre = (float(i) + 0.5f) * ratio - 0.5f;
        const int32_t below = int32_t(std::floor(centre));
        add(below, 1.0f - (centre - float(below)));
        add(below + 1, centre - float(below));
    } else {
        const float start = float(i) * ratio, end = start + ratio;
        for (int32_t t = int32_t(std::floor(start)); float(t) < end; ++t)
            add(t, std::min(end, float(t + 1)) - std::max(start, float(t)));
    }
    for (int32_t k = 0; k < count; ++k) weights[k] /= sum;
    return count;
}

// The tiled picture scaled so that it repeats every `period` pixels, on a square of
// the next power of two (the rest black), 32 bits; 0 for a picture of under 24 bits.
int ScaleTile(const Bitmap& source, int32_t period, Bitmap* scaled) {
    if (source.bitsPerPixel < 24 || !source.pixels || source.width <= 0 || source.height <= 0)
        return 0;
    int32_t side = 1;
    while (side < period) side *= 2;
    if (!MakeBgraImage(scaled, side, side)) return 0;
    const int32_t positions[3] = {source.redPos, source.greenPos, source.bluePos};
    // A footprint reaches over a texel more than it covers.
    const float widest =
        std::max(1.0f, float(std::max(source.width, source.height)) / float(period));
    const int32_t most = 2 * int32_t(std::ceil(widest)) + 2;
    std::vector<int32_t> indices(static_cast<size_t>(most));
    std::vector<float> weights(static_cast<size_t>(most));
    // Across first, into one row of floats per source row; then down.
    std::vector<float> across(size_t(source.height) * size_t(period) * 3);
    for (int32_t x = 0; x < period; ++x) {
        const int32_t taps =
            TileTaps(source.width, period, x, indices.data(), weights.data(), most);
        for (int32_t y = 0; y < source.height; ++y)
            for (int channel = 0; channel < 3; ++channel) {
                float sum = 0.0f;
                for (int32_t k = 0; k < taps; ++k)
                    sum += weights[k] * ChannelAt(source, indices[k], y, positions[channel]);
                across[(size_t(y) * period + x) * 3 + channel] = sum;
            }
    }
    for (int32_t y = 0; y < period; ++y) {
        const int32_t taps =
            TileTaps(source.height, period, y, indices.data(), weights.data(), most);
        uint8_t* row = scaled->pixels + y * scaled->pitch;
        for (int32_t x = 0; x < period; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                float sum = 0.0f;
                for (int32_t k = 0; k < taps; ++k)
                    sum += weights[k] * across[(size_t(indices[k]) * period + x) * 3 + channel];
                row[x * 4 + 2 - channel] = uint8_t(std::clamp(std::lround(sum), 0L, 255L));
            }
            row[x * 4 + 3] = 255;
        }
    }
    return 1;
}

}  // namespace

StarField::ShownTiles* StarField::TilesOfPeriod(int32_t period, const uint8_t tint[3]) {
    ShownTiles* shown = nullptr;
    for (ShownTiles& candidate : shownTiles)
        if (candidate.period == period) shown = &candidate;
    if (!shown) {
        // A size not in use yet takes the place of the one made longest ago.
        shown = &shownTiles[nextShownTiles];
        nextShownTiles = (nextShownTiles + 1) % kShownTileSizes;
        shown->period = 0;
        if (!ScaleTile(tiledStars.texture->image, period, &shown->scaled)) return nullptr;
        if ((!shown->tinted.pixels || shown->tinted.width != shown->scaled.width) &&
            !MakeBgraImage(&shown->tinted, shown->scaled.width, shown->scaled.height))
            return nullptr;
    } else if (std::memcmp(shown->tint, tint, 3) == 0 && shown->surface.texture) {
        return shown;
    }
    // Only the texels of one tile are drawn.
    const Bitmap& from = shown->scaled;
    for (int32_t y = 0; y < period; ++y) {
        const uint8_t* texel = from.pixels + y * from.pitch;
        uint8_t* to = shown->tinted.pixels + y * shown->tinted.pitch;
        for (int32_t x = 0; x < period; ++x, texel += 4, to += 4) {
            for (int channel = 0; channel < 3; ++channel)
                to[2 - channel] = Tinted(texel[2 - channel], tint[channel]);
            to[3] = 255;
        }
    }
    // Drawn texel for pixel: nearest, and clamped within each tile's quad.
    if (!shown->surface.SetTexture(&shown->tinted, TEXTURE_CLAMP | TEXTURE_NEAREST)) {
        shown->period = 0;
        return nullptr;
    }
    shown->surface.SetBlendMode(SURFACE_ADDITIVE);
    shown->period = period;
    std::memcpy(shown->tint, tint, 3);
    return shown;
}

void StarField::DrawTiles(Screen* screen, const uint8_t textureTint[3],
                          const uint8_t vertexTint[3]) {
    const MonitorView& view = screen->View();
    // Tiles of whole pixels, so that each repeats the last exactly.
    const float pixels = std::round(kTileSize * view.scale);
    // A tile of a pixel or less shows nothing; one past the largest texture would have
    // no texture to be drawn from.
    if (!(pixels >= 1.0f && pixels <= 4096.0f)) return;
    const int32_t period = int32_t(pixels);
    ShownTiles* shown = TilesOfPeriod(period, textureTint);
    if (!shown) return;
    // The tiles line up with the design's corner, to the pixel, at the design's uniform
    // scale; the quads are placed in the filling view.
    float left, top, right, bottom;
    VisibleDesign(view, &left, &top, &right, &bottom);
    const float width = float(view.monitor.width), height = float(view.monitor.height);
    const float cornerX = std::round(-left * view.scale), cornerY = std::round(-top * view.scale);
    const int32_t firstColumn = int32_t(std::floor(-cornerX / pixels));
    const int32_t firstRow = int32_t(std::floor(-cornerY / pixels));
    const int32_t columns = int32_t(std::ceil((width - cornerX) / pixels)) - firstColumn;
    const int32_t rows = int32_t(std::ceil((height - cornerY) / pixels)) - firstRow;
    const float toTexture = 1.0f / float(shown->tinted.width);
    const float acrossX = kDesignWidth / width, acrossY = kDesignHeight / height;
    tileVertices.resize(size_t(std::max(columns * rows, 0)) * 4);
    const Rgba colour = {vertexTint[0], vertexTint[1], vertexTint[2], 255};
    Vertex* v = tileVertices.data();
    for (int32_t row = 0; row < rows; ++row) {
        const float tileTop = cornerY + float(firstRow + row) * pixels;
        const float y0 = std::max(0.0f, tileTop), y1 = std::min(height, tileTop + pixels);
        for (int32_t column = 0; column < columns; ++column, v += 4) {
            const float tileLeft = cornerX + float(firstColumn + column) * pixels;
            const float x0 = std::max(0.0f, tileLeft), x1 = std::min(width, tileLeft + pixels);
            const float u0 = (x0 - tileLeft) * toTexture, u1 = (x1 - tileLeft) * toTexture;
            const float v0 = (y0 - tileTop) * toTexture, v1 = (y1 - tileTop) * toTexture;
            v[0] = MakeVertex(x0 * acrossX, y0 * acrossY, 1.0f, colour, u0, v0);
            v[1] = MakeVertex(x1 * acrossX, y0 * acrossY, 1.0f, colour, u1, v0);
            v[2] = MakeVertex(x1 * acrossX, y1 * acrossY, 1.0f, colour, u1, v1);
            v[3] = MakeVertex(x0 * acrossX, y1 * acrossY, 1.0f, colour, u0, v1);
        }
    }
    screen->SetSurface(&shown->surface);
    screen->DrawPrimitive(PRIM_QUADS, tileVertices.data(), int32_t(tileVertices.size()), 0);
}

void StarField::DrawBackdrop(Screen* screen, float fade) {
    const float k = backdropOpacity * (1.0f / 255.0f) * BackdropShareOfFrame(motionBlur, fade);
    uint8_t tint[3];
    for (int channel = 0; channel < 3; ++channel)
        tint[channel] = uint8_t(std::fmin(k * backgroundColour[channel], 255.0f));
    // The previous frame is darkened rather than erased, which leaves trails, and the
    // cloud adds onto it: one pass over the monitor for both. An opaque cloud covers
    // the whole screen, so nothing needs clearing.
    const uint8_t kept = motionBlur != 0.0f ? KeptByBlur(fade) : 255;
    cloud.SetBlendMode(motionBlur != 0.0f ? SURFACE_FADE_ADD : SURFACE_OPAQUE);
    // Where textures left as they are fill faster (a software rasteriser's fast path),
    // the tint and the fade are made into them; elsewhere the vertices carry them, at the
    // device's precision, and the textures are made again only as the cloud drifts.
    const uint8_t white[3] = {255, 255, 255};
    const bool inTextures = screen->PrefersTexturesAsTheyAre();
    const uint8_t* textureTint = inTextures ? tint : white;
    const uint8_t* vertexTint = inTextures ? white : tint;
    ShowCloud(textureTint, inTextures ? kept : 255);
    MatchTextureMode(cloud);
    // Without its texture the cloud layer is a plain tint, which still covers the frame.
    // The soft cloud is stretched over the monitor, whatever its shape.
    const bool plain = !cloud.texture;
    Vertex quad[4];
    BackdropQuad(quad, plain ? tint : vertexTint, 0.0f, 0.0f, 1.0f, 1.0f);
    if (plain || !inTextures)
        for (Vertex& corner : quad) corner.a = kept;
    screen->SetView(nullptr);
    screen->SetSurface(&cloud);
    screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
    if (tiledStars.texture) DrawTiles(screen, textureTint, vertexTint);
}

int32_t StarField::WriteStar(int32_t i, float between, Vertex* v) const {
    const Star& star = stars[i];
    const float z = between >= 1.0f ? star.z : star.lastZ + (star.z - star.lastZ) * between;
    uint8_t rgb[3];
    StarColour(i, rgb, z);
    const Rgba colour = {rgb[0], rgb[1], rgb[2], 255};
    const float x = star.x, y = star.y, s = starSize;
    v[0] = MakeVertex(x - s, y - s, z, colour, 0.0f, 0.0f);
    v[1] = MakeVertex(x + s, y - s, z, colour, 1.0f, 0.0f);
    v[2] = MakeVertex(x + s, y + s, z, colour, 1.0f, 1.0f);
    v[3] = MakeVertex(x - s, y + s, z, colour, 0.0f, 1.0f);
    if (IsFar(i)) return 4;
    // The plane x = star x, then the plane y = star y.
    v[4] = MakeVertex(x, y - s, z - s, colour, 0.0f, 0.0f);
    v[5] = MakeVertex(x, y - s, z + s, colour, 1.0f, 0.0f);
    v[6] = MakeVertex(x, y + s, z + s, colour, 1.0f, 1.0f);
    v[7] = MakeVertex(x, y + s, z - s, colour, 0.0f, 1.0f);
    v[8] = MakeVertex(x + s, y, z + s, colour, 0.0f, 0.0f);
    v[9] = MakeVertex(x - s, y, z + s, colour, 1.0f, 0.0f);
    v[10] = MakeVertex(x - s, y, z - s, colour, 1.0f, 1.0f);
    v[11] = MakeVertex(x + s, y, z - s, colour, 0.0f, 1.0f);
    return 12;
}

int StarField::Draw(const FrameTime& time) {
    Screen* screen = CurrentScreen();
    if (!screen) return 1;
    const float fade = FadeOfFrame(motionBlur, time.steps);
    if (backdropOpacity != 0) {
        DrawBackdrop(screen, fade);
    } else {
        const Rgba colour = {backgroundColour[0], backgroundColour[1], backgroundColour[2],
                             backgroundColour[3]};
        screen->Clear(&colour, fade, CLEAR_COLOUR);
    }
    screen->SetView(CameraBetween(time.between));
    MatchTextureMode(starSprite);
    screen->SetSurface(&starSprite);
    const int32_t drawn = std::min(starCount, starCapacity);
    if (drawn <= 0) return 1;
    if (drawn * 12 > starVertexCapacity) {
        if (starVertices) xFree(starVertices);
        starVertices = static_cast<Vertex*>(XALLOC(size_t(starCapacity) * 12 * sizeof(Vertex)));
        starVertexCapacity = starCapacity * 12;
    }
    int32_t count = 0;
    for (int32_t i = 0; i < drawn; ++i) count += WriteStar(i, time.between, starVertices + count);
    screen->DrawPrimitive(PRIM_QUADS, starVertices, count, 0);
    return 1;
}

// ---------------------------------------------------------------- cloud image

namespace {

float cloudOffset;

}  // namespace

Bitmap& CloudImage() {
    static Bitmap image;
    return image;
}

float CloudOffset() {
    return cloudOffset;
}

void SetCloudOffset(float offset) {
    cloudOffset = offset;
}

int MakeCloudImage() {
    Bitmap& image = CloudImage();
    if (image.pixels) return 1;
    // Grey: the cloud texture is tinted from any one of its bytes.
    return image.CreateWithMasks(CLOUD_IMAGE_SIZE, CLOUD_IMAGE_SIZE, 24, 8, 8, 8, 0, 0, 8, 16, 0);
}

int GenerateCloudImage(float drift) {
    if (!MakeCloudImageAt(cloudOffset)) return 0;
    DriftCloud(drift);
    return 1;
}

int MakeCloudImageAt(float offset) {
    if (!MakeCloudImage()) return 0;
    Bitmap& image = CloudImage();
    float sums[CLOUD_PIXELS];
    uint8_t greys[CLOUD_PIXELS];
    CloudSums(offset, sums);
    CloudGreys(sums, greys);
    for (int j = 0; j < CLOUD_IMAGE_SIZE; ++j) {
        uint8_t* pixel = image.pixels + j * image.pitch;
        const uint8_t* grey = greys + j * CLOUD_IMAGE_SIZE;
        for (int i = 0; i < CLOUD_IMAGE_SIZE; ++i, pixel += 3)
            pixel[0] = pixel[1] = pixel[2] = grey[i];
    }
    return 1;
}

void DriftCloud(float drift) {
    if (!std::isfinite(drift)) return;
    // Wrapped into one period of the noise, which gives the same clouds.
    cloudOffset = std::fmod(cloudOffset + drift, CLOUD_NOISE_PERIOD);
    if (cloudOffset < 0.0f) cloudOffset += CLOUD_NOISE_PERIOD;
}
