// Holes on a running level: the layer string and rocks drawn from the day's
// rules, start states from data, state changes with their request sounds,
// digging, picking and emptying, workers at the dig spots, and Vuru's tool
// work with its timings, pictures and sparkles.
#include "source/game/DelvorHole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/GameTree.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorMeter.h"
#include "source/game/DelvorReqBalloon.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/UpgradeTestSupport.h"
#include "tests/source/GameHarness.h"

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;

namespace {

const char* const kDigger = "delvor/SOUND_HOLE_REQUEST_DIGGER";
const char* const kPicker = "delvor/SOUND_HOLE_REQUEST_PICKER";
const char* const kVuruSound = "delvor/SOUND_HOLE_REQUEST_VURU";

// Every picture asked for exists, with the frame count given for its name
// (one frame otherwise), and is the same object on every request.
struct Pictures {
    static inline std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>> images;
    static inline std::map<std::string, int> frames;
    static ZQ2::Image* Get(const std::string& name, const std::string& section, const std::string*) {
        const std::string key = section + "/" + name;
        auto found = images.find(key);
        if (found != images.end())
            return found->second.Get();
        const int count = frames.count(name) ? frames[name] : 1;
        ZQ2::SmartPtr<ZQ2::Image> image(
            new ZQ2::Image(new ZQ2::ImageDataOpenGL(20 * count, 20, 20 * count, 20, true), count, count));
        images[key] = image;
        return image.Get();
    }
    static ZQ2::Image* Named(const std::string& name) { return Get(name, "delvor", nullptr); }
};

// Constants filed the way the game's data files them.
void FileConstants(const std::string& elements) {
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    ASSERT_TRUE(store->ParseFromBuffer(("<root>" + elements + "</root>").c_str()));
    for (int i = 0; i < store->GetCount(); ++i)
        ZQ2::SmartPtr<ZQ2::BaseObject> ignored(ZQ2::ObjectFactory::Instance()->CreateObject(store->GetChild(i)));
}

std::string Int(const std::string& key, int value) {
    return "<Integer id=\"" + key + "\" value=\"" + std::to_string(value) + "\"/>";
}

std::string FloatVar(const std::string& key, float value) {
    return "<Float id=\"" + key + "\" value=\"" + std::to_string(value) + "\"/>";
}

// Layers from minDepth + 1 to maxDepth + 1 per artifact, no rocks.
std::string Depths(int minDepth, int maxDepth) {
    return Var("min_excavation_depth", minDepth) + Var("max_excavation_depth", maxDepth);
}

std::string Rocks(int minRocks, int maxRocks, float chance, int minPicks, int maxPicks) {
    return Var("min_rocks_per_hole", minRocks) + Var("max_rocks_per_hole", maxRocks) +
           FloatVar("rock_chance_per_hole", chance) + Var("min_picks_per_rock", minPicks) +
           Var("max_picks_per_rock", maxPicks);
}

// Whether every rock keeps five dirt layers on each side where dirt follows it.
bool RocksKeepTheirDistance(const std::string& layers) {
    const int count = static_cast<int>(layers.size());
    for (int i = 0; i < count; ++i) {
        if (layers[i] != 'R')
            continue;
        for (int step : {-1, 1}) {
            const int next = i + step;
            if (next < 0 || next >= count || layers[next] != 'D')
                continue;
            for (int k = 1; k <= 5; ++k) {
                const int at = i + k * step;
                if (at < 0 || at >= count || layers[at] != 'D')
                    return false;
            }
        }
    }
    return true;
}

class Holes : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    void TearDown() override {
        for (auto& hole : m_Holes) {
            hole->RemoveAllWorkers();
            hole->CleanupHole();
        }
        m_Holes.clear();
        if (m_pHarness) {
            m_pHarness->Level()->SetCharacters(nullptr, nullptr, nullptr);
            if (m_spVuru)
                m_spVuru->SetCurrentHole(nullptr);
        }
        m_spVuru = nullptr;
        m_spDovidi = nullptr;
        m_pHarness.reset();
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        Pictures::images.clear();
    }

