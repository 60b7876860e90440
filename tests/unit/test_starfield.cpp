// The star field's frame through a recording screen: what Create makes, how the stars
// move and come back, the cloud texture's noise, the calls and vertices of a drawn
// frame, and the plain saver's frame (vx_init, EditorFrame, EditorExit).
//
// Sections: create, release; star count; motion; camera; star forms and colour; the
// drawn frame; cloud texture; the plain saver; default background.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "animator.h"
#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "bgfile.h"
#include "bground.h"
#include "editor.h"
#include "editorlayout.h"
#include "fxt1_encode.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "framepacing.h"
#include "intro.h"
#include "mainloop.h"
#include "misc.h"
#include "run.h"
#include "noise.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "settings.h"
#include "test_support.h"
#include "vxconfig.h"

namespace {

// A screen with an in-memory texture list as the current screen, in a scratch
// directory that holds the two texture files unless a test says otherwise.
class StarFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTexture(registry.bmp, "textures/star.bmp");
        WriteTexture(registry.bmp, "textures/stars.bmp");
        std::srand(1);
        ClearError();
    }
    void TearDown() override { ClearError(); }

    // The field as vx_init leaves it: created, with the stars' placement known.
    void Ready(StarField& field) {
        ASSERT_EQ(field.Create(), 1) << PendingError();
        screen.Forget();
    }
    // Only star 0 is drawn, where the test puts it.
    void OneStar(StarField& field, float x, float y, float z) {
        ASSERT_TRUE(field.SetParameter(CONTROL_BGSNUMS, 1.0f));
        field.stars[0].x = x;
        field.stars[0].y = y;
        field.stars[0].z = z;
        screen.Forget();
    }
    // Each star's vertices from the one list of quads after the backdrop's (a star's quads
    // share its centre).
    std::vector<std::vector<Vertex>> StarsDrawn(size_t backdropQuads) {
        std::vector<std::vector<Vertex>> stars;
        EXPECT_EQ(screen.drawn.size(), backdropQuads + 1) << "the stars in one call";
        if (screen.drawn.size() != backdropQuads + 1) return stars;
        const std::vector<Vertex>& quads = screen.drawn.back();
        auto centre = [&](size_t q, float Vertex::*axis) {
            return quads[q].*axis + quads[q + 2].*axis;
        };
        for (size_t q = 0; q + 3 < quads.size(); q += 4) {
            float moved = q ? 0.0f : 1.0f;
            for (float Vertex::*axis : {&Vertex::x, &Vertex::y, &Vertex::z})
                if (q) moved += std::fabs(centre(q, axis) - centre(q - 4, axis));
            if (moved > 2e-3f) stars.emplace_back();
            stars.back().insert(stars.back().end(), quads.begin() + q, quads.begin() + q + 4);
        }
        return stars;
    }

    // Texel (x, y) of a surface's texture: red, green, blue, alpha.
    static std::array<int, 4> Texel(const CSurface& surface, int32_t x, int32_t y) {
        const Bitmap& image = surface.texture->image;
        const uint8_t* p = image.pixels + y * image.pitch + x * image.bytesPerPixel;
        return {p[image.redPos / 8], p[image.greenPos / 8], p[image.bluePos / 8],
                p[image.alphaPos / 8]};
    }

    ScratchDirectory scratch;
    PictureRegistry registry;
    CurrentTestScreen current;
    MemoryTextureList& textures = current.textures;
    CapturingScreen& screen = current.screen;
};

// ---------------------------------------------------------------- create, release

TEST_F(StarFieldTest, CreateMakesTwoHundredStarsAndThreeTextures) {
    StarField field;
    field.SetParameter(CONTROL_BGSSZ, 3.0f);
    field.SetParameter(CONTROL_BGSCRY, 20.0f);
    field.rotationChanged = 0;
    ASSERT_EQ(field.Create(), 1) << PendingError();
    EXPECT_EQ(field.starCount, 200);
    EXPECT_EQ(field.starCapacity, 200);
    for (int i = 0; i < 200; ++i) {
        EXPECT_LE(std::fabs(field.stars[i].x), 30.0f) << i;
        EXPECT_LE(std::fabs(field.stars[i].y), 30.0f) << i;
        EXPECT_GE(field.stars[i].z, 0.0f) << i;
        EXPECT_LE(field.stars[i].z, 50.0f) << i;
    }
    // Speeds and rotations start again from 0; the camera is rebuilt for that.
    EXPECT_EQ(field.speedZ, 0.0f);
    EXPECT_EQ(field.rotationY, 0.0f);
    EXPECT_EQ(field.rotationChanged, 1);

    ASSERT_NE(field.starSprite.texture, nullptr);
    ASSERT_NE(field.tiledStars.texture, nullptr);
    ASSERT_NE(field.cloud.texture, nullptr);
    EXPECT_STREQ(field.starSprite.texture->fileName, "/textures/star.");
    EXPECT_STREQ(field.tiledStars.texture->fileName, "/textures/stars.");
    EXPECT_EQ(field.starSprite.blendMode, SURFACE_ADDITIVE);
    EXPECT_EQ(field.starSprite.textureMode, SURFACE_TEXTURED);
    EXPECT_EQ(field.cloud.texture->width, 64);
    EXPECT_EQ(field.cloud.texture->height, 64);
    EXPECT_EQ(field.cloud.texture->bits, 32);
    EXPECT_EQ(textures.Count(), 3);

    // Created again (the scene chosen a second time): the old textures go first.
    ASSERT_EQ(field.Create(), 1);
    EXPECT_EQ(textures.Count(), 3);
    // Released: nothing of it is left in the screen's list.
    EXPECT_EQ(field.Release(), 1);
    EXPECT_EQ(field.stars, nullptr);
    EXPECT_EQ(field.starCount, 0);
    EXPECT_EQ(textures.Count(), 0);
    EXPECT_EQ(field.starSprite.texture, nullptr);
}

TEST_F(StarFieldTest, MissingTexturesLeaveThoseLayersPlainAndDrawingSafe) {
    std::remove("textures/star.bmp");
    std::remove("textures/stars.bmp");
    StarField field;
    EXPECT_EQ(field.Create(), 0);
    EXPECT_EQ(PendingError(), "CSurface::LoadTexture failed");
    ClearError();
    // The rest is ready: stars, and the cloud, which is made rather than loaded.
    EXPECT_EQ(field.starCount, 200);
    ASSERT_NE(field.cloud.texture, nullptr);
    EXPECT_EQ(field.starSprite.texture, nullptr);
    EXPECT_EQ(field.starSprite.textureMode, SURFACE_UNTEXTURED);

    screen.Forget();
    EXPECT_EQ(field.Update(nullptr), 1);
    EXPECT_EQ(field.Draw(), 1);
    // The cloud quad, no tiled quad, then the stars, untextured.
    ASSERT_EQ(StarsDrawn(1).size(), 200u);
    ASSERT_EQ(screen.applied.size(), 2u);
    EXPECT_EQ(screen.applied[0].textureMode, SURFACE_TEXTURED);
    EXPECT_EQ(screen.applied[1].textureMode, SURFACE_UNTEXTURED);
    EXPECT_EQ(screen.applied[1].blendMode, SURFACE_ADDITIVE);
    EXPECT_EQ(PendingError(), "");
}

// ---------------------------------------------------------------- star count

TEST_F(StarFieldTest, StarCountAfterCreateGrowsOnlyPastTheCapacity) {
    StarField field;
    Ready(field);
    Star* array = field.stars;
    ASSERT_TRUE(field.SetParameter(CONTROL_BGSNUMS, 150.0f));
    EXPECT_EQ(field.starCount, 150);
    EXPECT_EQ(field.starCapacity, 200);
    EXPECT_EQ(field.stars, array);

    StarField grown;
    Ready(grown);
    std::vector<Star> before(grown.stars, grown.stars + 200);
    grown.SetParameter(CONTROL_BGSECG, 7.0f);
    ASSERT_TRUE(grown.SetParameter(CONTROL_BGSNUMS, 250.0f));
    EXPECT_EQ(grown.starCount, 250);
    EXPECT_EQ(grown.starCapacity, 350);
    EXPECT_EQ(std::memcmp(grown.stars, before.data(), 200 * sizeof(Star)), 0);
    // 150 new ones, placed with the end colour of the moment.
    int fresh = 0;
    for (int i = 200; i < 350; ++i) {
        fresh += grown.stars[i].green == 7;
        EXPECT_LE(grown.stars[i].z, 50.0f);
    }
    EXPECT_EQ(fresh, 150);
    screen.Forget();
    grown.Draw();
    EXPECT_EQ(StarsDrawn(2).size(), 250u);
}

