// The archaeologist at a real hole: the survey, the notes and her drawn
// requests, the tools brought to her (one at a time or one queued while the
// hole is worked), the photograph and the crate; her pictures and what the
// router and the holes ask of her.
#include "source/game/Vuru.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/AnimTree.h"

#include "engine/sprite/GameTree.h"
#include "source/game/DVPathFinder.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorReqBalloon.h"
#include "source/game/Dovidi.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/UpgradeTestSupport.h"
#include "tests/source/game/BossTestSupport.h"

using bosstest::FakeItem;
using bosstest::Played;
using gametest::LevelHarness;
using gametest::Var;

namespace {

std::string FloatVar(const std::string& key, float value) {
    return "<Float id=\"" + key + "\" value=\"" + std::to_string(value) + "\"/>";
}

std::string VuruConstantsXml() {
    return Var("VURU_WALKSPEED", 90) + Var("VURU_HOME_X", 50) + Var("VURU_HOME_Y", 100) +
           Var("VURU_WALK_PIXELS_PER_FRAME", 10) + Var("VURU_TENT_X", 20) + Var("VURU_TENT_Y", 30) +
           Var("TIME_NOTES", 480) + Var("TIME_NOTES_FRAME", 100) + Var("TIME_SURVEY_FRAME", 100) +
           Var("VURU_ACTIVITY_FRAMESPEED", 100) + Var("TIME_PHOTO_PAUSE_BEFORE_PIC", 160) +
           Var("TIME_PHOTO_PAUSE_DURING_PIC", 160) + Var("TIME_PHOTO_PAUSE_AFTER_PIC", 160) +
           Var("TIME_PHOTO_LOWER_CAMERA_FRAMERATE", 50) + Var("TIME_PHOTO_ZOOM_UP", 320) +
           Var("TIME_ARTIFACT_TO_CRATE_BRIEF_DELAY", 160) + Var("TIME_ITEM_ZOOM_TO_BIN", 320) +
           Var("TIME_ARTIFACT_LID_FRAMERATE", 50) + FloatVar("HOLE_ARTIFACT_SCALE", 2.0f) +
           Var("TIME_SIFTING_ONEP", 320) + Var("TIME_BRUSHING_ONEP", 400) + Var("TIME_BRUSHING_PERFRAME", 100) +
           Var("TIME_BOTTLE_FRAMESPEED", 50) + Var("BOTTLE_NUM_LOOPS", 2) + Var("TIME_VURU_IDLE_FRAMESPEED_READ_MAP", 100) +
           Var("TIME_IDLE_MAP_READ_FRAMERATE", 100) + Var("VURU_IDLE_MAP_READ_NUM_LOOPS", 2) +
           Var("TIME_HOLE_SPARKLE_DELAY_MIN", 100) + Var("TIME_HOLE_SPARKLE_DELAY_MAX", 200);
}

class Archaeologist : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    void TearDown() override {
        if (m_pHarness)
            m_pHarness->Level()->SetCharacters(nullptr, nullptr, nullptr);
        if (m_spVuru)
            m_spVuru->Cleanup();
        if (m_spHole) {
            m_spHole->RemoveAllWorkers();
            m_spHole->CleanupHole();
        }
        m_spHole = nullptr;
        m_spVuru = nullptr;
        m_spDovidi = nullptr;
        m_pHarness.reset();
    }
    // A day whose one hole is one dirt layer over a bronze artifact.
    void Start(const std::string& variables, unsigned seed = 1234) {
        m_pHarness = std::make_unique<LevelHarness>(
            Var("total_seconds", 600) + Var("min_excavation_depth", 1) + Var("max_excavation_depth", 1) +
                Var("vuru_time_to_survey_hole", 480) + variables,
            "LEVEL1_1", seed, true, std::string(), bosstest::BossConstantsXml() + VuruConstantsXml());
        m_Pictures.Define("VURU_DEFAULT", 30, 50, 1);
        m_Pictures.Define("VURU_CAMERA", 30, 50, 4);
        m_spVuru = new Vuru(0.0f, 0.0f, nullptr);
        m_spDovidi = new Dovidi(0.0f, 0.0f, nullptr);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spVuru.Get());
        m_pHarness->Level()->SetCharacters(m_spVuru.Get(), m_spDovidi.Get(), nullptr);
        m_spVuru->Init();
        m_spHole = new DelvorHole(300.0f, 200.0f, nullptr);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spHole.Get());
        m_spHole->SetupHole(0, 0, 1);
    }
    // The hole dug down to its artifact, asking for Vuru.
    void DigToArtifact() {
        m_spHole->SetHoleState(DelvorHole::HOLE_WORKING);
        m_spHole->Dig(1000);
        m_spHole->SetHoleState(DelvorHole::HOLE_REQUEST);
        m_spHole->CreateArtifact();
        ASSERT_TRUE(m_spHole->IsCurrentHoleLayerAnArtifact());
    }
    // She arrives at the hole as a walk's last steps do.
    void Arrive() {
        m_spVuru->SetLocation(m_spHole->GetX(), m_spHole->GetY());
        m_spVuru->UseItem(m_spHole.Get());
        m_spVuru->DoWalkFinished();
    }
    // Frames until her state is the one given, or -1.
    int FramesUntil(int state, int budget = 400) {
        for (int i = 1; i <= budget; ++i) {
            m_pHarness->Step(1);
            if (m_spVuru->GetVuruState() == state)
                return i;
        }
        return -1;
    }
    // The carrier hands her a tool at the hole.
    bool Deliver(int code) {
        ZQ2::SmartPtr<FakeItem> tool(new FakeItem("ITEM_TOOL", m_spDovidi.Get()));
        tool->m_iKind = code;
        return m_spHole->UseItem(tool.Get());
    }

    bosstest::Pictures m_Pictures;
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<Vuru> m_spVuru;
    ZQ2::SmartPtr<Dovidi> m_spDovidi;
    ZQ2::SmartPtr<DelvorHole> m_spHole;
};

}  // namespace

