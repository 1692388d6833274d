#include "stats/whole_survey.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "survey/catalogue.h"
#include "survey/data_stream.h"
#include "survey/outside_zips.h"

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

// The zip codes outside the table, each with its own tally, and one
// question and answer's lines of them, handed out by whole_survey_result.
OutsideZips outside = {sizeof(OutsideTally), nullptr, 0, 0, nullptr};
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

void add_record(ZipTally *zip, const int32_t *fields)
{
    zip->base++;
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        uint32_t code = (uint32_t)fields[asked_field[q]];
        zip->answers[q][code < LOOKED_UP_CODES ? answer_slot[q][code] : (uint8_t)OTHER_ANSWER]++;
    }
}

// Room for one line per outside zip code; 1 or 0.
int make_outside_lines(void)
{
    if (outside.used == 0)
        return 1;
    if ((size_t)outside.used > SIZE_MAX / sizeof(OutsideZip))
        return 0;
    OutsideZip *lines = (OutsideZip *)realloc(outside_lines, (size_t)outside.used * sizeof(OutsideZip));
    if (!lines)
        return 0;
    outside_lines = lines;
    return 1;
}

void clear_counts(void)
{
    memset(zips, 0, sizeof zips);
    records_counted = 0;
    filtered_count = 0;
    empty_outside_zips(&outside);
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
        if (zip_index < (uint32_t)ZIP_SLOTS) {
            add_record(&zips[zip_index], fields);
        } else {
            OutsideTally *zip = (OutsideTally *)outside_zip_entry(&outside, fields[Q32]);
            if (!zip)
                return fail_for_memory();
            add_record(&zip->tally, fields);
        }
        filtered_count++;
    }
    sort_outside_zips(&outside);
    if (!make_outside_lines())
        return fail_for_memory();
    records_counted = count;
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
    for (int32_t p = 0; p < outside.used; p++) {
        const OutsideTally &zip = *(const OutsideTally *)outside_zip_at(&outside, p);
        outside_lines[p].zip_code = zip.zip_code;
        outside_lines[p].base = zip.tally.base;
        outside_lines[p].count = zip.tally.answers[question][answer];
        total += outside_lines[p].count;
    }
    result->total = total;
    result->records = records_counted;
    result->filtered = filtered_count;
    result->outside = outside.used > 0 ? outside_lines : nullptr;
    result->outside_count = outside.used;
    return 1;
}
