#include "gis/bmp.h"
#include "gis/png.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "survey/data_stream.h"
#include "test_support.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// A picture whose every byte differs from its neighbours, so a swapped
// channel, a shifted row or a dropped pixel shows.
RgbImage pattern_image(int32_t width, int32_t height, int seed = 0)
{
    RgbImage image = {0, 0, 0, nullptr};
    EXPECT_EQ(1, image_alloc(width, height, 3, &image));
    for (int32_t i = 0; i < width * height * 3; ++i)
        image.pixels[i] = (unsigned char)((i * 7 + seed * 13 + i / 251) & 0xFF);
    return image;
}

void put32(Bytes &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = (unsigned char)(value >> (8 * i));
}

void put16(Bytes &bytes, size_t at, uint32_t value)
{
    bytes[at] = (unsigned char)value;
    bytes[at + 1] = (unsigned char)(value >> 8);
}

uint32_t get32(const Bytes &bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | ((uint32_t)bytes[at + 3] << 24);
}

size_t padded_row(int32_t width)
{
    return (size_t)width * 3 + (4 - (width * 3) % 4) % 4;
}

// A hand-made file in the subset: 54-byte header, then rows whose pixel x
// of row r is blue r*16+x, green 100+x, red 200-r.
Bytes hand_made_bmp(int32_t width, int32_t height)
{
    size_t row = padded_row(width);
    Bytes bytes(54 + row * (size_t)height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, (uint32_t)bytes.size());
    put32(bytes, 10, 54);
    put32(bytes, 14, 40);
    put32(bytes, 18, (uint32_t)width);
    put32(bytes, 22, (uint32_t)height);
    put16(bytes, 26, 1);
    put16(bytes, 28, 24);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t x = 0; x < width; ++x) {
            size_t at = 54 + (size_t)r * row + (size_t)x * 3;
            bytes[at] = (unsigned char)(r * 16 + x);
            bytes[at + 1] = (unsigned char)(100 + x);
            bytes[at + 2] = (unsigned char)(200 - r);
        }
        for (size_t p = (size_t)width * 3; p < row; ++p)
            bytes[54 + (size_t)r * row + p] = 0xEE;  // the reader must skip padding
    }
    return bytes;
}

int append_bytes(void *context, const void *bytes, size_t size)
{
    Bytes *to = (Bytes *)context;
    to->insert(to->end(), (const unsigned char *)bytes, (const unsigned char *)bytes + size);
    return 1;
}

bool same_image(const RgbImage &a, const RgbImage &b)
{
    return a.width == b.width && a.height == b.height && a.bytes_per_pixel == b.bytes_per_pixel &&
           a.pixels && b.pixels &&
           memcmp(a.pixels, b.pixels, (size_t)a.width * (size_t)a.height * 3) == 0;
}

bool no_temp_files()
{
    return files_containing(test_temp_dir(), ".~tmp").empty();
}

TEST(ImageAlloc, GivesZeroFilledBufferAndFreeIsIdempotent)
{
    RgbImage image = {0, 0, 0, nullptr};
    ASSERT_EQ(1, image_alloc(5, 3, 3, &image));
    EXPECT_EQ(5, image.width);
    EXPECT_EQ(3, image.height);
    EXPECT_EQ(3, image.bytes_per_pixel);
    ASSERT_NE(nullptr, image.pixels);
    for (int i = 0; i < 45; ++i)
        EXPECT_EQ(0, image.pixels[i]) << i;
    image_free(&image);
    EXPECT_EQ(nullptr, image.pixels);
    EXPECT_EQ(0, image.width);
    EXPECT_EQ(0, image.height);
    EXPECT_EQ(0, image.bytes_per_pixel);
    image_free(&image);
    EXPECT_EQ(nullptr, image.pixels);
}

