// Replays every saved fuzz input, crashes and hangs found so far included,
// through the same checks the fuzz targets run.
#include "../fuzz/fuzz_checks.h"

#include "survey/records.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

void replay_corpus(const char *target, int (*check)(const uint8_t *, size_t))
{
    std::filesystem::path dir =
        std::filesystem::path(QUORVEL_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / target;
    std::vector<std::filesystem::path> inputs;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    ASSERT_FALSE(error) << dir.string() << ": " << error.message();
    ASSERT_FALSE(inputs.empty()) << "no corpus in " << dir.string();
    std::sort(inputs.begin(), inputs.end());
    for (const std::filesystem::path &input : inputs) {
        SCOPED_TRACE(input.filename().string());
        bool read = false;
        std::vector<unsigned char> bytes = read_file_bytes(input.string(), &read);
        ASSERT_TRUE(read);
        EXPECT_EQ(1, check(bytes.data(), bytes.size()));
    }
    store_release();
}

TEST(FuzzCorpus, ReadRecordsKeepsItsPromises)
{
    replay_corpus("read_records", check_read_records);
}

TEST(FuzzCorpus, ReadBmpKeepsItsPromises)
{
    replay_corpus("read_bmp", check_read_bmp);
}

TEST(FuzzCorpus, ReadCsvKeepsItsPromises)
{
    replay_corpus("read_csv", check_read_csv);
}

}  // namespace
