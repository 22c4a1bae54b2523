#include "source/scenes/SceneSelection.h"

#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/SettingsManager.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/GameSettings.h"
#include "engine/io/PlayerManager.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/modifier/ModifierVisible.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Sprite.h"
#include "source/dialogs/DialogSettings.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"

using namespace ZQ2;

const char* const BUTTON_QUIT = "BUTTON_QUIT";
const char* const LABEL_PLAYERNAME = "LABEL_PLAYERNAME";

const RTTI* const SceneSelection::rttis[] = {&SceneDelvor::rtti, nullptr};
const RTTI SceneSelection::rtti("SceneSelection", SceneSelection::rttis);

ObjectInitializer SceneSelection::m_ObjectInitializer("SceneSelection", &SceneSelection::OnData);

const int SceneSelection::SPOTS[SPOT_COUNT][2] = {
    {314, 316}, {340, 339}, {309, 348}, {372, 317}, {356, 336}, {366, 345}, {396, 318}, {314, 318},
    {385, 346}, {435, 317}, {454, 332}, {441, 344}, {483, 341}, {507, 333}, {493, 315},
};

namespace {

const char* const kPlay = "BUTTON_PLAY";
const char* const kHelp = "BUTTON_HELP";
const char* const kSettings = "BUTTON_SETTINGS";
const char* const kHighScores = "BUTTON_HIGHSCORES";
const char* const kTrophies = "BUTTON_TROPHIES";
const char* const kChangeName = "BUTTON_CHANGENAME";
const char* const kMoreGames = "BUTTON_MOREGAMES";
const char* const kLogo = "LOGO_MM";
const char* const kSparkles[SceneSelection::SPARKLE_COUNT] = {"START_SPARKLE01", "START_SPARKLE02",
                                                              "START_SPARKLE03"};
const char* const kShineFrameRate = "TIME_SELECTION_SHINE_FRAMERATE";
const char* const kShineDelayMin = "TIME_SELECTION_SHINE_DELAY_MIN";
const char* const kShineDelayMax = "TIME_SELECTION_SHINE_DELAY_MAX";
const char* const kSceneLoad = "SCENE_LOAD";
const char* const kSceneMap = "SCENE_MAP";
const char* const kSceneTrophy = "SCENE_TROPHY";
const char* const kTransition = "TRANSITION_DEFAULT";
const char* const kMusic = "MUSIC_MAP_SELECTION";
const char* const kMusicSection = "music";
const char* const kPreloading = "preloading";
const char* const kSectionMap = "scenemap";
const char* const kSectionHelp = "help";
const char* const kSectionTrophy = "trophy_room";
const char* const kDialogHelp = "DIALOG_HELP";
const char* const kDialogSettings = "DIALOG_SETTINGS";
const char* const kDialogHighScores = "DIALOG_HIGHSCORES";
const char* const kDialogPlayerSelect = "DIALOG_PLAYERSELECT";
const char* const kDialogNewPlayer = "DIALOG_NEWPLAYER";
constexpr int kSparkleDelayMin = 700;
constexpr int kSparkleDelayMax = 2800;
constexpr int kSparkleFrameTime = 45;

GameSettings* Settings() {
    return SettingsManager::g_Instance ? SettingsManager::g_Instance->GetSettings() : nullptr;
}

// The engine's switch and the game's link switch both hide the button.
bool ShowsMoreGames(const GameSettings* settings) {
    if (!settings || !settings->ShowMoreGamesButton())
        return false;
    const DelvorGameSettings* game = DelvorGameSettings::Instance();
    return !game || game->IsShowLink();
}

// An address the preferences give wins; else the game's own page, as the
// engine's record comes without one.
std::string MoreGamesAddress(const GameSettings* settings) {
    const std::string address = settings->GetMoreGamesURL();
    if (!address.empty())
        return address;
    const DelvorGameSettings* game = DelvorGameSettings::Instance();
    return game ? game->GetVisitURL() : std::string();
}

int PlayerCount() {
    return PlayerManager::g_Instance ? static_cast<int>(PlayerManager::g_Instance->GetPlayers().size()) : 0;
}

void EnterWithTransition(const std::string& name) {
    SceneManager* scenes = SceneManager::g_Instance;
    if (!scenes)
        return;
    scenes->CreateSceneTransition(kTransition);
    DelvorMain::StartScene(name);
}

void WaitForSection(const char* section) {
    if (ResourceManager::g_Instance) {
        ResourceManager::g_Instance->WaitingFor(section);
        DelvorMain::WaitForSection(section);
    }
}

}  // namespace