    void Start(const std::string& variables, unsigned seed = 1234) {
        m_Holes.clear();
        ZQ2::ResourceLookup::SetImageSource(&Pictures::Get);
        Pictures::frames = {{"HOLES_HOLE1", 6}, {"HOLES_SURVEY", 4}, {"ITEM_BRUSH", 4}, {"ITEM_BOTTLE", 2}};
        m_pHarness = std::make_unique<LevelHarness>(variables, "LEVEL1_1", seed);
        FileConstants(Int("TIME_SIFTING_ONEP", 1600) + Int("TIME_SIFTING_TWOP", 800) + Int("TIME_BRUSHING_ONEP", 2400) +
                      Int("TIME_BRUSHING_TWOP", 1200) + Int("TIME_BRUSHING_PERFRAME", 200) +
                      Int("TIME_PICKING_ONEP", 700) + Int("TIME_PICKING_TWOP", 350) + Int("TIME_BOTTLE_FRAMESPEED", 50) +
                      Int("BOTTLE_NUM_LOOPS", 3) + Int("TIME_HOLE_SPARKLE_DELAY_MIN", 100) +
                      Int("TIME_HOLE_SPARKLE_DELAY_MAX", 200) + Int("HOLE_SIFTER_X", 40) + Int("HOLE_SIFTER_Y", 20));
    }
    DelvorHole* NewHole(float x = 300.0f, float y = 200.0f) {
        ZQ2::SmartPtr<DelvorHole> hole(new DelvorHole(x, y, nullptr));
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), hole.Get());
        m_Holes.push_back(hole);
        return hole.Get();
    }
    DelvorHole* HoleFromData(const std::string& attributes) {
        ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
        EXPECT_TRUE(store->ParseFromBuffer(("<root><DelvorHole name=\"HOLE1\" " + attributes + "/></root>").c_str()));
        ZQ2::SmartPtr<DelvorHole> hole(
            ZQ2::DynamicCast<DelvorHole>(ZQ2::ObjectFactory::Instance()->CreateObject(store->GetChild(0))));
        if (!hole)
            return nullptr;
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), hole.Get());
        m_Holes.push_back(hole);
        return hole.Get();
    }
    // Vuru and Dovidi as the router knows them.
    Vuru* AddVuru() {
        m_spVuru = new Vuru(100.0f, 100.0f, nullptr);
        m_spDovidi = new Dovidi(150.0f, 100.0f, nullptr);
        m_pHarness->Level()->SetCharacters(m_spVuru.Get(), m_spDovidi.Get(), nullptr);
        return m_spVuru.Get();
    }
    ZQ2::SmartPtr<DelvorDigger> NewDigger() { return ZQ2::SmartPtr<DelvorDigger>(new DelvorDigger(0, 0, nullptr)); }
    int Asked(const std::string& sound) const {
        return static_cast<int>(std::count(SoundLog::asked.begin(), SoundLog::asked.end(), sound));
    }
    // Digs and empties the hole down to its next rock; false at the bottom.
    bool ReachNextRock(DelvorHole* hole) {
        for (int step = 0; step < 100; ++step) {
            if (hole->IsCurrentHoleLayerRock())
                return true;
            if (hole->IsCurrentHoleLayerAnArtifact())
                hole->FinishExcavation();
            else if (hole->IsCurrentHoleLayerDirt())
                DigThroughDirt(hole);
            else
                return false;
        }
        return false;
    }
    // Digs the current dirt run away as the workers and the meter would.
    void DigThroughDirt(DelvorHole* hole) {
        hole->SetHoleState(DelvorHole::HOLE_WORKING);
        hole->Dig(1000);
    }

    std::unique_ptr<LevelHarness> m_pHarness;
    std::vector<ZQ2::SmartPtr<DelvorHole>> m_Holes;
    ZQ2::SmartPtr<Vuru> m_spVuru;
    ZQ2::SmartPtr<Dovidi> m_spDovidi;
};

}  // namespace

// ---- the layer string

TEST_F(Holes, LayerStringsFollowTheirRulesForEverySeed) {
    for (unsigned seed : {1u, 7u, 99u, 4242u, 31337u}) {
        Start(Depths(3, 6), seed);
        DelvorHole* hole = NewHole();
        hole->SetupHole(2, 3, 3);
        const std::string& layers = hole->GetLayers();
        int segment = 0;
        std::string artifacts;
        for (char letter : layers) {
            ++segment;
            if (letter == 'D')
                continue;
            ASSERT_TRUE(DelvorHole::IsArtifactLetter(letter)) << layers;
            EXPECT_GE(segment, 4) << layers;
            EXPECT_LE(segment, 7) << layers;
            artifacts += letter;
            segment = 0;
        }
        EXPECT_EQ(segment, 0) << "the string ends on an artifact: " << layers;
        ASSERT_EQ(artifacts.size(), 8u);
        EXPECT_EQ(std::count(artifacts.begin(), artifacts.end(), 'B'), 3);
        EXPECT_EQ(std::count(artifacts.begin(), artifacts.end(), 'S'), 3);
        EXPECT_EQ(artifacts.substr(6), "GG") << "gold lies deepest";
        EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);
        EXPECT_EQ(hole->GetCurrentHoleLayer(), 'D');
        TearDown();
    }
}

TEST_F(Holes, WithSilverAndBronzeLeftAboutSixInTenDrawsAreBronze) {
    Start(Depths(0, 0));
    DelvorHole* hole = NewHole();
    int bronzeFirst = 0;
    for (int i = 0; i < 400; ++i) {
        hole->SetupHole(0, 1, 1);
        bronzeFirst += hole->GetLayers()[0] == 'B';
    }
    EXPECT_GT(bronzeFirst, 200);
    EXPECT_LT(bronzeFirst, 280);
}

TEST_F(Holes, EmptyRangesFromDataGiveTheirMinimum) {
    // Depth 12 above 9, two to one rocks, four to two picks.
    Start(Depths(12, 9) + Rocks(2, 1, 0.0f, 4, 2));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 2);
    EXPECT_EQ(hole->GetLayers().size(), 26u);
    EXPECT_EQ(hole->GetTotalDigs(), 12);
    EXPECT_EQ(hole->GetRockCount(), 2);
    ASSERT_EQ(std::count(hole->GetLayers().begin(), hole->GetLayers().end(), 'R'), 2) << hole->GetLayers();
    EXPECT_EQ(hole->GetRockTotalToughness(0), 4);
    EXPECT_EQ(hole->GetRockTotalToughness(1), 4);
    EXPECT_EQ(hole->GetRockTotalToughness(2), 0) << "the table closes with 0";
}

TEST_F(Holes, AHoleWithoutArtifactsHasNothingToDig) {
    Start(Depths(3, 6) + Rocks(2, 3, 1.0f, 1, 1));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 0);
    EXPECT_TRUE(hole->GetLayers().empty());
    EXPECT_EQ(hole->GetCurrentHoleLayer(), ' ');
    EXPECT_GE(hole->GetRockCount(), 2) << "the count keeps what was drawn";
    EXPECT_LE(hole->GetRockCount(), 3);
    EXPECT_EQ(hole->GetRockTotalToughness(0), 0) << "no rock was placed";
    EXPECT_EQ(hole->GetHoleRequestFromState(), DelvorHole::REQUEST_NONE);
    EXPECT_FALSE(hole->Dig(5));
    std::string snapshot = "x";
    EXPECT_EQ(hole->GetHoleContentsSnapshot(snapshot, 4, 0), 0);
    EXPECT_TRUE(snapshot.empty());
}

