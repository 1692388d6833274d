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

// A record whose zip code lies outside the table: rare, so the pass only
// notes it, and the records of each such zip code are added up after it.
struct OutsideRecord {
    int32_t zip_code;
    int32_t record;
};
OutsideRecord *outside_records;
int32_t outside_noted;
int32_t outside_record_room;

// The zip codes outside the table, in zip order, and one question and
// answer's lines of them, handed out by whole_survey_result.
OutsideTally *outside;
int32_t outside_used;
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

int note_outside(int32_t zip_code, int32_t record)
{
    if (outside_noted == outside_record_room) {
        int32_t room = outside_record_room ? 2 * outside_record_room : 64;
        if (room > INT32_MAX / 2 || (size_t)room > SIZE_MAX / sizeof(OutsideRecord))
            return 0;
        OutsideRecord *grown = (OutsideRecord *)realloc(outside_records, (size_t)room * sizeof(OutsideRecord));
        if (!grown)
            return 0;
        outside_records = grown;
        outside_record_room = room;
    }
    outside_records[outside_noted].zip_code = zip_code;
    outside_records[outside_noted++].record = record;
    return 1;
}

int by_zip_code(const void *a, const void *b)
{
    int32_t x = ((const OutsideRecord *)a)->zip_code, y = ((const OutsideRecord *)b)->zip_code;
    return (x > y) - (x < y);
}

// A tally per zip code outside the table from the records noted; 1 or 0.
int tally_outside(const RespondentRecord *records)
{
    qsort(outside_records, (size_t)outside_noted, sizeof(OutsideRecord), by_zip_code);
    int32_t zips = 0;
    for (int32_t n = 0; n < outside_noted; n++)
        zips += n == 0 || outside_records[n].zip_code != outside_records[n - 1].zip_code;
    if (zips == 0)
        return 1;
    if ((size_t)zips > SIZE_MAX / sizeof(OutsideTally))
        return 0;
    OutsideTally *tallies = (OutsideTally *)realloc(outside, (size_t)zips * sizeof(OutsideTally));
    if (!tallies)
        return 0;
    outside = tallies;
    OutsideZip *lines = (OutsideZip *)realloc(outside_lines, (size_t)zips * sizeof(OutsideZip));
    if (!lines)
        return 0;
    outside_lines = lines;
    for (int32_t n = 0; n < outside_noted; n++) {
        if (n == 0 || outside_records[n].zip_code != outside_records[n - 1].zip_code) {
            memset(&outside[outside_used], 0, sizeof(OutsideTally));
            outside[outside_used++].zip_code = outside_records[n].zip_code;
        }
        add_record(&outside[outside_used - 1].tally, records[outside_records[n].record].field);
    }
    return 1;
}

void clear_counts(void)
{
    memset(zips, 0, sizeof zips);
    records_counted = 0;
    filtered_count = 0;
    outside_noted = 0;
    outside_used = 0;
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
        if (zip_index < (uint32_t)ZIP_SLOTS)
            add_record(&zips[zip_index], fields);
        else if (!note_outside(fields[Q32], r))
            return fail_for_memory();
        filtered_count++;
    }
    if (!tally_outside(records))
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
