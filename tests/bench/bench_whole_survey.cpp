// The whole survey counted in one pass, and its whole table, to be read
// against BM_plain_pass/records:1000000, a plain pass over as many records;
// the same for the breakdowns: the Breakdown panel's of one question by a
// group, and quorvel-counts --by Income's of the whole survey.
#include "cli/counts_program.h"
#include "stats/area_stats.h"
#include "stats/breakdown.h"
#include "stats/whole_survey.h"
#include "survey/catalogue.h"
#include "survey/demographics.h"
#include "survey/records.h"

#include <benchmark/benchmark.h>

#include <stdint.h>

namespace {

const int32_t survey_records = 1000000;
const RespondentRecord *survey_filled;  // the other benchmarks fill the store too

// Answers drawn from each question's own codes and each list's, 9 and 99
// among them; about 2% of the zip codes outside the table.
void fill_survey(void)
{
    if (survey_filled && record_data() == survey_filled)
        return;
    RecordBuffer buffer;
    if (!buffer_init(&buffer, survey_records))
        return;
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (int32_t)((seed >> 8) % range);
    };
    for (int32_t n = 0; n < survey_records; n++) {
        RespondentRecord *record = buffer_append(&buffer);
        for (int q = 0; q < CATALOGUE_SIZE; q++) {
            const QuestionEntry *entry = catalogue_entry(q);
            record->field[question_field(q)] = entry->answers[next((uint32_t)entry->answer_count)].code;
        }
        for (int l = 0; l < DEMOGRAPHIC_LISTS; l++) {
            const DemographicList *list = demographic_list(l);
            record->field[FIRST_DEMOGRAPHIC_FIELD + list->filter] =
                list->codes[1 + next((uint32_t)list->choice_count - 1)];
        }
        record->field[Q32] = 76990 + next(612);
    }
    store_replace(&buffer);
    survey_filled = record_data();
}

void BM_whole_survey_pass(benchmark::State &state)
{
    fill_survey();
    const int32_t filters[DEMOGRAPHIC_FIELDS] = {};
    for (auto _ : state)
        benchmark::DoNotOptimize(count_whole_survey(filters));
    state.SetBytesProcessed(state.iterations() * (int64_t)survey_records * RECORD_BYTES);
}
BENCHMARK(BM_whole_survey_pass)->Unit(benchmark::kMillisecond);

int count_bytes(void *context, const char *, size_t length)
{
    *(size_t *)context += length;
    return 1;
}

// The pass and then the table of every question and answer, as
// quorvel-counts writes it, into a sink that only counts its bytes.
void BM_whole_survey_table(benchmark::State &state)
{
    fill_survey();
    CountsPlan plan = {COUNTS_RUN, nullptr, nullptr, -1, -1, {}, COMPARE_TOGETHER, COUNTS_NO_BREAKDOWN, 0};
    size_t bytes = 0;
    for (auto _ : state) {
        count_whole_survey(plan.filters);
        emit_survey_table(&plan, count_bytes, &bytes);
    }
    benchmark::DoNotOptimize(bytes);
    state.SetBytesProcessed(state.iterations() * (int64_t)survey_records * RECORD_BYTES);
}
BENCHMARK(BM_whole_survey_table)->Unit(benchmark::kMillisecond);

const int income = 7, q20 = 10;

// What the panel does on a recount: one question's answers by Income.
void BM_breakdown_by_group(benchmark::State &state)
{
    fill_survey();
    const BreakdownScope scope = {{}, 0, income};
    Crosstab table;
    Breakdown breakdown;
    for (auto _ : state) {
        count_crosstab(&scope, q20, &table);
        make_breakdown(&scope, q20, 0, &table, &breakdown);
        benchmark::DoNotOptimize(breakdown.chi_square);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)survey_records * RECORD_BYTES);
}
BENCHMARK(BM_breakdown_by_group)->Unit(benchmark::kMillisecond);

// quorvel-counts --by Income: the one pass, then the table of every
// question, answer and group.
void BM_breakdown_table(benchmark::State &state)
{
    fill_survey();
    CountsPlan plan = {COUNTS_RUN, nullptr, nullptr, -1, -1, {}, COMPARE_TOGETHER, income, 0};
    BreakdownScope scope;
    plan_scope(&plan, &scope);
    size_t bytes = 0;
    for (auto _ : state) {
        count_survey_crosstabs(&scope);
        emit_survey_table(&plan, count_bytes, &bytes);
    }
    benchmark::DoNotOptimize(bytes);
    state.SetBytesProcessed(state.iterations() * (int64_t)survey_records * RECORD_BYTES);
}
BENCHMARK(BM_breakdown_table)->Unit(benchmark::kMillisecond);

}  // namespace
