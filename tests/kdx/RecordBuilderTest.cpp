// Turning differences into records: where runs merge, where records split,
// and that chunking the images changes nothing.
#include "kdx/RecordBuilder.h"
#include "tests/support/PatchBuilder.h"

#include <gtest/gtest.h>

#include <random>

using namespace testsupport;

namespace {

struct Built {
    std::int64_t offset;
    Bytes modified;
    Bytes original;
    bool operator==(const Built&) const = default;
};

std::vector<Built> Build(const Bytes& original, const Bytes& modified, unsigned head, unsigned perByte,
                         std::size_t chunk = 1 << 20, std::int64_t forced = -1)
{
    std::vector<Built> records;
    kdx::RecordBuilder builder(head, perByte, [&](std::int64_t offset, const std::uint8_t* m,
                                                     const std::uint8_t* o, unsigned n) {
        records.push_back({offset, Bytes(m, m + n), Bytes(o, o + n)});
        return true;
    });
    if (forced >= 0) builder.ForceChange(forced);
    for (std::size_t at = 0; at < original.size(); at += chunk) {
        const std::size_t n = std::min(chunk, original.size() - at);
        EXPECT_TRUE(builder.Feed(static_cast<std::int64_t>(at), original.data() + at, modified.data() + at, n));
    }
    EXPECT_TRUE(builder.Finish());
    EXPECT_EQ(builder.Records(), static_cast<std::int64_t>(records.size()));
    return records;
}

// Two one-byte changes gap bytes apart: merged into one record or not.
std::size_t RecordsForGap(std::size_t gap, unsigned head, unsigned perByte)
{
    Bytes original(100, 0);
    Bytes modified = original;
    modified[10] = 1;
    modified[11 + gap] = 1;
    return Build(original, modified, head, perByte).size();
}

TEST(RecordBuilder, MergesRunsOnlyWhereTheGapCostsLessThanARecordHead)
{
    EXPECT_EQ(RecordsForGap(8, 9, 1), 1u);  // version 3.0: 8 bytes < a 9-byte head
    EXPECT_EQ(RecordsForGap(9, 9, 1), 2u);
    EXPECT_EQ(RecordsForGap(4, 9, 2), 1u);  // with undo data a gap byte costs 2
    EXPECT_EQ(RecordsForGap(5, 9, 2), 2u);
    EXPECT_EQ(RecordsForGap(4, 5, 1), 1u);  // versions 1.0 and 2.0
    EXPECT_EQ(RecordsForGap(5, 5, 1), 2u);
    EXPECT_EQ(RecordsForGap(0, 5, 1), 1u);
}

TEST(RecordBuilder, SplitsLongRunsAt255BytesAndKeepsBothImagesBytes)
{
    const Bytes original = Noise(1000, 1);
    Bytes modified = original;
    for (std::size_t i = 100; i < 700; ++i) modified[i] = static_cast<std::uint8_t>(~original[i]);
    const std::vector<Built> records = Build(original, modified, 9, 2);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 100);
    EXPECT_EQ(records[0].modified.size(), 255u);
    EXPECT_EQ(records[1].offset, 355);
    EXPECT_EQ(records[2].offset, 610);
    EXPECT_EQ(records[2].modified.size(), 90u);
    EXPECT_EQ(records[1].modified, Bytes(modified.begin() + 355, modified.begin() + 610));
    EXPECT_EQ(records[1].original, Bytes(original.begin() + 355, original.begin() + 610));
}

TEST(RecordBuilder, ARecordNeverEndsOnBridgingBytes)
{
    // A change, a small gap, and the end of the images: the gap is dropped.
    Bytes original(50, 0);
    Bytes modified = original;
    modified[45] = 7;
    const std::vector<Built> records = Build(original, modified, 9, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offset, 45);
    EXPECT_EQ(records[0].modified, Bytes{7});
}

TEST(RecordBuilder, AForcedChangeIsWrittenWhereTheImagesAgree)
{
    const Bytes zeros(5000, 0);
    const std::vector<Built> records = Build(zeros, zeros, 5, 1, 1000, 4999);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offset, 4999);
    EXPECT_EQ(records[0].modified, Bytes{0});
}

TEST(RecordBuilder, ChunkSizesDoNotChangeTheRecords)
{
    std::mt19937 rng(1208u);
    for (int round = 0; round < 30; ++round) {
        const Bytes original = Noise(3000 + rng() % 3000, rng());
        Bytes modified = original;
        for (int k = 0; k < 200; ++k) modified[rng() % modified.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
        const auto whole = Build(original, modified, 9, 1);
        for (const std::size_t chunk : {1u, 7u, 256u, 1000u})
            ASSERT_EQ(Build(original, modified, 9, 1, chunk), whole) << "chunk " << chunk;
    }
}

TEST(RecordBuilder, FirstDifferenceFindsEveryPosition)
{
    // Long enough for the large blocks, the small ones, words and bytes.
    const Bytes a = Noise(9000, 3);
    for (std::size_t at = 0; at < a.size(); at += at < 700 || at > 8900 ? 1 : 37) {
        Bytes b = a;
        b[at] ^= 0x10;
        ASSERT_EQ(kdx::FirstDifference(a.data(), b.data(), a.size()), at);
    }
    EXPECT_EQ(kdx::FirstDifference(a.data(), a.data(), a.size()), a.size());
}

TEST(RecordBuilder, LeadingDifferentFindsTheFirstEqualByte)
{
    // Differences of every kind of byte value, 0x01 and 0x80 included, which
    // a word-wise search for an equal byte could mistake.
    const Bytes a = Noise(300, 5);
    const std::uint8_t flips[] = {0x01, 0x80, 0xFF, 0x7F, 0x10, 0x81};
    Bytes b = a;
    for (std::size_t i = 0; i < b.size(); ++i) b[i] ^= flips[i % 6];
    EXPECT_EQ(kdx::LeadingDifferent(a.data(), b.data(), a.size()), a.size());
    for (std::size_t at = 0; at < a.size(); ++at) {
        Bytes c = b;
        c[at] = a[at];
        ASSERT_EQ(kdx::LeadingDifferent(a.data(), c.data(), a.size()), at);
        ASSERT_EQ(kdx::LeadingDifferent(a.data() + 1, c.data() + 1, at > 0 ? at - 1 : 0), at > 0 ? at - 1 : 0);
    }
}

TEST(RecordBuilder, ASinkThatRefusesStopsTheBuild)
{
    Bytes original(100, 0);
    Bytes modified = original;
    modified[3] = modified[50] = 1;
    int calls = 0;
    kdx::RecordBuilder builder(9, 1, [&](std::int64_t, const std::uint8_t*, const std::uint8_t*, unsigned) {
        ++calls;
        return false;
    });
    EXPECT_FALSE(builder.Feed(0, original.data(), modified.data(), original.size()));
    EXPECT_EQ(calls, 1);
}

}  // namespace
