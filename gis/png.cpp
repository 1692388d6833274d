#include "gis/png.h"

#include <stdlib.h>
#include <string.h>

#include "survey/data_stream.h"

// stb_image_write encodes; this file only adds the resolution chunk it
// does not write and sends the bytes through the data stream.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

enum {
    // The signature (8 bytes) and the header chunk (25); the resolution
    // chunk goes right after them, before the image data as it must.
    SIGNATURE_AND_HEADER_BYTES = 33,
    RESOLUTION_CHUNK_BYTES = 21
};

void put_u32_big_endian(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)(value >> 24);
    bytes[1] = (uint8_t)(value >> 16);
    bytes[2] = (uint8_t)(value >> 8);
    bytes[3] = (uint8_t)value;
}

// A pHYs chunk: pixels per metre across and down, unit metre (1).
void make_resolution_chunk(int dots_per_inch, uint8_t chunk[RESOLUTION_CHUNK_BYTES])
{
    uint32_t per_metre = (uint32_t)(dots_per_inch / 0.0254 + 0.5);
    put_u32_big_endian(chunk, 9);
    memcpy(chunk + 4, "pHYs", 4);
    put_u32_big_endian(chunk + 8, per_metre);
    put_u32_big_endian(chunk + 12, per_metre);
    chunk[16] = 1;
    // The check sum covers the chunk's type and data.
    put_u32_big_endian(chunk + 17, stbiw__crc32(chunk + 4, 13));
}

}  // namespace

int write_png(const char *path, const RgbImage *image, int dots_per_inch)
{
    // The encoder counts in int: at these sides every size it forms fits.
    if (!path || !image || !image->pixels || image->bytes_per_pixel != 3 || image->width <= 0 ||
        image->width > BMP_MAX_SIDE || image->height <= 0 || image->height > BMP_MAX_SIDE ||
        dots_per_inch <= 0)
        return 0;
    // The image's rows run bottom first; a PNG's top first.
    stbi_flip_vertically_on_write(1);
    int length = 0;
    unsigned char *png = stbi_write_png_to_mem(image->pixels, image->width * 3, image->width,
                                               image->height, 3, &length);
    if (!png) {
        data_stream_set_failure(DATA_NO_MEMORY);
        return 0;
    }
    uint8_t resolution[RESOLUTION_CHUNK_BYTES];
    make_resolution_chunk(dots_per_inch, resolution);
    int written = data_stream_create(path) && data_stream_write(png, SIGNATURE_AND_HEADER_BYTES) &&
                  data_stream_write(resolution, sizeof resolution) &&
                  data_stream_write(png + SIGNATURE_AND_HEADER_BYTES,
                                    (size_t)length - SIGNATURE_AND_HEADER_BYTES) &&
                  data_stream_commit();
    STBIW_FREE(png);
    return written;
}
