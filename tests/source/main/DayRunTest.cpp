// A whole day of the first dig in Greece played by a scripted player
// through the real game: clicks and drags at the objects' positions, read
// from the scene, with fixed frames and a seeded random source.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/framework/MouseMessageData.h"
#include "engine/io/PlayerManager.h"
#include "engine/sprite/GameNode.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorItem.h"
#include "source/game/DelvorPicker.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/SceneGame.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/AppHarness.h"

using gametest::AppHarness;

namespace {

constexpr int START_FRAMES = 20000;

template <class T>
void Collect(ZQ2::GameNode* node, std::vector<T*>& found) {
    for (ZQ2::GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (T* t = ZQ2::DynamicCast<T>(child))
            found.push_back(t);
        Collect(child, found);
    }
}

SceneGame* EnterFirstDay(AppHarness& game) {
    if (!game.Started() || !game.StepUntilLoaded(START_FRAMES))
        return nullptr;
    if (game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_SELECTION"; }, START_FRAMES) < 0)
        return nullptr;
    ZQ2::PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
    auto* level = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->CreateScene("LEVEL1_1"));
    DelvorMain::StartScene("LEVEL1_1");
    return level;
}

// A point on the object where a click lands on it, in game coordinates:
// the middle of the part of its picture that answers IsInside.
bool PointOn(ClickObject* object, float& x, float& y) {
    const float w = std::max(object->GetWidth(), 8.0f);
    const float h = std::max(object->GetHeight(), 8.0f);
    float sx = 0;
    float sy = 0;
    int n = 0;
    for (float ly = -h; ly <= 2 * h; ly += h / 8)
        for (float lx = -w; lx <= 2 * w; lx += w / 8) {
            const ZQ2::Point_t<float> p = object->ToGlobal(lx, ly);
            if (object->IsInside(p.x, p.y)) {
                sx += p.x;
                sy += p.y;
                ++n;
            }
        }
    if (n == 0)
        return false;
    x = sx / n;
    y = sy / n;
    if (object->IsInside(x, y))
        return true;
    for (float ly = -h; ly <= 2 * h; ly += h / 8)
        for (float lx = -w; lx <= 2 * w; lx += w / 8) {
            const ZQ2::Point_t<float> p = object->ToGlobal(lx, ly);
            if (object->IsInside(p.x, p.y)) {
                x = p.x;
                y = p.y;
                return true;
            }
        }
    return false;
}

// The scripted player: every few frames it looks at the site and does the
// one most pressing thing a player would.
class Player {
public:
    Player(AppHarness& game, SceneGame* level) : m_Game(game), m_pLevel(level) {}

    void Click(ClickObject* object) {
        float x = 0;
        float y = 0;
        if (!PointOn(object, x, y))
            return;
        m_Game.Post(ZQ2::MESSAGE_MOUSE_MOVED, new ZQ2::MouseMessageData(x, y, 0, false));
        m_Game.Click(x, y);
    }
    void Drag(DelvorWorker* worker, DelvorHole* hole) {
        float wx = 0;
        float wy = 0;
        float hx = 0;
        float hy = 0;
        if (!PointOn(worker, wx, wy) || !PointOn(hole, hx, hy))
            return;
        m_Game.Post(ZQ2::MESSAGE_MOUSE_MOVED, new ZQ2::MouseMessageData(wx, wy, 0, false));
        m_Game.Post(ZQ2::MESSAGE_MOUSE_LEFT_DOWN, new ZQ2::MouseMessageData(wx, wy, 0, false));
        m_Game.Step(1);
        m_Game.Post(ZQ2::MESSAGE_MOUSE_MOVED, new ZQ2::MouseMessageData(hx, hy, 0, false));
        m_Game.Step(1);
        m_Game.Post(ZQ2::MESSAGE_MOUSE_LEFT_UP, new ZQ2::MouseMessageData(hx, hy, 0, false));
        ++m_iDrags;
    }
    DelvorItem* Item(int type) {
        std::string name;
        DelvorItem::GetNameFromType(type, name);
        std::vector<DelvorItem*> items;
        Collect(m_pLevel, items);
        for (DelvorItem* item : items)
            if (item->IsVisible() && item->IsOnTable() && item->GetName().find(name) != std::string::npos)
                return item;
        return nullptr;
    }
    std::vector<DelvorHole*> Holes() {
        std::vector<DelvorHole*> holes;
        Collect(m_pLevel, holes);
        return holes;
    }
    DelvorWorker* FreeWorker(bool digger) {
        for (const auto& w : m_pLevel->GetWorkers()) {
            const bool isDigger = ZQ2::DynamicCast<DelvorDigger>(w.Get()) != nullptr;
            if (isDigger == digger && w->IsInHomePosition() && !w->HasPersonalNeed() &&
                w->GetState() != DelvorCharacter::STATE_WALKING)
                return w.Get();
        }
        return nullptr;
    }

