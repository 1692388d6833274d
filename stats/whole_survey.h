// Every question's answer counts per zip, from one pass over the records:
// what the tally gives for one question and answer, for all 34 questions
// and all their answers at once.
#pragma once

#include "survey/tally.h"

// One pass over the record store: each record that passes the demographic
// filters (0 for "All") adds to its zip's base and, for every question, to
// the count of its answer in its zip.  A zip code outside 77000..77598 is
// counted under its own code, as the tally does.  1, or 0 when memory for
// those zip codes ran out (DATA_NO_MEMORY); the counts are then empty.
int count_whole_survey(const int32_t filters[DEMOGRAPHIC_FIELDS]);

// The result tally_records gives for the catalogue question at `question`
// answered with its answer at position `answer`, under the filters of the
// last whole count.  Its outside zip codes stay valid until the next call.
// 1, or 0 for a question or answer the catalogue lacks.
int whole_survey_result(int question, int answer, TallyResult *result);
