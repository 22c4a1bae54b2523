// Upgrades in the real game: the shop of Greece's second day bought from
// with the pointer, and the owned upgrades kept in the profile's files
// across players and across a restart of the application.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"
#include "source/dialogs/DialogUpgrade.h"
#include "source/game/DelvorItem.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/AppHarness.h"

using gametest::AppHarness;
using namespace ZQ2;

namespace {

constexpr int START_FRAMES = 20000;

class UpgradePlay : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

// Started and loaded up to the main menu.
bool ReachMenu(AppHarness& game) {
    return game.Started() && game.StepUntilLoaded(START_FRAMES) &&
           game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_SELECTION"; }, START_FRAMES) >= 0;
}

// The player chosen as the menus choose one.
void Choose(const std::string& name) {
    PlayerManager* players = PlayerManager::g_Instance;
    if (!players->HasPlayer(name))
        players->AddPlayer(new DelvorPlayer(name));
    players->ChangePlayer(name);
    DVUpgradeHandler::UseCurrentPlayer();
}

std::vector<std::string> OwnedIds() {
    std::vector<std::string> ids;
    for (const auto& upgrade : DVUpgradeHandler::g_Instance->GetOwnedList())
        ids.push_back(upgrade->GetID());
    return ids;
}

DialogUpgrade* Shop(SceneGame* level) {
    for (const auto& dialog : level->GetActiveDialogs())
        if (auto* shop = DynamicCast<DialogUpgrade>(dialog.Get()))
            return shop;
    return nullptr;
}

std::string Text(Dialog* dialog, const std::string& name) {
    auto* label = DynamicCast<Label>(dialog->GetComponent(name));
    return label ? std::string(label->GetText()) : std::string("<no label " + name + ">");
}

Point_t<float> Centre(Dialog* dialog, int item) {
    auto* sprite = DynamicCast<Sprite>(dialog->GetComponent("UPGRADE_ITEM" + std::to_string(item)));
    return sprite->ToGlobal(sprite->GetWidth() / 2.0f, sprite->GetHeight() / 2.0f);
}

void MoveTo(AppHarness& game, Point_t<float> at) {
    game.Post(MESSAGE_MOUSE_MOVED, new MouseMessageData(at.x, at.y, 0, false));
    game.Step(1);
}

}  // namespace

TEST_F(UpgradePlay, GreecesSecondDaySellsOneOfThreeUpgradesOnceAndTheTablesShowIt) {
    AppHarness game(1234);
    ASSERT_TRUE(ReachMenu(game));
    Choose("Ann");
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 2;
    auto* level = DynamicCast<SceneGame>(SceneManager::g_Instance->CreateScene("LEVEL1_2"));
    ASSERT_NE(level, nullptr);
    DelvorMain::StartScene("LEVEL1_2");
    ASSERT_GE(game.StepUntil([&] { return Shop(level) != nullptr; }, 600), 0) << "no shop on day 1-2";
    DialogUpgrade* shop = Shop(level);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_UPGRADE_SHOP);
    // The first three Greek upgrades of the list, with their titles.
    std::vector<std::string> offered;
    for (const auto& offer : shop->GetOffers()) {
        offered.push_back(offer->GetID());
        EXPECT_EQ(offer->GetCountry(), 1) << offer->GetID();
    }
    ASSERT_EQ(offered, (std::vector<std::string>{"GREECE_SIFT1", "GREECE_DOVIDI1", "GREECE_DIGGER_WALK1"}));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(Text(shop, "UPGRADE_ITEM" + std::to_string(n) + "_TITLE"), shop->GetOffers()[n - 1]->GetLabel());
    const std::string standard = Text(shop, "UPGRADE_DESC");
    EXPECT_EQ(standard, "Choose one upgrade for your dig.");
    game.Step(60);  // the fade-in is over

    // Hovering shows each description; leaving brings the default back.
    for (int n = 1; n <= 3; ++n) {
        MoveTo(game, Centre(shop, n));
        EXPECT_EQ(Text(shop, "UPGRADE_DESC"), shop->GetOffers()[n - 1]->GetDesc()) << n;
        EXPECT_FALSE(shop->GetOffers()[n - 1]->GetDesc().empty());
    }
    const Point_t<float> outside = shop->ToGlobal(20.0f, 300.0f);
    MoveTo(game, outside);
    EXPECT_EQ(Text(shop, "UPGRADE_DESC"), standard);

    // A click beside the items buys nothing and leaves the shop open.
    game.Click(outside.x, outside.y);
    game.Step(2);
    EXPECT_TRUE(OwnedIds().empty());
    ASSERT_EQ(Shop(level), shop);

    // A click on the first item buys it at once, for this day.
    const Point_t<float> first = Centre(shop, 1);
    game.Click(first.x, first.y);
    game.Step(1);
    EXPECT_EQ(OwnedIds(), std::vector<std::string>{"GREECE_SIFT1"});
    EXPECT_TRUE(DVUpgradeHandler::g_Instance->IsUpgradeAlreadyAcquiredForDay(1, 2));
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetCurrentUpgradeValue(DelvorUpgrade::TYPE_SIFT), -800);
    auto* table = level->GetChild("TABLE_DOVIDI", true);
    auto* sifter = table ? DynamicCast<DelvorItem>(table->GetChild("ITEM_SIFTER", true)) : nullptr;
    ASSERT_NE(sifter, nullptr);
    EXPECT_EQ(sifter->GetItemImage(), ResourceLookup::GetImage("OBJ_SIFTER_UP1", "delvor", nullptr));
    // ... and into the profile's file before the day even starts.
    PropertyStore written;
    ASSERT_TRUE(PlayerManager::g_Instance->LoadSaveGameFromDisk(written, "delvor", "Ann"));
    ASSERT_TRUE(written.HasProperty("Upgrade1"));
    EXPECT_EQ(written.GetNode("Upgrade1")->GetPropString("upgrade_id"), "GREECE_SIFT1");
    EXPECT_GE(game.StepUntil([&] { return level->GetGameState() == SceneGame::STATE_WORKERS_WALK_IN; }, 300), 0);
    EXPECT_EQ(Shop(level), nullptr);

    // Replayed, the day opens without a shop.
    DelvorMain::StartScene("SCENE_MAP");
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_MAP"; }, 600), 0);
    DelvorMain::StartScene("LEVEL1_2");
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "LEVEL1_2"; }, 600), 0);
    const int frames = game.StepUntil(
        [&] { return Shop(level) != nullptr || level->GetGameState() == SceneGame::STATE_START_DIALOG; }, 1500);
    ASSERT_GE(frames, 0);
    EXPECT_EQ(Shop(level), nullptr);
    EXPECT_EQ(OwnedIds(), std::vector<std::string>{"GREECE_SIFT1"});
}

