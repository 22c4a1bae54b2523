// Factory entries for the engine classes that are not built yet. A class
// leaves this list when it registers itself.
#include "engine/io/StandInObject.h"

namespace ZQ2 {
namespace {

constexpr StandInName kEngineStandIns[] = {
    {"Label", "Label"},
    {"LabelInput", "LabelInput"},
    {"LabelStyle", "LabelStyle"},
    {"Slider", "Slider"},
    {"Switch", "Switch"},
    {"ToolTipLabel", "ToolTipLabel"},
    {"Tooltip", "Tooltip"},
    {"ModifierFrame", "ModifierFrame"},
    {"HighScoreEntry", "HighScoreEntry"},
    {"Scene", "Scene"},
    {"SceneTransition", "SceneTransition"},
    {"AlphaTransition", "SceneTransitionAlpha"},
    {"FadeBlackTransition", "SceneTransitionFadeBlack"},
};

struct Registrar {
    Registrar() { RegisterStandIns<kEngineStandIns>(std::make_index_sequence<std::size(kEngineStandIns)>()); }
} g_Registrar;

}  // namespace
}  // namespace ZQ2
