#include "source/scenes/SceneGame.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/Random.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorClock.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorWorker.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/main/DelvorScoreEntry.h"

namespace {

struct ScoreRow {
    const char* value;
    const char* penalty;  // null: the penalty is the value
    const char* text;
};

const ScoreRow kScoreRows[SceneGame::SCORE_TYPE_COUNT] = {
    {"SCORE_PLACE_DIGGER", "SCORE_PENALTY_PLACE_DIGGER", "TEXT_SCORE_PLACE_DIGGER"},
    {"SCORE_MATCH_DIGGER_COLOR", nullptr, "TEXT_SCORE_MATCH_DIGGER_COLOR"},
    {"SCORE_DIGGER_LOVE_MATCH", nullptr, "TEXT_SCORE_MATCH_DIGGER_LOVE"},
    {"SCORE_VURU_SURVEYS_HOLE", nullptr, "TEXT_SCORE_VURU_SURVEYS_HOLE"},
    {"SCORE_DOVIDI_GIVES_TOOL", "SCORE_PENALTY_DOVIDI_GIVES_TOOL", "TEXT_SCORE_DOVIDI_GIVES_TOOL"},
    {"SCORE_COOKIE_GIVES_FOOD", "SCORE_PENALTY_COOKIE_GIVES_FOOD", "TEXT_SCORE_COOKIE_GIVES_FOOD"},
    {"SCORE_VURU_DOCUMENT_ARTIFACT", "SCORE_PENALTY_VURU_DOCUMENT_ARTIFACT", "TEXT_SCORE_VURU_DOCUMENT_ARTIFACT"},
    {"SCORE_VURU_HELPS_DIGGER", nullptr, "TEXT_SCORE_VURU_HELPS_DIGGER"},
    {"SCORE_HIT_VUVIVEDOD", nullptr, "TEXT_SCORE_HIT_VUVIVEDOD"},
    {"SCORE_DOVIDI_GIVES_TWO_TOOLS", nullptr, "TEXT_SCORE_DOVIDI_GIVES_TWO_TOOLS"},
    {"SCORE_COOKIE_GIVES_TWO_MEALS", nullptr, "TEXT_SCORE_COOKIE_GIVES_TWO_MEALS"},
    {nullptr, nullptr, "TEXT_SCORE_ARTIFACT_IN_CRATE_BRONZE"},
    {nullptr, nullptr, "TEXT_SCORE_ARTIFACT_IN_CRATE_SILVER"},
    {nullptr, nullptr, "TEXT_SCORE_ARTIFACT_IN_CRATE_GOLD"},
    {"SCORE_VUVIVEDOD_STEALS_ITEM", nullptr, "TEXT_SCORE_VUVIVEDOD_STEALS_ITEM"},
    {"SCORE_VUVIVEDOD_STEALS_ARTIFACT", nullptr, "TEXT_SCORE_VUVIVEDOD_STEALS_ARTIFACT"},
    {"SCORE_FINISHED_ALL_HOLES", nullptr, "TEXT_SCORE_FINISHED_ALL_HOLES"},
    {"SCORE_MINIGAME_MATCH", nullptr, "TEXT_SCORE_MINIGAME_MATCH"},
    {"SCORE_MINIGAME_WIN", nullptr, "TEXT_SCORE_MINIGAME_WIN"},
};

constexpr int kTypeArtifactBronze = 11;
constexpr int kTypeArtifactGold = 13;
constexpr int kUsableHoles = 8;
constexpr int kUnlockExpert = 10000;
// The site has room for no more workers than this, and no day lasts longer.
constexpr int kMaxWorkers = 16;
constexpr int kMaxDaySeconds = 24 * 60 * 60;

const char* const kCountryUpper[] = {"GREECE", "EGYPT", "SIAM", "TAHITI", "USA", "PERU", "ATLANTIS"};

std::string Format(const std::string& format, int value) {
    char text[256];
    std::snprintf(text, sizeof text, format.c_str(), value);
    return text;
}

// Reads a key only when the vector holds it; the default stands otherwise.
void ReadInt(ZQ2::PropertyVector* vars, const char* key, int& out) {
    auto* value = ZQ2::DynamicCast<ZQ2::PropertyValue>(vars->GetProperty(key));
    if (value)
        out = value->ToInt();
}

void ReadFloat(ZQ2::PropertyVector* vars, const char* key, float& out) {
    auto* value = ZQ2::DynamicCast<ZQ2::PropertyValue>(vars->GetProperty(key));
    if (value)
        out = value->ToFloat();
}

void ReadBool(ZQ2::PropertyVector* vars, const char* key, bool& out) {
    auto* value = ZQ2::DynamicCast<ZQ2::PropertyValue>(vars->GetProperty(key));
    if (value)
        out = value->ToBoolean();
}

DelvorPlayer* Player() { return DelvorPlayer::GetCurrent(); }

// Collected first: what f does may relink the workers.
template <class F>
void ForEachWorker(const ZQ2::GameNode* scene, F&& f) {
    std::vector<ZQ2::SmartPtr<DelvorWorker>> workers;
    for (ZQ2::GameNode* node = scene->GetFirstChild(); node; node = node->GetNextSibling())
        if (auto* worker = ZQ2::DynamicCast<DelvorWorker>(node))
            workers.emplace_back(worker);
    for (auto& worker : workers)
        f(worker.Get());
}

// Time-up: every worker stops what it does and walks to its waiting place.
void WalkWorkersToWaitArea(SceneGame* level) {
    ForEachWorker(level, [level](DelvorWorker* worker) {
        if (worker->IsCharacterInWaitingArea() && worker->GetState() != 1)
            return;
        worker->ClearCurrentRoutine();
        worker->ClearActivityModifer();
        worker->ShowHypnoSpiral(false);
        worker->SetCharacterImage(2);
        if (DelvorHole* hole = worker->GetHole())
            hole->RemoveWorker(worker);
        level->SendDiggerHome(worker);
    });
}

int DrawInclusive(int low, int high) {
    // An empty range gives its low end.
    if (high < low)
        return low;
    return ZQ2::Random::Instance()->GetInt(low, high + 1);
}

}  // namespace

