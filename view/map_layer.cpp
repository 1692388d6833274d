#include <windows.h>

#include <GL/gl.h>
#include <stdio.h>
#include <string.h>

#include "gis/bmp.h"
#include "gis/zip_table.h"
#include "stats/area_stats.h"
#include "stats/readout.h"
#include "survey/tally.h"
#include "view/camera.h"
#include "view/map_layer.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F  // OpenGL 1.2; opengl32's header stops at 1.1
#endif

// A color-blind-safe pair, orange #C85200 above the average and purple
// #5D3A9B below it, each at least 3.2:1 (WCAG contrast) against the base
// map's land and water; the lighter #E66100 reaches only 2.5:1 on water.
const unsigned char above_color[3] = {0xC8, 0x52, 0x00};
const unsigned char below_color[3] = {0x5D, 0x3A, 0x9B};

namespace {

// Mosaic bounds in degrees; the tiles meet at the map anchor.
const float map_west = -96.62202f;
const float map_east = -94.35338f;
const float map_south = 28.76915f;
const float map_north = 30.90672f;
const float map_width = 2.2686386f;
const float map_height = 2.1375694f;

const float bar_side = 2.0f * ZIP_BAR_HALF;  // exactly 0.005f

// A share over too few respondents shows fainter than a full bar, yet
// clearly more solid than the bars a selection leaves translucent.
const float unselected_alpha = 0.15f;
const float low_base_alpha = 0.45f;

const float plain_grey[3] = {1.0f, 1.0f, 1.0f};
const float above_hue[3] = {above_color[0] / 255.0f, above_color[1] / 255.0f, above_color[2] / 255.0f};
const float below_hue[3] = {below_color[0] / 255.0f, below_color[1] / 255.0f, below_color[2] / 255.0f};
const float plain_top_grey = 0.66f;

int selection = -1;
int mode = BARS_COUNT;
int colors = COLORS_PLAIN;
int comparing = COMPARE_TOGETHER;
unsigned generation;
MapChangeHandler change_handlers[MAP_CHANGE_HANDLERS];
int change_handler_count;

struct Tile {
    const char *path;
    GLuint texture;
    const char *message;
};

// Paths relative to the working folder, or to the program's own folder.
const Tile tiles[] = {
    {"data\\maps\\ll.bmp", TEX_LOWER_LEFT, "make_map() - can't read lower left map!"},
    {"data\\maps\\lr.bmp", TEX_LOWER_RIGHT, "make_map() - can't read lower right map!"},
    {"data\\maps\\ul.bmp", TEX_UPPER_LEFT, "make_map() - can't read upper left map!"},
    {"data\\maps\\ur.bmp", TEX_UPPER_RIGHT, "make_map() - can't read upper right map!"},
};

// A tile from the working folder or, for a program started elsewhere (from
// a file's icon, or a shortcut with another working folder), from beside
// quorvel.exe.  1 or 0.
int read_tile(const Tile &tile, RgbImage *image)
{
    if (read_bmp(tile.path, image))
        return 1;
    char path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    char *slash = length > 0 && length < MAX_PATH ? strrchr(path, '\\') : nullptr;
    if (!slash)
        return 0;
    snprintf(slash + 1, sizeof path - (size_t)(slash + 1 - path), "%s", tile.path);
    return read_bmp(path, image);
}

void compile_tile_quad(GLuint list, float west, float south, float east, float north)
{
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(west, south, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(east, south, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(east, north, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(west, north, 0.0f);
    glEnd();
    glEndList();
}

void compile_tile_quads(void)
{
    static const GLuint lists[] = {LIST_LOWER_LEFT, LIST_LOWER_RIGHT, LIST_UPPER_RIGHT,
                                   LIST_UPPER_LEFT};
    for (GLuint list : lists)
        glDeleteLists(list, 1);
    const float middle_x = map_anchor.x;
    const float middle_y = map_anchor.y;
    compile_tile_quad(LIST_LOWER_LEFT, map_west, map_south, middle_x, middle_y);
    compile_tile_quad(LIST_LOWER_RIGHT, middle_x, map_south, map_east, middle_y);
    compile_tile_quad(LIST_UPPER_LEFT, map_west, middle_y, middle_x, map_north);
    compile_tile_quad(LIST_UPPER_RIGHT, middle_x, middle_y, map_east, map_north);
}

// Corners 0..3 of a bar's footprint: south-west, south-east, north-east,
// north-west.
struct BarCorners {
    float x[4];
    float y[4];
};

BarCorners bar_corners(int index)
{
    BarCorners c;
    float x0 = zip_longitude(index) - ZIP_BAR_HALF;
    float y0 = zip_latitude(index) - ZIP_BAR_HALF;
    c.x[0] = x0;
    c.y[0] = y0;
    c.x[1] = x0 + bar_side;
    c.y[1] = y0;
    c.x[2] = x0 + bar_side;
    c.y[2] = y0 + bar_side;
    c.x[3] = x0;
    c.y[3] = y0 + bar_side;
    return c;
}

float bar_alpha(const TallyResult *result, int index)
{
    if (selection != -1 && selection != index)
        return unselected_alpha;
    return low_base(result, mode, index) ? low_base_alpha : 1.0f;
}

// The hue a bar's faces are shaded from: white for the plain greys, or
// the hue of its comparison with the average.
const float *bar_hue(const TallyResult *result, int index)
{
    if (colors != COLORS_AVERAGE)
        return plain_grey;
    AreaRow row;
    area_row_of_index(result, index, &row);
    if (row.compared == COMPARED_ABOVE)
        return above_hue;
    return row.compared == COMPARED_BELOW ? below_hue : plain_grey;
}

void compile_bar_tops(const TallyResult *result, const float heights[])
{
    glDeleteLists(LIST_BAR_TOPS, 1);
    glNewList(LIST_BAR_TOPS, GL_COMPILE);
    glBegin(GL_QUADS);
    for (int i = 0; i < ZIP_SLOTS; i++) {
        if (!zip_has_location(i))
            continue;
        BarCorners c = bar_corners(i);
        float h = heights[i];
        const float *hue = bar_hue(result, i);
        // A plain top is a darker grey than the sides; a colored one is its hue.
        float shade = hue == plain_grey ? plain_top_grey : 1.0f;
        glColor4f(hue[0] * shade, hue[1] * shade, hue[2] * shade, bar_alpha(result, i));
        for (int k = 0; k < 4; k++) {
            // The top shows the map beneath it: its texture coordinates are
            // the corner's place on the whole mosaic.
            glTexCoord2f((c.x[k] - map_west) / map_width, (c.y[k] - map_south) / map_height);
            glVertex3f(c.x[k], c.y[k], h);
        }
    }
    glEnd();
    glEndList();
}

void compile_bar_sides(const TallyResult *result, const float heights[])
{
    // Faces south, east, north, west run from corner k to corner k + 1;
    // each has a fixed shade of the bar's hue so the bars read as solid
    // without lighting.
    static const float greys[4] = {1.0f, 0.96f, 0.92f, 0.88f};
    glDeleteLists(LIST_BAR_SIDES, 1);
    glNewList(LIST_BAR_SIDES, GL_COMPILE);
    glBegin(GL_QUADS);
    for (int i = 0; i < ZIP_SLOTS; i++) {
        if (!zip_has_location(i))
            continue;
        BarCorners c = bar_corners(i);
        float h = heights[i];
        float a = bar_alpha(result, i);
        const float *hue = bar_hue(result, i);
        for (int face = 0; face < 4; face++) {
            int from = face;
            int to = (face + 1) % 4;
            glColor4f(hue[0] * greys[face], hue[1] * greys[face], hue[2] * greys[face], a);
            // t runs from 0 to h, so the striped texture shows once per
            // block: bar_scale respondents, or 5% of the area.
            glTexCoord2f(0.0f, 0.0f);
            glVertex3f(c.x[from], c.y[from], 0.0f);
            glTexCoord2f(1.0f, 0.0f);
            glVertex3f(c.x[to], c.y[to], 0.0f);
            glTexCoord2f(1.0f, h);
            glVertex3f(c.x[to], c.y[to], h);
            glTexCoord2f(0.0f, h);
            glVertex3f(c.x[from], c.y[from], h);
        }
    }
    glEnd();
    glEndList();
}

void notify_map_change(void)
{
    for (int i = 0; i < change_handler_count; i++)
        change_handlers[i]();
}

}  // namespace

void make_bar_texture(void)
{
    // 56 white rows and 8 black ones: each block has a dark band at its
    // top.  Static, so it cannot fail to be allocated.
    static unsigned char stripes[64 * 64 * 3];
    for (int row = 0; row < 64; row++)
        for (int i = 0; i < 64 * 3; i++)
            stripes[row * 64 * 3 + i] = row < 56 ? 255 : 0;
    glBindTexture(GL_TEXTURE_2D, TEX_BAR_SIDES);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, stripes);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void make_map(void)
{
    for (const Tile &tile : tiles) {
        RgbImage image = {0, 0, 0, nullptr};
        if (!read_tile(tile, &image)) {
            MessageBoxA(nullptr, tile.message, "ERROR!", MB_OK);
            return;
        }
        glBindTexture(GL_TEXTURE_2D, tile.texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, image.pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        image_free(&image);
    }
}

void refresh_map(void)
{
    clear_tally();
    tally_records();
    const TallyResult *result = tally_result();
    // Refused for want of memory, no area is compared, and the legend says so.
    compare_areas(result, comparing);
    float heights[ZIP_SLOTS];
    bar_heights(result, mode, bar_scale(), heights);
    compile_tile_quads();
    compile_bar_tops(result, heights);
    compile_bar_sides(result, heights);
    generation++;
    notify_map_change();
}

unsigned map_generation(void)
{
    return generation;
}

void set_bar_mode(int new_mode)
{
    mode = new_mode == BARS_SHARE || new_mode == BARS_SMOOTHED ? new_mode : BARS_COUNT;
    refresh_map();
}

int bar_mode(void)
{
    return mode;
}

void set_bar_colors(int new_colors)
{
    colors = new_colors == COLORS_AVERAGE ? COLORS_AVERAGE : COLORS_PLAIN;
    refresh_map();
}

int bar_colors(void)
{
    return colors;
}

void set_compare_mode(int new_mode)
{
    comparing = new_mode == COMPARE_ALONE ? COMPARE_ALONE : COMPARE_TOGETHER;
    refresh_map();
}

int compare_mode(void)
{
    return comparing;
}

int32_t bar_scale(void)
{
    return block_scale(area_respondents());
}

void drawn_bar_heights(float heights[])
{
    bar_heights(tally_result(), mode, bar_scale(), heights);
}

int selected_zip(void)
{
    return selection;
}

void set_selected_zip(int index)
{
    if (index == selection)
        return;
    selection = index;
    notify_map_change();
}

void add_map_change_handler(MapChangeHandler handler)
{
    if (change_handler_count < MAP_CHANGE_HANDLERS)
        change_handlers[change_handler_count++] = handler;
}
