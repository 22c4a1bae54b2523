#pragma once
// The first scene: the publisher animation of its data, then numbered
// full-screen images fading in and out over a black backdrop, then, once the
// "preloading" resources are in, the loading scene.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/scene/Scene.h"

namespace ZQ2 {
class Sprite;
}

class SceneSplash : public ZQ2::Scene {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    static constexpr int DEFAULT_DISPLAY_TIME_MS = 1700;
    static constexpr int DEFAULT_FADE_TIME_MS = 500;
    // Between the opaque backdrop and the first image.
    static constexpr int FIRST_IMAGE_DELAY_MS = 200;

    explicit SceneSplash(ZQ2::AbstractProperty* data);
    ~SceneSplash() override;

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Initialize() override;
    // Moves on once the series is over and "preloading" has loaded.
    void Tick(int deltaMs) override;

    // Modifier callbacks; the target is the scene.
    static void OnFablewoodAnimationFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void OnNewSplashScreen(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    // The image file of that number (from 1): ".jpg" before ".png"; empty
    // when there is none.
    static std::string SplashFileName(int number);

    bool IsBackdropShown() const { return m_bBackdropShown; }
    bool IsSeriesOver() const { return m_bSeriesOver; }
    int GetDisplayTime() const { return m_iDisplayTime; }
    int GetFadeTime() const { return m_iFadeTime; }
    int GetSplashIndex() const { return m_iSplashIndex; }
    ZQ2::Sprite* GetBackdrop() const { return m_spBackdrop.Get(); }

private:
    void ReadBranding();
    void ShowBackdrop();
    void ShowNextImage();

    bool m_bBackdropShown = false;
    bool m_bSeriesOver = false;
    // The move to the loading scene is asked for; the scene goes on ticking
    // under the transition and must not ask again.
    bool m_bLeaving = false;
    int m_iDisplayTime = DEFAULT_DISPLAY_TIME_MS;
    int m_iFadeTime = DEFAULT_FADE_TIME_MS;
    int m_iSplashIndex = 0;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spBackdrop;
};
