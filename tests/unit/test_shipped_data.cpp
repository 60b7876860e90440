// The shipped textures in data/textures, read with the program's own picture readers,
// the editor's layout data/gui.cfg read by the editor's loader, and the FXT1 encoder
// that makes nd.fxt, checked against the FXT1 reader.
//
// Sections: where the data is; star sprite; tiled stars; font; intro atlas; editor
// layout; encoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "animator.h"
#include "ansi/bitmap.h"
#include "bground.h"
#include "bgfile.h"
#include "fxt1_encode.h"
#include "gui/bitmapfont.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"
#include "vxconfig.h"

namespace {

// ------------------------------------------------------------------ where the data is

// The source tree's data directory. Under Wine the Unix path is reached through drive Z:,
// which Wine maps to the Unix root.
std::string DataPath(const std::string& relative) {
    std::string root = NOVADRIFT_DATA_DIR;
#ifdef _WIN32
    if (!root.empty() && root[0] == '/') root = "Z:" + root;
#endif
    return root + "/" + relative;
}

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

struct Rgb {
    int red, green, blue;
    int Max() const { return std::max(red, std::max(green, blue)); }
    int Sum() const { return red + green + blue; }
};

// A pixel of a loaded 24- or 32-bit picture through its channel positions (24-bit
// pixels read big-endian, 32-bit ones as the little-endian word).
Rgb PixelAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p =
        bitmap.pixels + intptr_t(y) * bitmap.pitch + intptr_t(x) * bitmap.bytesPerPixel;
    uint32_t value = 0;
    if (bitmap.bytesPerPixel == 3)
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    else
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return Rgb{int(value >> bitmap.redPos & 0xFF), int(value >> bitmap.greenPos & 0xFF),
               int(value >> bitmap.bluePos & 0xFF)};
}

int AlphaAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.pixels + intptr_t(y) * bitmap.pitch + intptr_t(x) * 4;
    uint32_t value =
        uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return int(value >> bitmap.alphaPos & 0xFF);
}

bool IsPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

class ShippedData : public ::testing::Test {
protected:
    // Loads data/<relative> through the registry, as the texture loader does.
    ::testing::AssertionResult Load(const std::string& relative, Bitmap& bitmap) {
        std::string path = DataPath(relative);
        if (bitmap.Load(path.c_str()) == 1) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << path << ": " << PendingError();
    }

    PictureRegistry registry;
};

// ------------------------------------------------------------------ names

// The program asks for its textures without an extension; the loader then takes the
// first registered format whose file exists. Each must find the shipped file, and no
// JPEG of the same name (JPEG is asked first) may stand in front of it.
TEST_F(ShippedData, TextureNamesWithoutExtensionFindTheShippedFiles) {
    const char* const names[] = {"textures/star", "textures/stars", "textures/font8x8"};
    for (const char* name : names) {
        std::string stem = DataPath(name);
        EXPECT_EQ(FindPictureFormat((stem + ".").c_str()), registry.bmp) << name;
        EXPECT_FALSE(FileExists(stem + ".jpg")) << name;
    }
    EXPECT_EQ(FindPictureFormat(DataPath("textures/nd.").c_str()), registry.fxt1);
    EXPECT_FALSE(FileExists(DataPath("textures/nd.jpg")));
    EXPECT_FALSE(FileExists(DataPath("textures/nd.bmp")));
}

// ------------------------------------------------------------------ star sprite

TEST_F(ShippedData, StarSpriteIsARoundBlueWhiteGlowOnBlack) {
    Bitmap star;
    ASSERT_TRUE(Load("textures/star.bmp", star));
    EXPECT_EQ(star.bitsPerPixel, 24);
    ASSERT_TRUE(IsPowerOfTwo(star.width) && star.width == star.height)
        << star.width << "x" << star.height;
    int n = star.width, c = n / 2;
    // The texture repeats: a lit border would bleed in from the other side.
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(PixelAt(star, i, 0).Max(), 0) << i;
        EXPECT_EQ(PixelAt(star, i, n - 1).Max(), 0) << i;
        EXPECT_EQ(PixelAt(star, 0, i).Max(), 0) << i;
        EXPECT_EQ(PixelAt(star, n - 1, i).Max(), 0) << i;
    }
    // A white core.
    Rgb core = PixelAt(star, c, c);
    EXPECT_GE(core.red, 250);
    EXPECT_GE(core.green, 250);
    EXPECT_GE(core.blue, 250);
    // Dimming outward along the diagonal, and blue-white (blue the strongest) in the glow.
    int previous = core.Sum();
    for (int d = 1; c + d < n; ++d) {
        Rgb p = PixelAt(star, c + d, c + d);
        EXPECT_LE(p.Sum(), previous) << d;
        previous = p.Sum();
    }
    Rgb glow = PixelAt(star, c + n / 8, c + n / 8);
    EXPECT_GT(glow.Sum(), 30);
    EXPECT_GE(glow.blue, glow.green);
    EXPECT_GT(glow.blue, glow.red);
    // Round: the same light at the same distance in the four directions.
    for (int d = 2; d < n / 2 - 1; d += 3) {
        int east = PixelAt(star, c + d, c).Sum(), west = PixelAt(star, c - 1 - d, c).Sum();
        int south = PixelAt(star, c, c + d).Sum(), north = PixelAt(star, c, c - 1 - d).Sum();
        EXPECT_EQ(east, west) << d;
        EXPECT_EQ(east, south) << d;
        EXPECT_EQ(east, north) << d;
    }
}

