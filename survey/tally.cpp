#include "survey/tally.h"

#include <stdlib.h>
#include <string.h>

namespace {

TallyQuery query;
TallyResult result;

// The outside zip codes of the count, and an open-addressing index of
// them: slot -> position + 1, 0 for free, with twice as many slots as
// there is room for zips, so a probe soon ends.  Both grow as needed, so
// no zip code is dropped however many the data holds.
OutsideZip *outside_zips;
int32_t outside_used;
int32_t outside_room;
int32_t *outside_slots;
int32_t outside_limit;

uint32_t slot_of(int32_t zip_code, int32_t slot_count)
{
    return ((uint32_t)zip_code * 2654435761u) & (uint32_t)(slot_count - 1);
}

void index_outside_zip(int32_t position)
{
    int32_t slot_count = 2 * outside_room;
    uint32_t slot = slot_of(outside_zips[position].zip_code, slot_count);
    while (outside_slots[slot] != 0)
        slot = (slot + 1) & (uint32_t)(slot_count - 1);
    outside_slots[slot] = position + 1;
}

// Room for twice as many outside zips, or for the first 16; 1 or 0.
int grow_outside_zips(void)
{
    int32_t room = outside_room == 0 ? 16 : 2 * outside_room;
    if (room > INT32_MAX / 4)
        return 0;
    OutsideZip *zips = (OutsideZip *)realloc(outside_zips, (size_t)room * sizeof(OutsideZip));
    if (!zips)
        return 0;
    outside_zips = zips;
    int32_t *slots = (int32_t *)calloc((size_t)(2 * room), sizeof(int32_t));
    if (!slots)
        return 0;
    free(outside_slots);
    outside_slots = slots;
    outside_room = room;
    for (int32_t p = 0; p < outside_used; p++)
        index_outside_zip(p);
    return 1;
}

// The zip code's entry, made when it is new; null when no memory is left.
OutsideZip *outside_zip(int32_t zip_code)
{
    if (outside_room > 0) {
        int32_t slot_count = 2 * outside_room;
        for (uint32_t slot = slot_of(zip_code, slot_count); outside_slots[slot] != 0;
             slot = (slot + 1) & (uint32_t)(slot_count - 1)) {
            OutsideZip *zip = &outside_zips[outside_slots[slot] - 1];
            if (zip->zip_code == zip_code)
                return zip;
        }
    }
    if (outside_limit > 0 && outside_used >= outside_limit)
        return nullptr;
    if (outside_used == outside_room && !grow_outside_zips())
        return nullptr;
    OutsideZip *zip = &outside_zips[outside_used];
    zip->zip_code = zip_code;
    zip->base = 0;
    zip->count = 0;
    index_outside_zip(outside_used++);
    return zip;
}

int by_zip_code(const void *a, const void *b)
{
    int32_t x = ((const OutsideZip *)a)->zip_code, y = ((const OutsideZip *)b)->zip_code;
    return (x > y) - (x < y);
}

}  // namespace

void set_question_answer(int field, int32_t code)
{
    // Only a question field can be set; the zip code is what counts are
    // grouped by, never a condition.
    if (field < 0 || field >= QUESTION_FIELDS || field == Q32)
        return;
    for (int i = 0; i < QUESTION_FIELDS; i++)
        query.field[i] = 0;
    query.field[field] = code;
}

void set_demographic_filter(int filter, int32_t code)
{
    if (filter < 0 || filter >= DEMOGRAPHIC_FIELDS)
        return;
    query.field[FIRST_DEMOGRAPHIC_FIELD + filter] = code;
}

void get_demographic_filters(int32_t codes[DEMOGRAPHIC_FIELDS])
{
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        codes[i] = query.field[FIRST_DEMOGRAPHIC_FIELD + i];
}

void set_demographic_filters(const int32_t codes[DEMOGRAPHIC_FIELDS])
{
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        query.field[FIRST_DEMOGRAPHIC_FIELD + i] = codes[i];
}

const TallyQuery *tally_query(void)
{
    return &query;
}

const TallyResult *tally_result(void)
{
    return &result;
}

void clear_tally(void)
{
    memset(&result, 0, sizeof result);
    outside_used = 0;
    if (outside_slots)
        memset(outside_slots, 0, (size_t)(2 * outside_room) * sizeof(int32_t));
}

void limit_outside_zips(int32_t limit)
{
    outside_limit = limit;
}

void tally_records(void)
{
    // The query rarely constrains more than a few fields: list them once,
    // the demographic ones first, so each record is checked against those
    // alone and the base is known before the question is looked at.
    int active_field[RECORD_FIELDS];
    int32_t active_code[RECORD_FIELDS];
    int active = 0;
    for (int j = FIRST_DEMOGRAPHIC_FIELD; j < RECORD_FIELDS; j++) {
        if (query.field[j] != 0) {
            active_field[active] = j;
            active_code[active] = query.field[j];
            active++;
        }
    }
    int demographic_active = active;
    for (int j = 0; j < FIRST_DEMOGRAPHIC_FIELD; j++) {
        if (j != Q32 && query.field[j] != 0) {
            active_field[active] = j;
            active_code[active] = query.field[j];
            active++;
        }
    }

    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    int32_t total = result.total;
    int32_t filtered = result.filtered;
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        int k = 0;
        while (k < demographic_active && fields[active_field[k]] == active_code[k])
            k++;
        if (k < demographic_active)
            continue;
        filtered++;
        // Unsigned wrap-around turns every zip below 77000 into a huge index,
        // so one comparison keeps writes inside counts and bases.
        uint32_t zip_index = (uint32_t)fields[Q32] - (uint32_t)ZIP_BASE;
        int in_range = zip_index < (uint32_t)ZIP_SLOTS;
        OutsideZip *outside = nullptr;
        if (in_range) {
            result.bases[zip_index]++;
        } else {
            outside = outside_zip(fields[Q32]);
            if (outside)
                outside->base++;
            else
                result.outside_lost++;
        }
        while (k < active && fields[active_field[k]] == active_code[k])
            k++;
        if (k < active)
            continue;
        total++;
        if (in_range)
            result.counts[zip_index]++;
        else if (outside)
            outside->count++;
    }
    result.total = total;
    result.filtered = filtered;
    result.records += count;

    // In numeric order for the readers; the index then follows the new
    // positions.
    if (outside_used > 1)
        qsort(outside_zips, (size_t)outside_used, sizeof(OutsideZip), by_zip_code);
    if (outside_slots)
        memset(outside_slots, 0, (size_t)(2 * outside_room) * sizeof(int32_t));
    for (int32_t p = 0; p < outside_used; p++)
        index_outside_zip(p);
    result.outside = outside_zips;
    result.outside_count = outside_used;
}
