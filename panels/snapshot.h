// Snapshot and printing of the map view: both capture the frame, then
// write it as a BMP file or print it centred and scaled on one page.
#pragma once

#include <windows.h>

#include "gis/bmp.h"

// Menu commands "Save Snapshot..", "Print.." and "Copy Map", which puts the
// picture a snapshot would save on the clipboard as a DIB.
void save_snapshot(void);
void print_view(void);
void copy_map(void);

// Asks for a printer and starts a one-page document on it; 1 when the page
// is ready for print_image, 0 when cancelled or refused (after a message
// box owned by `owner`).
int open_printer(HWND owner);
// Draws the image on the page open_printer started and finishes the
// printout; 1 when it was spooled.  The main OpenGL context is current
// again afterwards.
int print_image(const RgbImage *image);
// Draws the image on a page of the given size with GDI, scaled to fit and
// centred, bottom row at the bottom; 1 or 0.  The printing path for
// printers without an OpenGL pixel format.
int stretch_image_to_page(HDC page, int page_width, int page_height, const RgbImage *image);
