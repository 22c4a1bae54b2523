// The main menu on a small catalogue: the new-player dialog when nobody has
// a profile, the greeting, the more-games switch, the clean-up after a
// level, the trophy room by click, the seeded sparkles, and the map's
// stand-in.
#include "source/scenes/SceneSelection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/core/Random.h"
#include "engine/framework/SettingsManager.h"
#include "engine/io/GameSettings.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Sprite.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneFrontStandIn.h"
#include "source/scenes/SceneGame.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using gametest::GameWorld;

namespace {

std::string Button(const char* name, int x, int y) {
    return std::string("<Button name=\"") + name + "\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"100\" height=\"40\"/>";
}

std::string Catalogue() {
    return "<Integer id=\"TIME_SELECTION_SHINE_FRAMERATE\" value=\"50\"/>"
           "<Integer id=\"TIME_SELECTION_SHINE_DELAY_MIN\" value=\"1000\"/>"
           "<Integer id=\"TIME_SELECTION_SHINE_DELAY_MAX\" value=\"2000\"/>"
           "<Node id=\"scenes\">"
           "  <SceneSelection id=\"SCENE_SELECTION\" width=\"800\" height=\"600\">"
           "    <Vector id=\"scenecomponents\">"
           "      <Label name=\"LABEL_PLAYERNAME\" x=\"10\" y=\"10\" width=\"300\" height=\"30\"/>" +
           Button("BUTTON_PLAY", 300, 300) + Button("BUTTON_HELP", 100, 400) + Button("BUTTON_SETTINGS", 300, 400) +
           Button("BUTTON_HIGHSCORES", 500, 400) + Button("BUTTON_TROPHIES", 100, 500) +
           Button("BUTTON_CHANGENAME", 500, 500) + Button("BUTTON_MOREGAMES", 650, 10) +
           Button("BUTTON_QUIT", 300, 500) +
           "      <Sprite name=\"LOGO_MM\" x=\"200\" y=\"50\">"
           "        <Vector id=\"children\">"
           "          <Sprite name=\"SHINE1\" width=\"10\" height=\"10\"/>"
           "          <Sprite name=\"SHINE2\" width=\"10\" height=\"10\"/>"
           "        </Vector>"
           "      </Sprite>"
           "      <Sprite name=\"START_SPARKLE01\" width=\"10\" height=\"10\"/>"
           "      <Sprite name=\"START_SPARKLE02\" width=\"10\" height=\"10\"/>"
           "      <Sprite name=\"START_SPARKLE03\" width=\"10\" height=\"10\"/>"
           "    </Vector>"
           "  </SceneSelection>"
           "  <SceneGame id=\"LEVEL2_3\" width=\"800\" height=\"600\"/>"
           "  <SceneDelvor id=\"SCENE_TROPHY\" width=\"800\" height=\"600\"/>"
           "</Node>"
           "<Node id=\"dialogs\">"
           "  <DialogNameInput id=\"DIALOG_NEWPLAYER\" width=\"400\" height=\"200\">"
           "    <Vector id=\"components\">"
           "      <Button name=\"BUTTON_OK\" x=\"40\" y=\"150\" width=\"80\" height=\"30\"/>"
           "      <Button name=\"BUTTON_CANCEL\" x=\"240\" y=\"150\" width=\"80\" height=\"30\"/>"
           "    </Vector>"
           "  </DialogNameInput>"
           "</Node>";
}

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override {
        PlayerManager::CreateInstance(false, "1");
        DVUpgradeHandler::CreateInstance();
        Random::ReleaseInstance();
        Random::g_Instance = new Random(20261211);
        Random::g_Instance->AddRef();
        SettingsManager::CreateInstance(new GameSettings);
    }
    void TearDown() override {
        SettingsManager::ReleaseInstance();
        Random::ReleaseInstance();
        DVUpgradeHandler::ReleaseInstance();
        PlayerManager::ReleaseInstance();
        DelvorMain::m_nPrevCountry = -1;
        DelvorMain::m_nPrevDay = -1;
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 1;
    }

    static void ShowMoreGames(bool show) {
        SmartPtr<PropertyNode> keys(new PropertyNode("settings"));
        keys->InsertProperty(new PropertyValue("showmoregames", "Boolean", show ? "true" : "false"));
        SettingsManager::g_Instance->GetSettings()->Load(keys.Get());
    }

