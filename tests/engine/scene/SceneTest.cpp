// A scene's own life: lazy initialisation from its data, the labels' late
// layout, and the dialogs it constructs, shows and takes down.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/scene/SceneTestSupport.h"

using namespace ZQ2;

namespace {

struct FakeImages {
    static inline SmartPtr<Image> image;
    static inline std::vector<std::string> asked;

    static Image* Get(const std::string& name, const std::string& section, const std::string*) {
        asked.push_back(section + "/" + name);
        return image;
    }
};

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeImages::asked.clear();
        FakeImages::image = new Image(new ImageDataOpenGL(64, 48, 64, 48, true), 1, 1);
        ResourceLookup::SetImageSource(&FakeImages::Get);
        m_Data.Load(
            "<Node id=\"scenes\">"
            "  <Scene id=\"SCENE_MENU\" scenebackground=\"menu_bg\" section=\"MENU\">"
            "    <Vector id=\"scenecomponents\">"
            "      <Sprite id=\"a\" name=\"logo\" x=\"3\" width=\"10\" height=\"10\"/>"
            "      <Sprite id=\"b\" name=\"frame\" width=\"5\" height=\"5\"/>"
            "    </Vector>"
            "  </Scene>"
            "  <Scene id=\"SCENE_HALF\" scenebackground=\"half_bg\"/>"
            "</Node>"
            "<Node id=\"dialogs\">"
            "  <Dialog id=\"DIALOG_PAUSE\" width=\"20\" height=\"10\"/>"
            "  <Dialog id=\"DIALOG_HELP\"/>"
            "  <Sprite id=\"NOT_A_DIALOG\"/>"
            "</Node>");
        m_pScene = Build("SCENE_MENU");
    }

    void TearDown() override {
        m_pScene = nullptr;
        ResourceLookup::SetImageSource(nullptr);
        FakeImages::image = nullptr;
    }

    static SmartPtr<Scene> Build(const std::string& name) {
        SmartPtr<BaseObject> object(DataManager::g_Instance->ConstructScene(name));
        return DynamicCast<Scene>(object.Get());
    }

    static Label* NewLabel() { return new Label(nullptr, 0.0f, 0.0f, 0.0f, 0.0f, TEXTWRAP_AUTOWIDTH); }

    static std::vector<std::string> ActiveNames(const Scene* scene) {
        std::vector<std::string> names;
        for (const auto& dialog : scene->GetActiveDialogs())
            names.push_back(dialog->GetName());
        return names;
    }

    static GameNode* LastChild(GameNode* node) {
        GameNode* child = node->GetFirstChild();
        while (child && child->GetNextSibling())
            child = child->GetNextSibling();
        return child;
    }

    test::DataFolder m_Data;
    SmartPtr<Scene> m_pScene;
};

}  // namespace

TEST_F(SceneTest, BuiltFromDataItWaitsHiddenFrozenAndUninitialised) {
    ASSERT_NE(m_pScene, nullptr);
    EXPECT_EQ(m_pScene->GetName(), "SCENE_MENU");
    EXPECT_EQ(m_pScene->GetAnimContainer()->GetName(), "SCENE_MENU");
    EXPECT_FALSE(m_pScene->GetAnimContainer()->IsRemoveWhenEmpty());
    EXPECT_TRUE(m_pScene->GetAnimContainer()->IsPaused());
    EXPECT_FALSE(m_pScene->IsVisible());
    EXPECT_TRUE(m_pScene->IsSuspended());
    EXPECT_FALSE(m_pScene->IsExclusiveInput());
    EXPECT_FALSE(m_pScene->IsInputListenerActive());
    EXPECT_EQ(m_pScene->GetComponent("logo"), nullptr);
    EXPECT_TRUE(FakeImages::asked.empty());
    EXPECT_FALSE(m_pScene->HandleCloseMessage());

    SmartPtr<Scene> bare(new Scene(nullptr));
    EXPECT_EQ(bare->GetAnimContainer()->GetName(), "Scene");
}