// ---------------------------------------------------------------- motion

TEST_F(StarFieldTest, StarsComeTowardTheViewerAndReturnToTheFarEnd) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSSZ, 4.0f);
    field.SetParameter(CONTROL_BGSSX, 9.0f);  // sideways speeds are not applied
    field.SetParameter(CONTROL_BGSSY, 9.0f);
    field.stars[0] = {1.0f, 2.0f, 20.0f, 20.0f, 255, 255, 255, 0};
    field.stars[1] = {3.0f, 4.0f, 5.0f, 5.0f, 255, 255, 255, 0};    // not below 5: moves
    field.stars[2] = {5.0f, 6.0f, 4.99f, 4.99f, 255, 255, 255, 0};  // below 5: comes back
    field.SetParameter(CONTROL_BGSECR, 17.0f);
    field.Update(nullptr);
    EXPECT_FLOAT_EQ(field.stars[0].z, 19.8f);
    EXPECT_EQ(field.stars[0].x, 1.0f);
    EXPECT_EQ(field.stars[0].y, 2.0f);
    EXPECT_FLOAT_EQ(field.stars[1].z, 4.8f);
    // Re-placed at the world's depth, at a new x and y, in the end colour; it does
    // not move in the frame it comes back.
    EXPECT_EQ(field.stars[2].z, 50.0f);
    EXPECT_NE(field.stars[2].x, 5.0f);
    EXPECT_NE(field.stars[2].y, 6.0f);
    EXPECT_LE(std::fabs(field.stars[2].x), 30.0f);
    EXPECT_EQ(field.stars[2].red, 17);
    field.Update(nullptr);
    EXPECT_EQ(field.stars[1].z, 50.0f);
    EXPECT_FLOAT_EQ(field.stars[2].z, 49.8f);

    // Over many frames every star stays in the world.
    for (int frame = 0; frame < 250; ++frame) field.Update(nullptr);
    for (int i = 0; i < field.starCount; ++i) {
        EXPECT_GE(field.stars[i].z, 5.0f - 0.2f) << i;
        EXPECT_LE(field.stars[i].z, 50.0f) << i;
    }
}

TEST_F(StarFieldTest, NegativeSpeedSendsStarsAwayForGood) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSSZ, -2.0f);
    std::vector<Star> before(field.stars, field.stars + 200);
    for (int frame = 0; frame < 150; ++frame) field.Update(nullptr);
    for (int i = 0; i < 200; ++i) {
        if (before[i].z < 5.0f) continue;  // those come back once before moving
        EXPECT_NEAR(field.stars[i].z, before[i].z + 15.0f, 0.01f) << i;
        EXPECT_EQ(field.stars[i].x, before[i].x) << i;
    }
}

TEST_F(StarFieldTest, ANewWorldDepthReplacesTheUndrawnStarsToo) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 20.0f);
    field.SetParameter(CONTROL_BGSWSIZEX, 3.0f);
    ASSERT_TRUE(field.SetParameter(CONTROL_BGSWSIZEZ, 400.0f));
    int deep = 0;
    for (int i = 0; i < 200; ++i) {
        EXPECT_LE(std::fabs(field.stars[i].x), 3.0f) << i;
        EXPECT_LE(field.stars[i].z, 400.0f) << i;
        deep += field.stars[i].z > 50.0f;
    }
    EXPECT_GT(deep, 150);
}

// ---------------------------------------------------------------- camera

TEST_F(StarFieldTest, TheCameraFollowsTheParametersAndTheView) {
    StarField field;
    Ready(field);
    Camera view;
    view.SetViewport(480.0f, 466.0f, 90.0f, 12.0f, 7.0f, 0);
    field.SetParameter(CONTROL_BGSCRZ, 90.0f);
    field.SetParameter(CONTROL_BGSCAMPX, 3.0f);
    field.SetParameter(CONTROL_BGSCAMPY, -4.0f);
    field.SetParameter(CONTROL_BGSCAMPZ, 5.0f);
    field.Update(&view);
    EXPECT_EQ(field.rotationChanged, 0);
    // A roll of 90 degrees: row 0 is (0, 1, 0) by the rotation's formula.
    EXPECT_NEAR(field.camera.orientation[0][0], 0.0f, 1e-6);
    EXPECT_NEAR(field.camera.orientation[0][1], 1.0f, 1e-6);
    EXPECT_EQ(field.camera.position[0], 3.0f);
    EXPECT_EQ(field.camera.position[1], -4.0f);
    EXPECT_EQ(field.camera.position[2], 5.0f);
    EXPECT_EQ(field.camera.viewWidth, 480.0f);
    EXPECT_EQ(field.camera.viewHeight, 466.0f);
    EXPECT_EQ(field.camera.viewX, 12.0f);
    EXPECT_EQ(field.camera.viewY, 7.0f);
    EXPECT_EQ(field.camera.fov, 60.0f);
    EXPECT_EQ(field.camera.flags, CAMERA_SQUARE);

    // The rotation is rebuilt from the identity, not added up frame by frame.
    field.Update(&view);
    EXPECT_NEAR(field.camera.orientation[0][1], 1.0f, 1e-6);
    field.SetParameter(CONTROL_BGSCRZ, 0.0f);
    field.Update(&view);
    EXPECT_NEAR(field.camera.orientation[0][0], 1.0f, 1e-6);
    EXPECT_NEAR(field.camera.orientation[0][1], 0.0f, 1e-6);
}

// ---------------------------------------------------------------- star forms and colour

TEST_F(StarFieldTest, ThirtyUnitsFromTheAxisIsTheFarForm) {
    StarField field;
    Ready(field);
    struct Case {
        float x, y, cameraX, cameraY;
        int vertices;
    };
    const Case cases[] = {
        {30.0f, 0.0f, 0.0f, 0.0f, 4},    {29.9f, 0.0f, 0.0f, 0.0f, 12},
        {0.0f, -30.0f, 0.0f, 0.0f, 4},   {-15.0f, 15.0f, 0.0f, 0.0f, 4},
        {15.9f, 14.9f, 0.0f, 0.0f, 12},  {15.9f, -14.9f, 0.0f, 0.0f, 12},
        {40.0f, 0.0f, 10.0f, 0.0f, 4},   {39.5f, 0.0f, 10.0f, 0.0f, 12},
        {0.0f, 0.0f, -20.0f, -10.0f, 4}, {0.5f, 0.5f, -20.0f, -9.0f, 12},
    };
    for (const Case& c : cases) {
        OneStar(field, c.x, c.y, 25.0f);
        field.cameraPositionX = c.cameraX;
        field.cameraPositionY = c.cameraY;
        field.Draw();
        std::vector<std::vector<Vertex>> stars = StarsDrawn(2);
        ASSERT_EQ(stars.size(), 1u);
        EXPECT_EQ(int(stars[0].size()), c.vertices)
            << c.x << ", " << c.y << " from " << c.cameraX << ", " << c.cameraY;
    }
}

void ExpectVertex(const Vertex& v, float x, float y, float z, float u, float tv) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.u, u);
    EXPECT_FLOAT_EQ(v.v, tv);
    EXPECT_EQ(v.a, 255);
}

TEST_F(StarFieldTest, StarFormsAreCrossedQuadsAroundTheStar) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSSIZE, 0.5f);
    OneStar(field, 2.0f, 3.0f, 10.0f);
    field.Draw();
    std::vector<Vertex> v = StarsDrawn(2).at(0);
    ASSERT_EQ(v.size(), 12u);
    // Facing the viewer, then the planes x = 2 and y = 3.
    ExpectVertex(v[0], 1.5f, 2.5f, 10.0f, 0, 0);
    ExpectVertex(v[1], 2.5f, 2.5f, 10.0f, 1, 0);
    ExpectVertex(v[2], 2.5f, 3.5f, 10.0f, 1, 1);
    ExpectVertex(v[3], 1.5f, 3.5f, 10.0f, 0, 1);
    ExpectVertex(v[4], 2.0f, 2.5f, 9.5f, 0, 0);
    ExpectVertex(v[5], 2.0f, 2.5f, 10.5f, 1, 0);
    ExpectVertex(v[6], 2.0f, 3.5f, 10.5f, 1, 1);
    ExpectVertex(v[7], 2.0f, 3.5f, 9.5f, 0, 1);
    ExpectVertex(v[8], 2.5f, 3.0f, 10.5f, 0, 0);
    ExpectVertex(v[9], 1.5f, 3.0f, 10.5f, 1, 0);
    ExpectVertex(v[10], 1.5f, 3.0f, 9.5f, 1, 1);
    ExpectVertex(v[11], 2.5f, 3.0f, 9.5f, 0, 1);

    OneStar(field, 31.0f, -3.0f, 40.0f);
    field.Draw();
    v = StarsDrawn(2).at(0);
    ASSERT_EQ(v.size(), 4u);
    ExpectVertex(v[0], 30.5f, -3.5f, 40.0f, 0, 0);
    ExpectVertex(v[1], 31.5f, -3.5f, 40.0f, 1, 0);
    ExpectVertex(v[2], 31.5f, -2.5f, 40.0f, 1, 1);
    ExpectVertex(v[3], 30.5f, -2.5f, 40.0f, 0, 1);
}