    SceneSelection* Enter() {
        SceneManager* scenes = SceneManager::g_Instance;
        auto* menu = DynamicCast<SceneSelection>(scenes->GetScene("SCENE_SELECTION"));
        if (!menu)
            menu = DynamicCast<SceneSelection>(scenes->CreateScene("SCENE_SELECTION"));
        EXPECT_NE(menu, nullptr);
        scenes->EnterScene("SCENE_SELECTION");
        m_World.Frame(0);
        return menu;
    }

    std::string Greeting(SceneSelection* menu) const {
        return DynamicCast<Label>(menu->GetComponent(LABEL_PLAYERNAME))->GetText();
    }

    GameWorld m_World{Catalogue()};
};

}  // namespace

TEST_F(MainMenu, WithoutAPlayerTheNameDialogOpensAtOnceAndTheGreetingIsEmpty) {
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsActiveDialog("DIALOG_NEWPLAYER"));
    EXPECT_EQ(Greeting(menu), "");
}

TEST_F(MainMenu, TheCurrentPlayerIsGreeted) {
    PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
    PlayerManager::g_Instance->ChangePlayer("Ann");
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->IsActiveDialog("DIALOG_NEWPLAYER"));
    EXPECT_EQ(Greeting(menu), "Ann");
}

TEST_F(MainMenu, TheMoreGamesButtonFollowsItsSetting) {
    for (bool show : {false, true}) {
        SCOPED_TRACE(show);
        ShowMoreGames(show);
        SceneManager::g_Instance->RemoveScene("SCENE_SELECTION");
        m_World.Frame(0);
        SceneSelection* menu = Enter();
        ASSERT_NE(menu, nullptr);
        auto* button = DynamicCast<ZQ2::Button>(menu->GetComponent("BUTTON_MOREGAMES"));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->IsVisible(), show);
        EXPECT_EQ(button->GetMethod() == &SceneSelection::OnMoreGamesClick, show);
    }
}

TEST_F(MainMenu, ReturningFromALevelRemovesItsSceneAndResetsThePlayPosition) {
    SceneManager* scenes = SceneManager::g_Instance;
    ASSERT_NE(scenes->CreateScene("LEVEL2_3"), nullptr);
    DelvorMain::m_nPrevCountry = 2;
    DelvorMain::m_nPrevDay = 3;
    DelvorMain::m_nCurCountry = 2;
    DelvorMain::m_nCurDay = 4;
    Enter();
    EXPECT_EQ(scenes->GetScene("LEVEL2_3"), nullptr);
    EXPECT_EQ(DelvorMain::m_nPrevCountry, -1);
    EXPECT_EQ(DelvorMain::m_nPrevDay, -1);
    EXPECT_EQ(DelvorMain::m_nCurCountry, 1);
    EXPECT_EQ(DelvorMain::m_nCurDay, 1);
}

TEST_F(MainMenu, AReleaseOnTheTrophiesOpensTheTrophyRoom) {
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->OnMouseLeftUp(gametest::Mouse(5.0f, 5.0f)));
    EXPECT_EQ(SceneManager::g_Instance->GetScene("SCENE_TROPHY"), nullptr);
    EXPECT_TRUE(menu->OnMouseLeftUp(gametest::Mouse(110.0f, 510.0f)));
    EXPECT_NE(SceneManager::g_Instance->GetScene("SCENE_TROPHY"), nullptr);
    EXPECT_EQ(DelvorMain::m_strCurScene, "SCENE_TROPHY");
}