    // Sends Dovidi with the tools Vuru waits for; true when she went.
    bool DeliverTools() {
        Vuru* vuru = m_pLevel->GetVuru();
        Dovidi* dovidi = m_pLevel->GetDovidi();
        const bool dovidiIdle = dovidi->GetNumItemsInStack() == 0 && dovidi->GetBossActivity() == 0;
        m_iToolsWait = dovidiIdle ? m_iToolsWait + 1 : 0;
        if (m_iToolsWait > 40)
            m_bToolsOnTheWay = false;
        if (vuru->GetVuruState() != Vuru::VURU_WAITING_FOR_TOOLS) {
            m_bToolsOnTheWay = false;
            return false;
        }
        if (!dovidiIdle || m_bToolsOnTheWay)
            return false;
        int first = 0;
        int second = 0;
        const int count = vuru->GetVuruRequests(first, second);
        int clicked = 0;
        for (int code : {first, second}) {
            if (code == 0)
                continue;
            const int type = code == Vuru::REQUEST_SIFTER  ? DelvorItem::TYPE_SIFTER
                             : code == Vuru::REQUEST_BRUSH ? DelvorItem::TYPE_BRUSH
                                                           : DelvorItem::TYPE_BOTTLE;
            if (DelvorItem* tool = Item(type)) {
                Click(tool);
                ++clicked;
            }
        }
        if (clicked == 0)
            return false;
        Click(vuru);
        m_bToolsOnTheWay = true;
        m_iToolsWait = 0;
        ++m_aiDeliveries[count == 2 ? 1 : 0];
        return true;
    }

    // One look at the site and at most one action. Once time is up only
    // Vuru's work at her hole is left to finish, with the tools she asks for.
    void Act() {
        ++m_iTicks;
        const int dayState = m_pLevel->GetGameState();
        if (dayState == SceneGame::STATE_TIME_UP || dayState == SceneGame::STATE_WINDING_DOWN) {
            DeliverTools();
            return;
        }
        if (dayState != SceneGame::STATE_RUNNING || m_pLevel->GetWorkerToDrag())
            return;
        Vuru* vuru = m_pLevel->GetVuru();
        // Needs first: food or water, carried by Dovidi.
        for (const auto& w : m_pLevel->GetWorkers()) {
            const int need = w->GetRequest();
            if (need < DelvorWorker::REQUEST_FOOD || (m_Fed.count(w.Get()) && m_Fed[w.Get()] + 60 > m_iTicks))
                continue;
            DelvorItem* food = Item(need == DelvorWorker::REQUEST_WATER      ? DelvorItem::TYPE_CANTEEN
                                    : need == DelvorWorker::REQUEST_MEDICINE ? DelvorItem::TYPE_MEDICINE
                                                                             : DelvorItem::TYPE_SANDWICH);
            if (!food)
                food = Item(DelvorItem::TYPE_APPLE);
            if (!food)
                continue;
            Click(food);
            Click(w.Get());
            m_Fed[w.Get()] = m_iTicks;
            ++m_iFeeds;
            return;
        }
        if (DeliverTools())
            return;
        for (DelvorHole* hole : Holes()) {
            const int state = hole->GetHoleState();
            if (state == DelvorHole::HOLE_SURVEY && vuru->GetVuruState() == Vuru::VURU_IDLE && !vuru->GetHole()) {
                Click(hole);
                return;
            }
            if (state != DelvorHole::HOLE_REQUEST)
                continue;
            const int request = hole->GetHoleRequestFromState();
            if (request == DelvorHole::REQUEST_VURU && vuru->GetVuruState() == Vuru::VURU_IDLE && !vuru->GetHole()) {
                Click(hole);
                return;
            }
            if (request == DelvorHole::REQUEST_DIGGER || request == DelvorHole::REQUEST_PICKER) {
                DelvorWorker* worker = FreeWorker(request == DelvorHole::REQUEST_DIGGER);
                if (worker && hole->CanAddWorker(worker)) {
                    Drag(worker, hole);
                    return;
                }
            }
        }
    }

    int m_iDrags = 0;
    int m_iFeeds = 0;
    int m_aiDeliveries[2] = {0, 0};

private:
    AppHarness& m_Game;
    SceneGame* m_pLevel;
    std::map<DelvorWorker*, int> m_Fed;
    int m_iTicks = 0;
    bool m_bToolsOnTheWay = false;
    int m_iToolsWait = 0;
};

class DayRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

}  // namespace

