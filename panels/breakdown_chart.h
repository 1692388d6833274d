// The Breakdown panel's chart: a horizontal bar per row with its share
// and 95% interval, drawn with GDI on the screen and, twice as large
// under its title, for the clipboard.
#pragma once

#include <windows.h>

#include "stats/breakdown.h"

// The rows to draw, top to bottom, as positions in the breakdown's rows.
struct ChartRows {
    const Breakdown *breakdown;
    int order[BREAKDOWN_ROWS];
    int count;
};

// Draws the chart over `area` with `font`; `unit` is a thin line's width
// in pixels, which grows with the DPI.
void draw_breakdown_chart(HDC dc, const RECT *area, const ChartRows *rows, HFONT font, int unit);

// Puts the chart on the clipboard as a DIB twice the size it has on the
// screen, `chart` wide and high, with the title above it in the room of
// `title_height` at that size: (2 * chart.cx) by (2 * (title_height +
// chart.cy)) pixels.  `font` and `unit` are the screen's.  1, or 0 after
// an "ERROR!" box.
int copy_breakdown_chart(HWND owner, const ChartRows *rows, const char *title, HFONT font, int unit,
                         SIZE chart, int title_height);
