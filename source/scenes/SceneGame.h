#pragma once
// The level scene. A stand-in until the level scene is built: a plain game
// scene with the class-wide values and callbacks the other scenes use.
#include <string>

#include "source/scenes/SceneDelvor.h"

class SceneGame : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // The scene OnStop enters.
    static std::string g_strNextScreen;

    explicit SceneGame(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // Removes the menu or pause dialog from the current scene.
    static void OnDialogMenuOrPauseClosed(ZQ2::BaseObject* scene, ZQ2::BaseObject* dialog);
    // Leaves the level: the current position becomes the previous one and
    // the next screen is entered through "TRANSITION_DEFAULT".
    static void OnStop(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
};