TEST_F(SceneTest, FirstActivationBuildsComponentsAndBackgroundOnce) {
    m_pScene->OnActivate();
    EXPECT_EQ(m_pScene->GetState(), Scene::STATE_INITIALIZED);
    GameNode* logo = m_pScene->GetComponent("logo");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->GetX(), 3.0f);
    ASSERT_NE(m_pScene->GetComponent("frame"), nullptr);
    EXPECT_EQ(FakeImages::asked, (std::vector<std::string>{"MENU/menu_bg"}));
    EXPECT_EQ(m_pScene->GetImage(), FakeImages::image);
    EXPECT_TRUE(m_pScene->DoChildrenReceiveInput());
    EXPECT_FALSE(m_pScene->IsInputListenerActive());  // until entered

    m_pScene->OnEnter();
    EXPECT_TRUE(m_pScene->IsInputListenerActive());
    m_pScene->OnDeactivate();
    EXPECT_FALSE(m_pScene->DoChildrenReceiveInput());
    m_pScene->OnActivate();
    EXPECT_EQ(FakeImages::asked.size(), 1u);
    EXPECT_EQ(m_pScene->GetComponent("logo"), logo);

    // A background needs both its name and its section.
    SmartPtr<Scene> half = Build("SCENE_HALF");
    half->OnActivate();
    EXPECT_EQ(FakeImages::asked.size(), 1u);
    EXPECT_EQ(half->GetImage(), nullptr);
}

// 100 ms after the scene first ticks, every label of it lays out once more.
TEST_F(SceneTest, LabelsAreMarkedDirtyOnceAfterTheFirstTenthOfASecond) {
    auto* label = NewLabel();
    auto* deep = NewLabel();
    auto* gone = NewLabel();
    GameNode* holder = GameTree::LinkNodeUnder(m_pScene, new GameNode("holder"));
    GameTree::LinkNodeUnder(m_pScene, label);
    GameTree::LinkNodeUnder(holder, deep);
    GameTree::LinkNodeUnder(m_pScene, gone);
    gone->SetObsolete(true);
    for (Label* l : {label, deep, gone})
        l->Update();

    m_pScene->Tick(60);
    m_pScene->Tick(40);
    EXPECT_FALSE(label->IsLayoutDirty());  // 100 ms is not yet past
    m_pScene->Tick(1);
    EXPECT_TRUE(label->IsLayoutDirty());
    EXPECT_TRUE(deep->IsLayoutDirty());
    EXPECT_FALSE(gone->IsLayoutDirty());

    label->Update();
    m_pScene->Tick(500);
    EXPECT_FALSE(label->IsLayoutDirty());
}

TEST_F(SceneTest, ConstructedDialogsAreKeptByNameAndShownMostRecentFirst) {
    Dialog* pause = m_pScene->ConstructDialog("DIALOG_PAUSE");
    ASSERT_NE(pause, nullptr);
    EXPECT_EQ(pause->GetName(), "DIALOG_PAUSE");
    EXPECT_EQ(pause->GetRefCount(), 1);  // the map's
    EXPECT_EQ(pause->GetParent(), nullptr);  // not shown yet
    Dialog* help = m_pScene->ConstructDialog("DIALOG_HELP", "help");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetName(), "help");
    EXPECT_EQ(m_pScene->ConstructDialog("NOT_A_DIALOG"), nullptr);
    EXPECT_EQ(m_pScene->ConstructDialog("DIALOG_NONE"), nullptr);

    m_pScene->ActivateDialog(pause);
    m_pScene->ActivateDialog(help);
    EXPECT_EQ(ActiveNames(m_pScene), (std::vector<std::string>{"help", "DIALOG_PAUSE"}));
    EXPECT_EQ(LastChild(m_pScene), help);  // drawn over everything
    EXPECT_TRUE(help->DoChildrenReceiveInput());  // its OnActivate ran
    EXPECT_TRUE(m_pScene->IsActiveDialog("help"));
    EXPECT_FALSE(m_pScene->IsActiveDialog("nobody"));
    EXPECT_FALSE(m_pScene->IsActiveDialog(static_cast<Dialog*>(nullptr)));

    // Shown again: to the front and drawn on top, listed once.
    m_pScene->ActivateDialog(pause);
    EXPECT_EQ(ActiveNames(m_pScene), (std::vector<std::string>{"DIALOG_PAUSE", "help"}));
    EXPECT_EQ(LastChild(m_pScene), pause);

    // Taking it down leaves it in the map, obsolete for the purge.
    m_pScene->DeactivateDialog(pause);
    EXPECT_TRUE(pause->IsObsolete());
    EXPECT_FALSE(pause->DoChildrenReceiveInput());
    EXPECT_EQ(ActiveNames(m_pScene), (std::vector<std::string>{"help"}));
    EXPECT_EQ(m_pScene->GetDialog("DIALOG_PAUSE"), pause);
    m_pScene->ActivateDialog(pause);
    EXPECT_FALSE(pause->IsObsolete());

    // Constructing a shown dialog again takes it down and hands it back.
    EXPECT_EQ(m_pScene->ConstructDialog("DIALOG_HELP", "help"), help);
    EXPECT_FALSE(m_pScene->IsActiveDialog(help));
    EXPECT_TRUE(help->IsObsolete());
}