// Plays the day from its start dialog to its end; the number of frames, or
// -1 when the day did not end within its time and a margin for the walks home.
int PlayDay(AppHarness& game, SceneGame* level, Player& player, const std::function<void()>& watch = {}) {
    if (game.StepUntil([&] { return level->GetGameState() == SceneGame::STATE_START_DIALOG; }, 3000) < 0)
        return -1;
    level->OnStartStageDialogClosed();
    game.SetDrawing(false);
    const int dayFrames = level->GetVariables().iTotalSeconds * 1000 / AppHarness::FRAME_MS;
    int frame = 0;
    return game.StepUntil(
        [&] {
            if (++frame % 8 == 0)
                player.Act();
            if (watch)
                watch();
            return level->GetGameState() >= SceneGame::STATE_MINIGAME;
        },
        dayFrames + 2000);
}

// Watches the day for its end of stage and whether the whole site was home
// by then: every worker in its place, Vuru idle and Dovidi at home.
struct EndStageWatch {
    explicit EndStageWatch(SceneGame* level) : m_pLevel(level) {}
    void operator()() {
        if (m_bSeen || m_pLevel->GetGameState() != SceneGame::STATE_END_STAGE)
            return;
        m_bSeen = true;
        m_bEveryoneHome = m_pLevel->GetVuru()->GetVuruState() == Vuru::VURU_IDLE &&
                          m_pLevel->GetVuru()->GetState() != DelvorCharacter::STATE_WALKING &&
                          m_pLevel->GetDovidi()->IsInHomePosition();
        for (const auto& worker : m_pLevel->GetWorkers())
            m_bEveryoneHome = m_bEveryoneHome && worker->IsCharacterInWaitingArea() &&
                              worker->GetState() != DelvorCharacter::STATE_WALKING;
    }
    SceneGame* m_pLevel;
    bool m_bSeen = false;
    bool m_bEveryoneHome = false;
};

// The scripted player's plain rules do not win every day: on some seeds a
// meal left in Dovidi's hands keeps Vuru's tools away for the rest of the day.
// This seed is one on which the whole site's work takes place.
TEST_F(DayRun, TheScriptedPlayerWinsTheFirstDay) {
    AppHarness game(4321);
    SceneGame* level = EnterFirstDay(game);
    ASSERT_NE(level, nullptr);
    Player player(game, level);
    bool toolWork = false;
    EndStageWatch endStage(level);
    const int frames = PlayDay(game, level, player, [&] {
        toolWork = toolWork || level->GetVuru()->GetVuruState() == Vuru::VURU_USING_TOOL;
        endStage();
    });
    ASSERT_GT(frames, 0);
    EXPECT_GE(level->GetFunds(), level->GetVariables().iPointsWin);
    EXPECT_TRUE(endStage.m_bSeen);
    EXPECT_TRUE(endStage.m_bEveryoneHome);
    // Every part of the site's work took place.
    auto played = [&](const char* sound) {
        return std::count(game.Sounds().begin(), game.Sounds().end(), std::string("delvor/") + sound);
    };
    EXPECT_GT(played("SOUND_VURU_SURVEYS"), 0);
    EXPECT_GT(player.m_iDrags, 0);
    EXPECT_GT(player.m_iFeeds, 0);
    EXPECT_GT(player.m_aiDeliveries[0], 0);
    EXPECT_GT(player.m_aiDeliveries[1], 0);
    EXPECT_TRUE(toolWork);
    EXPECT_GT(played("SOUND_VURU_PHOTOGRAPHS"), 0);
    EXPECT_GT(played("SOUND_ARTIFACT_FLIES_TO_CRATE"), 0);
}

class DayRunSeeds : public DayRun, public ::testing::WithParamInterface<unsigned> {};

TEST_P(DayRunSeeds, TheDayEndsWithoutAStall) {
    AppHarness game(GetParam());
    SceneGame* level = EnterFirstDay(game);
    ASSERT_NE(level, nullptr);
    Player player(game, level);
    EndStageWatch endStage(level);
    EXPECT_GT(PlayDay(game, level, player, std::ref(endStage)), 0) << "stalled in state " << level->GetGameState();
    EXPECT_TRUE(endStage.m_bSeen);
    EXPECT_TRUE(endStage.m_bEveryoneHome);
}

INSTANTIATE_TEST_SUITE_P(Seeds, DayRunSeeds, ::testing::Values(1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u, 55u, 89u));
