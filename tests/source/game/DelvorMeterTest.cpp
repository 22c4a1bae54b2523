// The hole meter: digger time turned into quarter layers at one and one
// and a half times the speed, a dig that never runs past its dirt run, the
// guards of a stopped day and of a speed of 0, and the gauge's layout, arrow
// pulse and sparkles.
#include "source/game/DelvorMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierContainer.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"
#include "tests/source/game/NamedPictures.h"

using gametest::LevelHarness;
using gametest::NamedPictures;
using gametest::Var;

namespace {

constexpr int kSlice = 100;
constexpr int kDigSpeed = 50;
constexpr int kDirtHeight = 40;
constexpr int kArrowY = 7;
constexpr int kPulseMs = 160;

void SetConstant(const std::string& name, int value) {
    ZQ2::PropertyValue property(name, value);
    ZQ2::BasicProperties::OnInteger(&property);
}

// A running day with one hole of runs of `depth` dirt layers, each ended by
// an artifact.
class Site {
public:
    explicit Site(int depth, const std::string& moreVariables = std::string())
        : m_Level(Var("total_seconds", 100) + Var("min_excavation_depth", depth) +
                  Var("max_excavation_depth", depth) + moreVariables) {
        SetConstant("TIME_SLICE_METER_UPDATE", kSlice);
        SetConstant("DIGGER_MALE_DIG_FRAMESPEED", kDigSpeed);
        SetConstant("METER_DIRT_HEIGHT", kDirtHeight);
        SetConstant("METER_ARROW_ORIGIN_Y", kArrowY);
        SetConstant("METER_ROCK_WIDTH", 12);
        SetConstant("METER_STAR_WIDTH", 16);
        SetConstant("METER_EXTRA_STARS_ORIGIN_X", 200);
        SetConstant("METER_EXTRA_STARS_DELTA_X", 9);
        SetConstant("TIME_METER_ARROW_PULSE", kPulseMs);
        SetConstant("TIME_HOLE_SPARKLE_DELAY_MIN", 32);
        SetConstant("TIME_HOLE_SPARKLE_DELAY_MAX", 32);
        EXPECT_TRUE(m_Level.OpenDay());
        m_spHole = new DelvorHole(100.0f, 100.0f, nullptr);
    }
    ~Site() {
        m_spHole->RemoveAllWorkers();
        m_spHole->CleanupHole();
    }
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    DelvorDigger* AddDigger(int activity = 2) {
        m_Diggers.emplace_back(new DelvorDigger(0.0f, 0.0f, nullptr));
        // Hired for the day: its dig frame time comes from the constants.
        m_Diggers.back()->Init(0, 0, m_Level.Level(), 1);
        m_Diggers.back()->SetActivity(activity);
        m_spHole->AddWorker(m_Diggers.back().Get());
        return m_Diggers.back().Get();
    }
    void Tick(int deltaMs, int times) {
        for (int i = 0; i < times; ++i)
            Meter()->Tick(deltaMs);
    }

    LevelHarness& Level() { return m_Level; }
    DelvorHole* Hole() const { return m_spHole.Get(); }
    DelvorMeter* Meter() const { return m_spHole->GetMeter(); }

private:
    NamedPictures m_Pictures;
    LevelHarness m_Level;
    ZQ2::SmartPtr<DelvorHole> m_spHole;
    std::vector<ZQ2::SmartPtr<DelvorDigger>> m_Diggers;
};

class Meter : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

}  // namespace

TEST_F(Meter, DiggersTurnTheirSliceIntoQuarterLayersAndTwoDigOneAndAHalfTimesAsFast) {
    struct Case {
        int iDiggers;
        float fPerSlice;  // quarter layers after one slice of 125 ms
    };
    const float one = 125.0f / (4.0f * kDigSpeed);
    for (const Case& c : {Case{1, one}, Case{2, 1.5f * one}}) {
        SCOPED_TRACE(c.iDiggers);
        Site site(6);
        site.Hole()->SetupHole(0, 0, 1);
        for (int i = 0; i < c.iDiggers; ++i)
            site.AddDigger();
        site.Tick(25, 4);
        EXPECT_EQ(site.Meter()->GetDigProgress(), 0.0f);
        EXPECT_EQ(site.Meter()->GetAccumulatedTime(), 100);
        site.Tick(25, 1);
        EXPECT_FLOAT_EQ(site.Meter()->GetDigProgress(), c.fPerSlice);
        EXPECT_EQ(site.Meter()->GetAccumulatedTime(), 0);
        EXPECT_TRUE(site.Meter()->IsVisible());
    }
}

