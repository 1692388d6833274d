#include "cli/counts_program.h"

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "stats/area_stats.h"
#include "stats/breakdown_text.h"
#include "stats/counts_file.h"
#include "stats/whole_survey.h"
#include "survey/catalogue.h"
#include "survey/csv_file.h"
#include "survey/data_file_kind.h"
#include "survey/data_stream.h"
#include "survey/demographics.h"
#include "survey/failure_text.h"
#include "survey/file_system.h"
#include "survey/record_file.h"

namespace {

const char usage[] =
    "usage: quorvel-counts DATA [--question Q] [--answer A] [--filter NAME=VALUE]... "
    "[--compare all|each] [--by NAME [--zip CODE]] [--output FILE]\n";

const char help[] =
    "\n"
    "Writes the counts table that File > Export Counts.. writes, for every\n"
    "question and answer of the survey, or for those chosen, as one CSV table.\n"
    "\n"
    "  DATA                a .qvd or .csv survey file\n"
    "  --question Q        a question by name (Q10 ... Q38), or all (the default)\n"
    "  --answer A          an answer of that question by code (2) or by its text\n"
    "                      as the Question panel lists it, or all (the default)\n"
    "  --filter NAME=VALUE a Demographics list and one of its texts (Sex=Female,\n"
    "                      \"Income=$1,000 - $10,000\"), or a field and a code (Q4=2);\n"
    "                      repeat it for more filters, which combine\n"
    "  --compare all|each  whether an area is above or below the average once\n"
    "                      all areas are compared together (at a 5% false\n"
    "                      discovery rate, the default) or each alone (by its\n"
    "                      95% interval); not with --by, whose groups are\n"
    "                      always compared together\n"
    "  --by NAME           writes the breakdown table instead: each answer's share\n"
    "                      among all and in each group of a Demographics list\n"
    "                      (Income, \"# of Children\", or a field such as Q8), and\n"
    "                      whether the groups differ; none: each answer among all\n"
    "  --zip CODE          limits the breakdown to the respondents of one zip code\n"
    "  --output FILE       writes the table to FILE, replacing it only when the\n"
    "                      table is complete; without it the table goes to\n"
    "                      standard output; never the data file itself\n"
    "  --help, --version\n"
    "  --                  ends the options: a DATA named -x.qvd may follow\n"
    "\n"
    "Exit status: 0 done, 1 the data could not be read or the table not\n"
    "written, 2 a wrong argument.\n";

// Appends to a message, cutting it at the buffer's end.
void append(char *text, size_t size, const char *format, ...)
{
    size_t used = strlen(text);
    if (used + 1 >= size)
        return;
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text + used, size - used, format, arguments);
    va_end(arguments);
}

int fail_with(char *error, size_t size, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(error, size, format, arguments);
    va_end(arguments);
    return 0;
}

// Names match whatever their case; the catalogue's and the lists' are ASCII.
int same_name(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b))
            return 0;
    return *a == *b;
}

// A code as typed: digits only.
int parse_code(const char *text, int32_t *code)
{
    size_t digits = strspn(text, "0123456789");
    if (digits == 0 || digits > 9 || text[digits] != '\0')
        return 0;
    *code = (int32_t)atol(text);
    return 1;
}

int find_question(const char *value, int *question, char *error, size_t size)
{
    char name[16];
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        question_name(q, name, sizeof name);
        if (same_name(value, name)) {
            *question = q;
            return 1;
        }
    }
    fail_with(error, size, "unknown question \"%s\"; the questions are ", value);
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        question_name(q, name, sizeof name);
        append(error, size, "%s, ", name);
    }
    append(error, size, "or all");
    return 0;
}

int find_answer(int question, const char *value, int *answer, char *error, size_t size)
{
    const QuestionEntry *entry = catalogue_entry(question);
    int32_t code = 0;
    int is_code = parse_code(value, &code);
    for (int a = 0; a < entry->answer_count; a++) {
        if (strcmp(value, entry->answers[a].text) == 0 || (is_code && code == entry->answers[a].code)) {
            *answer = a;
            return 1;
        }
    }
    char name[16];
    question_name(question, name, sizeof name);
    fail_with(error, size, "unknown answer \"%s\" of %s; its answers are ", value, name);
    for (int a = 0; a < entry->answer_count; a++)
        append(error, size, "%d \"%s\", ", (int)entry->answers[a].code, entry->answers[a].text);
    append(error, size, "or all");
    return 0;
}

// What names a Demographics list: "Age, Sex, ..., Veteran, or the fields
// Q1, ..., Q9".
void append_list_names(char *error, size_t size)
{
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++)
        append(error, size, "%s, ", demographic_list(n)->label);
    append(error, size, "or the fields");
    for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++)
        append(error, size, "%s %s", f ? "," : "", filter_field_name(f));
}

