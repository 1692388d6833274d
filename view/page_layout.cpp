#include "view/page_layout.h"

int place_on_page(int32_t page_width, int32_t page_height, int32_t width, int32_t height,
                  PagePlacement *placement)
{
    if (page_width <= 0 || page_height <= 0 || width <= 0 || height <= 0)
        return 0;
    float across = (float)page_width / (float)width;
    float down = (float)page_height / (float)height;
    float scale = across < down ? across : down;
    placement->scale = scale;
    placement->x0 = ((float)page_width - (float)width * scale) * 0.5f;
    placement->y0 = ((float)page_height - (float)height * scale) * 0.5f;
    return 1;
}
