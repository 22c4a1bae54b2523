// The game application's campaign rules and names, its manifest command and
// data filter, the quit question, and its waits on the resource loader.
#include "source/main/DelvorMain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>

#include "engine/io/PropertyStore.h"
#include "engine/io/ResourceObject.h"
#include "engine/io/ResourceSection.h"
#include "engine/resource/ResourceManager.h"
#include "source/dialogs/DialogSettings.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;

namespace {

// Restores the play position the tests change.
class Position : public ::testing::Test {
protected:
    void TearDown() override {
        gametest::ResetPlayPosition();
    }
};

}  // namespace

TEST_F(Position, DaysPerCountry) {
    const int days[] = {4, 6, 10, 10, 10, 10, 10};
    for (int country = 1; country <= 7; ++country)
        EXPECT_EQ(DelvorMain::GetMaxDayForCountry(country), days[country - 1]) << country;
    EXPECT_EQ(DelvorMain::GetMaxDayForCountry(0), 10);
    EXPECT_EQ(DelvorMain::GetMaxDayForCountry(8), 10);
    DelvorMain::m_nCurCountry = 2;
    EXPECT_EQ(DelvorMain::GetMaxDayForCountry(-1), 6);
}

TEST_F(Position, UpgradeShopOpensOnTheDaysOfEachCountry) {
    const std::set<int> shopDays[] = {{2, 3, 4}, {2, 4, 6}, {4, 7, 10}, {4, 7, 10}, {4, 7, 10}, {4, 7, 10}, {4, 7, 10}};
    for (int country = 1; country <= 7; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            DelvorMain::m_nCurCountry = country;
            DelvorMain::m_nCurDay = day;
            EXPECT_EQ(DelvorMain::IsUpgradeShopLevel(), shopDays[country - 1].count(day) == 1)
                << "country " << country << " day " << day;
        }
    }
}

TEST_F(Position, AFinishedDayMovesThePositionOnWhenWonAndNeverPastTheLastCountry) {
    struct Case {
        int country, day;
        bool won;
        int nextCountry, nextDay;
    };
    const Case cases[] = {
        {1, 1, true, 1, 2},   {1, 3, true, 1, 4},  {1, 4, true, 2, 1},  {2, 6, true, 3, 1},
        {3, 10, true, 4, 1},  {6, 10, true, 7, 1}, {7, 9, true, 7, 10}, {7, 10, true, 7, 10},
        {1, 1, false, 1, 1},  {1, 4, false, 1, 4}, {7, 10, false, 7, 10},
    };
    for (const Case& c : cases) {
        // Somewhere else first: the finished day decides, not the old position.
        DelvorMain::m_nCurCountry = 5;
        DelvorMain::m_nCurDay = 7;
        DelvorMain::SetReplayStage(c.won);
        DelvorMain::MoveOnAfterDay(c.country, c.day, c.won);
        EXPECT_EQ(DelvorMain::m_nCurCountry, c.nextCountry) << c.country << "-" << c.day << " won " << c.won;
        EXPECT_EQ(DelvorMain::m_nCurDay, c.nextDay) << c.country << "-" << c.day << " won " << c.won;
        EXPECT_EQ(DelvorMain::ShouldReplayStage(), !c.won) << c.country << "-" << c.day;
    }
}

