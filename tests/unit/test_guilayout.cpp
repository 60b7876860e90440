// The editor's layout file read from small gui.cfg texts: which layout is used, pages
// with and without "General", slider and button lines, animation-mode buttons,
// "Background" polygons, texture defines, shortcut keys, the animation defaults and
// every message of a failed load.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "animator.h"
#include "ansi/bitmap.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"
#include "vxconfig.h"

namespace {

// Two defines of a 4 x 4 picture; "Background" and "ANIMBTN" settings are per chunk.
const char kTextures[] =
    "    { = Textures\n"
    "        Face = t.bmp\n"
    "        AnimNone = t.bmp\n"
    "    }\n";

class GuiLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedScreen = glb->currentScreen;
        glb->currentScreen = &screen;
        screen.textureList = &textures;
        Bitmap picture;
        ASSERT_EQ(picture.CreateWithMasks(4, 4, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("t.bmp", picture, 0, 0, 0), 1) << PendingError();
        config.animator = &animator;
        ClearError();
    }
    void TearDown() override {
        config.layout.Free();
        textures.DeleteAll();
        glb->currentScreen = savedScreen;
        ClearError();
    }

    // gui.cfg with one layout "Main" holding the textures and the given chunks.
    int Load(const std::string& chunks, const std::string& textureChunk = kTextures) {
        WriteWholeFile("gui.cfg", "CurrentGuiConfig = Main\n{ = GuiConfig, Main\n" + textureChunk +
                                      chunks + "}\n");
        return config.LoadGuiConfig(480, 0, 160, 480);
    }
    ::testing::AssertionResult FailsWith(const std::string& text, const std::string& message) {
        WriteWholeFile("gui.cfg", text);
        if (config.LoadGuiConfig(480, 0, 160, 480) != 0)
            return ::testing::AssertionFailure() << "loaded";
        if (PendingError() != message) return ::testing::AssertionFailure() << PendingError();
        return ::testing::AssertionSuccess();
    }
    Slider* SliderOf(int32_t page, int32_t id) { return config.layout.FindSlider(page, id); }
    Button* ButtonOf(int32_t page, int32_t id) { return config.layout.FindButton(page, id); }

    ScratchDirectory scratch;
    PictureRegistry registry;
    MemoryTextureList textures;
    CapturingScreen screen;
    Screen* savedScreen = nullptr;
    VxAnimator animator;
    VxConfig config;
};

}  // namespace

TEST_F(GuiLayoutTest, OnlyTheCurrentLayoutIsUsed) {
    WriteWholeFile("gui.cfg",
                   "; two layouts, the second one chosen\n"
                   "{ = GuiConfig, Day\n" +
                       std::string(kTextures) +
                       "    { = General\n    }\n"
                       "    { = BGSTARFIELD1\n        BGSBCR = 10, 20, 16, 100, 255, 0, 0, 1\n"
                       "    }\n"
                       "}\n"
                       "CurrentGuiConfig = Night\n"
                       "{ = GuiConfig, night\n" +
                       kTextures +
                       "    { = general\n        RESET = 4, 440, 64, 16, Face, \"Reset\"\n    }\n"
                       "    { = bgstarfield2\n        bgssz = 30, 40, 16, 100, 20, -20, 5, 0.2\n"
                       "    }\n"
                       "}\n");
    ASSERT_EQ(config.LoadGuiConfig(480, 0, 160, 480), 1) << PendingError();
    EXPECT_EQ(config.layout.pages[13].widgets.Count(), 0);
    ASSERT_EQ(config.layout.pages[14].widgets.Count(), 2);
    Button* reset = ButtonOf(14, 1);
    ASSERT_NE(reset, nullptr);
    EXPECT_FLOAT_EQ(reset->x, 484);
    EXPECT_STREQ(reset->text, "Reset");
    EXPECT_EQ(reset->baseTexture, config.layout.FindTexture("FACE"));
    Slider* speed = SliderOf(14, 28);
    ASSERT_NE(speed, nullptr);
    EXPECT_FLOAT_EQ(speed->x, 510);
    EXPECT_FLOAT_EQ(speed->Value(), 5);
    EXPECT_FLOAT_EQ(speed->sensitivity, 0.2f);
    EXPECT_EQ(speed->style, SLIDER_STYLE);
    // General first, so the page's own widgets lie on top of it in drawing order.
    EXPECT_EQ(config.layout.pages[14].widgets.At(0), reset);
}

