#include "survey/records.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The most records any buffer may hold: their byte size must still fit a
// signed 32-bit count, so no size computation anywhere can overflow.
const int32_t RECORD_LIMIT = INT32_MAX / RECORD_BYTES;

// The data set in use.  Empty until the first successful load or import.
RespondentRecord *store_records;
int32_t store_count;
int store_given;
int32_t store_area_respondents[ZIP_SLOTS];

void count_area_respondents(void)
{
    memset(store_area_respondents, 0, sizeof store_area_respondents);
    for (int32_t r = 0; r < store_count; r++) {
        // Unsigned wrap-around puts every zip below ZIP_BASE out of range too.
        uint32_t index = (uint32_t)store_records[r].field[Q32] - (uint32_t)ZIP_BASE;
        if (index < (uint32_t)ZIP_SLOTS)
            store_area_respondents[index]++;
    }
}

// Zeroed room for `capacity` records, or null.  The limit check keeps the
// multiplication within size_t on 32-bit hosts too.
RespondentRecord *allocate_records(int32_t capacity)
{
    if (capacity < 1 || capacity > RECORD_LIMIT ||
        (size_t)capacity > SIZE_MAX / sizeof(RespondentRecord))
        return nullptr;
    return (RespondentRecord *)calloc((size_t)capacity, sizeof(RespondentRecord));
}

}  // namespace

int buffer_init(RecordBuffer *buffer, int32_t capacity)
{
    if (capacity == 0)
        capacity = 1;  // an empty buffer still owns storage, so appends can double it
    RespondentRecord *records = allocate_records(capacity);
    buffer->records = records;
    buffer->count = 0;
    buffer->capacity = records ? capacity : 0;
    return records != nullptr;
}

RespondentRecord *buffer_append(RecordBuffer *buffer)
{
    if (buffer->count == buffer->capacity) {
        if (buffer->capacity >= RECORD_LIMIT)
            return nullptr;
        int32_t capacity = buffer->capacity < 1 ? 1 : buffer->capacity;
        capacity = capacity > RECORD_LIMIT / 2 ? RECORD_LIMIT : capacity * 2;
        // Grown in place where the allocator can, so large imports neither
        // copy nor touch their records again; each new record is zeroed below.
        RespondentRecord *records =
            (RespondentRecord *)realloc(buffer->records, (size_t)capacity * sizeof(RespondentRecord));
        if (!records)
            return nullptr;
        buffer->records = records;
        buffer->capacity = capacity;
    }
    RespondentRecord *record = &buffer->records[buffer->count];
    memset(record, 0, sizeof *record);
    buffer->count++;
    return record;
}

void buffer_free(RecordBuffer *buffer)
{
    free(buffer->records);
    buffer->records = nullptr;
    buffer->count = 0;
    buffer->capacity = 0;
}

int32_t record_count(void)
{
    return store_count;
}

const RespondentRecord *record_data(void)
{
    return store_records;
}

void store_replace(RecordBuffer *buffer)
{
    free(store_records);
    store_records = buffer->records;
    store_count = buffer->count;
    store_given = 1;
    buffer->records = nullptr;
    buffer->count = 0;
    buffer->capacity = 0;
    count_area_respondents();
}

void store_release(void)
{
    free(store_records);
    store_records = nullptr;
    store_count = 0;
    store_given = 0;
    count_area_respondents();
}

const int32_t *area_respondents(void)
{
    return store_area_respondents;
}

int store_loaded(void)
{
    return store_given;
}