TEST_F(Position, LevelAndCountryNames) {
    std::string name;
    EXPECT_TRUE(DelvorMain::GetCountryName(name, 3, 10));
    EXPECT_EQ(name, "LEVEL3_10");
    DelvorMain::m_nCurCountry = 2;
    DelvorMain::m_nCurDay = 5;
    DelvorMain::GetCurCountryName(name);
    EXPECT_EQ(name, "LEVEL2_5");

    name = "untouched";
    EXPECT_FALSE(DelvorMain::GetPrevCountryName(name));
    EXPECT_EQ(name, "untouched");
    DelvorMain::m_nPrevCountry = 1;
    DelvorMain::m_nPrevDay = 4;
    EXPECT_TRUE(DelvorMain::GetPrevCountryName(name));
    EXPECT_EQ(name, "LEVEL1_4");

    const char* const upper[] = {"GREECE", "EGYPT", "SIAM", "TAHITI", "USA", "PERU", "ATLANTIS"};
    for (int country = 1; country <= 7; ++country) {
        std::string resource, lower, section;
        DelvorMain::GetCountryResourceName(country, resource);
        DelvorMain::GetCountryResourceLowercaseName(country, lower);
        DelvorMain::GetCountrySpecificSection(country, section);
        EXPECT_EQ(resource, upper[country - 1]);
        EXPECT_EQ(section, "level_" + lower);
        for (char& c : lower)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(lower, resource);
    }
}

TEST_F(Position, CountriesOutsideTheTablesHaveNoNames) {
    for (const int country : {0, 8, -1, 1000}) {
        std::string resource = "x", lower = "x", section = "x";
        DelvorMain::GetCountryResourceName(country, resource);
        DelvorMain::GetCountryResourceLowercaseName(country, lower);
        DelvorMain::GetCountrySpecificSection(country, section);
        EXPECT_EQ(resource, "") << country;
        EXPECT_EQ(lower, "") << country;
        EXPECT_EQ(section, "") << country;
    }
}

TEST(DelvorNames, CountryAndDayAreParsedFromTheDigitsOfAName) {
    struct Case {
        const char* name;
        bool found;
        int country;
        int day;
    };
    const Case cases[] = {
        {"LEVEL3_10", true, 3, 10}, {"LEVEL12_3", true, 1, 23}, {"LEVEL1_4", true, 1, 4},
        {"7", true, 7, 0},          {"LEVEL", false, 0, 0},     {"", false, 0, 0},
        {"a1b2c3", true, 1, 23},
    };
    for (const Case& c : cases) {
        int country = -5;
        int day = -5;
        EXPECT_EQ(DelvorMain::GetCountryAndDayFromName(c.name, country, day), c.found) << c.name;
        EXPECT_EQ(country, c.country) << c.name;
        EXPECT_EQ(day, c.day) << c.name;
    }
}

TEST(DelvorApplication, DataForDevelopersAndEditorsIsRefused) {
    SmartPtr<DelvorMain> application(new DelvorMain);
    struct Case {
        const char* attributes;
        bool allowed;
    };
    const Case cases[] = {
        {"", true},
        {"onlydev=\"false\"", true},
        {"onlydev=\"true\"", false},
        {"onlyeditor=\"true\"", false},
        {"onlydev=\"false\" onlyeditor=\"true\"", false},
        {"onlydev=\"true\" onlyeditor=\"false\"", false},
    };
    for (const Case& c : cases) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        ASSERT_TRUE(store->ParseFromBuffer((std::string("<root><Node id=\"n\" ") + c.attributes + "/></root>").c_str()));
        EXPECT_EQ(application->CheckAllowedBoolean(store->GetNode("n")), c.allowed) << c.attributes;
    }
    EXPECT_EQ(application->GetManifestName(), "properties/application.xml");
}

TEST(DelvorApplication, TheSettingsRecordIsTheGames) {
    SmartPtr<DelvorMain> application(new DelvorMain);
    std::unique_ptr<GameSettings> settings(application->CreateGameSpecificSettings());
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->GetRTTI().DerivesFrom(DelvorGameSettings::rtti));
    EXPECT_FLOAT_EQ(settings->GetMusicVolume(), DelvorGameSettings::DEFAULT_MUSIC_VOLUME);
}

