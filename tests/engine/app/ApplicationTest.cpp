// The manifest commands run in-process on a manifest of the test's own, from
// start-up through the frames to the saving and the release of the services.
#include "engine/app/Application.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/app/CheatManager.h"
#include "engine/core/Random.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/Message.h"
#include "engine/framework/SettingsManager.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/ImageManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/GameSettings.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/RegistryBase.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/script/Lua.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/Tooltip.h"
#include "platform/PreferencesStore.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;
namespace fs = std::filesystem;

namespace {

// Which services were still there when a step of the release ran.
std::vector<std::string> g_Seen;

std::string Present() {
    std::string seen;
    seen += CheatManager::g_Instance ? "cheats " : "";
    seen += PlayerManager::g_Instance ? "players " : "";
    seen += HighScoreManager::g_Instance ? "scores " : "";
    seen += SettingsManager::g_Instance ? "settings " : "";
    seen += SceneManager::g_Instance ? "scenes " : "";
    seen += DataManager::g_Instance ? "data " : "";
    seen += GameWindow::g_Instance ? "window " : "";
    seen += BasicProperties::g_Instance ? "constants " : "";
    seen += GameTree::g_Instance ? "gametree " : "";
    seen += SoundManager::g_Instance ? "sound " : "";
    seen += ImageManager::g_Instance ? "images " : "";
    seen += Tooltip::g_Instance ? "tooltip " : "";
    seen += Renderer::g_Instance ? "renderer" : "";
    return seen;
}

// Destroyed with the settings manager.
class SpySettings : public GameSettings {
public:
    ~SpySettings() override { g_Seen.push_back("settings: " + Present()); }
};

// Killed when the task manager goes.
class SpyTask : public iTask {
public:
    void OnKill() override { g_Seen.push_back("tasks: " + Present()); }
};

class TestApplication : public Application {
public:
    TestApplication() : Application("properties/application.xml") {}
    GameSettings* CreateGameSpecificSettings() override { return new SpySettings; }
    void AddCheats() override { ++m_iCheatsAdded; }
    void AddTasks() override {
        Application::AddTasks();
        TaskManager::g_Instance->Attach(new SpyTask);
    }
    int m_iCheatsAdded = 0;
};

// Where the last cheat ran.
Dialog* g_pCheatTarget = nullptr;
bool RecordTarget(Dialog* target, int, const std::string&) {
    g_pCheatTarget = target;
    return true;
}

class ApplicationManifest : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        char pattern[] = "/tmp/delvor-app-XXXXXX";
        m_sFolder = mkdtemp(pattern);
        m_sOldFolder = fs::current_path();
        fs::create_directories(m_sFolder + "/properties");
        fs::current_path(m_sFolder);
        setenv("XDG_CONFIG_HOME", (m_sFolder + "/config").c_str(), 1);
        RegistryBase::ForgetDefaults();
        std::ofstream(m_sFolder + "/properties/constants.xml")
            << "<root><String id=\"GAME_NAME\" value=\"Delvor\"/><String id=\"GAME_ID\" value=\"delvortest\"/>"
               "<String id=\"PLAYERS_VERSION\" value=\"1\"/><String id=\"HIGHSCORES_VERSION\" value=\"1\"/></root>";
        g_Seen.clear();
        Application::g_ApplicationRunning = true;
    }
    void TearDown() override {
        if (m_sFolder.empty())
            return;
        m_Application = nullptr;
        Application::g_ApplicationRunning = true;
        RegistryBase::ForgetDefaults();
        unsetenv("XDG_CONFIG_HOME");
        fs::current_path(m_sOldFolder);
        fs::remove_all(m_sFolder);
    }

    // One command run by itself, as the manifest would run it.
    void Command(const std::string& name, const std::string& key, const std::string& value) {
        SmartPtr<PropertyNode> command(new PropertyNode("Node"));
        command->InsertProperty(new PropertyValue("name", name, true));
        command->InsertProperty(new PropertyValue(key, value, true));
        m_Application->ParseCommand(command.Get());
    }

    // Typing on, then the word's keys released through the input handler.
    static void TypeCheat(const std::string& word) {
        g_pCheatTarget = nullptr;
        CheatManager::ToggleCheatMode(CheatManager::g_Instance, nullptr);
        for (char c : word)
            InputHandler::g_Instance->ProcessMessage(
                Message(MESSAGE_KEY_UP, new KeyboardMessageData(static_cast<unsigned char>(c), SYSKEY_NONE)));
        InputHandler::g_Instance->OnUpdate(16);
    }

    void Manifest(const std::string& commands) {
        std::ofstream(m_sFolder + "/properties/application.xml")
            << "<root><Vector id=\"commands\">" + commands + "</Vector></root>";
        m_Application = new TestApplication;
        m_Application->ParseCommands();
    }

    std::string m_sFolder;
    std::string m_sOldFolder;
    SmartPtr<TestApplication> m_Application;
};

