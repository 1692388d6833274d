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
// Deletes the font's display lists; the next legend makes them again.
void release_legend_font(void);