// ------------------------------------------------------------------ tiled stars

TEST_F(ShippedData, StarTileIsSparseStarsOnBlack) {
    Bitmap tile;
    ASSERT_TRUE(Load("textures/stars.bmp", tile));
    EXPECT_EQ(tile.bitsPerPixel, 24);
    ASSERT_TRUE(IsPowerOfTwo(tile.width) && IsPowerOfTwo(tile.height));
    int dark = 0, stars = 0, bright = 0, faint = 0;
    int w = tile.width, h = tile.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v = PixelAt(tile, x, y).Sum();
            if (v < 12) ++dark;
            // A star: a lit pixel brighter than its eight neighbours (with wrap).
            bool peak = v > 30;
            for (int dy = -1; dy <= 1 && peak; ++dy)
                for (int dx = -1; dx <= 1 && peak; ++dx)
                    if ((dx || dy) && PixelAt(tile, (x + dx + w) % w, (y + dy + h) % h).Sum() >= v)
                        peak = false;
            if (peak) {
                ++stars;
                if (v > 600) ++bright;
                if (v < 200) ++faint;
            }
        }
    EXPECT_GT(dark, w * h * 2 / 3);
    EXPECT_GT(stars, 150);
    // Varying brightness: faint stars outnumber bright ones, and both are there.
    EXPECT_GT(bright, 5);
    EXPECT_GT(faint, bright);
}

// Repeated 7 x 7 times across the screen, so the seam must look like any other place.
// Stars are a few pixels wide, so neighbouring columns (and rows) inside the tile are
// strongly correlated; the last and the first column must be as well, which only holds
// when the stars cut by one edge go on at the other.
double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double n = double(a.size()), meanA = 0, meanB = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        meanA += a[i] / n;
        meanB += b[i] / n;
    }
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST_F(ShippedData, StarTileRepeatsWithoutASeam) {
    Bitmap tile;
    ASSERT_TRUE(Load("textures/stars.bmp", tile));
    int w = tile.width, h = tile.height;
    auto column = [&](int x) {
        std::vector<double> values;
        for (int y = 0; y < h; ++y) values.push_back(PixelAt(tile, x, y).Sum());
        return values;
    };
    auto row = [&](int y) {
        std::vector<double> values;
        for (int x = 0; x < w; ++x) values.push_back(PixelAt(tile, x, y).Sum());
        return values;
    };
    double insideColumns = 0, insideRows = 0;
    for (int x = 0; x + 1 < w; ++x)
        insideColumns += Correlation(column(x), column(x + 1)) / (w - 1);
    for (int y = 0; y + 1 < h; ++y) insideRows += Correlation(row(y), row(y + 1)) / (h - 1);
    EXPECT_GT(insideColumns, 0.3);
    EXPECT_GT(insideRows, 0.3);
    EXPECT_GT(Correlation(column(w - 1), column(0)), 0.6 * insideColumns);
    EXPECT_GT(Correlation(row(h - 1), row(0)), 0.6 * insideRows);

    // No empty band along the edges: the outer 8 pixels hold about as much light as
    // any other 8-pixel band.
    auto bandLight = [&](int x0, int y0, int bw, int bh) {
        double sum = 0;
        for (int y = y0; y < y0 + bh; ++y)
            for (int x = x0; x < x0 + bw; ++x) sum += PixelAt(tile, x, y).Sum();
        return sum / (bw * bh);
    };
    double whole = bandLight(0, 0, w, h);
    EXPECT_GT(bandLight(0, 0, 8, h) + bandLight(w - 8, 0, 8, h), whole * 0.5);
    EXPECT_GT(bandLight(0, 0, w, 8) + bandLight(0, h - 8, w, 8), whole * 0.5);
}