const ZQ2::RTTI* const SceneGame::rttis[] = {&SceneDelvor::rtti, &ZQ2::iMessageListener::rtti, nullptr};
const ZQ2::RTTI SceneGame::rtti("SceneGame", SceneGame::rttis);

ZQ2::ObjectInitializer SceneGame::m_ObjectInitializer("SceneGame", &SceneGame::OnData);

std::string SceneGame::g_strNextScreen;

SceneGame::SceneGame(ZQ2::AbstractProperty* data) : SceneDelvor(data) {
    ZQ2::PropertyNode* node = data ? data->ToNode() : nullptr;
    ZQ2::PropertyVector* vars = node && node->HasProperty("variables") ? node->GetVector("variables") : nullptr;
    if (vars)
        ReadVariables(vars);
    SetupScoring();
    m_PathFinder.ClearBlocks();
    int country = 0;
    int day = 0;
    if (data && DelvorMain::GetCountryAndDayFromName(data->GetName(), country, day) && country > 0) {
        m_iCountry = ClampCountry(country);
        m_iDay = std::max(day, 1);
    }
}

SceneGame::~SceneGame() {
    if (m_bListening && ZQ2::GameWindow::g_Instance)
        ZQ2::GameWindow::g_Instance->GetMessageHandler().RemoveMessageListener(this);
}

ZQ2::BaseObject* SceneGame::OnData(ZQ2::AbstractProperty* data) { return new SceneGame(data); }

// ---- level data

void SceneGame::ReadVariables(ZQ2::PropertyVector* vars) {
    m_Vars.iDiggerColors = ZQ2::BasicProperties::GetInteger("NUM_DIGGER_COLORS");
    m_Vars.iTimeSurvey = ZQ2::BasicProperties::GetInteger("TIME_SURVEY");
    m_Vars.iMiniGameTries = ZQ2::BasicProperties::GetInteger("MINIGAME_NUM_MISSES");
    m_Vars.iMiniGamePreview = ZQ2::BasicProperties::GetInteger("TIME_MINIGAME_PREVIEW_DELAY");
    m_Vars.iMiniGameCards = ZQ2::BasicProperties::GetInteger("MINIGAME_CARDS_OF_EACH_TYPE");
    ReadInt(vars, "points_win", m_Vars.iPointsWin);
    ReadInt(vars, "points_expert", m_Vars.iPointsExpert);
    ReadInt(vars, "total_seconds", m_Vars.iTotalSeconds);
    ReadInt(vars, "num_diggers_male", m_Vars.iDiggersMale);
    ReadInt(vars, "num_diggers_female", m_Vars.iDiggersFemale);
    ReadInt(vars, "num_digger_colors", m_Vars.iDiggerColors);
    ReadInt(vars, "num_pickers", m_Vars.iPickers);
    ReadBool(vars, "has_vuvivedod", m_Vars.bHasVuvivedod);
    ReadInt(vars, "spray_bottle", m_Vars.iSprayBottle);
    ReadFloat(vars, "chance_vuru_wants_two_items", m_Vars.fChanceVuruWantsTwoItems);
    ReadFloat(vars, "chance_bottle_multi_color", m_Vars.fChanceBottleMultiColor);
    for (int k = 1; k <= MAX_ARTIFACTS_PER_HOLE; ++k) {
        const std::string key = "num_holes_with_" + std::to_string(k) + "_artifacts";
        ReadInt(vars, key.c_str(), m_Vars.aiHolesWithArtifacts[k - 1]);
    }
    ReadInt(vars, "num_artifacts_gold", m_Vars.iArtifactsGold);
    ReadInt(vars, "num_artifacts_silver", m_Vars.iArtifactsSilver);
    ReadInt(vars, "vuru_time_to_survey_hole", m_Vars.iTimeSurvey);
    ReadFloat(vars, "rock_chance_per_hole", m_Vars.fRockChance);
    ReadInt(vars, "min_rocks_per_hole", m_Vars.iMinRocks);
    ReadInt(vars, "max_rocks_per_hole", m_Vars.iMaxRocks);
    ReadInt(vars, "min_picks_per_rock", m_Vars.iMinPicks);
    ReadInt(vars, "max_picks_per_rock", m_Vars.iMaxPicks);
    ReadInt(vars, "min_excavation_depth", m_Vars.iMinDepth);
    ReadInt(vars, "max_excavation_depth", m_Vars.iMaxDepth);
    ReadFloat(vars, "digger_hunger_chance", m_Vars.fHungerChance);
    ReadInt(vars, "digger_hunger_variation", m_Vars.iHungerVariation);
    ReadInt(vars, "digger_thirst_variation", m_Vars.iThirstVariation);
    ReadInt(vars, "digger_dizzy_variation", m_Vars.iDizzyVariation);
    ReadInt(vars, "time_until_digger_impatient", m_Vars.iTimeUntilImpatient);
    ReadInt(vars, "minigame_num_tries", m_Vars.iMiniGameTries);
    ReadInt(vars, "minigame_preview_time", m_Vars.iMiniGamePreview);
    ReadInt(vars, "minigame_cards_of_each_type", m_Vars.iMiniGameCards);
    // Counts below zero would size lists negatively later on.
    m_Vars.iDiggersMale = std::max(m_Vars.iDiggersMale, 0);
    m_Vars.iDiggersFemale = std::max(m_Vars.iDiggersFemale, 0);
    m_Vars.iPickers = std::max(m_Vars.iPickers, 0);
    for (int& holes : m_Vars.aiHolesWithArtifacts)
        holes = std::clamp(holes, 0, kUsableHoles);
    m_Vars.iDiggersMale = std::min(m_Vars.iDiggersMale, kMaxWorkers);
    m_Vars.iDiggersFemale = std::min(m_Vars.iDiggersFemale, kMaxWorkers);
    m_Vars.iPickers = std::min(m_Vars.iPickers, kMaxWorkers);
    m_Vars.iTotalSeconds = std::clamp(m_Vars.iTotalSeconds, 0, kMaxDaySeconds);
    DeriveBronze();
}