TEST(ImageAlloc, RefusesBadSizesAndLeavesRecordEmpty)
{
    struct Case {
        int32_t width, height, bytes_per_pixel;
    } cases[] = {
        {0, 1, 3}, {1, 0, 3}, {1, 1, 0}, {-1, 1, 3}, {1, -5, 3}, {1, 1, -3},
        {INT32_MAX, INT32_MAX, INT32_MAX},  // the byte count overflows 64 bits
    };
    for (const Case &c : cases) {
        RgbImage image = {7, 7, 7, nullptr};
        EXPECT_EQ(0, image_alloc(c.width, c.height, c.bytes_per_pixel, &image))
            << c.width << "x" << c.height << "x" << c.bytes_per_pixel;
        EXPECT_EQ(nullptr, image.pixels);
        EXPECT_EQ(0, image.width);
        EXPECT_EQ(0, image.height);
        EXPECT_EQ(0, image.bytes_per_pixel);
    }
}

TEST(WriteBmp, ThreeByTwoIsSeventyEightBytesExactly)
{
    RgbImage image = pattern_image(3, 2);
    std::string path = temp_path("three_by_two.bmp");
    ASSERT_EQ(1, write_bmp(path.c_str(), &image));
    Bytes file = read_file_bytes(path);
    ASSERT_EQ(78u, file.size());

    const unsigned char header[54] = {
        'B', 'M', 78, 0, 0, 0,  0, 0, 0, 0,  54, 0, 0, 0,  40, 0, 0, 0,
        3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  24, 0,  0, 0, 0, 0,  0, 0, 0, 0,
        0x13, 0x0B, 0, 0,  0x13, 0x0B, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
    };
    EXPECT_EQ(0, memcmp(header, file.data(), 54));
    for (int r = 0; r < 2; ++r) {
        for (int x = 0; x < 3; ++x) {
            const unsigned char *pixel = image.pixels + (r * 3 + x) * 3;
            const unsigned char *stored = file.data() + 54 + r * 12 + x * 3;
            EXPECT_EQ(pixel[2], stored[0]);
            EXPECT_EQ(pixel[1], stored[1]);
            EXPECT_EQ(pixel[0], stored[2]);
        }
        for (int p = 9; p < 12; ++p)
            EXPECT_EQ(0, file[54 + r * 12 + p]) << "padding of row " << r;
    }

    RgbImage back = {0, 0, 0, nullptr};
    ASSERT_EQ(1, read_bmp(path.c_str(), &back));
    EXPECT_TRUE(same_image(image, back));
    image_free(&back);
    image_free(&image);
}

TEST(WriteBmp, EveryPaddingCaseRoundTrips)
{
    struct Case {
        int32_t width, height;
        size_t file_size;
    } cases[] = {
        {1, 1, 54 + 4},  {1, 3, 54 + 12}, {2, 2, 54 + 16},
        {3, 1, 54 + 12}, {4, 2, 54 + 24}, {5, 3, 54 + 48},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        RgbImage image = pattern_image(c.width, c.height, c.width);
        std::string path = temp_path("padding_" + std::to_string(c.width) + ".bmp");
        ASSERT_EQ(1, write_bmp(path.c_str(), &image));
        Bytes file = read_file_bytes(path);
        ASSERT_EQ(c.file_size, file.size());
        EXPECT_EQ(c.file_size, get32(file, 2));
        // The DIB the clipboard takes is the file without its file header.
        Bytes dib;
        ASSERT_EQ(1, emit_dib(&image, append_bytes, &dib));
        EXPECT_EQ(Bytes(file.begin() + 14, file.end()), dib);
        EXPECT_EQ(dib.size(), dib_bytes(&image));
        RgbImage back = {0, 0, 0, nullptr};
        ASSERT_EQ(1, read_bmp(path.c_str(), &back));
        EXPECT_TRUE(same_image(image, back));
        image_free(&back);
        image_free(&image);
    }
}

