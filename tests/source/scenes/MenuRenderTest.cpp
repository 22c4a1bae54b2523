// The main menu and its player dialogs drawn from data/ on Mesa through
// SDL's offscreen driver, each compared with a committed reference picture.
// Run with DELVOR_UPDATE_REFERENCE=1 to write the references anew.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/SettingsManager.h"
#include "engine/framework/TaskManager.h"
#include "engine/framework/TaskmanagerTimed.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/PropertyNode.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "source/dialogs/DialogDelvor.h"
#include "source/dialogs/DialogHighScore.h"
#include "source/dialogs/DialogUpgrade.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/main/DelvorScoreEntry.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"
#include "source/scenes/SceneSelection.h"
#include "tests/ReferenceImage.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class MenuRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        char folder[4096] = {};
        m_sPreviousFolder = getcwd(folder, sizeof folder) ? folder : "";
        ASSERT_EQ(chdir(DELVOR_GAME_DATA_DIR), 0);
        Application::g_ApplicationRunning = true;
        FileArchive::CreateInstance("", ARCHIVE_FILE);
        BasicProperties::CreateInstance();
        DataManager::CreateInstance();
        ASSERT_TRUE(GameWindow::CreateInstance("Menu", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        ResourceManager::CreateInstance();
        ReadManifest();
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        SceneManager::CreateInstance();
        InputHandler::CreateInstance(GameTree::g_Instance);
        TaskmanagerTimed::CreateInstance();
        m_spApplication = new Application("no-manifest.xml");
        m_spApplication->AddTasks();
        PlayerManager::CreateInstance(false, "1");
        HighScoreManager::CreateInstance(false, "1");
        DVUpgradeHandler::CreateInstance();
        SettingsManager::CreateInstance(nullptr);
        Random::ReleaseInstance();
        Random::g_Instance = new Random(7);
        Random::g_Instance->AddRef();
        PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
        PlayerManager::g_Instance->ChangePlayer("Ann");
    }

    void TearDown() override {
        if (!m_spApplication)
            return;
        m_spApplication = nullptr;
        Random::ReleaseInstance();
        SettingsManager::ReleaseInstance();
        DVUpgradeHandler::ReleaseInstance();
        HighScoreManager::ReleaseInstance();
        PlayerManager::ReleaseInstance();
        iInstance<TaskManager>::ReleaseInstance();
        InputHandler::ReleaseInstance();
        SceneManager::ReleaseInstance();
        AnimTree::ReleaseInstance();
        GameTree::ReleaseInstance();
        ResourceManager::RemoveInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
        DataManager::ReleaseInstance();
        BasicProperties::ReleaseInstance();
        FileArchive::ReleaseInstance();
        if (!m_sPreviousFolder.empty()) {
            EXPECT_EQ(chdir(m_sPreviousFolder.c_str()), 0);
        }
    }

    static void ReadManifest() {
        SmartPtr<PropertyStore> manifest(new PropertyStore("properties/application.xml"));
        manifest->SetArchiveType(ARCHIVE_FILE);
        ASSERT_TRUE(manifest->Load());
        for (const SmartPtr<AbstractProperty>& command : *manifest->GetVector("commands")) {
            PropertyNode* node = command->ToNode();
            const std::string name = node->GetPropString("name");
            if (name != "datamanager" && name != "resourcemanager")
                continue;
            for (const SmartPtr<AbstractProperty>& file : *node->GetVector("files")) {
                const std::string path = file->ToNode()->GetPropString("file");
                if (name == "datamanager")
                    DataManager::g_Instance->AddFile(path);
                else
                    ResourceManager::g_Instance->AddFile(path);
            }
        }
        DataManager::g_Instance->Reload();
        ResourceManager::g_Instance->ParseResourceFiles();
    }

    static void Frame() {
        while (Platform::DispatchOneSystemEvent()) {
        }
        TaskManager::g_Instance->Update();
    }

    // The menu entered, with its shimmer and sparkles held still.
    SceneSelection* EnterMenu() {
        SceneManager* scenes = SceneManager::g_Instance;
        auto* menu = DynamicCast<SceneSelection>(scenes->CreateScene("SCENE_SELECTION"));
        EXPECT_NE(menu, nullptr);
        if (!menu)
            return nullptr;
        scenes->EnterScene("SCENE_SELECTION");
        for (int i = 0; i < 3; ++i)
            Frame();
        menu->StartShimmer(false);
        menu->StartSparkle(false);
        return menu;
    }

    // Frames until the dialog's fade-in has ended and it takes input.
    void Open(SceneSelection* menu, const char* name) {
        auto* dialog = DynamicCast<DialogDelvor>(menu->ConstructDialog(name));
        ASSERT_NE(dialog, nullptr) << name;
        menu->ActivateDialog(dialog);
        // The show animation draws from the cached picture until it ends.
        for (int i = 0; i < 100000 && dialog->IsUseBufferImage(); ++i)
            Frame();
        Frame();
    }

    static void Compare(const char* file) {
        reference_image::ExpectMatchesReference(reference_image::TestDataPath(file), kWidth, kHeight,
                                                reference_image::ReadBack(kWidth, kHeight));
    }

    std::string m_sPreviousFolder;
    SmartPtr<Application> m_spApplication;
};

}  // namespace