void SceneGame::DeriveBronze() {
    m_Vars.iArtifactsBronze = GetTotalArtifactsInScene() - m_Vars.iArtifactsGold - m_Vars.iArtifactsSilver;
}

int SceneGame::GetHoleCount(int artifacts) const {
    if (artifacts < 1 || artifacts > MAX_ARTIFACTS_PER_HOLE)
        return 0;
    return m_Vars.aiHolesWithArtifacts[artifacts - 1];
}

void SceneGame::SetHoleCount(int artifacts, int holes) {
    if (artifacts < 1 || artifacts > MAX_ARTIFACTS_PER_HOLE)
        return;
    m_Vars.aiHolesWithArtifacts[artifacts - 1] = std::clamp(holes, 0, kUsableHoles);
    DeriveBronze();
}

int SceneGame::GetArtifactCount(int type) const {
    switch (type) {
        case 0: return m_Vars.iArtifactsBronze;
        case 1: return m_Vars.iArtifactsSilver;
        case 2: return m_Vars.iArtifactsGold;
        default: return 0;
    }
}

void SceneGame::SetArtifactCount(int type, int count) {
    switch (type) {
        case 0: m_Vars.iArtifactsBronze = count; break;
        case 1: m_Vars.iArtifactsSilver = count; break;
        case 2: m_Vars.iArtifactsGold = count; break;
        default: break;
    }
}

int SceneGame::GetTotalArtifactsInScene() const {
    int total = 0;
    for (int k = 1; k <= MAX_ARTIFACTS_PER_HOLE; ++k)
        total += k * m_Vars.aiHolesWithArtifacts[k - 1];
    return total;
}

int SceneGame::GetExpectedNumHolesInScene() const {
    int holes = 0;
    for (int count : m_Vars.aiHolesWithArtifacts)
        holes += count;
    return holes;
}

// ---- naming

std::string SceneGame::GetLevelNameFromData(int country, int day) {
    return "LEVEL" + std::to_string(country) + "_" + std::to_string(day);
}

std::string SceneGame::GetLevelSection(int country) {
    std::string lower;
    DelvorMain::GetCountryResourceLowercaseName(country, lower);
    return lower.empty() ? std::string() : "level_" + lower;
}

std::string SceneGame::GetCurLevelMusic() const { return "MUSIC_" + GetCurrentCountryResourceName(); }

std::string SceneGame::GetCountryResourceName(int country) {
    if (country < 1 || country > LAST_COUNTRY)
        return std::string();
    return kCountryUpper[country - 1];
}

std::string SceneGame::GetCountryNameFromID(int country) {
    return ZQ2::BasicProperties::GetString("TEXT_COUNTRY" + std::to_string(country));
}

int SceneGame::GetNumArtifactsInLevel(int country) {
    return ZQ2::BasicProperties::GetInteger("NUM_ARTIFACTS_" + GetCountryResourceName(country));
}

int SceneGame::ClampCountry(int country) { return std::clamp(country, 1, LAST_COUNTRY); }

