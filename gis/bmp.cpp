#include "gis/bmp.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "survey/data_stream.h"

namespace {

enum {
    HEADER_BYTES = 54,
    FILE_HEADER_BYTES = 14,
    INFO_HEADER_BYTES = 40,
    PIXELS_PER_METRE = 2835,
    // The widest padded row the reader accepts (16384 x 3 is already a
    // multiple of 4), plus room for the padding of a row the writer ends
    // in a partly filled buffer.
    ROW_BUFFER_BYTES = BMP_MAX_SIDE * 3 + 4
};

// Files move one padded row at a time through this buffer; a row wider
// than it is written in chunks.
uint8_t row_buffer[ROW_BUFFER_BYTES];

uint32_t get_u32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) | ((uint32_t)bytes[2] << 16) |
           ((uint32_t)bytes[3] << 24);
}

int32_t get_i32(const uint8_t *bytes)
{
    // Through int64_t so the conversion of values above INT32_MAX is defined.
    uint32_t value = get_u32(bytes);
    return value <= 0x7FFFFFFFu ? (int32_t)value : (int32_t)((int64_t)value - 0x100000000LL);
}

int16_t get_i16(const uint8_t *bytes)
{
    int value = bytes[0] | (bytes[1] << 8);
    return (int16_t)(value <= 0x7FFF ? value : value - 0x10000);
}

void put_u16(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)(value & 0xFF);
    bytes[1] = (uint8_t)((value >> 8) & 0xFF);
}

void put_u32(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)(value & 0xFF);
    bytes[1] = (uint8_t)((value >> 8) & 0xFF);
    bytes[2] = (uint8_t)((value >> 16) & 0xFF);
    bytes[3] = (uint8_t)((value >> 24) & 0xFF);
}

int64_t padded_row_bytes(int64_t width)
{
    return width * 3 + (4 - (width * 3) % 4) % 4;
}

int fail_read(int failure)
{
    data_stream_close();
    data_stream_set_failure(failure);
    return 0;
}

int fail_write(void)
{
    int failure = data_stream_failure();
    data_stream_discard();
    data_stream_set_failure(failure);
    return 0;
}

int write_to_data_stream(void *, const void *bytes, size_t size)
{
    return data_stream_write(bytes, size);
}

}  // namespace

int image_alloc(int32_t width, int32_t height, int32_t bytes_per_pixel, RgbImage *image)
{
    if (!image)
        return 0;
    image->width = 0;
    image->height = 0;
    image->bytes_per_pixel = 0;
    image->pixels = NULL;
    if (width <= 0 || height <= 0 || bytes_per_pixel <= 0)
        return 0;
    // Each factor is below 2^31, so the first product fits in 64 bits; the
    // second is checked by division before it is formed.
    uint64_t pixel_count = (uint64_t)width * (uint64_t)height;
    if (pixel_count > (uint64_t)SIZE_MAX / (uint64_t)bytes_per_pixel)
        return 0;
    size_t bytes = (size_t)(pixel_count * (uint64_t)bytes_per_pixel);
    uint8_t *pixels = (uint8_t *)calloc(bytes, 1);
    if (!pixels)
        return 0;
    image->width = width;
    image->height = height;
    image->bytes_per_pixel = bytes_per_pixel;
    image->pixels = pixels;
    return 1;
}

void image_free(RgbImage *image)
{
    if (!image)
        return;
    free(image->pixels);
    image->width = 0;
    image->height = 0;
    image->bytes_per_pixel = 0;
    image->pixels = NULL;
}