TEST(DelvorApplication, UpgradesCommandFillsTheMasterListFromItsFile) {
    const std::string file = std::string(std::getenv("TEST_TMPDIR")) + "upgrades.xml";
    std::ofstream(file) << "<?xml version=\"1.0\"?><root><Node id=\"upgrades\">"
                           "<DelvorUpgrade id=\"SHOVEL\"/><DelvorUpgrade id=\"BOOTS\"/><Sprite id=\"NOT_ONE\"/>"
                           "</Node></root>";
    SmartPtr<DelvorMain> application(new DelvorMain);
    SmartPtr<PropertyStore> command(new PropertyStore);
    ASSERT_TRUE(command->ParseFromBuffer(
        ("<root><Node id=\"c\"><String id=\"name\" value=\"upgrades\"/><String id=\"file\" value=\"" + file +
         "\"/></Node></root>")
            .c_str()));
    application->ParseCommand(command->GetNode("c"));
    ASSERT_NE(DVUpgradeHandler::g_Instance, nullptr);
    const auto& upgrades = DVUpgradeHandler::g_Instance->GetMasterList();
    ASSERT_EQ(upgrades.size(), 2u);
    EXPECT_EQ(upgrades[0]->GetID(), "SHOVEL");
    EXPECT_EQ(upgrades[1]->GetID(), "BOOTS");
    application->RemoveInstances();
    EXPECT_EQ(DVUpgradeHandler::g_Instance, nullptr);
}

namespace {

class QuitQuestion : public ::testing::Test {
protected:
    void TearDown() override { Application::g_ApplicationRunning = true; }

    DialogYesNo* Question() const {
        return DynamicCast<DialogYesNo>(m_World.Scene()->GetDialog(DelvorMain::QUIT_MESSAGE_KEY));
    }

    gametest::GameWorld m_World;
};

}  // namespace

TEST_F(QuitQuestion, CloseRequestAsksOnceAndYesEndsTheGame) {
    EXPECT_TRUE(m_World.Scene()->HandleCloseMessage());
    DialogYesNo* first = Question();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(m_World.Scene()->IsActiveDialog(DelvorMain::QUIT_MESSAGE_KEY));
    EXPECT_EQ(first->GetMessageText(), "Do you really want to quit?");
    EXPECT_EQ(first->GetHeaderText(), "Quit");

    // Again, and through the quit button's action: still the one question.
    EXPECT_TRUE(m_World.Scene()->HandleCloseMessage());
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    EXPECT_EQ(Question(), first);
    EXPECT_EQ(m_World.Scene()->GetActiveDialogs().size(), 1u);
    EXPECT_TRUE(Application::g_ApplicationRunning);

    m_World.ClickOn(first->GetYesButton());
    EXPECT_FALSE(Application::g_ApplicationRunning);
}

TEST_F(QuitQuestion, NoClosesTheQuestionAndTheNextCloseAsksAgain) {
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    ASSERT_NE(Question(), nullptr);
    m_World.ClickOn(Question()->GetNoButton());
    EXPECT_FALSE(m_World.Scene()->IsActiveDialog(DelvorMain::QUIT_MESSAGE_KEY));
    EXPECT_TRUE(Application::g_ApplicationRunning);
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    EXPECT_TRUE(m_World.Scene()->IsActiveDialog(DelvorMain::QUIT_MESSAGE_KEY));
}

TEST(EngineScene, PlainScenesLeaveTheCloseRequestToTheEngine) {
    SmartPtr<Scene> scene(new Scene(test::SceneData("SCENE_SPLASH")));
    EXPECT_FALSE(scene->HandleCloseMessage());
}

namespace {

// A resource whose load never succeeds.
class BrokenResource : public ResourceObject {
public:
    void Load() override {}
    BaseObject* GetResource() override { return nullptr; }
};

class SectionWaitThreaded : public ::testing::Test {
protected:
    void SetUp() override {
        ResourceManager::CreateInstance();
        ResourceManager::g_Instance->SetReady(true);
    }
    void TearDown() override { ResourceManager::RemoveInstance(); }
};

}  // namespace