TEST_F(GuiLayoutTest, PagesSlidersButtonsAndModeButtons) {
    ASSERT_EQ(Load("    { = SLIDERP\n"
                   "        ANIMBTN = 0, 16\n"
                   "        SLIDERYPOS = 19\n"
                   "        TTIME = -90, 330, 16, 101, 30, 0, 4, 0.1, \"Transition time\"\n"
                   "    }\n"
                   "    { = General\n"
                   "        NPAGE = 140, 6, 16, 16, Face, \"Next page\"\n"
                   "        ANIMBTN = 0, 0\n"
                   "    }\n"
                   "    { = BGSTARFIELD1\n"
                   "        ANIMBTN = 2, 16\n"
                   "        BGSBCR = 10, 50, 16, 120, 255, 0, 100, 1, \"Red\"\n"
                   "        BGSBCG = 32, 50, 16, 120\n"
                   "        Unknown = 1, 2, 3\n"
                   "    }\n"),
              1)
        << PendingError();
    // The properties page has no "General" part.
    ASSERT_EQ(config.layout.pages[11].widgets.Count(), 2);
    Button* timing = ButtonOf(11, 2009);
    ASSERT_NE(timing, nullptr);
    EXPECT_EQ(timing->CycleCount(), 2);
    EXPECT_FLOAT_EQ(timing->y, 330);
    Slider* ttime = SliderOf(11, 9);
    ASSERT_NE(ttime, nullptr);
    EXPECT_FLOAT_EQ(ttime->x, 390);
    EXPECT_FLOAT_EQ(ttime->y, 349);
    EXPECT_FLOAT_EQ(ttime->height, 82);

    // General's "ANIMBTN = 0, 0" made none; the page's own made one per slider, first.
    EXPECT_EQ(config.layout.pages[13].widgets.Count(), 5);
    EXPECT_NE(ButtonOf(13, 7), nullptr);
    Button* mode = ButtonOf(13, 2017);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(config.layout.pages[13].widgets.At(1), mode);
    EXPECT_EQ(mode->CycleCount(), 5);
    EXPECT_EQ(mode->CurrentCycle(), 0);
    EXPECT_STREQ(mode->text, "Animation mode none");
    EXPECT_FLOAT_EQ(mode->y, 52);
    EXPECT_FLOAT_EQ(mode->height, 16);
    EXPECT_FLOAT_EQ(mode->width, 16);
    EXPECT_EQ(mode->cycles[0].texture, config.layout.FindTexture("AnimNone"));
    // The other four mode textures are not defined: recorded, and the load went on.
    EXPECT_EQ(mode->cycles[4].texture, nullptr);
    EXPECT_EQ(mode->baseTexture, nullptr);

    // A line of four numbers keeps range, value and sensitivity from the line before,
    // but not its caption.
    Slider* green = SliderOf(13, 18);
    ASSERT_NE(green, nullptr);
    EXPECT_FLOAT_EQ(green->x, 512);
    EXPECT_FLOAT_EQ(green->topEnd, SliderOf(13, 17)->topEnd);
    EXPECT_FLOAT_EQ(green->Value(), 100);
    EXPECT_STREQ(green->text, "");
    EXPECT_STREQ(SliderOf(13, 17)->text, "Red");
    EXPECT_EQ(config.layout.pages[12].widgets.Count(), 0);
}

