#pragma once
// Developer cheats typed while the game runs: a key combination switches
// typing on and off; released keys are collected until they spell a
// registered word, whose function then runs on the current scene or on the
// dialog it belongs to, optionally with a parameter typed after the word.
#include <map>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/framework/KeyStroke.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

class Dialog;

struct CheatInfo {
    using Function = bool (*)(Dialog* target, int id, const std::string& extra);

    Function function = nullptr;
    std::string word;
    int id = 0;
    // 0: no parameter; n > 0: exactly n characters; below 0: up to return.
    int extraLength = 0;
    Dialog* dialog = nullptr;
};

class CheatManager : public BaseObject, public iInputListener, public iInstance<CheatManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    enum eMode { MODE_OFF = 0, MODE_WORD = 1, MODE_EXTRA = 2 };

    // Finds where a cheat runs: sets target to the current main scene, or to
    // the cheat's dialog when that is showing, and answers whether the
    // cheat's dialog (if it has one) is the target. The scene layer installs
    // it; without one, cheats run without a target and dialog cheats are
    // refused.
    using TargetResolver = bool (*)(Dialog* required, Dialog*& target);
    static void SetTargetResolver(TargetResolver resolver) { s_pResolver = resolver; }

    // The key released with control held that switches typing on and off.
    static constexpr eSysKey TOGGLE_KEY = SYSKEY_F12;

    CheatManager() = default;
    // The instance also forgets the cheats of each dialog as it goes: a cheat
    // keeps only a plain pointer to its dialog.
    static void CreateInstance();
    const RTTI& GetRTTI() const override { return rtti; }

    void AddCheat(const std::string& word, CheatInfo::Function function, int id, Dialog* dialog, int extraLength);
    void RemoveCheats(Dialog* dialog);
    bool IsTypingUnlimitedExtraString() const;
    static void ToggleCheatMode(BaseObject* target, BaseObject* sender);
    void ToggleCheatMode();

    // True when the key was used here and must go no further.
    bool OnKeyUp(const KeyStroke& key);
    // As a listener of the input handler, asked before the tree.
    bool OnKeyUp(const KeyboardMessageData& key) override { return OnKeyUp(key.GetKeyStroke()); }
    BaseObject* QueryBaseObject() override { return this; }

    void SetPlaySound(bool play) { m_bPlaySound = play; }
    bool GetPlaySound() const { return m_bPlaySound; }
    void SetCaseSensitive(bool sensitive) { m_bCaseSensitive = sensitive; }
    int GetMode() const { return m_iMode; }
    const std::string& GetTyped() const { return m_sTyped; }
    bool IsCheatUsed() const { return m_bCheatUsed; }
    const std::string& GetActionText() const { return m_sActionText; }

protected:
    // Shows the manager's state; kept for whoever wants to show it.
    virtual void SetActionText(const std::string& text) { m_sActionText = text; }
    // The success or failure sound; the engine's sound layer plays them.
    virtual void PlayCheatSound(bool success) { (void)success; }

private:
    void CheckForCheatMatch();
    bool CheckCheatStrings();
    void CheckForExtraModeEnd();
    void ExecuteCheat(const CheatInfo& info);
    std::string Folded(const std::string& text) const;
    // The pending cheat is looked up by its word: the entry may have been
    // removed while it waited.
    const CheatInfo* Pending() const;

    std::map<std::string, CheatInfo> m_Cheats;
    std::string m_sTyped;
    bool m_bPlaySound = false;
    int m_iMode = MODE_OFF;
    std::string m_sPending;
    bool m_bCaseSensitive = false;
    bool m_bCheatUsed = false;
    std::string m_sActionText;

    static TargetResolver s_pResolver;
};

}  // namespace ZQ2
