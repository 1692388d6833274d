// The clipboard: what the Edit menu copies onto it, and the one routine
// that opens, empties, fills and closes it.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "gis/bmp.h"

// "Copy Counts": the counts table as tab-separated text (CF_TEXT), which a
// spreadsheet pastes as cells, and as the bytes Export Counts writes under
// the registered format "Csv".
void copy_counts(HWND owner);

// One format for the clipboard and its movable memory.
struct ClipboardItem {
    UINT format;
    HGLOBAL memory;
};
// Where an item's bytes go: the locked memory and the room left in it.
struct ClipboardCursor {
    uint8_t *at;
    size_t left;
};
// Appends bytes at the cursor (a DibSink); 0 when they would overrun it.
int write_clipboard_bytes(void *cursor, const void *bytes, size_t size);
// Writes an item through the cursor; 1 or 0.
typedef int (*ClipboardFill)(void *context, ClipboardCursor *cursor);
// Zero-filled movable memory of `bytes` for the clipboard, filled by
// `fill` while it is locked; text leaves its last byte for the NUL.  Null,
// after an "ERROR!" box naming `routine` and with the memory freed, when
// it cannot be had, locked or filled.
HGLOBAL clipboard_memory(const char *routine, size_t bytes, ClipboardFill fill, void *context);
// Opens the clipboard for the window `owner`, empties it and gives it
// every item, or, when the clipboard stays busy or refuses an item, says
// so in an "ERROR!" box naming `routine` and leaves it as it was (or empty,
// never half filled).  The clipboard is closed and the memory it did not
// take freed on every path.  1 or 0.
int put_on_clipboard(HWND owner, const char *routine, ClipboardItem *items, int count);

// Puts the picture on the clipboard as a DIB, for the window `owner`; 1,
// or 0 after an "ERROR!" box naming `routine`.
int copy_image(HWND owner, const char *routine, const RgbImage *image);

// Test seam: the nth clipboard_memory call from now fails (0: none).
void clipboard_fail_memory(int nth);