TEST_F(StarFieldTest, ColourFadesWithDepthAndNeverWraps) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 1.0f);
    field.stars[0].red = 200;
    field.stars[0].green = 101;
    field.stars[0].blue = 255;
    struct Case {
        float z, worldDepth;
        int red, green, blue;
    };
    const Case cases[] = {
        {25.0f, 50.0f, 100, 50, 127},  // half way
        {0.0f, 50.0f, 200, 101, 255},  // at the viewer
        {50.0f, 50.0f, 0, 0, 0},       // the far end
        {60.0f, 50.0f, 0, 0, 0},       // beyond it (moving away): black, not wrapped
        {1e9f, 50.0f, 0, 0, 0},
        {-10.0f, 50.0f, 200, 101, 255},  // in front of z 0: full, not more
        {10.0f, 0.0f, 0, 0, 0},          // a world of no depth
        {-10.0f, -20.0f, 100, 50, 127},
    };
    for (const Case& c : cases) {
        field.worldSizeZ = c.worldDepth;
        field.stars[0].z = c.z;
        uint8_t rgb[3];
        field.StarColour(0, rgb);
        EXPECT_EQ(rgb[0], c.red) << c.z << " in " << c.worldDepth;
        EXPECT_EQ(rgb[1], c.green) << c.z << " in " << c.worldDepth;
        EXPECT_EQ(rgb[2], c.blue) << c.z << " in " << c.worldDepth;
        // The drawn vertices carry it.
        screen.Forget();
        field.Draw();
        const std::vector<Vertex> drawn = StarsDrawn(2).at(0);
        for (const Vertex& v : drawn) {
            EXPECT_EQ(v.r, c.red);
            EXPECT_EQ(v.g, c.green);
            EXPECT_EQ(v.b, c.blue);
        }
    }

    // Stars sent away past the far end by a negative speed fade out and stay dark.
    field.worldSizeZ = 50.0f;
    field.SetParameter(CONTROL_BGSNUMS, 200.0f);
    field.SetParameter(CONTROL_BGSSZ, -20.0f);
    for (int frame = 0; frame < 60; ++frame) field.Update(nullptr);
    screen.Forget();
    field.Draw();
    const std::vector<std::vector<Vertex>> drawn = StarsDrawn(2);
    ASSERT_EQ(drawn.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        ASSERT_GT(field.stars[i].z, 50.0f) << i;
        for (const Vertex& v : drawn[size_t(i)]) {
            EXPECT_EQ(v.r, 0) << i;
            EXPECT_EQ(v.b, 0) << i;
        }
    }
}

// ---------------------------------------------------------------- the drawn frame

TEST_F(StarFieldTest, FrameWithBackdropAndNoBlurClearsNothing) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 3.0f);
    field.SetParameter(CONTROL_BGSBCR, 200.0f);
    field.SetParameter(CONTROL_BGSBCG, 100.0f);
    field.SetParameter(CONTROL_BGSBCB, 51.0f);
    field.SetParameter(CONTROL_BGSBCOLA, 128.0f);
    for (int i = 0; i < 3; ++i) field.stars[i] = {40.0f, 0.0f, 20.0f, 20.0f, 255, 255, 255, 0};
    field.Draw();
    EXPECT_EQ(screen.Calls(),
              "SetView null; SetSurface 0; Draw 6 4 0; SetSurface 1; Draw 6 192 0; "
              "SetView camera; SetSurface 2; Draw 6 12 0");
    ASSERT_EQ(screen.surfaces.size(), 3u);
    EXPECT_EQ(screen.surfaces[0], &field.cloud);
    EXPECT_EQ(screen.surfaces[2], &field.starSprite);
    // The cloud covers the frame, the tiled stars add onto it.
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_OPAQUE);
    EXPECT_EQ(screen.applied[1].blendMode, SURFACE_ADDITIVE);
    EXPECT_EQ(screen.applied[2].blendMode, SURFACE_ADDITIVE);
    // The cloud stretches over the virtual screen at z 1 in white: its texture holds the
    // tint (the frames between steps below).
    const float corners[4][2] = {{0, 0}, {639.9f, 0}, {639.9f, 479.9f}, {0, 479.9f}};
    const float texture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int c = 0; c < 4; ++c) {
        ExpectVertex(screen.drawn[0][size_t(c)], corners[c][0], corners[c][1], 1.0f, texture[c][0],
                     texture[c][1]);
        EXPECT_EQ(screen.drawn[0][size_t(c)].r & screen.drawn[0][size_t(c)].b, 255);
    }
    // The tiled stars: 8 x 6 square tiles of 91 pixels (640 / 7 to the pixel; the last
    // cut), each drawn texel for pixel from a texture of 128, which holds the picture's
    // grey 0x80 in the tint, opacity 128 of 255.
    const std::vector<Vertex>& tiles = screen.drawn[1];
    ExpectVertex(tiles[0], 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    ExpectVertex(tiles[2], 91.0f, 91.0f, 1.0f, 91.0f / 128, 91.0f / 128);
    ExpectVertex(tiles[47 * 4 + 2], 640.0f, 480.0f, 1.0f, 3.0f / 128, 25.0f / 128);
    EXPECT_EQ(Texel(*screen.surfaces[1], 90, 90), (std::array<int, 4>{50, 25, 13, 255}));
    EXPECT_EQ(Texel(*screen.surfaces[1], 91, 0), (std::array<int, 4>{}));
}

// On a monitor twice as wide the tiles stay square and in line with the design's, which
// lies centred: the picture reaches 7 x 320 / 640 tiles out on either side.
TEST_F(StarFieldTest, TheTiledLayerKeepsSquareTilesOnAWideMonitor) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 0.0f);
    screen.SetTarget(1280, 480, nullptr, 0, 0);
    screen.Forget();
    field.Draw();
    ASSERT_GE(screen.drawn.size(), 2u);
    const std::vector<Vertex>& tiles = screen.drawn[1];
    ASSERT_EQ(tiles.size(), 15u * 6 * 4);
    // The design's corner 320 pixels in: the first column cut 44 of its 91 pixels in; a
    // whole tile is half as wide in the stretched view.
    EXPECT_FLOAT_EQ(tiles[0].x, 0.0f);
    EXPECT_FLOAT_EQ(tiles[0].u, 44.0f / 128);
    EXPECT_FLOAT_EQ(tiles[4 + 1].x - tiles[4].x, 91.0f / 2);
    EXPECT_FLOAT_EQ(tiles[14 * 4 + 1].x, 640.0f);  // over the whole monitor
}

