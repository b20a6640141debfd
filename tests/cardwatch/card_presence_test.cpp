// SPDX-License-Identifier: Apache-2.0
// Placed and removed from the results of successive looks at the reader.
#include <gtest/gtest.h>

#include "card_presence.h"

#include <pelorin/pelorin_api.h>

namespace {

using Event = CardPresence::Event;

TEST(CardPresence, ReadsOnceUntilTheCardIsTakenAway)
{
    CardPresence presence;
    EXPECT_TRUE(presence.needsRead());
    EXPECT_EQ(presence.afterRead(READ_NO_DATA), Event::None) << "no card yet";
    EXPECT_EQ(presence.afterRead(READ_OK), Event::Placed);
    EXPECT_FALSE(presence.needsRead());
    EXPECT_EQ(presence.afterCheck(READ_OK), Event::None);
    EXPECT_EQ(presence.afterRead(READ_OK), Event::None) << "another's read of the same card";
    EXPECT_EQ(presence.afterCheck(READ_NO_DATA), Event::Removed);
    EXPECT_TRUE(presence.needsRead());
    EXPECT_EQ(presence.afterCheck(READ_NO_DATA), Event::None);
    EXPECT_EQ(presence.afterRead(READ_OK), Event::Placed) << "the next card";
}

TEST(CardPresence, ACheckNeverAnnouncesACard)
{
    CardPresence presence;
    EXPECT_EQ(presence.afterCheck(READ_OK), Event::None);
    EXPECT_TRUE(presence.needsRead());
}

TEST(CardPresence, AReaderThatKeepsFailingTheSameWayIsReportedOnce)
{
    CardPresence presence;
    EXPECT_EQ(presence.afterRead(OPEN_DEV_FAIL), Event::Failed);
    EXPECT_EQ(presence.afterRead(OPEN_DEV_FAIL), Event::None);
    EXPECT_EQ(presence.afterRead(READ_DATA_FAIL), Event::Failed) << "a new failure";
    EXPECT_TRUE(presence.needsRead()) << "a failed read is tried again";
    EXPECT_EQ(presence.afterRead(READ_OK), Event::Placed);
    EXPECT_EQ(presence.afterCheck(DEV_IS_BUSY), Event::Failed);
    EXPECT_FALSE(presence.needsRead()) << "a failed check takes no card away";
    EXPECT_EQ(presence.afterCheck(READ_OK), Event::None);
    EXPECT_EQ(presence.afterCheck(DEV_IS_BUSY), Event::Failed) << "again after the reader was fine";
}

// A card read in between makes the same failure news again.
TEST(CardPresence, AFailureAfterAGoodReadIsReportedAgain)
{
    CardPresence presence;
    EXPECT_EQ(presence.afterRead(READ_DATA_FAIL), Event::Failed);
    EXPECT_EQ(presence.afterRead(READ_OK), Event::Placed);
    EXPECT_EQ(presence.afterCheck(READ_DATA_FAIL), Event::Failed);
}

}  // namespace
