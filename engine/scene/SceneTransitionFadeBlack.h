#pragma once
// Fades to a colour, stays covered until loading has finished (showing an
// animated loading label when that takes long) and fades out onto the scene
// being entered.
#include <string>

#include "engine/scene/SceneTransition.h"

namespace ZQ2 {

class Label;

extern const char* const PROP_SHOWTIME;
extern const char* const LOADING_LABEL_NAME;

class SceneTransitionFadeBlack : public SceneTransition {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    enum ePhase { PHASE_COVERING = 0, PHASE_COVERED = 1, PHASE_UNCOVERING = 2 };

    static constexpr int DEFAULT_TIME_MS = 1000;
    static constexpr int DEFAULT_SHOW_DELAY_MS = 3000;
    static constexpr int DEFAULT_SHOW_TIME_MS = 1500;
    static constexpr int LABEL_FADE_IN_MS = 300;
    // One more full stop every step, none again after four steps.
    static constexpr int DOT_STEP_MS = 300;
    static constexpr int DOT_CYCLE_MS = 4 * DOT_STEP_MS;
    // Given to the loader thread on every covered frame while it works.
    static constexpr int LOADER_WAIT_MS = 10;

    explicit SceneTransitionFadeBlack(AbstractProperty* data);

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    // "color", "time", "wait", "showdelay" and "showtime", when present.
    void SetProperties(PropertyNode* data);
    void OnEnter() override;
    void Tick(int deltaMs) override;

    // Timed-call callback: the target transition is covered.
    static void OnBlackened(BaseObject* target, BaseObject* sender);
    void OnBlackenedAndLoaded();

    int GetPhase() const { return m_nPhase; }
    Label* GetLoadingLabel() const { return m_pLoadingLabel; }
    int GetShowDelay() const { return m_nShowDelay; }
    int GetShowTime() const { return m_nShowTime; }
    int GetFadeTime() const { return m_nFadeTime; }
    bool IsWait() const { return m_bWait; }

private:
    void ShowLoadingLabel(int deltaMs);
    static bool IsLoading();

    Label* m_pLoadingLabel = nullptr;  // a child of the transition
    std::string m_strLabelText;
    int m_nShowDelay = DEFAULT_SHOW_DELAY_MS;
    int m_nShowTime = DEFAULT_SHOW_TIME_MS;
    int m_nDotTimer = 0;
    bool m_bWait = true;
    int m_nFadeTime = DEFAULT_TIME_MS;
    int m_nPhase = PHASE_COVERING;
};

}  // namespace ZQ2
