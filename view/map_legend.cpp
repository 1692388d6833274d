#include "view/map_legend.h"

#include <GL/gl.h>

#include "stats/readout.h"
#include "survey/tally.h"
#include "view/map_layer.h"
#include "view/map_view.h"

namespace {

// A font both Windows and Wine have.  Sizes are pixels at 96 DPI; the
// program is DPI-aware, so they grow with the screen's DPI like the
// panels' text does.
const char font_face[] = "Tahoma";
const int font_height_96 = 13;
const int margin_96 = 6;   // from the window's edges to the box
const int padding_96 = 5;  // from the box to its text
int margin = margin_96;
int padding = padding_96;

int shown = 1;
// The window's device context the font is made for, kept so that a font
// the driver refused is tried again when the legend is next laid out.
HDC font_dc;
int font_ready;
int char_widths[LEGEND_FONT_LISTS];
int line_height;
int ascent;

// Space and no-break space have no bitmap to make, and Wine reports an
// OpenGL error for an empty one; the text advances over them by width.
int blank(unsigned char c)
{
    return c == ' ' || c == 0xA0;
}

// Lists for the characters first .. first + count - 1.  Some drivers
// refuse the first call for no reason; a second one works.
int make_font_lists(HDC dc, int first, int count)
{
    return wglUseFontBitmapsA(dc, (DWORD)first, (DWORD)count, (DWORD)(LIST_LEGEND_FONT + first)) ||
           wglUseFontBitmapsA(dc, (DWORD)first, (DWORD)count, (DWORD)(LIST_LEGEND_FONT + first));
}

// The font's lists and widths for font_dc; 1 once they are made.
int make_font(void)
{
    HDC dc = font_dc;
    if (font_ready || !dc)
        return font_ready;
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0)
        dpi = 96;
    margin = MulDiv(margin_96, dpi, 96);
    padding = MulDiv(padding_96, dpi, 96);
    int font_height = MulDiv(font_height_96, dpi, 96);
    HFONT font = CreateFontA(-font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, font_face);
    if (!font)
        return 0;
    HGDIOBJ previous = SelectObject(dc, font);
    int made = 1;
    for (int first = 0; first < LEGEND_FONT_LISTS;) {
        int end = first;
        while (end < LEGEND_FONT_LISTS && !blank((unsigned char)end))
            end++;
        if (end > first)
            made = made && make_font_lists(dc, first, end - first);
        first = end + 1;
    }
    TEXTMETRICA metrics;
    if (made && GetTextMetricsA(dc, &metrics) &&
        GetCharWidth32A(dc, 0, LEGEND_FONT_LISTS - 1, char_widths)) {
        line_height = metrics.tmHeight + metrics.tmExternalLeading;
        ascent = metrics.tmAscent;
        font_ready = 1;
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    if (!font_ready)
        glDeleteLists(LIST_LEGEND_FONT, LEGEND_FONT_LISTS);
    return font_ready;
}

// How many characters of the text fit in `room` pixels, and their width.
int fitting_length(const char *text, int room, int *width)
{
    int used = 0, n = 0;
    for (; text[n]; n++) {
        int w = char_widths[(unsigned char)text[n]];
        if (used + w > room)
            break;
        used += w;
    }
    *width = used;
    return n;
}

// The legend's text and its box; 0 when there is nothing to draw.
int lay_out(LegendText *legend, RECT *box)
{
    if (!shown || !make_font())
        return 0;
    build_legend(tally_query(), tally_result(), bar_mode(), bar_scale(), bar_colors(), selected_zip(),
                 legend);
    // A line too long for the window is cut at its edge, never wrapped.
    // A minimised window has no room at all.
    int room = client_width() - 2 * margin - 2 * padding;
    if (room <= 0 || client_height() <= 0 || legend->line_count == 0)
        return 0;
    int widest = 0;
    for (int k = 0; k < legend->line_count; k++) {
        int width;
        fitting_length(legend->line[k], room, &width);
        if (width > widest)
            widest = width;
    }
    box->left = margin;
    box->top = margin;
    box->right = margin + widest + 2 * padding;
    box->bottom = margin + legend->line_count * line_height + 2 * padding;
    return 1;
}

}  // namespace

int make_legend_font(HDC dc)
{
    font_dc = dc;
    return make_font();
}

void set_legend_shown(int on)
{
    shown = on ? 1 : 0;
}

int legend_shown(void)
{
    return shown;
}

int legend_box(RECT *box)
{
    LegendText legend;
    return lay_out(&legend, box);
}

void draw_legend(void)
{
    LegendText legend;
    RECT box;
    if (!lay_out(&legend, &box))
        return;
    int height = client_height();

    // Window pixels from the bottom left, as glBitmap and glRasterPos count.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, (double)client_width(), 0.0, (double)height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glColor4f(1.0f, 1.0f, 0.97f, 0.8f);
    glBegin(GL_QUADS);
    glVertex2i(box.left, height - box.bottom);
    glVertex2i(box.right, height - box.bottom);
    glVertex2i(box.right, height - box.top);
    glVertex2i(box.left, height - box.top);
    glEnd();

    // Each character at the place its measured width gives, as the box was
    // laid out.
    glColor3f(0.1f, 0.1f, 0.12f);
    int room = box.right - box.left - 2 * padding;
    for (int k = 0; k < legend.line_count; k++) {
        int width;
        int length = fitting_length(legend.line[k], room, &width);
        int baseline = height - (box.top + padding + k * line_height + ascent);
        int x = box.left + padding;
        for (int n = 0; n < length; n++) {
            unsigned char c = (unsigned char)legend.line[k][n];
            if (!blank(c)) {
                glRasterPos2i(x, baseline);
                glCallList(LIST_LEGEND_FONT + c);
            }
            x += char_widths[c];
        }
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void release_legend_font(void)
{
    if (font_ready)
        glDeleteLists(LIST_LEGEND_FONT, LEGEND_FONT_LISTS);
    font_ready = 0;
    font_dc = nullptr;
}
