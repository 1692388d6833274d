#include "panels/file_dialogs.h"

#include <commdlg.h>
#include <stdio.h>
#include <string.h>

namespace {

char start_directory[PATH_BYTES];
char last_directory[PATH_BYTES];
char filter_text[PATH_BYTES];
char file_name[PATH_BYTES];
char file_title[PATH_BYTES];
OPENFILENAMEA file_dialog;

// One entry per type: its label, and "*" plus its extension as its
// pattern, so only files of that type are listed.  Types that do not fit
// are left out.
void set_filter(const FileType *types, int count)
{
    memset(filter_text, 0, sizeof filter_text);
    size_t used = 0;
    for (int t = 0; t < count; t++) {
        size_t label = strlen(types[t].label), extension = strlen(types[t].extension);
        // The label, '*', the extension, their terminators and the list's.
        if (used + label + extension + 4 > sizeof filter_text)
            break;
        memcpy(filter_text + used, types[t].label, label);
        used += label + 1;
        filter_text[used] = '*';
        memcpy(filter_text + used + 1, types[t].extension, extension);
        used += extension + 2;
    }
}

// File names are caseless: "Map.PNG" ends in ".png".
int ends_with(const char *name, const char *extension)
{
    size_t length = strlen(name), extension_length = strlen(extension);
    return length >= extension_length && lstrcmpiA(name + length - extension_length, extension) == 0;
}

// Remembers the chosen file's folder (with its trailing backslash) as the
// next dialog's starting folder.
void remember_folder(const char *path)
{
    snprintf(last_directory, sizeof last_directory, "%s", path);
    char *slash = strrchr(last_directory, '\\');
    if (slash)
        slash[1] = '\0';
}

// The dialog asked about the name as typed; with the extension added it may
// name another file that exists.  Asks as the dialog does; 1 to go on.
int may_replace(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    const char *slash = strrchr(path, '\\');
    char text[PATH_BYTES + 64];
    snprintf(text, sizeof text, "%s already exists. Do you want to replace it?",
             slash ? slash + 1 : path);
    return MessageBoxA(file_dialog.hwndOwner, text, "Confirm Save As",
                       MB_YESNO | MB_ICONWARNING) == IDYES;
}

int run_dialog(char *path, const FileType *types, int count, int save, int *type)
{
    set_filter(types, count);
    file_name[0] = '\0';
    file_dialog.nFilterIndex = 1;
    BOOL chosen = save ? GetSaveFileNameA(&file_dialog) : GetOpenFileNameA(&file_dialog);
    SetCurrentDirectoryA(start_directory);
    if (!chosen)
        return 0;
    int picked = (int)file_dialog.nFilterIndex - 1;
    if (picked < 0 || picked >= count)
        picked = 0;
    int needs_extension = save;
    for (int t = 0; t < count && save; t++) {
        if (ends_with(file_name, types[t].extension)) {
            picked = t;
            needs_extension = 0;
        }
    }
    const char *extension = types[picked].extension;
    size_t length = strlen(file_name);
    size_t extension_length = strlen(extension);
    if (needs_extension && length + extension_length >= PATH_BYTES) {
        char text[PATH_BYTES + 128];
        snprintf(text, sizeof text, "choose_save_file() - name too long to add %s: %s!\n",
                 extension, file_name);
        MessageBoxA(nullptr, text, "ERROR!", MB_OK);
        return 0;
    }
    char chosen_path[PATH_BYTES];
    memcpy(chosen_path, file_name, length + 1);
    if (needs_extension) {
        memcpy(chosen_path + length, extension, extension_length + 1);
        if (!may_replace(chosen_path))
            return 0;
    }
    memcpy(path, chosen_path, strlen(chosen_path) + 1);
    remember_folder(file_name);
    *type = picked;
    return 1;
}

}  // namespace

void init_file_dialogs(HWND owner)
{
    GetCurrentDirectoryA(sizeof last_directory, last_directory);
    memcpy(start_directory, last_directory, sizeof start_directory);
    file_title[0] = '\0';
    file_name[0] = '\0';
    filter_text[0] = '\0';
    memset(&file_dialog, 0, sizeof file_dialog);
    file_dialog.lStructSize = sizeof file_dialog;
    file_dialog.hwndOwner = owner;
    file_dialog.lpstrFilter = filter_text;
    file_dialog.nFilterIndex = 1;
    file_dialog.lpstrFile = file_name;
    file_dialog.nMaxFile = sizeof file_name;
    file_dialog.lpstrFileTitle = file_title;
    file_dialog.nMaxFileTitle = sizeof file_title;
    file_dialog.lpstrInitialDir = last_directory;
    file_dialog.Flags = OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
}

int choose_open_file(char *path, const char *extension)
{
    const FileType only = {extension, extension};
    int type;
    return run_dialog(path, &only, 1, 0, &type);
}

int choose_save_file(char *path, const char *extension)
{
    const FileType only = {extension, extension};
    int type;
    return run_dialog(path, &only, 1, 1, &type);
}

int choose_save_file_of_type(char *path, const FileType *types, int count, int *type)
{
    return run_dialog(path, types, count, 1, type);
}
