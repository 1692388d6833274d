// Checks shared by the fuzz targets and by the unit test that replays their
// corpus.  Each writes the input to a temporary file private to the process,
// runs one reader on it and checks what the reader promises whatever the
// bytes: a failure leaves the caller's data as it was, a success matches the
// input, and the file is closed either way.  1 when every promise held, 0
// (after a line on stderr saying which one broke) otherwise.
#pragma once

#include <stddef.h>
#include <stdint.h>

int check_read_records(const uint8_t *data, size_t size);
int check_read_bmp(const uint8_t *data, size_t size);
// Also exports what it read and checks that a re-import gives it back.
int check_read_csv(const uint8_t *data, size_t size);
