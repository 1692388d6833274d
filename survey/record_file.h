// The binary survey data file (.qvd): a headerless array of 180-byte
// little-endian records.  Record count = file size / 180; a size that is
// not a multiple of 180 is no record file.
#pragma once

#include "survey/data_stream.h"

// Replaces the record store with the file's records.  Returns 1 on success;
// 0 on failure (see data_stream_failure(): DATA_BAD_FORMAT for a size that
// is not whole records), the store then unchanged.
int read_records(const char *path);
// Writes the record store to the file through a temporary file in the same
// folder, so a failed save leaves any previous file intact.  1 or 0.
int write_records(const char *path);
