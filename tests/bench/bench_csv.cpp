// CSV import and export beside a plain read and a plain write of the same
// bytes through the same data stream: the floor each is judged against.
#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/records.h"

#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

// Survey-like records, the same every time (bench_tally.cpp).
void fill_store(int32_t count);

namespace {

enum Routine { CSV_IMPORT, PLAIN_READ, CSV_EXPORT, PLAIN_WRITE };

// The file's bytes into `text`, already of the file's size; 1 or 0.
int read_whole(const char *path, std::vector<char> *text)
{
    int ok = data_stream_open_read(path) && data_stream_read(text->data(), text->size());
    data_stream_close();
    return ok;
}

// The routine over the export of survey-like records, in a file of this
// process's own (benchmarks may run side by side).
void BM_csv(benchmark::State &state, Routine routine)
{
    char name[64];
    snprintf(name, sizeof name, "quorvel-bench-%08x.csv", (unsigned)std::random_device()());
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    fill_store((int32_t)state.range(0));
    std::vector<char> text(write_csv_records(path.c_str()) ? std::filesystem::file_size(path) : 0);
    if (text.empty() || !read_whole(path.c_str(), &text))
        state.SkipWithError("cannot export the benchmark file");
    for (auto _ : state) {
        int ok = routine == CSV_IMPORT   ? read_csv_records(path.c_str())
                 : routine == PLAIN_READ ? read_whole(path.c_str(), &text)
                 : routine == CSV_EXPORT ? write_csv_records(path.c_str())
                                         : data_stream_create(path.c_str()) &&
                                               data_stream_write(text.data(), text.size()) &&
                                               data_stream_commit();
        if (!ok) {
            state.SkipWithError("the routine failed");
            break;
        }
    }
    store_release();  // an import leaves grouped codes, not the generated records
    remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
}

}  // namespace

BENCHMARK_CAPTURE(BM_csv, import, CSV_IMPORT)
    ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_csv, plain_read, PLAIN_READ)
    ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_csv, export, CSV_EXPORT)
    ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_csv, plain_write, PLAIN_WRITE)
    ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
