// quorvel-counts: the one-pass count of the whole survey against the
// single-question tally, the arguments, and the program's table and
// failures.
#include "cli/counts_program.h"

#include "stats/area_stats.h"
#include "stats/breakdown_text.h"
#include "stats/whole_survey.h"
#include "survey/catalogue.h"
#include "survey/data_stream.h"
#include "survey/demographics.h"
#include "survey/record_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string sample = std::string(QUORVEL_SOURCE_DIR) + "/data/samples/sample-survey.qvd";
typedef std::vector<const char *> Args;

// The tally of one question's answer, as the window counts and compares it.
const TallyResult *tally_of(int question, int answer, const int32_t filters[DEMOGRAPHIC_FIELDS])
{
    set_question_answer(question_field(question), catalogue_entry(question)->answers[answer].code);
    set_demographic_filters(filters);
    clear_tally();
    tally_records();
    compare_areas(tally_result(), COMPARE_TOGETHER);
    return tally_result();
}

TEST(WholeSurvey, EveryAnswerCountsAsTheSingleQuestionTally)
{
    // Catalogue codes and codes no list has; zip codes in the table, and
    // on both sides of it and extreme in more records than first find room.
    const int32_t codes[] = {1, 1, 1, 2, 2, 2, 3, 4, 5, 6, 9, 10, 11, 12, 99, 0, -3, 55, 127, 128, 1000};
    const int32_t odd_zips[] = {INT32_MIN, -1, 0, 75201, 99999, INT32_MAX};
    std::mt19937 random(7);
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, 3000));
    for (int r = 0; r < 3000; r++) {
        RespondentRecord *record = buffer_append(&buffer);
        for (int32_t &field : record->field)
            field = codes[random() % (sizeof codes / sizeof codes[0])];
        record->field[Q32] = r % 50 == 0 ? odd_zips[r / 50 % 6] : 76990 + (int32_t)(random() % 620);
    }
    store_replace(&buffer);
    const int32_t none[DEMOGRAPHIC_FIELDS] = {};
    const int32_t two[DEMOGRAPHIC_FIELDS] = {1, 0, 0, 2};  // Age 18-29, Sex Female
    for (const int32_t *filters : {none, two}) {
        ASSERT_EQ(1, count_whole_survey(filters));
        for (int q = 0; q < CATALOGUE_SIZE; q++) {
            for (int a = 0; a < catalogue_entry(q)->answer_count; a++) {
                SCOPED_TRACE(std::to_string(q) + "/" + std::to_string(a));
                TallyResult whole;
                ASSERT_EQ(1, whole_survey_result(q, a, &whole));
                const TallyResult *one = tally_of(q, a, filters);
                EXPECT_EQ(0, memcmp(one->counts, whole.counts, sizeof whole.counts));
                EXPECT_EQ(0, memcmp(one->bases, whole.bases, sizeof whole.bases));
                EXPECT_EQ(std::make_pair(one->total, one->filtered), std::make_pair(whole.total, whole.filtered));
                EXPECT_EQ(3000, whole.records);
                ASSERT_EQ(one->outside_count, whole.outside_count);
                for (int32_t p = 0; p < whole.outside_count; p++)
                    EXPECT_EQ(0, memcmp(&one->outside[p], &whole.outside[p], sizeof(OutsideZip)));
            }
        }
        EXPECT_TRUE(filters != none || tally_result()->outside_count > 16);
    }
    TallyResult result;
    EXPECT_EQ(0, whole_survey_result(CATALOGUE_SIZE, 0, &result));
    EXPECT_EQ(0, whole_survey_result(0, catalogue_entry(0)->answer_count, &result));
    store_release();
}

