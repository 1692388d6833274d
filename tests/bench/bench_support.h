// Survey-like data sets shared by the benchmarks.
#pragma once

#include "survey/records.h"

#include <stdint.h>

// Fills the store with `count` records of small answer codes and mostly
// in-range zips; the same records every time.
inline void fill_store(int32_t count)
{
    if (record_count() == count)
        return;
    RecordBuffer buffer;
    if (!buffer_init(&buffer, count))
        return;
    uint32_t seed = 12345;
    for (int32_t n = 0; n < count; n++) {
        RespondentRecord *record = buffer_append(&buffer);
        for (int f = 0; f < RECORD_FIELDS; f++) {
            seed = seed * 1664525u + 1013904223u;
            record->field[f] = (int32_t)(1 + (seed >> 24) % 6);
        }
        seed = seed * 1664525u + 1013904223u;
        record->field[Q32] = (int32_t)(76990 + (seed >> 16) % 620);
    }
    store_replace(&buffer);
}
