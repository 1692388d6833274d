#include "survey/tally.h"

#include <string.h>

namespace {

TallyQuery query;
TallyResult result;

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
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        int k = 0;
        while (k < demographic_active && fields[active_field[k]] == active_code[k])
            k++;
        if (k < demographic_active)
            continue;
        // Unsigned wrap-around turns every zip below 77000 into a huge index,
        // so one comparison keeps writes inside counts and bases.
        uint32_t zip_index = (uint32_t)fields[Q32] - (uint32_t)ZIP_BASE;
        int in_range = zip_index < (uint32_t)ZIP_SLOTS;
        if (in_range)
            result.bases[zip_index]++;
        while (k < active && fields[active_field[k]] == active_code[k])
            k++;
        if (k < active)
            continue;
        total++;
        if (in_range)
            result.counts[zip_index]++;
    }
    result.total = total;
    result.records += count;
}
