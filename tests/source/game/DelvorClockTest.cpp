// The day's clock: its hand over the day, the flash in the last seconds,
// a day without a time limit, and the hourglass that stops the time.
#include "source/game/DelvorClock.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

using gametest::LevelHarness;
using gametest::Var;

namespace {

class Clock : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

// Steps until the clock has counted at least ms.
void RunTo(LevelHarness& h, int ms) {
    while (h.Level()->GetClock()->GetElapsedTime() < ms)
        h.Step(1);
}

}  // namespace

TEST_F(Clock, HandTurnsHalfATurnOverTheDayAndFlashesOnlyInTheLastSeconds) {
    LevelHarness h(Var("total_seconds", 20));
    ASSERT_TRUE(h.OpenDay());
    DelvorClock* clock = h.Level()->GetClock();
    RunTo(h, 5000);
    EXPECT_NEAR(clock->GetHandRotation(), clock->GetElapsedTime() / 20000.0f * 3.14159265f, 1e-4);
    RunTo(h, 9900);
    EXPECT_FALSE(clock->IsFlashing());
    RunTo(h, 10001);
    EXPECT_TRUE(clock->IsFlashing());
    const auto* frame = clock->GetChild("CLOCK_FRAME", false);
    EXPECT_TRUE(frame->IsVisible());
    EXPECT_EQ(gametest::SoundLog::asked.back(), "delvor/SOUND_TIMER_TICK");
    h.Step(60);
    EXPECT_FALSE(frame->IsVisible() && !clock->IsFlashing());
    RunTo(h, 20000);
    EXPECT_NEAR(clock->GetHandRotation(), 3.14159265f, 1e-3);
}

TEST_F(Clock, ADayWithoutTimeLimitNeverFlashesNorEnds) {
    LevelHarness h(Var("total_seconds", 0));
    ASSERT_TRUE(h.OpenDay());
    h.Step(1000);
    DelvorClock* clock = h.Level()->GetClock();
    EXPECT_FALSE(clock->IsFlashing());
    EXPECT_FALSE(clock->IsTimeToStartFlash());
    EXPECT_EQ(clock->GetHandRotation(), 0.0f);
    EXPECT_FALSE(std::isnan(clock->GetHandRotation()));
    EXPECT_EQ(h.Level()->GetGameState(), SceneGame::STATE_RUNNING);
}

TEST_F(Clock, HourglassStopsTheDayAndSubtractTimeLengthensIt) {
    LevelHarness h(Var("total_seconds", 30));
    ASSERT_TRUE(h.OpenDay());
    DelvorClock* clock = h.Level()->GetClock();
    RunTo(h, 1000);
    const int elapsed = clock->GetElapsedTime();
    clock->UseHourglass(480);
    clock->SetSandShown(true);
    h.Step(30);
    EXPECT_EQ(clock->GetElapsedTime(), elapsed);
    EXPECT_FALSE(clock->IsHourglassInUse());
    h.Step(1);
    EXPECT_EQ(clock->GetElapsedTime(), elapsed + gametest::FRAME_MS);
    clock->SubtractTime(5000);
    EXPECT_EQ(clock->GetTotalTime(), 35000);
}
