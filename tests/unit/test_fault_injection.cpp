// Every save made to fail at every step it takes: the create, each single
// write, the flush, the close and the final replace.  Whatever step fails,
// the routine returns 0, the previous file keeps every byte (or, where there
// was none, no file appears) and no temporary file is left behind.  A file
// of the user's that carries the temporary file's name is never touched.
#include "gis/bmp.h"
#include "gis/png.h"
#include "stats/area_stats.h"
#include "stats/counts_file.h"
#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/record_file.h"
#include "survey/records.h"
#include "survey/tally.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The store filled with `count` records whose fields all differ, the three
// codes written as "VOID" among them.
void fill_store(int32_t count)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, count));
    for (int32_t r = 0; r < count; r++) {
        RespondentRecord *record = buffer_append(&buffer);
        ASSERT_NE(nullptr, record);
        for (int f = 0; f < RECORD_FIELDS; f++)
            record->field[f] = r * 1000 + f - (f % 4 == 0 ? 500000 : 0);
        if (r % 2) {
            record->field[Q6A] = 11;
            record->field[Q18A] = 3;
            record->field[Q18B] = 6;
        }
    }
    store_replace(&buffer);
}

RgbImage picture;

// A picture whose rows the writer sends in more than one piece when it is
// wider than BMP_MAX_SIDE.
void make_picture(int32_t width, int32_t height)
{
    image_free(&picture);
    ASSERT_EQ(1, image_alloc(width, height, 3, &picture));
    size_t bytes = (size_t)width * (size_t)height * 3;
    for (size_t i = 0; i < bytes; i++)
        picture.pixels[i] = (uint8_t)(i * 31 + 7);
}

int save_picture(const char *path)
{
    return write_bmp(path, &picture);
}

struct Writer {
    const char *name;
    const char *file;
    void (*prepare)(void);
    int (*save)(const char *path);
};

const Writer writers[] = {
    { "write_records, empty store", "empty.qvd", [] { store_release(); }, write_records },
    { "write_records, one chunk", "one.qvd", [] { fill_store(5); }, write_records },
    { "write_records, several chunks", "many.qvd", [] { fill_store(600); }, write_records },
    { "write_bmp, small", "small.bmp", [] { make_picture(5, 3); }, save_picture },
    { "write_bmp, rows in pieces", "wide.bmp", [] { make_picture(BMP_MAX_SIDE + 3, 2); },
      save_picture },
    { "write_png", "small.png", [] { make_picture(50, 30); },
      [](const char *path) { return write_png(path, &picture, 96); } },
    { "write_csv_records, header only", "empty.csv", [] { store_release(); },
      write_csv_records },
    { "write_csv_records, records", "some.csv", [] { fill_store(4); }, write_csv_records },
    { "write_csv_records, several blocks", "many.csv", [] { fill_store(3000); },
      write_csv_records },
    { "write_counts_table", "counts.csv",
      [] { fill_store(4); clear_tally(); tally_records(); compare_areas(tally_result(), COMPARE_TOGETHER); },
      [](const char *path) { return write_counts_table(path, tally_query(), tally_result()); } },
};

class FaultInjectionTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        data_stream_inject_fault(FAULT_NONE, 0);
        data_stream_discard();
        store_release();
        image_free(&picture);
    }
};

// How many writes the save makes: the first write number whose failure it
// no longer meets.  *written receives the file it then made.
int count_writes(const Writer &writer, std::vector<unsigned char> *written)
{
    std::string path = temp_path(std::string("counting-") + writer.file);
    for (int nth = 1; nth < 100000; nth++) {
        data_stream_inject_fault(FAULT_WRITE, nth);
        if (writer.save(path.c_str())) {
            data_stream_inject_fault(FAULT_NONE, 0);
            *written = read_file_bytes(path);
            remove(path.c_str());
            return nth - 1;
        }
    }
    return -1;
}

