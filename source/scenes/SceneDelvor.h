#pragma once
// Base of the game's scenes: a request to close the window asks the quit
// question instead of ending the game at once.
#include "engine/io/ObjectInitializer.h"
#include "engine/scene/Scene.h"

class SceneDelvor : public ZQ2::Scene {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit SceneDelvor(ZQ2::AbstractProperty* data);

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool HandleCloseMessage() override;
};