std::vector<int> SceneGame::GetColorDiggerOrder(int country, int day, int diggers, int colors) {
    std::vector<int> order(static_cast<size_t>(std::max(diggers, 0)));
    if (order.empty())
        return order;
    const int types = std::max(ZQ2::BasicProperties::GetInteger("NUM_DIGGER_TYPES_FEMALE"), 1);
    ZQ2::Random* random = ZQ2::Random::Instance();
    const int first = random->GetInt(0, types) + 1;
    if (country == 1 && day < 3) {
        // Early days pair two neighbouring colours; further diggers alternate.
        const int second = first + 1 > types ? 1 : first + 1;
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i % 2 == 0 ? first : second;
    } else if (colors == 1) {
        std::fill(order.begin(), order.end(), first);
    } else {
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i < 2 ? first : random->GetInt(0, types) + 1;
    }
    for (int round = 0; round < 3; ++round)
        for (size_t i = 0; i < order.size(); ++i)
            std::swap(order[i], order[static_cast<size_t>(random->GetInt(0, diggers))]);
    return order;
}

void SceneGame::InitDiggerWaitArea(int diggers, int pickers) {
    m_sWaitSlots.assign(static_cast<size_t>(diggers), 'O');
    m_sWaitSlots.append(static_cast<size_t>(pickers), 'P');
}

void SceneGame::SetupHoles() {
    int holes = GetExpectedNumHolesInScene();
    if (holes == 0) {
        std::fill(std::begin(m_Vars.aiHolesWithArtifacts), std::end(m_Vars.aiHolesWithArtifacts), 0);
        m_Vars.aiHolesWithArtifacts[2] = kUsableHoles;
        DeriveBronze();
        holes = kUsableHoles;
    }
    m_HoleArtifacts.clear();
    for (int k = 1; k <= MAX_ARTIFACTS_PER_HOLE; ++k)
        m_HoleArtifacts.insert(m_HoleArtifacts.end(), static_cast<size_t>(m_Vars.aiHolesWithArtifacts[k - 1]), k);
    ZQ2::Random* random = ZQ2::Random::Instance();
    for (size_t i = 0; i < m_HoleArtifacts.size(); ++i)
        std::swap(m_HoleArtifacts[i], m_HoleArtifacts[static_cast<size_t>(random->GetInt(0, holes))]);
}

ZQ2::GameNode* SceneGame::FindComponent(const char* name) {
    ZQ2::GameNode* node = GetChild(name, true);
    if (node)
        return node;
    if (std::find(m_ReportedMissing.begin(), m_ReportedMissing.end(), name) == m_ReportedMissing.end()) {
        m_ReportedMissing.emplace_back(name);
        std::fprintf(stderr, "level %s: no component \"%s\"\n", GetCurrentLevelName().c_str(), name);
    }
    return nullptr;
}

void SceneGame::SetLabelText(const char* name, const std::string& text) {
    auto* label = ZQ2::DynamicCast<ZQ2::Label>(FindComponent(name));
    if (label)
        label->SetText(text);
}

// ---- life cycle

void SceneGame::AddSiteBlocks() {
    m_PathFinder.ClearBlocks();
    if (auto* table = ZQ2::DynamicCast<ZQ2::Sprite>(FindComponent("TABLE_VURU")))
        m_PathFinder.AddBlock(table->GetX() - 35.0f, 100.0f, table->GetWidth() + 100.0f, table->GetHeight() + 50.0f,
                              true);
    m_PathFinder.AddBlock(0.0f, 95.0f, 120.0f, 30.0f, true);
}

void SceneGame::Initialize() {
    SceneDelvor::Initialize();
    m_pMenuButton = ZQ2::DynamicCast<ZQ2::Button>(FindComponent("Menu_Button"));
    m_pClock = ZQ2::DynamicCast<DelvorClock>(FindComponent("CLOCK"));
    InitDiggerWaitArea(m_Vars.iDiggersMale + m_Vars.iDiggersFemale, m_Vars.iPickers);
    m_DiggerColors =
        GetColorDiggerOrder(m_iCountry, m_iDay, m_Vars.iDiggersMale + m_Vars.iDiggersFemale, m_Vars.iDiggerColors);
    AddSiteBlocks();
    SetLabelText("FUNDS_GOAL_TEXT", GetPointsToWinText());
    SetLabelText("DAY_TEXT", Format(ZQ2::BasicProperties::GetString("TEXT_DAY"), m_iDay));
    UpdateFundsEarnedText();
}

void SceneGame::OnActivate() {
    SceneDelvor::OnActivate();
    if (!m_bListening && ZQ2::GameWindow::g_Instance) {
        ZQ2::GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
        m_bListening = true;
    }
    m_bPaused = false;
    StartMusic();
    StartLevel();
}

// The country's music takes over from whatever played before the day.
void SceneGame::StartMusic() {
    std::string section;
    DelvorMain::GetCountrySpecificSection(m_iCountry, section);
    auto* music = ZQ2::DynamicCast<ZQ2::SoundStream>(ZQ2::ResourceLookup::GetResource(GetCurLevelMusic(), section));
    if (!music) {
        if (m_bMusicMissingReported)
            return;
        m_bMusicMissingReported = true;
        std::fprintf(stderr, "level %s: no music \"%s\" in \"%s\"\n", GetCurrentLevelName().c_str(),
                     GetCurLevelMusic().c_str(), section.c_str());
        return;
    }
    if (ZQ2::SoundManager::g_Instance)
        ZQ2::SoundManager::g_Instance->CrossFadeStream(1000, 0.7f, 100, music, 600, ZQ2::SoundManager::STREAM_MODE);
}