void SceneSelection::LinkUnderScene(Modifier* modifier) {
    if (GetAnimContainer())
        AnimTree::LinkNodeUnder(GetAnimContainer(), modifier, this);
    else if (AnimTree::g_Instance)
        AnimTree::LinkNodeUnder(AnimTree::g_Instance, modifier, this);
}

SceneSelection::SceneSelection(AbstractProperty* data) : SceneDelvor(data) {}

SceneSelection::~SceneSelection() {
    ClearShimmerModifier();
    ClearSparkleModifier();
}

BaseObject* SceneSelection::OnData(AbstractProperty* data) { return new SceneSelection(data); }

void SceneSelection::Initialize() {
    SceneDelvor::Initialize();
    const bool moreGames = ShowsMoreGames(Settings());
    if (GameNode* button = GetComponent(kMoreGames))
        button->SetVisible(moreGames);
    BindComponent(kChangeName, this, &SceneSelection::OnNameChangeClick);
    BindComponent(kPlay, this, &SceneSelection::OnPlayClick);
    BindComponent(kHelp, this, &SceneSelection::OnHelpClick);
    BindComponent(kSettings, this, &SceneSelection::OnSettingsClick);
    BindComponent(kHighScores, this, &SceneSelection::OnHighScoresClick);
    BindComponent(BUTTON_QUIT, this, &DelvorMain::ShowQuitMessage);
    BindComponent(kTrophies, this, &SceneSelection::OnTrophyClick);
    if (moreGames)
        BindComponent(kMoreGames, this, &SceneSelection::OnMoreGamesClick);
    if (GameNode* logo = GetComponent(kLogo)) {
        m_spShimmerLayer1 = logo->GetFirstChild();
        if (m_spShimmerLayer1)
            m_spShimmerLayer2 = m_spShimmerLayer1->GetNextSibling();
    }
    for (int i = 0; i < SPARKLE_COUNT; ++i) {
        m_spSparkles[i] = DynamicCast<Sprite>(GetComponent(kSparkles[i]));
        if (!m_spSparkles[i])
            continue;
        m_spSparkles[i]->SetScaleX(SPARKLE_SCALE);
        m_spSparkles[i]->SetScaleY(SPARKLE_SCALE);
        m_spSparkles[i]->SetVisible(false);
    }
    ReportMissingDecorations();
}

// Said once here, as the loops that would miss these parts stay off or pass
// them by rather than trip over them at every turn.
void SceneSelection::ReportMissingDecorations() const {
    const GameNode* layers[] = {m_spShimmerLayer1.Get(), m_spShimmerLayer2.Get()};
    for (int i = 0; i < 2; ++i) {
        if (!layers[i])
            Platform::OutputDebugStringFormat("main menu: \"%s\" has no shimmer layer %d\n", kLogo, i + 1);
    }
    for (int i = 0; i < SPARKLE_COUNT; ++i) {
        if (!m_spSparkles[i])
            Platform::OutputDebugStringFormat("main menu: no sparkle sprite \"%s\"\n", kSparkles[i]);
    }
}

void SceneSelection::OnActivate() {
    SceneDelvor::OnActivate();
    SceneManager* scenes = SceneManager::g_Instance;
    std::string level;
    if (scenes && DelvorMain::GetPrevCountryName(level) && scenes->GetScene(level))
        scenes->RemoveScene(level);
    DelvorMain::m_nPrevCountry = -1;
    DelvorMain::m_nPrevDay = -1;
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 1;
    if (m_bFirstActivation) {
        if (scenes && scenes->GetScene(kSceneLoad))
            scenes->RemoveScene(kSceneLoad);
    } else if (ResourceManager* resources = ResourceManager::g_Instance) {
        auto* music = DynamicCast<SoundStream>(resources->GetResource(kMusic, kMusicSection));
        if (SoundManager::g_Instance && music)
            SoundManager::g_Instance->CrossFadeStream(1000, 1.0f, 100, music, 600, SoundManager::STREAM_MODE);
        resources->RemoveSection(kPreloading, true);
    }
    if (PlayerCount() == 0)
        OpenDialog(kDialogNewPlayer);
    UpdatePlayerInfo();
    m_bFirstActivation = false;
    StartShimmer(true);
    StartSparkle(true);
}

