#pragma once
// The loading scene: plays the menu music, shows the partner logos and a
// progress bar with the busy cursor while the loader thread works, and moves
// on to the main menu after at least ten seconds, once loading is complete.
#include "engine/core/SmartPtr.h"
#include "engine/framework/MouseCursorCounter.h"
#include "source/scenes/SceneDelvor.h"

namespace ZQ2 {
class Sprite;
}

class SceneLoad : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    // The scene stays longer than this, in ms, however fast loading is.
    static constexpr int MINIMUM_TIME_MS = 9999;
    // Each frame while loading leaves the processor to the loader this long.
    static constexpr unsigned long LOADER_SLEEP_MS = 100;

    explicit SceneLoad(ZQ2::AbstractProperty* data);
    ~SceneLoad() override;

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Initialize() override;
    void Tick(int deltaMs) override;
    void GotoSelection();

    // The part of the bar shown for progress p when the scene first saw
    // start: 0 to 1. A start of 1 (loading over before the first frame)
    // shows the whole bar.
    static float BarFraction(float start, float p);

    int GetElapsed() const { return m_iElapsed; }
    bool IsDone() const { return m_bDone; }
    float GetStartProgress() const { return m_fStartProgress; }
    ZQ2::Sprite* GetProgressBar() const { return m_spProgressBar.Get(); }
    const ZQ2::MouseCursorCounter& GetBusyCursor() const { return m_BusyCursor; }

private:
    void PlayMusic();
    void DropSplash();
    void AddPartners();
    void ClipProgressBar(float fraction);

    int m_iElapsed = 0;
    bool m_bDone = false;
    float m_fStartProgress = -1.0f;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spProgressBar;
    ZQ2::MouseCursorCounter m_BusyCursor{ZQ2::CURSOR_BUSY};
};