void SceneGame::OnEnter() {
    SceneDelvor::OnEnter();
    DoStartStageAnimation();
}

void SceneGame::OnDeactivate() {
    RemoveDialog("TEXT_MENU_STOP");
    RemoveDialog("DIALOG_MENU");
    if (m_bListening && ZQ2::GameWindow::g_Instance)
        ZQ2::GameWindow::g_Instance->GetMessageHandler().RemoveMessageListener(this);
    m_bListening = false;
    SceneDelvor::OnDeactivate();
}

// ---- the day's states

void SceneGame::StartLevel() {
    InitDiggerWaitArea(m_Vars.iDiggersMale + m_Vars.iDiggersFemale, m_Vars.iPickers);
    SetGameState(STATE_SETUP);
    if (m_pClock)
        m_pClock->InitTimer(m_Vars.iTotalSeconds);
    m_iFunds = 0;
    UpdateFundsEarnedText();
    m_iArtifactsToday = 0;
    m_iTrophy = 0;
    m_iPassedGoalAnimations = 0;
    m_iTotalArtifactsAtStart = GetTotalArtifactsFound();
    SetupHoles();
}

void SceneGame::SetGameState(int state) {
    const int previous = m_iGameState;
    m_iGameState = state;
    switch (state) {
        case STATE_WORKERS_WALK_IN: m_iWorkerWalksFinished = 0; break;
        case STATE_RUNNING:
            if (previous == STATE_START_DIALOG || previous == STATE_TUTORIAL_QUESTION)
                m_iBossWalksFinished = 0;
            break;
        case STATE_TIME_UP: MoveAllWorkersToWaitingArea(-1); break;
        case STATE_MINIGAME: ActivateDialog(ConstructDialog("DIALOG_MINIGAME_" + std::to_string(m_iCountry))); break;
        case STATE_END_DIALOG: ActivateDialog(ConstructDialog("DIALOG_STAGEEND")); break;
        default: break;
    }
}

bool SceneGame::IsTimerExpired() const { return m_pClock && m_pClock->IsTimeUsedUp(); }

void SceneGame::RestartLevelAnimationFinished() { DoStartStageAnimation(); }

void SceneGame::DoStartStageAnimation() { MoveAllWorkersToWaitingArea(STATE_WORKERS_WALK_IN); }

void SceneGame::MoveAllWorkersToWaitingArea(int state) {
    if (state != -1)
        SetGameState(state);
    if (state == -1)
        WalkWorkersToWaitArea(this);
    // The workers arrive with their own issue; until then nobody walks and
    // the walk-in is complete at once.
    if (state == STATE_WORKERS_WALK_IN && m_iWorkerWalksFinished == 0)
        ShowStartStageDialog();
}

void SceneGame::DoWorkerWalkFinished() {
    ++m_iWorkerWalksFinished;
    ShowStartStageDialog();
}

void SceneGame::DoBossWalkFinished() {
    if (++m_iBossWalksFinished == 3)
        MoveAllWorkersToWaitingArea(STATE_WORKERS_WALK_IN);
}

void SceneGame::ShowStartStageDialog() {
    if (m_iGameState != STATE_WORKERS_WALK_IN)
        return;
    ActivateDialog(ConstructDialog("DIALOG_STAGESTART"));
    SetGameState(STATE_START_DIALOG);
}

void SceneGame::OnStartStageDialogClosed() {
    RemoveDialog("DIALOG_STAGESTART");
    SetGameState(STATE_RUNNING);
}

void SceneGame::CheckForStageDone() {
    if (m_iGameState < 0 || m_iGameState > STATE_WINDING_DOWN)
        return;
    if (IsTimerExpired() && m_iGameState == STATE_RUNNING)
        SetGameState(STATE_TIME_UP);
    // Every worker waits, Vuru has nothing left and Dovidi is at home until
    // the site's characters arrive with their issues.
    if (m_iGameState == STATE_WINDING_DOWN)
        SetGameState(STATE_END_STAGE);
}

void SceneGame::DoTimerExpiredFinished() {
    if (m_iGameState == STATE_TIME_UP)
        SetGameState(STATE_WINDING_DOWN);
}

void SceneGame::DoHolesFinishedAnimationFinished() { SetGameState(STATE_END_STAGE); }

void SceneGame::DoEndStageAnimationFinished() { SetGameState(STATE_MINIGAME); }

void SceneGame::OnMiniGameClosed() {
    RemoveDialog("DIALOG_MINIGAME_" + std::to_string(m_iCountry));
    SaveGameResults();
    SetGameState(STATE_WIN_LOSS);
}

void SceneGame::DoEndDayWinLossAnimationFinished() {
    int trophy = 0;
    if (EarnedTrophy(trophy)) {
        m_iTrophy = trophy;
        SetGameState(STATE_TROPHY);
        return;
    }
    SetGameState(STATE_END_DIALOG);
}

void SceneGame::DoTrophyAnimationFinished() { SetGameState(STATE_END_DIALOG); }

void SceneGame::OnStageEndDialogClosed() {
    RemoveDialog("DIALOG_STAGEEND");
    SetGameState(STATE_LEAVING);
}

