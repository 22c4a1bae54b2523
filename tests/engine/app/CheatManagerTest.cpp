#include "engine/app/CheatManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ZQ2;

namespace {

struct Call {
    Dialog* target;
    int id;
    std::string extra;
};
std::vector<Call> g_Calls;

bool Record(Dialog* target, int id, const std::string& extra) {
    g_Calls.push_back({target, id, extra});
    return true;
}

// Stands for a dialog: only its address is used.
Dialog* const kShowing = reinterpret_cast<Dialog*>(0x1000);
Dialog* const kHidden = reinterpret_cast<Dialog*>(0x2000);

bool ShowingDialogOnly(Dialog* required, Dialog*& target) {
    target = required == kShowing ? kShowing : nullptr;
    return required == kShowing;
}

class Cheats : public ::testing::Test {
protected:
    void SetUp() override {
        g_Calls.clear();
        CheatManager::SetTargetResolver(&ShowingDialogOnly);
        m_Manager = new CheatManager;
    }
    void TearDown() override { CheatManager::SetTargetResolver(nullptr); }

    // Each character released in turn; true when every key was consumed.
    bool Type(const std::string& text) {
        bool consumed = true;
        for (char c : text)
            consumed = m_Manager->OnKeyUp(KeyStroke(static_cast<unsigned char>(c), SYSKEY_NONE)) && consumed;
        return consumed;
    }
    bool Press(eSysKey key) { return m_Manager->OnKeyUp(KeyStroke(0, key)); }

    SmartPtr<CheatManager> m_Manager;
};

}  // namespace

TEST_F(Cheats, TypingOffPassesKeysOn) {
    m_Manager->AddCheat("gold", &Record, 1, nullptr, 0);
    EXPECT_FALSE(Type("gold"));
    EXPECT_TRUE(g_Calls.empty());
    CheatManager::ToggleCheatMode(m_Manager.Get(), nullptr);
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_WORD);
    EXPECT_EQ(m_Manager->GetActionText(), "Cheat mode ON.");
    m_Manager->ToggleCheatMode();
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_OFF);
}

TEST_F(Cheats, WordsMatchAfterLeadingNoiseAndIgnoreCase) {
    m_Manager->AddCheat("GOLD", &Record, 7, nullptr, 0);
    m_Manager->ToggleCheatMode();
    EXPECT_TRUE(Type("xxGo"));
    EXPECT_EQ(m_Manager->GetTyped(), "go");
    EXPECT_TRUE(Type("LD"));
    ASSERT_EQ(g_Calls.size(), 1u);
    EXPECT_EQ(g_Calls[0].id, 7);
    EXPECT_EQ(g_Calls[0].target, nullptr);
    EXPECT_TRUE(m_Manager->IsCheatUsed());
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_OFF);
}

TEST_F(Cheats, ExtraParametersOfFixedAndOpenLength) {
    m_Manager->AddCheat("level", &Record, 1, nullptr, 3);
    m_Manager->AddCheat("say", &Record, 2, nullptr, -1);
    m_Manager->ToggleCheatMode();
    Type("level");
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_EXTRA);
    EXPECT_FALSE(m_Manager->IsTypingUnlimitedExtraString());
    Type("12");
    EXPECT_TRUE(g_Calls.empty());
    Type("3");
    ASSERT_EQ(g_Calls.size(), 1u);
    EXPECT_EQ(g_Calls[0].extra, "123");

    m_Manager->ToggleCheatMode();
    Type("say");
    EXPECT_TRUE(m_Manager->IsTypingUnlimitedExtraString());
    Type("hello there");
    EXPECT_TRUE(Press(SYSKEY_RETURN));
    ASSERT_EQ(g_Calls.size(), 2u);
    EXPECT_EQ(g_Calls[1].extra, "hello there");

    m_Manager->ToggleCheatMode();
    Type("sayabc");
    EXPECT_TRUE(Press(SYSKEY_ESCAPE));
    EXPECT_EQ(g_Calls.size(), 2u);
    EXPECT_EQ(m_Manager->GetActionText(), "Cheat canceled.");
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_OFF);
}

TEST_F(Cheats, DialogCheatsRunOnlyWhileTheirDialogShows) {
    m_Manager->AddCheat("win", &Record, 1, kShowing, 0);
    m_Manager->AddCheat("lose", &Record, 2, kHidden, 0);
    m_Manager->ToggleCheatMode();
    Type("lose");
    EXPECT_TRUE(g_Calls.empty());
    EXPECT_EQ(m_Manager->GetActionText(), "Cheat \"lose\" not valid here.");
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_OFF);
    m_Manager->ToggleCheatMode();
    Type("win");
    ASSERT_EQ(g_Calls.size(), 1u);
    EXPECT_EQ(g_Calls[0].target, kShowing);

    CheatManager::SetTargetResolver(nullptr);  // no scenes at all
    m_Manager->ToggleCheatMode();
    Type("win");
    EXPECT_EQ(g_Calls.size(), 1u);
}

// The pending cheat's dialog closes while its parameter is typed.
TEST_F(Cheats, RemovingAPendingCheatIsSafe) {
    m_Manager->AddCheat("warp", &Record, 1, kShowing, 2);
    m_Manager->AddCheat("other", &Record, 2, nullptr, 0);
    m_Manager->ToggleCheatMode();
    Type("warp");
    ASSERT_EQ(m_Manager->GetMode(), CheatManager::MODE_EXTRA);
    m_Manager->RemoveCheats(kShowing);
    EXPECT_EQ(m_Manager->GetMode(), CheatManager::MODE_OFF);
    EXPECT_FALSE(Type("12"));
    EXPECT_TRUE(g_Calls.empty());
    m_Manager->ToggleCheatMode();
    Type("warp12other");
    ASSERT_EQ(g_Calls.size(), 1u);
    EXPECT_EQ(g_Calls[0].id, 2);
}
