#pragma once
// Base of the game's modal dialogs: plays the open and close sounds, can
// darken the screen behind itself, and offers the fade-in, the burst
// scale-in and the fade-out with which dialogs come and go. Its own bound
// action runs once the fade-out has taken it off its scene.
#include "engine/core/SmartPtr.h"
#include "engine/core/iGuiMethod.h"
#include "engine/graphics/Image.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/sprite/Dialog.h"

extern const char* const PROP_DODARKENBACKGROUND;

class DialogDelvor : public ZQ2::Dialog, public ZQ2::iGuiMethod {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // The screen the darkened background covers.
    static constexpr int BACKGROUND_WIDTH = 800;
    static constexpr int BACKGROUND_HEIGHT = 600;

    explicit DialogDelvor(ZQ2::AbstractProperty* data);
    ~DialogDelvor() override;
    DialogDelvor(const DialogDelvor&) = delete;
    DialogDelvor& operator=(const DialogDelvor&) = delete;

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    ZQ2::BaseObject* QueryBaseObject() override { return this; }

    void OnActivate() override;
    void OnDeactivate() override;
    virtual void UpdateBackground();

    void CreateDarkBackground();
    void CreateStandardShowAnimation();
    void CreateBurstShowAnimation();
    void CreateStandardHideAnimation();

    // As a button action: the dialog closes itself with the fade-out.
    static void CreateStandardHideAnimation(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    // The end of a show animation: input comes back.
    static void OnShowAnimationFinished(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    // The end of the fade-out: the dialog leaves the current scene.
    static void DelvorAction(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    bool IsPlaySounds() const { return m_bPlaySounds; }
    void SetPlaySounds(bool play) { m_bPlaySounds = play; }
    bool IsDarkenBackground() const { return m_bDarkenBackground; }
    ZQ2::Image* GetSavedDialogImage() const { return m_spSavedDialogImage.Get(); }

protected:
    // Input is off from the start of a show or hide animation.
    void DisableInput();

private:
    void PlayUiSound(const char* name) const;
    void FillBackgroundImage(int alpha);
    void DrawDarkenedDialog(int alpha);

    bool m_bPlaySounds = true;
    bool m_bDarkenBackground = false;
    ZQ2::SmartPtr<ZQ2::PropertyNode> m_spDataNode;
    ZQ2::SmartPtr<ZQ2::Image> m_spSavedDialogImage;
};
