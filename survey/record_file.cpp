#include "survey/record_file.h"

#include "survey/records.h"

#include <stdint.h>
#include <string.h>

namespace {

// Records encoded per write: large enough to keep calls few, small enough
// for the stack.
enum { WRITE_CHUNK_RECORDS = 256 };

// Field values are assembled from their bytes, so the file is little-endian
// whatever the host's byte order.
int32_t decode_field(const unsigned char *bytes)
{
    uint32_t value = (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 |
                     (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
    int32_t field;
    memcpy(&field, &value, sizeof field);  // int32_t is two's complement
    return field;
}

void encode_field(int32_t field, unsigned char *bytes)
{
    uint32_t value;
    memcpy(&value, &field, sizeof value);
    bytes[0] = (unsigned char)(value & 0xFF);
    bytes[1] = (unsigned char)(value >> 8 & 0xFF);
    bytes[2] = (unsigned char)(value >> 16 & 0xFF);
    bytes[3] = (unsigned char)(value >> 24 & 0xFF);
}

int fail_read(int failure)
{
    data_stream_close();
    data_stream_set_failure(failure);
    return 0;
}

}  // namespace

int read_records(const char *path)
{
    if (!data_stream_open_read(path))
        return 0;
    int64_t size;
    if (!data_stream_size(&size))
        return fail_read(DATA_CANT_READ);

    // A data file holds whole records only; anything else (a CSV file, a
    // picture, a damaged copy) was never written as one.  The record count
    // must fit the store's int32_t; the buffer refuses anything it cannot
    // address.
    if (size % RECORD_BYTES != 0)
        return fail_read(DATA_BAD_FORMAT);
    int64_t whole = size / RECORD_BYTES;
    if (whole > INT32_MAX)
        return fail_read(DATA_NO_MEMORY);
    int32_t count = (int32_t)whole;

    // Fresh storage, so the data set in use survives a failed read.
    RecordBuffer buffer;
    if (!buffer_init(&buffer, count > STORE_START_CAPACITY ? count : STORE_START_CAPACITY))
        return fail_read(DATA_NO_MEMORY);

    if (count > 0) {
        // One block read of the raw bytes, then decoded in place: each field
        // is rebuilt from exactly the four bytes it occupies.
        unsigned char *bytes = (unsigned char *)buffer.records;
        if (!data_stream_read(bytes, (size_t)count * RECORD_BYTES)) {
            buffer_free(&buffer);
            return fail_read(DATA_CANT_READ);
        }
        int32_t *fields = (int32_t *)buffer.records;
        size_t field_total = (size_t)count * RECORD_FIELDS;
        for (size_t i = 0; i < field_total; i++)
            fields[i] = decode_field(bytes + i * 4);
    }
    buffer.count = count;
    data_stream_close();
    store_replace(&buffer);
    data_stream_set_failure(DATA_OK);
    return 1;
}

int write_records(const char *path)
{
    if (!data_stream_create(path))
        return 0;
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    unsigned char chunk[WRITE_CHUNK_RECORDS * RECORD_BYTES];
    for (int32_t first = 0; first < count; first += WRITE_CHUNK_RECORDS) {
        int32_t n = count - first < WRITE_CHUNK_RECORDS ? count - first : WRITE_CHUNK_RECORDS;
        unsigned char *out = chunk;
        for (int32_t r = 0; r < n; r++)
            for (int f = 0; f < RECORD_FIELDS; f++, out += 4)
                encode_field(records[first + r].field[f], out);
        if (!data_stream_write(chunk, (size_t)n * RECORD_BYTES)) {
            data_stream_discard();
            return 0;
        }
    }
    return data_stream_commit();
}