// ---- rocks

TEST_F(Holes, RocksKeepFiveDirtLayersToTheirNeighboursAndUseTheirToughnessInOrder) {
    for (unsigned seed : {3u, 17u, 256u, 9001u}) {
        Start(Depths(14, 20) + Rocks(2, 4, 0.0f, 2, 5), seed);
        DelvorHole* hole = NewHole();
        hole->SetupHole(1, 1, 1);
        const std::string& layers = hole->GetLayers();
        const int rocks = static_cast<int>(std::count(layers.begin(), layers.end(), 'R'));
        EXPECT_GE(hole->GetRockCount(), 2);
        EXPECT_LE(hole->GetRockCount(), 4);
        EXPECT_LE(rocks, hole->GetRockCount());
        EXPECT_TRUE(RocksKeepTheirDistance(layers)) << layers;
        for (int i = 0; i < rocks; ++i) {
            EXPECT_GE(hole->GetRockTotalToughness(i), 2);
            EXPECT_LE(hole->GetRockTotalToughness(i), 5);
        }
        ASSERT_GT(rocks, 0) << layers;
        EXPECT_EQ(hole->GetCurrentRockToughness(), hole->GetRockTotalToughness(0));
        // The first rock reached takes the first toughness.
        ASSERT_TRUE(ReachNextRock(hole)) << layers;
        const int depth = hole->GetCurrentDepth();
        EXPECT_EQ(depth, static_cast<int>(layers.find('R')));
        const int first = hole->GetRockTotalToughness(0);
        hole->Pick(first - 1);
        EXPECT_EQ(hole->GetCurrentHoleLayer(), 'R');
        EXPECT_EQ(hole->GetCurrentRockToughness(), 1);
        hole->Pick(5);
        EXPECT_EQ(hole->GetCurrentRockToughness(), rocks > 1 ? hole->GetRockTotalToughness(1) : 1);
        EXPECT_EQ(hole->GetCurrentRockIndex(), 1);
        EXPECT_EQ(hole->GetCurrentDepth(), depth + 1);
        TearDown();
    }
}

TEST_F(Holes, RockChanceAndMinimumDecideWhetherRocksAppear) {
    Start(Depths(14, 14) + Rocks(0, 3, 0.0f, 1, 1));
    DelvorHole* hole = NewHole();
    for (int i = 0; i < 20; ++i) {
        hole->SetupHole(0, 0, 2);
        EXPECT_EQ(hole->GetRockCount(), 0);
        EXPECT_EQ(hole->GetRockTotalToughness(0), DelvorHole::NO_ROCK_TOUGHNESS);
    }
    TearDown();
    Start(Depths(14, 14) + Rocks(0, 3, 1.0f, 1, 1));
    hole = NewHole();
    hole->SetupHole(0, 0, 2);
    EXPECT_GE(hole->GetRockCount(), 1);
}

TEST_F(Holes, PlacingGivesUpWhenNoLayerCanTakeARock) {
    // Segments of three layers never hold five dirt layers in a row.
    Start(Depths(2, 2) + Rocks(3, 3, 1.0f, 1, 1));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 3);
    EXPECT_EQ(hole->GetLayers(), "DDBDDBDDB");
    EXPECT_EQ(hole->GetRockCount(), 3) << "the count keeps what was drawn";
    EXPECT_EQ(hole->GetCurrentRockToughness(), 0);
}

// ---- start states and transitions