// --by: "none", a Demographics list's label or its field, in any case.
int find_breakdown_list(const char *value, int *by, char *error, size_t size)
{
    if (same_name(value, "none")) {
        *by = BY_ANSWERS;
        return 1;
    }
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        if (same_name(value, list->label) || same_name(value, filter_field_name(list->filter))) {
            *by = n;
            return 1;
        }
    }
    fail_with(error, size, "unknown --by \"%s\"; the names are none, ", value);
    append_list_names(error, size);
    return 0;
}

// The options that take a value, one row each.  An option that does not
// repeat is refused when given twice; --filter repeats, once per list.
enum ValueOption {
    OPTION_QUESTION, OPTION_ANSWER, OPTION_FILTER, OPTION_OUTPUT, OPTION_COMPARE, OPTION_BY, OPTION_ZIP,
    VALUE_OPTIONS
};
const struct {
    const char *name;
    int repeats;
} value_options[VALUE_OPTIONS] = {{"--question", 0}, {"--answer", 0}, {"--filter", 1}, {"--output", 0},
                                  {"--compare", 0},  {"--by", 0},     {"--zip", 0}};

const DemographicList *list_of_filter(int filter)
{
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++)
        if (demographic_list(n)->filter == filter)
            return demographic_list(n);
    return nullptr;
}

// The value option argv[*at] is, given as "--name value" or "--name=value"
// (*at then past its value, *value null when it is missing), or
// VALUE_OPTIONS for none.
int value_option(int argc, const char *const *argv, int *at, const char **value)
{
    const char *arg = argv[*at];
    for (int option = 0; option < VALUE_OPTIONS; option++) {
        size_t length = strlen(value_options[option].name);
        if (strncmp(arg, value_options[option].name, length) != 0)
            continue;
        if (arg[length] == '=') {
            *value = arg + length + 1;
        } else if (arg[length] == '\0') {
            *value = *at + 1 < argc ? argv[++*at] : nullptr;
        } else {
            continue;
        }
        if (*value && **value == '\0')
            *value = nullptr;
        return option;
    }
    return VALUE_OPTIONS;
}

// Every block of the table begins with the header, which the table has
// once, at its top.
struct BlockSink {
    CountsLineSink emit;
    void *context;
    int skip_line;
};

int pass_table_line(void *context, const char *line, size_t length)
{
    BlockSink *sink = (BlockSink *)context;
    if (sink->skip_line) {
        sink->skip_line = 0;
        return 1;
    }
    return sink->emit(sink->context, line, length);
}

// A failed write to standard output reads as one to a file.
int cant_write(void)
{
    data_stream_set_failure(DATA_CANT_WRITE);
    return 0;
}

int write_to_file(void *out, const char *line, size_t length)
{
    return fwrite(line, 1, length, (FILE *)out) == length || cant_write();
}

int report(FILE *err, const char *text)
{
    fprintf(err, "quorvel-counts: %s", text);
    return COUNTS_FAILED;
}

int run(const CountsPlan *plan, FILE *out, FILE *err)
{
    // Room for the longest path a file system takes, so none is cut.
    char text[COUNTS_ERROR_BYTES + 4096];
    const char *data = plan->data_path;
    int csv = data_file_kind(data) == DATA_FILE_CSV;
    if (csv ? !read_csv_records(data) : !read_records(data)) {
        if (csv)
            csv_failure_text(data, text, sizeof text);
        else
            file_failure_text("read_records", "record", data, text, sizeof text);
        return report(err, text);
    }
    BreakdownScope scope;
    plan_scope(plan, &scope);
    int written = plan->by == COUNTS_NO_BREAKDOWN ? count_whole_survey(plan->filters)
                                                 : count_survey_crosstabs(&scope);
    if (plan->output_path) {
        written = written && data_stream_create(plan->output_path);
        if (written && !emit_survey_table(plan, write_counts_line, nullptr)) {
            data_stream_discard();
            written = 0;
        }
        written = written && data_stream_commit();
    } else {
        written = written && emit_survey_table(plan, write_to_file, out) &&
                  (fflush(out) == 0 || cant_write());
    }
    if (!written) {
        file_failure_text("write_counts_table", "counts",
                          plan->output_path ? plan->output_path : "standard output", text, sizeof text);
        return report(err, text);
    }
    return COUNTS_DONE;
}