// ------------------------------------------------------------------ font

// Glyph g of the 8 x 8 font: column g % (width / 8), row g / (width / 8); a row of glyphs
// starts one pixel below the previous one's end, and the first one pixel down.
struct GlyphCell {
    int left, top;
};

GlyphCell CellOf(const Bitmap& font, int character) {
    int glyph = character - 32, perRow = font.width / 8;
    return GlyphCell{(glyph % perRow) * 8, 1 + (glyph / perRow) * 9};
}

std::string GlyphPattern(const Bitmap& font, int character) {
    GlyphCell cell = CellOf(font, character);
    std::string pattern;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern += PixelAt(font, cell.left + x, cell.top + y).Max() ? '#' : '.';
    return pattern;
}

TEST_F(ShippedData, FontHoldsEveryPrintableCharacterInItsCell) {
    Bitmap font;
    ASSERT_TRUE(Load("textures/font8x8.bmp", font));
    EXPECT_EQ(font.bitsPerPixel, 24);
    ASSERT_TRUE(IsPowerOfTwo(font.width) && IsPowerOfTwo(font.height));
    ASSERT_GE(font.width / 8 * ((font.height - 1) / 9), 95) << "room for characters 32..126";
    std::set<std::string> patterns;
    for (int character = 32; character <= 126; ++character) {
        std::string pattern = GlyphPattern(font, character);
        size_t lit = std::count(pattern.begin(), pattern.end(), '#');
        if (character == ' ') {
            EXPECT_EQ(lit, 0u);
            continue;
        }
        EXPECT_GE(lit, 2u) << char(character);
        EXPECT_TRUE(patterns.insert(pattern).second)
            << char(character) << " looks like another glyph";
    }
}

// Text is drawn additively with the vertex colour: glyph pixels are pure white, all
// else black. The rows between glyph rows and each glyph's last column stay black, as
// filtering reaches there from neighbouring glyphs' quads.
TEST_F(ShippedData, FontIsWhiteOnBlackWithClearGutters) {
    Bitmap font;
    ASSERT_TRUE(Load("textures/font8x8.bmp", font));
    std::vector<bool> inGlyph(size_t(font.width * font.height), false);
    for (int character = 32; character <= 126; ++character) {
        GlyphCell cell = CellOf(font, character);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 7; ++x)
                inGlyph[size_t((cell.top + y) * font.width + cell.left + x)] = true;
            EXPECT_EQ(PixelAt(font, cell.left + 7, cell.top + y).Max(), 0) << char(character);
        }
    }
    for (int y = 0; y < font.height; ++y)
        for (int x = 0; x < font.width; ++x) {
            Rgb p = PixelAt(font, x, y);
            if (!inGlyph[size_t(y * font.width + x)]) {
                EXPECT_EQ(p.Max(), 0) << x << "," << y;
                continue;
            }
            bool black = p.red == 0 && p.green == 0 && p.blue == 0;
            bool white = p.red == 255 && p.green == 255 && p.blue == 255;
            EXPECT_TRUE(black || white) << x << "," << y;
        }
}

// ------------------------------------------------------------------ intro atlas

// The sprites' texel rectangles (1/256ths of the atlas): logo and four text lines.
struct SpriteRectangle {
    int s0, t0, s1, t1;
};
const SpriteRectangle kSpriteRectangles[] = {
    {0, 0, 210, 46}, {0, 128, 40, 148}, {0, 148, 176, 168}, {0, 169, 150, 189}, {0, 228, 185, 246}};

bool InsideSprite(int x, int y) {
    for (const SpriteRectangle& r : kSpriteRectangles)
        if (x >= r.s0 && x < r.s1 && y >= r.t0 && y < r.t1) return true;
    return false;
}

TEST_F(ShippedData, IntroAtlasDecodesToAnOpaque256Square) {
    Bitmap atlas;
    ASSERT_TRUE(Load("textures/nd.fxt", atlas));
    EXPECT_EQ(atlas.width, 256);
    EXPECT_EQ(atlas.height, 256);
    EXPECT_EQ(atlas.bitsPerPixel, 32);
    // Whole blocks only: the container holds exactly 32 x 64 blocks after its header.
    EXPECT_EQ(ReadWholeFile(DataPath("textures/nd.fxt")).size(), size_t(16 + 32 * 64 * 16));
    for (int y = 0; y < atlas.height; ++y)
        for (int x = 0; x < atlas.width; ++x) ASSERT_EQ(AlphaAt(atlas, x, y), 255) << x << "," << y;
}

