// PNG snapshots of the in-memory RGB image: lossless, 24-bit, with the
// screen's resolution recorded, so a document places them at their size.
#pragma once

#include "gis/bmp.h"

// Writes the image as a PNG through a temporary file, recording
// `dots_per_inch` as its resolution; 1, or 0 (see data_stream_failure())
// with any previous file kept.  Refuses images without pixels, sides above
// BMP_MAX_SIDE and a resolution that is not positive.
int write_png(const char *path, const RgbImage *image, int dots_per_inch);
