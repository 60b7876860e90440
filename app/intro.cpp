#include "intro.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ansi/bitmap.h"
#include "misc.h"
#include "xsystem.h"

namespace {

// ---------------------------------------------------------------- sprites

// Where the sprites stand: z 350 in front of the intro's camera at the origin.
const float kSpriteDepth = 350.0f;
const float kAtlasUnit = 1.0f / 256.0f;
// Vertex alpha of every sprite; the additive blend does not read it.
const uint8_t kSpriteAlpha = 128;

struct SpriteDefinition {
    int32_t number;
    float halfWidth, halfHeight;
    int32_t s0, t0, s1, t1;  // in 1/256ths of the atlas
};

const SpriteDefinition kDefinitions[INTRO_SPRITE_COUNT] = {
    {0, 90, 35, 0, 0, 210, 46},   // the logo
    {1, 15, 6, 0, 128, 40, 148},  // the text lines
    {3, 50, 6, 0, 148, 176, 168}, {4, 50, 6, 0, 169, 150, 189}, {5, 50, 6, 0, 228, 185, 246},
};

// Its colour is set as the script runs.
Vertex Corner(float x, float y, int32_t s, int32_t t) {
    return MakeVertex(x, y, kSpriteDepth, Rgba{0, 0, 0, 0}, float(s) * kAtlasUnit,
                      float(t) * kAtlasUnit);
}

void SetRamp(IntroRamp& ramp, float x, float y, float z) {
    ramp.value[0] = x;
    ramp.value[1] = y;
    ramp.value[2] = z;
    ramp.rate[0] = ramp.rate[1] = ramp.rate[2] = 0.0f;
    ramp.timeLeft = 0.0f;
}

// Toward the target over the duration, or there at once for duration 0.
void StartRamp(IntroRamp& ramp, const float target[3], float duration) {
    ramp.timeLeft = duration;
    for (int c = 0; c < 3; ++c) {
        if (duration != 0.0f)
            ramp.rate[c] = (target[c] - ramp.value[c]) / duration;
        else
            ramp.value[c] = target[c];
    }
}

// Returns whether the ramp moved.
bool StepRamp(IntroRamp& ramp, float dt) {
    if (ramp.timeLeft == 0.0f) return false;
    float step = dt < ramp.timeLeft ? dt : ramp.timeLeft;
    for (int c = 0; c < 3; ++c) ramp.value[c] += step * ramp.rate[c];
    ramp.timeLeft -= step;
    return true;
}

uint8_t ColourByte(float value, bool rounded) {
    if (!(value > 0.0f)) return 0;
    if (value >= 255.0f) return 255;
    return uint8_t(rounded ? std::lround(value) : long(value));
}

void SetDisplayedColour(IntroSprite& sprite, const float rgb[3], bool rounded) {
    for (Vertex& vertex : sprite.vertices) {
        vertex.r = ColourByte(rgb[0], rounded);
        vertex.g = ColourByte(rgb[1], rounded);
        vertex.b = ColourByte(rgb[2], rounded);
    }
}

bool IsFlat(const IntroSprite& sprite) {
    const float* s = sprite.scale.value;
    return s[0] == 0.0f || s[1] == 0.0f || s[2] == 0.0f;
}

// ---------------------------------------------------------------- scripts

const int32_t kAll = INTRO_ALL_SPRITES;

constexpr IntroCommand End() {
    return {INTRO_END, kAll, {0, 0, 0, 0}, 0};
}
constexpr IntroCommand Wait(float seconds) {
    return {INTRO_WAIT, kAll, {seconds, 0, 0, 0}, 0};
}
// White at that brightness.
constexpr IntroCommand Fade(int32_t sprite, float brightness, float seconds) {
    return {INTRO_COLOUR, sprite, {255, 255, 255, brightness}, seconds};
}
constexpr IntroCommand Move(int32_t sprite, float x, float y, float z, float seconds) {
    return {INTRO_MOVE, sprite, {x, y, z, seconds}, 0};
}
constexpr IntroCommand Stretch(int32_t sprite, float seconds) {
    return {INTRO_SCALE, sprite, {3, 1, 1, seconds}, 0};
}

// The text lines' places under the logo: sprite 1 just below it, 5 lower down, and 3
// and 4 side by side at the foot.
#define INTRO_PLACES(z)                                                                            \
    Move(0, 0, 0, z, 0), Move(1, 0, -56, z, 0), Move(3, -51, -194, z, 0), Move(4, 51, -194, z, 0), \
        Move(5, 0, -181, z, 0)

// One line per step as the scripts read.
// clang-format off
const IntroCommand kScript0[] = {
    Fade(kAll, 0, 0),
    INTRO_PLACES(0),
    Fade(0, 200, 2), Wait(1),
    Fade(1, 200, 2), Wait(1),
    Fade(5, 200, 2), Wait(1),
    Fade(kAll, 200, 2), Wait(5),
    Fade(0, 0, 2), Stretch(0, 2), Wait(0.5f),
    Fade(1, 0, 2), Stretch(1, 2), Wait(0.5f),
    Wait(0.5f),
    Fade(5, 0, 2), Stretch(5, 2), Wait(0.5f),
    Fade(3, 0, 2), Fade(4, 0, 2), Stretch(3, 2), Stretch(4, 2),
        Move(3, -150, -194, 0, 2), Move(4, 150, -194, 0, 2), Wait(5),
    End(),
};

const IntroCommand kScript1[] = {
    Fade(kAll, 0, 0),
    INTRO_PLACES(0),
    Fade(0, 150, 2), Wait(1),
    Fade(1, 150, 2), Wait(1),
    Fade(5, 150, 2), Wait(1),
    Fade(kAll, 150, 2), Wait(4),
    Fade(0, 250, 1), Wait(1), Fade(0, 0, 2), Wait(1),
    Fade(1, 250, 1), Wait(1), Fade(1, 0, 2), Wait(1),
    Fade(5, 250, 1), Wait(1), Fade(5, 0, 2), Wait(1),
    Fade(3, 250, 1), Fade(4, 250, 1), Wait(1), Fade(3, 0, 2), Fade(4, 0, 2), Wait(5),
    End(),
};

const IntroCommand kScript2[] = {
    Fade(kAll, 0, 0),
    INTRO_PLACES(-100),
    Fade(0, 175, 2), Move(0, 0, 0, 0, 2), Wait(2),
    Fade(1, 175, 2), Move(1, 0, -56, 0, 2), Wait(2),
    Fade(5, 175, 2), Move(5, 0, -181, 0, 2), Wait(1),
    Fade(3, 175, 2), Move(3, -51, -194, 0, 2), Fade(4, 175, 2), Move(4, 51, -194, 0, 2),
        Wait(4),
    Fade(0, 0, 2), Move(0, 0, 0, 200, 2), Wait(1),
    Fade(1, 0, 2), Move(1, 0, -56, 200, 2), Wait(1),
    Fade(5, 0, 2), Move(5, 0, -181, 200, 2), Wait(1),
    Fade(3, 0, 2), Move(3, -51, -194, 200, 2), Fade(4, 0, 2), Move(4, 51, -194, 200, 2),
        Wait(1),
    Wait(5),
    End(),
};
// clang-format on

#undef INTRO_PLACES

const IntroCommand* const kScripts[INTRO_SCRIPT_COUNT] = {kScript0, kScript1, kScript2};

double ClockSeconds() {
    return double(TimerMilliseconds()) * 0.001;
}

}  // namespace

