#include "survey/record_file.h"
#include "survey/records.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

// A record whose every field differs from its neighbours' and from the
// same field of other records, so misplaced bytes show.
RespondentRecord sample_record(int32_t n)
{
    RespondentRecord record;
    for (int f = 0; f < RECORD_FIELDS; f++)
        record.field[f] = (n * 7919 + f * 104729) ^ (f % 3 == 0 ? -1 : 0);
    record.field[Q32] = 77000 + n % 700;  // some zips out of range, as in real data
    return record;
}

// The file image of records, built byte by byte independently of the writer.
std::vector<unsigned char> file_image(const std::vector<RespondentRecord> &records)
{
    std::vector<unsigned char> bytes;
    for (const RespondentRecord &record : records)
        for (int f = 0; f < RECORD_FIELDS; f++) {
            uint32_t value = (uint32_t)record.field[f];
            for (int b = 0; b < 4; b++)
                bytes.push_back((unsigned char)(value >> (8 * b)));
        }
    return bytes;
}

std::vector<RespondentRecord> sample_records(int32_t count)
{
    std::vector<RespondentRecord> records;
    for (int32_t n = 0; n < count; n++)
        records.push_back(sample_record(n));
    return records;
}

void fill_store(const std::vector<RespondentRecord> &records)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, (int32_t)records.size()));
    for (const RespondentRecord &record : records)
        *buffer_append(&buffer) = record;
    store_replace(&buffer);
}

std::vector<RespondentRecord> store_contents()
{
    return std::vector<RespondentRecord>(record_data(), record_data() + record_count());
}

bool same_records(const std::vector<RespondentRecord> &a, const std::vector<RespondentRecord> &b)
{
    return a.size() == b.size() &&
           (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof(RespondentRecord)) == 0);
}

class RecordFileTest : public ::testing::Test {
protected:
    void SetUp() override { store_release(); }
    void TearDown() override
    {
        data_stream_inject_fault(FAULT_NONE, 0);
        store_release();
    }
};

TEST_F(RecordFileTest, OnlyWholeRecordsMakeARecordFile)
{
    // size, records; -1: not a record file, refused.
    struct Case { size_t bytes; int32_t count; };
    const Case cases[] = {
        { 0, 0 }, { 1, -1 }, { 179, -1 }, { 180, 1 }, { 181, -1 }, { 359, -1 }, { 360, 2 }, { 541, -1 },
    };
    const std::vector<unsigned char> image = file_image(sample_records(4));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        fill_store(sample_records(9));  // a previous, different data set
        std::string path = temp_path("sized.qvd");
        ASSERT_TRUE(write_file_bytes(path, std::vector<unsigned char>(image.begin(), image.begin() + c.bytes)));
        int refused = c.count < 0;
        ASSERT_EQ(refused ? 0 : 1, read_records(path.c_str()));
        EXPECT_EQ(refused ? DATA_BAD_FORMAT : DATA_OK, data_stream_failure());
        EXPECT_TRUE(same_records(sample_records(refused ? 9 : c.count), store_contents()));
    }
}

TEST_F(RecordFileTest, FieldsAreSignedLittleEndian)
{
    RespondentRecord record = {};
    record.field[Q10] = 0x01020304;
    record.field[Q11] = -2;
    record.field[Q32] = 77005;
    record.field[Q9] = INT32_MIN;
    fill_store({ record });
    std::string path = temp_path("endian.qvd");
    ASSERT_EQ(1, write_records(path.c_str()));

    std::vector<unsigned char> bytes = read_file_bytes(path);
    ASSERT_EQ(180u, bytes.size());
    const unsigned char q10[] = { 0x04, 0x03, 0x02, 0x01 };
    const unsigned char q11[] = { 0xFE, 0xFF, 0xFF, 0xFF };
    const unsigned char q32[] = { 0xCD, 0x2C, 0x01, 0x00 };  // 77005 = 0x12CCD
    const unsigned char q9[] = { 0x00, 0x00, 0x00, 0x80 };
    EXPECT_EQ(0, memcmp(&bytes[0], q10, 4));
    EXPECT_EQ(0, memcmp(&bytes[4], q11, 4));
    EXPECT_EQ(0, memcmp(&bytes[4 * Q32], q32, 4));
    EXPECT_EQ(0, memcmp(&bytes[4 * Q9], q9, 4));
    EXPECT_EQ(0, bytes[8]);

    // Read back, the same bytes give the same values.
    store_release();
    ASSERT_EQ(1, read_records(path.c_str()));
    ASSERT_EQ(1, record_count());
    EXPECT_EQ(0x01020304, record_data()[0].field[Q10]);
    EXPECT_EQ(-2, record_data()[0].field[Q11]);
    EXPECT_EQ(77005, record_data()[0].field[Q32]);
    EXPECT_EQ(INT32_MIN, record_data()[0].field[Q9]);
}

TEST_F(RecordFileTest, WriteThenReadReproducesBytesAndRecords)
{
    // 1,000 records span several write chunks and a partial last one.
    const std::vector<RespondentRecord> records = sample_records(1000);
    fill_store(records);
    std::string first = temp_path("first.qvd");
    std::string second = temp_path("second.qvd");
    ASSERT_EQ(1, write_records(first.c_str()));
    EXPECT_EQ(file_image(records), read_file_bytes(first));

    store_release();
    ASSERT_EQ(1, read_records(first.c_str()));
    EXPECT_TRUE(same_records(records, store_contents()));
    ASSERT_EQ(1, write_records(second.c_str()));
    EXPECT_EQ(read_file_bytes(first), read_file_bytes(second));
}

