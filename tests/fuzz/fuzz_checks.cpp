#include "fuzz_checks.h"

#include "gis/bmp.h"
#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/record_file.h"
#include "survey/records.h"

#include <stdio.h>
#include <string.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace {

// One name for the whole process: fuzzers and test processes may run side by
// side, each with its own file.
const std::string &input_path(void)
{
    static std::string path;
    if (path.empty()) {
        std::random_device random;
        unsigned long long tick =
            (unsigned long long)std::chrono::steady_clock::now().time_since_epoch().count();
        char name[80];
        snprintf(name, sizeof name, "quorvel-fuzz-%08x%08x-%llx.in", (unsigned)random(),
                 (unsigned)random(), tick);
        std::error_code error;
        path = (std::filesystem::temp_directory_path(error) / name).string();
    }
    return path;
}

int write_input(const uint8_t *data, size_t size)
{
    FILE *file = fopen(input_path().c_str(), "wb");
    if (!file)
        return 0;
    int ok = size == 0 || fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && ok;
}

int broken(const char *what)
{
    fprintf(stderr, "fuzz check failed: %s\n", what);
    return 0;
}

// Removes the input file; on Windows that also fails while the reader still
// holds it open.
int finish(int result)
{
    if (remove(input_path().c_str()) != 0)
        return broken("the input file could not be removed");
    return result;
}

// A reader must close the shared stream on every path; the size query works
// only on an open stream.
int stream_is_closed(void)
{
    int64_t size;
    return !data_stream_size(&size);
}

uint32_t get_u32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
           (uint32_t)bytes[3] << 24;
}

int32_t get_i32(const uint8_t *bytes)
{
    uint32_t value = get_u32(bytes);
    return value <= 0x7FFFFFFFu ? (int32_t)value : (int32_t)((int64_t)value - 0x100000000LL);
}

int16_t get_i16(const uint8_t *bytes)
{
    int value = bytes[0] | bytes[1] << 8;
    return (int16_t)(value <= 0x7FFF ? value : value - 0x10000);
}

// The store's records as the plain bytes they occupy, to compare before
// and after a failed read.
std::vector<unsigned char> store_bytes(void)
{
    const unsigned char *bytes = (const unsigned char *)record_data();
    size_t size = (size_t)record_count() * sizeof(RespondentRecord);
    return size && bytes ? std::vector<unsigned char>(bytes, bytes + size)
                         : std::vector<unsigned char>();
}

}  // namespace

int check_read_records(const uint8_t *data, size_t size)
{
    if (!write_input(data, size))
        return broken("the input file could not be written");
    int32_t count_before = record_count();
    std::vector<unsigned char> before = store_bytes();

    int result = read_records(input_path().c_str());
    int failure = data_stream_failure();
    if (!stream_is_closed())
        return finish(broken("read_records left the file open"));

    if (!result) {
        if (failure == DATA_OK)
            return finish(broken("read_records failed without saying why"));
        if (record_count() != count_before || store_bytes() != before)
            return finish(broken("a failed read_records changed the store"));
        if (size % RECORD_BYTES == 0 && failure == DATA_BAD_FORMAT)
            return finish(broken("read_records refused a file of whole records"));
        return finish(1);
    }
    if (failure != DATA_OK)
        return finish(broken("read_records succeeded but reported a failure"));
    if (size % RECORD_BYTES != 0)
        return finish(broken("read_records accepted a file with a partial record"));
    if ((size_t)record_count() != size / RECORD_BYTES)
        return finish(broken("record count is not the number of whole records"));
    const RespondentRecord *records = record_data();
    for (int32_t r = 0; r < record_count(); r++)
        for (int f = 0; f < RECORD_FIELDS; f++)
            if (records[r].field[f] != get_i32(data + (size_t)r * RECORD_BYTES + (size_t)f * 4))
                return finish(broken("a field differs from its four bytes in the file"));
    return finish(1);
}

int check_read_bmp(const uint8_t *data, size_t size)
{
    if (!write_input(data, size))
        return broken("the input file could not be written");
    // A record holding a buffer that a failed read must neither free nor
    // replace.
    RgbImage image;
    if (!image_alloc(1, 1, 3, &image))
        return broken("no memory for the caller's image");
    uint8_t *kept = image.pixels;

    int result = read_bmp(input_path().c_str(), &image);
    int closed = stream_is_closed();

    // What the file says, to judge the result by.
    const size_t header = 54;
    int within = size >= header && data[0] == 'B' && data[1] == 'M';
    int64_t width = within ? get_i32(data + 18) : 0;
    int64_t height = within ? get_i32(data + 22) : 0;
    int64_t row_bytes = (width * 3 + 3) / 4 * 4;
    int acceptable = within && get_i16(data + 28) / 8 == 3 && get_u32(data + 30) == 0 &&
                     width >= 1 && width <= BMP_MAX_SIDE && height >= 1 &&
                     height <= BMP_MAX_SIDE &&
                     (uint64_t)(size - header) >= (uint64_t)(row_bytes * height);

    int ok = 1;
    if (!closed) {
        ok = broken("read_bmp left the file open");
    } else if (!result) {
        if (image.pixels != kept)
            ok = broken("a failed read_bmp touched the caller's buffer");
        else if (acceptable && get_i16(data + 28) == 24)
            ok = broken("read_bmp refused a well-formed 24-bit file");
        image.pixels = kept;
        image_free(&image);
        return finish(ok);
    }

    RgbImage read = image;
    image.pixels = kept;
    image_free(&image);
    image = read;
    uint8_t *read_pixels = image.pixels;
    if (!acceptable)
        ok = broken("read_bmp accepted a file outside the subset or too short");
    else if (!read_pixels)
        ok = broken("read_bmp succeeded without pixels");
    else if (image.width != width || image.height != height || image.bytes_per_pixel != 3)
        ok = broken("read_bmp's sizes differ from the header");
    for (int64_t r = 0; ok && r < height; r++) {
        const uint8_t *in = data + header + r * row_bytes;
        const uint8_t *out = read_pixels + r * width * 3;
        for (int64_t x = 0; ok && x < width; x++, in += 3, out += 3)
            if (out[0] != in[2] || out[1] != in[1] || out[2] != in[0])
                ok = broken("a pixel differs from the file's blue, green, red");
    }
    image_free(&image);
    if (image.pixels || image.width || image.height)
        ok = broken("image_free left the record filled");
    return finish(ok);
}

