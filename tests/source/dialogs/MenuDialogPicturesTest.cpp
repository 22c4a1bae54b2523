// The in-level menu's dialogs built from the game's own data and drawn on
// Mesa through SDL's offscreen driver, each compared with a committed
// reference picture. DELVOR_UPDATE_REFERENCE=1 writes the references anew.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/ResourceSection.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskRender.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "source/scenes/SceneDelvor.h"
#include "tests/ReferenceImage.h"
#include "tests/engine/scene/SceneTestSupport.h"

using namespace ZQ2;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr unsigned kBackdrop = 0x2F6B66;

class MenuDialogPictures : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[4096] = {};
        m_sPreviousFolder = getcwd(folder, sizeof folder) ? folder : "";
        ASSERT_EQ(chdir(DELVOR_GAME_DATA_DIR), 0) << DELVOR_GAME_DATA_DIR;
        Application::g_ApplicationRunning = true;
        ASSERT_TRUE(GameWindow::CreateInstance("Delvor menus", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        FileArchive::CreateInstance("", ARCHIVE_FILE);
        BasicProperties::CreateInstance();
        DataManager::CreateInstance();
        ResourceManager::CreateInstance();
        LoadManifestFiles();
        DataManager::g_Instance->Reload();
        ResourceManager::g_Instance->ParseResourceFiles();
        for (const char* section : {"default", "help"})
            LoadSection(section);

        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        SceneManager::CreateInstance();
        InputHandler::CreateInstance(GameTree::g_Instance);
        m_spTick = new TaskTickUpdate(GameTree::g_Instance, AnimTree::g_Instance);
        m_spPurge = new TaskPurge(GameTree::g_Instance, AnimTree::g_Instance);
        m_spRender = new TaskRender(GameTree::g_Instance);
        m_pScene = new SceneDelvor(test::SceneData("SCENE_PICTURES", "SceneDelvor"));
        SceneManager::g_Instance->AddScene("SCENE_PICTURES", m_pScene);
        SceneManager::g_Instance->EnterScene("SCENE_PICTURES");
        SceneManager::g_Instance->OnUpdate(0);
        auto* backdrop = new Sprite(0.0f, 0.0f, kWidth, kHeight);
        backdrop->SetUseColorToFillPolygon(true);
        backdrop->SetColor(kBackdrop);
        GameTree::LinkNodeUnder(m_pScene, backdrop);
    }

    void TearDown() override {
        m_spTick = nullptr;
        m_spPurge = nullptr;
        m_spRender = nullptr;
        InputHandler::ReleaseInstance();
        SceneManager::ReleaseInstance();
        AnimTree::ReleaseInstance();
        GameTree::ReleaseInstance();
        ResourceManager::RemoveInstance();
        DataManager::ReleaseInstance();
        BasicProperties::ReleaseInstance();
        FileArchive::ReleaseInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
        if (!m_sPreviousFolder.empty()) {
            EXPECT_EQ(chdir(m_sPreviousFolder.c_str()), 0);
        }
    }

    static void LoadManifestFiles() {
        SmartPtr<PropertyStore> manifest(new PropertyStore("properties/application.xml"));
        manifest->SetArchiveType(ARCHIVE_FILE);
        ASSERT_TRUE(manifest->Load());
        for (const SmartPtr<AbstractProperty>& entry : *manifest->GetVector("commands")) {
            PropertyNode* command = entry->ToNode();
            const std::string name = command->GetPropString("name");
            if (name != "datamanager" && name != "resourcemanager")
                continue;
            for (const SmartPtr<AbstractProperty>& file : *command->GetVector("files")) {
                const std::string path = file->ToNode()->GetPropString("file");
                if (name == "datamanager")
                    DataManager::g_Instance->AddFile(path);
                else
                    ResourceManager::g_Instance->AddFile(path);
            }
        }
    }

    static void LoadSection(const char* name) {
        ResourceSection* section = ResourceManager::g_Instance->GetSection(name);
        ASSERT_NE(section, nullptr) << name;
        for (const auto& entry : section->GetResources()) {
            EXPECT_TRUE(entry.second->EnsureLoaded()) << name << "/" << entry.first;
        }
    }

    // Frames of 50 ms through the show animations, then one drawn frame.
    std::vector<uint32_t> Draw() {
        for (int i = 0; i < 40; ++i) {
            SceneManager::g_Instance->OnUpdate(50);
            m_spTick->OnUpdate(50);
            m_spPurge->OnUpdate(50);
        }
        m_spRender->OnUpdate(0);
        return reference_image::ReadBack(kWidth, kHeight);
    }

    std::string m_sPreviousFolder;
    SmartPtr<TaskTickUpdate> m_spTick;
    SmartPtr<TaskPurge> m_spPurge;
    SmartPtr<TaskRender> m_spRender;
    SceneDelvor* m_pScene = nullptr;  // held by the scene manager
};

}  // namespace

TEST_F(MenuDialogPictures, EachDialogMatchesItsReference) {
    const std::vector<std::pair<const char*, const char*>> dialogs = {
        {"DIALOG_MENU", "menu_dialog.png"},         {"DIALOG_PAUSE", "pause_dialog.png"},
        {"DIALOG_SETTINGS", "settings_dialog.png"}, {"DIALOG_HELP", "help_dialog.png"},
        {"DIALOG_CREDITS", "credits_dialog.png"},
    };
    for (const auto& [key, picture] : dialogs) {
        SCOPED_TRACE(key);
        Dialog* dialog = m_pScene->ConstructDialog(key);
        ASSERT_NE(dialog, nullptr);
        // The version changes with every release; the picture should not.
        if (auto* version = DynamicCast<Label>(dialog->GetComponent("VERSION")))
            version->SetText("1.0");
        m_pScene->ActivateDialog(dialog);
        reference_image::ExpectMatchesReference(reference_image::TestDataPath(picture), kWidth, kHeight, Draw());
        m_pScene->DeactivateDialog(dialog);
    }
}