TEST_F(Holes, StartStatesComeFromData) {
    Start(Depths(3, 3));
    const int blocks = m_pHarness->Level()->GetPathFinder().GetBlockCount();
    DelvorHole* survey = HoleFromData("x=\"100\" y=\"200\" startstate=\"survey\"");
    ASSERT_NE(survey, nullptr);
    EXPECT_EQ(m_pHarness->Level()->GetPathFinder().GetBlockCount(), blocks + 3);
    DelvorHole* inactive = HoleFromData("x=\"300\" y=\"200\" startstate=\"inactive\"");
    EXPECT_EQ(m_pHarness->Level()->GetPathFinder().GetBlockCount(), blocks + 3) << "an inactive hole blocks nothing";
    DelvorHole* plain = HoleFromData("x=\"500\" y=\"200\"");
    DelvorHole* odd = HoleFromData("x=\"500\" y=\"300\" startstate=\"sleepy\"");
    for (DelvorHole* hole : {survey, inactive, plain, odd})
        hole->SetupHole(0, 0, 1);
    EXPECT_EQ(survey->GetHoleState(), DelvorHole::HOLE_SURVEY);
    EXPECT_EQ(survey->GetPitSprite()->GetImage(), Pictures::Named("HOLES_SURVEY"));
    EXPECT_FALSE(survey->GetRequestBalloon()->IsVisible());
    EXPECT_FALSE(survey->GetMeter()->IsVisible());
    EXPECT_EQ(inactive->GetHoleState(), DelvorHole::HOLE_INACTIVE);
    EXPECT_FALSE(inactive->IsVisible());
    EXPECT_EQ(inactive->GetBlockIndexForHole(0), -1);
    EXPECT_EQ(plain->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(odd->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_TRUE(plain->IsVisible());
    EXPECT_TRUE(plain->GetMeter()->IsVisible());
    EXPECT_TRUE(plain->GetRequestBalloon()->IsVisible()) << "it asks for a digger";
    EXPECT_EQ(plain->GetPitSprite()->GetImage(), Pictures::Named("HOLES_HOLE1"));
    EXPECT_FLOAT_EQ(plain->GetX(), 500.0f);
}

TEST_F(Holes, LeavingWorkPlaysTheRequestOfTheCurrentLayerOnce) {
    Start(Depths(14, 14) + Rocks(1, 1, 1.0f, 2, 2), 77);
    DelvorHole* hole = NewHole();
    SoundLog::asked.clear();
    hole->SetupHole(0, 0, 1);
    EXPECT_EQ(Asked(kDigger), 0) << "entering 101 from -1 is silent";
    ASSERT_EQ(hole->GetCurrentHoleLayer(), 'D') << "the seed puts the rock deeper: " << hole->GetLayers();

    ZQ2::SmartPtr<DelvorDigger> digger = NewDigger();
    hole->AddWorker(digger.Get());
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->RemoveWorker(digger.Get());
    EXPECT_EQ(Asked(kDigger), 1);
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);

    ASSERT_TRUE(ReachNextRock(hole));
    hole->AddWorker(digger.Get());
    hole->RemoveWorker(digger.Get());
    EXPECT_EQ(Asked(kPicker), 1);
    EXPECT_EQ(hole->GetHoleRequestFromState(), DelvorHole::REQUEST_PICKER);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(Asked(kPicker), 1) << "101 to 101 is silent";

    hole->Pick(2);
    DigThroughDirt(hole);
    ASSERT_TRUE(hole->IsCurrentHoleLayerAnArtifact()) << hole->GetLayers();
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(Asked(kVuruSound), 1);
    EXPECT_EQ(hole->GetArtifactSprite(), nullptr);

    // With Vuru at the hole the hole keeps quiet.
    Vuru* vuru = AddVuru();
    vuru->SetCurrentHole(hole);
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(Asked(kVuruSound), 1);
}

TEST_F(Holes, AfterTheSurveyTheHoleAsksForHelp) {
    Start(Depths(3, 3));
    DelvorHole* hole = HoleFromData("x=\"100\" y=\"100\" startstate=\"survey\"");
    hole->SetupHole(0, 0, 1);
    Vuru* vuru = AddVuru();
    EXPECT_TRUE(hole->ShouldVuruRespond());
    EXPECT_TRUE(hole->DoesObjectMatchRequest(vuru));
    vuru->SetNextDestination(hole);
    EXPECT_FALSE(hole->ShouldVuruRespond()) << "she is on her way";
    vuru->SetNextDestination(nullptr);
    vuru->SetCurrentHole(hole);
    SoundLog::asked.clear();
    hole->SurveyHole();
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(Asked(kDigger), 0);
    EXPECT_EQ(hole->GetPitSprite()->GetImage(), Pictures::Named("HOLES_HOLE1"));
    EXPECT_TRUE(hole->GetMeter()->IsVisible());
    EXPECT_FALSE(hole->ShouldVuruRespond());
}

TEST_F(Holes, TheSurveyFlagFlapsUntilTheSurvey) {
    Start(Depths(3, 3));
    FileConstants(Int("TIME_HOLE_FLAG_FLAP_FRAMERATE", 40));
    DelvorHole* hole = HoleFromData("x=\"100\" y=\"100\" startstate=\"survey\"");
    hole->SetupHole(0, 0, 1);
    hole->DoFlagFlapAnimation();
    bool flapped = false;
    for (int frame = 0; frame < 20 && !flapped; ++frame) {
        m_pHarness->Step(1);
        flapped = hole->GetPitSprite()->GetCurrentFrame() != 0;
    }
    EXPECT_TRUE(flapped);
    hole->SurveyHole();
    m_pHarness->Step(10);
    EXPECT_EQ(hole->GetPitSprite()->GetImage(), Pictures::Named("HOLES_HOLE1"));
    EXPECT_EQ(hole->GetPitSprite()->GetCurrentFrame(), 0) << "the flap stops with the survey";
}

TEST_F(Holes, AfterTheRunningDayAnEmptyHoleAsksOnlyForVuruOnHerWay) {
    Start(Depths(1, 1));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 1);
    EXPECT_TRUE(hole->SetupRequestBalloon()) << "it asks for a digger";
    m_pHarness->Level()->SetGameState(SceneGame::STATE_TIME_UP);
    EXPECT_FALSE(hole->SetupRequestBalloon());
    EXPECT_FALSE(hole->GetRequestBalloon()->IsVisible());
    DigThroughDirt(hole);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    Vuru* vuru = AddVuru();
    vuru->SetNextDestination(hole);
    EXPECT_FALSE(hole->SetupRequestBalloon()) << "a hole that asks for Vuru shows no balloon";
    EXPECT_EQ(hole->GetHoleRequestFromState(), DelvorHole::REQUEST_VURU);
    vuru->SetNextDestination(nullptr);
}

// ---- digging, emptying, finishing

TEST_F(Holes, DiggingStopsAtTheFirstLayerThatIsNotDirt) {
    Start(Depths(3, 3));
    DelvorHole* hole = NewHole();
    hole->SetupHole(1, 0, 1);
    EXPECT_EQ(hole->GetLayers(), "DDDBDDDG");
    EXPECT_TRUE(hole->Dig(2)) << "no digging outside state 102";
    EXPECT_EQ(hole->GetCurrentDepth(), 0);
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    EXPECT_TRUE(hole->Dig(2));
    EXPECT_EQ(hole->GetDigsToNextArtifact(), 1);
    EXPECT_FALSE(hole->Dig(5));
    EXPECT_EQ(hole->GetCurrentDepth(), 3);
    EXPECT_EQ(hole->GetDigsSinceLastArtifact(), 3);
    char letter = 0;
    EXPECT_EQ(hole->GetNextArtifactIndex(3, letter), 7);
    EXPECT_EQ(letter, 'G');
    EXPECT_EQ(hole->GetNextArtifactIndex(8, letter), -1);
    std::string snapshot;
    EXPECT_EQ(hole->GetHoleContentsSnapshot(snapshot, 3, 1), 3);
    EXPECT_EQ(snapshot, "DDD");
    EXPECT_EQ(hole->GetHoleContentsSnapshot(snapshot, 6, 1), 4);
    EXPECT_EQ(snapshot, "DDDG");
    EXPECT_EQ(hole->GetHoleLayer(8), 0);
    EXPECT_EQ(hole->GetHoleLayer(20), 0);
    // The meter's progress counts in whole layers ahead of the depth.
    hole->GetMeter()->SetDigProgress(7.0f);
    EXPECT_EQ(hole->GetCurrentHoleLayer(), 'D');
    hole->GetMeter()->SetDigProgress(0.0f);
    EXPECT_EQ(hole->GetCurrentHoleLayer(), 'B');
}