TEST_F(FaultInjectionTest, EveryFailedStepLeavesThePreviousFile)
{
    struct Step { const char *name; int fault; int nth; int failure; };
    const std::vector<unsigned char> previous = { 'k', 'e', 'e', 'p', '\r', '\n', 0, 255 };
    for (const Writer &writer : writers) {
        SCOPED_TRACE(writer.name);
        writer.prepare();
        std::vector<unsigned char> expected;
        int writes = count_writes(writer, &expected);
        ASSERT_GE(writes, 0);

        std::vector<Step> steps = { { "create", FAULT_CREATE, STAGING_NAMES, DATA_CANT_CREATE },
                                    { "flush", FAULT_FLUSH, 0, DATA_CANT_WRITE },
                                    { "close", FAULT_CLOSE, 0, DATA_CANT_WRITE },
                                    { "replace", FAULT_REPLACE, 0, DATA_CANT_REPLACE } };
        for (int nth = 1; nth <= writes; nth++)
            steps.push_back({ "write", FAULT_WRITE, nth, DATA_CANT_WRITE });

        std::string path = temp_path(writer.file);
        // The user's own file that happens to carry the temporary name.
        const std::string theirs = path + ".~tmp";
        const std::vector<unsigned char> their_bytes = { 'm', 'i', 'n', 'e' };
        const std::vector<std::string> only_theirs = { std::string(writer.file) + ".~tmp" };
        ASSERT_TRUE(write_file_bytes(theirs, their_bytes));
        for (const Step &step : steps) {
            for (int existed = 0; existed <= 1; existed++) {
                SCOPED_TRACE(std::string(step.name) + " " + std::to_string(step.nth) +
                             (existed ? ", over a previous file" : ", no previous file"));
                remove(path.c_str());
                if (existed) {
                    ASSERT_TRUE(write_file_bytes(path, previous));
                }

                data_stream_inject_fault(step.fault, step.nth);
                EXPECT_EQ(0, writer.save(path.c_str()));
                data_stream_inject_fault(FAULT_NONE, 0);
                EXPECT_EQ(step.failure, data_stream_failure());
                if (existed)
                    EXPECT_EQ(previous, read_file_bytes(path));
                else
                    EXPECT_FALSE(file_exists(path));
                EXPECT_EQ(only_theirs, files_containing(test_temp_dir(), ".~tmp"));
                EXPECT_EQ(their_bytes, read_file_bytes(theirs));
            }
        }

        // Without a fault the same save replaces the file with what the
        // counting run wrote.
        ASSERT_TRUE(write_file_bytes(path, previous));
        EXPECT_EQ(1, writer.save(path.c_str()));
        EXPECT_EQ(expected, read_file_bytes(path));
        EXPECT_EQ(only_theirs, files_containing(test_temp_dir(), ".~tmp"));
        EXPECT_EQ(their_bytes, read_file_bytes(theirs));
        remove(path.c_str());
        remove(theirs.c_str());
    }
}

// Staging names are tried in turn, past those taken and those refused for
// another reason (an earlier save's staging file still on its way out); the
// save fails only when not one is left, and no one's file is touched.
TEST_F(FaultInjectionTest, ASaveTakesTheFirstStagingNameThatCanBeMade)
{
    struct Case { int refused; int taken_after; int saved; };
    const Case cases[] = { { 0, STAGING_NAMES, 0 }, { 1, 0, 1 }, { 1, 2, 1 },
                           { STAGING_NAMES - 1, 0, 1 }, { STAGING_NAMES - 2, 2, 0 },
                           { STAGING_NAMES, 0, 0 } };
    fill_store(3);
    std::string path = temp_path("crowded.qvd");
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.refused) + " refused, then " + std::to_string(c.taken_after) +
                     " taken");
        ASSERT_TRUE(write_file_text(path, "old"));
        std::vector<std::string> theirs;
        for (int i = c.refused; i < c.refused + c.taken_after; i++) {
            theirs.push_back("crowded.qvd.~tmp" + (i ? std::to_string(i) : std::string()));
            ASSERT_TRUE(write_file_text(temp_path(theirs.back()), "theirs"));
        }
        std::sort(theirs.begin(), theirs.end());
        data_stream_inject_fault(c.refused ? FAULT_CREATE : FAULT_NONE, c.refused);
        EXPECT_EQ(c.saved, write_records(path.c_str()));
        EXPECT_EQ(c.saved ? DATA_OK : DATA_CANT_CREATE, data_stream_failure());
        EXPECT_EQ(c.saved ? 3u * RECORD_BYTES : 3u, read_file_bytes(path).size());
        EXPECT_EQ(theirs, files_containing(test_temp_dir(), ".~tmp"));
        for (const std::string &name : theirs) {
            EXPECT_EQ(6u, read_file_bytes(temp_path(name)).size()) << name;
            remove(temp_path(name).c_str());
        }
    }
    remove(path.c_str());
}

}  // namespace