// A question's breakdowns from the last count_survey_crosstabs: by
// answers one, for every answer or the chosen one; by a list one for each
// answer, and for the other codes when there are any and every answer is
// asked for.
int emit_question_breakdowns(const CountsPlan *plan, int question, CountsLineSink emit, void *context)
{
    BreakdownScope scope;
    plan_scope(plan, &scope);
    Crosstab table;
    survey_crosstab(question, &table);
    Breakdown breakdown;
    if (plan->by == BY_ANSWERS) {
        make_breakdown(&scope, question, 0, &table, &breakdown);
        return emit_breakdown_lines(&breakdown, plan->answer, emit, context);
    }
    int32_t other_codes = 0;
    for (int g = 0; g < CROSSTAB_GROUPS; g++)
        other_codes += table.cells[g][CROSSTAB_OTHER];
    for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
        if (plan->answer >= 0 ? a != plan->answer : a == CROSSTAB_OTHER && other_codes == 0)
            continue;
        if (make_breakdown(&scope, question, a, &table, &breakdown) &&
            !emit_breakdown_lines(&breakdown, -1, emit, context))
            return 0;
    }
    return 1;
}

}  // namespace

void plan_scope(const CountsPlan *plan, BreakdownScope *scope)
{
    memcpy(scope->filters, plan->filters, sizeof scope->filters);
    scope->zip_code = plan->zip_code;
    scope->by = plan->by;
}

int emit_survey_table(const CountsPlan *plan, CountsLineSink emit, void *context)
{
    if (plan->by != COUNTS_NO_BREAKDOWN) {
        char header[256];  // the names are 150 bytes
        snprintf(header, sizeof header, "%s\r\n", breakdown_table_header);
        if (!emit(context, header, strlen(header)))
            return 0;
        for (int q = 0; q < CATALOGUE_SIZE; q++)
            if ((plan->question < 0 || q == plan->question) && !emit_question_breakdowns(plan, q, emit, context))
                return 0;
        return 1;
    }
    BlockSink sink = {emit, context, 0};
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        if (plan->question >= 0 && q != plan->question)
            continue;
        const QuestionEntry *entry = catalogue_entry(q);
        for (int a = 0; a < entry->answer_count; a++) {
            if (plan->answer >= 0 && a != plan->answer)
                continue;
            TallyResult result;
            whole_survey_result(q, a, &result);
            TallyQuery query = {};
            query.field[question_field(q)] = entry->answers[a].code;
            memcpy(&query.field[FIRST_DEMOGRAPHIC_FIELD], plan->filters, sizeof plan->filters);
            // A comparison refused for want of memory refuses the table.
            compare_areas(&result, plan->compare);
            if (!emit_counts_table(&query, &result, ',', pass_table_line, &sink))
                return 0;
            sink.skip_line = 1;
        }
    }
    return 1;
}

int parse_filter_setting(const char *setting, int *filter, int32_t *code, char *error, size_t size)
{
    const char *equals = strchr(setting, '=');
    char name[64];
    snprintf(name, sizeof name, "%.*s", equals ? (int)(equals - setting) : 0, setting);
    const char *value = equals ? equals + 1 : "";
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        if (!same_name(name, list->label))
            continue;
        for (int c = 0; c < list->choice_count; c++) {
            if (strcmp(value, list->texts[c]) == 0) {
                *filter = list->filter;
                *code = list->codes[c];
                return 1;
            }
        }
        fail_with(error, size, "%s has no \"%s\"; its texts are ", list->label, value);
        for (int c = 0; c < list->choice_count; c++)
            append(error, size, "%s\"%s\"", c ? ", " : "", list->texts[c]);
        return 0;
    }
    for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++) {
        if (!same_name(name, filter_field_name(f)))
            continue;
        const DemographicList *list = list_of_filter(f);
        int32_t typed = 0;
        if (parse_code(value, &typed)) {
            for (int c = 0; c < list->choice_count; c++) {
                if (list->codes[c] == typed) {
                    *filter = f;
                    *code = typed;
                    return 1;
                }
            }
        }
        fail_with(error, size, "%s (%s) has no code \"%s\"; its codes are ", filter_field_name(f),
                  list->label, value);
        for (int c = 0; c < list->choice_count; c++)
            append(error, size, "%s%d \"%s\"", c ? ", " : "", (int)list->codes[c], list->texts[c]);
        return 0;
    }
    if (equals)
        fail_with(error, size, "unknown filter \"%s\"; the filters are ", name);
    else
        fail_with(error, size, "filter \"%s\" is not NAME=VALUE; the filters are ", setting);
    append_list_names(error, size);
    return 0;
}

