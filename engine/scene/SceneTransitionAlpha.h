#pragma once
// Cross-fades from a picture of the scene being left to the scene being
// entered, which is already activated and drawn underneath.
#include "engine/scene/SceneTransition.h"

namespace ZQ2 {

class Sprite;

extern const char* const PROP_TIME;
extern const char* const PROP_WAIT;

class SceneTransitionAlpha : public SceneTransition {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_TIME_MS = 1000;

    explicit SceneTransitionAlpha(AbstractProperty* data);

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    // "time" and "wait", when present.
    void SetProperties(PropertyNode* data);
    // Starts the fade once loading allows; the fade then runs by itself.
    void Tick(int deltaMs) override;

    Sprite* GetSnapshot() const { return m_pSnapshot; }
    int GetTime() const { return m_nTime; }
    bool IsWait() const { return m_bWait; }

private:
    Sprite* m_pSnapshot = nullptr;  // a child of the transition
    int m_nTime = DEFAULT_TIME_MS;
    bool m_bWait = true;
};

}  // namespace ZQ2