// The tiled picture is scaled to the tile's size on the monitor: bilinear as it grows,
// wrapping round the tile's edge, averaged as it shrinks. A row keeps the brightness
// of the picture's row, here one red column of eight.
TEST_F(StarFieldTest, TheTiledPictureIsScaledToTheMonitorsTileSize) {
    Bitmap picture;
    ASSERT_EQ(picture.CreateWithMasks(8, 8, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
    for (int y = 0; y < 8; ++y) picture.pixels[y * picture.pitch + 2] = 255;
    ASSERT_EQ(registry.bmp->Save("textures/stars.bmp", picture, 0, 0, 0), 1) << PendingError();
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 0.0f);
    for (int32_t id : {CONTROL_BGSBCR, CONTROL_BGSBCG, CONTROL_BGSBCB})
        field.SetParameter(id, 255.0f);
    const struct {
        int32_t height;
        int peak;      // the texel nearest the column's centre
        int wrapping;  // a texel at the tile's far edge that takes some of the column
        int empty;     // a texel far from it
    } cases[] = {{480, 5, 90, 45}, {30, 0, 0, 3}};
    for (const auto& c : cases) {
        screen.SetTarget(c.height * 4 / 3, c.height, nullptr, 0, 0);
        screen.Forget();
        field.Draw();
        const float period = std::round(640.0f / 7.0f * float(c.height) / 480.0f);
        const CSurface& tiles = *screen.surfaces[1];
        float sum = 0.0f;
        int peak = 0;
        for (int x = 0; x < int(std::ceil(period)); ++x) {
            sum += float(Texel(tiles, x, 3)[0]);
            if (Texel(tiles, x, 3)[0] > Texel(tiles, peak, 3)[0]) peak = x;
        }
        EXPECT_NEAR(sum, 255.0f * period / 8.0f, 255.0f * 0.15f) << c.height;
        EXPECT_EQ(peak, c.peak) << c.height;
        EXPECT_TRUE(!c.wrapping || Texel(tiles, c.wrapping, 3)[0] > 60) << c.height;
        EXPECT_EQ(Texel(tiles, c.empty, 3)[0], 0) << c.height;
    }
}

TEST_F(StarFieldTest, MotionBlurFadesThePreviousFrameAndAddsTheCloud) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 1.0f);
    field.stars[0] = {40.0f, 0.0f, 20.0f, 20.0f, 255, 255, 255, 0};
    field.SetParameter(CONTROL_BGSMBLUR, 0.75f);
    field.Draw();
    EXPECT_EQ(screen.Calls(),
              "SetView null; SetSurface 0; Draw 6 4 0; SetSurface 1; "
              "Draw 6 192 0; SetView camera; SetSurface 2; Draw 6 4 0");
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_FADE_ADD);
    for (const Vertex& corner : screen.drawn[0]) EXPECT_EQ(corner.a, 255);
    EXPECT_EQ(Texel(field.cloud, 10, 20)[3], 191);
    // A device as fast with a tint keeps tint and fade in the vertices, the textures as
    // made.
    screen.texturesAsTheyAre = false;
    field.SetParameter(CONTROL_BGSBCB, 90.0f);
    screen.Forget();
    field.Draw();
    EXPECT_EQ(Texel(field.cloud, 10, 20)[3], 255);
    for (const std::vector<Vertex>& layer : {screen.drawn[0], screen.drawn[1]})
        EXPECT_EQ(layer[0].b, 90);
    EXPECT_EQ(screen.drawn[0][0].a, 191);
    EXPECT_EQ(Texel(*screen.surfaces[1], 0, 0)[2], 128);  // the picture's grey

    // Without the backdrop the frame is the background colour: cleared, or faded
    // toward it with blur.
    field.SetParameter(CONTROL_BGSBCOLA, 0.0f);
    field.SetParameter(CONTROL_BGSBCG, 77.0f);
    screen.Forget();
    field.Draw();
    EXPECT_EQ(screen.Calls(), "Clear 1 75; SetView camera; SetSurface 0; Draw 6 4 0");
    field.SetParameter(CONTROL_BGSMBLUR, 0.0f);
    screen.Forget();
    field.Draw();
    EXPECT_EQ(screen.Calls(), "Clear 1 0; SetView camera; SetSurface 0; Draw 6 4 0");
    ASSERT_EQ(screen.clearColours.size(), 1u);
    EXPECT_EQ(screen.clearFlags[0], CLEAR_COLOUR);
    EXPECT_EQ(screen.clearColours[0].g, 77);
    EXPECT_EQ(screen.clearColours[0].a, 0);
}

// Frames between steps place stars and camera between them (a turn too large for a step
// is a jump, whole at once); the blur fades per step, so trails last as long in seconds.
TEST_F(StarFieldTest, FramesBetweenStepsPlaceStarsAndCameraAndKeepTheTrailsInSeconds) {
    StarField field;
    Ready(field);
    field.SetParameter(CONTROL_BGSNUMS, 1.0f);
    field.SetParameter(CONTROL_BGSSZ, 100.0f);  // 5 units toward the viewer a step
    field.stars[0] = {40.0f, 0.0f, 30.0f, 30.0f, 255, 255, 255, 0};
    field.SetParameter(CONTROL_BGSCAMPX, 2.0f);
    field.SetParameter(CONTROL_BGSCRZ, 10.0f);
    field.Update(nullptr);
    field.SetParameter(CONTROL_BGSCAMPX, 6.0f);
    field.SetParameter(CONTROL_BGSCRY, 170.0f);
    field.SetParameter(CONTROL_BGSCRZ, 30.0f);
    field.Update(nullptr);
    ASSERT_EQ(field.stars[0].z, 20.0f);
    field.SetParameter(CONTROL_BGSMBLUR, 0.5f);
    field.SetParameter(CONTROL_BGSBCR, 80.0f);
    field.backdropOpacity = 255;
    const struct Case {
        FrameTime time;
        float z, cameraX;
        uint8_t kept;  // the backdrop's fading alpha: 0.5 per step of the frame's time
        uint8_t red;   // what the frame adds of the backdrop: 80 a step, as its steps would
    } cases[] = {
        {{1.0f, 1.0f}, 20.0f, 6.0f, 128, 80},
        {{0.25f, 1.0f}, 23.75f, 3.0f, 128, 80},
        {{0.5f, 2.0f}, 22.5f, 4.0f, 64, 120},
        {{0.0f, 0.5f}, 25.0f, 2.0f, 180, 46},
    };
    // Halfway: the small turn half made, the jump of 170 degrees whole.
    Camera halfway = field.camera;
    halfway.ResetOrientation();
    halfway.SetRotation(0.0f, 170.0f, 20.0f);
    for (const Case& c : cases) {
        screen.Forget();
        field.Draw(c.time);
        ASSERT_FALSE(screen.drawn.empty() || screen.views.empty());
        EXPECT_TRUE(c.time.between != 0.5f ||
                    std::memcmp(&screen.views.back()->orientation, &halfway.orientation,
                                sizeof halfway.orientation) == 0);
        EXPECT_FLOAT_EQ(screen.drawn.back()[0].z, c.z) << c.time.between;
        // The cloud's brightest texel shows the tint and the fading alpha.
        const Bitmap& grey = CloudImage();
        const uint8_t* brightest = std::max_element(grey.pixels, grey.pixels + grey.pitch * 64);
        const int g = *brightest, at = int(brightest - grey.pixels);
        ASSERT_GT(g, 100);
        const std::array<int, 4> texel = Texel(field.cloud, at % grey.pitch / 3, at / grey.pitch);
        EXPECT_EQ(texel[3], c.kept) << c.time.steps;
        EXPECT_EQ(texel[0], (g * c.red + 127) / 255) << c.time.steps;
        EXPECT_FLOAT_EQ(screen.views.back()->position[0], c.cameraX) << c.time.between;
        EXPECT_EQ(screen.views.back() == &field.camera, c.time.between == 1.0f);
    }
}

// ---------------------------------------------------------------- cloud texture

std::vector<uint8_t> CloudPixels() {
    const Bitmap& image = CloudImage();
    return std::vector<uint8_t>(image.pixels, image.pixels + image.pitch * image.height);
}

TEST(CloudTexture, NoiseIsSeededBoundedAndRepeatsEvery256Units) {
    std::srand(42);
    ResetNoise();
    std::vector<float> first;
    for (int i = 0; i < 200; ++i) {
        float p[3] = {i * 0.37f, i * 0.11f + 3.0f, 7.5f - i * 0.23f};
        first.push_back(Noise3(p));
        EXPECT_LE(std::fabs(first.back()), 1.0f) << i;
        // The lattice repeats: the same value 256 units on along each axis.
        for (int axis = 0; axis < 3; ++axis) {
            float q[3] = {p[0], p[1], p[2]};
            q[axis] += 256.0f;
            EXPECT_NEAR(Noise3(q), first.back(), 2e-3) << i << " axis " << axis;
        }
    }
    // Gradient noise is 0 at every lattice point.
    for (int i = -3; i < 20; ++i) {
        float p[3] = {float(i), float(2 * i), float(i + 7)};
        EXPECT_NEAR(Noise3(p), 0.0f, 1e-6) << i;
    }
    // The same seed gives the same tables, another seed others.
    std::srand(42);
    ResetNoise();
    for (int i = 0; i < 200; ++i) {
        float p[3] = {i * 0.37f, i * 0.11f + 3.0f, 7.5f - i * 0.23f};
        EXPECT_EQ(Noise3(p), first[size_t(i)]) << i;
    }
    std::srand(43);
    ResetNoise();
    int differ = 0;
    for (int i = 0; i < 200; ++i) {
        float p[3] = {i * 0.37f, i * 0.11f + 3.0f, 7.5f - i * 0.23f};
        differ += Noise3(p) != first[size_t(i)];
    }
    EXPECT_GT(differ, 150);
    // Coordinates the lattice offset cannot hold give numbers, not undefined ints.
    float far[3] = {-1e7f, std::numeric_limits<float>::quiet_NaN(), 3e9f};
    EXPECT_TRUE(std::isfinite(Noise3(far)));
}

