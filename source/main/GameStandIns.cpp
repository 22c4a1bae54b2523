// Factory entries for the game classes that are not built yet. A class
// leaves this list when it registers itself.
#include "engine/io/StandInObject.h"

namespace {

constexpr ZQ2::StandInName kGameStandIns[] = {
    {"SceneMap", "SceneMap"},
    {"Vuvivedod", "Vuvivedod"},
    {"StoryPage", "StoryPage"},
    {"StoryText", "StoryText"},
    {"SceneAncientMap", "SceneAncientMap"},
    {"DelvorTrophy", "DelvorTrophy"},
    {"SceneTrophy", "SceneTrophy"},
};

struct Registrar {
    Registrar() { ZQ2::RegisterStandIns<kGameStandIns>(std::make_index_sequence<std::size(kGameStandIns)>()); }
} g_Registrar;

}  // namespace