const char* const kServices =
    "<Node name=\"checkinstance\"/><Node name=\"basicproperties\"/><Node name=\"gametree\"/>"
    "<Node name=\"animtree\"/><Node name=\"imagemanager\"/><Node name=\"random\"/><Node name=\"datagather\"/>"
    "<Node name=\"filearchive\" type=\"file\"/>"
    "<Node name=\"datamanager\"><Vector id=\"files\"><Node file=\"properties/constants.xml\"/></Vector></Node>"
    "<Node name=\"settingsmanager\"/><Node name=\"highscoremanager\"/><Node name=\"playermanager\"/>"
    "<Node name=\"gamewindow\" width=\"320\" height=\"240\" fullscreen=\"false\"/>"
    "<Node name=\"renderer\" width=\"320\" height=\"240\"/><Node name=\"soundmanager\"/>"
    "<Node name=\"cheatmanager\" playsound=\"true\"/><Node name=\"debugmenu\" onlyeditor=\"true\"/>"
    "<Node name=\"taskmanager\" max_fps=\"30\"/><Node name=\"appstartcursor\"/>";

}  // namespace

TEST_F(ApplicationManifest, ServicesStartRunSaveAndGoInTheirOrder) {
    Manifest(kServices);
    ASSERT_TRUE(Application::g_ApplicationRunning);
    ASSERT_NE(SettingsManager::g_Instance, nullptr);
    ASSERT_NE(PlayerManager::g_Instance, nullptr);
    ASSERT_NE(HighScoreManager::g_Instance, nullptr);
    ASSERT_NE(CheatManager::g_Instance, nullptr);
    EXPECT_TRUE(CheatManager::g_Instance->GetPlaySound());
    EXPECT_EQ(m_Application->m_iCheatsAdded, 1);
    EXPECT_EQ(TaskManager::g_Instance->GetFrameTime(), 33);
    EXPECT_EQ(PlayerManager::g_Instance->GetVersion(), "1");
    ASSERT_NE(GameWindow::g_Instance, nullptr);

    for (int frame = 0; frame < 3; ++frame)
        TaskManager::g_Instance->Update();
    // Closing the window: message 1026 through the window's handler.
    Application::QuitApp_Callback(nullptr, nullptr);
    EXPECT_FALSE(Application::g_ApplicationRunning);

    PlayerManager::g_Instance->AddPlayer(new AbstractPlayer("Ann"));
    m_Application->SaveData();
    m_Application->RemoveInstances();
    EXPECT_TRUE(fs::exists(GetGameSaveDirPath() + "/players/players.plrs.!"));
    EXPECT_TRUE(fs::exists(GetGameSaveDirPath() + "/players/scores.xml.!"));

    ASSERT_EQ(g_Seen.size(), 2u);
    // The managers go first; the window, and with it the context, outlives
    // the managers' users and goes before the services that only hold data;
    // the renderer goes last of all.
    EXPECT_EQ(g_Seen[0], "settings: data window constants gametree sound images renderer");
    EXPECT_EQ(g_Seen[1], "tasks: renderer");
    EXPECT_EQ(Present(), "");
    EXPECT_EQ(Random::g_Instance, nullptr);
    EXPECT_EQ(FileArchive::g_Instance, nullptr);
    EXPECT_EQ(AnimTree::g_Instance, nullptr);
    EXPECT_EQ(Lua::g_Instance, nullptr);
}

TEST_F(ApplicationManifest, AFailingCommandStopsTheCommandsAfterIt) {
    Manifest("<Node name=\"gamewindow\" width=\"320\" height=\"240\"/><Node name=\"basicproperties\"/>"
             "<Node name=\"random\"/>");
    EXPECT_FALSE(Application::g_ApplicationRunning);
    EXPECT_TRUE(m_Application->HasStartupFailed());
    EXPECT_EQ(BasicProperties::g_Instance, nullptr);
    EXPECT_EQ(GameWindow::g_Instance, nullptr);
    m_Application->RemoveInstances();
}

