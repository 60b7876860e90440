#include "bground.h"

#include <cmath>
#include <cstring>

#include "ansi/memory.h"
#include "misc.h"
#include "slidertable.h"
#include "xrandom.h"

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

void SceneList::Remove(SceneObject* object) {
    void* kept = objects.Current();
    objects.RemoveItem(object);
    if (kept == object) kept = nullptr;
    // Walking off the end leaves the cursor on no object.
    for (bool more = objects.First(); more; more = objects.Next())
        if (objects.Current() == kept) return;
}

// ---------------------------------------------------------------- star field

namespace {

// The largest star count whose array (count + 100 stars) still has a size that fits
// 31 bits; larger or non-numeric counts are refused rather than converted.
const float kMaxStarCount = float(INT32_MAX / int32_t(sizeof(Star)) - 100);

}  // namespace

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
      cloudSpeed(0.5f) {
    const uint8_t background[4] = {0, 0, 0, 0};
    const uint8_t start[4] = {0, 0, 0, 255};
    const uint8_t end[4] = {255, 255, 255, 0};
    std::memcpy(backgroundColour, background, 4);
    std::memcpy(startColour, start, 4);
    std::memcpy(endColour, end, 4);
}

StarField::~StarField() {
    if (stars) xFree(stars);
}

void StarField::PlaceStar(int32_t i, float depth) {
    if (!stars || i < 0 || i >= starCapacity) return;
    Star& star = stars[i];
    // One fresh draw each, in this order.
    star.x = (2.0f * RandomUnit() - 1.0f) * worldSizeX;
    star.y = (2.0f * RandomUnit() - 1.0f) * worldSizeY;
    star.z = depth != 0.0f ? depth : RandomUnit() * worldSizeZ;
    star.red = endColour[0];
    star.green = endColour[1];
    star.blue = endColour[2];
    star.alpha = endColour[3];
}

bool StarField::SetStarCount(float value) {
    if (!(value >= -kMaxStarCount && value <= kMaxStarCount)) {
        SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
        return false;
    }
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

bool StarField::SetParameter(int32_t id, float value) {
    switch (id) {
        case CONTROL_BGSBCR:
        case CONTROL_BGSBCG:
        case CONTROL_BGSBCB:
            backgroundColour[id - CONTROL_BGSBCR] = ParameterByte(value);
            return true;
        case CONTROL_BGSSCR:
        case CONTROL_BGSSCG:
        case CONTROL_BGSSCB:
            startColour[id - CONTROL_BGSSCR] = ParameterByte(value);
            return true;
        case CONTROL_BGSECR:
        case CONTROL_BGSECG:
        case CONTROL_BGSECB:
            endColour[id - CONTROL_BGSECR] = ParameterByte(value);
            return true;
        case CONTROL_BGSSX:
            speedX = -value;
            return true;
        case CONTROL_BGSSY:
            speedY = -value;
            return true;
        case CONTROL_BGSSZ:
            speedZ = -value;
            return true;
        case CONTROL_BGSCRX:
        case CONTROL_BGSCRY:
        case CONTROL_BGSCRZ: {
            // The camera is rebuilt only when a rotation really changed.
            float* rotation = id == CONTROL_BGSCRX   ? &rotationX
                              : id == CONTROL_BGSCRY ? &rotationY
                                                     : &rotationZ;
            if (value != *rotation) {
                *rotation = value;
                rotationChanged = 1;
            }
            return true;
        }
        case CONTROL_BGSNUMS:
            return SetStarCount(value);
        case CONTROL_BGSMBLUR:
            motionBlur = value;
            return true;
        case CONTROL_BGSSIZE:
            starSize = value;
            return true;
        case CONTROL_BGSWSIZEX:
            worldSizeX = value;
            return true;
        case CONTROL_BGSWSIZEY:
            worldSizeY = value;
            return true;
        case CONTROL_BGSWSIZEZ:
            if (value != worldSizeZ) {
                worldSizeZ = value;
                for (int32_t i = 0; i < starCapacity; ++i) PlaceStar(i, 0.0f);
            }
            return true;
        case CONTROL_BGSCAMPX:
            cameraPositionX = value;
            return true;
        case CONTROL_BGSCAMPY:
            cameraPositionY = value;
            return true;
        case CONTROL_BGSCAMPZ:
            cameraPositionZ = value;
            return true;
        case CONTROL_BGSBCOLA:
            backdropOpacity = ParameterByte(value);
            return true;
        case CONTROL_BGSBCS:
            cloudSpeed = value * 0.01f;
            return true;
        default:
            return false;
    }
}

bool StarField::GetParameter(int32_t id, ParameterReading* reading) {
    reading->coloured = 0;
    reading->red = reading->green = reading->blue = 0;
    const uint8_t* colour = nullptr;
    int channel = 0;
    switch (id) {
        case CONTROL_BGSBCR:
        case CONTROL_BGSBCG:
        case CONTROL_BGSBCB:
            colour = backgroundColour;
            channel = id - CONTROL_BGSBCR;
            break;
        case CONTROL_BGSSCR:
        case CONTROL_BGSSCG:
        case CONTROL_BGSSCB:
            colour = startColour;
            channel = id - CONTROL_BGSSCR;
            break;
        case CONTROL_BGSECR:
        case CONTROL_BGSECG:
        case CONTROL_BGSECB:
            colour = endColour;
            channel = id - CONTROL_BGSECR;
            break;
        case CONTROL_BGSSX:
            reading->value = -speedX;
            return true;
        case CONTROL_BGSSY:
            reading->value = -speedY;
            return true;
        case CONTROL_BGSSZ:
            reading->value = -speedZ;
            return true;
        case CONTROL_BGSCRX:
            reading->value = rotationX;
            return true;
        case CONTROL_BGSCRY:
            reading->value = rotationY;
            return true;
        case CONTROL_BGSCRZ:
            reading->value = rotationZ;
            return true;
        case CONTROL_BGSNUMS:
            reading->value = float(starCount);
            return true;
        case CONTROL_BGSMBLUR:
            reading->value = motionBlur;
            return true;
        case CONTROL_BGSSIZE:
            reading->value = starSize;
            return true;
        case CONTROL_BGSWSIZEX:
            reading->value = worldSizeX;
            return true;
        case CONTROL_BGSWSIZEY:
            reading->value = worldSizeY;
            return true;
        case CONTROL_BGSWSIZEZ:
            reading->value = worldSizeZ;
            return true;
        case CONTROL_BGSCAMPX:
            reading->value = cameraPositionX;
            return true;
        case CONTROL_BGSCAMPY:
            reading->value = cameraPositionY;
            return true;
        case CONTROL_BGSCAMPZ:
            reading->value = cameraPositionZ;
            return true;
        case CONTROL_BGSBCOLA:
            reading->value = float(backdropOpacity);
            return true;
        case CONTROL_BGSBCS:
            reading->value = cloudSpeed * 100.0f;
            return true;
        default:
            return false;
    }
    // A colour slider is drawn in its own channel's pure colour.
    uint8_t level = colour[channel];
    reading->value = float(level);
    reading->coloured = 1;
    reading->red = channel == 0 ? level : 0;
    reading->green = channel == 1 ? level : 0;
    reading->blue = channel == 2 ? level : 0;
    return true;
}
