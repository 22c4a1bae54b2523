#pragma once
// The main menu. A stand-in until the main menu is built: a plain game
// scene from its data whose quit button asks the quit question.
#include "source/scenes/SceneDelvor.h"

extern const char* const BUTTON_QUIT;
extern const char* const LABEL_PLAYERNAME;

class SceneSelection : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit SceneSelection(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Initialize() override;
    // The current player's name, or nothing without a player.
    void UpdatePlayerInfo();
};
