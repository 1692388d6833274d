#include "panels/clipboard.h"

#include <stdio.h>
#include <string.h>

#include "stats/counts_file.h"
#include "survey/tally.h"

namespace {

// Another program may hold the clipboard for a moment.
enum { OPEN_TRIES = 5, OPEN_PAUSE_MS = 20 };

int failing_memory;

void clipboard_error(const char *routine, const char *what)
{
    char text[160];
    snprintf(text, sizeof text, "%s() - %s!\n", routine, what);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

int count_bytes(void *context, const char *, size_t length)
{
    *(size_t *)context += length;
    return 1;
}

int write_counts_line(void *cursor, const char *line, size_t length)
{
    return write_clipboard_bytes(cursor, line, length);
}

int fill_counts(void *separator, ClipboardCursor *cursor)
{
    return emit_counts_table(tally_query(), tally_result(), *(const char *)separator,
                             write_counts_line, cursor);
}

// The counts table with the separator, NUL-terminated, in clipboard
// memory; null after an "ERROR!" box.
HGLOBAL counts_text(char separator)
{
    size_t length = 0;
    // The table refuses when its lines would not add up to the totals.
    if (!emit_counts_table(tally_query(), tally_result(), separator, count_bytes, &length)) {
        clipboard_error("copy_counts", "not enough memory for the counts table");
        return nullptr;
    }
    return clipboard_memory("copy_counts", length + 1, fill_counts, &separator);
}

int fill_dib(void *image, ClipboardCursor *cursor)
{
    return emit_dib((const RgbImage *)image, write_clipboard_bytes, cursor);
}

}  // namespace

void copy_counts(HWND owner)
{
    ClipboardItem items[2] = {{CF_TEXT, counts_text('\t')}, {0, nullptr}};
    if (!items[0].memory)
        return;
    items[1] = {RegisterClipboardFormatA("Csv"), counts_text(',')};
    if (!items[1].memory) {
        GlobalFree(items[0].memory);
        return;
    }
    put_on_clipboard(owner, "copy_counts", items, 2);
}

int write_clipboard_bytes(void *cursor, const void *bytes, size_t size)
{
    ClipboardCursor *to = (ClipboardCursor *)cursor;
    if (size > to->left)
        return 0;
    memcpy(to->at, bytes, size);
    to->at += size;
    to->left -= size;
    return 1;
}

HGLOBAL clipboard_memory(const char *routine, size_t bytes, ClipboardFill fill, void *context)
{
    HGLOBAL memory = nullptr;
    if (failing_memory == 0 || --failing_memory > 0)
        memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) {
        clipboard_error(routine, "not enough memory for the clipboard");
        return nullptr;
    }
    ClipboardCursor cursor = {(uint8_t *)GlobalLock(memory), bytes};
    const char *failure = nullptr;
    if (!cursor.at) {
        failure = "can't lock the clipboard's memory";
    } else {
        if (!fill(context, &cursor))
            failure = "can't write what goes on the clipboard";
        GlobalUnlock(memory);
    }
    if (!failure)
        return memory;
    GlobalFree(memory);
    clipboard_error(routine, failure);
    return nullptr;
}

int put_on_clipboard(HWND owner, const char *routine, ClipboardItem *items, int count)
{
    int opened = 0;
    for (int attempt = 0; attempt < OPEN_TRIES && !opened; attempt++) {
        opened = OpenClipboard(owner);
        if (!opened)
            Sleep(OPEN_PAUSE_MS);
    }
    const char *failure = nullptr;
    if (!opened) {
        failure = "can't open the clipboard: another program is using it";
    } else {
        if (!EmptyClipboard())
            failure = "can't empty the clipboard";
        for (int i = 0; i < count && !failure; i++) {
            // Once taken, the memory is the clipboard's.
            if (SetClipboardData(items[i].format, items[i].memory))
                items[i].memory = nullptr;
            else
                failure = "can't fill the clipboard";
        }
        if (failure)
            EmptyClipboard();
        CloseClipboard();
    }
    for (int i = 0; i < count; i++)
        if (items[i].memory)
            GlobalFree(items[i].memory);
    if (failure)
        clipboard_error(routine, failure);
    return failure == nullptr;
}

int copy_image(HWND owner, const char *routine, const RgbImage *image)
{
    ClipboardItem dib = {CF_DIB, clipboard_memory(routine, (size_t)dib_bytes(image), fill_dib, (void *)image)};
    return dib.memory && put_on_clipboard(owner, routine, &dib, 1);
}

void clipboard_fail_memory(int nth)
{
    failing_memory = nth;
}