TEST_F(MainMenu, EverySparkleAndEverySpotCanBeChosen) {
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    for (int i = 0; i < SceneSelection::SPARKLE_COUNT; ++i) {
        EXPECT_FALSE(menu->GetSparkle(i)->IsVisible());
        EXPECT_FLOAT_EQ(menu->GetSparkle(i)->GetScaleX(), SceneSelection::SPARKLE_SCALE);
    }
    std::set<int> sparkles;
    std::set<int> spots;
    for (int i = 0; i < 400; ++i) {
        menu->StartSparkle(true);
        const int sparkle = menu->GetLastSparkle();
        const int spot = menu->GetLastSpot();
        ASSERT_GE(sparkle, 0);
        ASSERT_LT(sparkle, SceneSelection::SPARKLE_COUNT);
        ASSERT_GE(spot, 0);
        ASSERT_LT(spot, SceneSelection::SPOT_COUNT);
        EXPECT_EQ(menu->GetSparkle(sparkle)->GetX(), SceneSelection::SPOTS[spot][0]);
        EXPECT_EQ(menu->GetSparkle(sparkle)->GetY(), SceneSelection::SPOTS[spot][1]);
        sparkles.insert(sparkle);
        spots.insert(spot);
    }
    EXPECT_EQ(sparkles.size(), 3u);
    EXPECT_EQ(spots.size(), 15u);
    EXPECT_TRUE(spots.count(14));
}

TEST_F(MainMenu, ASparkleShowsAfterItsDelayAndTheNextOneFollows) {
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    const ModifierContainer* first = menu->GetSparkleModifier();
    ASSERT_NE(first, nullptr);
    Sprite* sparkle = menu->GetSparkle(menu->GetLastSparkle());
    bool shown = false;
    // The longest delay, then frame animations with no frames to show.
    for (int t = 0; t < 3000 && menu->GetSparkleModifier() == first; t += 50) {
        m_World.Frame(50);
        shown = shown || sparkle->IsVisible();
    }
    EXPECT_NE(menu->GetSparkleModifier(), first);
    EXPECT_TRUE(shown);
    for (int i = 0; i < SceneSelection::SPARKLE_COUNT; ++i)
        EXPECT_FALSE(menu->GetSparkle(i)->IsVisible()) << i;

    // Leaving the menu stops the shimmer and the sparkles.
    menu->OnDeactivate();
    EXPECT_EQ(menu->GetSparkleModifier(), nullptr);
    EXPECT_EQ(menu->GetShimmerModifier(), nullptr);
}

TEST_F(MainMenu, TheMapStandInStartsThePlayPositionsLevelAndLeadsBack) {
    SceneManager* scenes = SceneManager::g_Instance;
    SmartPtr<PropertyNode> data(new PropertyNode("SCENE_MAP", "SceneFrontStandIn"));
    auto* map = new SceneFrontStandIn(data.Get());
    scenes->AddScene("SCENE_MAP", map);
    DelvorMain::m_nCurCountry = 2;
    DelvorMain::m_nCurDay = 3;
    SceneFrontStandIn::OnPlayClick(map, nullptr);
    EXPECT_NE(DynamicCast<SceneGame>(scenes->GetScene("LEVEL2_3")), nullptr) << "made from its catalogue entry";
    EXPECT_EQ(DelvorMain::m_strCurScene, "LEVEL2_3");

    DelvorMain::m_nCurDay = 4;
    SceneFrontStandIn::OnPlayClick(map, nullptr);
    EXPECT_NE(DynamicCast<SceneGame>(scenes->GetScene("LEVEL2_4")), nullptr) << "a plain level without one";
    EXPECT_EQ(DelvorMain::m_strCurScene, "LEVEL2_4");

    SceneFrontStandIn::OnBackClick(map, nullptr);
    EXPECT_EQ(DelvorMain::m_strCurScene, "SCENE_SELECTION");
}

TEST_F(MainMenu, TheShimmerRestartsAfterItsDelayAndHidesItsLayersUntilTheNext) {
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    GameNode* logo = menu->GetComponent("LOGO_MM");
    ASSERT_NE(logo, nullptr);
    GameNode* first = logo->GetFirstChild();
    ASSERT_NE(first, nullptr);
    GameNode* second = first->GetNextSibling();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->IsVisible());
    EXPECT_TRUE(second->IsVisible());
    const ModifierContainer* shimmer = menu->GetShimmerModifier();
    ASSERT_NE(shimmer, nullptr);
    // The longest delay of the data, then animations with no frames.
    for (int t = 0; t < 2500 && menu->GetShimmerModifier() == shimmer; t += 50)
        m_World.Frame(50);
    EXPECT_NE(menu->GetShimmerModifier(), shimmer);
    EXPECT_FALSE(first->IsVisible());
    EXPECT_FALSE(second->IsVisible());
}
