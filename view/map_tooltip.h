// The readout beside the cursor while it rests over a bar: a tracking
// tooltip that names the area a left click would select.
#pragma once

#include <windows.h>

// Creates the tooltip for the main window; after InitCommonControls.
void create_map_tooltip(HWND owner);
// WM_MOUSEMOVE: shows the readout of the bar under the cursor; hides it off
// the bars and while a button is held.  A tip on show follows every rebuild
// of the map, for the bar under the resting cursor.
void update_map_tooltip(WPARAM flags, LPARAM position);
// WM_MOUSELEAVE and button presses.
void hide_map_tooltip(void);
void on_mouse_leave(void);
HWND map_tooltip_window(void);