IntroLogo::IntroLogo()
    : startTime(0), finished(1), nextCommand(0), dueTime(0), script(0), lastTime(0), updated(0) {
    std::memset(static_cast<void*>(sprites), 0, sizeof sprites);
}

const IntroCommand* IntroLogo::Script(int32_t number) {
    return number >= 0 && number < INTRO_SCRIPT_COUNT ? kScripts[number] : nullptr;
}

int IntroLogo::Start() {
    Bitmap picture;
    if (!picture.Load(INTRO_ATLAS_FILE)) return 0;
    if (!atlas.SetTexture(&picture)) return 0;
    camera.SetPosition(0.0f, 0.0f, 0.0f);
    static const float black[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < INTRO_SPRITE_COUNT; ++i) {
        const SpriteDefinition& d = kDefinitions[i];
        IntroSprite& sprite = sprites[i];
        sprite.number = d.number;
        sprite.vertices[0] = Corner(-d.halfWidth, d.halfHeight, d.s0, d.t0);
        sprite.vertices[1] = Corner(d.halfWidth, d.halfHeight, d.s1, d.t0);
        sprite.vertices[2] = Corner(d.halfWidth, -d.halfHeight, d.s1, d.t1);
        sprite.vertices[3] = Corner(-d.halfWidth, -d.halfHeight, d.s0, d.t1);
        SetRamp(sprite.colour, 0.0f, 0.0f, 0.0f);
        SetRamp(sprite.offset, 0.0f, 0.0f, 0.0f);
        SetRamp(sprite.scale, 1.0f, 1.0f, 1.0f);
        SetDisplayedColour(sprite, black, false);
    }
    startTime = ClockSeconds();
    finished = 0;
    nextCommand = 0;
    dueTime = 0.0;
    updated = 0;
    script = std::rand() % INTRO_SCRIPT_COUNT;
    return 1;
}