namespace {

// Whether text is a CSV file the reader must take, and how many records it
// holds: no NUL byte anywhere, a header of anything else, then lines of at
// most 4,095 characters, each blank or 45 cells of at most 15 characters.
// Ctrl-Z bytes at the very end end the file.
int csv_well_formed(const uint8_t *data, size_t size, int32_t *records)
{
    *records = 0;
    while (size > 0 && data[size - 1] == 0x1A)
        size--;
    size_t start = 0;
    for (int32_t number = 1; start < size; number++) {
        size_t end = start;
        while (end < size && data[end] != '\n')
            end++;
        size_t next = end < size ? end + 1 : end;
        if (end > start && data[end - 1] == '\r')
            end--;
        if (memchr(data + start, 0, end - start) || (number > 1 && end - start > CSV_LINE_CHARS))
            return 0;
        if (number > 1 && end > start) {
            int cells = 1;
            size_t cell_chars = 0;
            for (size_t i = start; i < end; i++) {
                if (data[i] == ',') {
                    cells++;
                    cell_chars = 0;
                } else if (++cell_chars > CSV_CELL_CHARS) {
                    return 0;
                }
            }
            if (cells != CSV_COLUMNS)
                return 0;
            ++*records;
        }
        start = next;
    }
    return 1;
}

// The stored codes that an export and a re-import give back: ages and
// persons are grouped again, everything else comes back unchanged.
RespondentRecord reimported(RespondentRecord record)
{
    int32_t age = record.field[Q1];
    record.field[Q1] = age == 99 ? 99 : age <= 29 ? 1 : age >= 90 ? 8 : age / 10 - 1;
    int32_t persons = record.field[Q14];
    record.field[Q14] = persons == 99 ? 99 : persons <= 2 ? 1 : persons >= 11 ? 6
                                                                             : (persons + 1) / 2;
    return record;
}

}  // namespace

int check_read_csv(const uint8_t *data, size_t size)
{
    if (!write_input(data, size))
        return broken("the input file could not be written");
    int32_t count_before = record_count();
    std::vector<unsigned char> before = store_bytes();

    int result = read_csv_records(input_path().c_str());
    int failure = data_stream_failure();
    if (!stream_is_closed())
        return finish(broken("read_csv_records left the file open"));

    int32_t expected = 0;
    int well_formed = csv_well_formed(data, size, &expected);
    if (!result) {
        if (failure == DATA_OK)
            return finish(broken("read_csv_records failed without saying why"));
        if (record_count() != count_before || store_bytes() != before)
            return finish(broken("a failed read_csv_records changed the store"));
        char text[128] = "";
        describe_csv_failure(text, sizeof text);
        if (failure == DATA_BAD_FORMAT && (csv_failure()->problem == CSV_NO_PROBLEM || !text[0]))
            return finish(broken("a format failure without a description"));
        if (well_formed)
            return finish(broken("read_csv_records refused a well-formed file"));
        return finish(1);
    }
    if (failure != DATA_OK)
        return finish(broken("read_csv_records succeeded but reported a failure"));
    if (!well_formed)
        return finish(broken("read_csv_records accepted a malformed file"));
    if (record_count() != expected)
        return finish(broken("record count is not the number of data lines"));

    // Export the records just read and import them again.
    std::vector<RespondentRecord> imported(record_data(), record_data() + record_count());
    std::string exported = input_path() + ".csv";
    if (!write_csv_records(exported.c_str()))
        return finish(broken("write_csv_records failed on what was just read"));
    int again = read_csv_records(exported.c_str());
    remove(exported.c_str());
    if (!again)
        return finish(broken("read_csv_records refused what write_csv_records wrote"));
    if ((size_t)record_count() != imported.size())
        return finish(broken("the re-import has another record count"));
    for (size_t r = 0; r < imported.size(); r++) {
        RespondentRecord expect = reimported(imported[r]);
        if (memcmp(&expect, &record_data()[r], sizeof expect) != 0)
            return finish(broken("a re-imported record differs beyond the age and persons"));
    }
    return finish(1);
}