TEST(CloudTexture, GreyCloudsThatDriftWithTheOffset) {
    std::srand(5);
    ResetNoise();
    SetCloudOffset(0.0f);
    ASSERT_EQ(GenerateCloudImage(0.0f), 1);
    const Bitmap& image = CloudImage();
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 64);
    ASSERT_EQ(image.bitsPerPixel, 24);
    std::vector<uint8_t> still = CloudPixels();
    int dark = 0, bright = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint8_t* p = &still[size_t(y * image.pitch + x * 3)];
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
            // (1 - 0.01^0.5) * 256 is the brightest a pixel gets.
            ASSERT_LE(p[0], 230);
            dark += p[0] == 0;
            bright += p[0] > 100;
        }
    // Clouds and gaps, not a flat image.
    EXPECT_GT(dark, 400);
    EXPECT_GT(bright, 100);

    // The same seed and offset give the same image; a drift of 0 keeps it.
    EXPECT_EQ(CloudOffset(), 0.0f);
    ASSERT_EQ(GenerateCloudImage(0.5f), 1);
    EXPECT_EQ(CloudPixels(), still);
    EXPECT_EQ(CloudOffset(), 0.5f);
    // The next frame is the noise half a unit on.
    ASSERT_EQ(GenerateCloudImage(0.5f), 1);
    std::vector<uint8_t> moved = CloudPixels();
    int changed = 0;
    for (size_t i = 0; i < moved.size(); ++i) changed += moved[i] != still[i];
    EXPECT_GT(changed, 1000);
    std::srand(5);
    ResetNoise();
    SetCloudOffset(0.5f);
    GenerateCloudImage(0.0f);
    EXPECT_EQ(CloudPixels(), moved);

    // The offset stays within one period of the noise, which draws the same clouds.
    SetCloudOffset(255.75f);
    GenerateCloudImage(0.5f);
    EXPECT_FLOAT_EQ(CloudOffset(), 0.25f);
    SetCloudOffset(-0.25f);
    GenerateCloudImage(0.0f);
    EXPECT_FLOAT_EQ(CloudOffset(), 255.75f);
    std::vector<uint8_t> wrapped = CloudPixels();
    SetCloudOffset(255.75f);
    GenerateCloudImage(0.0f);
    std::vector<uint8_t> unwrapped = CloudPixels();
    for (size_t i = 0; i < wrapped.size(); ++i)
        ASSERT_NEAR(int(wrapped[i]), int(unwrapped[i]), 2) << i;
    // A drift that is no number leaves the offset alone.
    GenerateCloudImage(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(CloudOffset(), 255.75f);
    SetCloudOffset(0.0f);
}

// Steps drift the cloud; the next frame uploads the last step's picture, once.
TEST_F(StarFieldTest, AFrameAfterStepsUploadsTheCloudOfTheLastStep) {
    StarField field;
    Ready(field);
    // Black until the first frame.
    MemoryTexture* texture = static_cast<MemoryTexture*>(field.cloud.texture);
    ASSERT_NE(texture, nullptr);
    for (int x = 0; x < 64; ++x) ASSERT_EQ(Texel(field.cloud, x, 31), (std::array<int, 4>{}));
    int uploads = texture->uploads;
    // A white tint: the texture holds the grey as it is.
    for (int32_t id : {CONTROL_BGSBCR, CONTROL_BGSBCG, CONTROL_BGSBCB})
        field.SetParameter(id, 255.0f);
    field.SetParameter(CONTROL_BGSBCS, 25.0f);
    float offset = CloudOffset();
    field.Update(nullptr);
    field.Update(nullptr);
    EXPECT_EQ(texture->uploads, uploads);
    field.Draw();
    field.Draw();
    EXPECT_EQ(texture->uploads, uploads + 1);
    EXPECT_EQ(field.cloud.texture, texture);  // the same texture, a new picture
    EXPECT_EQ(textures.Count(), 4);           // with the tiled layer at this monitor's size
    EXPECT_NEAR(CloudOffset(), offset + 0.5f, 1e-5);
    // The texture holds the picture of the second step's start.
    ASSERT_EQ(MakeCloudImageAt(offset + 0.25f), 1);
    std::vector<uint8_t> pixels = CloudPixels();
    for (int x = 0; x < 64; ++x) ASSERT_EQ(Texel(field.cloud, x, 0)[1], pixels[size_t(x) * 3]);
    // A cloud that stops drifting is made once more, then not again.
    field.SetParameter(CONTROL_BGSBCS, 0.0f);
    uploads = texture->uploads;
    for (int update = 0; update < 3; ++update) {
        field.Update(nullptr);
        field.Draw();
    }
    EXPECT_EQ(texture->uploads, uploads + 1);
    SetCloudOffset(0.0f);
}

// ---------------------------------------------------------------- the plain saver

// A scene of another identifier, to see which one vx_init picks.
class OtherScene : public SceneObject {
public:
    explicit OtherScene(int32_t id) : SceneObject(id) {}
    int Create() override {
        ++created;
        return 1;
    }
    int Update(const Camera*) override { return 1; }
    int Draw(const FrameTime&) override { return 1; }
    bool SetParameter(int32_t, float) override { return false; }
    bool GetParameter(int32_t, ParameterReading*) override { return false; }
    int Release() override { return 1; }
    int created = 0;
};

