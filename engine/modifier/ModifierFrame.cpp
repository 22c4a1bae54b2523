#include "engine/modifier/ModifierFrame.h"

#include <algorithm>
#include <cstdlib>

#include "engine/graphics/Image.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/Sprite.h"

namespace ZQ2 {

const RTTI* const ModifierFrame::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierFrame::rtti("ModifierFrame", ModifierFrame::rttis);

ObjectInitializer ModifierFrame::m_ObjectInitializer("ModifierFrame", &ModifierFrame::OnData);

const std::string g_FrameDirectionKeywords[3] = {"forward", "backward", "switch"};

const char* const PROP_LOOPCOUNT = "loopcount";

ModifierFrame::ModifierFrame(int frameTimeMs, int loopCount, eFrameDirection direction)
    : m_nLoopCount(loopCount), m_nFrameTime(frameTimeMs), m_eDirection(direction) {}

ModifierFrame::ModifierFrame(int frameTimeMs, int firstFrame, int lastFrame, int loopCount,
                             eFrameDirection direction)
    : m_nLoopCount(loopCount),
      m_nFrameTime(frameTimeMs),
      m_nFirstFrame(firstFrame),
      m_nFrameCount(std::abs(lastFrame - firstFrame) + 1),
      m_eDirection(direction) {
    if (m_nFrameCount == 1 && m_nLoopCount == LOOP_ENDLESS)
        m_nLoopCount = 1;
}

ModifierFrame::ModifierFrame(int frameTimeMs, const ZQVector<int>& frames, int loopCount, eFrameDirection direction)
    : m_nLoopCount(loopCount), m_nFrameTime(frameTimeMs), m_eDirection(direction), m_Frames(frames) {}

ModifierFrame::ModifierFrame(AbstractProperty* data) : m_nLoopCount(-1), m_nFrameTime(100), m_eDirection(FRAME_FORWARD) {
    if (data)
        SetProperties(data->ToNode());
}

BaseObject* ModifierFrame::OnData(AbstractProperty* data) { return new ModifierFrame(data); }

std::string ModifierFrame::ToString() const {
    std::string text = Modifier::ToString();
    text += std::to_string(CalcFrameCount()) + " frames of " + std::to_string(m_nFrameTime) + " ms, ";
    text += m_eDirection >= FRAME_FORWARD && m_eDirection <= FRAME_SWITCH ? g_FrameDirectionKeywords[m_eDirection]
                                                                          : std::string("?");
    text += ", loops " + std::to_string(m_nLoopCount) + "; ";
    return text;
}

void ModifierFrame::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_LOOPCOUNT))
        m_nLoopCount = data->GetValue(PROP_LOOPCOUNT)->ToInt();
    if (data->HasProperty(PROP_FRAMETIME))
        m_nFrameTime = data->GetValue(PROP_FRAMETIME)->ToInt();
    m_eDirection = static_cast<eFrameDirection>(
        PropertyStore::ParameterToInt(data, PROP_FRAMEDIRECTION, g_FrameDirectionKeywords, 3, m_eDirection));
}

Sprite* ModifierFrame::GetClientSprite() const { return DynamicCast<Sprite>(static_cast<BaseObject*>(m_pClient)); }

int ModifierFrame::CalcFrameCount() const {
    if (m_nFrameCount > 0)
        return m_nFrameCount;
    int frames = 0;
    if (!m_Frames.empty()) {
        frames = m_Frames.size();
    } else if (Sprite* sprite = GetClientSprite()) {
        frames = sprite->GetImage() ? sprite->GetImage()->GetFrameCount() : 1;
    }
    return frames - std::max(m_nFirstFrame, 0);
}

int ModifierFrame::GetFrameToPlay(int index) const {
    if (m_Frames.empty() || index < 0 || index >= m_Frames.size())
        return index;
    return m_Frames[index];
}

void ModifierFrame::Show(int index) {
    if (Sprite* sprite = GetClientSprite())
        sprite->SetCurrentFrame(GetFrameToPlay(index + std::max(m_nFirstFrame, 0)));
}

void ModifierFrame::Tick(int elapsedMs) {
    const int n = CalcFrameCount();
    // Nothing to play, or no time to show it in: the last frame at once.
    if (n <= 0 || m_nFrameTime <= 0) {
        EndModifier();
        return;
    }
    const bool switching = m_eDirection == FRAME_SWITCH;
    const int period = switching && n > 1 ? n - 1 : n;
    m_nElapsed = AddTime(m_nElapsed, std::max(elapsedMs, 0));
    if (m_nLoopCount > 0) {
        const long long end = (static_cast<long long>(m_nLoopCount) * period + (switching ? 1 : 0)) * m_nFrameTime;
        if (m_nElapsed >= end) {
            EndModifier();
            return;
        }
    } else {
        // Endless: whole back-and-forth rounds change nothing, and dropping
        // them keeps the clock from overflowing.
        m_nElapsed = static_cast<int>(m_nElapsed % (2LL * period * m_nFrameTime));
    }
    const int step = m_nElapsed / m_nFrameTime;
    const int cycle = step / period;
    int position = step % period;
    const bool forward = switching ? cycle % 2 == 0 : m_eDirection == FRAME_FORWARD;
    if (!forward)
        position = n - position - 1;
    Show(position);
}

void ModifierFrame::EndModifier() {
    m_nStatus |= STATUS_DONE;
    const int n = CalcFrameCount();
    if (n <= 0)
        return;
    int last = n - 1;
    if (m_eDirection == FRAME_BACKWARD || (m_eDirection == FRAME_SWITCH && m_nLoopCount % 2 == 0))
        last = 0;
    Show(last);
}

}  // namespace ZQ2