TEST_F(ShippedData, IntroAtlasIsLitInsideEverySpriteAndDarkOutside) {
    Bitmap atlas;
    ASSERT_TRUE(Load("textures/nd.fxt", atlas));
    for (const SpriteRectangle& r : kSpriteRectangles) {
        int lit = 0, brightest = 0, area = (r.s1 - r.s0) * (r.t1 - r.t0);
        for (int y = r.t0; y < r.t1; ++y)
            for (int x = r.s0; x < r.s1; ++x) {
                int v = PixelAt(atlas, x, y).Max();
                if (v > 96) ++lit;
                brightest = std::max(brightest, v);
            }
        EXPECT_GE(brightest, 230) << "sprite at " << r.s0 << "," << r.t0;
        EXPECT_GT(lit, area / 20) << "sprite at " << r.s0 << "," << r.t0;
        // The picture stays off the rectangle's own border (filtering at the sprite's
        // edge reads it).
        for (int x = r.s0; x < r.s1; ++x) {
            EXPECT_LE(PixelAt(atlas, x, r.t0).Max(), 8) << x << "," << r.t0;
            EXPECT_LE(PixelAt(atlas, x, r.t1 - 1).Max(), 8) << x << "," << r.t1 - 1;
        }
    }
    int brightestOutside = 0;
    for (int y = 0; y < atlas.height; ++y)
        for (int x = 0; x < atlas.width; ++x)
            if (!InsideSprite(x, y))
                brightestOutside = std::max(brightestOutside, PixelAt(atlas, x, y).Max());
    EXPECT_LE(brightestOutside, 8);
}

// ------------------------------------------------------------------ editor layout

namespace {

bool Overlap(const Widget* a, const Widget* b) {
    return a->x < b->x + b->width && b->x < a->x + a->width && a->y < b->y + b->height &&
           b->y < a->y + a->height;
}

}  // namespace

// Loaded as the editor loads it, from the data directory with its textures made on the
// screen: no error, every slider with its mode button on its page, every widget inside
// the strip (the properties inside their own panel) and clear of the others, every
// picture found, and every slider's whole range taken by the star field as it stands.
TEST_F(ShippedData, EditorLayoutLoadsEverySliderAndPicture) {
    CapturingScreen screen;
    MemoryTextureList textures;
    screen.textureList = &textures;
    Screen* savedScreen = glb->currentScreen;
    glb->currentScreen = &screen;
    const std::string previous = CurrentDirectory();
    ASSERT_TRUE(Platform().setCurrentDirectory(DataPath("").c_str()));
    VxAnimator animator;
    VxConfig config;
    config.animator = &animator;
    ClearError();
    const int loaded = config.LoadGuiConfig(480, 0, 160, 480);
    const std::string error = PendingError();
    Platform().setCurrentDirectory(previous.c_str());
    ASSERT_EQ(loaded, 1) << error;
    EXPECT_EQ(error, "");

    StarField field;
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        if (row->kind != CONTROL_KIND_SLIDER) continue;
        const bool timing = row->id == CONTROL_TTIME || row->id == CONTROL_DELAY;
        int found = 0;
        for (int page : {11, 13, 14}) {
            Widget* widget = config.layout.pages[page].widgets.FindById(row->id);
            if (!widget) continue;
            ++found;
            EXPECT_EQ(page == 11, timing) << row->keyword;
            ASSERT_EQ(widget->kind, WIDGET_SLIDER) << row->keyword;
            EXPECT_GT(std::strlen(widget->text), 10u) << row->keyword;
            Widget* mode =
                config.layout.pages[page].widgets.FindById(row->id + MODE_BUTTON_ID_OFFSET);
            ASSERT_NE(mode, nullptr) << row->keyword;
            ASSERT_EQ(mode->kind, WIDGET_BUTTON);
            Button* button = static_cast<Button*>(mode);
            EXPECT_EQ(button->CycleCount(), timing ? 2 : 5) << row->keyword;
            for (int cycle = 0; cycle < button->CycleCount(); ++cycle) {
                ASSERT_NE(button->cycles[cycle].texture, nullptr) << row->keyword;
                EXPECT_NE(button->cycles[cycle].texture->texture, nullptr) << row->keyword;
            }
            if (timing) continue;
            Slider* slider = static_cast<Slider*>(widget);
            float lowest, highest;
            slider->GetValueLimits(&lowest, &highest);
            for (float end : {lowest, highest}) {
                ASSERT_TRUE(field.SetParameter(row->id, end)) << row->keyword;
                ParameterReading reading;
                ASSERT_TRUE(field.GetParameter(row->id, &reading)) << row->keyword;
                EXPECT_NEAR(reading.value, end, 1e-3 * std::max(1.0f, std::fabs(end)))
                    << row->keyword;
            }
        }
        EXPECT_EQ(found, 1) << row->keyword;
    }

    for (int page : {11, 13, 14}) {
        WidgetGroup& widgets = config.layout.pages[page].widgets;
        ASSERT_GT(config.layout.pages[page].polygonCount, 0) << page;
        // The properties keep to their panel, the first polygon; the pages to the strip.
        const Vertex* area = config.layout.pages[page].polygons[0].vertices;
        float left = page == 11 ? area[0].x : 480, top = page == 11 ? area[0].y : 0;
        float right = page == 11 ? area[2].x : 640, bottom = page == 11 ? area[2].y : 480;
        for (int i = 0; Widget* widget = widgets.At(i); ++i) {
            EXPECT_GE(widget->x, left) << page << " " << widget->id;
            EXPECT_LE(widget->x + widget->width, right) << page << " " << widget->id;
            EXPECT_GE(widget->y, top) << page << " " << widget->id;
            EXPECT_LE(widget->y + widget->height, bottom) << page << " " << widget->id;
            if (widget->kind == WIDGET_BUTTON && widget->id < MODE_BUTTON_ID_OFFSET) {
                EXPECT_NE(static_cast<Button*>(widget)->baseTexture, nullptr) << widget->id;
            }
            for (int j = i + 1; Widget* other = widgets.At(j); ++j)
                EXPECT_FALSE(Overlap(widget, other))
                    << page << ": " << widget->id << ", " << other->id;
        }
        for (int i = 0; i < config.layout.pages[page].polygonCount; ++i) {
            const CSurface* surface = config.layout.pages[page].polygons[i].surface;
            if (surface) {
                EXPECT_NE(surface->texture, nullptr) << page << " " << i;
            }
        }
    }
    EXPECT_EQ(config.layout.pages[13].shortcut, '1');
    EXPECT_EQ(config.layout.pages[14].shortcut, '2');
    EXPECT_EQ(config.layout.pages[CONTROL_BGROUND].shortcut, 'B');

    config.layout.Free();
    textures.DeleteAll();
    glb->currentScreen = savedScreen;
}

