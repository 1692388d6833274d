// Where the tool panels go at start: beside the main window where the
// screen has room, never over each other or the main window's title and
// menu bar.  Pure arithmetic on screen rectangles.
#pragma once

#include <stdint.h>

// Screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int32_t left, top, right, bottom;
};

enum PanelSide {
    SIDE_RIGHT,  // to the right of the main window, then below the panel before it
    SIDE_BELOW   // below the main window, then right of the panel before it
};

struct PanelRequest {
    int32_t width, height;
    PanelSide side;
};

struct PanelPosition {
    int32_t x, y;
};

// Places `count` panels (at most 8), each after the ones before it.
// `work_area` is the usable part of the main window's monitor; the main
// window's title and menu bar run from its top down to `client_top`.  A
// panel goes where it covers, in this order of importance: the least of
// the outside of the work area and of the title and menu bar; the least of
// the panels placed before it; not the main window, if it can; and then it
// lies nearest its anchor: the main window's top right corner (the left,
// bottom corner of the panel before it on that side) for SIDE_RIGHT, the
// bottom left corner (the right, top corner of the one before) for
// SIDE_BELOW.
void place_panels_apart(const ScreenRect *work_area, const ScreenRect *main_window,
                        int32_t client_top, const PanelRequest requests[], int count,
                        PanelPosition positions[]);
