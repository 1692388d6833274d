#include "survey/data_stream.h"

#include <stdio.h>
#include <string.h>

#include "survey/file_system.h"

namespace {

FileHandle data_stream = NO_FILE;
int writing;
int last_failure = DATA_OK;

// Bytes written and not yet passed on.
unsigned char buffer[65536];
size_t buffered_to;

// The file being written and the temporary file that stands in for it.
char target_path[1024];
char temp_path[1024 + 8];

int injected_fault = FAULT_NONE;
int injected_nth;
int write_calls;
int create_calls;

int fault_now(int step)
{
    if (injected_fault != step)
        return 0;
    if (step == FAULT_WRITE && ++write_calls != injected_nth)
        return 0;
    // A refused create refuses the staging names up to the nth.
    if (step == FAULT_CREATE && ++create_calls < injected_nth)
        return 1;
    injected_fault = FAULT_NONE;
    return 1;
}

int fail(int failure)
{
    last_failure = failure;
    return 0;
}

void close_stream(void)
{
    if (data_stream != NO_FILE)
        file_close(data_stream);
    data_stream = NO_FILE;
    writing = 0;
    buffered_to = 0;
}

// The temporary file was created by this save, so it is this save's to
// remove; a file that merely has such a name never is.
void close_and_remove_temp(void)
{
    int had_temp = writing;
    close_stream();
    if (had_temp)
        file_remove(temp_path);
}

int reading(void)
{
    return data_stream != NO_FILE && !writing;
}

int write_buffered(void)
{
    size_t bytes = buffered_to;
    buffered_to = 0;
    return file_write(data_stream, buffer, bytes);
}

// Creates the temporary file under the first name of "<target>.~tmp",
// "<target>.~tmp1" ... that can be created; 0 when none can.  Any refusal
// moves on, not only a taken name: the staging file of an earlier save may
// still be on its way out, which refuses its name with access denied.
int create_temp(const char *path)
{
    for (int attempt = 0; attempt < STAGING_NAMES; attempt++) {
        if (attempt == 0)
            snprintf(temp_path, sizeof temp_path, "%s.~tmp", path);
        else
            snprintf(temp_path, sizeof temp_path, "%s.~tmp%d", path, attempt);
        if (!fault_now(FAULT_CREATE) && file_create_new(temp_path, &data_stream))
            return 1;
    }
    return 0;
}

}  // namespace

int data_stream_open_read(const char *path)
{
    data_stream_close();
    if (!file_open_read(path, &data_stream))
        return fail(DATA_CANT_OPEN);
    last_failure = DATA_OK;
    return 1;
}

int data_stream_size(int64_t *size)
{
    if (!reading() || !file_size(data_stream, size))
        return fail(DATA_CANT_READ);
    return 1;
}

int data_stream_read(void *destination, size_t bytes)
{
    if (!reading())
        return fail(DATA_CANT_READ);
    unsigned char *out = (unsigned char *)destination;
    size_t taken = 0;
    while (taken < bytes) {
        size_t got = 0;
        if (!file_read(data_stream, out + taken, bytes - taken, &got) || got == 0)
            return fail(DATA_CANT_READ);
        taken += got;
    }
    return 1;
}

int data_stream_read_some(void *destination, size_t bytes, size_t *got)
{
    *got = 0;
    if (!reading() || !file_read(data_stream, destination, bytes, got))
        return fail(DATA_CANT_READ);
    return 1;
}

void data_stream_close(void)
{
    if (writing)
        close_and_remove_temp();
    else
        close_stream();
}

int data_stream_create(const char *path)
{
    data_stream_close();
    size_t length = strlen(path);
    if (length == 0 || length >= sizeof target_path)
        return fail(DATA_CANT_CREATE);
    memcpy(target_path, path, length + 1);
    write_calls = 0;
    create_calls = 0;
    if (!create_temp(path))
        return fail(DATA_CANT_CREATE);
    writing = 1;
    last_failure = DATA_OK;
    return 1;
}

int data_stream_write(const void *data, size_t bytes)
{
    if (!writing)
        return fail(DATA_CANT_WRITE);
    int ok = !fault_now(FAULT_WRITE);
    if (ok && buffered_to + bytes > sizeof buffer)
        ok = write_buffered();
    if (ok && bytes > sizeof buffer) {
        ok = file_write(data_stream, data, bytes);
    } else if (ok) {
        memcpy(buffer + buffered_to, data, bytes);
        buffered_to += bytes;
    }
    if (!ok) {
        close_and_remove_temp();
        return fail(DATA_CANT_WRITE);
    }
    return 1;
}

int data_stream_commit(void)
{
    if (!writing)
        return fail(DATA_CANT_WRITE);
    if (!write_buffered() || fault_now(FAULT_FLUSH) || !file_flush(data_stream)) {
        close_and_remove_temp();
        return fail(DATA_CANT_WRITE);
    }
    int closed = file_close(data_stream);
    data_stream = NO_FILE;
    writing = 0;
    if (fault_now(FAULT_CLOSE) || !closed) {
        file_remove(temp_path);
        return fail(DATA_CANT_WRITE);
    }
    if (fault_now(FAULT_REPLACE) || !file_replace(temp_path, target_path)) {
        file_remove(temp_path);
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
    create_calls = 0;
}