TEST(WriteBmp, PureRedIsStoredBlueGreenRed)
{
    RgbImage image = {0, 0, 0, nullptr};
    ASSERT_EQ(1, image_alloc(1, 1, 3, &image));
    image.pixels[0] = 255;
    std::string path = temp_path("red.bmp");
    ASSERT_EQ(1, write_bmp(path.c_str(), &image));
    Bytes file = read_file_bytes(path);
    ASSERT_EQ(58u, file.size());
    EXPECT_EQ(0, file[54]);
    EXPECT_EQ(0, file[55]);
    EXPECT_EQ(255, file[56]);
    RgbImage back = {0, 0, 0, nullptr};
    ASSERT_EQ(1, read_bmp(path.c_str(), &back));
    EXPECT_EQ(255, back.pixels[0]);
    EXPECT_EQ(0, back.pixels[1]);
    EXPECT_EQ(0, back.pixels[2]);
    image_free(&back);
    image_free(&image);
}

TEST(WriteBmp, RowsWiderThanTheRowBufferAreWrittenWhole)
{
    // 16384 is the widest row the buffer holds; wider rows go in chunks.
    // The reader accepts up to 16384, so the widest is checked from bytes.
    struct Case {
        int32_t width, height;
        bool readable;
    } cases[] = {{7000, 2, true}, {16384, 2, true}, {16385, 2, false}, {40001, 2, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        RgbImage image = pattern_image(c.width, c.height, 3);
        std::string path = temp_path("wide_" + std::to_string(c.width) + ".bmp");
        ASSERT_EQ(1, write_bmp(path.c_str(), &image));
        Bytes file = read_file_bytes(path);
        size_t row = padded_row(c.width);
        ASSERT_EQ(54 + row * 2, file.size());
        bool rows_match = true;
        for (int32_t r = 0; r < c.height; ++r) {
            for (int32_t x = 0; x < c.width; ++x) {
                const unsigned char *pixel = image.pixels + ((size_t)r * c.width + x) * 3;
                const unsigned char *stored = file.data() + 54 + r * row + (size_t)x * 3;
                if (pixel[0] != stored[2] || pixel[1] != stored[1] || pixel[2] != stored[0])
                    rows_match = false;
            }
            for (size_t p = (size_t)c.width * 3; p < row; ++p)
                if (file[54 + r * row + p] != 0)
                    rows_match = false;
        }
        EXPECT_TRUE(rows_match);
        RgbImage back = {0, 0, 0, nullptr};
        EXPECT_EQ(c.readable ? 1 : 0, read_bmp(path.c_str(), &back));
        if (c.readable) {
            EXPECT_TRUE(same_image(image, back));
        } else {
            EXPECT_EQ(nullptr, back.pixels);
        }
        image_free(&back);
        image_free(&image);
    }
}

TEST(ReadBmp, ReadsHandMadeFileSkippingPadding)
{
    std::string path = temp_path("hand_made.bmp");
    ASSERT_TRUE(write_file_bytes(path, hand_made_bmp(3, 2)));
    RgbImage image = {0, 0, 0, nullptr};
    ASSERT_EQ(1, read_bmp(path.c_str(), &image));
    ASSERT_EQ(3, image.width);
    ASSERT_EQ(2, image.height);
    EXPECT_EQ(3, image.bytes_per_pixel);
    for (int r = 0; r < 2; ++r) {
        for (int x = 0; x < 3; ++x) {
            const unsigned char *pixel = image.pixels + (r * 3 + x) * 3;
            EXPECT_EQ(200 - r, pixel[0]);
            EXPECT_EQ(100 + x, pixel[1]);
            EXPECT_EQ(r * 16 + x, pixel[2]);
        }
    }
    image_free(&image);
}

TEST(ReadBmp, PixelsAlwaysStartAtOffset54)
{
    // A palette-sized offset in the header; the rows still follow the
    // 54-byte header.
    Bytes bytes = hand_made_bmp(2, 2);
    put32(bytes, 10, 1078);
    std::string path = temp_path("odd_offset.bmp");
    ASSERT_TRUE(write_file_bytes(path, bytes));
    RgbImage image = {0, 0, 0, nullptr};
    ASSERT_EQ(1, read_bmp(path.c_str(), &image));
    EXPECT_EQ(200, image.pixels[0]);
    EXPECT_EQ(100, image.pixels[1]);
    EXPECT_EQ(0, image.pixels[2]);
    EXPECT_EQ(199, image.pixels[6]);
    image_free(&image);
}

TEST(ReadBmp, RefusesFilesOutsideTheSubset)
{
    struct Case {
        const char *name;
        size_t at;       // header field changed
        int size;        // 2 or 4 bytes
        uint32_t value;
        int failure;
    } cases[] = {
        {"not BM", 0, 2, 0x4142, DATA_BAD_FORMAT},
        {"lower-case bm", 0, 2, 0x6D62, DATA_BAD_FORMAT},
        {"8-bit", 28, 2, 8, DATA_BAD_FORMAT},
        {"16-bit", 28, 2, 16, DATA_BAD_FORMAT},
        {"32-bit", 28, 2, 32, DATA_BAD_FORMAT},
        {"compressed", 30, 4, 1, DATA_BAD_FORMAT},
        {"width 0", 18, 4, 0, DATA_BAD_FORMAT},
        {"height 0", 22, 4, 0, DATA_BAD_FORMAT},
        {"negative height", 22, 4, (uint32_t)-2, DATA_BAD_FORMAT},
        {"negative width", 18, 4, (uint32_t)-3, DATA_BAD_FORMAT},
        {"width 16385", 18, 4, 16385, DATA_BAD_FORMAT},
        {"height 16385", 22, 4, 16385, DATA_BAD_FORMAT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = hand_made_bmp(3, 2);
        if (c.size == 2)
            put16(bytes, c.at, c.value);
        else
            put32(bytes, c.at, c.value);
        std::string path = temp_path("refused.bmp");
        ASSERT_TRUE(write_file_bytes(path, bytes));
        RgbImage image = {0, 0, 0, nullptr};
        EXPECT_EQ(0, read_bmp(path.c_str(), &image));
        EXPECT_EQ(c.failure, data_stream_failure());
        EXPECT_EQ(nullptr, image.pixels);
        EXPECT_EQ(0, image.width);
        EXPECT_EQ(0, image.height);
    }
}

TEST(ReadBmp, MissingFileFails)
{
    RgbImage image = {0, 0, 0, nullptr};
    EXPECT_EQ(0, read_bmp(temp_path("no_such_file.bmp").c_str(), &image));
    EXPECT_EQ(DATA_CANT_OPEN, data_stream_failure());
    EXPECT_EQ(nullptr, image.pixels);
}

TEST(ReadBmp, TruncatedFilesFail)
{
    // 3 x 2: header 54 bytes, rows of 12 bytes (9 pixel bytes, 3 padding).
    struct Case {
        const char *name;
        size_t length;
    } cases[] = {
        {"empty", 0},          {"inside the type", 1},  {"inside the header", 30},
        {"header only", 54},   {"mid first row", 60},   {"first row only", 66},
        {"last row short of its padding", 77},
    };
    Bytes whole = hand_made_bmp(3, 2);
    ASSERT_EQ(78u, whole.size());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = temp_path("truncated.bmp");
        ASSERT_TRUE(write_file_bytes(path, Bytes(whole.begin(), whole.begin() + c.length)));
        RgbImage image = {0, 0, 0, nullptr};
        EXPECT_EQ(0, read_bmp(path.c_str(), &image));
        EXPECT_EQ(DATA_CANT_READ, data_stream_failure());
        EXPECT_EQ(nullptr, image.pixels);
    }
    // The same file whole is fine, so the failures above are the truncation.
    std::string path = temp_path("truncated.bmp");
    ASSERT_TRUE(write_file_bytes(path, whole));
    RgbImage image = {0, 0, 0, nullptr};
    EXPECT_EQ(1, read_bmp(path.c_str(), &image));
    image_free(&image);
}

TEST(WriteBmp, RefusedRecordsLeaveThePreviousFile)
{
    RgbImage good = pattern_image(4, 4);
    unsigned char few[12] = {0};
    struct Case {
        const char *name;
        RgbImage image;
    } cases[] = {
        {"zero width", {0, 4, 3, good.pixels}},
        {"zero height", {4, 0, 3, good.pixels}},
        {"negative width", {-4, 4, 3, good.pixels}},
        {"no pixels", {4, 4, 3, nullptr}},
        {"four bytes per pixel", {4, 4, 4, good.pixels}},
        {"file over 4 GiB", {40000, 40000, 3, few}},
    };
    std::string path = temp_path("kept.bmp");
    RgbImage previous = pattern_image(2, 2, 9);
    ASSERT_EQ(1, write_bmp(path.c_str(), &previous));
    Bytes before = read_file_bytes(path);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, write_bmp(path.c_str(), &c.image));
        Bytes dib;
        EXPECT_EQ(0u, dib_bytes(&c.image));
        EXPECT_TRUE(emit_dib(&c.image, append_bytes, &dib) == 0 && dib.empty());
        EXPECT_EQ(before, read_file_bytes(path));
        EXPECT_TRUE(no_temp_files());
    }
    image_free(&previous);
    image_free(&good);
}

