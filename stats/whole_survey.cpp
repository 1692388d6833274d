#include "stats/whole_survey.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "survey/catalogue.h"
#include "survey/data_stream.h"
#include "survey/outside_zips.h"

namespace {

// The question's answers, then every other code (the lookup's MAX_ANSWERS).
enum { ANSWER_SLOTS = MAX_ANSWERS + 1 };

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

// The zip codes outside the table, each with its own tally, and one
// question and answer's lines of them, handed out by whole_survey_result.
OutsideZips outside = {sizeof(OutsideTally), nullptr, 0, 0, nullptr};
OutsideZip *outside_lines;

void add_record(const AnswerLookup *lookup, ZipTally *zip, const int32_t *fields)
{
    zip->base++;
    for (int q = 0; q < CATALOGUE_SIZE; q++)
        zip->answers[q][looked_up_answer(lookup, q, fields[lookup->field[q]])]++;
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
    clear_counts();
    const AnswerLookup *lookup = answer_lookup();
    RecordConditions conditions;
    list_filter_conditions(filters, &conditions);
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (!record_meets(&conditions, fields, 0, conditions.count))
            continue;
        // Below 77000 the unsigned difference wraps to a huge index.
        uint32_t zip_index = (uint32_t)fields[Q32] - (uint32_t)ZIP_BASE;
        if (zip_index < (uint32_t)ZIP_SLOTS) {
            add_record(lookup, &zips[zip_index], fields);
        } else {
            OutsideTally *zip = (OutsideTally *)outside_zip_entry(&outside, fields[Q32]);
            if (!zip)
                return fail_for_memory();
            add_record(lookup, &zip->tally, fields);
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
    result->serial = new_count_serial();
    return 1;
}