TEST_F(Meter, ALongSliceStopsAtTheEndOfTheDirtRunAndNeverSkipsTheArtifact) {
    Site site(3);
    site.Hole()->SetupHole(0, 0, 2);  // DDDBDDDB
    site.AddDigger();
    site.Tick(100000, 1);
    EXPECT_EQ(site.Meter()->GetDigProgress(), 12.0f);
    EXPECT_EQ(site.Meter()->GetRoundedDigProgress(), 3);
    EXPECT_EQ(site.Hole()->GetCurrentHoleLayer(), 'B');
    // The artifact stops the dig until the hole moves on.
    site.Tick(100000, 3);
    EXPECT_EQ(site.Meter()->GetDigProgress(), 12.0f);
    EXPECT_EQ(site.Hole()->GetCurrentDepth(), 0);
    site.Hole()->AdvanceHolePastDirt();
    EXPECT_EQ(site.Meter()->GetDigProgress(), 0.0f);
    EXPECT_EQ(site.Hole()->GetCurrentDepth(), 3);
}

TEST_F(Meter, TheLastRunStopsAtTheEndOfTheLayers) {
    Site site(2);
    site.Hole()->SetupHole(0, 0, 1);  // DDB
    site.AddDigger();
    site.Tick(50000, 2);
    EXPECT_EQ(site.Meter()->GetRoundedDigProgress(), 2);
    EXPECT_EQ(site.Hole()->GetCurrentHoleLayer(), 'B');
}

TEST_F(Meter, NothingDigsWithoutADiggerAtWorkOrWhileTheDayOrHoleIsStopped) {
    enum Stop { IDLE_DIGGER, SPEED_ZERO, SPEED_NEGATIVE, PAUSED_ANIMATION, SURVEY_STATE, NO_DAY };
    for (Stop stop : {IDLE_DIGGER, SPEED_ZERO, SPEED_NEGATIVE, PAUSED_ANIMATION, SURVEY_STATE, NO_DAY}) {
        SCOPED_TRACE(stop);
        Site site(4);
        site.Hole()->SetupHole(0, 0, 1);
        if (stop == SPEED_ZERO)
            SetConstant("DIGGER_MALE_DIG_FRAMESPEED", 0);
        if (stop == SPEED_NEGATIVE)
            SetConstant("DIGGER_MALE_DIG_FRAMESPEED", -kDigSpeed);
        site.AddDigger(stop == IDLE_DIGGER ? 0 : 2);
        if (stop == PAUSED_ANIMATION)
            site.Level().Level()->GetAnimContainer()->SetPaused(true);
        if (stop == SURVEY_STATE)
            site.Hole()->SetHoleState(100);
        if (stop == NO_DAY)
            site.Level().Level()->Pause(true);
        site.Tick(25, 12);
        EXPECT_EQ(site.Meter()->GetDigProgress(), 0.0f);
        EXPECT_TRUE(std::isfinite(site.Meter()->GetDigProgress()));
        EXPECT_LE(site.Meter()->GetAccumulatedTime(), kSlice);
        site.Level().Level()->GetAnimContainer()->SetPaused(false);
    }
}

TEST_F(Meter, TheGaugeShowsTheDirtLeftAndTheArtifactsInLayerOrder) {
    Site site(3);
    site.Hole()->SetupHole(1, 1, 1);  // DDDxDDDyDDDG
    site.Meter()->SetDigProgress(6.0f);
    site.Meter()->Show(true);
    DelvorMeter* meter = site.Meter();
    ZQ2::Sprite* rest = meter->GetDirt(0);
    ZQ2::Sprite* dug = meter->GetDirt(1);
    EXPECT_EQ(NamedPictures::NameOf(rest->GetImage()), "METER_DIRT");
    EXPECT_TRUE(rest->IsVisible());
    EXPECT_TRUE(dug->IsVisible());
    EXPECT_EQ(meter->GetArrow()->GetY(), kArrowY + kDirtHeight / 2);
    // Two artifacts inside the gauge's window, the gold one as an extra star.
    ASSERT_EQ(meter->GetArtifactIconCount(), 2);
    EXPECT_EQ(meter->GetExtraStarCount(), 1);
    EXPECT_EQ(meter->GetRockIconCount(), 0);
    const std::string first = DelvorMeter::GetArtifactResNameFromType(site.Hole()->GetHoleLayer(3));
    const std::string second = DelvorMeter::GetArtifactResNameFromType(site.Hole()->GetHoleLayer(7));
    EXPECT_NE(first, second);
    EXPECT_EQ(NamedPictures::NameOf(meter->GetArtifact(0)->GetImage()), "METER_ARTIFACT_" + first);
    EXPECT_EQ(NamedPictures::NameOf(meter->GetArtifact(1)->GetImage()), "METER_ARTIFACT_" + second);
    EXPECT_LT(meter->GetArtifact(0)->GetX(), meter->GetArtifact(1)->GetX());

    // The dirt run done: nothing left to show of it.
    meter->SetDigProgress(12.0f);
    meter->Show(true);
    EXPECT_FALSE(rest->IsVisible());
    EXPECT_EQ(meter->GetArrow()->GetY(), kArrowY + kDirtHeight);
}

