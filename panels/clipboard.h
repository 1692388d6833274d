// The clipboard: what the Edit menu copies onto it, and the one routine
// that opens, empties, fills and closes it.
#pragma once

#include <windows.h>

// "Copy Counts": the counts table as tab-separated text (CF_TEXT), which a
// spreadsheet pastes as cells, and as the bytes Export Counts writes under
// the registered format "Csv".
void copy_counts(HWND owner);

// One format for the clipboard and its movable memory.
struct ClipboardItem {
    UINT format;
    HGLOBAL memory;
};
// Zero-filled movable memory for the clipboard; null, after an "ERROR!" box
// naming `routine`, when it cannot be had.
HGLOBAL clipboard_memory(const char *routine, size_t bytes);
// Opens the clipboard for the window `owner`, empties it and gives it
// every item, or, when the clipboard stays busy or refuses an item, says
// so in an "ERROR!" box naming `routine` and leaves it as it was (or empty,
// never half filled).  The clipboard is closed and the memory it did not
// take freed on every path.  1 or 0.
int put_on_clipboard(HWND owner, const char *routine, ClipboardItem *items, int count);

// Test seam: the nth clipboard_memory call from now fails (0: none).
void clipboard_fail_memory(int nth);