TEST_F(UpgradePlay, OwnedUpgradesComeBackAfterARestartAndStayWithTheirPlayer) {
    {
        AppHarness game(1234);
        ASSERT_TRUE(ReachMenu(game));
        DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
        Choose("Ann");
        ASSERT_NE(upgrades->AcquireUpgrade("GREECE_SIFT1", 1, 2), nullptr);
        ASSERT_NE(upgrades->AcquireUpgrade("GREECE_HOURGLASS1", 1, 3), nullptr);
        ASSERT_NE(upgrades->AcquireUpgrade("EGYPT_HOURGLASS1", 2, 6), nullptr);
        // Ann to Bob and back, the map never visited.
        Choose("Bob");
        EXPECT_TRUE(OwnedIds().empty());
        ASSERT_NE(upgrades->AcquireUpgrade("GREECE_DOVIDI1", 1, 2), nullptr);
        Choose("Ann");
        EXPECT_EQ(OwnedIds(), (std::vector<std::string>{"GREECE_SIFT1", "GREECE_HOURGLASS1", "EGYPT_HOURGLASS1"}));
        EXPECT_EQ(upgrades->GetNumHourGlasses(), 2);
        EXPECT_EQ(upgrades->UseHourglass(), 30000);
        Application::g_Instance->SaveData();
    }
    AppHarness game(1234);
    ASSERT_TRUE(ReachMenu(game));
    ASSERT_EQ(PlayerManager::g_Instance->GetCurrentPlayer()->GetName(), "Ann");
    ASSERT_EQ(OwnedIds(), (std::vector<std::string>{"GREECE_SIFT1", "EGYPT_HOURGLASS1"}));
    int country = 0;
    int day = 0;
    DVUpgradeHandler::g_Instance->GetOwnedList()[1]->GetWhenAchieved(country, day);
    EXPECT_EQ(country, 2);
    EXPECT_EQ(day, 6);
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetNumHourGlasses(), 1) << "the used hourglass stays used";
    Choose("Bob");
    EXPECT_EQ(OwnedIds(), std::vector<std::string>{"GREECE_DOVIDI1"});
    // The map rebuilds nothing for the player it was built for.
    DelvorMain::StartScene("SCENE_MAP");
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_MAP"; }, 600), 0);
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetOwner(), "Bob");
    EXPECT_EQ(OwnedIds(), std::vector<std::string>{"GREECE_DOVIDI1"});
}