class SaverFrameTest : public StarFieldTest {
protected:
    void SetUp() override {
        StarFieldTest::SetUp();
        savedKeyboard = glb->keyboard;
        glb->keyboard = &keyboard;
        savedBackground = Settings.backgroundNumber;
        Settings.backgroundNumber = 0;
        ASSERT_EQ(Scenes().Count(), 0);
        // The intro's atlas, without which the run does not start, and the font.
        const std::vector<uint32_t> atlas(16 * 8, 0xFF808080u);
        ASSERT_EQ(Fxt1WriteFile("textures/nd.fxt", atlas.data(), 16, 8), 1);
        Bitmap font;
        ASSERT_EQ(font.CreateWithMasks(128, 64, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("textures/font8x8.bmp", font, 0, 0, 0), 1);
    }
    void TearDown() override {
        if (app.config.animator) EditorExit(app);
        glb->keyboard = savedKeyboard;
        Settings.backgroundNumber = savedBackground;
        StarFieldTest::TearDown();
    }
    void PressF9() {
        keyboard.SetKeyState(KEY_F1 + 8, 1);
        keyboard.SetKeyState(KEY_F1 + 8, 0);
    }

    Keyboard keyboard;
    Keyboard* savedKeyboard = nullptr;
    int32_t savedBackground = 0;
    // The log and the user's own files in the scratch folder, the shipped data's.
    ScratchLog scratchLog{scratch.Path()};
    EditorRun app;
};

TEST_F(SaverFrameTest, FramesUpdateStepDrawAndPresentTheStarField) {
    // What start-up makes: the star field, registered in the scene list.
    StarField* field = XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    ASSERT_NE(app.config.animator, nullptr);
    EXPECT_EQ(Scenes().Current(), field);
    // The background's values reach the scene before the first frame: 500 stars.
    EXPECT_EQ(field->starCount, 500);
    EXPECT_EQ(field->starCapacity, 600);
    EXPECT_NE(field->starSprite.texture, nullptr);
    EXPECT_EQ(app.config.animator->camera.position[2], -160.0f);

    screen.Forget();
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    std::string calls = screen.Calls();
    // The default background has motion blur: the cloud's pass fades the last frame.
    EXPECT_EQ(calls.rfind("BeginScene; SetView null; SetSurface 0; Draw 6 4 0; "
                          "SetSurface 1; Draw 6 192 0; SetView camera; SetSurface 2; Draw 6 ",
                          0),
              0u)
        << calls;
    EXPECT_NE(calls.find("; EndScene; Present"), std::string::npos);
    // The animator pushed the default background into the scene: a tinted cloud, a
    // few hundred pale stars coming toward the viewer, blur.
    EXPECT_GE(field->starCount, 350);
    EXPECT_LE(field->starCount, 650);
    EXPECT_LT(field->speedZ, 0.0f);
    EXPECT_GT(field->backgroundColour[2], 0);
    EXPECT_EQ(field->backdropOpacity, 255);
    EXPECT_GE(field->endColour[0], 180);
    EXPECT_GT(field->motionBlur, 0.0f);
    EXPECT_GT(field->starSize, 0.0f);
    EXPECT_EQ(field->worldSizeZ, 50.0f);
    EXPECT_EQ(field->camera.viewWidth, 640.0f);
    // The intro's sprites follow the stars.
    EXPECT_EQ(int(screen.drawn.size()), 2 + 1 + INTRO_SPRITE_COUNT);

    // Frames go on; the animated parameters move.
    float roll = field->rotationZ;
    uint8_t blue = field->backgroundColour[2];
    for (int frame = 0; frame < 100; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_NE(field->rotationZ, roll);
    EXPECT_TRUE(field->backgroundColour[2] != blue || field->rotationZ != roll);

    // F9 holds the animation; the stars still move. Held down, it does not flip back
    // every frame.
    keyboard.SetKeyState(KEY_F1 + 8, 1);
    EditorFrame(app, 0.02f);
    EXPECT_EQ(app.run.stepping, 0);
    roll = field->rotationZ;
    float star = field->stars[0].z;
    for (int frame = 0; frame < 20; ++frame) EditorFrame(app, 0.02f);
    keyboard.SetKeyState(KEY_F1 + 8, 0);
    EXPECT_EQ(app.run.stepping, 0);
    EXPECT_EQ(field->rotationZ, roll);
    EXPECT_NE(field->stars[0].z, star);
    // Pressed again: it moves on.
    PressF9();
    EditorFrame(app, 0.02f);
    EXPECT_EQ(app.run.stepping, 1);
    EditorFrame(app, 0.02f);
    EXPECT_NE(field->rotationZ, roll);

    // The teardown empties the scene list and frees the textures before the screen goes.
    EditorExit(app);
    EXPECT_EQ(Scenes().Count(), 0);
    EXPECT_EQ(app.config.animator, nullptr);
    EXPECT_EQ(textures.Count(), 0);
    EXPECT_EQ(Settings.backgroundNumber, 0);
    // Not running any more: a stray frame draws nothing.
    screen.Forget();
    EXPECT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(screen.Calls(), "");
}

TEST_F(SaverFrameTest, TheSceneSavedAtTheLastExitIsChosenAndRemembered) {
    XNEW(StarField);
    OtherScene* other = XNEW(OtherScene, 7);
    Settings.backgroundNumber = 7;
    ASSERT_EQ(vx_init(app, 1), 1);
    EXPECT_EQ(Scenes().Current(), other);
    EXPECT_EQ(other->created, 1);
    EditorExit(app);
    EXPECT_EQ(Settings.backgroundNumber, 7);
    EXPECT_EQ(Scenes().Count(), 0);

    // A saved identifier that no scene has: the first one.
    StarField* field = XNEW(StarField);
    other = XNEW(OtherScene, 8);
    Settings.backgroundNumber = 3;
    ASSERT_EQ(vx_init(app, 1), 1);
    EXPECT_EQ(Scenes().Current(), field);
    EXPECT_EQ(other->created, 0);
    EXPECT_EQ(field->starCount, 500);
    EditorExit(app);
    EXPECT_EQ(Settings.backgroundNumber, 0);
}

TEST_F(SaverFrameTest, MissingTexturesDoNotStopTheRun) {
    std::remove("textures/star.bmp");
    StarField* field = XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    // Tolerated: nothing is left to show as an error at the end of the run.
    EXPECT_EQ(PendingError(), "");
    EXPECT_EQ(field->starSprite.texture, nullptr);
    EXPECT_NE(field->tiledStars.texture, nullptr);
    for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(PendingError(), "");
    EditorExit(app);
}

TEST_F(SaverFrameTest, ALoadedBackgroundStartsFromItsValuesAndStaysInItsRanges) {
    {
        VxAnimator saved;
        saved.SetDefaultBackground();
        saved.SetMode(CONTROL_BGSNUMS, ANIM_PING_PONG);
        saved.SetLow(CONTROL_BGSNUMS, 100.0f);
        saved.SetHigh(CONTROL_BGSNUMS, 300.0f);
        saved.SetValue(CONTROL_BGSNUMS, 200.0f, 1, 1);
        saved.SetMode(CONTROL_BGSSZ, ANIM_RANDOM);
        saved.SetLow(CONTROL_BGSSZ, 1.0f);
        saved.SetHigh(CONTROL_BGSSZ, 2.0f);
        saved.SetValue(CONTROL_BGSSZ, 1.5f, 1, 1);
        saved.SetMode(CONTROL_BGSBCR, ANIM_NONE);
        saved.SetValue(CONTROL_BGSBCR, 77.0f, 1, 1);
        ASSERT_EQ(SaveBackground(&saved, BACKGROUND_FILE_NAME), 1);
    }
    StarField* field = XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    VxAnimator* animator = app.config.animator;
    // The scene has every loaded value before the first frame.
    EXPECT_EQ(field->starCount, 200);
    EXPECT_EQ(field->backgroundColour[0], 77);
    EXPECT_FLOAT_EQ(field->speedZ, -1.5f);

    VxAnimator file;
    file.SetDefaultBackground();
    ASSERT_EQ(LoadBackground(&file, BACKGROUND_FILE_NAME), 1);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    // A new transition leaves from the loaded value at full speed: one step away.
    EXPECT_NEAR(animator->Channel(CONTROL_BGSNUMS)->value, 200.0f, 5.0f);
    EXPECT_NEAR(animator->Channel(CONTROL_BGSSZ)->value, 1.5f, 0.05f);
    for (int frame = 0; frame < 400; ++frame) {
        ASSERT_EQ(EditorFrame(app, 0.02f), 1);
        for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
            if (row->storage != CONTROL_SAVED) continue;
            const SliderChannel* now = animator->Channel(row->id);
            const SliderChannel* loaded = file.Channel(row->id);
            if (loaded->mode == ANIM_NONE) {
                ASSERT_EQ(now->value, loaded->value) << row->keyword << " frame " << frame;
                continue;
            }
            float low = std::min(loaded->low, loaded->high);
            float high = std::max(loaded->low, loaded->high);
            ASSERT_GE(now->value, low) << row->keyword << " frame " << frame;
            ASSERT_LE(now->value, high) << row->keyword << " frame " << frame;
        }
    }
    EXPECT_GE(field->starCount, 100);
    EXPECT_LE(field->starCount, 300);
}

TEST_F(SaverFrameTest, ARunStartsFromTheUsersOwnBackgroundElseTheShippedOne) {
    // As the installed program: the shipped background in the data folder (the working
    // directory), the program elsewhere, the user's own copy in their folder.
    const std::string own = scratch.Path() + "/own/";
    ASSERT_EQ(Platform().createDirectory(own.c_str()), 1);
    scratchLog.SetUserDirectory(own);
    scratchLog.SetCommandLine("\"" + scratch.Path() + "/system/Novadrift.scr\" /s");
    const std::string shipped = BACKGROUND_FILE_NAME, users = own + BACKGROUND_FILE_NAME;
    for (const std::string& path : {shipped, users}) {
        VxAnimator saved;
        saved.SetDefaultBackground();
        saved.SetMode(CONTROL_BGSBCR, ANIM_NONE);
        saved.SetValue(CONTROL_BGSBCR, path == users ? 33.0f : 77.0f, 1, 1);
        ASSERT_EQ(SaveBackground(&saved, path.c_str()), 1);
    }
    for (int red : {33, 77}) {
        StarField* field = XNEW(StarField);
        ASSERT_EQ(vx_init(app, 1), 1);
        EXPECT_EQ(field->backgroundColour[0], red);
        EditorExit(app);
        ASSERT_EQ(std::remove(users.c_str()), red == 33 ? 0 : -1);
    }
}

// What the XScreenSaver module's options ask of a run (RunRequests): a background file of
// its own, the stars held at a count, the speed scaled, the frame rate shown.
TEST_F(SaverFrameTest, ARunsRequestsTakeTheirFileHoldTheStarsScaleTheSpeedAndShowTheRate) {
    {
        VxAnimator saved;
        saved.SetDefaultBackground();
        saved.SetMode(CONTROL_BGSBCR, ANIM_NONE);
        saved.SetValue(CONTROL_BGSBCR, 77.0f, 1, 1);
        ASSERT_EQ(SaveBackground(&saved, BACKGROUND_FILE_NAME), 1);
        saved.SetValue(CONTROL_BGSBCR, 44.0f, 1, 1);
        saved.SetMode(CONTROL_BGSSZ, ANIM_PING_PONG);
        saved.SetLow(CONTROL_BGSSZ, 1.0f);
        saved.SetHigh(CONTROL_BGSSZ, 2.0f);
        saved.SetValue(CONTROL_BGSSZ, 1.5f, 1, 1);
        ASSERT_EQ(SaveBackground(&saved, "asked.qvb"), 1);
    }
    RunRequests& requests = app.requests;
    const RunRequests none = requests;
    requests.showFrameRate = 1;
    requests.starCount = 1234;
    requests.speedFactor = 2.0f;
    std::snprintf(requests.backgroundFile, sizeof requests.backgroundFile, "%s", "asked.qvb");
    StarField* field = XNEW(StarField);
    const int started = vx_init(app, 1);
    requests = none;
    ASSERT_EQ(started, 1);
    EXPECT_EQ(field->backgroundColour[0], 44);
    EXPECT_EQ(app.run.showFrameRate, 1);
    const SliderChannel* speed = app.config.animator->Channel(CONTROL_BGSSZ);
    EXPECT_EQ(speed->low, 2.0f);
    EXPECT_EQ(speed->high, 4.0f);
    EXPECT_FLOAT_EQ(field->speedZ, -3.0f);
    for (int frame = 0; frame < 100; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    // Held: the background's ping pong of the count no longer moves it.
    EXPECT_EQ(field->starCount, 1234);
    EXPECT_GE(-field->speedZ, 2.0f);
    EXPECT_LE(-field->speedZ, 4.0f);
    EditorExit(app);

    // A file asked for that cannot be loaded: logged, and the usual one is shown.
    std::snprintf(requests.backgroundFile, sizeof requests.backgroundFile, "%s", "missing.qvb");
    field = XNEW(StarField);
    const int fellBack = vx_init(app, 1);
    requests = none;
    ASSERT_EQ(fellBack, 1);
    EXPECT_EQ(field->backgroundColour[0], 77);
    EXPECT_EQ(app.run.showFrameRate, 0);
    EXPECT_NE(scratchLog.Text().find("WARNING : Unable to load background missing.qvb"),
              std::string::npos)
        << scratchLog.Text();
    EXPECT_EQ(PendingError(), "");
}

TEST_F(SaverFrameTest, AStarCountNoFieldCanHaveIsRefusedOnceAndTheRunGoesOn) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), 1e12f}) {
        VxAnimator saved;
        saved.SetDefaultBackground();
        saved.Channel(CONTROL_BGSNUMS)->value = bad;
        ASSERT_EQ(SaveBackground(&saved, BACKGROUND_FILE_NAME), 1);
        StarField* field = XNEW(StarField);
        ASSERT_EQ(vx_init(app, 1), 1);
        // The channel keeps the built-in default; the other channels are loaded.
        EXPECT_GE(field->starCount, 350) << bad;
        EXPECT_LE(field->starCount, 650) << bad;
        // A bad count pushed every frame is refused, with one warning and no error.
        app.config.animator->SetMode(CONTROL_BGSNUMS, ANIM_NONE);
        app.config.animator->SetValue(CONTROL_BGSNUMS, bad, 1, 0);
        int32_t kept = field->starCount;
        for (int frame = 0; frame < 50; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
        EXPECT_EQ(field->starCount, kept);
        EXPECT_EQ(PendingError(), "");
        app.config.animator->SetValue(CONTROL_BGSNUMS, 321.0f, 1, 0);
        EXPECT_EQ(field->starCount, 321);
        EditorExit(app);
    }
    std::string text = scratchLog.Text();
    auto count = [&text](const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("WARNING : Background channel \"BGSNUMS\" refused"), 2u) << text;
    // One for each bad value (how NaN is printed is the C library's business).
    EXPECT_EQ(count("WARNING : Star count "), 2u) << text;
    EXPECT_EQ(count("WARNING : Star count 1e+12 refused"), 1u) << text;
    EXPECT_EQ(count("Error"), 0u) << text;
}

