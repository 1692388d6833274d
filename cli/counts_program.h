// quorvel-counts: the counts table of every question and answer, or of a
// chosen question or answer, under a set of demographic filters, from the
// command line; or their breakdown by a Demographics list.  All of it but
// the entry point lives here, on the core alone, so it is the same program
// on Windows and on Linux, and the tests run it in-process.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "stats/breakdown.h"
#include "stats/counts_file.h"
#include "survey/tally.h"

// Exit statuses.
enum { COUNTS_DONE = 0, COUNTS_FAILED = 1, COUNTS_WRONG_ARGUMENT = 2 };

enum CountsAction { COUNTS_RUN, COUNTS_HELP, COUNTS_VERSION };

enum { COUNTS_ERROR_BYTES = 2048 };  // room for a message with every valid name

enum { COUNTS_NO_BREAKDOWN = -2 };  // the counts table rather than a breakdown

struct CountsPlan {
    int action;  // CountsAction
    const char *data_path;
    const char *output_path;  // null for standard output
    int question;             // catalogue index, -1 for every question
    int answer;               // position in the question's answers, -1 for every answer
    int32_t filters[DEMOGRAPHIC_FIELDS];  // 0 for "All"
    int compare;                          // CompareMode of the areas
    int by;            // --by: a Demographics list, BY_ANSWERS, or COUNTS_NO_BREAKDOWN
    int32_t zip_code;  // --zip, 0 for every zip code
};

// The arguments (argv[0] is the program's name) as a plan; 1, or 0 with
// the reason, naming what would have been valid, in `error`.  Question
// names ("Q10"), filter labels and field names match whatever their case;
// answer and list texts match exactly.
int parse_counts_arguments(int argc, const char *const *argv, CountsPlan *plan, char *error,
                           size_t size);

// One filter, split at its first '=': a Demographics list's label and one
// of its texts ("Sex=Female", "Income=$1,000 - $10,000"), or the field and
// a code of the list ("Q4=2").  "All" and code 0 set no constraint.  1 with
// the filter (0..9) and its code, or 0 with the reason in `error`.
int parse_filter_setting(const char *setting, int *filter, int32_t *code, char *error,
                         size_t size);

// The table of the plan's questions and answers under its filters: the
// header once, then a block of lines per question and answer in catalogue
// order.  Without --by, from the last count_whole_survey, each block the
// lines Export Counts writes for it with the areas compared as the plan
// says; with --by, from the last count_survey_crosstabs, each block the
// breakdown's lines (by answers, a line per answer of the question).
// Handed out as emit_counts_table does; 1, or 0 as soon as `emit` returns 0.
int emit_survey_table(const CountsPlan *plan, CountsLineSink emit, void *context);
// The scope of a breakdown the plan asks for.
void plan_scope(const CountsPlan *plan, BreakdownScope *scope);

// The whole program: the table, the help or the version to `out` (the
// table to the --output file instead when one is named), messages to
// `err`.  Returns the exit status.  A wrong argument or unreadable data
// writes nothing, and the --output file is replaced only whole; `out`
// keeps whatever it took before a write to it failed.
int counts_program(int argc, const char *const *argv, FILE *out, FILE *err);
