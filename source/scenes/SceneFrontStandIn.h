#pragma once
// A stand-in for the front-end scenes the main menu enters that are not
// built yet (the globe map, the story vignettes, the trophy room): a plain
// scene from its data whose back button returns to the main menu and whose
// play button, when it has one, starts the level of the play position.
#include <string>

#include "source/scenes/SceneDelvor.h"

class SceneFrontStandIn : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit SceneFrontStandIn(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Initialize() override;
    // The globe map stands for the campaign of the current player: its
    // owned upgrades are rebuilt when they were built for someone else.
    void OnActivate() override;

    static void OnBackClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    // Enters "LEVEL<country>_<day>" of the play position, made from the
    // level catalogue or, while there is none, as a plain level scene.
    static void OnPlayClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
};
