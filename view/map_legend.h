// The legend over the map: what the bars count, drawn in the top-left
// corner of every frame, so snapshots and printouts carry it too.
#pragma once

#include <windows.h>

enum {
    // Display lists of the legend's font, one per character code; clear of
    // the map's fixed lists 11, 12 and 100 to 103.
    LIST_LEGEND_FONT = 1000,
    LEGEND_FONT_LISTS = 256
};

// "Show Legend": on at start.
void set_legend_shown(int shown);
int legend_shown(void);
// Draws the legend over the frame in window coordinates, leaving the GL
// state as it found it; called by draw_frame after the scene.
void draw_legend(void);
// The box the legend takes in window pixels (y down); 0 while it is hidden.
int legend_box(RECT *box);
// Bitmap display lists of the legend's font, as the window's device context
// `dc` draws it at its DPI, in the current OpenGL context, and the widths
// that lay the text out.  1, or 0 when the driver offers no font lists;
// the legend then keeps `dc`, tries again each time it is laid out and
// shows nothing until the font is made.
int make_legend_font(HDC dc);
// Deletes the font's display lists and forgets the device context.
void release_legend_font(void);
