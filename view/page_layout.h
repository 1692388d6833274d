// Where a picture goes on a printed page: as large as fits with its
// aspect ratio kept, centred both ways.
#pragma once

#include <stdint.h>

struct PagePlacement {
    float scale;  // page pixels per picture pixel
    float x0;     // left edge, page pixels from the left
    float y0;     // bottom edge, page pixels from the bottom
};

// 1, or 0 when a size is not positive (the placement is then untouched).
int place_on_page(int32_t page_width, int32_t page_height, int32_t width, int32_t height,
                  PagePlacement *placement);
