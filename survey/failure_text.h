// The words a failed file routine is reported in, the same in the
// window's message boxes and in quorvel-counts' errors.
#pragma once

#include <stddef.h>

// "<routine>() - <what went wrong> <kind> file: <path>!\n", after
// data_stream_failure(); a file whose contents the reader refused is
// "not a <kind> file".
void file_failure_text(const char *routine, const char *kind, const char *path, char *text,
                       size_t size);
// The same for read_csv_records, which names the line (and column) at
// fault when it refused the contents.
void csv_failure_text(const char *path, char *text, size_t size);
