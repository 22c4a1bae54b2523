#include "source/scenes/SceneStory.h"

#include <cstdio>

const ZQ2::RTTI* const SceneStory::rttis[] = {&SceneDelvor::rtti, nullptr};
const ZQ2::RTTI SceneStory::rtti("SceneStory", SceneStory::rttis);

ZQ2::ObjectInitializer SceneStory::m_ObjectInitializer("SceneStory", &SceneStory::OnData);

SceneStory::SceneStory(ZQ2::AbstractProperty* data) : SceneDelvor(data) {}

ZQ2::BaseObject* SceneStory::OnData(ZQ2::AbstractProperty* data) { return new SceneStory(data); }

void SceneStory::GetStoryNameFromID(int id, std::string& name) {
    if (id == INTRO_ID) {
        name = "STORY_INTRO";
        return;
    }
    if (id == FINISH_ID) {
        name = "STORY_FINISH";
        return;
    }
    if (id < INTRO_ID || id > FINISH_ID)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "STORY%d_%d", (id + 1) / 2, id % 2 == 1 ? 1 : 10);
    name = text;
}

void SceneStory::GetVignetteWaitingSection(int id, std::string& section) {
    if (id == INTRO_ID) {
        section = "story_intro";
        return;
    }
    if (id == FINISH_ID) {
        section = "story";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "story_%d", (id - 1) / 2 + 1);
    section = text;
}
