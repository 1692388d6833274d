// CSV import and export against a plain read and a plain write of the same
// bytes through the same data stream: the floor each is judged against.
#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/records.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// A name of this process's own; benchmarks may run side by side.
std::string bench_path(int32_t records)
{
    static const unsigned tag = std::random_device()();
    char name[64];
    snprintf(name, sizeof name, "quorvel-bench-%08x-%d.csv", tag, (int)records);
    return (std::filesystem::temp_directory_path() / name).string();
}

// Exports `records` survey-like records; the file's size, 0 on failure.
int64_t export_file(const std::string &path, int32_t records)
{
    fill_store(records);
    std::error_code error;
    if (!write_csv_records(path.c_str()))
        return 0;
    return (int64_t)std::filesystem::file_size(path, error);
}

void report(benchmark::State &state, int64_t bytes)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_csv_import(benchmark::State &state)
{
    std::string path = bench_path((int32_t)state.range(0));
    int64_t bytes = export_file(path, (int32_t)state.range(0));
    if (!bytes)
        state.SkipWithError("cannot export the benchmark file");
    for (auto _ : state)
        if (!read_csv_records(path.c_str())) {
            state.SkipWithError("read_csv_records failed");
            break;
        }
    // The store now holds the grouped re-import, not the generated records.
    store_release();
    remove(path.c_str());
    report(state, bytes);
}

void BM_plain_read(benchmark::State &state)
{
    std::string path = bench_path((int32_t)state.range(0));
    int64_t bytes = export_file(path, (int32_t)state.range(0));
    std::vector<char> text((size_t)bytes);
    for (auto _ : state) {
        int ok = data_stream_open_read(path.c_str()) && data_stream_read(text.data(), text.size());
        data_stream_close();
        if (!ok) {
            state.SkipWithError("cannot read the benchmark file");
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    remove(path.c_str());
    report(state, bytes);
}

void BM_csv_export(benchmark::State &state)
{
    std::string path = bench_path((int32_t)state.range(0));
    int64_t bytes = export_file(path, (int32_t)state.range(0));
    for (auto _ : state)
        if (!write_csv_records(path.c_str())) {
            state.SkipWithError("write_csv_records failed");
            break;
        }
    remove(path.c_str());
    report(state, bytes);
}

void BM_plain_write(benchmark::State &state)
{
    std::string path = bench_path((int32_t)state.range(0));
    int64_t bytes = export_file(path, (int32_t)state.range(0));
    std::vector<char> text((size_t)bytes);
    int ok = data_stream_open_read(path.c_str()) && data_stream_read(text.data(), text.size());
    data_stream_close();
    if (!ok)
        state.SkipWithError("cannot read the benchmark file");
    for (auto _ : state)
        if (!data_stream_create(path.c_str()) || !data_stream_write(text.data(), text.size()) ||
            !data_stream_commit()) {
            state.SkipWithError("cannot write the benchmark file");
            break;
        }
    remove(path.c_str());
    report(state, bytes);
}

}  // namespace

BENCHMARK(BM_csv_import)->ArgName("records")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_plain_read)->ArgName("records")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_csv_export)->ArgName("records")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_plain_write)->ArgName("records")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
