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
        for (auto& worker : m_Workers)
            worker->Cleanup();
        m_Workers.clear();
        m_Holes.clear();
        m_pHarness.reset();
    }
    // Two male diggers and one picker, a sure first hunger, a long day.
    static std::string Vars(int colours = 2, int seconds = 600) {
        return Var("total_seconds", seconds) + Var("num_diggers_male", 2) + Var("num_diggers_female", 1) +
               Var("num_pickers", 2) + Var("num_digger_colors", colours) +
               "<Float id=\"digger_hunger_chance\" value=\"1.0\"/>";
    }
    void Start(const std::string& vars) {
        m_pHarness = std::make_unique<LevelHarness>(vars);
        Level()->OnStartStageDialogClosed();
        SoundLog::asked.clear();
    }
    SceneGame* Level() const { return m_pHarness->Level(); }

    // A worker set up for the day and standing in its waiting place.
    template <class T>
    T* Waiting(T* worker) {
        ZQ2::GameTree::LinkNodeUnder(Level(), worker);
        m_Workers.emplace_back(worker);
        const int index = Level()->AddWorkerToWaitArea(worker);
        EXPECT_GE(index, 0);
        worker->SnapWorkerBackToWaitArea();
        worker->ShowShovel();
        EXPECT_TRUE(worker->IsCharacterInWaitingArea());
        return worker;
    }
    DelvorDigger* Digger(int colour = 1, int gender = 1) {
        auto* digger = new DelvorDigger(0.0f, 0.0f, nullptr, gender);
        digger->Init(0, 0, Level(), colour);
        return Waiting(digger);
    }
    DelvorPicker* Picker() {
        auto* picker = new DelvorPicker(0.0f, 0.0f, nullptr);
        picker->Init(0, 0, Level());
        return Waiting(picker);
    }
    DelvorHole* Hole(const std::string& layers, const std::vector<int>& toughness = {}, float x = 300.0f) {
        auto* hole = new DelvorHole(x, 200.0f, nullptr);
        ZQ2::GameTree::LinkNodeUnder(Level(), hole);
        m_Holes.emplace_back(hole);
        hole->SetLayers(layers, toughness);
        return hole;
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
    std::vector<ZQ2::SmartPtr<DelvorWorker>> m_Workers;
    std::vector<ZQ2::SmartPtr<DelvorHole>> m_Holes;
};

}  // namespace workertest