// Every caption the shipped layout gives (sliders, buttons, each mode button's
// cycles) is read whole on the info line's one line; every scene slider's knob can be
// dragged at once in the shipped background, its markers a good way apart; and the
// panel has no button that does nothing visible (the scene arrows: there is one scene).
TEST_F(ShippedData, EditorLayoutCaptionsFitAndEverySliderCanBeDragged) {
    CurrentTestScreen current;
    const std::string previous = CurrentDirectory();
    ASSERT_TRUE(Platform().setCurrentDirectory(DataPath("").c_str()));
    VxAnimator animator;
    VxConfig config;
    config.animator = &animator;
    const int loaded = config.LoadGuiConfig(480, 0, 160, 480);
    const int background = LoadBackground(&animator, "BGround.qvb");
    Platform().setCurrentDirectory(previous.c_str());
    ASSERT_EQ(loaded, 1) << PendingError();
    ASSERT_EQ(background, 1) << PendingError();

    InfoLine line;
    line.Setup(nullptr, 0, 466, 480, 13);
    auto fits = [&line](const char* caption) {
        line.SetText("%s", caption);
        char wrapped[INFO_TEXT_SIZE + INFO_MAX_LINES];
        return line.WrapText(wrapped, int32_t(sizeof wrapped)) == 1 &&
               std::string(wrapped) == caption;
    };
    int captions = 0;
    for (int page = 0; page < EDITOR_PAGE_COUNT; ++page) {
        config.RefreshPage(page);
        WidgetGroup& widgets = config.layout.pages[page].widgets;
        for (int i = 0; Widget* widget = widgets.At(i); ++i) {
            EXPECT_NE(widget->id, CONTROL_BGPREV) << page;
            EXPECT_NE(widget->id, CONTROL_BGNEXT) << page;
            EXPECT_TRUE(fits(widget->text)) << widget->text;
            ++captions;
            if (widget->kind == WIDGET_BUTTON) {
                Button* button = static_cast<Button*>(widget);
                for (int cycle = 0; cycle < button->CycleCount(); ++cycle)
                    EXPECT_TRUE(fits(button->cycles[cycle].caption))
                        << button->cycles[cycle].caption;
                continue;
            }
            Slider* slider = static_cast<Slider*>(widget);
            if (slider->id == CONTROL_TTIME || slider->id == CONTROL_DELAY) continue;
            // The knob's travel between the markers, in units of the track.
            float lowest, highest;
            slider->GetValueLimits(&lowest, &highest);
            const float span = std::fabs(slider->topEnd - slider->bottomEnd);
            const float travel = (highest - lowest) / span * (slider->height - slider->knobSize);
            EXPECT_GE(travel, 8.0f) << widget->text;
        }
    }
    EXPECT_GT(captions, 40);

    // The shipped sliders of turn, speed, flow and star size are narrower than what a
    // background may hold: such values stay through frames and saving while no slider moves.
    ScratchDirectory scratch;
    StarField field;  // the scene whose values the pages show
    Scenes().First();
    const struct {
        int32_t id;
        float low, high, value;
    } wide[] = {{CONTROL_BGSCRY, -170, 170, 150},
                {CONTROL_BGSSZ, -19, 19, -18},
                {CONTROL_BGSBCS, 7, 9, 8},
                {CONTROL_BGSSIZE, 2.2f, 2.8f, 2.5f}};
    for (const auto& channel : wide) {
        animator.SetMode(channel.id, ANIM_NONE);
        animator.SetHigh(channel.id, channel.high);
        animator.SetLow(channel.id, channel.low);
        animator.SetValue(channel.id, channel.value, VALUE_STORED, VALUE_TO_SCENE);
    }
    config.StartController();
    // The pointer passes over every slider of both pages, no button held.
    for (int frame = 0; frame < 200; ++frame) {
        config.SetPage(CONTROL_BGSTARFIELD1 + frame % 2);
        config.pointerX = 480.0f + float(frame % 20) * 8.0f;
        config.pointerY = float(frame / 20) * 48.0f;
        config.HandlePointer(0, 0, 0);
        config.DrawEditor();
        animator.StepAll();
    }
    ASSERT_EQ(SaveBackground(&animator, "again.qvb"), 1) << PendingError();
    VxAnimator saved;
    ASSERT_EQ(LoadBackground(&saved, "again.qvb"), 1) << PendingError();
    for (const auto& channel : wide) {
        const SliderChannel* kept = saved.Channel(channel.id);
        EXPECT_EQ(kept->low, channel.low) << channel.id;
        EXPECT_EQ(kept->high, channel.high) << channel.id;
        EXPECT_EQ(kept->value, channel.value) << channel.id;
    }
    config.StopController();
    config.layout.Free();
}