TEST_F(Holes, AdvancingPastDirtClearsTheMeterAndShowsTheArtifactWhenTheWorkersLeave) {
    Start(Depths(3, 3));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 2);
    ZQ2::SmartPtr<DelvorDigger> digger = NewDigger();
    hole->AddWorker(digger.Get());
    EXPECT_EQ(hole->GetHoleFrame(), 1) << "untouched, with a worker";
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->GetMeter()->SetDigProgress(2.0f);
    hole->AdvanceHolePastDirt();
    EXPECT_EQ(hole->GetCurrentDepth(), 3);
    EXPECT_EQ(hole->GetMeter()->GetDigProgress(), 0.0f);
    hole->RemoveWorker(digger.Get());
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);
    ASSERT_NE(hole->GetArtifactSprite(), nullptr);
    EXPECT_TRUE(hole->GetArtifactSprite()->IsVisible());
    EXPECT_NE(hole->GetArtifactDirt(), nullptr);
    EXPECT_TRUE(hole->CanVuruProcessHole());
    EXPECT_TRUE(hole->CanStealArtifactNow());
}

TEST_F(Holes, TakingOutTheLastArtifactFinishesTheHole) {
    Start(Depths(1, 1));
    DelvorHole* hole = NewHole();
    DelvorHole* other = NewHole(500.0f, 200.0f);
    hole->SetName("HOLE1");
    other->SetName("HOLE2");
    hole->SetupHole(0, 0, 2);
    other->SetupHole(0, 0, 0);
    ASSERT_EQ(hole->GetLayers(), "DBDB");
    DigThroughDirt(hole);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    hole->CreateArtifact();
    SoundLog::asked.clear();
    hole->StealArtifact();
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_EQ(hole->GetArtifactSprite(), nullptr);
    EXPECT_EQ(hole->GetArtifactsTakenOut(), 1);
    EXPECT_EQ(hole->GetHoleFrame(), 2);
    EXPECT_EQ(Asked(kDigger), 0) << "101 to 101";
    DigThroughDirt(hole);
    EXPECT_EQ(hole->GetHoleFrame(), 3);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    hole->FinishExcavation();
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_FINISHED);
    EXPECT_EQ(Asked("delvor/SOUND_HOLE_FINISHED"), 1);
    ASSERT_NE(hole->GetRopesSprite(), nullptr);
    EXPECT_EQ(hole->GetRopesSprite()->GetParent(), hole);
    EXPECT_EQ(hole->GetPitSprite()->GetCurrentFrame(), 5) << "the pit's last frame";
    EXPECT_FALSE(hole->GetRequestBalloon()->IsVisible());
    EXPECT_EQ(hole->GetCurrentHoleLayer(), ' ');
    // The last hole to finish leaves the fanfare to the level.
    other->FinishExcavation();
    EXPECT_EQ(other->GetHoleState(), DelvorHole::HOLE_FINISHED);
    EXPECT_EQ(Asked("delvor/SOUND_HOLE_FINISHED"), 1);
}

// ---- workers and geometry

TEST_F(Holes, WorkersTakeTheDigSpotsInOrderAndBlockThem) {
    Start(Depths(3, 3));
    DelvorHole* hole = NewHole(300.0f, 200.0f);
    hole->SetupHole(0, 0, 1);
    DVPathFinder& paths = m_pHarness->Level()->GetPathFinder();
    ZQ2::SmartPtr<DelvorDigger> left = NewDigger();
    ZQ2::SmartPtr<DelvorDigger> right = NewDigger();
    ZQ2::SmartPtr<DelvorWorker> stranger(new DelvorWorker(0, 0, nullptr));
    EXPECT_TRUE(hole->CanAddWorker(left.Get()));
    hole->AddWorker(left.Get());
    EXPECT_FALSE(hole->CanAddWorker(stranger.Get())) << "a partner must be of the same kind";
    EXPECT_TRUE(paths.GetBlock(hole->GetBlockIndexForHole(0))->IsActive());
    EXPECT_FALSE(paths.GetBlock(hole->GetBlockIndexForHole(1))->IsActive());
    hole->AddWorker(right.Get());
    EXPECT_FALSE(hole->CanAddWorker(NewDigger().Get()));
    EXPECT_EQ(hole->GetWorkerAtHoleLocation(1), right.Get());
    EXPECT_EQ(hole->GetOtherWorker(left.Get()), right.Get());
    EXPECT_EQ(right->GetHole(), hole);
    EXPECT_TRUE(hole->ShouldFlipWorker(right.Get()));
    EXPECT_FALSE(hole->ShouldFlipWorker(left.Get()));
    hole->RemoveWorker(left.Get());
    EXPECT_FALSE(paths.GetBlock(hole->GetBlockIndexForHole(0))->IsActive());
    EXPECT_EQ(hole->GetFreeDigSpot(), 0);
    EXPECT_EQ(left->GetHole(), nullptr);
    hole->RemoveWorker(left.Get());
    EXPECT_EQ(hole->GetNumWorkers(), 1);

    // The spots and the click area lie around the hole's position.
    const ZQ2::Point_t<float> spot0 = hole->GetActionDest(0);
    const ZQ2::Point_t<float> spot1 = hole->GetActionDest(1);
    EXPECT_FLOAT_EQ(spot0.x, 264.0f);
    EXPECT_FLOAT_EQ(spot0.y, 240.0f);
    EXPECT_FLOAT_EQ(spot1.x, 393.0f);
    EXPECT_FLOAT_EQ(spot1.y, 238.0f);
    EXPECT_FLOAT_EQ(hole->GetActionDest(4).y, 275.0f);
    EXPECT_FLOAT_EQ(hole->GetActionDest(9).x, 0.0f);
    EXPECT_TRUE(hole->IsInside(290.0f, 190.0f));
    EXPECT_FALSE(hole->IsInside(420.0f, 200.0f));
    EXPECT_FALSE(hole->IsInside(300.0f, 260.0f));
    EXPECT_EQ(paths.GetBlock(hole->GetBlockIndexForHole(0))->GetX(), 234.0f);
    EXPECT_EQ(hole->GetBlockIndexForHole(2), -1);
}