TEST_F(Archaeologist, StartsInTheTentWithNoHandsAndHerOwnPictures) {
    Start("");
    EXPECT_EQ(m_spVuru->GetX(), 20.0f);
    EXPECT_EQ(m_spVuru->GetY(), 80.0f);
    EXPECT_EQ(m_spVuru->GetHomePosition(), ZQ2::Point_t<float>(50.0f, 150.0f));
    EXPECT_EQ(m_spVuru->GetWalkSpeed(), 90);
    EXPECT_EQ(m_spVuru->GetMaxItems(), 0);
    EXPECT_TRUE(m_spVuru->VuruCuresHypnotizedDigger());
    EXPECT_TRUE(m_spVuru->MatchesRequest(3, -1));
    EXPECT_FALSE(m_spVuru->MatchesRequest(4, -1));
    struct Case {
        int code;
        const char* key;
    };
    for (const Case c : {Case{1, "VURU_DEFAULT"}, Case{2, "VURU_IDLE_HOLE"}, Case{3, "VURU_WALK_BACK"},
                         Case{5, "VURU_WALK_FRONT"}, Case{7, "VURU_WALK_SIDE"}, Case{14, "VURU_ACTIVITY"},
                         Case{17, "VURU_WIN"}, Case{18, "VURU_LOSE"}, Case{19, "VURU_IDLE"}}) {
        EXPECT_EQ(Vuru::GetImageKey(c.code), c.key) << c.code;
        m_spVuru->SetCharacterImage(-c.code);
        EXPECT_EQ(m_spVuru->GetImage(), m_Pictures.Get(c.key)) << c.code;
        EXPECT_TRUE(m_spVuru->IsFlipImageHorizontal());
    }
    for (int code : {4, 6, 8, 9, 16})
        EXPECT_EQ(Vuru::GetImageKey(code), "") << code;
    int dx = 9;
    int dy = 9;
    m_spVuru->GetActionDirection(dx, dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, -1);
}