TEST(CountsArguments, QuestionsAnswersAndFiltersByNameTextOrCode)
{
    const struct {
        Args args;
        int question, answer;
        std::vector<std::pair<int, int32_t>> filters;  // filter, code
        const char *output = nullptr, *data = nullptr;  // data null: the first argument
        int compare = COMPARE_TOGETHER;
        int by = COUNTS_NO_BREAKDOWN;
        int32_t zip_code = 0;
    } cases[] = {
        {{"s.qvd"}, -1, -1, {}},
        {{"S.CSV", "--question", "q34a", "--compare", "Each"}, 22, -1, {}, nullptr, nullptr, COMPARE_ALONE},
        {{"s.qvd", "--question=Q10", "--answer", "2"}, 0, 1, {}},
        {{"s.qvd", "--answer", "home or apartment of a friend or family member", "--question", "Q10"}, 0, 1, {}},
        {{"s.qvd", "--question", "Q16", "--answer=10 or more", "--output", "o.csv"}, 4, 9, {}, "o.csv"},
        {{"s.qvd", "--question", "ALL", "--answer", "all"}, -1, -1, {}},
        {{"s.qvd", "--filter", "Income=$1,000 - $10,000", "--filter", "# of children=2", "--filter=Q2=4",
          "--filter", "q4=9", "--filter", "Marital status=Living with partner", "--filter", "Age=All"},
         -1, -1, {{7, 2}, {6, 2}, {1, 4}, {3, 9}, {4, 2}}},
        // "--" ends the options, and an option's value is never one.
        {{"--", "-s.qvd"}, -1, -1, {}, nullptr, "-s.qvd"},
        {{"s.qvd", "--output", "--help"}, -1, -1, {}, "--help"},
        {{"--output", "--", "--", "-h.csv"}, -1, -1, {}, "--", "-h.csv"},
        {{"s.qvd", "--by", "income"}, -1, -1, {}, nullptr, nullptr, COMPARE_TOGETHER, 7},
        {{"s.qvd", "--by=q6a", "--zip", "77004", "--filter", "Sex=Male"}, -1, -1, {{3, 1}}, nullptr, nullptr,
         COMPARE_TOGETHER, 4, 77004},
        {{"s.qvd", "--question", "Q20", "--by", "None", "--zip=75201"}, 10, -1, {}, nullptr, nullptr,
         COMPARE_TOGETHER, BY_ANSWERS, 75201},
    };
    for (const auto &c : cases) {
        Args args = c.args;
        args.insert(args.begin(), "quorvel-counts");
        CountsPlan plan;
        char error[COUNTS_ERROR_BYTES] = "";
        EXPECT_EQ(1, parse_counts_arguments((int)args.size(), args.data(), &plan, error, sizeof error)) << error;
        EXPECT_EQ(std::make_pair(c.question, c.answer), std::make_pair(plan.question, plan.answer)) << args[1];
        int32_t filters[DEMOGRAPHIC_FIELDS] = {};
        for (const auto &filter : c.filters)
            filters[filter.first] = filter.second;
        EXPECT_EQ(0, memcmp(filters, plan.filters, sizeof filters));
        EXPECT_EQ(COUNTS_RUN, plan.action);
        EXPECT_STREQ(c.data ? c.data : c.args[0], plan.data_path);
        EXPECT_STREQ(c.output, plan.output_path);
        EXPECT_EQ(c.compare, plan.compare);
        EXPECT_EQ(std::make_pair(c.by, c.zip_code), std::make_pair(plan.by, plan.zip_code)) << args.back();
    }
}

// The counts table's filters cell is settings --filter reads back.
TEST(CountsArguments, EveryListTextOfTheFiltersCellReadsBack)
{
    int32_t codes[DEMOGRAPHIC_FIELDS] = {};
    char text[FILTER_TEXT_BYTES], error[COUNTS_ERROR_BYTES];
    format_filter_settings(codes, text, sizeof text);
    EXPECT_STREQ("all", text);
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        for (int c = 1; c < list->choice_count; c++) {
            memset(codes, 0, sizeof codes);
            codes[7] = 2;  // Income $1,000 - $10,000 beside it: commas in a text
            codes[list->filter] = list->codes[c];
            format_filter_settings(codes, text, sizeof text);
            int32_t read_back[DEMOGRAPHIC_FIELDS] = {}, code;
            std::string settings = text;
            for (size_t at = 0, end; at <= settings.size(); at = end + 2) {
                end = std::min(settings.find("; ", at), settings.size());
                int filter;
                ASSERT_EQ(1, parse_filter_setting(settings.substr(at, end - at).c_str(), &filter, &code,
                                                  error, sizeof error)) << text << ": " << error;
                read_back[filter] = code;
            }
            EXPECT_EQ(0, memcmp(codes, read_back, sizeof codes)) << text;
        }
    }
}

std::string contents(FILE *file)
{
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;)
        text += (char)c;
    fclose(file);
    return text;
}