TEST_F(Holes, AWorkerNeedIsServedOnceUntilTheNextDelivery) {
    Start(Depths(3, 3));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 1);
    ZQ2::SmartPtr<DelvorDigger> digger = NewDigger();
    hole->AddWorker(digger.Get());
    digger->SetActivity(9);
    EXPECT_EQ(hole->GetDiggerToUnhypnotize(), digger.Get());
    EXPECT_FALSE(hole->AreAllWorkersAtHoleIdle());
    EXPECT_EQ(hole->GetNumWorkersHealthy(), 0);
    EXPECT_FALSE(hole->CausePanic(true)) << "a hypnotised worker does not panic";
    digger->SetActivity(0);
    EXPECT_EQ(hole->SetWorkerActivity(5, 3), 0) << "only from 5 or 3";
    EXPECT_EQ(hole->SetWorkerActivity(5, -1), 1);
    EXPECT_EQ(hole->GetNumWorkersWorking(), 1);
    EXPECT_EQ(hole->GetNumWorkersWhoCanCleanHole(), 1);
    EXPECT_TRUE(hole->NeedDiggerAtHole());
    EXPECT_FALSE(hole->NeedPickerAtHole());
    EXPECT_FALSE(hole->CanVuruProcessHole()) << "a worker is at the hole";
}

TEST_F(Holes, AWorkerWhoseNeedItsBalloonShowsHasAsked) {
    Start(Depths(3, 3));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 1);
    ZQ2::SmartPtr<DelvorDigger> hungry = NewDigger();
    ZQ2::SmartPtr<DelvorDigger> eating = NewDigger();
    hole->AddWorker(hungry.Get());
    hole->AddWorker(eating.Get());
    hole->SetupRequestBalloon();
    EXPECT_FALSE(hungry->HasAsked());
    EXPECT_FALSE(eating->HasAsked());
    hungry->SetRequest(8);
    hungry->SetActivity(4);
    eating->SetRequest(9);
    eating->SetActivity(6);
    hole->SetupRequestBalloon();
    EXPECT_TRUE(hungry->HasAsked());
    EXPECT_FALSE(eating->HasAsked()) << "its balloon does not show while it drinks";
    ZQ2::SmartPtr<DelvorDigger> hypnotised = NewDigger();
    hole->RemoveWorker(eating.Get());
    hole->AddWorker(hypnotised.Get());
    hypnotised->SetActivity(9);
    hole->SetupRequestBalloon();
    EXPECT_FALSE(hypnotised->HasAsked()) << "medicine is no personal need";
}

TEST_F(Holes, TheDirtOverAFindTakesTheCrudColoursInTheDrawnDirtShape) {
    Start(Depths(3, 3));
    const auto filled = [](uint32_t pixel) {
        auto* data = new ZQ2::ImageDataOpenGL(20, 20, 20, 20, true);
        ZQ2::SmartPtr<ZQ2::Image> image(new ZQ2::Image(data, 1, 1));
        data->Lock(false);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x)
                *data->GetPixelData<uint32_t>(x, y) = pixel;
        }
        data->Unlock();
        return image;
    };
    Pictures::images["delvor/ARTIFACT_DIRTY_TEST"] = filled(0xFF336699u);
    for (int n = 1; n <= 3; ++n)
        Pictures::images["delvor/ARTIFACT_DIRTY" + std::to_string(n)] = filled(0x80000000u | static_cast<uint32_t>(n));
    DelvorHole* hole = NewHole();
    hole->SetupHole(0, 0, 1);
    DigThroughDirt(hole);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    hole->CreateArtifact();
    ASSERT_NE(hole->GetArtifactDirt(), nullptr);
    const ZQ2::Image* dirt = hole->GetArtifactDirt()->GetImage();
    ASSERT_NE(dirt, nullptr);
    EXPECT_EQ(*dirt->GetFrame()->GetPixelData<uint32_t>(7, 11), 0x80336699u);
    EXPECT_EQ(*Pictures::Named("ARTIFACT_DIRTY_TEST")->GetFrame()->GetPixelData<uint32_t>(7, 11), 0xFF336699u);
}

// ---- Vuru's tool work

TEST_F(Holes, ToolTimesUseTheKeyOfTheirWorkerCount) {
    Start(Depths(3, 3));
    EXPECT_EQ(DelvorHole::GetUpgradedSiftTime(1), 1600);
    EXPECT_EQ(DelvorHole::GetUpgradedSiftTime(2), 800);
    EXPECT_EQ(DelvorHole::GetUpgradedBrushTime(1), 2400);
    EXPECT_EQ(DelvorHole::GetUpgradedBrushTime(2), 1200);
    EXPECT_EQ(DelvorHole::GetUpgradedPickTime(1), 700);
    EXPECT_EQ(DelvorHole::GetUpgradedPickTime(2), 350);
    EXPECT_EQ(DelvorHole::GetUpgradedPickPower(3), 3);
}

