// The map view on screen: camera state, projection, the frame drawing
// sequence and the frame timer.
#pragma once

#include <windows.h>

#include "view/camera.h"

enum {
    FRAME_TIMER_ID = 1,
    FRAME_TIMER_MS = 125
};

// GIS pad navigation codes applied on each timer tick.
enum NavCommand {
    NAV_NONE, NAV_TILT_DOWN, NAV_TILT_UP, NAV_SPIN_LEFT, NAV_SPIN_RIGHT,
    NAV_NEARER, NAV_FARTHER
};

const MapView *current_map_view(void);
// Sets the camera; tilt, spin and distance are held within their limits.
void set_map_view(const MapView *view);
// "Default Location": back to the start location, keeping distance, tilt
// and spin.  "Saved Location": the location in effect before the last
// "Default Location"; nothing to restore before the first one.
void default_location_command(void);
void saved_location_command(void);
// "Survey Area": frames every area whose bar has a height, seen at 50
// degrees from straight down.  After a load or import the view moves there
// only while it is still exactly the start view.
void survey_area_command(void);
void show_survey_area_if_untouched(void);

int client_width(void);
int client_height(void);

void set_nav_command(int code);
int nav_command(void);

// The next timer tick draws a frame even when neither the view nor the
// map layer changed; for anything else the frame shows.
void mark_frame_stale(void);

void on_size(LPARAM size);
// The fixed OpenGL state and the map's objects, with the legend's font as
// the window's device context `dc` shows it.
void init_gl_state(HDC dc);
void draw_frame(void);
void present_frame(void);
// Draws and shows one frame, once the main window is there.
void redraw_map(void);
void on_paint(HWND window, PAINTSTRUCT *paint);
// Applies the held navigation arrow; draws only when an arrow is held or
// the frame shown is out of date.
void on_timer(WPARAM timer_id);
void release_gl_objects(void);
