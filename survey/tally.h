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

struct TallyResult {
    int32_t counts[ZIP_SLOTS];  // per zip index
    int32_t total;              // every matching record, located or not
    // Per zip index, the records that pass the demographic filters whatever
    // they answered: the base a count is a share of.
    int32_t bases[ZIP_SLOTS];
    int32_t records;  // every record the count went over
};

// The query.  Question fields: all 35 zeroed, then one set.
void set_question_answer(int field, int32_t code);
void set_demographic_filter(int filter, int32_t code);  // filter 0..9
void get_demographic_filters(int32_t codes[DEMOGRAPHIC_FIELDS]);
void set_demographic_filters(const int32_t codes[DEMOGRAPHIC_FIELDS]);
const TallyQuery *tally_query(void);

// The result of the last count.
const TallyResult *tally_result(void);
void clear_tally(void);
// Adds every matching record of the store to the result, and every record
// that passes the demographic filters to its zip's base, in one pass.  A
// record whose zip lies outside 77000..77598 has no count or base slot and
// counts in total only.
void tally_records(void);
