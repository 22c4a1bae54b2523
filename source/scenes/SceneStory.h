#pragma once
// The story scene of a vignette. A stand-in until the story scenes are
// built: a plain game scene that knows the vignettes' scene and section names.
#include <string>

#include "source/scenes/SceneDelvor.h"

class SceneStory : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit SceneStory(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    static constexpr int INTRO_ID = 0;
    static constexpr int FINISH_ID = 15;

    // Ids outside 0 to 15 leave name unchanged.
    static void GetStoryNameFromID(int id, std::string& name);
    static void GetVignetteWaitingSection(int id, std::string& section);
};
