#include "survey/outside_zips.h"

#include <stdlib.h>
#include <string.h>

namespace {

int32_t zip_limit;

int32_t zip_code_at(const OutsideZips *zips, int32_t position)
{
    int32_t code;
    memcpy(&code, zips->entries + (size_t)position * zips->entry_bytes, sizeof code);
    return code;
}

uint32_t first_slot(int32_t zip_code, int32_t slot_count)
{
    return ((uint32_t)zip_code * 2654435761u) & (uint32_t)(slot_count - 1);
}

void index_entry(OutsideZips *zips, int32_t position)
{
    int32_t slot_count = 2 * zips->room;
    uint32_t slot = first_slot(zip_code_at(zips, position), slot_count);
    while (zips->slots[slot] != 0)
        slot = (slot + 1) & (uint32_t)(slot_count - 1);
    zips->slots[slot] = position + 1;
}

void reindex(OutsideZips *zips)
{
    memset(zips->slots, 0, (size_t)(2 * zips->room) * sizeof(int32_t));
    for (int32_t p = 0; p < zips->used; p++)
        index_entry(zips, p);
}

// Room for twice as many entries, or for the first 16; 1 or 0.  The index
// keeps twice as many slots as there is room, so a probe soon ends.
int grow(OutsideZips *zips)
{
    int32_t room = zips->room == 0 ? 16 : 2 * zips->room;
    if (room > INT32_MAX / 4 || (size_t)room > SIZE_MAX / 2 / zips->entry_bytes)
        return 0;
    unsigned char *entries = (unsigned char *)realloc(zips->entries, (size_t)room * zips->entry_bytes);
    if (!entries)
        return 0;
    zips->entries = entries;
    int32_t *slots = (int32_t *)calloc((size_t)(2 * room), sizeof(int32_t));
    if (!slots)
        return 0;
    free(zips->slots);
    zips->slots = slots;
    zips->room = room;
    reindex(zips);
    return 1;
}

int by_zip_code(const void *a, const void *b)
{
    int32_t x, y;
    memcpy(&x, a, sizeof x);
    memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

}  // namespace

void *outside_zip_entry(OutsideZips *zips, int32_t zip_code)
{
    if (zips->room > 0) {
        int32_t slot_count = 2 * zips->room;
        for (uint32_t slot = first_slot(zip_code, slot_count); zips->slots[slot] != 0;
             slot = (slot + 1) & (uint32_t)(slot_count - 1)) {
            int32_t position = zips->slots[slot] - 1;
            if (zip_code_at(zips, position) == zip_code)
                return outside_zip_at(zips, position);
        }
    }
    if (zip_limit > 0 && zips->used >= zip_limit)
        return nullptr;
    if (zips->used == zips->room && !grow(zips))
        return nullptr;
    unsigned char *entry = (unsigned char *)outside_zip_at(zips, zips->used);
    memset(entry, 0, zips->entry_bytes);
    memcpy(entry, &zip_code, sizeof zip_code);
    index_entry(zips, zips->used++);
    return entry;
}

void *outside_zip_at(const OutsideZips *zips, int32_t position)
{
    return zips->entries + (size_t)position * zips->entry_bytes;
}

void sort_outside_zips(OutsideZips *zips)
{
    // qsort is not given a null array, as an empty set has.
    if (zips->used < 2)
        return;
    qsort(zips->entries, (size_t)zips->used, zips->entry_bytes, by_zip_code);
    reindex(zips);
}

void empty_outside_zips(OutsideZips *zips)
{
    zips->used = 0;
    if (zips->slots)
        memset(zips->slots, 0, (size_t)(2 * zips->room) * sizeof(int32_t));
}

void limit_outside_zips(int32_t limit)
{
    zip_limit = limit;
}