std::string file_text(const std::string &path)
{
    std::vector<unsigned char> bytes = read_file_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs the program in-process; its exit status, and what it wrote to
// standard output and error.
int run_program(Args args, std::string *out, std::string *err, FILE *out_file = tmpfile())
{
    args.insert(args.begin(), "quorvel-counts");
    FILE *err_file = tmpfile();
    int status = counts_program((int)args.size(), args.data(), out_file, err_file);
    *out = contents(out_file);
    *err = contents(err_file);
    return status;
}

TEST(CountsProgram, TheTableIsEachAnswersExportCountsTableInCatalogueOrder)
{
    // What Export Counts writes for each question and answer under Age
    // 18-29, the header once.  No respondent of that age lives outside the
    // map, so the program's first count sorts no such zip codes.
    ASSERT_EQ(1, read_records(sample.c_str()));
    const int32_t filters[DEMOGRAPHIC_FIELDS] = {1};
    std::string expected, one_answer, out, err;
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        for (int a = 0; a < catalogue_entry(q)->answer_count; a++) {
            std::string block;
            emit_counts_table(tally_query(), tally_of(q, a, filters), ',',
                              [](void *to, const char *line, size_t length) {
                                  ((std::string *)to)->append(line, length);
                                  return 1;
                              },
                              &block);
            expected += expected.empty() ? block : block.substr(block.find('\n') + 1);
            one_answer = q == 20 && a == 0 ? block : one_answer;
        }
    }
    EXPECT_EQ(0, tally_result()->outside_count);
    std::string path = temp_path("table.csv");
    const Args whole = {sample.c_str(), "--filter", "Q1=1"};
    Args to_file = whole, chosen = whole;
    to_file.insert(to_file.end(), {"--output", path.c_str()});
    chosen.insert(chosen.end(), {"--question", "Q28", "--answer", "1"});
    const std::pair<Args, std::string> runs[] = {{to_file, ""}, {chosen, one_answer}};
    for (const auto &run : runs) {
        EXPECT_EQ(COUNTS_DONE, run_program(run.first, &out, &err));
        EXPECT_TRUE(run.second == out) << run.first.size();
        EXPECT_EQ("", err);
    }
    EXPECT_TRUE(file_text(path) == expected);
    EXPECT_EQ(COUNTS_DONE, run_program({"--version"}, &out, &err));
    EXPECT_EQ("quorvel-counts 1.0 beta\n", out);
    EXPECT_EQ(COUNTS_DONE, run_program({"--bogus=1", "--help"}, &out, &err));
    EXPECT_EQ(0u, out.find("usage: quorvel-counts DATA [--question Q] [--answer A] [--filter NAME=VALUE]..."));

#ifdef QUORVEL_COUNTS_EXE
    // The program itself writes the whole table to its standard output.
    std::string command = std::string("'") + QUORVEL_COUNTS_EXE + "' '" + sample +
                          "' --filter Q1=1 >'" + path + "'";
    EXPECT_EQ(0, system(command.c_str()));
    EXPECT_TRUE(file_text(path) == expected);
#endif
    store_release();
}

// --by: every question's and answer's breakdown, from the survey's one
// pass, as the one question's count gives it.
TEST(CountsProgram, TheBreakdownTableIsEachAnswersBreakdown)
{
    // The sample with a code no answer of Q20 has, as CSV files may hold.
    ASSERT_EQ(1, read_records(sample.c_str()));
    RespondentRecord *records = (RespondentRecord *)record_data();
    for (int32_t r = 0; r < record_count(); r += 10)
        records[r].field[Q20] = 7;
    std::string odd = temp_path("odd-codes.qvd");
    ASSERT_EQ(1, write_records(odd.c_str()));
    const struct {
        Args args;
        BreakdownScope scope;
        int question, answer;  // -1: all
    } cases[] = {
        {{"--by", "Income", "--filter", "Sex=Female"}, {{0, 0, 0, 2}, 0, 7}, -1, -1},
        {{"--by", "Q4", "--zip", "77004", "--question", "Q20", "--answer", "No"}, {{}, 77004, 1}, 10, 1},
        {{"--by", "none", "--question", "Q28"}, {{}, 0, BY_ANSWERS}, 20, -1},
    };
    auto append_line = [](void *to, const char *line, size_t length) {
        ((std::string *)to)->append(line, length);
        return 1;
    };
    for (const auto &c : cases) {
        std::string expected = std::string(breakdown_table_header) + "\r\n", out, err;
        for (int q = 0; q < CATALOGUE_SIZE; q++) {
            if (c.question >= 0 && q != c.question)
                continue;
            Crosstab table;
            Breakdown breakdown;
            ASSERT_EQ(1, count_crosstab(&c.scope, q, &table));
            int32_t other_codes = 0;
            for (int g = 0; g < CROSSTAB_GROUPS; g++)
                other_codes += table.cells[g][CROSSTAB_OTHER];
            for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
                if ((c.answer >= 0 && a != c.answer) || (c.scope.by == BY_ANSWERS && a > 0) ||
                    (a >= catalogue_entry(q)->answer_count && (a != CROSSTAB_OTHER || other_codes == 0)))
                    continue;
                make_breakdown(&c.scope, q, a, &table, &breakdown);
                emit_breakdown_lines(&breakdown, c.scope.by == BY_ANSWERS ? c.answer : -1, append_line, &expected);
            }
        }
        Args args = c.args;
        args.insert(args.begin(), odd.c_str());
        EXPECT_EQ(COUNTS_DONE, run_program(args, &out, &err)) << err;
        EXPECT_TRUE(expected == out) << c.args[1];
        EXPECT_TRUE(c.question >= 0 || out.find(",(other codes),") != std::string::npos);
    }
    store_release();
}

