#pragma once
// A running day with a few workers in the waiting area and holes of known
// layers, for the tests of the workers: placing a worker walks it to its
// hole as a drop does, and frames are stepped until a condition holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DVPathFinder.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorPicker.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

namespace workertest {

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;

// The pictures asked for, as "section/name"; none is found.
struct PictureLog {
    static inline std::vector<std::string> asked;
    static ZQ2::Image* Get(const std::string& name, const std::string& section, const std::string*) {
        asked.push_back(section + "/" + name);
        return nullptr;
    }
};

class WorkerSite : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        ZQ2::ResourceLookup::SetImageSource(&PictureLog::Get);
        Start(Vars());
    }
    void TearDown() override {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        PictureLog::asked.clear();
        m_Holes.clear();
        m_pHarness.reset();
    }
    // The level's workers: two male diggers, a female digger and two
    // pickers. A sure first hunger, a long day, holes of one bronze artifact
    // under `depth` layers with `rocks` rocks of toughness 3.
    static std::string Vars(int colours = 2, int rocks = 0, int depth = 40) {
        return Var("total_seconds", 600) + Var("num_diggers_male", 2) + Var("num_diggers_female", 1) +
               Var("num_pickers", 2) + Var("num_digger_colors", colours) + Var("min_rocks_per_hole", rocks) +
               Var("max_rocks_per_hole", rocks) + Var("min_picks_per_rock", 3) + Var("max_picks_per_rock", 3) +
               Var("min_excavation_depth", depth) + Var("max_excavation_depth", depth) +
               "<Float id=\"rock_chance_per_hole\" value=\"1.0\"/>" +
               "<Float id=\"digger_hunger_chance\" value=\"1.0\"/>";
    }
    // Every worker of the level starts in its waiting place.
    void Start(const std::string& vars) {
        m_Holes.clear();
        m_pHarness.reset();
        m_pHarness = std::make_unique<LevelHarness>(vars);
        ASSERT_TRUE(m_pHarness->OpenDay());
        for (const auto& worker : Level()->GetWorkers())
            Wait(worker.Get());
        m_iNextDigger = 0;
        m_iNextPicker = 0;
        SoundLog::asked.clear();
    }
    SceneGame* Level() const { return m_pHarness->Level(); }

    void Wait(DelvorWorker* worker) {
        if (worker->GetWaitAreaIndex() < 0) {
            EXPECT_GE(Level()->AddWorkerToWaitArea(worker), 0);
        }
        worker->SnapWorkerBackToWaitArea();
        worker->ShowShovel();
        EXPECT_TRUE(worker->IsCharacterInWaitingArea());
    }
    // The level's next digger, set up anew with this colour and gender.
    DelvorDigger* Digger(int colour = 1, int gender = 1) {
        DelvorDigger* digger = Next<DelvorDigger>(m_iNextDigger);
        digger->SetGender(gender);
        digger->Init(0, 0, Level(), colour);
        Wait(digger);
        return digger;
    }
    DelvorPicker* Picker() {
        DelvorPicker* picker = Next<DelvorPicker>(m_iNextPicker);
        picker->Init(0, 0, Level());
        Wait(picker);
        return picker;
    }
    template <class T>
    T* Next(int& taken) {
        int seen = 0;
        for (const auto& worker : Level()->GetWorkers())
            if (auto* found = ZQ2::DynamicCast<T>(worker.Get()); found && seen++ == taken) {
                ++taken;
                return found;
            }
        ADD_FAILURE() << "the level has no more workers of the kind";
        return nullptr;
    }
    DelvorHole* Hole(float x = 300.0f) {
        auto* hole = new DelvorHole(x, 200.0f, nullptr);
        hole->SetName("HOLE" + std::to_string(m_Holes.size() + 1));
        ZQ2::GameTree::LinkNodeUnder(Level(), hole);
        m_Holes.emplace_back(hole);
        hole->SetupHole(0, 0, 1);
        hole->SetHoleState(DelvorHole::HOLE_REQUEST);
        return hole;
    }
    // Moves the hole on to its first rock; false when it has none.
    static bool AtRock(DelvorHole* hole) {
        while (hole->GetCurrentDepth() < hole->GetLayerCount() && !hole->IsCurrentHoleLayerRock())
            hole->AdvanceCurrentHoleDepth();
        return hole->IsCurrentHoleLayerRock();
    }
    // Moves the hole on to the start of its longest run of dirt.
    static void AtLongestDirt(DelvorHole* hole) {
        const std::string& layers = hole->GetLayers();
        size_t best = 0;
        size_t bestLength = 0;
        for (size_t i = 0; i < layers.size();) {
            size_t end = i;
            while (end < layers.size() && layers[end] == 'D')
                ++end;
            if (end - i > bestLength) {
                best = i;
                bestLength = end - i;
            }
            i = end == i ? i + 1 : end;
        }
        while (hole->GetCurrentDepth() < static_cast<int>(best))
            hole->AdvanceCurrentHoleDepth();
    }
    // The walk a drop on the hole starts: straight to its dig spot.
    void Place(DelvorWorker* worker, DelvorHole* hole) {
        const ZQ2::Point_t<float> spot = hole->GetActionDest(hole->GetNumWorkers() == 0 ? 0 : 1);
        DVNode* route = DVPathFinder::CreateNode(worker->GetX(), worker->GetY(), nullptr);
        DVPathFinder::CreateNode(worker->GetX(), spot.y, route);
        DVPathFinder::CreateNode(spot.x, spot.y, route->m_pFirst);
        worker->Walk(route, hole);
    }
    // Frames until the condition holds; -1 when the budget runs out first.
    int StepUntil(const std::function<bool()>& done, int budget = 2000) {
        for (int i = 1; i <= budget; ++i) {
            m_pHarness->Step(1);
            if (done())
                return i;
        }
        return -1;
    }
    bool AtHome(DelvorWorker* worker) const {
        return worker->IsCharacterInWaitingArea() && worker->GetState() != DelvorCharacter::STATE_WALKING;
    }
    int Count(const std::string& sound) const {
        return static_cast<int>(std::count(SoundLog::asked.begin(), SoundLog::asked.end(), "delvor/" + sound));
    }

    std::unique_ptr<LevelHarness> m_pHarness;
    int m_iNextDigger = 0;
    int m_iNextPicker = 0;
    std::vector<ZQ2::SmartPtr<DelvorHole>> m_Holes;
};

}  // namespace workertest
