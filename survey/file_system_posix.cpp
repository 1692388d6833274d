#include "survey/file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int descriptor(FileHandle file)
{
    return (int)file;
}

}  // namespace

int file_open_read(const char *path, FileHandle *file)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    *file = fd;
    return 1;
}

int file_create_new(const char *path, FileHandle *file)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return 0;
    *file = fd;
    return 1;
}

int file_read(FileHandle file, void *buffer, size_t bytes, size_t *got)
{
    ssize_t read_bytes;
    do
        read_bytes = read(descriptor(file), buffer, bytes);
    while (read_bytes < 0 && errno == EINTR);
    *got = read_bytes > 0 ? (size_t)read_bytes : 0;
    return read_bytes >= 0;
}

int file_write(FileHandle file, const void *data, size_t bytes)
{
    const char *next = (const char *)data;
    while (bytes > 0) {
        ssize_t written = write(descriptor(file), next, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return 0;
        next += written;
        bytes -= (size_t)written;
    }
    return 1;
}

int file_size(FileHandle file, int64_t *size)
{
    struct stat status;
    if (fstat(descriptor(file), &status) != 0)
        return 0;
    *size = (int64_t)status.st_size;
    return 1;
}

int file_flush(FileHandle file)
{
    return fsync(descriptor(file)) == 0;
}

int file_close(FileHandle file)
{
    return close(descriptor(file)) == 0;
}

int file_replace(const char *from, const char *to)
{
    return rename(from, to) == 0;
}

int file_remove(const char *path)
{
    return unlink(path) == 0;
}

int file_same(const char *a, const char *b)
{
    struct stat first, second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
