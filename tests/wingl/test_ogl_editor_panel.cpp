// The editor's first page (13) of the shipped layout, loaded from gui.cfg beside the
// program and drawn through the real OpenGL screen, checked from the pixels read back:
// the strip, every slider's box, knob and markers where the slider says, every button
// and picture showing its texture 1:1. The frame is kept as editor_page13.bmp.
#include <gtest/gtest.h>

#include <vector>

#include "animator.h"
#include "ansi/bitmap.h"
#include "misc.h"
#include "ogl_fixture.h"
#include "vxconfig.h"

namespace {

const Colour kTrack = {110, 120, 130};
const Colour kKnob = {100, 120, 140};
const Colour kMarker = {80, 90, 100};

// A texel of a picture drawn 1:1 comes back as it is, give or take the rasteriser's
// rounding.
const int kTexelTolerance = 2;

// The frame as a top-down 24-bit bitmap, saved where the test runs.
void SaveFrame(const Frame& frame, const char* path) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateWithMasks(frame.width, frame.height, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const Colour from = frame.At(x, y);
            uint8_t* to = shot.pixels + y * shot.pitch + x * 3;
            to[0] = uint8_t(from.r);
            to[1] = uint8_t(from.g);
            to[2] = uint8_t(from.b);
        }
    EXPECT_EQ(shot.Save(path, nullptr, 0, 0, 0), 1) << PendingError();
}

// The bitmap of the define whose surface that is.
Bitmap* PictureOf(VxConfig& config, const CSurface* surface) {
    for (bool more = config.layout.textureDefines.First(); more; more = config.layout.textureDefines.Next()) {
        TextureDefine* define = static_cast<TextureDefine*>(config.layout.textureDefines.Current());
        if (&define->surface == surface) return &define->bitmap;
    }
    return nullptr;
}

class EditorPanelTest : public OglScreenTest {
protected:
    // Every texel of a picture, its outermost ring left out when the widget draws its
    // edge over it, against the frame at (left, top).
    void ExpectPicture(const Bitmap& picture, float left, float top, int ring, const char* what) {
        int wrong = 0;
        for (int y = ring; y < picture.height - ring; ++y)
            for (int x = ring; x < picture.width - ring; ++x) {
                Colour drawn = AtVirtual(left + float(x) + 0.5f, top + float(y) + 0.5f);
                if (!ColourNear(drawn, BitmapPixel(picture, x, y), kTexelTolerance) && ++wrong <= 3)
                    ADD_FAILURE() << what << " texel " << x << "," << y;
            }
        EXPECT_EQ(wrong, 0) << what;
    }
    // The middle of a box of the virtual screen.
    Colour Centre(const WidgetBox& box) const {
        return AtVirtual((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
};

}  // namespace

TEST_F(EditorPanelTest, ShippedPageThirteenDrawsItsSlidersAndPictures) {
    VxAnimator animator;
    VxConfig config;
    config.animator = &animator;
    ClearError();
    ASSERT_EQ(config.LoadGuiConfig(480, 0, 160, 480), 1) << PendingError();
    EXPECT_EQ(PendingError(), "");
    const EditorPage& page = config.layout.pages[13];
    ASSERT_GT(page.polygonCount, 0);
    ASSERT_GT(page.widgets.Count(), 0);

    StartFrame(Rgba{0, 0, 0, 255});
    ASSERT_EQ(config.layout.DrawPage(13), 1);
    ReadFrame();
    SaveFrame(frame, "editor_page13.bmp");

    // The strip's own colour between the wells, the scene area left of it untouched.
    const Vertex& strip = page.polygons[0].vertices[0];
    EXPECT_COLOUR(AtVirtual(483, 200), (Colour{int(strip.r), int(strip.g), int(strip.b)}), 0);
    EXPECT_COLOUR(AtVirtual(470, 200), (Colour{0, 0, 0}), 0);

    int sliders = 0, pictures = 0;
    for (int i = 0; Widget* widget = config.layout.pages[13].widgets.At(i); ++i) {
        if (widget->kind == WIDGET_SLIDER) {
            Slider* slider = static_cast<Slider*>(widget);
            ++sliders;
            SCOPED_TRACE(slider->text);
            EXPECT_COLOUR(Centre(slider->knob), kKnob, 0);
            EXPECT_COLOUR(Centre(slider->lowMarker), kMarker, 0);
            EXPECT_COLOUR(Centre(slider->highMarker), kMarker, 0);
            // The track shows between the knob and the markers, and nowhere outside the box.
            EXPECT_COLOUR(
                AtVirtual(slider->x + 8, (slider->knob.bottom + slider->lowMarker.top) / 2), kTrack,
                0);
            EXPECT_COLOUR(
                AtVirtual(slider->x + 8, (slider->knob.top + slider->highMarker.bottom) / 2),
                kTrack, 0);
            EXPECT_NE(AtVirtual(slider->x + 8, slider->y + slider->height + 1).r, kTrack.r);
            EXPECT_NE(AtVirtual(slider->x - 1, slider->knob.top + 2).r, kTrack.r);
            continue;
        }
        Button* button = static_cast<Button*>(widget);
        const CSurface* surface = button->cycles[button->CurrentCycle()].texture;
        if (!surface) surface = button->baseTexture;
        Bitmap* picture = PictureOf(config, surface);
        ASSERT_NE(picture, nullptr) << button->text;
        ASSERT_EQ(picture->width, int(button->width)) << button->text;
        ExpectPicture(*picture, button->x, button->y, 1, button->text);
        ++pictures;
    }
    EXPECT_EQ(sliders, 12);
    // Seven buttons (the scene arrows went with the one scene) and a mode button per
    // slider.
    EXPECT_EQ(pictures, 7 + 12);

    // The labels and the mode legend: every textured polygon shows its part of its
    // picture, texel for texel.
    for (int i = 0; i < page.polygonCount; ++i) {
        const struct Polygon& polygon = page.polygons[i];
        if (!polygon.surface) continue;
        Bitmap* picture = PictureOf(config, polygon.surface);
        ASSERT_NE(picture, nullptr);
        const Vertex* v = polygon.vertices;
        const int u0 = int(v[0].u * float(picture->width) + 0.5f);
        const int v0 = int(v[0].v * float(picture->height) + 0.5f);
        const int width = int(v[2].x - v[0].x), height = int(v[2].y - v[0].y);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!ColourNear(AtVirtual(v[0].x + float(x) + 0.5f, v[0].y + float(y) + 0.5f),
                                BitmapPixel(*picture, u0 + x, v0 + y), kTexelTolerance))
                    ++wrong;
        EXPECT_EQ(wrong, 0) << "polygon " << i;
        ++pictures;
    }
    EXPECT_GT(pictures, 9 + 12 + 5);
}
