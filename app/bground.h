// BGround: the scene objects and the star field.
//
// Sections: SceneObject and the SceneList (the cursor marks the current scene);
// StarField: its fields, the conversions by which a channel value (identifiers 17..42 of
// the SliderTable) becomes a field and is read back for a slider, and its frame (cloud
// texture, camera, star motion, drawing); the cloud image shared by every star field.
#pragma once

#include <cstdint>
#include <vector>

#include "base/camera.h"
#include "base/texture.h"
#include "cloud.h"
#include "llist.h"

class Bitmap;
class Screen;
struct Vertex;

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

// Where a frame lies in animation time: `between` from the step before the last (0) to
// the last (1), and how many steps' time the frame lasts (its motion blur fades by it).
struct FrameTime {
    float between;
    float steps;
};
// A frame that shows the last step and lasts one step.
const FrameTime kFrameAtLastStep = {1.0f, 1.0f};

class SceneObject {
public:
    // Appends the object to the scene list; destruction takes it out again.
    explicit SceneObject(int32_t id);
    virtual ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Virtual operations, in slot order.

    // Allocates and loads everything; 1 = ready.
    virtual int Create() = 0;
    // One step's advance (1/50 s); the view camera gives the viewport to draw into.
    virtual int Update(const Camera* viewCamera) = 0;
    // One frame through the current screen, at that place between the last two steps.
    virtual int Draw(const FrameTime& time) = 0;
    // true when the identifier is one of the object's parameters and the value was taken.
    virtual bool SetParameter(int32_t id, float value) = 0;
    // The slider's view of a parameter; false for identifiers that are not parameters.
    virtual bool GetParameter(int32_t id, ParameterReading* reading) = 0;
    // Frees what Create allocated.
    virtual int Release() = 0;

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
    // Every object released and destroyed; the list is empty afterwards.
    void DeleteAll();

private:
    LList objects;
};

SceneList& Scenes();

// ---------------------------------------------------------------- star field

// The most stars a background may ask for (either sign; a negative count draws
// none): far more than a frame can draw, yet an array that always fits in memory.
#define STAR_COUNT_MAX 1000000.0f

struct Star {
    float x;
    float y;
    float z;
    float lastZ;  // z before the last step; z itself for a star placed since
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
};

// A value held as a byte: truncated toward zero, low 8 bits kept (256 is 0, -1 is
// 255); a value that is no number is 0.
uint8_t ParameterByte(float value);

#define STAR_FIELD_START_COUNT 200
// The cloud noise repeats after this along its drift axis; the offset is kept within
// one period so that hours of drift do not eat its float precision.
#define CLOUD_NOISE_PERIOD 256.0f
// A star this far (Manhattan, truncated) from the camera's axis is drawn as one quad;
// nearer ones as three crossed quads, so they keep a cross-section from any side.
#define STAR_FAR_DISTANCE 30
// Stars that come nearer than this go back to the far end of the world.
#define STAR_NEAREST_DEPTH 5.0f

// The star sprite and the tiled star layer, resolved by the texture loader's picture
// formats from the screen's texture directory.
#define STAR_TEXTURE "/textures/star."
#define TILED_STARS_TEXTURE "/textures/stars."

class StarField : public SceneObject {
public:
    StarField();
    ~StarField() override;

    // 200 stars placed at random, speeds and rotations 0, the textures loaded and the
    // cloud texture made. 0 when a texture is missing: that layer then draws without
    // it (the error is recorded), the rest is ready.
    int Create() override;
    // The cloud drifts on (its texture is made at the next Draw), the camera follows the
    // parameters and the view's viewport, the stars move along z (those nearer than 5
    // go back to the far end).
    int Update(const Camera* viewCamera) override;
    // Backdrop (cloud and tiled layers, or a plain clear), then every star, the stars and
    // the camera placed between the last two steps; the motion blur keeps its trails as
    // long in seconds whatever the frame lasts.
    int Draw(const FrameTime& time) override;
    int Draw() { return Draw(kFrameAtLastStep); }
    bool SetParameter(int32_t id, float value) override;
    bool GetParameter(int32_t id, ParameterReading* reading) override;
    // Frees the stars and the textures: the screen that made the textures closes after
    // the scene is released.
    int Release() override;
    // Star i at random within the world; depth 0 means a random depth too.
    void PlaceStar(int32_t i, float depth);
    // The colour star i is drawn in: faded by its depth, 0 at the far end of the world
    // and beyond, full at z 0 and nearer.
    void StarColour(int32_t i, uint8_t rgb[3], float z) const;
    void StarColour(int32_t i, uint8_t rgb[3]) const { StarColour(i, rgb, stars[i].z); }
    // Whether star i is drawn as one quad rather than three.
    bool IsFar(int32_t i) const;