TEST_F(ApplicationManifest, FrameTimesFromMaxFps) {
    const struct {
        const char* key;
        int64_t frameTime;
    } cases[] = {{"max_fps=\"60\"", 16}, {"max_fps=\"30\"", 33}, {"", 16}, {"max_fps=\"0\"", 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Manifest(std::string("<Node name=\"taskmanager\" ") + c.key + "/>");
        EXPECT_EQ(TaskManager::g_Instance->GetFrameTime(), c.frameTime);
        m_Application->RemoveInstances();
    }
}

TEST_F(ApplicationManifest, SoundVolumesComeFromTheSettings) {
    Manifest("<Node name=\"soundmanager\"/>");
    EXPECT_FLOAT_EQ(SoundManager::g_Instance->GetOverallSampleVolume(), 1.0f);
    m_Application->RemoveInstances();

    RegistryBase::Defaults().SetString("", "soundvolume", "0.25");
    RegistryBase::Defaults().SetString("", "musicvolume", "0.5");
    Manifest("<Node name=\"settingsmanager\"/><Node name=\"soundmanager\"/>");
    EXPECT_FLOAT_EQ(SoundManager::g_Instance->GetOverallSampleVolume(), 0.25f);
    EXPECT_FLOAT_EQ(SoundManager::g_Instance->GetOverallStreamVolume(), 0.5f);
    m_Application->RemoveInstances();
}

const char* const kSceneServices =
    "<Node name=\"basicproperties\"/><Node name=\"gametree\"/><Node name=\"animtree\"/>"
    "<Node name=\"inputhandler\"/><Node name=\"scenemanager\"/><Node name=\"settingsmanager\"/>"
    "<Node name=\"filearchive\" type=\"file\"/>"
    "<Node name=\"datamanager\"><Vector id=\"files\"><Node file=\"properties/constants.xml\"/></Vector></Node>"
    "<Node name=\"cheatmanager\"/><Node name=\"taskmanager\"/>";

TEST_F(ApplicationManifest, ScenesAreEnteredByNameUpdatedAsATaskAndReleasedBeforeTheData) {
    Manifest(kSceneServices);
    ASSERT_NE(SceneManager::g_Instance, nullptr);
    Scene* dig = new Scene(nullptr);
    SceneManager::g_Instance->AddScene("dig", dig);

    Command("activatescene", "scene", "dig");
    EXPECT_EQ(SceneManager::g_Instance->GetPendingScene(), dig);
    Command("activatescene", "scene", "nowhere");
    EXPECT_EQ(SceneManager::g_Instance->GetPendingScene(), nullptr);
    Command("activatescene", "scene", "dig");
    // The scene manager is one of the tasks: a frame makes the scene current.
    TaskManager::g_Instance->Update();
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentMainScene(), dig);

    Tooltip::g_Instance = new Tooltip(0, 0, nullptr);
    Tooltip::g_Instance->AddRef();
    m_Application->RemoveInstances();
    ASSERT_EQ(g_Seen.size(), 2u);
    EXPECT_EQ(g_Seen[0], "settings: scenes data constants gametree tooltip ");
    // The tooltip goes after the task manager, before the renderer.
    EXPECT_EQ(g_Seen[1], "tasks: tooltip ");
    EXPECT_EQ(Present(), "");
}

TEST_F(ApplicationManifest, CheatsHearKeysBeforeTheTreeAndRunOnTheCurrentScene) {
    Manifest(kSceneServices);
    ASSERT_NE(CheatManager::g_Instance, nullptr);
    Scene* dig = new Scene(nullptr);
    SceneManager::g_Instance->AddScene("dig", dig);
    SceneManager::g_Instance->EnterScene(dig);
    TaskManager::g_Instance->Update();
    SmartPtr<Dialog> hidden(new Scene(nullptr));
    CheatManager::g_Instance->AddCheat("gold", &RecordTarget, 1, nullptr, 0);
    CheatManager::g_Instance->AddCheat("here", &RecordTarget, 2, dig, 0);
    CheatManager::g_Instance->AddCheat("away", &RecordTarget, 3, hidden.Get(), 0);
    Dialog* menu = new Dialog(nullptr);
    dig->ActivateDialog(menu);
    CheatManager::g_Instance->AddCheat("menu", &RecordTarget, 4, menu, 0);
    ASSERT_EQ(SceneManager::g_Instance->GetCurrentMainScene(), dig);

    TypeCheat("gold");
    EXPECT_EQ(g_pCheatTarget, dig);
    TypeCheat("here");
    EXPECT_EQ(g_pCheatTarget, dig);
    TypeCheat("menu");
    EXPECT_EQ(g_pCheatTarget, menu);
    TypeCheat("away");
    EXPECT_EQ(g_pCheatTarget, nullptr);
    EXPECT_EQ(CheatManager::g_Instance->GetMode(), CheatManager::MODE_OFF);
    EXPECT_TRUE(CheatManager::g_Instance->IsCheatUsed());
    m_Application->RemoveInstances();
}

// A cheat keeps only a plain pointer to its dialog: once the dialog has
// closed and gone, the word is no cheat any more, rather than one whose
// target is looked for in freed memory.
TEST_F(ApplicationManifest, ADialogsCheatsGoWithIt) {
    Manifest(kSceneServices);
    Scene* dig = new Scene(nullptr);
    SceneManager::g_Instance->AddScene("dig", dig);
    SceneManager::g_Instance->EnterScene(dig);
    TaskManager::g_Instance->Update();
    Dialog* menu = new Dialog(nullptr);
    dig->ActivateDialog(menu);
    CheatManager::g_Instance->AddCheat("menu", &RecordTarget, 4, menu, 0);
    CheatManager::g_Instance->AddCheat("gold", &RecordTarget, 1, nullptr, 0);
    TypeCheat("menu");
    ASSERT_EQ(g_pCheatTarget, menu);

    dig->DeactivateDialog(menu);
    TaskManager::g_Instance->Update();  // the purge lets go of the closed dialog
    TypeCheat("menu");
    EXPECT_EQ(g_pCheatTarget, nullptr);
    EXPECT_EQ(CheatManager::g_Instance->GetActionText(), "Cheat mode ON.");
    CheatManager::g_Instance->ToggleCheatMode();  // still typing: the word matched nothing
    TypeCheat("gold");
    EXPECT_EQ(g_pCheatTarget, dig);
    m_Application->RemoveInstances();
}
