// The game's dialog base: open and close sounds, the fade-in, the burst and
// the fade-out with their timings, the input that is off while they run, and
// the darkened background.
#include "source/dialogs/DialogDelvor.h"

#include <gtest/gtest.h>

#include "engine/sprite/Button.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using gametest::GameWorld;
using gametest::SoundLog;

namespace {

class DialogDelvorTest : public ::testing::Test {
protected:
    DialogDelvor* Open(const std::string& type) {
        auto* dialog = DynamicCast<DialogDelvor>(m_World.Scene()->ConstructDialog(type));
        EXPECT_NE(dialog, nullptr) << type;
        if (dialog)
            m_World.Scene()->ActivateDialog(dialog);
        return dialog;
    }

    // Counts the presses of the dialog's OK button.
    static void CountPress(BaseObject*, BaseObject*) { ++s_nPresses; }

    static bool AcceptsInput(DialogDelvor* dialog) {
        return dialog->IsInputListenerActive() && dialog->DoChildrenReceiveInput();
    }

    GameWorld m_World;
    static inline int s_nPresses = 0;
};

}  // namespace

TEST_F(DialogDelvorTest, FadesInThenTakesInput) {
    DialogDelvor* dialog = Open("DIALOG_PLAIN");
    s_nPresses = 0;
    dialog->BindComponent("BUTTON_OK", dialog, &CountPress);
    EXPECT_EQ(SoundLog::asked, (std::vector<std::string>{"default/SOUND_UI_DIALOG_OPEN"}));

    dialog->CreateStandardShowAnimation();
    EXPECT_EQ(dialog->GetAlpha(), 0);
    EXPECT_TRUE(dialog->IsUseBufferImage());
    EXPECT_FALSE(AcceptsInput(dialog));
    m_World.Frame(150);
    EXPECT_NEAR(dialog->GetAlpha(), 127, 1);
    m_World.ClickOn(dialog->GetComponent("BUTTON_OK"));
    EXPECT_EQ(s_nPresses, 0);  // clicks during the fade-in do nothing

    m_World.Frame(150);  // the fade ends; its follower runs in the same frame
    EXPECT_EQ(dialog->GetAlpha(), 255);
    EXPECT_TRUE(AcceptsInput(dialog));
    EXPECT_FALSE(dialog->IsUseBufferImage());
    m_World.ClickOn(dialog->GetComponent("BUTTON_OK"));
    EXPECT_EQ(s_nPresses, 1);
}

TEST_F(DialogDelvorTest, BurstFadesInHalfTheTimeGrowsThenSettles) {
    DialogDelvor* dialog = Open("DIALOG_PLAIN");
    dialog->CreateBurstShowAnimation();
    EXPECT_FALSE(AcceptsInput(dialog));
    // Burst time 400, last bit 100: alpha over 200, growth over 300, settle over 100.
    auto run = [&](int ms) {
        for (int i = 0; i < ms / 10; ++i)
            m_World.Frame(10);
    };
    run(100);
    EXPECT_NEAR(dialog->GetAlpha(), 127, 1);
    EXPECT_NEAR(dialog->GetScaleX(), 0.5f + 0.7f / 3.0f, 1e-3f);
    run(100);
    EXPECT_EQ(dialog->GetAlpha(), 255);
    run(90);
    EXPECT_NEAR(dialog->GetScaleX(), 0.5f + 0.7f * 29.0f / 30.0f, 1e-3f);
    // A follower starts in the frame its leader ends, with that frame's whole time.
    run(10);
    EXPECT_NEAR(dialog->GetScaleX(), 1.2f - 0.2f / 10.0f, 1e-3f);
    EXPECT_FALSE(AcceptsInput(dialog));
    int elapsed = 300;
    while (!AcceptsInput(dialog) && elapsed < 1000) {
        m_World.Frame(10);
        elapsed += 10;
    }
    EXPECT_GE(elapsed, 390);
    EXPECT_LE(elapsed, 400);
    EXPECT_NEAR(dialog->GetScaleX(), 1.0f, 1e-3f);
}