TEST_F(Holes, ToolUpgradesShortenTheirOwnToolTimes) {
    Start(Depths(3, 3));
    struct Case {
        int type;
        int effect;
        int sift1, sift2, brush1, brush2, pick1, pick2;
    };
    const Case cases[] = {
        {DelvorUpgrade::TYPE_SIFT, -400, 1200, 400, 2400, 1200, 700, 350},
        {DelvorUpgrade::TYPE_BRUSH, -600, 1600, 800, 1800, 600, 700, 350},
        {DelvorUpgrade::TYPE_PICKER_PICK, -100, 1600, 800, 2400, 1200, 600, 250},
        {DelvorUpgrade::TYPE_DIGGER_DIG, -100, 1600, 800, 2400, 1200, 700, 350},
    };
    for (const Case& c : cases) {
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
        upgradetest::Own(c.type, c.effect);
        EXPECT_EQ(DelvorHole::GetUpgradedSiftTime(1), c.sift1) << c.type;
        EXPECT_EQ(DelvorHole::GetUpgradedSiftTime(2), c.sift2) << c.type;
        EXPECT_EQ(DelvorHole::GetUpgradedBrushTime(1), c.brush1) << c.type;
        EXPECT_EQ(DelvorHole::GetUpgradedBrushTime(2), c.brush2) << c.type;
        EXPECT_EQ(DelvorHole::GetUpgradedPickTime(1), c.pick1) << c.type;
        EXPECT_EQ(DelvorHole::GetUpgradedPickTime(2), c.pick2) << c.type;
    }
}

TEST(HoleToolWork, BrushLoopsAndSparkleOffsetsNeverDivideByZeroOrDrawFromNothing) {
    struct Case {
        int time, perFrame, frames, loops;
    };
    for (const Case& c : {Case{2400, 200, 4, 3}, Case{2400, 0, 4, 0}, Case{2400, 200, 0, 0}, Case{100, 200, 4, 0},
                          Case{-800, 100, 4, -2}})
        EXPECT_EQ(DelvorHole::GetBrushLoops(c.time, c.perFrame, c.frames), c.loops) << c.time << "/" << c.perFrame;
    ZQ2::Random::Instance()->SetSeed(5);
    EXPECT_EQ(DelvorHole::DrawSparkleOffset(0), 0);
    EXPECT_EQ(DelvorHole::DrawSparkleOffset(-3), 0);
    for (int i = 0; i < 50; ++i) {
        const int offset = DelvorHole::DrawSparkleOffset(4);
        EXPECT_GE(offset, -4);
        EXPECT_LT(offset, 4);
    }
}

class HoleTools : public Holes {
protected:
    // A hole whose current layer is an artifact with Vuru at it asking for tools.
    // A tool from the carrier's table, matching Vuru's request of its code.
    class Tool : public ClickObject {
    public:
        explicit Tool(int code) : ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr), m_iCode(code) {}
        bool IsItem() const override { return true; }
        bool MatchesRequest(int kind, int) const override { return kind == m_iCode; }

    private:
        int m_iCode;
    };
    DelvorHole* ArtifactHoleWithVuru() {
        DelvorHole* hole = NewHole();
        hole->SetupHole(0, 0, 1);
        DigThroughDirt(hole);
        hole->SetHoleState(DelvorHole::HOLE_REQUEST);
        hole->CreateArtifact();
        Vuru* vuru = AddVuru();
        vuru->SetHole(hole, false);
        vuru->SetVuruState(3);
        return hole;
    }
    // Frames until the hole is back at 101, or -1.
    int FramesUntilRequesting(DelvorHole* hole, int budget) {
        for (int frame = 1; frame <= budget; ++frame) {
            m_pHarness->Step(1);
            if (hole->GetHoleState() == DelvorHole::HOLE_REQUEST)
                return frame;
        }
        return -1;
    }
};

TEST_F(HoleTools, TheSifterShakesSixteenTimesAndHandsBackToVuru) {
    Start(Depths(1, 1));
    DelvorHole* hole = ArtifactHoleWithVuru();
    m_spVuru->SetRequest(0, 4);
    SoundLog::asked.clear();
    hole->DoSifter();
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_WORKING);
    EXPECT_EQ(m_spVuru->GetRequest(0), 0);
    EXPECT_EQ(Asked("delvor/SOUND_VURU_SIFTS"), 1);
    ZQ2::SmartPtr<ZQ2::Sprite> tool = hole->GetToolSprite();
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->GetImage(), Pictures::Named("ITEM_SIFTER"));
    EXPECT_TRUE(tool->IsVisible());
    EXPECT_EQ(hole->GetArtifactDirt()->GetNextSibling(), tool.Get()) << "drawn over the dirty artifact";
    ASSERT_NE(hole->GetDustCloud(), nullptr);
    EXPECT_EQ(tool->GetNextSibling(), hole->GetDustCloud());
    // 16 moves of 100 ms between x 30 and 50.
    float least = 1000.0f;
    float most = -1000.0f;
    int frames = 0;
    for (; frames < 200 && hole->GetHoleState() == DelvorHole::HOLE_WORKING; ++frames) {
        m_pHarness->Step(1);
        least = std::min(least, tool->GetX());
        most = std::max(most, tool->GetX());
    }
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_REQUEST);
    EXPECT_GE(frames * gametest::FRAME_MS, 1600 - 4 * gametest::FRAME_MS);
    EXPECT_LE(frames * gametest::FRAME_MS, 1600 + 2 * gametest::FRAME_MS);
    EXPECT_NEAR(least, 30.0f, 1.0f);
    EXPECT_NEAR(most, 50.0f, 1.0f);
    EXPECT_FALSE(tool->IsVisible());
    EXPECT_EQ(hole->GetToolSprite(), nullptr);
    EXPECT_EQ(hole->GetDustCloud(), nullptr);
    EXPECT_EQ(hole->GetArtifactDirt(), nullptr);
    ASSERT_NE(hole->GetArtifactSprite(), nullptr) << "the artifact stays until Vuru takes it";
}

