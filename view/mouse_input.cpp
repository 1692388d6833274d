#include "view/mouse_input.h"

#include <stdio.h>

#include "gis/zip_table.h"
// A selection writes its zip into the Question panel's Find Zip box and
// its numbers into the Info log, as the program has always done: the one
// place where the map reaches up into the panels.
#include "panels/info_panel.h"
#include "panels/question_panel.h"
#include "stats/readout.h"
#include "survey/tally.h"
#include "view/app_windows.h"
#include "view/map_layer.h"
#include "view/map_view.h"

namespace {

short mouse_x;
short mouse_y;

void store_position(LPARAM position)
{
    mouse_x = (short)LOWORD(position);
    mouse_y = (short)HIWORD(position);
}

void start_press(LPARAM position)
{
    SetFocus(main_window());
    SetCapture(main_window());
    store_position(position);
}

}  // namespace

int pick_zip_at(int x, int y, int *index)
{
    // The bar tops as drawn, so a press finds what the eye sees.
    float heights[ZIP_SLOTS];
    drawn_bar_heights(heights);
    return pick_zip(current_map_view(), client_width(), client_height(), x, y, heights, index);
}

void on_mouse_move(WPARAM flags, LPARAM position)
{
    if (!(flags & (MK_RBUTTON | MK_LBUTTON)))
        return;
    short dx = (short)((short)LOWORD(position) - mouse_x);
    short dy = (short)((short)HIWORD(position) - mouse_y);
    store_position(position);
    if (!(flags & MK_RBUTTON))
        return;
    MapView view = *current_map_view();
    if (flags & MK_SHIFT) {
        // Shift wins over Ctrl: drag down moves the eye away.
        view.distance += dy;
    } else if (flags & MK_CONTROL) {
        view.tilt -= dy;
        view.spin -= dx;
    }
    set_map_view(&view);
    redraw_map();
}

void on_left_down(WPARAM, LPARAM position)
{
    start_press(position);
    int index;
    select_zip(pick_zip_at(mouse_x, mouse_y, &index) ? index : -1);
    redraw_map();
}

void on_right_down(WPARAM flags, LPARAM position)
{
    start_press(position);
    if (!(flags & (MK_SHIFT | MK_CONTROL))) {
        int index;
        if (pick_zip_at(mouse_x, mouse_y, &index)) {
            MapView view = *current_map_view();
            centre_on_zip(index, &view.location);
            set_map_view(&view);
        }
    }
    redraw_map();
}

void on_left_up(LPARAM position)
{
    ReleaseCapture();
    store_position(position);
    redraw_map();
}

void on_right_up(LPARAM position)
{
    ReleaseCapture();
    store_position(position);
    redraw_map();
}

void on_key_up(WPARAM)
{
    redraw_map();
}

void select_zip_quietly(int index)
{
    set_selected_zip(zip_has_location(index) ? index : -1);
    refresh_map();
    show_selected_zip();
}

void select_zip(int index)
{
    select_zip_quietly(index);
    index = selected_zip();
    if (index < 0)
        return;
    const TallyResult *result = tally_result();
    int count = result->counts[index];
    char share[16];
    format_percent(count, result->total, share, sizeof share);
    char text[256];
    snprintf(text, sizeof text, "Total for area: %d\r\nTotal for zip code %d: %d, %s%%\r\n",
             result->total, ZIP_BASE + index, count, share);
    info_append(text);
}
