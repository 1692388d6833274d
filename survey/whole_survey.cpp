#include "survey/whole_survey.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "survey/catalogue.h"
#include "survey/data_stream.h"

namespace {

enum {
    ANSWER_SLOTS = MAX_ANSWERS + 1,  // the question's answers, then every other code
    OTHER_ANSWER = MAX_ANSWERS,
    LOOKED_UP_CODES = 128            // every catalogue code is below this
};

// One zip's base and, per question, the count of each of its answers.  A
// record adds to one block of these alone, so its 34 counts stay in cache.
struct ZipTally {
    int32_t base;
    int32_t answers[CATALOGUE_SIZE][ANSWER_SLOTS];
};

struct OutsideTally {
    int32_t zip_code;
    ZipTally tally;
};

ZipTally zips[ZIP_SLOTS];
int32_t records_counted;
int32_t filtered_count;

// Per question, answer code -> its position in the question's list, or
// OTHER_ANSWER for a code the list lacks; codes are small but not dense
// (9 and 99 mean no answer).
uint8_t answer_slot[CATALOGUE_SIZE][LOOKED_UP_CODES];
int8_t asked_field[CATALOGUE_SIZE];
int slots_built;

// Zip codes outside the table, in the order met and, after a count, in
// zip order; found through an open-addressing index of twice their room
// (slot -> position + 1, 0 for free).
OutsideTally *outside;
int32_t outside_used;
int32_t outside_room;
int32_t *outside_index;
// One question and answer's lines of them, handed out by
// whole_survey_result.
OutsideZip *outside_lines;

void build_slots(void)
{
    memset(answer_slot, OTHER_ANSWER, sizeof answer_slot);
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        const QuestionEntry *entry = catalogue_entry(q);
        for (int a = 0; a < entry->answer_count; a++)
            answer_slot[q][entry->answers[a].code] = (uint8_t)a;
        asked_field[q] = (int8_t)question_field(q);
    }
    slots_built = 1;
}

uint32_t index_slot(int32_t zip_code)
{
    return ((uint32_t)zip_code * 2654435761u) & (uint32_t)(2 * outside_room - 1);
}

void index_position(int32_t position)
{
    uint32_t slot = index_slot(outside[position].zip_code);
    while (outside_index[slot] != 0)
        slot = (slot + 1) & (uint32_t)(2 * outside_room - 1);
    outside_index[slot] = position + 1;
}

// Twice the room (16 at first), the index rebuilt for it; 1 or 0.
int grow_outside(void)
{
    int32_t room = outside_room ? 2 * outside_room : 16;
    if (room > INT32_MAX / 4 || (size_t)room > SIZE_MAX / sizeof(OutsideTally))
        return 0;
    OutsideTally *grown = (OutsideTally *)realloc(outside, (size_t)room * sizeof(OutsideTally));
    if (!grown)
        return 0;
    outside = grown;
    int32_t *index = (int32_t *)calloc((size_t)(2 * room), sizeof(int32_t));
    if (!index)
        return 0;
    free(outside_index);
    outside_index = index;
    outside_room = room;
    for (int32_t p = 0; p < outside_used; p++)
        index_position(p);
    return 1;
}

// The tally of a zip code outside the table, begun when it is new; null
// when no memory is left for it.
ZipTally *outside_tally(int32_t zip_code)
{
    if (outside_room > 0)
        for (uint32_t slot = index_slot(zip_code); outside_index[slot] != 0;
             slot = (slot + 1) & (uint32_t)(2 * outside_room - 1))
            if (outside[outside_index[slot] - 1].zip_code == zip_code)
                return &outside[outside_index[slot] - 1].tally;
    if (outside_used == outside_room && !grow_outside())
        return nullptr;
    OutsideTally *entry = &outside[outside_used];
    memset(entry, 0, sizeof *entry);
    entry->zip_code = zip_code;
    index_position(outside_used++);
    return &entry->tally;
}

int by_zip_code(const void *a, const void *b)
{
    int32_t x = ((const OutsideTally *)a)->zip_code, y = ((const OutsideTally *)b)->zip_code;
    return (x > y) - (x < y);
}

void clear_counts(void)
{
    memset(zips, 0, sizeof zips);
    records_counted = 0;
    filtered_count = 0;
    outside_used = 0;
    if (outside_index)
        memset(outside_index, 0, (size_t)(2 * outside_room) * sizeof(int32_t));
}

int fail_for_memory(void)
{
    clear_counts();
    data_stream_set_failure(DATA_NO_MEMORY);
    return 0;
}

}  // namespace

int count_whole_survey(const int32_t filters[DEMOGRAPHIC_FIELDS])
{
    if (!slots_built)
        build_slots();
    clear_counts();
    int filter_field[DEMOGRAPHIC_FIELDS];
    int32_t filter_code[DEMOGRAPHIC_FIELDS];
    int active = 0;
    for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++) {
        if (filters[f] != 0) {
            filter_field[active] = FIRST_DEMOGRAPHIC_FIELD + f;
            filter_code[active++] = filters[f];
        }
    }

    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        int k = 0;
        while (k < active && fields[filter_field[k]] == filter_code[k])
            k++;
        if (k < active)
            continue;
        // Below 77000 the unsigned difference wraps to a huge index.
        uint32_t zip_index = (uint32_t)fields[Q32] - (uint32_t)ZIP_BASE;
        ZipTally *zip = zip_index < (uint32_t)ZIP_SLOTS ? &zips[zip_index] : outside_tally(fields[Q32]);
        if (!zip)
            return fail_for_memory();
        zip->base++;
        for (int q = 0; q < CATALOGUE_SIZE; q++) {
            uint32_t code = (uint32_t)fields[asked_field[q]];
            zip->answers[q][code < LOOKED_UP_CODES ? answer_slot[q][code] : (uint8_t)OTHER_ANSWER]++;
        }
        filtered_count++;
    }
    records_counted = count;

    if (outside_used > 1)
        qsort(outside, (size_t)outside_used, sizeof(OutsideTally), by_zip_code);
    if (outside_used > 0) {
        OutsideZip *lines = (OutsideZip *)realloc(outside_lines, (size_t)outside_used * sizeof(OutsideZip));
        if (!lines)
            return fail_for_memory();
        outside_lines = lines;
    }
    return 1;
}

int whole_survey_result(int question, int answer, TallyResult *result)
{
    const QuestionEntry *entry = catalogue_entry(question);
    if (!entry || answer < 0 || answer >= entry->answer_count)
        return 0;
    memset(result, 0, sizeof *result);
    int32_t total = 0;
    for (int i = 0; i < ZIP_SLOTS; i++) {
        result->counts[i] = zips[i].answers[question][answer];
        result->bases[i] = zips[i].base;
        total += result->counts[i];
    }
    for (int32_t p = 0; p < outside_used; p++) {
        const OutsideTally &zip = outside[p];
        outside_lines[p].zip_code = zip.zip_code;
        outside_lines[p].base = zip.tally.base;
        outside_lines[p].count = zip.tally.answers[question][answer];
        total += outside_lines[p].count;
    }
    result->total = total;
    result->records = records_counted;
    result->filtered = filtered_count;
    result->outside = outside_lines;
    result->outside_count = outside_used;
    return 1;
}