    uint8_t backgroundColour[4];  // red, green, blue, alpha
    Star* stars;
    int32_t starCount;     // stars drawn and moved
    int32_t starCapacity;  // stars allocated
    CSurface starSprite;   // additive
    // The cloud image tinted, its alpha what the motion blur keeps: made again when the
    // cloud drifts, the tint or the blur changes.
    CSurface cloud;
    CSurface tiledStars;  // the tiled layer's picture, as loaded
    float speedX;         // each speed holds the negated parameter
    float speedY;
    float speedZ;
    float rotationX;  // degrees
    float rotationY;
    float rotationZ;
    Camera camera;
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
    // Where the cloud was when the last step began: the cloud texture shows it.
    float cloudOffsetShown;
    // The camera's rotation and position (degrees, world units) at the last two updates:
    // [0] the one before, [1] the last.
    float shownRotation[2][3];
    float shownPosition[2][3];
    // The camera between the last two updates, for a frame drawn between them.
    Camera betweenCamera;
    const Camera* CameraBetween(float between);
    bool SetStarCount(float value);
    // Set while the last star count offered was refused, so a bad value pushed again
    // every frame is reported once.
    bool starCountRefused;
    void FreeTextures();
    void DrawBackdrop(Screen* screen, float fade);
    // The cloud texture for this offset, tint and kept alpha, made only when one of
    // them changed since the last.
    void ShowCloud(const uint8_t tint[3], uint8_t kept);
    // The tiled layer as the monitor in use shows it: its picture scaled once to the
    // monitor's tile size (for each size in use), tinted by `textureTint` when that
    // changes, and drawn texel for pixel, a quad a tile, in `vertexTint`.
    void DrawTiles(Screen* screen, const uint8_t textureTint[3], const uint8_t vertexTint[3]);
    // The cloud offset, tint and alpha the cloud texture was last made with; the offset
    // NaN before the first. A cloud that does not drift is not made and uploaded again.
    float cloudMadeAt;
    uint8_t cloudMadeAs[4];
    Bitmap cloudShown;
    // The tiled layer at the tile sizes (pixels) of the monitors drawn on.
    struct ShownTiles {
        int32_t period;  // pixels; 0 for none
        uint8_t tint[3];
        Bitmap scaled;  // untinted
        Bitmap tinted;
        CSurface surface;
    };
    static const int kShownTileSizes = 4;
    ShownTiles shownTiles[kShownTileSizes];
    int32_t nextShownTiles;
    ShownTiles* TilesOfPeriod(int32_t period, const uint8_t tint[3]);
    std::vector<Vertex> tileVertices;
    // Star i's quads (one far, three near), `between` its last two steps, into `v`; the
    // count of vertices written.
    int32_t WriteStar(int32_t i, float between, Vertex* v) const;
    // The frame's stars, all in one list of quads (a star's three near quads side by
    // side): one draw call for the sprite, however many stars. Grown as the count
    // grows, kept for the next frame.
    Vertex* starVertices;
    int32_t starVertexCapacity;
};

// ---------------------------------------------------------------- cloud image

// The 64 x 64 grey image behind the cloud texture (24 bits), shared by every star
// field; made on first use.
Bitmap& CloudImage();
// Makes the cloud image when it does not exist yet; 0 when it cannot be made.
int MakeCloudImage();
// Where the cloud noise is along its third axis; starts at 0.
float CloudOffset();
void SetCloudOffset(float offset);
// One frame of the cloud image: five octaves of noise over the image, the grey of
// each pixel from their sum, then the offset moves on by drift. 0 when the image
// cannot be made.
int GenerateCloudImage(float drift);
// The cloud image at that place along the noise's third axis; the offset stays.
int MakeCloudImageAt(float offset);
// The offset moves on by drift (a drift that is no number leaves it).
void DriftCloud(float drift);
