// Writes the editor's layout file: make_guiconfig <file> puts the panel designed in
// gui_layout.cpp into <file> as gui.cfg text (the repository keeps it as data/gui.cfg).
#include <cstdarg>
#include <cstdio>
#include <string>

#include "gui_layout.h"

namespace {

const int kSliderHeight = GUI_TRACK_OFFSET + GUI_TRACK_LENGTH;

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// The lines of the file being written, indented by chunk depth.
class Writer {
public:
    void Line(const std::string& line) { text += std::string(4 * depth, ' ') + line + "\n"; }
    void Blank() { text += "\n"; }
    void Open(const std::string& name) {
        Line("{ = " + name);
        ++depth;
    }
    void Close() {
        --depth;
        Line("}");
    }

    // A "Background" polygon: the define (none for an untextured one), then a vertex per
    // corner of x, y, z, u, v, red, green, blue, alpha, one a line.
    struct Corner {
        float x, y, u, v;
    };
    void Polygon(const std::string& define, const Corner* corners, int count, GuiColour colour) {
        std::string line = "Background = " + define + ",";
        for (int i = 0; i < count; ++i) {
            Line(line);
            line = Format("    {%g, %g, 0, %.9g, %.9g, %d, %d, %d, 0}%s", corners[i].x,
                          corners[i].y, corners[i].u, corners[i].v, colour.r, colour.g, colour.b,
                          i + 1 < count ? "," : "");
        }
        Line(line);
    }
    void Rectangle(float left, float top, float right, float bottom, GuiColour colour) {
        const Corner corners[4] = {
            {left, top, 0, 0}, {right, top, 0, 0}, {right, bottom, 0, 0}, {left, bottom, 0, 0}};
        Polygon("", corners, 4, colour);
    }
    void Segment(float x0, float y0, float x1, float y1, GuiColour colour) {
        const Corner corners[2] = {{x0, y0, 0, 0}, {x1, y1, 0, 0}};
        Polygon("", corners, 2, colour);
    }
    // A picture drawn 1:1 with its top-left corner at (x, y): a rectangle of a larger
    // picture (u, v in its pixels), or a whole picture of that size.
    void Picture(const std::string& define, float x, float y, int width, int height, int u, int v,
                 int pictureWidth, int pictureHeight) {
        const float u0 = float(u) / float(pictureWidth), v0 = float(v) / float(pictureHeight);
        const float u1 = float(u + width) / float(pictureWidth);
        const float v1 = float(v + height) / float(pictureHeight);
        const Corner corners[4] = {{x, y, u0, v0},
                                   {x + float(width), y, u1, v0},
                                   {x + float(width), y + float(height), u1, v1},
                                   {x, y + float(height), u0, v1}};
        Polygon(define, corners, 4, {255, 255, 255});
    }
    void Label(const std::string& text, GuiLabelStyle style, float x, float y) {
        const GuiLabel* label = FindGuiLabel(text, style);
        if (!label) {
            std::fprintf(stderr, "make_guiconfig: no label \"%s\"\n", text.c_str());
            failed = true;
            return;
        }
        Picture("Labels", x, y, label->width, label->height, label->x, label->y,
                GUI_LABEL_PICTURE_WIDTH, GuiLabelPictureHeight());
    }
    // A label centred under a column of the slider width.
    void Tag(const std::string& text, float columnX, float y) {
        Label(text, LABEL_TAG, columnX + float(GUI_SLIDER_WIDTH / 2 - (GuiTextWidth(text) + 2) / 2),
              y);
    }
    // A sunken box: lit from the top left, so its top and left edges are in shade.
    void Well(float left, float top, float right, float bottom) {
        Rectangle(left, top, right, bottom, kWellColour);
        Segment(left, top + 0.5f, right, top + 0.5f, kEdgeDark);
        Segment(left + 0.5f, top, left + 0.5f, bottom, kEdgeDark);
        Segment(left, bottom - 0.5f, right, bottom - 0.5f, kEdgeLight);
        Segment(right - 0.5f, top, right - 0.5f, bottom, kEdgeLight);
    }