void SceneGame::Tick(int deltaMs) {
    SceneDelvor::Tick(deltaMs);
    // The end-of-day animations arrive with their own issue: each finishes
    // on the frame after its state is entered.
    switch (m_bPaused ? -1 : m_iGameState) {
        case STATE_TIME_UP: DoTimerExpiredFinished(); break;
        case STATE_WINDING_DOWN: CheckForStageDone(); break;
        case STATE_END_STAGE: DoEndStageAnimationFinished(); break;
        case STATE_WIN_LOSS: DoEndDayWinLossAnimationFinished(); break;
        case STATE_TROPHY: DoTrophyAnimationFinished(); break;
        default: break;
    }
    if (!m_bMenuRequest && !m_bMenuButtonRequest)
        return;
    if (!m_bPaused) {
        ActivateDialog(ConstructDialog("DIALOG_MENU"));
        Pause(true);
    }
    m_bMenuRequest = false;
    m_bMenuButtonRequest = false;
}

void SceneGame::Pause(bool on) {
    m_bPaused = on;
    if (GetAnimContainer())
        GetAnimContainer()->SetPaused(on);
}

void SceneGame::HandleAction(ZQ2::GameNode* component) {
    if (!component)
        return;
    if (component == m_pMenuButton)
        m_bMenuButtonRequest = true;
    else if (component->GetName() == "BUTTON_MENU")
        m_bMenuRequest = true;
}

void SceneGame::ProcessMessage(const ZQ2::Message& message) {
    const int number = message.GetNumber();
    if (number == ZQ2::MESSAGE_ACTIVE_CHANGED) {
        auto* active = message.GetData<ZQ2::TemplateMessageData<bool>>();
        if (!active || active->GetValue())
            return;
    } else if (number != ZQ2::MESSAGE_PAUSE_KEY) {
        return;
    }
    if (IsGameInProgress() && !IsActiveDialog("DIALOG_MENU"))
        m_bMenuRequest = true;
}

bool SceneGame::HandleCloseMessage() {
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    return true;
}

void SceneGame::OnDialogMenuOrPauseClosed(ZQ2::BaseObject* scene, ZQ2::BaseObject* dialog) {
    ZQ2::Dialog::CloseDialog_Callback(dialog, nullptr);
    auto* level = ZQ2::DynamicCast<SceneGame>(scene);
    if (!level && ZQ2::SceneManager::g_Instance)
        level = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->GetCurrentScene());
    if (level)
        level->Pause(false);
}

void SceneGame::OnStop(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    if (ZQ2::ResourceManager::g_Instance)
        ZQ2::ResourceManager::g_Instance->ClearLoadProgress();
    DelvorMain::m_nPrevCountry = DelvorMain::m_nCurCountry;
    DelvorMain::m_nPrevDay = DelvorMain::m_nCurDay;
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    if (!scenes)
        return;
    if (auto* level = ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentScene()))
        level->Pause(true);
    scenes->CreateSceneTransition("TRANSITION_DEFAULT");
    scenes->EnterScene(g_strNextScreen);
}

// ---- scoring

void SceneGame::SetupScoring() {
    for (int type = 0; type < SCORE_TYPE_COUNT; ++type) {
        const ScoreRow& row = kScoreRows[type];
        m_asScoreTexts[type] = ZQ2::BasicProperties::GetString(row.text);
        if (!row.value) {
            m_aiScoreValues[type] = -1;
            m_aiPenaltyValues[type] = -1;
            continue;
        }
        m_aiScoreValues[type] = ZQ2::BasicProperties::GetInteger(row.value);
        m_aiPenaltyValues[type] = row.penalty ? ZQ2::BasicProperties::GetInteger(row.penalty) : m_aiScoreValues[type];
    }
}

int SceneGame::GetScoreValue(int type, bool penalty) const {
    if (type >= kTypeArtifactBronze && type <= kTypeArtifactGold)
        return GetArtifactScore(type);  // upgrade 14 adds 0 until upgrades land
    if (type < 0 || type >= SCORE_TYPE_COUNT)
        return 0;
    return penalty ? m_aiPenaltyValues[type] : m_aiScoreValues[type];
}

int SceneGame::GetArtifactScore(int type) const {
    static const char* const kRanges[3][2] = {
        {"SCORE_ARTIFACT_IN_CRATE_BRONZE_MIN", "SCORE_ARTIFACT_IN_CRATE_BRONZE_MAX"},
        {"SCORE_ARTIFACT_IN_CRATE_SILVER_MIN", "SCORE_ARTIFACT_IN_CRATE_SILVER_MAX"},
        {"SCORE_ARTIFACT_IN_CRATE_GOLD_MIN", "SCORE_ARTIFACT_IN_CRATE_GOLD_MAX"},
    };
    if (type < kTypeArtifactBronze || type > kTypeArtifactGold)
        return 0;
    const auto& range = kRanges[type - kTypeArtifactBronze];
    return DrawInclusive(ZQ2::BasicProperties::GetInteger(range[0]), ZQ2::BasicProperties::GetInteger(range[1]));
}

void SceneGame::PlayEarnSound() const {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource("SOUND_INGAME_EARN_FUNDS", "delvor"));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

