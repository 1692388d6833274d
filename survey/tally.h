// The tally engine: counts the records matching the current query per zip.
#pragma once

#include "survey/records.h"

enum {
    QUESTION_FIELDS = 35,      // query fields 0..34, set by the Question panel
    DEMOGRAPHIC_FIELDS = 10,   // query fields 35..44, the demographic filter
    FIRST_DEMOGRAPHIC_FIELD = 35
};

// Same layout as a RespondentRecord: 0 accepts any value, anything else
// demands equality.  Field Q32 is never compared.
struct TallyQuery {
    int32_t field[RECORD_FIELDS];
};

// A zip code outside 77000..77598: its base and count, as for a zip index.
struct OutsideZip {
    int32_t zip_code;
    int32_t base;
    int32_t count;
};

struct TallyResult {
    int32_t counts[ZIP_SLOTS];  // per zip index
    int32_t total;              // every matching record, located or not
    // Per zip index, the records that pass the demographic filters whatever
    // they answered: the base a count is a share of.
    int32_t bases[ZIP_SLOTS];
    int32_t records;   // every record the count went over
    int32_t filtered;  // every record that passes the demographic filters
    // Each zip code outside the table held by a record that passes the
    // filters, in numeric order.  The tally owns them; they stay valid
    // until the next count.
    const OutsideZip *outside;
    int32_t outside_count;
    // 1 when memory for a zip code outside the table ran out: the count
    // was refused and holds nothing but `records`.
    int32_t refused;
    // Which count this is: no other result of the tally or the whole-survey
    // pass has the same; 0 for a result made by hand.  What is worked out
    // from a result keeps it, to tell when it is out of date.
    uint32_t serial;
};

// What a record must hold to be counted, as fields and the code each
// must hold.  A pass lists them once, rarely more than a few, and checks
// each record against those alone.
struct RecordConditions {
    int field[RECORD_FIELDS];
    int32_t code[RECORD_FIELDS];
    int count;
};
// The demographic filters in effect (0, "All", sets none), in field order.
void list_filter_conditions(const int32_t filters[DEMOGRAPHIC_FIELDS], RecordConditions *conditions);
// One more; there is room for one on every field.
void add_condition(RecordConditions *conditions, int field, int32_t code);
// 1 when the record holds the conditions from `first` up to `end`.
inline int record_meets(const RecordConditions *conditions, const int32_t *fields, int first, int end)
{
    for (int k = first; k < end; k++)
        if (fields[conditions->field[k]] != conditions->code[k])
            return 0;
    return 1;
}

// The query.  Question fields: all 35 zeroed, then one set.
void set_question_answer(int field, int32_t code);
void set_demographic_filter(int filter, int32_t code);  // filter 0..9
void get_demographic_filters(int32_t codes[DEMOGRAPHIC_FIELDS]);
void set_demographic_filters(const int32_t codes[DEMOGRAPHIC_FIELDS]);
const TallyQuery *tally_query(void);

// The result of the last count.
const TallyResult *tally_result(void);
// A serial no count has had yet, for a result just made.
uint32_t new_count_serial(void);
void clear_tally(void);
// Adds every matching record of the store to the result, and every record
// that passes the demographic filters to its zip's base, in one pass.  A
// zip code outside 77000..77598 gets its base and count in `outside`.
// 1, or 0 when memory for those zip codes ran out: then the count is
// refused whole (`refused`), never given with a zip code missing.
int tally_records(void);