int parse_counts_arguments(int argc, const char *const *argv, CountsPlan *plan, char *error,
                           size_t size)
{
    memset(plan, 0, sizeof *plan);
    plan->action = COUNTS_RUN;
    plan->question = -1;
    plan->answer = -1;
    plan->compare = COMPARE_TOGETHER;
    plan->by = COUNTS_NO_BREAKDOWN;
    // Asked for help, the program gives it whatever else the line holds,
    // where it stands as an option: not as an option's value, nor after
    // "--", which ends the options.
    const char *value = nullptr;
    for (int at = 1; at < argc && strcmp(argv[at], "--") != 0; at++) {
        if (strcmp(argv[at], "--help") == 0 || strcmp(argv[at], "-h") == 0) {
            plan->action = COUNTS_HELP;
            return 1;
        }
        if (strcmp(argv[at], "--version") == 0) {
            plan->action = COUNTS_VERSION;
            return 1;
        }
        value_option(argc, argv, &at, &value);
    }
    const char *given[VALUE_OPTIONS] = {};
    int filter_given[DEMOGRAPHIC_FIELDS] = {};
    int options_ended = 0;
    for (int at = 1; at < argc; at++) {
        const char *arg = argv[at];
        if (!options_ended && strcmp(arg, "--") == 0) {
            options_ended = 1;
            continue;
        }
        if (options_ended || arg[0] != '-' || arg[1] == '\0') {
            if (plan->data_path)
                return fail_with(error, size, "one data file only, not \"%s\" and \"%s\"",
                                 plan->data_path, arg);
            plan->data_path = arg;
            continue;
        }
        int option = value_option(argc, argv, &at, &value);
        if (option == VALUE_OPTIONS)
            return fail_with(error, size, "unknown option \"%s\"", arg);
        const char *name = value_options[option].name;
        if (!value)
            return fail_with(error, size, "%s needs a value", name);
        if (given[option] && !value_options[option].repeats)
            return fail_with(error, size, "%s is given twice", name);
        given[option] = value;
        if (option != OPTION_FILTER)
            continue;
        int filter;
        int32_t code;
        if (!parse_filter_setting(value, &filter, &code, error, size))
            return 0;
        if (filter_given[filter]++)
            return fail_with(error, size, "the %s filter is given twice", list_of_filter(filter)->label);
        plan->filters[filter] = code;
    }
    const char *question = given[OPTION_QUESTION], *answer = given[OPTION_ANSWER];
    const char *by = given[OPTION_BY], *zip = given[OPTION_ZIP];
    plan->output_path = given[OPTION_OUTPUT];
    if (!plan->data_path)
        return fail_with(error, size, "no data file given");
    if (data_file_kind(plan->data_path) == DATA_FILE_OTHER)
        return fail_with(error, size, "the data file \"%s\" is neither .qvd nor .csv", plan->data_path);
    // Writing the table over the data would leave the user no copy of it.
    if (plan->output_path && file_same(plan->data_path, plan->output_path))
        return fail_with(error, size, "--output names the data file %s; choose another file",
                         plan->data_path);
    const char *compare = given[OPTION_COMPARE];
    if (compare && !same_name(compare, "all")) {
        if (!same_name(compare, "each"))
            return fail_with(error, size, "--compare is all or each, not \"%s\"", compare);
        plan->compare = COMPARE_ALONE;
    }
    if (question && !same_name(question, "all") && !find_question(question, &plan->question, error, size))
        return 0;
    if (answer && !same_name(answer, "all")) {
        if (plan->question < 0)
            return fail_with(error, size, "--answer needs --question: an answer belongs to one question");
        if (!find_answer(plan->question, answer, &plan->answer, error, size))
            return 0;
    }
    if (by && !find_breakdown_list(by, &plan->by, error, size))
        return 0;
    if (by && compare)
        return fail_with(error, size, "--compare applies to the areas table; --by compares the groups together");
    if (zip) {
        if (!by)
            return fail_with(error, size, "--zip needs --by: it limits the breakdown to one zip code");
        if (strlen(zip) != 5 || !parse_code(zip, &plan->zip_code) || plan->zip_code == 0)
            return fail_with(error, size, "--zip \"%s\" is not a zip code of five digits, as 77004", zip);
    }
    return 1;
}

int counts_program(int argc, const char *const *argv, FILE *out, FILE *err)
{
    CountsPlan plan;
    char error[COUNTS_ERROR_BYTES];
    if (!parse_counts_arguments(argc, argv, &plan, error, sizeof error)) {
        fprintf(err, "quorvel-counts: %s\n%s", error, usage);
        return COUNTS_WRONG_ARGUMENT;
    }
    if (plan.action == COUNTS_HELP)
        fprintf(out, "%s%s", usage, help);
    else if (plan.action == COUNTS_VERSION)
        fprintf(out, "quorvel-counts 1.0 beta\n");
    else
        return run(&plan, out, err);
    return fflush(out) == 0 ? COUNTS_DONE : COUNTS_FAILED;
}