TEST_F(RecordFileTest, EmptyStoreWritesAnEmptyFile)
{
    std::string path = temp_path("empty.qvd");
    ASSERT_TRUE(write_file_bytes(path, file_image(sample_records(3))));
    ASSERT_EQ(1, write_records(path.c_str()));
    bool ok = false;
    EXPECT_TRUE(read_file_bytes(path, &ok).empty());
    EXPECT_TRUE(ok);
}

TEST_F(RecordFileTest, LoadsAroundAndFarBeyondTheSurveySize)
{
    const int32_t counts[] = { 0, STORE_START_CAPACITY, STORE_START_CAPACITY + 1, 100000 };
    for (int32_t count : counts) {
        SCOPED_TRACE(count);
        const std::vector<RespondentRecord> records = sample_records(count);
        std::string path = temp_path("large.qvd");
        ASSERT_TRUE(write_file_bytes(path, file_image(records)));
        ASSERT_EQ(1, read_records(path.c_str()));
        ASSERT_EQ(count, record_count());
        EXPECT_TRUE(same_records(records, store_contents()));
    }
}

TEST_F(RecordFileTest, UnopenableFileLeavesTheStoreAsItWas)
{
    const std::vector<RespondentRecord> records = sample_records(5);
    fill_store(records);
    const RespondentRecord *storage = record_data();
    const std::string paths[] = { temp_path("missing.qvd"), temp_path("no-such-dir/x.qvd"), "" };
    for (const std::string &path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(0, read_records(path.c_str()));
        EXPECT_EQ(DATA_CANT_OPEN, data_stream_failure());
        EXPECT_EQ(storage, record_data());
        EXPECT_TRUE(same_records(records, store_contents()));
    }
}

// Sparse files stand in for data sets too large to address: the load must
// refuse them before reading, and keep the data set in use.
TEST_F(RecordFileTest, TooManyRecordsLeaveTheStoreAsItWas)
{
    const uint64_t record_counts[] = {
        (uint64_t)(INT32_MAX / RECORD_BYTES) + 1,  // more bytes than an int32_t can count
        (uint64_t)INT32_MAX + 1,                   // more records than an int32_t can count
    };
    const std::vector<RespondentRecord> records = sample_records(5);
    fill_store(records);
    for (uint64_t count : record_counts) {
        SCOPED_TRACE(count);
        std::string path = temp_path("huge.qvd");
        ASSERT_TRUE(write_file_bytes(path, {}));
        std::error_code error;
        std::filesystem::resize_file(path, count * RECORD_BYTES, error);
        if (error)
            GTEST_SKIP() << "no sparse file of " << count * RECORD_BYTES << " bytes here";
        EXPECT_EQ(0, read_records(path.c_str()));
        EXPECT_EQ(DATA_NO_MEMORY, data_stream_failure());
        EXPECT_TRUE(same_records(records, store_contents()));
        std::filesystem::remove(path, error);
    }
}

TEST_F(RecordFileTest, FailedWriteKeepsThePreviousFileAndLeavesNoTemporary)
{
    struct Case { const char *name; int fault; int nth; int failure; };
    const Case cases[] = {
        { "create", FAULT_CREATE, STAGING_NAMES, DATA_CANT_CREATE },
        { "first write", FAULT_WRITE, 1, DATA_CANT_WRITE },
        { "later write", FAULT_WRITE, 3, DATA_CANT_WRITE },
        { "flush", FAULT_FLUSH, 1, DATA_CANT_WRITE },
        { "close", FAULT_CLOSE, 1, DATA_CANT_WRITE },
        { "replace", FAULT_REPLACE, 1, DATA_CANT_REPLACE },
    };
    const std::vector<unsigned char> previous = file_image(sample_records(7));
    const std::vector<RespondentRecord> records = sample_records(1000);  // four writes
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fill_store(records);
        std::string path = temp_path("kept.qvd");
        ASSERT_TRUE(write_file_bytes(path, previous));

        data_stream_inject_fault(c.fault, c.nth);
        EXPECT_EQ(0, write_records(path.c_str()));
        EXPECT_EQ(c.failure, data_stream_failure());
        EXPECT_EQ(previous, read_file_bytes(path));
        EXPECT_TRUE(files_containing(test_temp_dir(), ".~tmp").empty());
        EXPECT_TRUE(same_records(records, store_contents()));

        // The fault was one-off: the next save goes through.
        ASSERT_EQ(1, write_records(path.c_str()));
        EXPECT_EQ(file_image(records), read_file_bytes(path));
    }
}

TEST_F(RecordFileTest, FailedWriteCreatesNoFileWhereThereWasNone)
{
    fill_store(sample_records(300));
    std::string path = temp_path("never.qvd");
    data_stream_inject_fault(FAULT_WRITE, 2);
    EXPECT_EQ(0, write_records(path.c_str()));
    EXPECT_FALSE(file_exists(path));
    EXPECT_TRUE(files_containing(test_temp_dir(), ".~tmp").empty());
}

TEST_F(RecordFileTest, WriteIntoMissingFolderFails)
{
    fill_store(sample_records(2));
    std::string path = temp_path("no-such-dir/out.qvd");
    EXPECT_EQ(0, write_records(path.c_str()));
    EXPECT_EQ(DATA_CANT_CREATE, data_stream_failure());
    EXPECT_FALSE(file_exists(path));
    EXPECT_TRUE(files_containing(test_temp_dir(), ".~tmp").empty());
    EXPECT_EQ(2, record_count());
}

}  // namespace
