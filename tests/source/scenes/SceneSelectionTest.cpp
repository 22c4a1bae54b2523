// The main menu on a small catalogue: the new-player dialog when nobody has
// a profile, the greeting, the more-games switches and page, the clean-up
// after a level, the trophy room by click, the seeded sparkles, the shimmer
// and sparkle loops with parts of their data missing, and the map's stand-in.
#include "source/scenes/SceneSelection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Platform.h"
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
#include "platform/BrowserLauncher.h"
#include "source/dialogs/DialogSettings.h"
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

// The logo with its two shimmer layers and the three sparkles.
const char* const kDecorations =
    "<Sprite name=\"LOGO_MM\" x=\"200\" y=\"50\">"
    "  <Vector id=\"children\">"
    "    <Sprite name=\"SHINE1\" width=\"10\" height=\"10\"/>"
    "    <Sprite name=\"SHINE2\" width=\"10\" height=\"10\"/>"
    "  </Vector>"
    "</Sprite>"
    "<Sprite name=\"START_SPARKLE01\" width=\"10\" height=\"10\"/>"
    "<Sprite name=\"START_SPARKLE02\" width=\"10\" height=\"10\"/>"
    "<Sprite name=\"START_SPARKLE03\" width=\"10\" height=\"10\"/>";

std::string Catalogue(const std::string& decorations = kDecorations) {
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
           Button("BUTTON_QUIT", 300, 500) + decorations +
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
    explicit MainMenu(const std::string& decorations = kDecorations) : m_World(Catalogue(decorations)) {}

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

    GameWorld m_World;
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

namespace {

// What the preferences say about the more-games button, and where a click on
// it leads (empty: the button is hidden and not bound).
struct MoreGamesCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> keys;  // name, then text of a boolean or string
    std::string address;
};

// The addresses the game hands to the browser, which is never started.
struct RecordedBrowser {
    RecordedBrowser() {
        platform::BrowserLauncher::SetLauncher([this](const std::string& address) {
            m_Opened.push_back(address);
            return true;
        });
    }
    ~RecordedBrowser() { platform::BrowserLauncher::SetLauncher(nullptr); }
    RecordedBrowser(const RecordedBrowser&) = delete;
    RecordedBrowser& operator=(const RecordedBrowser&) = delete;
    std::vector<std::string> m_Opened;
};

}  // namespace