TEST_F(SectionWaitThreaded, UnknownSectionsAreSkippedAndFailedOnesEnd) {
    EXPECT_FALSE(DelvorMain::WaitForSection("nowhere"));

    auto* broken = new ResourceSection("broken", false);
    broken->AddResource("a", new BrokenResource);
    broken->AddResource("b", new BrokenResource);
    ResourceManager::g_Instance->AddSection(broken);
    EXPECT_TRUE(DelvorMain::WaitForSection("broken"));
    EXPECT_TRUE(ResourceManager::g_Instance->IsComplete());

    ResourceManager::g_Instance->Stop();
    ResourceManager::g_Instance->AddSection(new ResourceSection("late", false));
    auto* late = ResourceManager::g_Instance->GetSection("late");
    late->AddResource("c", new BrokenResource);
    EXPECT_FALSE(DelvorMain::WaitForSection("late"));  // the loader is gone
}

TEST(SectionWait, WithoutAResourceManagerThereIsNothingToWaitFor) {
    EXPECT_FALSE(DelvorMain::WaitForSection("default"));
}

namespace {

const char* const kScenes =
    "<Node id=\"scenes\">"
    "  <Scene id=\"SCENE_SPLASH\"/>"
    "  <SceneDelvor id=\"SCENE_LOAD\"/>"
    "  <SceneSelection id=\"SCENE_SELECTION\">"
    "    <Vector id=\"scenecomponents\">"
    "      <Button name=\"BUTTON_QUIT\" x=\"700\" y=\"550\" width=\"80\" height=\"30\"/>"
    "    </Vector>"
    "  </SceneSelection>"
    "  <SceneDelvor id=\"SCENE_MAP\"/>"
    "</Node>";

}  // namespace

TEST(DelvorApplication, CreatesTheLongLivedScenesWithoutEnteringThem) {
    gametest::GameWorld world(kScenes);
    SmartPtr<DelvorMain> application(new DelvorMain);
    application->CreateScenes();
    SceneManager* scenes = SceneManager::g_Instance;
    ASSERT_NE(scenes->GetScene("SCENE_SPLASH"), nullptr);
    EXPECT_EQ(DelvorMain::m_SceneLoad, scenes->GetScene("SCENE_LOAD"));
    EXPECT_EQ(DelvorMain::m_SceneSelection, scenes->GetScene("SCENE_SELECTION"));
    EXPECT_EQ(DelvorMain::m_SceneMap, scenes->GetScene("SCENE_MAP"));
    EXPECT_NE(DelvorMain::m_SceneMap, nullptr);
    EXPECT_EQ(scenes->GetCurrentMainScene(), world.Scene());
    EXPECT_EQ(scenes->GetPendingScene(), nullptr);

    DelvorMain::StartScene("SCENE_SELECTION");
    std::string current;
    DelvorMain::GetCurScene(current);
    EXPECT_EQ(current, "SCENE_SELECTION");
    world.Frame(0);
    EXPECT_EQ(scenes->GetCurrentMainScene(), DelvorMain::m_SceneSelection);
    application->RemoveInstances();
    EXPECT_EQ(DelvorMain::m_SceneSelection, nullptr);
}

TEST(DelvorApplication, TheMainMenuQuitButtonAsksTheQuitQuestionOnce) {
    gametest::GameWorld world(kScenes);
    SceneManager* scenes = SceneManager::g_Instance;
    ASSERT_NE(scenes->CreateScene("SCENE_SELECTION"), nullptr);
    scenes->EnterScene("SCENE_SELECTION");
    world.Frame(0);
    Scene* menu = scenes->GetCurrentMainScene();
    ASSERT_EQ(menu->GetName(), "SCENE_SELECTION");
    GameNode* quit = menu->GetComponent("BUTTON_QUIT");
    ASSERT_NE(quit, nullptr);
    world.ClickOn(quit);
    Dialog* question = menu->GetDialog(DelvorMain::QUIT_MESSAGE_KEY);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(menu->IsActiveDialog(question));
    DelvorMain::ShowQuitMessage(nullptr, nullptr);  // as a second press would
    EXPECT_EQ(menu->GetDialog(DelvorMain::QUIT_MESSAGE_KEY), question);
    EXPECT_EQ(menu->GetActiveDialogs().size(), 1u);
}
