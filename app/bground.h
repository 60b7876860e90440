// BGround: the scene objects and the star field's parameters.
//
// Sections: SceneObject and the SceneList (the cursor marks the current scene);
// StarField's parameter fields and the conversions by which a channel value
// (identifiers 17..42 of the SliderTable) becomes a field and is read back for a
// slider.
#pragma once

#include <cstdint>

#include "llist.h"

// ---------------------------------------------------------------- scene objects

// What a slider shows for a scene parameter: its value and, for the nine colour
// parameters, the pure channel colour it is drawn in.
struct ParameterReading {
    float value;
    int coloured;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

class SceneObject {
public:
    // Appends the object to the scene list; destruction takes it out again.
    explicit SceneObject(int32_t id);
    virtual ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // true when the identifier is one of the object's parameters and the value was taken.
    virtual bool SetParameter(int32_t id, float value) = 0;
    // The slider's view of a parameter; false for identifiers that are not parameters.
    virtual bool GetParameter(int32_t id, ParameterReading* reading) = 0;

    int32_t Id() const { return identifier; }

protected:
    int32_t identifier;
};

class SceneList {
public:
    bool First() { return objects.First(); }
    bool Last() { return objects.Last(); }
    bool Next() { return objects.Next(); }
    bool Previous() { return objects.Prev(); }
    // The object under the cursor: the current scene; null when none.
    SceneObject* Current() const { return static_cast<SceneObject*>(objects.Current()); }
    int32_t Count() const { return objects.Count(); }
    // Leaves the cursor on the first object with that identifier; null when none.
    SceneObject* FindById(int32_t id);
    // Every object in list order; the cursor stays where it was.
    void SetParameterAll(int32_t id, float value);

    bool Add(SceneObject* object);
    // The cursor stays on the object it was on; when that is the one removed, it is
    // left on no object.
    void Remove(SceneObject* object);

private:
    LList objects;
};

SceneList& Scenes();

// ---------------------------------------------------------------- star field

struct Star {
    float x;
    float y;
    float z;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
};

// A value held as a byte: truncated toward zero, low 8 bits kept (256 is 0, -1 is
// 255); a value that is no number is 0.
uint8_t ParameterByte(float value);

class StarField : public SceneObject {
public:
    StarField();
    ~StarField() override;

    bool SetParameter(int32_t id, float value) override;
    bool GetParameter(int32_t id, ParameterReading* reading) override;
    // Star i at random within the world; depth 0 means a random depth too.
    void PlaceStar(int32_t i, float depth);

    uint8_t backgroundColour[4];  // red, green, blue, alpha
    Star* stars;
    int32_t starCount;     // stars drawn and moved
    int32_t starCapacity;  // stars allocated
    float speedX;          // each speed holds the negated parameter
    float speedY;
    float speedZ;
    float rotationX;  // degrees
    float rotationY;
    float rotationZ;
    uint8_t rotationChanged;
    float starSize;
    float motionBlur;
    float worldSizeX;
    float worldSizeY;
    float worldSizeZ;
    float cameraPositionX;
    float cameraPositionY;
    float cameraPositionZ;
    uint8_t backdropOpacity;
    uint8_t startColour[4];
    uint8_t endColour[4];
    float cloudSpeed;

private:
    bool SetStarCount(float value);
};
