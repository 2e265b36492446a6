#include <gtest/gtest.h>

#include "tables.h"

TEST(LevelTable, SlopesCoverTheScreenWithoutGaps) {
    for (const LevelRow& row : LEVEL_TABLE) {
        ASSERT_GT(row.segment_count, 0);
        EXPECT_EQ(row.segments[0].from, -20) << "level " << row.number;
        for (int i = 1; i < row.segment_count; ++i) {
            EXPECT_EQ(row.segments[i].from, row.segments[i - 1].to) << "level " << row.number;
        }
        EXPECT_EQ(row.segments[row.segment_count - 1].to, 480) << "level " << row.number;
    }
}