TEST_F(Meter, TheCurrentRockShrinksWithItsRemainingToughness) {
    Site site(12, Var("min_rocks_per_hole", 1) + Var("max_rocks_per_hole", 1) + Var("min_picks_per_rock", 4) +
                      Var("max_picks_per_rock", 4));
    site.Hole()->SetupHole(0, 0, 1);
    ASSERT_EQ(site.Hole()->GetRockCount(), 1);
    // Straight to the rock: it leads the gauge at full size.
    site.Hole()->AdvanceHolePastDirt();
    ASSERT_TRUE(site.Hole()->IsCurrentHoleLayerRock());
    DelvorMeter* meter = site.Meter();
    meter->Show(true);
    ASSERT_EQ(meter->GetRockIconCount(), 1);
    EXPECT_EQ(NamedPictures::NameOf(meter->GetRockIcon(0)->GetImage()), "METER_ROCK");
    EXPECT_EQ(meter->GetRockIcon(0)->GetScaleX(), 1.0f);
    site.Hole()->Pick(1);
    meter->Show(true);
    EXPECT_EQ(meter->GetRockIcon(0)->GetScaleX(), 0.75f);
    // Broken: the rock leaves the gauge.
    site.Hole()->Pick(3);
    meter->Show(true);
    EXPECT_EQ(meter->GetRockIconCount(), 0);
}

TEST_F(Meter, ArtifactWordsCoverTheThreeKinds) {
    EXPECT_EQ(DelvorMeter::GetArtifactResNameFromType('G'), "GOLD");
    EXPECT_EQ(DelvorMeter::GetArtifactResNameFromType('S'), "SILVER");
    EXPECT_EQ(DelvorMeter::GetArtifactResNameFromType('B'), "BRONZE");
    EXPECT_EQ(DelvorMeter::GetArtifactResNameFromType('R'), "");
}

TEST_F(Meter, TheArrowPulsesUntilItIsStopped) {
    Site site(3);
    site.Hole()->SetupHole(0, 0, 1);
    DelvorMeter* meter = site.Meter();
    meter->PulseArrow(true);
    ASSERT_TRUE(meter->IsArrowPulsing());
    float largest = 1.0f;
    // Two whole pulses and a bit: the pulse starts itself again.
    for (int frame = 0; frame < 4 * kPulseMs / gametest::FRAME_MS + 5; ++frame) {
        site.Level().Step(1);
        largest = std::max(largest, meter->GetArrow()->GetScaleX());
    }
    EXPECT_GT(largest, 1.5f);
    EXPECT_TRUE(meter->IsArrowPulsing());
    meter->PulseArrow(false);
    EXPECT_FALSE(meter->IsArrowPulsing());
    EXPECT_EQ(meter->GetArrow()->GetScaleX(), 1.0f);
    site.Level().Step(3);
    EXPECT_EQ(meter->GetArrow()->GetScaleX(), 1.0f);
}

TEST_F(Meter, SparklesLightOnAnArtifactIconAndStopWhenAskedTo) {
    Site site(3);
    site.Hole()->SetupHole(0, 1, 1);
    DelvorMeter* meter = site.Meter();
    meter->Show(true);
    meter->StartSparkles(true);
    ASSERT_TRUE(meter->AreSparklesRunning());
    const auto litSparkle = [meter]() -> ZQ2::Sprite* {
        for (ZQ2::GameNode* node = meter->GetFirstChild(); node; node = node->GetNextSibling()) {
            auto* sprite = ZQ2::DynamicCast<ZQ2::Sprite>(node);
            if (sprite && sprite->IsVisible() && NamedPictures::NameOf(sprite->GetImage()).rfind("METER_SPARKLE_", 0) == 0)
                return sprite;
        }
        return nullptr;
    };
    ZQ2::Sprite* lit = nullptr;
    for (int frame = 0; frame < 10 && !lit; ++frame) {
        site.Level().Step(1);
        lit = litSparkle();
    }
    ASSERT_NE(lit, nullptr);
    bool onIcon = false;
    for (int i = 0; i < meter->GetArtifactIconCount(); ++i) {
        ZQ2::Sprite* icon = meter->GetArtifact(i);
        onIcon |= lit->GetX() == icon->GetX() + icon->GetWidth() * 0.5f &&
                  lit->GetY() == icon->GetY() + icon->GetHeight() * 0.5f;
    }
    EXPECT_TRUE(onIcon);
    meter->StartSparkles(false);
    EXPECT_FALSE(meter->AreSparklesRunning());
    EXPECT_EQ(litSparkle(), nullptr);
    site.Level().Step(5);
    EXPECT_EQ(litSparkle(), nullptr);
}