    std::string text;
    int depth = 0;
    bool failed = false;
};

// The well around the columns from first to last (their left x) of the row at y.
void GroupWell(Writer& out, float first, float last, float y) {
    out.Well(first - GUI_WELL_MARGIN, y + GUI_WELL_TOP,
             last + float(GUI_SLIDER_WIDTH + GUI_WELL_MARGIN), y + GUI_WELL_BOTTOM);
}

// A group's label, over the left edge of its well.
void GroupLabel(Writer& out, const std::string& label, float first, float y) {
    out.Label(label, LABEL_GROUP, first - GUI_WELL_MARGIN - 1, y);
}

void Slider(Writer& out, const GuiSlider& slider, float x, float y) {
    out.Line(Format("%-9s = %g, %g, %d, %d, %g, %g, %g, %g, \"%s\"", slider.keyword, x,
                    y + GUI_SLIDER_TOP, GUI_SLIDER_WIDTH, kSliderHeight, slider.top, slider.bottom,
                    slider.value, slider.step, slider.caption));
    if (std::string(slider.caption).size() > 90) {
        std::fprintf(stderr, "make_guiconfig: caption of %s over 90 characters\n", slider.keyword);
        out.failed = true;
    }
}

void SliderSettings(Writer& out) {
    out.Line(Format("ANIMBTN    = 0, %d", GUI_MODE_HEIGHT));
    out.Line(Format("SLIDERYPOS = %d", GUI_TRACK_OFFSET));
}

void General(Writer& out) {
    out.Line("; The strip, its title band and footer, the group wells and the legend of the");
    out.Line("; animation modes: behind every parameter page.");
    out.Open("General");
    out.Rectangle(0, 0, GUI_PANEL_WIDTH, GUI_PANEL_HEIGHT, kPanelColour);
    out.Rectangle(0, 0, GUI_PANEL_WIDTH, GUI_HEADER_HEIGHT, kHeaderColour);
    out.Segment(0, GUI_HEADER_HEIGHT + 0.5f, GUI_PANEL_WIDTH, GUI_HEADER_HEIGHT + 0.5f,
                kDividerColour);
    out.Segment(0, GUI_FOOTER_TOP + 0.5f, GUI_PANEL_WIDTH, GUI_FOOTER_TOP + 0.5f, kDividerColour);
    out.Segment(0.5f, 0, 0.5f, GUI_PANEL_HEIGHT, kEdgeLight);
    for (int row = 0; row < GUI_ROWS; ++row)
        for (int slot = 0; slot < 2; ++slot)
            GroupWell(out, GuiColumnX(slot, 0), GuiColumnX(slot, 2), GuiRowY(row));
    GroupLabel(out, "MODES", GuiColumnX(GUI_LEGEND_SLOT, 0), GuiRowY(GUI_LEGEND_ROW));
    for (int mode = 0; mode < 5; ++mode) {
        const float x = GuiColumnX(GUI_LEGEND_SLOT, 0);
        const float y = GuiRowY(GUI_LEGEND_ROW) + GUI_SLIDER_TOP + float(mode * GUI_LEGEND_PITCH);
        out.Picture(kGuiModeDefines[mode], x, y, 16, 16, 0, 0, 16, 16);
        out.Label(kGuiModeWords[mode], LABEL_LEGEND, x + 19, y + 3);
    }
    out.Line(";        x    y    w   h   face        caption");
    for (int i = 0; i < kGuiButtonCount; ++i) {
        const GuiButton& b = kGuiButtons[i];
        out.Line(Format("%-7s = %3g, %3g, %2g, %g, %-10s, \"%s\"", b.keyword, b.x, b.y, b.width,
                        b.height, b.define, b.caption));
    }
    out.Close();
}

void ParameterPage(Writer& out, const char* keyword, int page) {
    out.Blank();
    out.Open(keyword);
    SliderSettings(out);
    const char* title = GuiPageTitle(page);
    const GuiLabel* label = FindGuiLabel(title, LABEL_TITLE);
    out.Label(title, LABEL_TITLE, float(GUI_PANEL_WIDTH / 2 - (label ? label->width / 2 : 0)), 8);
    for (int i = 0; i < kGuiGroupCount; ++i) {
        const GuiGroup& group = kGuiGroups[i];
        if (group.page == page)
            GroupLabel(out, group.label, GuiColumnX(group.slot, 0), GuiRowY(group.row));
    }
    for (int i = 0; i < kGuiSliderCount; ++i) {
        const GuiSlider& s = kGuiSliders[i];
        if (s.page == page)
            out.Tag(s.tag, GuiColumnX(s.slot, s.column), GuiRowY(s.row) + GUI_TAG_TOP);
    }
    out.Line(";          x    y   w   h  top  bottom  value  step  caption");
    for (int i = 0; i < kGuiSliderCount; ++i) {
        const GuiSlider& s = kGuiSliders[i];
        if (s.page == page) Slider(out, s, GuiColumnX(s.slot, s.column), GuiRowY(s.row));
    }
    out.Close();
}

void TimingPage(Writer& out) {
    out.Blank();
    out.Line("; The slider properties, shown left of the strip while sliders are selected. Its");
    out.Line("; first polygon is the area that keeps the selection when clicked.");
    out.Open("SLIDERP");
    SliderSettings(out);
    out.Rectangle(GUI_TIMING_LEFT, GUI_TIMING_TOP, GUI_TIMING_RIGHT, GUI_TIMING_BOTTOM,
                  kPanelColour);
    out.Segment(GUI_TIMING_LEFT, GUI_TIMING_TOP + 0.5f, GUI_TIMING_RIGHT, GUI_TIMING_TOP + 0.5f,
                kEdgeLight);
    out.Segment(GUI_TIMING_LEFT + 0.5f, GUI_TIMING_TOP, GUI_TIMING_LEFT + 0.5f, GUI_TIMING_BOTTOM,
                kEdgeLight);
    out.Segment(GUI_TIMING_LEFT, GUI_TIMING_BOTTOM - 0.5f, GUI_TIMING_RIGHT,
                GUI_TIMING_BOTTOM - 0.5f, kEdgeDark);
    out.Segment(GUI_TIMING_RIGHT - 0.5f, GUI_TIMING_TOP, GUI_TIMING_RIGHT - 0.5f, GUI_TIMING_BOTTOM,
                kEdgeDark);
    GroupWell(out, GuiTimingColumnX(0), GuiTimingColumnX(1), GUI_TIMING_ROW);
    GroupLabel(out, "TIMING", GuiTimingColumnX(0), GUI_TIMING_ROW);
    for (int i = 0; i < kGuiSliderCount; ++i) {
        const GuiSlider& s = kGuiSliders[i];
        if (s.page == GUI_PAGE_TIMING)
            out.Tag(s.tag, GuiTimingColumnX(s.column), GUI_TIMING_ROW + GUI_TAG_TOP);
    }
    for (int i = 0; i < kGuiSliderCount; ++i) {
        const GuiSlider& s = kGuiSliders[i];
        if (s.page == GUI_PAGE_TIMING) Slider(out, s, GuiTimingColumnX(s.column), GUI_TIMING_ROW);
    }
    out.Close();
}

std::string Layout() {
    Writer out;
    out.Line("; The editor's layout, written by make_guiconfig from tools/gui_layout.cpp.");
    out.Line("; Coordinates are units of the 640 x 480 screen from the top-left corner of the");
    out.Line("; 160 x 480 panel at its right. A slider line gives x, y, width, height, the value");
    out.Line("; at the top and at the bottom of its track, its first value, the value change");
    out.Line("; per unit of pointer movement and its caption; a button line x, y, width,");
    out.Line("; height, its face picture and caption. A \"Background\" is a picture (or none)");
    out.Line("; and up to four corners of x, y, z, u, v, red, green, blue, alpha.");
    out.Line("CurrentGuiConfig = Novadrift");
    out.Blank();
    out.Open("GuiConfig, Novadrift");
    out.Open("Textures");
    for (int i = 0; i < kGuiPictureCount; ++i)
        out.Line(Format("%-12s = textures/%s", kGuiPictures[i].define, kGuiPictures[i].file));
    out.Close();
    out.Blank();
    General(out);
    ParameterPage(out, "BGSTARFIELD1", GUI_PAGE_COLOURS);
    ParameterPage(out, "BGSTARFIELD2", GUI_PAGE_MOTION);
    TimingPage(out);
    out.Blank();
    out.Open("Shortcutkeys");
    out.Line("BGSTARFIELD1 = 1");
    out.Line("BGSTARFIELD2 = 2");
    out.Line("BGROUND      = B");
    out.Close();
    out.Close();
    return out.failed ? std::string() : out.text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_guiconfig <file>\n");
        return 2;
    }
    const std::string text = Layout();
    if (text.empty()) return 1;
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "make_guiconfig: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "make_guiconfig: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
