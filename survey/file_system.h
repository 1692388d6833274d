// The few file operations the data stream needs, and whether two names are
// one file, on the platform's own file API.  Paths are narrow strings.  On
// Windows every operation reads them in the ANSI code page, as the file
// dialogs return them, so opening, creating, replacing and removing all
// name the same file whatever letters it holds; elsewhere they are the
// bytes the file system takes.
#pragma once

#include <stddef.h>
#include <stdint.h>

// An open file: a Win32 handle or a POSIX descriptor.
typedef intptr_t FileHandle;
const FileHandle NO_FILE = -1;

// Every routine returns 1 on success and 0 on failure.
int file_open_read(const char *path, FileHandle *file);
// Creates the file only when no file of that name exists.
int file_create_new(const char *path, FileHandle *file);
// Reads up to `bytes`; *got is 0 at the end of the file.
int file_read(FileHandle file, void *buffer, size_t bytes, size_t *got);
// Writes all `bytes`.
int file_write(FileHandle file, const void *data, size_t bytes);
int file_size(FileHandle file, int64_t *size);
// Makes the written bytes durable before the file takes a target's place.
int file_flush(FileHandle file);
int file_close(FileHandle file);
// Puts the closed file `from` in the place of `to`, replacing any file there.
int file_replace(const char *from, const char *to);
int file_remove(const char *path);
// 1 when both names open the same existing file: one device and inode, or
// on Windows one volume serial number and file index, so another spelling
// of the path, another case on Windows or a hard link is caught too.  0
// when they differ or either is missing.
int file_same(const char *a, const char *b);
