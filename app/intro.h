// The intro: a logo and four lines of text, cut from one texture atlas, fading in,
// holding and going away in front of the star field, by one of three built-in scripts
// chosen at random. Once its script has ended it is no longer drawn.
//
// Contents: the atlas, the command records, the sprites; IntroLogo.
#pragma once

#include <cstdint>

#include "base/camera.h"
#include "base/screenb.h"
#include "base/texture.h"

#define INTRO_ATLAS_FILE "./textures/nd.fxt"
#define INTRO_SPRITE_COUNT 5
#define INTRO_SCRIPT_COUNT 3

enum IntroCommandKind {
    INTRO_END = 0,
    INTRO_WAIT = 1,    // seconds
    INTRO_COLOUR = 2,  // red, green, blue, brightness 0..255; duration
    INTRO_MOVE = 3,    // x, y, z offset; duration in the fourth argument
    INTRO_SCALE = 4,   // x, y, z factor; duration in the fourth argument
};

// Commands address sprites by number; this one means every sprite.
#define INTRO_ALL_SPRITES (-1)

// One script step: seven 32-bit words.
struct IntroCommand {
    int32_t kind;    // IntroCommandKind
    int32_t target;  // sprite number or INTRO_ALL_SPRITES
    float arguments[4];
    float duration;  // the colour command's
};
static_assert(sizeof(IntroCommand) == 28, "IntroCommand is seven words");

// A value of three components moving toward a target at a constant rate.
struct IntroRamp {
    float value[3];
    float rate[3];   // per second
    float timeLeft;  // seconds; 0 when still
};

struct IntroSprite {
    int32_t number;  // what commands call it: 0, 1, 3, 4 or 5
    // The definition's corners (top-left, top-right, bottom-right, bottom-left) with
    // their texture coordinates; the colour bytes are the displayed colour.
    Vertex vertices[4];
    IntroRamp colour;
    IntroRamp offset;
    IntroRamp scale;
};

class IntroLogo {
public:
    IntroLogo();
    IntroLogo(const IntroLogo&) = delete;
    IntroLogo& operator=(const IntroLogo&) = delete;

    // Loads the atlas into the surface's texture (0 when that fails, the reason
    // recorded), puts every sprite at its definition in black, and picks a script with
    // rand() % 3; the script starts at the next update.
    int Start();
    // Moves every fade, move and stretch on by the time since the last update (none at
    // the first), then runs the commands that have come due. Nothing once finished.
    int Update();
    // The sprites, additive, through the intro's own camera with the view camera's
    // viewport. Nothing once finished.
    int Draw(const Camera* viewCamera);
    // Frees the atlas texture.
    void Release();

    // One command at the time now (seconds of the program clock).
    void Execute(const IntroCommand& command, double now);
    // Advances one sprite by dt seconds.
    void Advance(IntroSprite& sprite, float dt);
    // The script by number (0..2), ended by INTRO_END.
    static const IntroCommand* Script(int32_t number);

    CSurface atlas;
    Camera camera;
    IntroSprite sprites[INTRO_SPRITE_COUNT];
    double startTime;
    uint8_t finished;
    int32_t nextCommand;
    double dueTime;   // seconds of the program clock
    int32_t script;   // 0..2
    double lastTime;  // of the previous update
    uint8_t updated;  // 0 until the first update
};