TEST(WriteBmp, FailedWriteLeavesThePreviousFile)
{
    struct Case {
        const char *name;
        int fault;
        int nth;
    } cases[] = {
        {"create", FAULT_CREATE, STAGING_NAMES},
        {"header write", FAULT_WRITE, 1},
        {"first row write", FAULT_WRITE, 2},
        {"last row write", FAULT_WRITE, 4},
        {"flush", FAULT_FLUSH, 0},
        {"close", FAULT_CLOSE, 0},
        {"replace", FAULT_REPLACE, 0},
    };
    std::string path = temp_path("survivor.bmp");
    RgbImage previous = pattern_image(2, 2, 5);
    ASSERT_EQ(1, write_bmp(path.c_str(), &previous));
    Bytes before = read_file_bytes(path);
    RgbImage image = pattern_image(3, 3, 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        data_stream_inject_fault(c.fault, c.nth);
        EXPECT_EQ(0, write_bmp(path.c_str(), &image));
        data_stream_inject_fault(FAULT_NONE, 0);
        EXPECT_EQ(before, read_file_bytes(path));
        EXPECT_TRUE(no_temp_files());
    }
    // And with no fault the same write goes through.
    EXPECT_EQ(1, write_bmp(path.c_str(), &image));
    EXPECT_NE(before, read_file_bytes(path));
    image_free(&image);
    image_free(&previous);
}