TEST_F(MainMenu, MoreGamesLeavesFullScreenAndOpensItsPageInTheBrowser) {
    RecordedBrowser browser;
    const std::vector<MoreGamesCase> cases = {
        {"the game's page by default", {}, DelvorGameSettings::DEFAULT_VISIT_URL},
        {"the game's page as the preferences set it", {{"VISITURL", "https://example.org/ours"}},
         "https://example.org/ours"},
        {"an engine address set wins", {{"moregamesurl", "https://example.org/more"}}, "https://example.org/more"},
        {"the game's link switch", {{"SHOWLINK", "false"}}, ""},
        {"the engine's switch", {{"showmoregames", "false"}}, ""},
    };
    for (const MoreGamesCase& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsManager::ReleaseInstance();
        SettingsManager::CreateInstance(new DelvorGameSettings);
        SmartPtr<PropertyNode> keys(new PropertyNode("settings"));
        for (const auto& [key, value] : c.keys) {
            const bool flag = std::string(value) == "true" || std::string(value) == "false";
            keys->InsertProperty(new PropertyValue(key, flag ? "Boolean" : "String", value));
        }
        GameSettings* settings = SettingsManager::g_Instance->GetSettings();
        settings->Load(keys.Get());
        settings->SetFullscreen(true);
        SceneManager::g_Instance->RemoveScene("SCENE_SELECTION");
        m_World.Frame(0);
        SceneSelection* menu = Enter();
        ASSERT_NE(menu, nullptr);
        auto* button = DynamicCast<ZQ2::Button>(menu->GetComponent("BUTTON_MOREGAMES"));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->IsVisible(), !c.address.empty());
        browser.m_Opened.clear();
        gametest::Click(button);
        if (c.address.empty()) {
            EXPECT_TRUE(browser.m_Opened.empty());
            EXPECT_TRUE(settings->IsFullscreen());
            continue;
        }
        EXPECT_EQ(browser.m_Opened, std::vector<std::string>{c.address});
        EXPECT_FALSE(settings->IsFullscreen());
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

namespace {

std::vector<std::string> g_Warnings;

void CaptureWarning(const std::string& message) { g_Warnings.push_back(message); }

// The menu's data with some of its decorations left out: what still runs.
struct Decorations {
    const char* name;
    std::string data;
    bool shimmers;
    std::set<int> sparkles;  // the sparkles that may show, none when they stay off
    size_t warnings;         // one for each part that is missing
};

void PrintTo(const Decorations& parts, std::ostream* out) { *out << parts.name; }

const char* const kSparkleSprites[] = {"<Sprite name=\"START_SPARKLE01\" width=\"10\" height=\"10\"/>",
                                       "<Sprite name=\"START_SPARKLE02\" width=\"10\" height=\"10\"/>",
                                       "<Sprite name=\"START_SPARKLE03\" width=\"10\" height=\"10\"/>"};

std::string Logo(int layers) {
    std::string children;
    for (int i = 1; i <= layers; ++i)
        children += "<Sprite name=\"SHINE" + std::to_string(i) + "\" width=\"10\" height=\"10\"/>";
    return "<Sprite name=\"LOGO_MM\" x=\"200\" y=\"50\"><Vector id=\"children\">" + children + "</Vector></Sprite>";
}

std::string Sparkles(std::initializer_list<int> which) {
    std::string sprites;
    for (int i : which)
        sprites += kSparkleSprites[i];
    return sprites;
}

class MainMenuDecorations : public MainMenu, public ::testing::WithParamInterface<Decorations> {
protected:
    MainMenuDecorations() : MainMenu(GetParam().data) {}

    void SetUp() override {
        MainMenu::SetUp();
        g_Warnings.clear();
        Platform::SetOutputDebugStringCallback(&CaptureWarning);
    }
    void TearDown() override {
        Platform::SetOutputDebugStringCallback(nullptr);
        MainMenu::TearDown();
    }

    // A round ends when its loop starts the next: the held container changes.
    // The old one is held on, so a new one can never come at its address.
    struct Rounds {
        SmartPtr<ModifierContainer> m_spHeld;
        int m_iCount = 0;
        void See(ModifierContainer* now) {
            if (now == m_spHeld.Get())
                return;
            m_spHeld = now;
            ++m_iCount;
        }
    };
};

}  // namespace

TEST_P(MainMenuDecorations, WhatIsThereKeepsLoopingAndWhatIsMissingStaysOffSaidOnce) {
    const Decorations& parts = GetParam();
    SceneSelection* menu = Enter();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(g_Warnings.size(), parts.warnings);
    Rounds shimmer;
    Rounds sparkle;
    shimmer.m_spHeld = menu->GetShimmerModifier();
    sparkle.m_spHeld = menu->GetSparkleModifier();
    std::set<int> shown;
    // Twenty seconds: at least ten rounds of each with the data's delays.
    for (int t = 0; t < 20000; t += 50) {
        m_World.Frame(50);
        shimmer.See(menu->GetShimmerModifier());
        const int before = sparkle.m_iCount;
        sparkle.See(menu->GetSparkleModifier());
        if (sparkle.m_iCount != before && menu->GetSparkleModifier())
            shown.insert(menu->GetLastSparkle());
    }
    if (parts.shimmers) {
        EXPECT_GE(shimmer.m_iCount, 8);
    } else {
        EXPECT_EQ(menu->GetShimmerModifier(), nullptr);
        EXPECT_EQ(shimmer.m_iCount, 0);
    }
    if (parts.sparkles.empty()) {
        EXPECT_EQ(menu->GetSparkleModifier(), nullptr);
        EXPECT_EQ(sparkle.m_iCount, 0);
    } else {
        EXPECT_GE(sparkle.m_iCount, 6);
        EXPECT_FALSE(shown.empty());
        EXPECT_TRUE(std::includes(parts.sparkles.begin(), parts.sparkles.end(), shown.begin(), shown.end()));
    }
    EXPECT_EQ(g_Warnings.size(), parts.warnings) << "said once, not at every round";
}

INSTANTIATE_TEST_SUITE_P(
    MissingParts, MainMenuDecorations,
    ::testing::Values(Decorations{"Everything", Logo(2) + Sparkles({0, 1, 2}), true, {0, 1, 2}, 0},
                      Decorations{"NoSecondSparkle", Logo(2) + Sparkles({0, 2}), true, {0, 2}, 1},
                      Decorations{"NoSparkles", Logo(2), true, {}, 3},
                      Decorations{"OneShimmerLayer", Logo(1) + Sparkles({0, 1, 2}), true, {0, 1, 2}, 1},
                      Decorations{"NoShimmerLayers", Logo(0) + Sparkles({1}), false, {1}, 4},
                      Decorations{"NoLogo", Sparkles({0, 1, 2}), false, {0, 1, 2}, 2}),
    [](const ::testing::TestParamInfo<Decorations>& info) { return std::string(info.param.name); });
