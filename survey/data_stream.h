// The one process-wide file stream.  Every file routine of the program
// opens it, uses it and closes it before returning, so no two file
// operations overlap.  Writers go through a temporary file in the target's
// folder and replace the target only when every byte was written, flushed
// and closed; a failed save therefore never destroys the previous file.
// The temporary file is always a new one, under a name no file had yet, so
// a user's file that happens to carry such a name is never touched.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum DataFailure {
    DATA_OK,
    DATA_CANT_OPEN,     // the file could not be opened for reading
    DATA_CANT_READ,     // a read error, or the file ended early
    DATA_NO_MEMORY,     // the data does not fit in memory
    DATA_BAD_FORMAT,    // the contents are not what the reader accepts
    DATA_CANT_CREATE,   // the temporary file could not be created
    DATA_CANT_WRITE,    // a write, flush or close failed
    DATA_CANT_REPLACE   // the finished file could not replace the target
};

// Reading.
int data_stream_open_read(const char *path);
// Size of the open file in bytes; 1 or 0.
int data_stream_size(int64_t *size);
// Reads exactly `bytes` bytes; 0 when fewer arrived (DATA_CANT_READ).
int data_stream_read(void *buffer, size_t bytes);
// Reads what the file gives next, at most `bytes`; *got is 0 at the end of
// the file.  0 on a read error.
int data_stream_read_some(void *buffer, size_t bytes, size_t *got);
void data_stream_close(void);

// Writing.
// How many names the temporary file may try: "<path>.~tmp", then
// "<path>.~tmp1" and on, for names that are taken or refused.
enum { STAGING_NAMES = 100 };
int data_stream_create(const char *path);
int data_stream_write(const void *data, size_t bytes);
// Flushes, closes and moves the temporary file over the target.  On any
// failure the temporary file is removed and the target left as it was.
int data_stream_commit(void);
// Abandons a write: closes and removes the temporary file.
void data_stream_discard(void);

// Why the last failed call failed, and the words that say so in a message
// ("can't open", "can't read", ...).
int data_stream_failure(void);
void data_stream_set_failure(int failure);
const char *data_failure_phrase(int failure);

// Test seam: makes the given step of the next writes fail.  `nth` counts
// calls of that step from 1: FAULT_WRITE fails the nth write, FAULT_CREATE
// refuses the first nth staging names (at least one).
enum DataFault { FAULT_NONE, FAULT_CREATE, FAULT_WRITE, FAULT_FLUSH, FAULT_CLOSE, FAULT_REPLACE };
void data_stream_inject_fault(int fault, int nth);