TEST_F(GuiLayoutTest, BackgroundPolygonsByArrayCount) {
    ASSERT_EQ(
        Load("    { = General\n"
             "        Background = Face, {0, 0, 1, 0, 0, 10, 20, 30, 0}, "
             "{160, 0, 1, 1, 0, 10, 20, 30, 0}, {160, 480, 1, 1, 1, 255.9, 256, -1, 0}, "
             "{0, 480, 1, 0, 1, 0, 0, 0, 0}, {5, 5, 5, 5, 5, 5, 5, 5, 5}\n"
             "    }\n"
             "    { = BGSTARFIELD1\n"
             "        background = {0, 10, 0, 0, 0, 1, 1, 1, 0}, {10, 10, 0, 0, 0, 1, 1, 1, 0}, "
             "{5, 20, 0, 0, 0, 1, 1, 1, 0}\n"
             "        Background = , {0, 30, 0, 0, 0, 1, 1, 1, 0}, {50, 30, 0, 0, 0, 1, 1, 1, 0}\n"
             "    }\n"),
        1)
        << PendingError();
    ASSERT_EQ(config.layout.pages[13].polygonCount, 3);
    const struct Polygon* polygons = config.layout.pages[13].polygons;
    // Four vertices at most; the fifth array is ignored.
    EXPECT_EQ(polygons[0].count, 4);
    EXPECT_EQ(polygons[0].surface, config.layout.FindTexture("Face"));
    EXPECT_FLOAT_EQ(polygons[0].vertices[2].x, 640);
    EXPECT_FLOAT_EQ(polygons[0].vertices[2].y, 480);
    EXPECT_FLOAT_EQ(polygons[0].vertices[2].u, 1);
    EXPECT_EQ(polygons[0].vertices[2].r, 255);
    EXPECT_EQ(polygons[0].vertices[2].g, 0);
    EXPECT_EQ(polygons[0].vertices[2].b, 255);
    // Without a define: untextured, a triangle and a line.
    EXPECT_EQ(polygons[1].count, 3);
    EXPECT_EQ(polygons[1].surface, nullptr);
    EXPECT_EQ(polygons[2].count, 2);
    EXPECT_FLOAT_EQ(polygons[2].vertices[1].x, 530);
    EXPECT_TRUE(PendingError().empty()) << PendingError();

    // Drawn by count: quads, triangles, lines, then the widgets.
    ASSERT_EQ(config.layout.DrawPage(13), 1);
    EXPECT_EQ(screen.Calls(),
              "SetSurface 0; Draw 6 4 0; SetSurface 1; Draw 3 3 0; SetSurface 2; "
              "Draw 1 2 0");
}

TEST_F(GuiLayoutTest, DefinesShortcutsAndMissingTextures) {
    const std::string name31(31, 'd'), name32(32, 'd');
    const std::string pages =
        "    { = SLIDERP\n        Background = Nowhere, {0, 0, 0, 0, 0, 0, 0, 0, 0}\n    }\n"
        "    { = Shortcutkeys\n        BGSTARFIELD1 = Q\n        SLIDERP = q\n"
        "        BGSBCR = R\n        Other = X\n    }\n";
    auto textures = [&name31](const std::string& third) {
        return "    { = Textures\n        " + name31 + " = t.bmp\n        face = t.bmp\n        " +
               third + "\n    }\n";
    };
    ASSERT_EQ(Load(pages, textures("Face = missing.bmp")), 0);
    EXPECT_EQ(PendingError(), "Failed to load bitmap : \"missing.bmp\"");
    ASSERT_EQ(Load(pages, textures("FACE = t.bmp")), 1);
    // The missing texture was recorded; the polygon stands without one.
    EXPECT_EQ(PendingError(), "Unable to find the \"Nowhere\" texture");
    EXPECT_EQ(config.layout.pages[11].polygonCount, 1);
    EXPECT_EQ(config.layout.pages[11].polygons[0].surface, nullptr);
    // The first define of a name wins, found whatever the case; it carries its bitmap.
    Bitmap* bitmap = nullptr;
    const CSurface* face = config.layout.FindTexture("FaCe", &bitmap);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face, config.layout.FindTexture("face"));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width, 4);
    EXPECT_NE(face->texture, nullptr);
    EXPECT_EQ(face->textureMode, SURFACE_TEXTURED);
    EXPECT_NE(config.layout.FindTexture(name31.c_str()), nullptr);
    EXPECT_EQ(config.layout.FindTexture("Missing", &bitmap), nullptr);
    EXPECT_EQ(bitmap, nullptr);
    // Shortcuts: the value's first character as it stands; only page keywords count.
    EXPECT_EQ(config.layout.pages[13].shortcut, 'Q');
    EXPECT_EQ(config.layout.pages[11].shortcut, 'q');
    EXPECT_EQ(config.layout.pages[17].shortcut, 0);

    EXPECT_EQ(Load("", "    { = Textures\n        " + name32 + " = t.bmp\n    }\n"), 0);
    EXPECT_EQ(PendingError(), "Bitmap define name to big : \"" + name32 + "\"");
    // Nothing of a failed load is kept.
    EXPECT_EQ(config.layout.textureDefines.Count(), 0);
    EXPECT_EQ(config.layout.pages[11].polygonCount, 0);
}

