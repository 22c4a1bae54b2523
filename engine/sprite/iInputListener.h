#pragma once
// Anything in the game tree (or added by hand to the input handler) that
// takes mouse and key input. Every handler answers whether it consumed the
// message; a consumed message goes no further.
#include "engine/core/Interface.h"

namespace ZQ2 {

class KeyboardMessageData;
class MouseMessageData;
class ScrollMessageData;

class iInputListener : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    iInputListener() = default;
    // A copy is registered nowhere.
    iInputListener(const iInputListener& other);
    iInputListener& operator=(const iInputListener&) = delete;
    // Leaves the input handler, so it is never asked again.
    ~iInputListener() override;

    const RTTI& GetRTTI() const override { return rtti; }

    virtual bool OnKeyDown(const KeyboardMessageData&) { return false; }
    virtual bool OnKeyUp(const KeyboardMessageData&) { return false; }
    virtual bool OnKeyTyped(const KeyboardMessageData&) { return false; }
    virtual bool OnMouseMoved(const MouseMessageData&) { return false; }
    virtual bool OnMouseLeftDown(const MouseMessageData&) { return false; }
    virtual bool OnMouseLeftUp(const MouseMessageData&) { return false; }
    virtual bool OnMouseMiddleDown(const MouseMessageData&) { return false; }
    virtual bool OnMouseMiddleUp(const MouseMessageData&) { return false; }
    virtual bool OnMouseRightDown(const MouseMessageData&) { return false; }
    virtual bool OnMouseRightUp(const MouseMessageData&) { return false; }
    virtual bool OnMouseScroll(const ScrollMessageData&) { return false; }
    // Drops any pressed or hover state.
    virtual void ResetInputState() {}

    // Turning it off resets the input state.
    void SetInputListenerActive(bool active);
    bool IsInputListenerActive() const { return m_bInputListenerActive; }
    void SetChildrenReceiveInput(bool receive) { m_bChildrenReceiveInput = receive; }
    bool DoChildrenReceiveInput() const { return m_bChildrenReceiveInput; }
    // An exclusive listener drops every listener drawn before it: it is modal.
    void SetExclusiveInput(bool exclusive) { m_bExclusiveInput = exclusive; }
    bool IsExclusiveInput() const { return m_bExclusiveInput; }

private:
    bool m_bInputListenerActive = true;
    bool m_bChildrenReceiveInput = true;
    bool m_bExclusiveInput = false;
};

}  // namespace ZQ2
