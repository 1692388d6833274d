// The ANSI file API throughout: the C runtime and std::filesystem each read
// a narrow path their own way, which named another file (or none) for
// letters outside ASCII.
#include "survey/file_system.h"

#include <windows.h>

namespace {

// ReadFile and WriteFile take a DWORD count.
const size_t MAX_CALL_BYTES = 1u << 30;

HANDLE handle_of(FileHandle file)
{
    return (HANDLE)file;
}

// The volume and file index of an existing file, opened for its
// attributes alone so a file in use by another program is found too.
int file_identity(const char *path, BY_HANDLE_FILE_INFORMATION *information)
{
    HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int known = GetFileInformationByHandle(handle, information) ? 1 : 0;
    CloseHandle(handle);
    return known;
}

}  // namespace

int file_open_read(const char *path, FileHandle *file)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    *file = (FileHandle)handle;
    return 1;
}

int file_create_new(const char *path, FileHandle *file)
{
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    *file = (FileHandle)handle;
    return 1;
}

int file_read(FileHandle file, void *buffer, size_t bytes, size_t *got)
{
    DWORD read = 0;
    DWORD want = (DWORD)(bytes < MAX_CALL_BYTES ? bytes : MAX_CALL_BYTES);
    *got = 0;
    if (!ReadFile(handle_of(file), buffer, want, &read, nullptr))
        return 0;
    *got = read;
    return 1;
}

int file_write(FileHandle file, const void *data, size_t bytes)
{
    const char *next = (const char *)data;
    while (bytes > 0) {
        DWORD want = (DWORD)(bytes < MAX_CALL_BYTES ? bytes : MAX_CALL_BYTES);
        DWORD written = 0;
        if (!WriteFile(handle_of(file), next, want, &written, nullptr) || written == 0)
            return 0;
        next += written;
        bytes -= written;
    }
    return 1;
}

int file_size(FileHandle file, int64_t *size)
{
    LARGE_INTEGER length;
    if (!GetFileSizeEx(handle_of(file), &length))
        return 0;
    *size = length.QuadPart;
    return 1;
}

int file_flush(FileHandle file)
{
    return FlushFileBuffers(handle_of(file)) ? 1 : 0;
}

int file_close(FileHandle file)
{
    return CloseHandle(handle_of(file)) ? 1 : 0;
}

int file_replace(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int file_remove(const char *path)
{
    return DeleteFileA(path) ? 1 : 0;
}

int file_same(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    return file_identity(a, &first) && file_identity(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}
