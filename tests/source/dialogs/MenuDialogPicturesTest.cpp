// The in-level menu's dialogs built from the game's own data and drawn on
// Mesa through SDL's offscreen driver, each compared with a committed
// reference picture, and the credits' version read against what is drawn
// behind it. DELVOR_UPDATE_REFERENCE=1 writes the references anew.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/ResourceSection.h"
#include "engine/math/Region_t.h"
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

// The relative luminance of an RGB colour, as the contrast guidelines for
// the web define it, and the contrast ratio of two colours (1 to 21).
double Luminance(uint32_t rgb) {
    double sum = 0.0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int i = 0; i < 3; ++i) {
        const double c = static_cast<double>((rgb >> (16 - 8 * i)) & 0xFFu) / 255.0;
        sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour of each opaque pixel of a font's face layer (its first), as
// its layer's tint draws it.
std::set<uint32_t> InkColours(const Font* font) {
    std::set<uint32_t> colours;
    const auto* bitmap = dynamic_cast<const FontBitmap*>(font);
    const FontLayer* face = bitmap ? bitmap->GetLayer(0) : nullptr;
    const ImageFrame* sheet = face ? face->GetFrame() : nullptr;
    if (!sheet || !sheet->GetPixelData<uint32_t>(0, 0))
        return colours;
    const uint32_t tint = static_cast<uint32_t>(face->GetColor());
    for (int y = 0; y < sheet->GetHeight(); ++y) {
        for (int x = 0; x < sheet->GetWidth(); ++x) {
            const uint32_t argb = *sheet->GetPixelData<uint32_t>(x, y);
            if (argb >> 24 != 0xFFu)
                continue;
            uint32_t rgb = 0;
            for (int shift : {16, 8, 0})
                rgb |= (((argb >> shift) & 0xFFu) * ((tint >> shift) & 0xFFu) / 255u) << shift;
            colours.insert(rgb);
        }
    }
    return colours;
}

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

// The version is the one text of the credits in small letters: each colour
// of its letters' face stands out at least 4.5 to 1 from every colour drawn
// behind its box.
TEST_F(MenuDialogPictures, TheCreditsVersionStandsOutFromWhatIsBehindIt) {
    Dialog* dialog = m_pScene->ConstructDialog("DIALOG_CREDITS");
    ASSERT_NE(dialog, nullptr);
    auto* version = DynamicCast<Label>(dialog->GetComponent("VERSION"));
    ASSERT_NE(version, nullptr);
    version->SetVisible(false);
    m_pScene->ActivateDialog(dialog);
    const std::vector<uint32_t> behind = Draw();
    const Region_t<float> box = version->CalculateBoundingBox(false, true, nullptr);
    ASSERT_FALSE(box.IsEmpty());
    std::set<uint32_t> backdrop;
    for (int y = std::max(0, static_cast<int>(box.minY)); y < std::min(kHeight, static_cast<int>(box.maxY)); ++y) {
        for (int x = std::max(0, static_cast<int>(box.minX)); x < std::min(kWidth, static_cast<int>(box.maxX)); ++x)
            backdrop.insert(behind[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFFu);
    }
    ASSERT_FALSE(backdrop.empty());
    const std::set<uint32_t> ink = InkColours(version->GetFont());
    ASSERT_FALSE(ink.empty());
    double worst = 21.0;
    uint32_t worstInk = 0;
    uint32_t worstBackdrop = 0;
    for (uint32_t letter : ink) {
        for (uint32_t ground : backdrop) {
            if (Contrast(letter, ground) < worst) {
                worst = Contrast(letter, ground);
                worstInk = letter;
                worstBackdrop = ground;
            }
        }
    }
    EXPECT_GE(worst, 4.5) << reference_image::Hex(worstInk) << " on " << reference_image::Hex(worstBackdrop);
    m_pScene->DeactivateDialog(dialog);
}