// ------------------------------------------------------------------ encoder

uint32_t Opaque(int red, int green, int blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

// The 8-bit values the reader widens 5- and 6-bit channels to.
int Widen5(int v) {
    return (255 * v + 15) / 31;
}
int Widen6(int v) {
    return (255 * v + 31) / 63;
}

// A test picture with what textures hold: smooth colour, hard edges, flat areas, black.
std::vector<uint32_t> TestPicture(int width, int height) {
    std::vector<uint32_t> texels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            if (x < width / 3) {
                v = Opaque(x * 255 / (width / 3), 40 + y * 200 / height, 200 - x * 3);
            } else if (x < 2 * width / 3) {
                bool stripe = ((x / 3 + y / 2) & 1) != 0;  // hard two-colour edges
                v = stripe ? Opaque(240, 236, 220) : Opaque(10, 20, 90);
            } else {
                double r = std::hypot(x - 5.0 * width / 6, y - height / 2.0);
                int glow = int(255 * std::exp(-r * r / 60));
                v = Opaque(glow * 3 / 4, glow * 7 / 8, glow);
            }
            texels[size_t(y * width + x)] = v;
        }
    return texels;
}

TEST(Fxt1Encoder, RoundTripThroughTheReaderStaysClose) {
    PictureRegistry registry;
    ScratchDirectory scratch;
    const int width = 72, height = 40;
    std::vector<uint32_t> source = TestPicture(width, height);
    ASSERT_EQ(Fxt1WriteFile("picture.fxt", source.data(), width, height), 1);
    Bitmap decoded;
    ASSERT_EQ(decoded.Load("picture.fxt"), 1) << PendingError();
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    double squared = 0;
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t s = source[size_t(y * width + x)];
            Rgb d = PixelAt(decoded, x, y);
            int diff[3] = {d.red - int(s >> 16 & 0xFF), d.green - int(s >> 8 & 0xFF),
                           d.blue - int(s & 0xFF)};
            for (int e : diff) {
                squared += e * e;
                worst = std::max(worst, std::abs(e));
            }
            EXPECT_EQ(AlphaAt(decoded, x, y), 255);
        }
    double rms = std::sqrt(squared / (width * height * 3));
    EXPECT_LT(rms, 4.0);
    EXPECT_LE(worst, 24);
}

