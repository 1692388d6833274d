// Recount cost (the areas compared too) against a plain pass, and load cost.
#include "stats/area_stats.h"
#include "survey/record_file.h"
#include "survey/records.h"
#include "survey/tally.h"

#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <string>

// Survey-like records: small answer codes, mostly in-range zips; the CSV
// benchmarks use them too.
void fill_store(int32_t count)
{
    if (record_count() == count)
        return;
    RecordBuffer buffer;
    if (!buffer_init(&buffer, count))
        return;
    uint32_t seed = 12345;
    for (int32_t n = 0; n < count; n++) {
        RespondentRecord *record = buffer_append(&buffer);
        for (int f = 0; f < RECORD_FIELDS; f++) {
            seed = seed * 1664525u + 1013904223u;
            record->field[f] = (int32_t)(1 + (seed >> 24) % 6);
        }
        seed = seed * 1664525u + 1013904223u;
        record->field[Q32] = (int32_t)(76990 + (seed >> 16) % 620);
    }
    store_replace(&buffer);
}

namespace {

void set_query(int filters)
{
    const int32_t none[DEMOGRAPHIC_FIELDS] = {};
    set_demographic_filters(none);
    set_question_answer(Q26, 3);
    if (filters >= 1)
        set_demographic_filter(1, 4);  // Q2
    if (filters >= 2)
        set_demographic_filter(3, 2);  // Q4
}

void BM_tally(benchmark::State &state)
{
    fill_store((int32_t)state.range(0));
    set_query((int)state.range(1));
    for (auto _ : state) {
        clear_tally();
        tally_records();
        compare_areas(tally_result(), COMPARE_TOGETHER);
        benchmark::DoNotOptimize(tally_result()->total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * RECORD_BYTES);
}
BENCHMARK(BM_tally)
    ->ArgNames({ "records", "filters" })
    ->Args({ 1320, 0 })
    ->Args({ 1320, 2 })
    ->Args({ 1000000, 0 })
    ->Args({ 1000000, 2 })
    ->Unit(benchmark::kMicrosecond);

// The floor a recount is judged against: one sequential pass reading every
// byte of the same records.
void BM_plain_pass(benchmark::State &state)
{
    fill_store((int32_t)state.range(0));
    for (auto _ : state) {
        const int32_t *fields = record_data()->field;
        size_t n = (size_t)record_count() * RECORD_FIELDS;
        uint32_t sum = 0;
        for (size_t i = 0; i < n; i++)
            sum += (uint32_t)fields[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * RECORD_BYTES);
}
BENCHMARK(BM_plain_pass)
    ->ArgName("records")
    ->Arg(1320)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

void BM_read_records(benchmark::State &state)
{
    std::string path = (std::filesystem::temp_directory_path() / "quorvel-bench.qvd").string();
    fill_store((int32_t)state.range(0));
    if (!write_records(path.c_str())) {
        state.SkipWithError("cannot write the benchmark file");
        return;
    }
    for (auto _ : state) {
        if (!read_records(path.c_str())) {
            state.SkipWithError("read_records failed");
            break;
        }
    }
    remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * RECORD_BYTES);
}
BENCHMARK(BM_read_records)->ArgName("records")->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