void SceneGame::AddPointsByType(int type, bool penalty, ZQ2::Sprite*, int) {
    const int value = GetScoreValue(type, penalty);
    if (value > 0)
        PlayEarnSound();
    int bonus = 0;
    if (m_iDovidiTwoItems == 1 && (type == 4 || type == 5))
        bonus = GetScoreValue(type == 4 ? 9 : 10, false);
    const int oldFunds = m_iFunds;
    const int newFunds = oldFunds + value + bonus;
    const int goal = m_Vars.iPointsWin;
    const int expert = m_Vars.iPointsExpert;
    if (oldFunds >= expert && newFunds < expert)
        m_iFunds = expert;
    else if (oldFunds >= goal && newFunds < goal)
        m_iFunds = goal;
    else if (newFunds < 0)
        m_iFunds = 0;
    else
        m_iFunds = newFunds;
    UpdateFundsEarnedText();
    if (PassedGoal(oldFunds, m_iFunds) || PassedExpert(oldFunds, m_iFunds))
        ++m_iPassedGoalAnimations;
}

bool SceneGame::PassedGoal(int oldFunds, int newFunds) const {
    return m_Vars.iPointsWin > oldFunds && m_Vars.iPointsWin <= newFunds;
}

bool SceneGame::PassedExpert(int oldFunds, int newFunds) const {
    return m_Vars.iPointsExpert > oldFunds && m_Vars.iPointsExpert <= newFunds;
}

bool SceneGame::ExceededGoal() const { return m_iGameState > STATE_WINDING_DOWN && m_iFunds >= m_Vars.iPointsWin; }

bool SceneGame::ExceededExpert() const {
    return m_iGameState > STATE_WINDING_DOWN && m_iFunds >= m_Vars.iPointsExpert;
}

bool SceneGame::EarnedTrophy(int& trophy) const {
    if (m_iTotalArtifactsAtStart == -1 || !ExceededGoal())
        return false;
    DelvorPlayer* player = Player();
    if (m_iCountry == LAST_COUNTRY && m_iDay == DelvorMain::GetMaxDayForCountry(LAST_COUNTRY)) {
        trophy = FINAL_TROPHY;
        // Revealed the first time the game is beaten, never again.
        return player && !player->HasSeenFinalTrophy();
    }
    // The trophy room's thresholds arrive with it; no trophy until then.
    return false;
}

std::string SceneGame::GetPointsText() const { return Format(ZQ2::BasicProperties::GetString("TEXT_EARNED"), m_iFunds); }

std::string SceneGame::GetPointsToWinText() const {
    return Format(ZQ2::BasicProperties::GetString("TEXT_GOAL"), m_Vars.iPointsWin);
}

std::string SceneGame::GetPointsExpertText() const {
    return Format(ZQ2::BasicProperties::GetString("TEXT_EXPERT"), m_Vars.iPointsExpert);
}

std::string SceneGame::GetNumArtifactsFoundText() const {
    return Format(ZQ2::BasicProperties::GetString("TEXT_ARTIFACTS_FOUND"), m_iArtifactsToday);
}

std::string SceneGame::GetTotalPointsText() const {
    return Format(ZQ2::BasicProperties::GetString("TEXT_TOTAL_EARNED"), GetTotalMoneyEarned());
}

std::string SceneGame::GetTotalArtifactsFoundText() const {
    return Format(ZQ2::BasicProperties::GetString("TEXT_TOTAL_ARTIFACTS_FOUND"), GetTotalArtifactsFound());
}

void SceneGame::UpdateFundsEarnedText() {
    if (!GetChild("FUNDS_EARNED_TEXT", true))
        return;
    SetLabelText("FUNDS_EARNED_TEXT", GetPointsText());
    if (m_iFunds > m_Vars.iPointsWin)
        SetLabelText("FUNDS_GOAL_TEXT", GetPointsExpertText());
}

int SceneGame::GetTotalArtifactsFound() {
    DelvorPlayer* player = Player();
    return player ? player->GetTotalArtifactsFound() : 0;
}

int SceneGame::GetTotalMoneyEarned() {
    DelvorPlayer* player = Player();
    return player ? player->GetTotalMoneyEarned() : 0;
}

void SceneGame::SaveGameResults() {
    DelvorPlayer* player = Player();
    if (!player || !ExceededGoal())
        return;
    const int previous = player->GetMoneyTotal(m_iCountry, m_iDay);
    player->SetLevelData(m_iFunds, m_Vars.iPointsExpert, m_iArtifactsToday, m_iCountry, m_iDay);
    if (previous < m_iFunds)
        SaveHighScore();
    int nextCountry = m_iCountry;
    int nextDay = m_iDay + 1;
    if (nextDay > DelvorMain::GetMaxDayForCountry(m_iCountry)) {
        ++nextCountry;
        nextDay = 1;
    }
    // Beating the last country unlocks nothing beyond it.
    if (nextCountry <= LAST_COUNTRY && player->GetMoneyTotal(nextCountry, nextDay) < 0)
        player->SetLevelData(0, kUnlockExpert, 0, nextCountry, nextDay);
    ZQ2::PlayerManager::SaveToDisk();
}

