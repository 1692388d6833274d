// The common file dialogs through which the user names every file.
#pragma once

#include <windows.h>

enum { PATH_BYTES = 256 };

void init_file_dialogs(HWND owner);
// 1 with the chosen full path in `path` (PATH_BYTES bytes), or 0 when the
// user cancelled; `path` is then unchanged.  Both put the working
// directory back to the one at start-up.
int choose_open_file(char *path, const char *extension);
// As above; the path then ends in the extension, in any case, which is
// appended when the chosen name lacks it.  A name too long to take the extension is
// refused with a message; when the name with the extension added is an
// existing file, the user is asked before it is replaced, and No returns 0.
int choose_save_file(char *path, const char *extension);

// An entry of a save dialog's list of file types.
struct FileType {
    const char *label;      // "PNG image (*.png)"
    const char *extension;  // ".png"
};
// As choose_save_file, with the types to choose from, the first chosen at
// start.  A name that ends in one of their extensions, in any case, is of
// that type; any other gets the extension of the type chosen.  *type
// receives the index.
int choose_save_file_of_type(char *path, const FileType *types, int count, int *type);