void SceneSelection::OnEnter() {
    SceneDelvor::OnEnter();
    SceneManager* scenes = SceneManager::g_Instance;
    if (scenes && scenes->GetScene(kSceneTrophy))
        scenes->RemoveScene(kSceneTrophy);
}

void SceneSelection::OnDeactivate() {
    StartShimmer(false);
    StartSparkle(false);
    SceneDelvor::OnDeactivate();
}

bool SceneSelection::OnMouseLeftUp(const MouseMessageData& m) {
    GameNode* trophies = GetComponent(kTrophies);
    if (!trophies || !trophies->IsInside(m.GetX(), m.GetY()))
        return false;
    OnTrophyClick(this, trophies);
    return true;
}

void SceneSelection::UpdatePlayerInfo() {
    auto* label = DynamicCast<Label>(GetComponent(LABEL_PLAYERNAME));
    if (!label)
        return;
    const AbstractPlayer* player =
        PlayerCount() > 0 ? PlayerManager::g_Instance->GetCurrentPlayer() : nullptr;
    label->SetText(player ? std::string(player->GetName()) : std::string());
}

void SceneSelection::OpenDialog(const char* name) {
    if (Dialog* dialog = ConstructDialog(name))
        ActivateDialog(dialog);
}

// ---- buttons

void SceneSelection::OnPlayClick(BaseObject*, BaseObject*) {
    if (ResourceManager::g_Instance)
        ResourceManager::g_Instance->ClearLoadProgress();
    WaitForSection(kSectionMap);
    std::string next = kSceneMap;
    auto* player = PlayerManager::g_Instance
                       ? DynamicCast<DelvorPlayer>(PlayerManager::g_Instance->GetCurrentPlayer())
                       : nullptr;
    std::string story;
    if (player && player->ShouldShowStory(0, story, false))
        next = story;
    EnterWithTransition(next);
}

void SceneSelection::OnHelpClick(BaseObject* scene, BaseObject*) {
    auto* self = DynamicCast<SceneSelection>(scene);
    if (!self)
        return;
    WaitForSection(kSectionHelp);
    self->OpenDialog(kDialogHelp);
}

void SceneSelection::OnSettingsClick(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OpenDialog(kDialogSettings);
}

void SceneSelection::OnHighScoresClick(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OpenDialog(kDialogHighScores);
}

void SceneSelection::OnNameChangeClick(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OpenDialog(kDialogPlayerSelect);
}

void SceneSelection::OnTrophyClick(BaseObject*, BaseObject*) {
    SceneManager* scenes = SceneManager::g_Instance;
    if (!scenes)
        return;
    if (!scenes->GetScene(kSceneTrophy)) {
        WaitForSection(kSectionTrophy);
        scenes->CreateScene(kSceneTrophy);
    }
    EnterWithTransition(kSceneTrophy);
}

void SceneSelection::OnMoreGamesClick(BaseObject*, BaseObject*) {
    GameSettings* settings = Settings();
    if (settings)
        settings->SetFullscreen(false);
    if (GameWindow* window = GameWindow::g_Instance) {
        window->SetFullscreen(false);
        window->SetFullscreenTo(false);
    }
    if (settings)
        Platform::OpenInBrowser(MoreGamesAddress(settings));
}

// ---- logo shimmer

void SceneSelection::ShowShimmerLayers(bool show) {
    if (m_spShimmerLayer1)
        m_spShimmerLayer1->SetVisible(show);
    if (m_spShimmerLayer2)
        m_spShimmerLayer2->SetVisible(show);
}