TEST_F(Archaeologist, SheSurveysAHoleThatAsksForItAndIsBusyMeanwhile) {
    Start("");
    m_spHole->SetHoleState(DelvorHole::HOLE_SURVEY);
    Arrive();
    EXPECT_EQ(m_spVuru->GetVuruState(), Vuru::VURU_SURVEYING);
    EXPECT_FALSE(m_spVuru->IsAvailable());
    EXPECT_EQ(m_spVuru->GetHole(), m_spHole.Get());
    EXPECT_EQ(m_spVuru->GetImage(), m_Pictures.Get("VURU_SURVEY"));
    EXPECT_EQ(Played("SOUND_VURU_SURVEYS"), 1);
    // 480 ms of survey, give or take the frame the chain hands over in.
    const int frames = FramesUntil(Vuru::VURU_IDLE);
    EXPECT_GE(frames, 30);
    EXPECT_LE(frames, 32);
    EXPECT_EQ(m_spHole->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(m_spVuru->GetHole(), nullptr);
    EXPECT_TRUE(m_spVuru->IsAvailable());
}

TEST_F(Archaeologist, AnArtifactIsNotedWorkedWithTwoToolsPhotographedAndCrated) {
    Start(FloatVar("chance_vuru_wants_two_items", 1.0f));
    DigToArtifact();
    Arrive();
    EXPECT_EQ(m_spVuru->GetVuruState(), Vuru::VURU_TAKING_NOTES);
    EXPECT_EQ(m_spVuru->GetImage(), m_Pictures.Get("VURU_NOTES"));
    EXPECT_GT(m_spVuru->GetArtifactValue(), 0);
    ASSERT_GT(FramesUntil(Vuru::VURU_WAITING_FOR_TOOLS), 0);
    int first = 0;
    int second = 0;
    ASSERT_EQ(m_spVuru->GetVuruRequests(first, second), 2);
    EXPECT_NE(first, second);
    EXPECT_TRUE(m_spVuru->HasRolloverHighlight());
    EXPECT_TRUE(m_spHole->GetRequestBalloon()->IsVisible());

    // A tool she did not ask for is refused.
    EXPECT_FALSE(Deliver(first == 4 || second == 4 ? 6 : 4));
    const int fundsBefore = m_pHarness->Level()->GetFunds();
    ASSERT_TRUE(Deliver(first));
    EXPECT_EQ(m_pHarness->Level()->GetFunds() - fundsBefore, 50) << "one tool delivered";
    EXPECT_EQ(m_spHole->GetHoleState(), DelvorHole::HOLE_WORKING);
    EXPECT_EQ(m_spVuru->GetImageCode(), DelvorBoss::IMAGE_ACTIVITY);
    // Back to waiting for the second tool once the first is used.
    while (m_spHole->GetHoleState() == DelvorHole::HOLE_WORKING)
        m_pHarness->Step(1);
    EXPECT_EQ(m_spVuru->GetVuruState(), Vuru::VURU_WAITING_FOR_TOOLS);
    EXPECT_FALSE(m_spVuru->AreRequestsMet());
    ASSERT_TRUE(Deliver(second));
    ASSERT_GT(FramesUntil(Vuru::VURU_PROCESSING), 0);
    EXPECT_TRUE(m_spVuru->AreRequestsMet());

    // The photograph, the artifact to the crate, and she is free again.
    const int fundsBeforeCrate = m_pHarness->Level()->GetFunds();
    ASSERT_GT(FramesUntil(Vuru::VURU_IDLE, 200), 0);
    EXPECT_EQ(Played("SOUND_VURU_PHOTOGRAPHS"), 1);
    EXPECT_EQ(Played("SOUND_ARTIFACT_FLIES_TO_CRATE"), 1);
    // A bronze find is paid from the bronze range (the day's only hole, now
    // finished, adds its 1000); its score rises from the lid it flew into,
    // not from wherever her noted value would point.
    const int paid = m_pHarness->Level()->GetFunds() - fundsBeforeCrate - 1000;
    EXPECT_GE(paid, 20);
    EXPECT_LE(paid, 22);
    EXPECT_EQ(m_pHarness->Level()->GetLastScoreExtra(11), 0);
    EXPECT_EQ(m_pHarness->Level()->GetArtifactsFoundToday(), 1);
    EXPECT_EQ(m_spHole->GetHoleState(), DelvorHole::HOLE_FINISHED);
    EXPECT_EQ(m_spVuru->GetHole(), nullptr);
    EXPECT_EQ(m_spVuru->GetArtifactValue(), -1);
}

TEST_F(Archaeologist, ASecondToolBroughtWhileTheFirstIsUsedWaitsInHerQueue) {
    Start(FloatVar("chance_vuru_wants_two_items", 1.0f));
    DigToArtifact();
    Arrive();
    ASSERT_GT(FramesUntil(Vuru::VURU_WAITING_FOR_TOOLS), 0);
    int first = 0;
    int second = 0;
    m_spVuru->GetVuruRequests(first, second);
    ASSERT_TRUE(Deliver(first));
    ASSERT_TRUE(Deliver(second));
    ASSERT_EQ(m_spVuru->GetToolQueue().size(), 1);
    EXPECT_EQ(m_spVuru->GetToolQueue()[0], second);
    // Both are used one after the other, then the artifact is processed.
    ASSERT_GT(FramesUntil(Vuru::VURU_PROCESSING), 0);
    EXPECT_TRUE(m_spVuru->GetToolQueue().empty());
    EXPECT_TRUE(m_spVuru->AreRequestsMet());
    EXPECT_EQ(m_spHole->GetToolsUsed(), 2);
}

TEST_F(Archaeologist, OneRequestMetGoesStraightToThePhotograph) {
    Start(FloatVar("chance_vuru_wants_two_items", 0.0f));
    DigToArtifact();
    Arrive();
    ASSERT_GT(FramesUntil(Vuru::VURU_WAITING_FOR_TOOLS), 0);
    int first = 0;
    int second = 0;
    ASSERT_EQ(m_spVuru->GetVuruRequests(first, second), 1);
    EXPECT_EQ(second, 0);
    ASSERT_TRUE(Deliver(first));
    ASSERT_GT(FramesUntil(Vuru::VURU_PROCESSING), 0);
    ASSERT_GT(FramesUntil(Vuru::VURU_IDLE, 200), 0);
    EXPECT_EQ(m_spHole->GetHoleState(), DelvorHole::HOLE_FINISHED);
}

TEST_F(Archaeologist, DrawnRequestsFollowTheDaysBottleSetting) {
    struct Case {
        int bottles;
        float multi;
        std::set<int> allowed;
    };
    for (const Case& c : {Case{0, 1.0f, {4, 5}}, Case{1, 1.0f, {4, 5, 6}}, Case{2, 1.0f, {4, 5, 7}},
                          Case{2, 0.0f, {4, 5, 6}}}) {
        Start(Var("spray_bottle", c.bottles) + FloatVar("chance_vuru_wants_two_items", 1.0f) +
              FloatVar("chance_bottle_multi_color", c.multi));
        std::set<int> seen;
        for (int draw = 0; draw < 60; ++draw) {
            m_spVuru->SetupVuruRequests();
            int first = 0;
            int second = 0;
            ASSERT_EQ(m_spVuru->GetVuruRequests(first, second), 2);
            EXPECT_NE(first, second);
            EXPECT_FALSE(first >= 6 && second >= 6) << "never two bottles";
            seen.insert(first);
            seen.insert(second);
        }
        EXPECT_EQ(seen, c.allowed) << c.bottles << " " << c.multi;
        TearDown();
    }
}

TEST_F(Archaeologist, RequestsAreServedSlotBySlot) {
    Start("");
    m_spVuru->SetRequest(0, 4);
    m_spVuru->SetRequest(1, 7);
    EXPECT_EQ(m_spVuru->GetNumRequests(), 2);
    ZQ2::SmartPtr<FakeItem> bottle(new FakeItem("ITEM_BOTTLE", m_spDovidi.Get()));
    bottle->m_iKind = 7;
    int request = 0;
    EXPECT_TRUE(m_spVuru->DoesVuruNeedItem(bottle.Get(), request));
    EXPECT_EQ(request, 7);
    m_spVuru->RemoveRequest(5);  // absent: nothing changes
    EXPECT_EQ(m_spVuru->GetNumRequests(), 2);
    m_spVuru->RemoveRequest(4);
    int first = -1;
    int second = -1;
    EXPECT_EQ(m_spVuru->GetVuruRequests(first, second), 2);
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(m_spVuru->AreRequestsMet());
    EXPECT_TRUE(m_spVuru->DoesVuruNeedItem(bottle.Get(), request)) << "the open second slot still counts";
    m_spVuru->RemoveRequest(7);
    EXPECT_TRUE(m_spVuru->AreRequestsMet());
    EXPECT_FALSE(m_spVuru->DoesVuruNeedItem(bottle.Get(), request));
}

TEST_F(Archaeologist, SheQueuesOtherHolesOnlyAndTakesNoneThatRefusesHer) {
    Start("");
    ZQ2::SmartPtr<ClickObject> plain(new ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr));
    EXPECT_TRUE(m_spVuru->CanAddHoleToStack(m_spHole.Get()));
    EXPECT_FALSE(m_spVuru->CanAddHoleToStack(plain.Get()));
    m_spVuru->AddToStack(m_spHole.Get());
    EXPECT_TRUE(m_spVuru->IsHoleInStack(m_spHole.Get()));
    EXPECT_FALSE(m_spVuru->CanAddHoleToStack(m_spHole.Get()));
    m_spVuru->RemoveFromStack(0);
    // A hole still being dug has nothing for her.
    EXPECT_FALSE(m_spVuru->UseItem(m_spHole.Get()));
    EXPECT_EQ(m_spVuru->GetHole(), nullptr);
    EXPECT_EQ(m_spVuru->GetVuruState(), Vuru::VURU_IDLE);
}