TEST_F(GuiLayoutTest, EveryFailureHasItsMessage) {
    EXPECT_TRUE(FailsWith("x = \"unterminated\n", "Unable to load the configuration file"));
    std::remove("gui.cfg");
    EXPECT_EQ(config.LoadGuiConfig(480, 0, 160, 480), 0);
    EXPECT_EQ(PendingError(), "Unable to load the configuration file");
    EXPECT_TRUE(
        FailsWith("{ = GuiConfig, Main\n}\n", "Unable to find the \"CurrentGuiConfig\" keyword"));
    EXPECT_TRUE(FailsWith("CurrentGuiConfig = Main\n{ = GuiConfig, Other\n}\n",
                          "Unable to find the \"GuiConfigs\" chunk"));
    EXPECT_TRUE(FailsWith("CurrentGuiConfig\n{ = GuiConfig, Main\n}\n",
                          "Unable to find the \"GuiConfigs\" chunk"));
    EXPECT_TRUE(FailsWith("CurrentGuiConfig = Main\n{ = GuiConfig, Main\n}\n",
                          "Unable to find the \"Textures\" chunk"));
    const std::string longFile(260, 'f');
    EXPECT_TRUE(FailsWith(
        "CurrentGuiConfig = Main\n{ = GuiConfig, Main\n{ = Textures\nA = " + longFile + "\n}\n}\n",
        "Bitmap filename to big : \"" + longFile + "\""));
    EXPECT_TRUE(FailsWith("CurrentGuiConfig = Main\n{ = GuiConfig, Main\n" +
                              std::string(kTextures) + "{ = BGSTARFIELD2\n}\n}\n",
                          "Unable to find the \"General\" chunk"));
}

TEST_F(GuiLayoutTest, AnimationDefaultsAndTheSavedCopy) {
    animator.SetValue(CONTROL_TTIME, 4, 1, 1);
    animator.SetValue(CONTROL_DELAY, 2, 1, 1);
    animator.SetLow(CONTROL_DELAY, 0.5f);
    animator.SetMode(CONTROL_BGSNUMS, ANIM_PING_PONG);
    ASSERT_EQ(Load("    { = SLIDERP\n    }\n"), 1) << PendingError();
    for (int32_t id = 0; id < CONTROL_COUNT; ++id) {
        const SliderChannel& channel = *animator.Channel(id);
        EXPECT_FLOAT_EQ(channel.transitionTime, 4) << id;
        EXPECT_FLOAT_EQ(channel.transitionLow, 1) << id;
        EXPECT_FLOAT_EQ(channel.transitionHigh, 10) << id;
        EXPECT_EQ(channel.transitionRandom, 1) << id;
        EXPECT_FLOAT_EQ(channel.delay, 2) << id;
        EXPECT_FLOAT_EQ(channel.delayLow, 0.5f) << id;
        EXPECT_FLOAT_EQ(channel.delayHigh, 1) << id;
        EXPECT_EQ(channel.delayRandom, 1) << id;
        EXPECT_EQ(std::memcmp(&config.savedAnimation[id], &channel, sizeof channel), 0) << id;
    }
    EXPECT_EQ(config.savedAnimation[CONTROL_BGSNUMS].mode, ANIM_PING_PONG);
}