TEST(WriteBmp, MissingFolderFailsWithoutCreatingAnything)
{
    RgbImage image = pattern_image(2, 2);
    std::string path = temp_path("no_such_folder/picture.bmp");
    EXPECT_EQ(0, write_bmp(path.c_str(), &image));
    EXPECT_FALSE(file_exists(path));
    EXPECT_FALSE(file_exists(path + ".~tmp"));
    image_free(&image);
}

// Pixel (row, column, channel) of a packed image.
unsigned char at(const RgbImage &image, int row, int column, int channel)
{
    return image.pixels[((size_t)row * image.width + column) * image.bytes_per_pixel + channel];
}

// The pixels are checked against the frame where a snapshot is saved.
TEST(WritePng, HoldsTheResolutionAndRefusesWhatItCannotWrite)
{
    // At 144 DPI the pHYs chunk right after the header says 5669 pixels
    // per metre both ways, unit metre, with its check sum.
    RgbImage image = pattern_image(5, 3, 5);
    std::string path = temp_path("picture.png");
    ASSERT_EQ(1, write_png(path.c_str(), &image, 144));
    Bytes file = read_file_bytes(path);
    ASSERT_GT(file.size(), 54u);
    const Bytes resolution = {0, 0, 0, 9, 'p', 'H', 'Y', 's', 0, 0, 0x16, 0x25, 0, 0, 0x16, 0x25, 1,
                              0x49, 0x52, 0x24, 0xF0};
    EXPECT_EQ(resolution, Bytes(file.begin() + 33, file.begin() + 54));

    // Images it refuses leave the previous file as it was.
    Bytes before = file;
    RgbImage refused[] = {{0, 4, 3, image.pixels}, {4, 4, 3, nullptr}, {1, 1, 4, image.pixels},
                          {BMP_MAX_SIDE + 1, 1, 3, image.pixels}};
    for (const RgbImage &bad : refused)
        EXPECT_EQ(0, write_png(path.c_str(), &bad, 96)) << bad.width;
    EXPECT_EQ(0, write_png(path.c_str(), &image, 0));
    EXPECT_EQ(before, read_file_bytes(path));
    EXPECT_TRUE(no_temp_files());
    image_free(&image);
}

