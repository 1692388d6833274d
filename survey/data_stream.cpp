#include "survey/data_stream.h"

#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <system_error>

namespace {

FILE *data_stream;
int last_failure = DATA_OK;

// The file being written and the temporary file that stands in for it.
char target_path[1024];
char temp_path[1024 + 8];

int injected_fault = FAULT_NONE;
int injected_nth;
int write_calls;

int fault_now(int step)
{
    if (injected_fault != step)
        return 0;
    if (step == FAULT_WRITE && ++write_calls != injected_nth)
        return 0;
    injected_fault = FAULT_NONE;
    return 1;
}

int fail(int failure)
{
    last_failure = failure;
    return 0;
}

void close_and_remove_temp(void)
{
    if (data_stream) {
        fclose(data_stream);
        data_stream = nullptr;
    }
    remove(temp_path);
}

}  // namespace

int data_stream_open_read(const char *path)
{
    data_stream_close();
    data_stream = fopen(path, "rb");
    if (!data_stream)
        return fail(DATA_CANT_OPEN);
    last_failure = DATA_OK;
    return 1;
}

int data_stream_size(int64_t *size)
{
    if (!data_stream || fseek(data_stream, 0, SEEK_END) != 0)
        return fail(DATA_CANT_READ);
    // ftell's long is 32 bits on Windows; fgetpos-style 64-bit tell instead.
#if defined(_WIN32)
    int64_t end = _ftelli64(data_stream);
#else
    int64_t end = ftello(data_stream);
#endif
    if (end < 0 || fseek(data_stream, 0, SEEK_SET) != 0)
        return fail(DATA_CANT_READ);
    *size = end;
    return 1;
}

int data_stream_read(void *buffer, size_t bytes)
{
    if (!data_stream || fread(buffer, 1, bytes, data_stream) != bytes)
        return fail(DATA_CANT_READ);
    return 1;
}

int data_stream_read_line(char *buffer, int size, int *length)
{
    *length = 0;
    if (!data_stream || size < 2)
        return fail(DATA_CANT_READ);
    int used = 0;
    while (used < size - 1) {
        int c = getc(data_stream);
        if (c == EOF)
            break;
        buffer[used++] = (char)c;
        if (c == '\n')
            break;
    }
    buffer[used] = '\0';
    *length = used;
    if (ferror(data_stream))
        return fail(DATA_CANT_READ);
    if (used == 0) {
        last_failure = DATA_OK;
        return 0;
    }
    return 1;
}

void data_stream_close(void)
{
    if (data_stream) {
        fclose(data_stream);
        data_stream = nullptr;
    }
}

int data_stream_create(const char *path)
{
    data_stream_close();
    size_t length = strlen(path);
    if (length == 0 || length >= sizeof target_path)
        return fail(DATA_CANT_CREATE);
    memcpy(target_path, path, length + 1);
    snprintf(temp_path, sizeof temp_path, "%s.~tmp", path);
    write_calls = 0;
    if (fault_now(FAULT_CREATE))
        return fail(DATA_CANT_CREATE);
    data_stream = fopen(temp_path, "wb");
    if (!data_stream)
        return fail(DATA_CANT_CREATE);
    last_failure = DATA_OK;
    return 1;
}

int data_stream_write(const void *data, size_t bytes)
{
    if (!data_stream)
        return fail(DATA_CANT_WRITE);
    if (fault_now(FAULT_WRITE) || fwrite(data, 1, bytes, data_stream) != bytes) {
        close_and_remove_temp();
        return fail(DATA_CANT_WRITE);
    }
    return 1;
}

int data_stream_commit(void)
{
    if (!data_stream)
        return fail(DATA_CANT_WRITE);
    if (fault_now(FAULT_FLUSH) || fflush(data_stream) != 0 || ferror(data_stream)) {
        close_and_remove_temp();
        return fail(DATA_CANT_WRITE);
    }
    int closed = fclose(data_stream) == 0;
    data_stream = nullptr;
    if (fault_now(FAULT_CLOSE) || !closed) {
        remove(temp_path);
        return fail(DATA_CANT_WRITE);
    }
    // std::filesystem::rename replaces an existing target on Windows too
    // (MoveFileEx with MOVEFILE_REPLACE_EXISTING), unlike C's rename.
    std::error_code error;
    if (!fault_now(FAULT_REPLACE))
        std::filesystem::rename(temp_path, target_path, error);
    else
        error = std::make_error_code(std::errc::permission_denied);
    if (error) {
        remove(temp_path);
        return fail(DATA_CANT_REPLACE);
    }
    last_failure = DATA_OK;
    return 1;
}

void data_stream_discard(void)
{
    close_and_remove_temp();
}

int data_stream_failure(void)
{
    return last_failure;
}

void data_stream_set_failure(int failure)
{
    last_failure = failure;
}

const char *data_failure_phrase(int failure)
{
    switch (failure) {
    case DATA_CANT_OPEN: return "can't open";
    case DATA_CANT_READ: return "can't read";
    case DATA_NO_MEMORY: return "not enough memory for";
    case DATA_BAD_FORMAT: return "can't understand";
    case DATA_CANT_CREATE: return "can't create";
    case DATA_CANT_WRITE: return "can't write";
    case DATA_CANT_REPLACE: return "can't replace";
    default: return "no failure with";
    }
}

void data_stream_inject_fault(int fault, int nth)
{
    injected_fault = fault;
    injected_nth = nth;
    write_calls = 0;
}