TEST_F(Archaeologist, ThePhotographRaisesTheCameraFlashesOnceAndLowersIt) {
    Start("");
    ZQ2::SmartPtr<ZQ2::ModifierContainer> container(new ZQ2::ModifierContainer(std::string(), false));
    ZQ2::AnimTree::LinkNodeUnder(m_pHarness->Level()->GetAnimContainer(), container.Get());
    ZQ2::SmartPtr<ModifierVuruTakesPhoto> photo(new ModifierVuruTakesPhoto());
    ZQ2::AnimTree::LinkNodeUnder(container.Get(), photo.Get(), m_spVuru.Get());
    m_pHarness->Step(1);
    EXPECT_EQ(m_spVuru->GetImage(), m_Pictures.Get("VURU_CAMERA"));
    std::vector<int> frames;
    int steps = 0;
    for (; steps < 200 && !photo->IsDone(); ++steps) {
        if (frames.empty() || frames.back() != m_spVuru->GetCurrentFrame())
            frames.push_back(m_spVuru->GetCurrentFrame());
        m_pHarness->Step(1);
    }
    EXPECT_TRUE(photo->IsDone());
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 0, 2, 3}));
    EXPECT_EQ(Played("SOUND_VURU_PHOTOGRAPHS"), 1);
    // 160 ms before, during and after the picture, then two frames of 50 ms.
    EXPECT_GE(steps * gametest::FRAME_MS, 480 + 100 - 2 * gametest::FRAME_MS);
    EXPECT_LE(steps * gametest::FRAME_MS, 480 + 100 + 3 * gametest::FRAME_MS);
    container->SetObsolete(true);
}