void IntroLogo::Advance(IntroSprite& sprite, float dt) {
    if (IsFlat(sprite) || !(dt > 0.0f)) return;
    StepRamp(sprite.offset, dt);
    StepRamp(sprite.scale, dt);
    if (StepRamp(sprite.colour, dt)) SetDisplayedColour(sprite, sprite.colour.value, true);
}

void IntroLogo::Execute(const IntroCommand& command, double now) {
    switch (command.kind) {
        case INTRO_END:
            finished = 1;
            return;
        case INTRO_WAIT:
            dueTime = now + command.arguments[0];
            return;
        default:
            break;
    }
    for (IntroSprite& sprite : sprites) {
        if (command.target != INTRO_ALL_SPRITES && command.target != sprite.number) continue;
        if (command.kind == INTRO_COLOUR) {
            const float k = command.arguments[3] / 255.0f;
            const float target[3] = {k * command.arguments[0], k * command.arguments[1],
                                     k * command.arguments[2]};
            if (command.duration != 0.0f) {
                StartRamp(sprite.colour, target, command.duration);
            } else {
                // Shown at once, but the faded colour stays where it was: the next
                // fade starts from there.
                sprite.colour.timeLeft = 0.0f;
                SetDisplayedColour(sprite, target, false);
            }
        } else if (command.kind == INTRO_MOVE) {
            StartRamp(sprite.offset, command.arguments, command.arguments[3]);
        } else if (command.kind == INTRO_SCALE) {
            StartRamp(sprite.scale, command.arguments, command.arguments[3]);
        }
    }
}

int IntroLogo::Update() {
    const double now = ClockSeconds();
    if (finished) return 1;
    const float dt = updated ? float(now - lastTime) : 0.0f;
    for (IntroSprite& sprite : sprites) Advance(sprite, dt);
    const IntroCommand* commands = Script(script);
    while (commands && now > dueTime && !finished) Execute(commands[nextCommand++], now);
    lastTime = now;
    updated = 1;
    return 1;
}

int IntroLogo::Draw(const Camera* viewCamera) {
    Screen* screen = CurrentScreen();
    if (finished || !screen) return 1;
    atlas.SetBlendMode(SURFACE_ADDITIVE);
    if (viewCamera)
        camera.SetViewport(viewCamera->viewWidth, viewCamera->viewHeight, 60.0f, viewCamera->viewX,
                           viewCamera->viewY, CAMERA_SQUARE);
    screen->SetView(&camera);
    screen->SetSurface(&atlas);
    for (const IntroSprite& sprite : sprites) {
        if (IsFlat(sprite)) continue;
        Vertex quad[4];
        for (int i = 0; i < 4; ++i) {
            quad[i] = sprite.vertices[i];
            quad[i].x = quad[i].x * sprite.scale.value[0] + sprite.offset.value[0];
            quad[i].y = quad[i].y * sprite.scale.value[1] + sprite.offset.value[1];
            quad[i].z = quad[i].z * sprite.scale.value[2] + sprite.offset.value[2];
            quad[i].a = kSpriteAlpha;
        }
        screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
    }
    return 1;
}

void IntroLogo::Release() {
    atlas.FreeTexture();
    finished = 1;
}
