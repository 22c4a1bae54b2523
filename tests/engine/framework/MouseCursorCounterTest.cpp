#include "engine/framework/MouseCursorCounter.h"

#include <gtest/gtest.h>

#include <memory>

using namespace ZQ2;

namespace {

class MouseCursorCounterTest : public ::testing::Test {
protected:
    // Every counter of a test is gone by its end, so the votes start at zero.
    void SetUp() override {
        for (int count : g_CursorCount)
            ASSERT_EQ(count, 0);
    }
    void TearDown() override {
        for (int count : g_CursorCount)
            EXPECT_EQ(count, 0) << "a counter left a vote behind";
    }
};

TEST_F(MouseCursorCounterTest, NoVoteShowsTheArrow) {
    MouseCursorCounter unused(CURSOR_BUSY);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_ARROW);
}

TEST_F(MouseCursorCounterTest, HighestVotedTypeIsShown) {
    MouseCursorCounter pointer(CURSOR_HAND_POINT);
    MouseCursorCounter busy(CURSOR_BUSY_STARTUP);
    pointer.SetUsed(true);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_HAND_POINT);
    busy.SetUsed(true);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_BUSY_STARTUP);
    busy.SetUsed(false);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_HAND_POINT);
}

TEST_F(MouseCursorCounterTest, VotesForOneTypeAreCounted) {
    MouseCursorCounter first(CURSOR_HAND_POINT);
    MouseCursorCounter second(CURSOR_HAND_POINT);
    first.SetUsed(true);
    second.SetUsed(true);
    second.SetUsed(true);  // a repeated vote counts once
    EXPECT_EQ(g_CursorCount[CURSOR_HAND_POINT], 2);
    second.SetUsed(false);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_HAND_POINT);
    first.Reset();
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_ARROW);
}

TEST_F(MouseCursorCounterTest, SetTypeMovesOnlyAStandingVote) {
    MouseCursorCounter counter(CURSOR_TEXT);
    counter.SetType(CURSOR_NOT_ALLOWED);
    EXPECT_EQ(g_CursorCount[CURSOR_TEXT], 0);
    EXPECT_EQ(g_CursorCount[CURSOR_NOT_ALLOWED], 0);

    counter.SetUsed(true);
    counter.SetType(CURSOR_HAND_OPEN);
    EXPECT_TRUE(counter.IsUsed());
    EXPECT_EQ(g_CursorCount[CURSOR_NOT_ALLOWED], 0);
    EXPECT_EQ(g_CursorCount[CURSOR_HAND_OPEN], 1);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_HAND_OPEN);
}

TEST_F(MouseCursorCounterTest, DestroyingAVoterReleasesItsVote) {
    auto counter = std::make_unique<MouseCursorCounter>(CURSOR_BUSY);
    counter->SetUsed(true);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_BUSY);
    counter.reset();
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_ARROW);
}

TEST_F(MouseCursorCounterTest, CopiesVoteOnTheirOwn) {
    MouseCursorCounter original(CURSOR_TEXT);
    original.SetUsed(true);
    {
        MouseCursorCounter copy(original);
        EXPECT_EQ(g_CursorCount[CURSOR_TEXT], 2);
        MouseCursorCounter assigned(CURSOR_BUSY);
        assigned.SetUsed(true);
        assigned = original;
        EXPECT_EQ(g_CursorCount[CURSOR_BUSY], 0);
        EXPECT_EQ(g_CursorCount[CURSOR_TEXT], 3);
    }
    EXPECT_EQ(g_CursorCount[CURSOR_TEXT], 1);
}

TEST_F(MouseCursorCounterTest, UnknownTypesNeverCount) {
    MouseCursorCounter counter(-1);
    counter.SetUsed(true);
    counter.SetType(CURSOR_TYPE_COUNT);
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_ARROW);
    counter.SetType(CURSOR_TEXT);  // a standing vote moves onto a known type
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_TEXT);
}

}  // namespace
