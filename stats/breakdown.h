// What and who: how the respondents in a scope divide over every answer
// of a question, or how one answer's share differs between the groups of
// a Demographics list, with how sure each share is and whether the groups
// differ.  The Breakdown panel and quorvel-counts --by show these.
#pragma once

#include <stdint.h>

#include "survey/catalogue.h"
#include "survey/demographics.h"
#include "survey/tally.h"

enum {
    BY_ANSWERS = -1,                          // no groups: the answers among all respondents
    CROSSTAB_OTHER = MAX_ANSWERS,             // the answer slot of codes no answer has
    CROSSTAB_ANSWERS = MAX_ANSWERS + 1,
    CROSSTAB_GROUPS = MAX_DEMOGRAPHIC_CHOICES,  // list positions; 0 holds codes no group has
    BREAKDOWN_ROWS = CROSSTAB_ANSWERS           // the answers and "(other codes)", or "All" and the groups
};
static_assert(BREAKDOWN_ROWS >= CROSSTAB_ANSWERS && BREAKDOWN_ROWS >= CROSSTAB_GROUPS,
              "a row for every answer and the other codes, and for All and every group");

// Whose answers are counted and how they are grouped.
struct BreakdownScope {
    int32_t filters[DEMOGRAPHIC_FIELDS];  // as the tally's: 0 accepts any code
    int32_t zip_code;                     // 0: every zip code
    int by;                               // a Demographics list 0..9, or BY_ANSWERS
};

// One question's respondents in a scope, per group (the list position of
// their code) and answer (its position, CROSSTAB_OTHER for other codes).
struct Crosstab {
    int32_t cells[CROSSTAB_GROUPS][CROSSTAB_ANSWERS];
};

// One pass over the record store for one question; 1, or 0 (the table
// empty) for a question or a list the catalogue lacks.
int count_crosstab(const BreakdownScope *scope, int question, Crosstab *table);
// One pass over the record store for every question at once; 1 or 0 as
// above.  survey_crosstab then gives each question's table: 1, or 0 (the
// table empty) outside the catalogue.
int count_survey_crosstabs(const BreakdownScope *scope);
int survey_crosstab(int question, Crosstab *table);

enum BreakdownRowKind { ROW_ANSWER, ROW_OTHER_CODES, ROW_ALL, ROW_GROUP };

struct BreakdownRow {
    int kind;      // BreakdownRowKind
    int position;  // the answer's position in the question, or the group's in its list
    int32_t respondents;
    int32_t matching;
    // Percents as shown; meaningful only with respondents.
    float share;       // matching of respondents
    float low, high;   // the share's 95% Wilson interval
    float difference;  // a group's share minus the All row's as shown, in points
    int compared;      // a group's Comparison with the All row; COMPARED_NONE otherwise
    int few;           // respondents under FEW_RESPONDENTS
};

struct Breakdown {
    BreakdownScope scope;
    int question;
    int answer;  // the current answer's position, or CROSSTAB_OTHER: what a list's rows count
    int row_count;
    BreakdownRow rows[BREAKDOWN_ROWS];
    // Pearson's test of independence over the answers by the groups.
    int tested;  // 0: fewer than two groups or two answers with respondents
    double chi_square;
    int df;
    double p_value;
    int sparse;  // expected counts too small for the test's p-value to hold
};

// The rows of a counted table.  By answers: a row per answer of the
// question in catalogue order, and "(other codes)" when any respondent
// holds another code.  By a list: the "All" row and a row per group in
// list order, for the answer at `answer`.  0 (no rows) for a question or
// list the catalogue lacks.
int make_breakdown(const BreakdownScope *scope, int question, int answer, const Crosstab *table,
                   Breakdown *breakdown);
