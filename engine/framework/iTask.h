#pragma once
// A job the task manager runs once per frame with the elapsed milliseconds.
#include "engine/core/BaseObject.h"

namespace ZQ2 {

class iTask : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }

    // Runs once, before the first update the task gets.
    virtual void OnInitialize() {}
    virtual void OnUpdate(int deltaMs) { (void)deltaMs; }
    // The task has been detached.
    virtual void OnKill() {}
    virtual void SetActive(bool active) { m_bActive = active; }

    bool IsActive() const { return m_bActive; }
    bool IsAttached() const { return m_bAttached; }
    bool IsInitialized() const { return m_bInitialized; }
    // The manager drops the task, without OnKill, when its turn next comes.
    void RequestRemove() { m_bRemoveRequested = true; }
    bool IsRemoveRequested() const { return m_bRemoveRequested; }

private:
    friend class TaskManager;

    bool m_bActive = true;
    bool m_bRemoveRequested = false;
    bool m_bAttached = false;
    bool m_bInitialized = false;
};

}  // namespace ZQ2