TEST_F(SceneTest, RemovedDialogsLeaveTheMapAndTheScreen) {
    SmartPtr<Dialog> pause(m_pScene->ConstructDialog("DIALOG_PAUSE"));
    SmartPtr<Dialog> help(m_pScene->ConstructDialog("DIALOG_HELP"));
    SmartPtr<Dialog> other(m_pScene->ConstructDialog("DIALOG_HELP", "other"));
    for (Dialog* d : {pause.Get(), help.Get(), other.Get()})
        m_pScene->ActivateDialog(d);

    m_pScene->RemoveDialog("DIALOG_PAUSE");
    EXPECT_EQ(m_pScene->GetDialog("DIALOG_PAUSE"), nullptr);
    EXPECT_TRUE(pause->IsObsolete());
    EXPECT_EQ(ActiveNames(m_pScene), (std::vector<std::string>{"other", "DIALOG_HELP"}));
    m_pScene->RemoveDialog("nobody");
    m_pScene->RemoveDialog(static_cast<Dialog*>(nullptr));
    m_pScene->RemoveDialog(help);
    EXPECT_EQ(m_pScene->GetDialog("DIALOG_HELP"), nullptr);

    m_pScene->DeactivateAllDialogs();
    EXPECT_TRUE(m_pScene->GetActiveDialogs().empty());
    EXPECT_EQ(m_pScene->GetDialog("other"), other);
    m_pScene->ActivateDialog(other);
    m_pScene->RemoveAllDialogs();
    EXPECT_TRUE(m_pScene->GetActiveDialogs().empty());
    EXPECT_EQ(m_pScene->GetDialog("other"), nullptr);
    EXPECT_TRUE(other->IsObsolete());
}

// A dialog's close button reaches the scene the manager shows.
TEST_F(SceneTest, CloseCallbackRemovesTheDialogFromTheCurrentScene) {
    SceneManager::CreateInstance();
    SceneManager::g_Instance->AddScene("SCENE_MENU", m_pScene);
    SceneManager::g_Instance->EnterScene(m_pScene);
    SceneManager::g_Instance->OnUpdate(16);
    Dialog* pause = m_pScene->ConstructDialog("DIALOG_PAUSE");
    m_pScene->ActivateDialog(pause);
    Dialog::CloseDialog_Callback(pause, nullptr);
    EXPECT_EQ(m_pScene->GetDialog("DIALOG_PAUSE"), nullptr);
    EXPECT_TRUE(m_pScene->GetActiveDialogs().empty());
    Dialog::CloseDialog_Callback(nullptr, nullptr);
    SceneManager::ReleaseInstance();
}

TEST_F(SceneTest, ItsAnimationContainerGoesWithIt) {
    SmartPtr<ModifierContainer> container(m_pScene->GetAnimContainer());
    m_pScene = nullptr;
    EXPECT_TRUE(container->IsObsolete());
    EXPECT_EQ(container->GetRefCount(), 1);
}