TEST(Fxt1Encoder, ContainerHeaderAndWholeBlocks) {
    ScratchDirectory scratch;
    std::vector<uint32_t> source(16 * 8, Opaque(255, 0, 0));
    ASSERT_EQ(Fxt1WriteFile("small.fxt", source.data(), 16, 8), 1);
    std::string bytes = ReadWholeFile("small.fxt");
    ASSERT_EQ(bytes.size(), size_t(16 + 4 * 16));
    EXPECT_EQ(bytes.substr(0, 4), "CXET");
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
    EXPECT_EQ(bytes.substr(8, 4), std::string("\x10\0\0\0", 4));
    EXPECT_EQ(bytes.substr(12, 4), std::string("\x08\0\0\0", 4));
    EXPECT_EQ(Fxt1EncodedBytes(12, 6), 16);
    EXPECT_EQ(Fxt1EncodedBytes(8, 4), 16);
    EXPECT_EQ(Fxt1EncodedBytes(256, 256), 32768);
    // A size the blocks do not cover would lose its edge: not written.
    EXPECT_EQ(Fxt1WriteFile("edge.fxt", source.data(), 10, 6), 0);

    PictureRegistry registry;
    Bitmap decoded;
    ASSERT_EQ(decoded.Load("small.fxt"), 1) << PendingError();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb p = PixelAt(decoded, x, y);
            EXPECT_TRUE(p.red == 255 && p.green == 0 && p.blue == 0) << x << "," << y;
        }
}

TEST(Fxt1Encoder, UnwritablePathFails) {
    ScratchDirectory scratch;
    uint32_t texel = Opaque(1, 2, 3);
    EXPECT_EQ(Fxt1WriteFile("missing/dir/x.fxt", &texel, 1, 1), 0);
}

typedef uint32_t BlockTexels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];

// The error the encoder reports is the error of what the reader decodes.
void ExpectReportedError(const BlockTexels& source, Fxt1EncodeMode mode, uint32_t* error,
                         BlockTexels& decoded) {
    uint8_t block[FXT1_BLOCK_BYTES];
    *error = Fxt1EncodeBlock(source, mode, block);
    Fxt1DecodeBlock(block, decoded);
    EXPECT_EQ(Fxt1BlockError(source, decoded), *error);
    uint32_t recomputed = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            if ((source[y][x] >> 24) < 128) {
                recomputed += (decoded[y][x] >> 24) ? 65025u * 4 : 0u;
                continue;
            }
            for (int shift = 0; shift < 32; shift += 8) {
                int d = int(source[y][x] >> shift & 0xFF) - int(decoded[y][x] >> shift & 0xFF);
                recomputed += uint32_t(d * d);
            }
        }
    EXPECT_EQ(recomputed, *error);
}

// The top byte of the block: bits 127..125 give the mode, bit 124 the MIXED alpha flag.
int TopByte(const BlockTexels& source, Fxt1EncodeMode mode) {
    uint8_t block[FXT1_BLOCK_BYTES];
    Fxt1EncodeBlock(source, mode, block);
    return block[15];
}

TEST(Fxt1Encoder, EachModeWritesItsOwnTopBits) {
    BlockTexels source;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) source[y][x] = Opaque(x * 30, y * 60, 100);
    EXPECT_EQ(TopByte(source, FXT1_ENCODE_HI) >> 6, 0);
    EXPECT_EQ(TopByte(source, FXT1_ENCODE_CHROMA) >> 5, 2);
    int mixed = TopByte(source, FXT1_ENCODE_MIXED);
    EXPECT_EQ(mixed >> 7, 1);
    EXPECT_EQ(mixed >> 4 & 1, 0) << "alpha flag clear";
    int mixedAlpha = TopByte(source, FXT1_ENCODE_MIXED_ALPHA);
    EXPECT_EQ(mixedAlpha >> 7, 1);
    EXPECT_EQ(mixedAlpha >> 4 & 1, 1) << "alpha flag set";
}

