#include "engine/app/CheatManager.h"

#include "engine/core/CaseConversion.h"
#include "engine/sprite/Dialog.h"

namespace ZQ2 {

const RTTI* const CheatManager::rttis[] = {&BaseObject::rtti, &iInputListener::rtti, nullptr};
const RTTI CheatManager::rtti("CheatManager", CheatManager::rttis);

CheatManager::TargetResolver CheatManager::s_pResolver = nullptr;

namespace {

void ForgetCheatsOf(Dialog* dialog) {
    if (CheatManager::g_Instance)
        CheatManager::g_Instance->RemoveCheats(dialog);
}

}  // namespace

void CheatManager::CreateInstance() {
    iInstance<CheatManager>::CreateInstance();
    Dialog::SetGoneHook(&ForgetCheatsOf);
}

std::string CheatManager::Folded(const std::string& text) const {
    return m_bCaseSensitive ? text : std::string(ToLowercase(UTF8String(text)));
}

void CheatManager::AddCheat(const std::string& word, CheatInfo::Function function, int id, Dialog* dialog,
                            int extraLength) {
    CheatInfo info;
    info.function = function;
    info.word = Folded(word);
    info.id = id;
    info.extraLength = extraLength;
    info.dialog = dialog;
    m_Cheats[info.word] = info;
}

void CheatManager::RemoveCheats(Dialog* dialog) {
    for (auto it = m_Cheats.begin(); it != m_Cheats.end();) {
        if (it->second.dialog == dialog)
            it = m_Cheats.erase(it);
        else
            ++it;
    }
    if (m_iMode == MODE_EXTRA && !Pending()) {
        m_sPending.clear();
        m_sTyped.clear();
        m_iMode = MODE_OFF;
    }
}

const CheatInfo* CheatManager::Pending() const {
    if (m_sPending.empty())
        return nullptr;
    const auto found = m_Cheats.find(m_sPending);
    return found == m_Cheats.end() ? nullptr : &found->second;
}

bool CheatManager::IsTypingUnlimitedExtraString() const {
    const CheatInfo* pending = Pending();
    return m_iMode == MODE_EXTRA && pending && pending->extraLength < 1;
}

void CheatManager::ToggleCheatMode(BaseObject* target, BaseObject*) {
    if (auto* manager = DynamicCast<CheatManager>(target))
        manager->ToggleCheatMode();
}

void CheatManager::ToggleCheatMode() {
    m_sPending.clear();
    m_sTyped.clear();
    if (m_iMode == MODE_OFF) {
        m_iMode = MODE_WORD;
        SetActionText("Cheat mode ON.");
    } else {
        m_iMode = MODE_OFF;
        SetActionText("Cheat mode OFF.");
    }
}

bool CheatManager::OnKeyUp(const KeyStroke& key) {
    if (key.GetKey() == TOGGLE_KEY && Platform::IsKeyDown(SYSKEY_CONTROL)) {
        ToggleCheatMode();
        return false;
    }
    if (m_iMode == MODE_OFF)
        return false;
    if (key.GetKey() == SYSKEY_RETURN || key.GetKey() == SYSKEY_ESCAPE) {
        const CheatInfo* pending = Pending();
        if (key.GetKey() == SYSKEY_RETURN && m_iMode == MODE_EXTRA && pending && pending->extraLength < 1) {
            const CheatInfo info = *pending;
            ExecuteCheat(info);
        } else {
            SetActionText("Cheat canceled.");
        }
        m_sPending.clear();
        m_sTyped.clear();
        m_iMode = MODE_OFF;
        return true;
    }
    m_sTyped += std::string(ToLowercase(UTF8String(key.GetCharacterString())));
    if (m_iMode == MODE_WORD)
        CheckForCheatMatch();
    else
        CheckForExtraModeEnd();
    return true;
}

void CheatManager::CheckForCheatMatch() {
    m_sTyped = Folded(m_sTyped);
    while (!m_sTyped.empty() && !CheckCheatStrings())
        m_sTyped.erase(0, 1);
}

bool CheatManager::CheckCheatStrings() {
    const auto found = m_Cheats.find(m_sTyped);
    if (found != m_Cheats.end()) {
        if (found->second.extraLength != 0) {
            m_sPending = found->first;
            m_sTyped.clear();
            m_iMode = MODE_EXTRA;
        } else {
            const CheatInfo info = found->second;
            ExecuteCheat(info);
        }
    }
    for (const auto& entry : m_Cheats) {
        if (entry.first.size() > m_sTyped.size() && entry.first.compare(0, m_sTyped.size(), m_sTyped) == 0)
            return true;
    }
    return false;
}

void CheatManager::CheckForExtraModeEnd() {
    const CheatInfo* pending = Pending();
    if (!pending) {
        m_iMode = MODE_WORD;
        return;
    }
    if (pending->extraLength < 1 || static_cast<int>(m_sTyped.size()) < pending->extraLength)
        return;
    const CheatInfo info = *pending;
    ExecuteCheat(info);
    m_sPending.clear();
    m_iMode = MODE_OFF;
}

// Runs on a copy: the cheat's function may add or remove cheats.
void CheatManager::ExecuteCheat(const CheatInfo& info) {
    Dialog* target = nullptr;
    const bool onItsDialog = s_pResolver ? s_pResolver(info.dialog, target) : info.dialog == nullptr;
    if (info.dialog && !onItsDialog) {
        SetActionText("Cheat \"" + info.word + "\" not valid here.");
        if (m_bPlaySound)
            PlayCheatSound(false);
        m_sTyped.clear();
        m_iMode = MODE_OFF;
        return;
    }
    SetActionText("Cheat \"" + info.word + "\" activated with \"" + m_sTyped + "\" as extra parameter.");
    if (info.function && info.function(target, info.id, m_sTyped)) {
        m_bCheatUsed = true;
        if (m_bPlaySound)
            PlayCheatSound(true);
    }
    m_sTyped.clear();
    m_iMode = MODE_OFF;
}

}  // namespace ZQ2
