#include "engine/sound/SoundManager.h"

#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"

namespace ZQ2 {

const RTTI* const SoundManager::rttis[] = {&iTask::rtti, &iMessageListener::rtti, nullptr};
const RTTI SoundManager::rtti("SoundManager", SoundManager::rttis);

SoundManager::SoundManager(unsigned int mixRate, unsigned int channels) : m_nMixRate(mixRate), m_nChannels(channels) {}

void SoundManager::CreateInstance(unsigned long, unsigned int mixRate, unsigned int channels) {
    g_Instance = new SoundManager(mixRate, channels);
    g_Instance->AddRef();
}

void* SoundManager::QueryInterface(const RTTI& which) {
    if (&which == &iMessageListener::rtti)
        return static_cast<iMessageListener*>(this);
    return iTask::QueryInterface(which);
}

// Sound goes quiet while the window is inactive or minimised.
void SoundManager::ProcessMessage(const Message& message) {
    auto* flag = message.GetData<TemplateMessageData<bool>>();
    if (!flag)
        return;
    if (message.GetNumber() == MSG_ACTIVATE)
        m_bInactive = !flag->GetValue();
    else if (message.GetNumber() == MSG_MINIMIZED_CHANGED)
        m_bMinimized = flag->GetValue();
}

}  // namespace ZQ2