TEST(CountsProgram, FailuresSayWhyAndWriteNothing)
{
    std::string kept = temp_path("kept.csv"), missing = temp_path("missing.qvd");
    std::string odd = temp_path("odd.qvd"), bad = temp_path("bad.csv"), out, err;
    ASSERT_TRUE(write_file_text(odd, std::string(181, '\1')) && write_file_text(bad, "header\n1,2,3\n"));
    std::string no_folder = temp_path("none") + "/t.csv";
    // The data file under other names: another spelling, a hard link, on
    // Windows another case.
    std::string dotted = test_temp_dir() + "/./kept.csv", link = temp_path("link.csv"), upper = temp_path("KEPT.CSV");
    ASSERT_TRUE(write_file_text(kept, "previous\n"));
    std::filesystem::create_hard_link(kept, link);
    auto over = [](std::string data) { return "--output names the data file " + data + "; choose another file\n"; };
    const char *q = sample.c_str();
    const struct {
        Args args;
        int status;
        std::string message;
        int fault;  // with --output kept; -1: standard output that takes no bytes
    } cases[] = {
        {{}, COUNTS_WRONG_ARGUMENT, "no data file given", 0},
        {{"a.qvd", "b.qvd"}, COUNTS_WRONG_ARGUMENT, "one data file only, not \"a.qvd\" and \"b.qvd\"", 0},
        {{"a.txt"}, COUNTS_WRONG_ARGUMENT, "the data file \"a.txt\" is neither .qvd nor .csv", 0},
        {{q, "--question", "Q13"}, COUNTS_WRONG_ARGUMENT, "unknown question \"Q13\"; the questions are Q10, Q11, "
         "Q12, Q14, Q16, Q17, Q18, Q18A, Q18B, Q19, Q20, Q21, Q22, Q23, Q26, Q27A, Q27B, Q27C, Q27D, Q27E, Q28, "
         "Q29, Q34A, Q34B, Q34C, Q34D, Q34E, Q34F, Q34G, Q34I, Q35, Q36, Q37, Q38, or all\n", 0},
        {{q, "--question", "Q10", "--answer", "Own home or apartment"}, COUNTS_WRONG_ARGUMENT,
         "unknown answer \"Own home or apartment\" of Q10; its answers are 1 \"own home or apartment\", 2 ", 0},
        {{q, "--question", "Q38", "--answer", "12"}, COUNTS_WRONG_ARGUMENT, "unknown answer \"12\" of Q38;", 0},
        {{q, "--answer", "1"}, COUNTS_WRONG_ARGUMENT, "--answer needs --question: an answer belongs to one", 0},
        {{q, "--filter", "Q10=1"}, COUNTS_WRONG_ARGUMENT, "unknown filter \"Q10\"; the filters are Age, Sex, "
         "Marital status, Children, # of Children, Race, Hispanic, Income, Education, Veteran, or the fields Q1, "
         "Q2, Q3, Q4, Q5, Q6, Q6A, Q7, Q8, Q9\n", 0},
        {{q, "--filter", "Sex"}, COUNTS_WRONG_ARGUMENT, "filter \"Sex\" is not NAME=VALUE; the filters are Age,", 0},
        {{q, "--filter", "Sex=female"}, COUNTS_WRONG_ARGUMENT,
         "Sex has no \"female\"; its texts are \"All\", \"Male\", \"Female\", \"No answer, Refused\"\n", 0},
        {{q, "--filter", "Q1=25"}, COUNTS_WRONG_ARGUMENT, "Q1 (Age) has no code \"25\"; its codes are 0 \"All\",", 0},
        {{q, "--filter", "Sex=Male", "--filter", "Q4=2"}, COUNTS_WRONG_ARGUMENT, "the Sex filter is given twice", 0},
        {{q, "--output", "a", "--output=b"}, COUNTS_WRONG_ARGUMENT, "--output is given twice", 0},
        {{q, "--question", "Q10", "--question=Q11"}, COUNTS_WRONG_ARGUMENT, "--question is given twice", 0},
        {{q, "--answer", "1", "--answer=1"}, COUNTS_WRONG_ARGUMENT, "--answer is given twice", 0},
        {{q, "--question", "--version"}, COUNTS_WRONG_ARGUMENT, "unknown question \"--version\"", 0},
        {{q, "--", "--help"}, COUNTS_WRONG_ARGUMENT, "one data file only, not \"" + sample + "\" and \"--help\"", 0},
        {{kept.c_str(), "--output", kept.c_str()}, COUNTS_WRONG_ARGUMENT, over(kept), 0},
        {{dotted.c_str(), "--output", kept.c_str()}, COUNTS_WRONG_ARGUMENT, over(dotted), 0},
        {{kept.c_str(), "--output", link.c_str()}, COUNTS_WRONG_ARGUMENT, over(kept), 0},
#ifdef _WIN32
        {{kept.c_str(), "--output", upper.c_str()}, COUNTS_WRONG_ARGUMENT, over(kept), 0},
#endif
        {{q, "--question"}, COUNTS_WRONG_ARGUMENT, "--question needs a value", 0},
        {{q, "--compare", "both"}, COUNTS_WRONG_ARGUMENT, "--compare is all or each, not \"both\"\n", 0},
        {{q, "--by", "Incomes"}, COUNTS_WRONG_ARGUMENT, "unknown --by \"Incomes\"; the names are none, Age, Sex, "
         "Marital status, Children, # of Children, Race, Hispanic, Income, Education, Veteran, or the fields Q1, "
         "Q2, Q3, Q4, Q5, Q6, Q6A, Q7, Q8, Q9\n", 0},
        {{q, "--by", "Sex", "--by=Age"}, COUNTS_WRONG_ARGUMENT, "--by is given twice", 0},
        {{q, "--compare", "all", "--by", "Sex"}, COUNTS_WRONG_ARGUMENT, "--compare applies to the areas table; "
         "--by compares the groups together\n", 0},
        {{q, "--zip", "77004"}, COUNTS_WRONG_ARGUMENT, "--zip needs --by: it limits the breakdown to one zip code", 0},
        {{q, "--by", "none", "--zip", "7700"}, COUNTS_WRONG_ARGUMENT, "--zip \"7700\" is not a zip code of five "
         "digits, as 77004\n", 0},
        {{q, "--by", "none", "--zip", "00000"}, COUNTS_WRONG_ARGUMENT, "--zip \"00000\" is not a zip code", 0},
        {{q, "--by", "none", "--zip=77004", "--zip", "77005"}, COUNTS_WRONG_ARGUMENT, "--zip is given twice", 0},
        {{q, "--outputs=x"}, COUNTS_WRONG_ARGUMENT, "unknown option \"--outputs=x\"\nusage: quorvel-counts DATA", 0},
        {{missing.c_str()}, COUNTS_FAILED, "read_records() - can't open record file: " + missing + "!\n", 0},
        {{odd.c_str()}, COUNTS_FAILED, "read_records() - not a record file: " + odd + "!\n", 0},
        {{bad.c_str()}, COUNTS_FAILED, "read_csv_records() - line 2 has 3 cells, not 45: " + bad + "!\n", 0},
        {{q, "--output", no_folder.c_str()}, COUNTS_FAILED,
         "write_counts_table() - can't create counts file: " + no_folder + "!\n", 0},
        {{q}, COUNTS_FAILED, "write_counts_table() - can't write counts file: " + kept + "!\n", FAULT_WRITE},
        {{q}, COUNTS_FAILED, "write_counts_table() - can't replace counts file: " + kept + "!\n", FAULT_REPLACE},
        {{q}, COUNTS_FAILED, "write_counts_table() - can't write counts file: standard output!\n", -1},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(write_file_text(kept, "previous\n"));
        Args args = c.args;
        if (c.fault > 0)
            args.insert(args.end(), {"--output", kept.c_str()});
        data_stream_inject_fault(c.fault > 0 ? c.fault : FAULT_NONE, 40);
        EXPECT_EQ(c.status, run_program(args, &out, &err, c.fault < 0 ? fopen(kept.c_str(), "rb") : tmpfile()));
        data_stream_inject_fault(FAULT_NONE, 0);
        EXPECT_EQ(0u, err.find("quorvel-counts: " + c.message)) << err;
        EXPECT_EQ(c.fault < 0 ? "previous\n" : "", out);
        EXPECT_EQ("previous\n", file_text(kept));
        EXPECT_EQ(std::vector<std::string>(), files_containing(test_temp_dir(), ".~tmp"));
    }
    store_release();
}

}  // namespace