// Two colours per half that 5-bit red and blue and 6-bit green hold exactly come back
// exactly, whatever the green's low bits: the encoder must orient each half so the
// reader derives the first colour's green bit right.
TEST(Fxt1Encoder, MixedHalvesWithExactColoursAreLossless) {
    const int greens[][2] = {{1, 2}, {2, 1}, {3, 5}, {4, 6}, {63, 0}, {0, 63}, {17, 40}, {40, 17}};
    for (const auto& g : greens) {
        for (int pattern = 0; pattern < 2; ++pattern) {
            uint32_t p = Opaque(Widen5(3), Widen6(g[0]), Widen5(28));
            uint32_t q = Opaque(Widen5(30), Widen6(g[1]), Widen5(1));
            uint32_t r = Opaque(Widen5(9), Widen6(g[1]), Widen5(20));
            uint32_t s = Opaque(Widen5(22), Widen6(g[0]), Widen5(5));
            BlockTexels source;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x) {
                    bool first = ((x + y + pattern) & 1) != 0;
                    source[y][x] = x < 4 ? (first ? p : q) : (first ? r : s);
                }
            uint32_t error;
            BlockTexels decoded;
            ExpectReportedError(source, FXT1_ENCODE_MIXED, &error, decoded);
            EXPECT_EQ(error, 0u) << "greens " << g[0] << ", " << g[1] << " pattern " << pattern;
        }
    }
}

TEST(Fxt1Encoder, ChromaKeepsFourExactColours) {
    uint32_t colours[4] = {Opaque(Widen5(31), 0, 0), Opaque(0, Widen5(20), Widen5(7)),
                           Opaque(Widen5(12), Widen5(12), Widen5(30)),
                           Opaque(Widen5(5), Widen5(29), Widen5(2))};
    BlockTexels source;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) source[y][x] = colours[(x * 3 + y) % 4];
    uint32_t error;
    BlockTexels decoded;
    ExpectReportedError(source, FXT1_ENCODE_CHROMA, &error, decoded);
    EXPECT_EQ(error, 0u);
    // Four unrelated colours do not lie on a line: the best mode finds that too.
    ExpectReportedError(source, FXT1_ENCODE_BEST, &error, decoded);
    EXPECT_EQ(error, 0u);
}

TEST(Fxt1Encoder, HighModeFollowsAGreyRampClosely) {
    BlockTexels source;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int v = 20 + (x + 8 * y) * 6;
            source[y][x] = Opaque(v, v, v);
        }
    uint32_t error;
    BlockTexels decoded;
    ExpectReportedError(source, FXT1_ENCODE_HI, &error, decoded);
    // 7 levels over a span of 186: at most half a level step (15.5) off, well under on
    // average.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int want = int(source[y][x] & 0xFF);
            EXPECT_LE(std::abs(int(decoded[y][x] & 0xFF) - want), 17) << x << "," << y;
        }
    EXPECT_LT(error, 32u * 3 * 100);
}

TEST(Fxt1Encoder, TransparentTexelsDecodeTransparentAndOthersStayOpaque) {
    BlockTexels source;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            source[y][x] = ((x + y) % 3 == 0) ? 0x00123456u : Opaque(200, 100 + x * 10, 50);
    for (Fxt1EncodeMode mode : {FXT1_ENCODE_BEST, FXT1_ENCODE_MIXED_ALPHA, FXT1_ENCODE_HI}) {
        uint32_t error;
        BlockTexels decoded;
        ExpectReportedError(source, mode, &error, decoded);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                if ((source[y][x] >> 24) == 0)
                    EXPECT_EQ(decoded[y][x], 0u) << "mode " << mode << " at " << x << "," << y;
                else
                    EXPECT_EQ(decoded[y][x] >> 24, 255u)
                        << "mode " << mode << " at " << x << "," << y;
            }
    }
    BlockTexels clear;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) clear[y][x] = 0;
    uint32_t error;
    BlockTexels decoded;
    ExpectReportedError(clear, FXT1_ENCODE_BEST, &error, decoded);
    EXPECT_EQ(error, 0u);
}

// The best mode is never worse than any single mode on the same block.
TEST(Fxt1Encoder, BestModeIsTheLeastErrorOfAll) {
    std::vector<uint32_t> picture = TestPicture(64, 16);
    for (int bx = 0; bx < 8; ++bx)
        for (int by = 0; by < 4; ++by) {
            BlockTexels source;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x)
                    source[y][x] = picture[size_t((by * 4 + y) * 64 + bx * 8 + x)];
            uint8_t block[FXT1_BLOCK_BYTES];
            uint32_t best = Fxt1EncodeBlock(source, FXT1_ENCODE_BEST, block);
            for (int m = FXT1_ENCODE_HI; m <= FXT1_ENCODE_MIXED_ALPHA; ++m)
                EXPECT_LE(best, Fxt1EncodeBlock(source, Fxt1EncodeMode(m), block))
                    << bx << "," << by;
        }
}

}  // namespace