TEST_F(MenuRender, TheMainMenu) {
    SceneSelection* menu = EnterMenu();
    ASSERT_NE(menu, nullptr);
    Frame();
    Compare("main_menu.png");
}

TEST_F(MenuRender, ThePlayerSelection) {
    PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Bob"));
    SceneSelection* menu = EnterMenu();
    ASSERT_NE(menu, nullptr);
    Open(menu, "DIALOG_PLAYERSELECT");
    Compare("dialog_playerselect.png");
}

TEST_F(MenuRender, TheNameInput) {
    SceneSelection* menu = EnterMenu();
    ASSERT_NE(menu, nullptr);
    Open(menu, "DIALOG_NEWPLAYER");
    Compare("dialog_newplayer.png");
}

TEST_F(MenuRender, TheHighScores) {
    auto* table = DialogHighScore::GetHighScoreTable(DEFAULT_HIGHSCORE_TABLE);
    ASSERT_NE(table, nullptr);
    table->AddScore(new DelvorScoreEntry("Ann", 12500, "Egypt 3"));
    table->AddScore(new DelvorScoreEntry("Bob", 8100, "Greece 10"));
    SceneSelection* menu = EnterMenu();
    ASSERT_NE(menu, nullptr);
    Open(menu, "DIALOG_HIGHSCORES");
    Compare("dialog_highscores.png");
}

// The shop of Greece's second day over the menu, its three offers from the
// game's own upgrade list.
TEST_F(MenuRender, TheUpgradeShop) {
    SmartPtr<PropertyStore> list(new PropertyStore("properties/upgrades.xml"));
    list->SetArchiveType(ARCHIVE_FILE);
    ASSERT_TRUE(list->Load());
    for (const auto& child : *list->GetNode("upgrades")) {
        const SmartPtr<BaseObject> object(ObjectFactory::Instance()->CreateObject(child.Get()));
        DVUpgradeHandler::g_Instance->AddUpgradeToMasterList(DynamicCast<DelvorUpgrade>(object.Get()));
    }
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 2;
    SceneSelection* menu = EnterMenu();
    ASSERT_NE(menu, nullptr);
    Open(menu, "DIALOG_UPGRADE");
    DelvorMain::m_nCurDay = 1;
    auto* shop = DynamicCast<DialogUpgrade>(menu->GetDialog("DIALOG_UPGRADE"));
    ASSERT_NE(shop, nullptr);
    ASSERT_EQ(shop->GetOffers().size(), 3);
    Compare("dialog_upgrade.png");
}
