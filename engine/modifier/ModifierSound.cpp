#include "engine/modifier/ModifierSound.h"

#include "engine/resource/ResourceManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/SoundNode.h"

namespace ZQ2 {

const RTTI* const ModifierSound::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierSound::rtti("ModifierSound", ModifierSound::rttis);

ModifierSound::ModifierSound(const std::string& id, const std::string& section, bool dontWait) : m_bDontWait(dontWait) {
    if (ResourceManager::g_Instance)
        m_pSound = DynamicCast<Sound>(ResourceManager::g_Instance->GetResource(id, section));
    if (m_pSound)
        m_pSound->AddRef();
}

ModifierSound::ModifierSound(Sound* sound, bool dontWait) : m_pSound(sound), m_bDontWait(dontWait) {
    if (m_pSound)
        m_pSound->AddRef();
}

ModifierSound::ModifierSound(bool dontWait) : m_bDontWait(dontWait) {}

ModifierSound::~ModifierSound() {
    if (m_pSound)
        m_pSound->Release();
}

void ModifierSound::PlaySound() {
    if (m_bPlayed)
        return;
    m_bPlayed = true;
    unsigned int length = 0;
    if (m_pSound) {
        m_pSound->PlaySample(1.0f, 0.0f, 1.0f, false);
        length = m_pSound->GetLength();
    } else if (SoundNode* node = DynamicCast<SoundNode>(GetClient())) {
        node->PlaySample(false);
        length = node->GetSound() ? node->GetSound()->GetLength() : 0;
    }
    m_iRemainingTime = static_cast<int>(length > 0x7FFFFFFFu ? 0x7FFFFFFFu : length);
}

void ModifierSound::Tick(int elapsedMs) {
    PlaySound();
    if (!m_bDontWait) {
        m_iRemainingTime -= elapsedMs;
        if (m_iRemainingTime > 0)
            return;
    }
    EndModifier();
}

void ModifierSound::EndModifier() {
    Modifier::EndModifier();
    PlaySound();
}

std::string ModifierSound::ToString() const {
    std::string text = Modifier::ToString();
    if (GetClient() && !IsObsolete())
        text += "Sound: <" + (m_pSound ? m_pSound->ToStringShort() : std::string("NULL")) + ">";
    return text;
}

}  // namespace ZQ2
