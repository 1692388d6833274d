#include "panels/clipboard.h"

#include <stdio.h>
#include <string.h>

#include "survey/counts_file.h"
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

int copy_bytes(void *context, const char *line, size_t length)
{
    char **at = (char **)context;
    memcpy(*at, line, length);
    *at += length;
    return 1;
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
    HGLOBAL memory = clipboard_memory("copy_counts", length + 1);
    if (!memory)
        return nullptr;
    char *at = (char *)GlobalLock(memory);
    emit_counts_table(tally_query(), tally_result(), separator, copy_bytes, &at);
    GlobalUnlock(memory);
    return memory;
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

HGLOBAL clipboard_memory(const char *routine, size_t bytes)
{
    HGLOBAL memory = nullptr;
    if (failing_memory == 0 || --failing_memory > 0)
        memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory)
        clipboard_error(routine, "not enough memory for the clipboard");
    return memory;
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

void clipboard_fail_memory(int nth)
{
    failing_memory = nth;
}
