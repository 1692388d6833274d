// 24-bit uncompressed BMP files and the in-memory RGB image.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Rows bottom first, tightly packed, bytes red, green, blue.
struct RgbImage {
    int32_t width;
    int32_t height;
    int32_t bytes_per_pixel;
    uint8_t *pixels;  // owned; width * height * bytes_per_pixel bytes
};

enum { BMP_MAX_SIDE = 16384 };

// Gives the record a zero-filled buffer; 1, or 0 when the sizes are not
// positive or the memory cannot be had (the record is then left empty).
int image_alloc(int32_t width, int32_t height, int32_t bytes_per_pixel, RgbImage *image);
void image_free(RgbImage *image);
// 1 on success (the record then owns a new buffer), 0 on failure with no
// buffer kept: unreadable, not "BM", not 24-bit, compressed, a side outside
// 1..16384 (a top-down file has a negative height) or a truncated file.
int read_bmp(const char *path, RgbImage *image);
// Writes a 24-bit BMP through a temporary file; 1 or 0.
int write_bmp(const char *path, const RgbImage *image);
// The image as a packed device-independent bitmap: the 40-byte info header,
// then blue-green-red rows bottom first, each padded to four bytes.  It is
// a BMP file without its 14-byte file header, and what the clipboard holds
// as a DIB.  dib_bytes says how many bytes that is, 0 for an image without
// pixels or too large for a BMP; emit_dib hands them to `emit` a piece at a
// time and returns 1, or 0 for such an image or as soon as `emit` returns 0.
typedef int (*DibSink)(void *context, const void *bytes, size_t size);
uint64_t dib_bytes(const RgbImage *image);
int emit_dib(const RgbImage *image, DibSink emit, void *context);
// Bilinear resample to power-of-two sides of at most 1024; 1 or 0.
int resample_pow2(const RgbImage *source, RgbImage *target);