TEST(ResamplePow2, TargetSidesArePowersOfTwoUpTo1024)
{
    struct Case {
        int32_t width, height, target_width, target_height;
    } cases[] = {
        {640, 480, 1024, 512}, {1600, 1200, 1024, 1024}, {512, 256, 512, 256},
        {1, 1, 1, 1},          {1, 5, 1, 8},             {5, 1, 8, 1},
        {2, 2, 2, 2},          {3, 3, 4, 4},             {1025, 2, 1024, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        RgbImage source = pattern_image(c.width, c.height);
        Bytes before(source.pixels, source.pixels + (size_t)c.width * c.height * 3);
        RgbImage target = {0, 0, 0, nullptr};
        ASSERT_EQ(1, resample_pow2(&source, &target));
        EXPECT_EQ(c.target_width, target.width);
        EXPECT_EQ(c.target_height, target.height);
        EXPECT_EQ(3, target.bytes_per_pixel);
        ASSERT_NE(nullptr, target.pixels);
        // Corner (0, 0) is source (0, 0); the source is unchanged.
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_EQ(at(source, 0, 0, ch), at(target, 0, 0, ch));
        EXPECT_EQ(before, Bytes(source.pixels, source.pixels + before.size()));
        image_free(&target);
        image_free(&source);
    }
}

TEST(ResamplePow2, SameSizeIsAResampleNotACopy)
{
    // Red is the column, green the row: target column 511 comes from
    // source column 510 (dx 0), target row 255 from source row 254.
    RgbImage source = {0, 0, 0, nullptr};
    ASSERT_EQ(1, image_alloc(512, 256, 3, &source));
    for (int r = 0; r < 256; ++r)
        for (int x = 0; x < 512; ++x) {
            source.pixels[(r * 512 + x) * 3] = (unsigned char)(x / 2);
            source.pixels[(r * 512 + x) * 3 + 1] = (unsigned char)r;
            source.pixels[(r * 512 + x) * 3 + 2] = (unsigned char)(x % 2 ? 200 : 10);
        }
    RgbImage target = {0, 0, 0, nullptr};
    ASSERT_EQ(1, resample_pow2(&source, &target));
    ASSERT_EQ(512, target.width);
    ASSERT_EQ(256, target.height);
    EXPECT_EQ(255, at(target, 0, 511, 0));  // source column 510 (x / 2 = 255)
    EXPECT_EQ(10, at(target, 0, 511, 2));   // even column 510, not odd 511
    EXPECT_EQ(254, at(target, 255, 0, 1));  // source row 254
    // In between the spread shows: the source columns run 0..510 over 0..511.
    int copies = 0;
    for (int x = 0; x < 512; ++x)
        if (at(target, 0, x, 2) == at(source, 0, x, 2))
            ++copies;
    EXPECT_LT(copies, 512);
    // The column gradient survives within one step of the exact position.
    for (int x = 0; x < 512; ++x) {
        double exact = 510.0 * x / 511.0 / 2.0;
        EXPECT_NEAR(exact, at(target, 0, x, 0), 1.0) << x;
    }
    image_free(&target);
    image_free(&source);
}

TEST(ResamplePow2, OnePixelSidesRepeatTheirOnlyRowOrColumn)
{
    struct Case {
        int32_t width, height;
    } cases[] = {{1, 1}, {1, 3}, {1, 9}, {3, 1}, {9, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        RgbImage source = {0, 0, 0, nullptr};
        ASSERT_EQ(1, image_alloc(c.width, c.height, 3, &source));
        // A ramp along the long side, 10 apart.
        for (int i = 0; i < c.width * c.height; ++i)
            for (int ch = 0; ch < 3; ++ch)
                source.pixels[i * 3 + ch] = (unsigned char)(20 + 10 * i + ch);
        RgbImage target = {0, 0, 0, nullptr};
        ASSERT_EQ(1, resample_pow2(&source, &target));
        int length = c.width * c.height;
        int target_length = target.width * target.height;
        EXPECT_TRUE(target.width == 1 || target.height == 1);
        // Every value lies within the ramp, rising, ends at the ramp's ends
        // as the resample spreads them (first to second-to-last).
        int last_source = length > 1 ? length - 2 : 0;
        for (int i = 0; i < target_length; ++i) {
            int red = target.pixels[i * 3];
            EXPECT_GE(red, 20);
            EXPECT_LE(red, 20 + 10 * last_source);
            if (i > 0) {
                EXPECT_GE(red, target.pixels[(i - 1) * 3]);
            }
            EXPECT_NEAR(red + 1, target.pixels[i * 3 + 1], 1);
        }
        EXPECT_EQ(20, target.pixels[0]);
        EXPECT_EQ(20 + 10 * last_source, target.pixels[(target_length - 1) * 3]);
        image_free(&target);
        image_free(&source);
    }
}

TEST(ResamplePow2, UsesTheSourcesOwnPixelSize)
{
    RgbImage source = {0, 0, 0, nullptr};
    ASSERT_EQ(1, image_alloc(3, 3, 4, &source));
    for (int i = 0; i < 9; ++i) {
        source.pixels[i * 4] = 40;
        source.pixels[i * 4 + 1] = 50;
        source.pixels[i * 4 + 2] = 60;
        source.pixels[i * 4 + 3] = 255;  // alpha, never copied
    }
    RgbImage target = {0, 0, 0, nullptr};
    ASSERT_EQ(1, resample_pow2(&source, &target));
    ASSERT_EQ(4, target.width);
    // Truncation may take a constant down by one; a wrong stride would
    // bring in alpha or a neighbouring channel, 10 or more away.
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(40, target.pixels[i * 3], 1);
        EXPECT_NEAR(50, target.pixels[i * 3 + 1], 1);
        EXPECT_NEAR(60, target.pixels[i * 3 + 2], 1);
    }
    image_free(&target);
    image_free(&source);
}

TEST(ResamplePow2, RefusesUnsoundSourcesLeavingTargetAlone)
{
    unsigned char pixels[48] = {0};
    struct Case {
        const char *name;
        RgbImage source;
    } cases[] = {
        {"no pixels", {4, 4, 3, nullptr}},
        {"zero width", {0, 4, 3, pixels}},
        {"zero height", {4, 0, 3, pixels}},
        {"two bytes per pixel", {4, 4, 2, pixels}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RgbImage target = {0, 0, 0, nullptr};
        EXPECT_EQ(0, resample_pow2(&c.source, &target));
        EXPECT_EQ(nullptr, target.pixels);
        EXPECT_EQ(0, target.width);
        EXPECT_EQ(0, target.height);
    }
}

}  // namespace
