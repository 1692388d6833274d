#include "survey/tally.h"

#include <string.h>

#include "survey/outside_zips.h"

namespace {

TallyQuery query;
TallyResult result;
uint32_t last_serial;

// The zip codes outside the table, with their bases and counts.
OutsideZips outside_zips = {sizeof(OutsideZip), nullptr, 0, 0, nullptr};

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

uint32_t new_count_serial(void)
{
    // After four billion counts it wraps, past 0, which marks a result
    // made by hand.
    if (++last_serial == 0)
        last_serial = 1;
    return last_serial;
}

void clear_tally(void)
{
    memset(&result, 0, sizeof result);
    empty_outside_zips(&outside_zips);
}

void list_filter_conditions(const int32_t filters[DEMOGRAPHIC_FIELDS], RecordConditions *conditions)
{
    conditions->count = 0;
    for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++)
        if (filters[f] != 0)
            add_condition(conditions, FIRST_DEMOGRAPHIC_FIELD + f, filters[f]);
}

void add_condition(RecordConditions *conditions, int field, int32_t code)
{
    if (conditions->count >= RECORD_FIELDS)
        return;
    conditions->field[conditions->count] = field;
    conditions->code[conditions->count++] = code;
}

int tally_records(void)
{
    // The demographic conditions first, so the base is known before the
    // question is looked at.
    RecordConditions conditions;
    list_filter_conditions(&query.field[FIRST_DEMOGRAPHIC_FIELD], &conditions);
    int demographic_active = conditions.count;
    for (int j = 0; j < FIRST_DEMOGRAPHIC_FIELD; j++)
        if (j != Q32 && query.field[j] != 0)
            add_condition(&conditions, j, query.field[j]);
    int active = conditions.count;

    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    int32_t total = result.total;
    int32_t filtered = result.filtered;
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (!record_meets(&conditions, fields, 0, demographic_active))
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
            outside = (OutsideZip *)outside_zip_entry(&outside_zips, fields[Q32]);
            if (!outside) {
                int32_t records_before = result.records;
                clear_tally();
                result.records = records_before + count;
                result.refused = 1;
                result.serial = new_count_serial();
                return 0;
            }
            outside->base++;
        }
        if (!record_meets(&conditions, fields, demographic_active, active))
            continue;
        total++;
        if (in_range)
            result.counts[zip_index]++;
        else
            outside->count++;
    }
    result.total = total;
    result.filtered = filtered;
    result.records += count;

    // In numeric order for the readers.
    sort_outside_zips(&outside_zips);
    result.outside = outside_zips.used > 0 ? (const OutsideZip *)outside_zip_at(&outside_zips, 0) : nullptr;
    result.outside_count = outside_zips.used;
    result.serial = new_count_serial();
    return 1;
}