TEST_F(HoleTools, ASiftTimeBelowSixteenMillisecondsGivesInstantMoves) {
    Start(Depths(1, 1));
    FileConstants(Int("TIME_SIFTING_ONEP", 10));
    DelvorHole* hole = ArtifactHoleWithVuru();
    hole->DoSifter();
    EXPECT_GE(FramesUntilRequesting(hole, 40), 1);
}

TEST_F(HoleTools, TheBrushPlaysItsLoopsAndSurvivesAZeroFrameTime) {
    Start(Depths(1, 1));
    DelvorHole* hole = ArtifactHoleWithVuru();
    m_spVuru->SetRequest(1, 5);
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->DoBrush();
    EXPECT_EQ(m_spVuru->GetRequest(1), 0);
    EXPECT_EQ(hole->GetToolSprite()->GetImage(), Pictures::Named("ITEM_BRUSH"));
    // 2400 / 200 / 4 frames = 3 loops of 4 frames at 100 ms.
    const int frames = FramesUntilRequesting(hole, 200);
    EXPECT_GE(frames * gametest::FRAME_MS, 1200);
    EXPECT_LE(frames * gametest::FRAME_MS, 1200 + 3 * gametest::FRAME_MS);

    FileConstants(Int("TIME_BRUSHING_PERFRAME", 0));
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->DoBrush();
    EXPECT_GE(FramesUntilRequesting(hole, 10), 1);
}

TEST_F(HoleTools, TheBottleAnswersEitherBottleRequestAndHasNoUpgradedPicture) {
    Start(Depths(1, 1));
    DelvorHole* hole = ArtifactHoleWithVuru();
    m_spVuru->SetRequest(0, 5);
    m_spVuru->SetRequest(1, 7);
    SoundLog::asked.clear();
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->DoBottle();
    EXPECT_EQ(m_spVuru->GetRequest(1), 0);
    EXPECT_EQ(m_spVuru->GetRequest(0), 5);
    EXPECT_EQ(Asked("delvor/SOUND_VURU_SPRAYS"), 1);
    EXPECT_EQ(hole->GetToolSprite()->GetImage(), Pictures::Named("ITEM_BOTTLE"));
    EXPECT_EQ(hole->GetDustCloud()->GetNextSibling(), hole->GetToolSprite()) << "the spray is drawn behind the bottle";
    // 3 loops of 2 frames at 50 ms.
    const int frames = FramesUntilRequesting(hole, 100);
    EXPECT_GE(frames * gametest::FRAME_MS, 300);
    EXPECT_LE(frames * gametest::FRAME_MS, 300 + 3 * gametest::FRAME_MS);
    m_spVuru->SetRequest(0, 6);
    m_spVuru->SetRequest(1, 7);
    hole->SetHoleState(DelvorHole::HOLE_WORKING);
    hole->DoBottle();
    EXPECT_EQ(m_spVuru->GetRequest(0), 0);
    EXPECT_EQ(m_spVuru->GetRequest(1), 7);
}

TEST_F(HoleTools, VuruUsesAToolOnlyWhileAsking) {
    Start(Depths(1, 1));
    DelvorHole* hole = ArtifactHoleWithVuru();
    m_spVuru->SetRequest(0, 5);
    ZQ2::SmartPtr<Tool> brush(new Tool(5));
    hole->StartDelivery();
    EXPECT_TRUE(hole->UseItem(brush.Get()));
    EXPECT_EQ(hole->GetToolsUsed(), 1);
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_WORKING);
    EXPECT_FALSE(hole->GetRequestBalloon()->IsVisible());
    m_spVuru->SetRequest(0, 5);
    m_spVuru->SetVuruState(4);
    hole->SetHoleState(DelvorHole::HOLE_REQUEST);
    EXPECT_TRUE(hole->UseItem(m_spVuru.Get()));
    EXPECT_EQ(hole->GetToolsUsed(), 1) << "no tool while she is not asking";
}

TEST_F(HoleTools, SparklesAppearOnlyOverAnArtifact) {
    Start(Depths(1, 1));
    DelvorHole* bare = NewHole(600.0f, 200.0f);
    bare->SetupHole(0, 0, 1);
    bare->StartSparkles(true);
    for (int i = 0; i < DelvorHole::SPARKLE_COUNT; ++i)
        EXPECT_EQ(bare->GetSparkle(i), nullptr);

    DelvorHole* hole = ArtifactHoleWithVuru();
    for (int i = 0; i < DelvorHole::SPARKLE_COUNT; ++i) {
        ASSERT_NE(hole->GetSparkle(i), nullptr);
        EXPECT_FALSE(hole->GetSparkle(i)->IsVisible());
    }
    bool shown = false;
    for (int frame = 0; frame < 30 && !shown; ++frame) {
        m_pHarness->Step(1);
        for (int i = 0; i < DelvorHole::SPARKLE_COUNT; ++i)
            shown = shown || hole->GetSparkle(i)->IsVisible();
    }
    EXPECT_TRUE(shown) << "a sparkle shows within the longest delay";
    hole->MoveArtifactToFront(false);
    EXPECT_EQ(hole->GetSparkle(0), nullptr);
    EXPECT_EQ(hole->GetNextSibling(), hole->GetArtifactSprite());
}
