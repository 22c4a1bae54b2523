#include "engine/sprite/iInputListener.h"

#include "engine/sprite/InputHandler.h"

namespace ZQ2 {

const RTTI* const iInputListener::rttis[] = {&Interface::rtti, nullptr};
const RTTI iInputListener::rtti("iInputListener", iInputListener::rttis);

iInputListener::iInputListener(const iInputListener& other)
    : Interface(other),
      m_bInputListenerActive(other.m_bInputListenerActive),
      m_bChildrenReceiveInput(other.m_bChildrenReceiveInput),
      m_bExclusiveInput(other.m_bExclusiveInput) {}

iInputListener::~iInputListener() {
    if (InputHandler::g_Instance)
        InputHandler::g_Instance->ForgetListener(this);
}

void iInputListener::SetInputListenerActive(bool active) {
    if (active == m_bInputListenerActive)
        return;
    m_bInputListenerActive = active;
    if (!active)
        ResetInputState();
}

}  // namespace ZQ2