int read_bmp(const char *path, RgbImage *image)
{
    if (!path || !image)
        return 0;
    if (!data_stream_open_read(path))
        return 0;
    int64_t file_size;
    if (!data_stream_size(&file_size))
        return fail_read(DATA_CANT_READ);

    uint8_t header[HEADER_BYTES];
    if (!data_stream_read(header, sizeof header))
        return fail_read(DATA_CANT_READ);
    if (header[0] != 0x42 || header[1] != 0x4D)
        return fail_read(DATA_BAD_FORMAT);
    int32_t width = get_i32(header + 18);
    int32_t height = get_i32(header + 22);
    int32_t bytes_per_pixel = get_i16(header + 28) / 8;
    uint32_t compression = get_u32(header + 30);
    // A negative height (rows stored top first) is outside the subset.
    if (bytes_per_pixel != 3 || compression != 0 || width < 1 || width > BMP_MAX_SIDE ||
        height < 1 || height > BMP_MAX_SIDE)
        return fail_read(DATA_BAD_FORMAT);
    // A short file fails before the buffer its header asks for is taken, so
    // a few damaged bytes cannot claim 800 MB.
    if (file_size - HEADER_BYTES < padded_row_bytes(width) * height)
        return fail_read(DATA_CANT_READ);

    // Filled in a local record so the caller's record changes only on success.
    RgbImage read;
    if (!image_alloc(width, height, 3, &read))
        return fail_read(DATA_NO_MEMORY);

    // Pixel rows start right after the 54-byte header, whatever the offset
    // field says; the stream is already there.
    size_t row_bytes = (size_t)padded_row_bytes(width);
    for (int32_t r = 0; r < height; ++r) {
        if (!data_stream_read(row_buffer, row_bytes)) {
            image_free(&read);
            return fail_read(DATA_CANT_READ);
        }
        uint8_t *out = read.pixels + (size_t)r * (size_t)width * 3;
        const uint8_t *in = row_buffer;
        for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    data_stream_close();
    *image = read;
    return 1;
}

uint64_t dib_bytes(const RgbImage *image)
{
    if (!image || !image->pixels || image->width <= 0 || image->height <= 0 ||
        image->bytes_per_pixel != 3)
        return 0;
    uint64_t bytes = (uint64_t)padded_row_bytes(image->width) * (uint64_t)image->height +
                     INFO_HEADER_BYTES;
    // A BMP file's size field has 32 bits, and the file header comes first.
    return bytes + FILE_HEADER_BYTES > 0xFFFFFFFFu ? 0 : bytes;
}

int emit_dib(const RgbImage *image, DibSink emit, void *context)
{
    if (dib_bytes(image) == 0)
        return 0;
    uint8_t header[INFO_HEADER_BYTES];
    memset(header, 0, sizeof header);
    put_u32(header, INFO_HEADER_BYTES);
    put_u32(header + 4, (uint32_t)image->width);
    put_u32(header + 8, (uint32_t)image->height);
    put_u16(header + 12, 1);
    put_u16(header + 14, 24);
    put_u32(header + 24, PIXELS_PER_METRE);
    put_u32(header + 28, PIXELS_PER_METRE);
    if (!emit(context, header, sizeof header))
        return 0;

    const size_t width = (size_t)image->width;
    const size_t padding = (size_t)(padded_row_bytes(image->width) - image->width * (int64_t)3);
    const size_t chunk_pixels = BMP_MAX_SIDE;
    for (int32_t r = 0; r < image->height; ++r) {
        const uint8_t *in = image->pixels + (size_t)r * width * 3;
        size_t done = 0;
        while (done < width) {
            size_t count = width - done < chunk_pixels ? width - done : chunk_pixels;
            uint8_t *out = row_buffer;
            for (size_t x = 0; x < count; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
            size_t bytes = count * 3;
            done += count;
            if (done == width) {
                memset(out, 0, padding);
                bytes += padding;
            }
            if (!emit(context, row_buffer, bytes))
                return 0;
        }
    }
    return 1;
}

int write_bmp(const char *path, const RgbImage *image)
{
    uint64_t dib = dib_bytes(image);
    if (!path || dib == 0)
        return 0;
    uint8_t header[FILE_HEADER_BYTES];
    memset(header, 0, sizeof header);
    header[0] = 0x42;
    header[1] = 0x4D;
    put_u32(header + 2, (uint32_t)(dib + FILE_HEADER_BYTES));
    put_u32(header + 10, HEADER_BYTES);

    if (!data_stream_create(path))
        return 0;
    if (!data_stream_write(header, sizeof header) ||
        !emit_dib(image, write_to_data_stream, nullptr))
        return fail_write();
    return data_stream_commit();
}

int resample_pow2(const RgbImage *source, RgbImage *target)
{
    if (!source || !target || !source->pixels || source->width <= 0 || source->height <= 0 ||
        source->bytes_per_pixel < 3)
        return 0;
    int32_t source_w = source->width;
    int32_t source_h = source->height;
    int32_t target_w = 1;
    while (target_w < source_w && target_w < 1024)
        target_w *= 2;
    int32_t target_h = 1;
    while (target_h < source_h && target_h < 1024)
        target_h *= 2;
    RgbImage made;
    if (!image_alloc(target_w, target_h, 3, &made))
        return 0;

    const size_t stride = (size_t)source->bytes_per_pixel;
    const uint8_t *pixels = source->pixels;
    for (int32_t y = 0; y < target_h; ++y) {
        // A source side of 1 gives a target side of 1 (no divisor) and
        // repeats its only row or column.
        float fy = target_h > 1 && source_h > 1
                       ? (float)((int64_t)(source_h - 2) * y) / (float)(target_h - 1)
                       : 0.0f;
        int32_t iy = (int32_t)fy;
        float dy = fy - (float)iy;
        int32_t iy1 = iy + 1 < source_h ? iy + 1 : iy;
        for (int32_t x = 0; x < target_w; ++x) {
            float fx = target_w > 1 && source_w > 1
                           ? (float)((int64_t)(source_w - 2) * x) / (float)(target_w - 1)
                           : 0.0f;
            int32_t ix = (int32_t)fx;
            float dx = fx - (float)ix;
            int32_t ix1 = ix + 1 < source_w ? ix + 1 : ix;
            const uint8_t *p00 = pixels + ((size_t)iy * (size_t)source_w + (size_t)ix) * stride;
            const uint8_t *p01 = pixels + ((size_t)iy * (size_t)source_w + (size_t)ix1) * stride;
            const uint8_t *p10 = pixels + ((size_t)iy1 * (size_t)source_w + (size_t)ix) * stride;
            const uint8_t *p11 = pixels + ((size_t)iy1 * (size_t)source_w + (size_t)ix1) * stride;
            uint8_t *out = made.pixels + ((size_t)y * (size_t)target_w + (size_t)x) * 3;
            for (int c = 0; c < 3; ++c) {
                float lower = (1.0f - dx) * (float)p00[c] + dx * (float)p01[c];
                float upper = (1.0f - dx) * (float)p10[c] + dx * (float)p11[c];
                float value = (1.0f - dy) * lower + dy * upper;
                out[c] = (uint8_t)(value < 255.0f ? value : 255.0f);
            }
        }
    }
    *target = made;
    return 1;
}
