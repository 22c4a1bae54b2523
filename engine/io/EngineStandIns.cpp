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
    {"Sprite", "Sprite"},
    {"Switch", "Switch"},
    {"ToolTipLabel", "ToolTipLabel"},
    {"Tooltip", "Tooltip"},
    {"SoundNode", "SoundNode"},
    {"ModifierFrame", "ModifierFrame"},
    {"HighScoreEntry", "HighScoreEntry"},
    {"Mask", "Mask"},
    {"GameNode", "GameNode"},
    {"Scene", "Scene"},
    {"SceneTransition", "SceneTransition"},
    {"AlphaTransition", "SceneTransitionAlpha"},
    {"FadeBlackTransition", "SceneTransitionFadeBlack"},
    // Resource lists name the resource classes in either spelling.
    {"Image", "ResourceImage"},
    {"ResourceImage", "ResourceImage"},
    {"Font", "ResourceFont"},
    {"ResourceFont", "ResourceFont"},
    {"Sound", "ResourceSound"},
    {"ResourceSound", "ResourceSound"},
    {"Stream", "ResourceStream"},
    {"ResourceStream", "ResourceStream"},
};

struct Registrar {
    Registrar() { RegisterStandIns<kEngineStandIns>(std::make_index_sequence<std::size(kEngineStandIns)>()); }
} g_Registrar;

}  // namespace
}  // namespace ZQ2