TEST_F(SaverFrameTest, EscapeLeavesWhenNothingChanged) {
    XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    // A release alone, and other keys, leave the run going.
    keyboard.AddEvent(KEY_ESCAPE, 0, 0);
    keyboard.AddEvent('x', 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(keyboard.HasEvent(), 0);
    // Animation alone is no change: the value moves, nothing asks to be saved.
    for (int frame = 0; frame < 50; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 0);
}

TEST_F(SaverFrameTest, EscapeStaysWhileASavedChannelDiffers) {
    XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    VxAnimator* animator = app.config.animator;
    ASSERT_NE(animator, nullptr);
    EXPECT_FALSE(app.config.HasUnsavedChanges());

    // Controls that are not saved in the background file do not count.
    animator->SetLow(CONTROL_TTIME, 3.0f);
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    // The value of an animated channel moves by itself; that of a still one is the user's.
    animator->SetValue(CONTROL_BGSBCR, 33.0f, 1, 1);
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    animator->SetValue(CONTROL_BGSSX, 4.0f, 1, 1);
    EXPECT_TRUE(app.config.HasUnsavedChanges());
    // Escape asks first; Escape again takes the question back.
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(app.config.prompt.state, PROMPT_SHOWN);
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(app.config.prompt.state, PROMPT_NONE);

    app.config.SnapshotChannels();
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    // A random hold length is drawn anew each time; its range is what was set.
    SliderChannel* c = animator->Channel(CONTROL_BGSBCR);
    ASSERT_EQ(c->delayRandom, 1);
    c->delay += 1.0f;
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    c->delayHigh += 1.0f;
    EXPECT_TRUE(app.config.HasUnsavedChanges());
    app.config.SnapshotChannels();
    animator->SetMode(CONTROL_BGSBCR, ANIM_NONE);
    EXPECT_TRUE(app.config.HasUnsavedChanges());
    app.config.SnapshotChannels();
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 0);
}

// The first drawn list that starts at (x, y); null when none does.
const std::vector<Vertex>* DrawnAt(const CapturingScreen& screen, float x, float y) {
    for (const std::vector<Vertex>& list : screen.drawn)
        if (list[0].x == x && list[0].y == y) return &list;
    return nullptr;
}

// The overlays' pixels are checked in the real program (tests/win); here, that they
// come after the intro, F5 switches the slider numbers' box, and a second press hides
// each again.
TEST_F(SaverFrameTest, KeysToggleTheOverlaysDrawnAfterTheSceneAndTheIntro) {
    XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    auto sceneLists = [] { return size_t(2 + 1 + INTRO_SPRITE_COUNT); };
    for (int press = 1; press <= 2; ++press) {
        for (int key : {int('f'), int('u'), KEY_F1 + 0, KEY_F1 + 4}) keyboard.AddEvent(key, 1, 0);
        keyboard.AddEvent('f', 0, 0);  // a release toggles nothing
        screen.Forget();
        ASSERT_EQ(EditorFrame(app, 0.02f), 1);
        EXPECT_EQ(app.config.captions.sliderInfoDisplay, press == 1);
        if (press == 2) {
            EXPECT_EQ(screen.drawn.size(), sceneLists());
            break;
        }
        // The help box with its divided outline right after the intro's last sprite.
        const size_t scene = sceneLists();
        ASSERT_GT(screen.drawn.size(), scene + 2);
        EXPECT_EQ(&screen.drawn[scene], DrawnAt(screen, kHelpLeft, kHelpTop));
        EXPECT_EQ(screen.drawn[scene][0].b, 50);
        EXPECT_EQ(screen.drawn[scene + 1].size(), 7u);
        ASSERT_NE(DrawnAt(screen, kHelpTitleX, kHelpTop + 5), nullptr);
        EXPECT_EQ(DrawnAt(screen, kHelpTitleX, kHelpTop + 5)->size(),
                  4 * std::strlen("Novadrift v1.0 help"));
        EXPECT_NE(DrawnAt(screen, 1, 1), nullptr);          // the frame rate
        EXPECT_FLOAT_EQ(screen.drawn.back().back().y, 88);  // the statistics' last line
    }
    EditorExit(app);
    EXPECT_EQ(app.config.textFont.loaded, 0);
}

TEST_F(SaverFrameTest, WithoutItsFontTheRunGoesOnWithoutTextAndWithoutItsAtlasItStops) {
    WriteWholeFile("textures/font8x8.bmp", "BM broken");
    XNEW(StarField);
    ASSERT_EQ(vx_init(app, 1), 1);
    EXPECT_EQ(PendingError(), "");
    keyboard.AddEvent(KEY_F1, 1, 0);
    screen.Forget();
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    // The help box and its outline, and no glyph.
    EXPECT_EQ(screen.drawn.size(), size_t(2 + 1 + INTRO_SPRITE_COUNT + 2));
    EditorExit(app);

    std::remove("textures/nd.fxt");
    XNEW(StarField);
    EXPECT_EQ(vx_init(app, 1), 0);
    // What the end of the run shows in its error box.
    EXPECT_EQ(PendingError(), "FXT - Unable to open \"./textures/nd.fxt\"");
    EditorExit(app);
    EXPECT_EQ(textures.Count(), 0);
}

// ---------------------------------------------------------------- default background