TEST_F(DialogDelvorTest, HideFadesOutLeavesTheSceneThenRunsTheCloseAction) {
    static int s_nClosed = 0;
    s_nClosed = 0;
    DialogDelvor* dialog = Open("DIALOG_PLAIN");
    SmartPtr<DialogDelvor> hold(dialog);
    dialog->SetTargetAndMethod(nullptr, [](BaseObject* target, BaseObject*) {
        ++s_nClosed;
        EXPECT_EQ(target, nullptr);
    });
    SoundLog::asked.clear();
    dialog->CreateStandardHideAnimation();
    EXPECT_EQ(SoundLog::asked, (std::vector<std::string>{"default/SOUND_UI_DIALOG_CLOSE"}));  // at the start
    EXPECT_FALSE(AcceptsInput(dialog));
    m_World.Frame(299);
    EXPECT_TRUE(m_World.Scene()->IsActiveDialog("DIALOG_PLAIN"));
    EXPECT_EQ(s_nClosed, 0);
    m_World.Frame(1);
    EXPECT_EQ(dialog->GetAlpha(), 0);
    EXPECT_FALSE(m_World.Scene()->IsActiveDialog("DIALOG_PLAIN"));
    EXPECT_EQ(m_World.Scene()->GetDialog("DIALOG_PLAIN"), nullptr);
    EXPECT_EQ(s_nClosed, 1);
}

TEST_F(DialogDelvorTest, AsAButtonActionTheDialogBecomesItsOwnCloseTarget) {
    static BaseObject* s_pTarget = nullptr;
    DialogDelvor* dialog = Open("DIALOG_PLAIN");
    SmartPtr<DialogDelvor> hold(dialog);
    dialog->SetTargetAndMethod(nullptr, [](BaseObject* target, BaseObject*) { s_pTarget = target; });
    DialogDelvor::CreateStandardHideAnimation(dialog, nullptr);
    m_World.Frame(300);
    EXPECT_EQ(s_pTarget, dialog);
}

TEST_F(DialogDelvorTest, WithoutSoundsItOpensAndClosesSilently) {
    auto* dialog = DynamicCast<DialogDelvor>(m_World.Scene()->ConstructDialog("DIALOG_PLAIN"));
    ASSERT_NE(dialog, nullptr);
    dialog->SetPlaySounds(false);
    m_World.Scene()->ActivateDialog(dialog);
    dialog->CreateStandardHideAnimation();
    m_World.Frame(300);
    EXPECT_TRUE(SoundLog::asked.empty());
}

TEST_F(DialogDelvorTest, DarkenedDialogCoversTheScreenAndCannotBeDragged) {
    DialogDelvor* plain = Open("DIALOG_PLAIN");
    EXPECT_FALSE(plain->IsDarkenBackground());
    EXPECT_TRUE(plain->IsMovable());

    DialogDelvor* dark = Open("DIALOG_DARK");
    EXPECT_TRUE(dark->IsDarkenBackground());
    EXPECT_FALSE(dark->IsMovable());
    EXPECT_EQ(dark->GetPainter(), nullptr);
    // The components stay where the dialog was; the dialog spans the screen.
    EXPECT_EQ(dark->GetX(), 0.0f);
    EXPECT_EQ(dark->GetY(), 0.0f);
    EXPECT_EQ(dark->GetComponentRoot()->GetX(), 100.0f);
    EXPECT_EQ(dark->GetComponentRoot()->GetY(), 50.0f);
    dark->OnMouseLeftDown(gametest::Mouse(150.0f, 80.0f));
    dark->OnMouseMoved(gametest::Mouse(190.0f, 120.0f));
    EXPECT_EQ(dark->GetX(), 0.0f);
    EXPECT_EQ(dark->GetComponentRoot()->GetX(), 100.0f);
}
