#include "panels/info_panel.h"

#include <stdio.h>
#include <string.h>

#include "panels/file_dialogs.h"
#include "resources/resource.h"
#include "survey/data_stream.h"
#include "view/app_windows.h"

namespace {

char info_text[INFO_TEXT_MAX];

HWND log_control(void)
{
    return GetDlgItem(panel_window(PANEL_INFO), IDC_INFO_LOG);
}

int read_log(void)
{
    return GetWindowTextA(log_control(), info_text, sizeof info_text);
}

// Drops whole lines from the front of the buffer until `room` more bytes
// fit, so an entry is never cut off at the end.
int make_room(int length, int room)
{
    while (length > 0 && length + room >= (int)sizeof info_text) {
        char *line_end = strstr(info_text, "\r\n");
        int cut = line_end ? (int)(line_end - info_text) + 2 : length;
        memmove(info_text, info_text + cut, (size_t)(length - cut) + 1);
        length -= cut;
    }
    return length;
}

// Writes the log with each CR turned into a space and every line feed
// written as CR LF, whatever the platform's text mode would do.
int write_log(const char *path, int length)
{
    if (!data_stream_create(path))
        return 0;
    char chunk[1024];
    int used = 0;
    for (int i = 0; i < length; i++) {
        char c = info_text[i] == '\r' ? ' ' : info_text[i];
        if (c == '\n')
            chunk[used++] = '\r';
        chunk[used++] = c;
        if (used >= (int)sizeof chunk - 2) {
            if (!data_stream_write(chunk, (size_t)used))
                return 0;
            used = 0;
        }
    }
    if (used > 0 && !data_stream_write(chunk, (size_t)used))
        return 0;
    return data_stream_commit();
}

}  // namespace

INT_PTR CALLBACK info_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND:
        if (wparam == IDCANCEL) {
            ShowWindow(panel, SW_HIDE);
            return 1;
        }
        switch (LOWORD(wparam)) {
        case IDC_INFO_CLEAR:
            if (HIWORD(wparam) == BN_CLICKED)
                SetDlgItemTextA(panel, IDC_INFO_LOG, "");
            return 1;
        case IDC_INFO_SAVE:
            if (HIWORD(wparam) == BN_CLICKED)
                info_save();
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

void info_append(const char *text)
{
    HWND log = log_control();
    int length = read_log();
    int text_length = (int)strlen(text);
    if (text_length + 3 > (int)sizeof info_text)
        text_length = (int)sizeof info_text - 3;
    length = make_room(length, text_length + 2);
    memcpy(info_text + length, text, (size_t)text_length);
    memcpy(info_text + length + text_length, "\r\n", 3);
    SetWindowTextA(log, info_text);

    // Old lines leave from the top one at a time until the control counts
    // at most INFO_MAX_LINES lines.
    int lines = (int)SendMessageA(log, EM_GETLINECOUNT, 0, 0);
    while (lines > INFO_MAX_LINES) {
        int first_length = (int)SendMessageA(log, EM_LINELENGTH, 0, 0);
        length = read_log();
        int cut = first_length + 2 <= length ? first_length + 2 : length;
        memmove(info_text, info_text + cut, (size_t)(length - cut) + 1);
        SetWindowTextA(log, info_text);
        lines = (int)SendMessageA(log, EM_GETLINECOUNT, 0, 0);
    }
    SendMessageA(log, EM_LINESCROLL, 0, lines);
    ShowWindow(panel_window(PANEL_INFO), SW_SHOW);
}

void info_save(void)
{
    char path[PATH_BYTES];
    if (!choose_save_file(path, ".txt"))
        return;
    int length = read_log();
    if (!write_log(path, length)) {
        char text[PATH_BYTES + 64];
        snprintf(text, sizeof text, "info_save() - %s log file: %s!\n",
                 data_failure_phrase(data_stream_failure()), path);
        MessageBoxA(nullptr, text, "ERROR!", MB_OK);
        return;
    }
    MessageBoxA(nullptr, "Save complete", "Info", MB_OK);
}