TEST(DefaultBackground, EveryParameterHasAChannelThatStaysInItsRange) {
    VxAnimator animator;
    animator.SetDefaultBackground();
    int animated = 0;
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        const SliderChannel* c = animator.Channel(row->id);
        if (row->storage != CONTROL_SAVED) {
            EXPECT_EQ(c->mode, ANIM_NONE) << row->keyword;
            continue;
        }
        EXPECT_GE(c->value, std::fmin(c->low, c->high)) << row->keyword;
        EXPECT_LE(c->value, std::fmax(c->low, c->high)) << row->keyword;
        EXPECT_EQ(c->restart, 1) << row->keyword;
        if (c->mode == ANIM_NONE) continue;
        ++animated;
        EXPECT_NE(c->low, c->high) << row->keyword;
        EXPECT_TRUE(c->transitionTime > 0.0f || (c->transitionRandom && c->transitionLow > 0))
            << row->keyword;
    }
    EXPECT_GE(animated, 10);
    // The ones that re-place every star when they change do not move.
    EXPECT_EQ(animator.GetMode(CONTROL_BGSWSIZEZ), ANIM_NONE);

    // Two minutes of steps keep every value within its range.
    std::srand(9);
    for (int step = 0; step < 6000; ++step) {
        animator.StepAll();
        for (int id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
            const SliderChannel* c = animator.Channel(id);
            ASSERT_TRUE(std::isfinite(c->value)) << id;
            ASSERT_GE(c->value, std::fmin(c->low, c->high) - 1e-3f) << id << " step " << step;
            ASSERT_LE(c->value, std::fmax(c->low, c->high) + 1e-3f) << id << " step " << step;
        }
    }
}

// ---------------------------------------------------------------- time through the main loop

// Windows' time: sleeps and timer waits end on 15.625 ms ticks, a present in sync waits
// for the next refresh, a message wait lasts its whole time. Times are from the first frame.
struct WindowsDouble {
    double now = 0.0, firstFrame = -1.0, quitAt = 10.0, offFrom = -1.0, offUntil = -1.0;
    int32_t refreshHz = 60;
    double drawSeconds = 0.002;
    int quitSent = 0;
    int32_t passesOff = 0, restWaits = 0;
};
WindowsDouble platform;

void WaitTicks(double seconds) {
    platform.now = std::ceil((platform.now + seconds) / 0.015625 - 1e-9) * 0.015625;
}
int DoublePump() {
    const double running = platform.firstFrame < 0.0 ? 0.0 : platform.now - platform.firstFrame;
    const bool off = running >= platform.offFrom && running < platform.offUntil;
    platform.passesOff += off;
    DisplayPowerChanged(!off);
    if (platform.firstFrame < 0.0 || running < platform.quitAt || platform.quitSent) return 1;
    return platform.quitSent = 1, 0;
}
void InstallWindowsDouble() {
    PlatformServices& p = Platform();
    p.counterFrequency = [](int64_t* perSecond) { return *perSecond = 1000000000, 1; };
    p.counterValue = [](int64_t* count) { return *count = std::llround(platform.now * 1e9), 1; };
    p.milliseconds = p.tickCount = [] { return uint32_t(platform.now * 1000.0); };
    p.sleep = [](uint32_t milliseconds) { WaitTicks(milliseconds * 1e-3); };
    p.waitPrecisely = [](uint32_t microseconds) { WaitTicks(microseconds * 1e-6); };
    p.endPreciseWaits = [] {};
    p.waitForMessages = [](uint32_t milliseconds) {
        ++platform.restWaits, WaitTicks(milliseconds * 1e-3);
    };
    p.displayRefreshRate = [] { return platform.refreshHz; };
    p.onBattery = [] { return 0; };
    p.pumpMessages = DoublePump;
    TimerInit();
}

// Records nothing (thousands of frames); drawing takes drawSeconds.
class PacedScreen : public RecordingScreen {
public:
    PacedScreen() : RecordingScreen("Paced", SCREEN_OPENGL) { SetTarget(640, 480, nullptr, 0, 0); }
    int SyncToDisplay(int32_t interval) override { return syncInterval = interval, sync; }
    int BeginScene() override { return platform.now += platform.drawSeconds, 1; }
    int Present() override {
        if (platform.firstFrame < 0.0) platform.firstFrame = platform.now;
        ++presents;
        const double period = syncInterval / double(platform.refreshHz);
        if (sync) platform.now = (std::floor(platform.now / period + 1e-9) + 1.0) * period;
        ResetDrawCounters();
        return 1;
    }
    int Clear(const Rgba*, float, int32_t) override { return 1; }
    int DrawPrimitive(int32_t, const Vertex*, int32_t, int32_t) override { return 1; }
    int SetView(const Camera*) override { return 1; }
    int sync = 1;
    int32_t syncInterval = 0;
    long presents = 0;
};

std::vector<float> depthsAtTeardown;
void TeardownKeepingDepths(EditorRun& app) {
    const StarField* field = static_cast<StarField*>(Scenes().Current());
    depthsAtTeardown.clear();
    for (int32_t i = 0; i < field->starCount; ++i) depthsAtTeardown.push_back(field->stars[i].z);
    EditorExit(app);
}

TEST_F(SaverFrameTest, FiftyStepsASecondAtTheDisplaysPaceAndNoneWhileItIsOff) {
    struct Case {
        int32_t refreshHz;
        int sync;
        double quitAt, offFrom, offUntil, draw;
        const char* pacing;
        long steps, frames, framesSpread;
    } cases[] = {
        {60, 1, 10.0, -1.0, -1.0, 0.002, "60 Hz, vertical sync", 500, 600, 6},
        {144, 1, 10.0, -1.0, -1.0, 0.002, "144 Hz, vertical sync", 500, 1440, 15},
        {60, 0, 10.0, -1.0, -1.0, 0.002, "60 Hz, timer", 500, 500, 200},
        // Drawing slower than the refresh: every second refresh, or the drawing's own rate.
        {60, 1, 10.0, -1.0, -1.0, 0.025, "30 Hz, vertical sync", 500, 300, 3},
        {60, 0, 10.0, -1.0, -1.0, 0.025, "40 Hz, timer", 500, 400, 4},
        {60, 1, 12.0, 1.0, 11.0, 0.002, "60 Hz, vertical sync", 100, 120, 2},
    };
    PacedScreen paced;
    paced.textureList = &textures;
    // The cloud's noise tables come from rand() on first use: made now, so both runs match.
    ASSERT_EQ(GenerateCloudImage(0.0f), 1);
    const AppFrameHooks savedHooks = AppHooks();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pacing + std::to_string(c.offFrom));
        ResetLogFile();
        platform = {0.0, -1.0, c.quitAt, c.offFrom, c.offUntil, c.refreshHz, c.draw};
        InstallWindowsDouble();
        paced.sync = c.sync;
        paced.presents = 0;
        glb->currentScreen = &paced;
        AppHooks().teardown = TeardownKeepingDepths;
        std::srand(7);
        XNEW(StarField);
        StartFramePacing(&paced, {0.0, 0});
        SetMainState(STATE_START);
        EXPECT_EQ(MainLoop(app, 1), 0);
        StopFramePacing();
        DisplayPowerChanged(1);
        AppHooks() = savedHooks;
        glb->currentScreen = &screen;
        Platform() = NativePlatform();
        TimerInit();

        const std::string log = ReadTextFile(scratch.Path() + "/Novadrift.log");
        const size_t at = log.rfind("INIT : Frame pacing : ");  // the pace kept is logged last
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(log.substr(at + 22, log.find('\n', at) - at - 22), c.pacing) << log;
        const FrameFigures figures = app.run.figures;
        // The quit is seen at a frame's end: a long frame may run past it.
        const double late = c.draw > 1.0 / c.refreshHz ? 2.0 * c.draw : 0.0;
        EXPECT_NEAR(figures.steps, c.steps, 1 + late / STEP_SECONDS);
        EXPECT_NEAR(figures.frames, c.frames, c.framesSpread);
        EXPECT_EQ(paced.presents, figures.frames);
        EXPECT_NEAR(figures.seconds, c.steps * STEP_SECONDS, 0.03 + late);
        // Display off: no frame, no step, a rest in the message wait twice a second.
        const double off = std::fmax(c.offUntil - c.offFrom, 0.0);
        EXPECT_LE(platform.passesOff, off * 2.0 + 2.0);
        EXPECT_NEAR(platform.restWaits, off * 2.0, 2.0);
        // Star depths as after as many frames of one step each.
        const std::vector<float> depths = depthsAtTeardown;
        std::srand(7);
        XNEW(StarField);
        ASSERT_EQ(vx_init(app, 1), 1);
        for (long step = 0; step < figures.steps; ++step) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
        TeardownKeepingDepths(app);
        EXPECT_EQ(depths, depthsAtTeardown);
    }
}

}  // namespace
