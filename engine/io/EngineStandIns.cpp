// Factory entries for the engine classes that are not built yet. A class
// leaves this list when it registers itself.
#include "engine/io/StandInObject.h"

namespace ZQ2 {
namespace {

constexpr StandInName kEngineStandIns[] = {
    {"Button", "Button"},
    {"ButtonURL", "ButtonURL"},
    {"Dialog", "Dialog"},
    {"DialogPainter", "DialogPainter"},
    {"Label", "Label"},
    {"LabelInput", "LabelInput"},
    {"LabelStyle", "LabelStyle"},
    {"Panel", "Panel"},
    {"Slider", "Slider"},
    {"Switch", "Switch"},
    {"ToolTipLabel", "ToolTipLabel"},
    {"Tooltip", "Tooltip"},
    {"SoundNode", "SoundNode"},
    {"ModifierFrame", "ModifierFrame"},
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
