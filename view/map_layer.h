// The map's OpenGL objects: the base-map tiles and the bar chart of the
// counts per zip area.
#pragma once

#include <stdint.h>

// Texture and display-list names, fixed for the whole run.
enum {
    TEX_LOWER_LEFT = 10, TEX_LOWER_RIGHT = 11, TEX_UPPER_LEFT = 12, TEX_UPPER_RIGHT = 13,
    TEX_BAR_SIDES = 14,
    LIST_BAR_TOPS = 11, LIST_BAR_SIDES = 12,
    LIST_LOWER_LEFT = 100, LIST_LOWER_RIGHT = 101, LIST_UPPER_RIGHT = 102, LIST_UPPER_LEFT = 103
};

void make_bar_texture(void);
// Loads the four tiles into textures 10..13; a missing tile is reported and
// it and the tiles after it stay white.
void make_map(void);
// Recounts and rebuilds every display list of the map.  Draws nothing.
void refresh_map(void);
// Counts the rebuilds, so a frame can tell whether it shows the latest.
unsigned map_generation(void);

// What a bar's height shows (BarMode): a count, a share of the area or
// that share smoothed.  Setting it rebuilds the bars.
void set_bar_mode(int mode);
int bar_mode(void);
// The respondents one block of a count bar stands for in the data set in
// use (block_scale of its areas).
int32_t bar_scale(void);
// The height of every zip's bar as drawn now, in blocks.
void drawn_bar_heights(float heights[]);
// The colors of what lies above and below what it is compared with, red,
// green and blue: the bars' and the Breakdown chart's.
extern const unsigned char above_color[3];
extern const unsigned char below_color[3];
// How the bars are colored (BarColors).  Setting it rebuilds the bars.
void set_bar_colors(int colors);
int bar_colors(void);
// How the areas are compared with the average (CompareMode): all
// together at start.  Setting it compares them anew and rebuilds the bars.
void set_compare_mode(int mode);
int compare_mode(void);

// The selected zip index, -1 for none.  Picking a bar, Find Zip and the
// Areas list change it through select_zip or select_zip_quietly.
int selected_zip(void);
void set_selected_zip(int index);

// Called after every rebuild of the bars and every change of the
// selection, so that what shows the map's numbers outside the frame
// follows it.  Up to MAP_CHANGE_HANDLERS; more are not called.
enum { MAP_CHANGE_HANDLERS = 8 };
typedef void (*MapChangeHandler)(void);
void add_map_change_handler(MapChangeHandler handler);