void SceneSelection::StartShimmer(bool start) {
    ClearShimmerModifier();
    // Without a layer there is nothing to shimmer and nothing would end the
    // round that starts the next one: the shimmer stays off.
    if (!start || (!m_spShimmerLayer1 && !m_spShimmerLayer2))
        return;
    m_spShimmer = new ModifierContainer(std::string(), true);
    LinkUnderScene(m_spShimmer.Get());
    ShowShimmerLayers(true);
    const int frameTime = BasicProperties::GetInteger(kShineFrameRate);
    const int delayMs = Random::Instance()->GetInt(BasicProperties::GetInteger(kShineDelayMin),
                                                   BasicProperties::GetInteger(kShineDelayMax));
    Modifier* delay = m_spShimmer->LinkNode(new ModifierDelay(delayMs), this);
    Modifier* visible = AnimTree::LinkNodeUnder(
        delay, new ModifierFunction(this, &SceneSelection::DoShimmerVisible, std::string()));
    Modifier* last = nullptr;
    if (m_spShimmerLayer1)
        last = AnimTree::LinkNodeUnder(visible, new ModifierFrame(frameTime, 2, FRAME_FORWARD),
                                       m_spShimmerLayer1.Get());
    if (m_spShimmerLayer2)
        last = AnimTree::LinkNodeUnder(visible, new ModifierFrame(frameTime, 2, FRAME_SWITCH),
                                       m_spShimmerLayer2.Get());
    AnimTree::LinkNodeUnder(last, new ModifierFunction(this, &SceneSelection::DoShimmerFinished, std::string()));
}

void SceneSelection::OnShimmerVisible() { ShowShimmerLayers(true); }

void SceneSelection::OnShimmerFinished() {
    StartShimmer(true);
    ShowShimmerLayers(false);
}

void SceneSelection::ClearShimmerModifier() {
    if (!m_spShimmer)
        return;
    m_spShimmer->EndModifier();
    m_spShimmer = nullptr;
}

// ---- sparkles

void SceneSelection::StartSparkle(bool start) {
    ClearSparkleModifier();
    if (!start)
        return;
    // The draw is among the sparkles there are, so that every round shows
    // one and ends by starting the next; without any the sparkles stay off.
    int present[SPARKLE_COUNT];
    int presentCount = 0;
    for (int i = 0; i < SPARKLE_COUNT; ++i) {
        if (m_spSparkles[i])
            present[presentCount++] = i;
    }
    if (presentCount == 0)
        return;
    m_spSparkle = new ModifierContainer(std::string(), true);
    LinkUnderScene(m_spSparkle.Get());
    Random* random = Random::Instance();
    const int delayMs = random->GetInt(kSparkleDelayMin, kSparkleDelayMax);
    m_iLastSparkle = present[random->GetInt(0, presentCount)];
    m_iLastSpot = random->GetInt(0, SPOT_COUNT);
    Sprite* sparkle = m_spSparkles[m_iLastSparkle].Get();
    Modifier* delay = m_spSparkle->LinkNode(new ModifierDelay(delayMs), this);
    sparkle->SetX(static_cast<float>(SPOTS[m_iLastSpot][0]));
    sparkle->SetY(static_cast<float>(SPOTS[m_iLastSpot][1]));
    AnimTree::LinkNodeUnder(delay, new ModifierVisible(true), sparkle);
    AnimTree::LinkNodeUnder(delay, new ModifierFrame(kSparkleFrameTime, 1, FRAME_FORWARD), sparkle);
    Modifier* second = AnimTree::LinkNodeUnder(delay, new ModifierFrame(kSparkleFrameTime, 1, FRAME_SWITCH), sparkle);
    AnimTree::LinkNodeUnder(second, new ModifierFunction(this, &SceneSelection::DoSparkleFinished, std::string()));
}

void SceneSelection::OnSparkleFinished() {
    for (const auto& sparkle : m_spSparkles) {
        if (sparkle && sparkle->IsVisible())
            sparkle->SetVisible(false);
    }
    StartSparkle(true);
}

void SceneSelection::ClearSparkleModifier() {
    if (!m_spSparkle)
        return;
    m_spSparkle->EndModifier();
    m_spSparkle = nullptr;
}

void SceneSelection::DoShimmerVisible(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OnShimmerVisible();
}

void SceneSelection::DoShimmerFinished(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OnShimmerFinished();
}

void SceneSelection::DoSparkleFinished(BaseObject* scene, BaseObject*) {
    if (auto* self = DynamicCast<SceneSelection>(scene))
        self->OnSparkleFinished();
}