void SceneGame::SaveHighScore() {
    ZQ2::HighScoreManager* scores = ZQ2::HighScoreManager::g_Instance;
    DelvorPlayer* player = Player();
    if (!scores || !player)
        return;
    int country = 0;
    int day = 0;
    player->GetHighestLevelBeaten(country, day);
    std::string countryName = GetCountryNameFromID(country);
    const std::string text = countryName + " " + Format(ZQ2::BasicProperties::GetString("TEXT_DAY_2"), day);
    ZQ2::HighScoreTable* table = scores->GetHighScoreTable("default");
    if (!table) {
        table = new ZQ2::HighScoreTable(10, true);
        scores->AddHighScoreTable("default", table);
    }
    table->AddScore(ZQ2::SmartPtr<ZQ2::HighScoreEntry>(new DelvorScoreEntry(player->GetTotalMoneyEarned(), text)));
}

// ---- site services (stand-ins until the level's own land)

namespace {

// A waiting place for the worker (its own when it has one) and the walk there.
void WalkToWaitArea(SceneGame* level, DelvorWorker* worker) {
    int index = worker->GetWaitAreaIndex();
    if (index < 0)
        index = level->AddWorkerToWaitArea(worker);
    if (index < 0)
        return;
    int x = 0;
    int y = 0;
    level->GetWaitAreaCoordinates(index, x, y);
    worker->WalkToSpot(x, y + static_cast<int>(worker->GetHeight()), 1, 0, -1, -1);
}

}  // namespace

int SceneGame::GetCurrentTimestamp() const { return m_pClock ? m_pClock->GetElapsedTime() : 0; }

int SceneGame::GetElapsedTime(int since) const { return m_pClock ? m_pClock->GetElapsedTime(since) : 0; }

int SceneGame::GetImpatienceTime() const {
    if (m_Vars.iTimeUntilImpatient != 0)
        return m_Vars.iTimeUntilImpatient;
    return ZQ2::BasicProperties::GetInteger("TIME_UNTIL_DIGGER_IMPATIENT");
}

int SceneGame::AddWorkerToWaitArea(DelvorWorker* worker) {
    if (m_sWaitSlots.empty())
        InitDiggerWaitArea(m_Vars.iDiggersMale + m_Vars.iDiggersFemale, m_Vars.iPickers);
    const size_t index = m_sWaitSlots.find(worker->GetFreeSpotCharacter());
    if (index == std::string::npos)
        return -1;
    m_sWaitSlots[index] = 'X';
    worker->SetWaitAreaIndex(static_cast<int>(index));
    return static_cast<int>(index);
}

void SceneGame::FreeDiggerFromWaitArea(int index, char letter) {
    if (index >= 0 && static_cast<size_t>(index) < m_sWaitSlots.size())
        m_sWaitSlots[static_cast<size_t>(index)] = letter;
}

void SceneGame::GetWaitArea(int& x, int& y, int& width) const {
    x = ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_X");
    y = ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_Y");
    width = ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_WIDTH");
}

void SceneGame::GetWaitAreaCoordinates(int index, int& x, int& y) const {
    const int diggers = m_Vars.iDiggersMale + m_Vars.iDiggersFemale;
    const int pickers = m_Vars.iPickers;
    const int d = ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_DELTA_X");
    const int p = ZQ2::BasicProperties::GetInteger("PICKER_WAITAREA_DELTA_X");
    const int b = ZQ2::BasicProperties::GetInteger("BETWEEN_PICKER_DIGGER_WAITAREA_DELTA_X");
    int width = diggers * d;
    if (pickers > 0)
        width += (pickers - 1) * p + b;
    const int start = ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_X") +
                      (ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_WIDTH") - width) / 2;
    const int offset = index < diggers ? index * d : (diggers - 1) * d + (index - diggers) * p + b;
    x = width + start - offset;
    y = ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_Y");
}

void SceneGame::MoveWorkerToWaitingArea(DelvorWorker* worker) {
    if (!worker || (!worker->GetHole() && !worker->IsCharacterInHoldingArea()))
        return;
    WalkToWaitArea(this, worker);
}

void SceneGame::SendDiggerHome(DelvorWorker* worker) {
    if (!worker)
        return;
    worker->SetActivity(15);
    WalkToWaitArea(this, worker);
}

int SceneGame::GetNumWorkers(int kind) const {
    int count = 0;
    ForEachWorker(this, [&count, kind](DelvorWorker* worker) {
        const bool digger = worker->GetFreeSpotCharacter() == 'O';
        const bool counts = kind == 1   ? digger && worker->GetGender() == 1
                            : kind == 2 ? digger && worker->GetGender() != 1
                            : kind == 3 ? digger
                            : kind == 4 ? !digger
                                        : true;
        count += counts ? 1 : 0;
    });
    return count;
}

bool SceneGame::IsHoleThatNeedsWorker(DelvorWorker* worker) const {
    bool needed = false;
    for (ZQ2::GameNode* node = GetFirstChild(); node; node = node->GetNextSibling())
        if (auto* hole = ZQ2::DynamicCast<DelvorHole>(node))
            needed = needed || hole->CanAddWorker(worker);
    return needed;
}

bool SceneGame::AreAllWorkersInWaitArea() const {
    bool all = true;
    ForEachWorker(this, [&all](DelvorWorker* worker) {
        all = all && worker->IsCharacterInWaitingArea() && worker->GetState() != 1;
    });
    return all;
}
