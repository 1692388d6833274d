// Mouse and keyboard input on the map: navigation, picking, selection.
#pragma once

#include <windows.h>

void on_mouse_move(WPARAM flags, LPARAM position);
void on_left_down(WPARAM flags, LPARAM position);
void on_left_up(LPARAM position);
void on_right_down(WPARAM flags, LPARAM position);
void on_right_up(LPARAM position);
void on_key_up(WPARAM key);

// The located zip area under a client pixel; 1 or 0.
int pick_zip_at(int x, int y, int *index);
// Makes a zip index (or -1, none) the selection, recounts, shows it in the
// Find Zip box and reports its totals in the Info panel.  A zip without a
// place on the map has no bar to select: it selects none.
void select_zip(int index);
// The same without the report: for walking through areas, which should
// not flood the Info log.
void select_zip_quietly(int index);