// ---- upgrades

TEST_F(Archaeologist, WalkUpgradesSpeedUpTheirOwnCharacterAndTheCameraShortensHerNotes) {
    Start("");
    m_pHarness->Level()->SetGameState(SceneGame::STATE_RUNNING);
    const int vuru = m_spVuru->GetEffectiveWalkSpeed();
    const int dovidi = m_spDovidi->GetEffectiveWalkSpeed();
    struct Case {
        int type;
        int effect;
        int vuruGain;
        int dovidiGain;
    };
    const Case cases[] = {
        {DelvorUpgrade::TYPE_DOVIDI, 30, 0, 30},
        {DelvorUpgrade::TYPE_VURU, 25, 25, 0},
        {DelvorUpgrade::TYPE_DIGGER_WALK, 15, 0, 0},
        {DelvorUpgrade::TYPE_VURU_CAMERA, 75, 0, 0},
    };
    for (const Case& c : cases) {
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
        upgradetest::Own(c.type, c.effect);
        EXPECT_EQ(m_spVuru->GetEffectiveWalkSpeed(), vuru + c.vuruGain) << c.type;
        EXPECT_EQ(m_spDovidi->GetEffectiveWalkSpeed(), dovidi + c.dovidiGain) << c.type;
        // The camera's effect is her share of the notes' time, in per cent.
        EXPECT_EQ(Vuru::GetUpgradedArtifactTime(), c.type == DelvorUpgrade::TYPE_VURU_CAMERA ? 360 : 480) << c.type;
    }

    // A walk of 180 pixels reaches its end after 180 / speed seconds, to the frame.
    DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
    upgradetest::Own(DelvorUpgrade::TYPE_VURU, 30);
    const int speed = m_spVuru->GetEffectiveWalkSpeed();
    ASSERT_EQ(speed, vuru + 30);
    m_spVuru->SetLocation(0.0f, 300.0f);
    DVNode* route = DVPathFinder::CreateNode(0.0f, 300.0f, nullptr);
    DVPathFinder::CreateNode(0.0f, 120.0f, route);
    m_spVuru->Walk(route, nullptr);
    int frames = 0;
    while (m_spVuru->GetY() > 120.5f && frames < 1000) {
        m_pHarness->Step(1);
        ++frames;
    }
    const int predicted = (180 * 1000 / speed + gametest::FRAME_MS - 1) / gametest::FRAME_MS;
    EXPECT_NEAR(frames, predicted, 1) << "speed " << speed;
}
