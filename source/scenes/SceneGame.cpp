#include "source/scenes/SceneGame.h"

#include <algorithm>

#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
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
#include "engine/sprite/GameTree.h"
#include "source/dialogs/DialogUpgrade.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/game/DVNode.h"
#include "source/game/DelvorClock.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorGenerator.h"
#include "source/game/DelvorItem.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorPicker.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/main/DelvorScoreEntry.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/utils/TextFormat.h"

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

// The data text under key with its one number filled in.
std::string NumberText(const char* key, int value) {
    return TextFormat(ZQ2::BasicProperties::GetString(key)).Int(value).ToString();
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
    CleanupGenerators();
    // Holes and their workers hold each other; the cycle is broken here.
    for (int n = 1; n <= MAX_HOLES; ++n) {
        if (DelvorHole* hole = GetHole(n, true)) {
            hole->RemoveAllWorkers();
            hole->CleanupHole();
        }
    }
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
    if (m_Vars.bHasVuvivedod)
        ReadDeedWeights(vars);
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

SceneGame* SceneGame::GetCurrentLevel() {
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    return scenes ? ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentMainScene()) : nullptr;
}

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
    DealArtifacts();
}

// Each usable hole takes the next count of the shuffled list, every
// artifact drawn gold, silver or bronze from what is left of each.
void SceneGame::DealArtifacts() {
    int goldLeft = m_Vars.iArtifactsGold;
    int silverLeft = m_Vars.iArtifactsSilver;
    int remaining = GetTotalArtifactsInScene();
    size_t next = 0;
    ZQ2::Random* random = ZQ2::Random::Instance();
    for (int n = 1; n <= MAX_HOLES && next < m_HoleArtifacts.size(); ++n) {
        DelvorHole* hole = GetHole(n, false);
        if (!hole)
            continue;
        int gold = 0;
        int silver = 0;
        int bronze = 0;
        for (int k = 0; k < m_HoleArtifacts[next] && remaining > 0; ++k, --remaining) {
            const int r = random->GetInt(0, remaining);
            if (r < goldLeft) {
                ++gold;
                --goldLeft;
            } else if (r < goldLeft + silverLeft) {
                ++silver;
                --silverLeft;
            } else {
                ++bronze;
            }
        }
        ++next;
        hole->SetupHole(gold, silver, bronze);
    }
}

ZQ2::GameNode* SceneGame::FindComponent(const char* name) {
    ZQ2::GameNode* node = GetChild(name, true);
    if (node)
        return node;
    if (std::find(m_ReportedMissing.begin(), m_ReportedMissing.end(), name) == m_ReportedMissing.end()) {
        m_ReportedMissing.emplace_back(name);
        ZQ2::Platform::OutputDebugStringFormat("level %s: no component \"%s\"\n", GetCurrentLevelName().c_str(), name);
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
    if (m_pMenuButton)
        m_pMenuButton->SetTargetAndMethod(this, &SceneGame::OnActionClick);
    SetHourglass();
    m_pClock = ZQ2::DynamicCast<DelvorClock>(FindComponent("CLOCK"));
    CreateCharacters();
    SetupGenerators();
    FindLids();
    CreateWorkers();
    AddSiteBlocks();
    SetLabelText("FUNDS_GOAL_TEXT", GetPointsToWinText());
    SetLabelText("DAY_TEXT", NumberText("TEXT_DAY", m_iDay));
    UpdateFundsEarnedText();
}

// Links node next to the named component, or under the scene when the
// component is missing.
void SceneGame::LinkNear(ZQ2::GameNode* node, const char* name, bool after) {
    ZQ2::GameNode* anchor = FindComponent(name);
    if (!anchor)
        ZQ2::GameTree::LinkNodeUnder(this, node);
    else if (after)
        ZQ2::GameTree::LinkNodeAfter(anchor, node);
    else
        ZQ2::GameTree::LinkNodeBefore(anchor, node);
}

void SceneGame::CreateCharacters() {
    m_spVuru = new Vuru(0.0f, 0.0f, nullptr);
    m_spVuru->Init();
    LinkNear(m_spVuru.Get(), "TABLE_VURU", true);
    m_spDovidi = new Dovidi(0.0f, 0.0f, nullptr);
    m_spDovidi->Init();
    LinkNear(m_spDovidi.Get(), "ITEM_BIN_COOKIE", false);
}

// The cook's table is 3; every other item comes from the toolmaker.
void SceneGame::SetupGenerators() {
    auto* cookie = ZQ2::DynamicCast<DelvorGenerator>(GetChild("COOKIE", true));
    ZQ2::GameNode* table = GetChild("TABLE_DOVIDI", true);
    auto* toolmaker = table ? ZQ2::DynamicCast<DelvorGenerator>(table->GetChild("TOOLMAKER", true)) : nullptr;
    for (const char* name : {"TABLE_COOKIE", "TABLE_DOVIDI"})
        for (ClickObject* object : GetTableItems(name))
            if (auto* item = ZQ2::DynamicCast<DelvorItem>(object))
                item->SetGenerator(item->GetTable() == 3 ? cookie : toolmaker);
}

void SceneGame::CleanupGenerators() {
    for (const char* name : {"TABLE_COOKIE", "TABLE_DOVIDI"})
        for (ClickObject* object : GetTableItems(name))
            if (auto* item = ZQ2::DynamicCast<DelvorItem>(object))
                item->SetGenerator(nullptr);
}

void SceneGame::FindLids() {
    ZQ2::GameNode* table = FindComponent("TABLE_VURU");
    ZQ2::GameNode* crate = table ? table->GetChild("BG_ARTIFACT_CRATE", true) : nullptr;
    auto* tableSprite = ZQ2::DynamicCast<ZQ2::Sprite>(table);
    auto* crateSprite = ZQ2::DynamicCast<ZQ2::Sprite>(crate);
    if (!tableSprite || !crateSprite)
        return;
    int lids = 0;
    for (ZQ2::GameNode* child = crate->GetFirstChild(); child && lids < 2; child = child->GetNextSibling()) {
        auto* lid = ZQ2::DynamicCast<ZQ2::Sprite>(child);
        if (!lid || child->GetName().rfind("LID_0", 0) != 0)
            continue;
        m_apLids[lids] = lid;
        m_aLidCentres[lids].Set(lid->GetX() + crateSprite->GetX() + tableSprite->GetX() + lid->GetWidth() * 0.5f,
                                lid->GetY() + crateSprite->GetY() + tableSprite->GetY() + lid->GetHeight() * 0.5f);
        ++lids;
    }
}

void SceneGame::CreateWorkers() {
    for (auto& worker : m_Workers)
        worker->SetObsolete(true);
    m_Workers.clear();
    const int diggers = m_Vars.iDiggersMale + m_Vars.iDiggersFemale;
    InitDiggerWaitArea(diggers, m_Vars.iPickers);
    m_DiggerColors = GetColorDiggerOrder(m_iCountry, m_iDay, diggers, m_Vars.iDiggerColors);
    int x = ZQ2::BasicProperties::GetInteger("DIGGER_HOLDAREA_X");
    for (int i = 0; i < diggers; ++i) {
        ZQ2::SmartPtr<DelvorDigger> digger = new DelvorDigger(0.0f, 0.0f, nullptr);
        digger->SetGender(i < m_Vars.iDiggersMale ? 1 : 2);
        LinkWorker(digger.Get());
        digger->Init(x, digger->GetWaitAreaY(), this, m_DiggerColors[static_cast<size_t>(i)]);
        x -= ZQ2::BasicProperties::GetInteger(i + 1 < diggers ? "DIGGER_WAITAREA_DELTA_X"
                                                               : "BETWEEN_PICKER_DIGGER_WAITAREA_DELTA_X");
        m_Workers.push_back(digger.Get());
    }
    for (int i = 0; i < m_Vars.iPickers; ++i) {
        ZQ2::SmartPtr<DelvorPicker> picker = new DelvorPicker(0.0f, 0.0f, nullptr);
        LinkWorker(picker.Get());
        picker->Init(x, picker->GetWaitAreaY(), this);
        x -= ZQ2::BasicProperties::GetInteger("PICKER_WAITAREA_DELTA_X");
        m_Workers.push_back(picker.Get());
    }
}

// Each worker is drawn behind the one made before it; the first goes right
// after Vuru's table.
void SceneGame::LinkWorker(DelvorWorker* worker) {
    if (m_Workers.empty())
        LinkNear(worker, "TABLE_VURU", true);
    else
        ZQ2::GameTree::LinkNodeBefore(m_Workers.back().Get(), worker);
}

void SceneGame::OnActivate() {
    SceneDelvor::OnActivate();
    if (!m_bListening && ZQ2::GameWindow::g_Instance) {
        ZQ2::GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
        m_bListening = true;
    }
    m_bPaused = false;
    ActivateListeners(true);
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
        ZQ2::Platform::OutputDebugStringFormat("level %s: no music \"%s\" in \"%s\"\n", GetCurrentLevelName().c_str(),
                                               GetCurLevelMusic().c_str(), section.c_str());
        return;
    }
    if (ZQ2::SoundManager::g_Instance)
        ZQ2::SoundManager::g_Instance->CrossFadeStream(1000, 0.7f, 100, music, 600, ZQ2::SoundManager::STREAM_MODE);
}

void SceneGame::OnEnter() {
    SceneDelvor::OnEnter();
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (DelvorMain::IsUpgradeShopLevel() && upgrades &&
        !upgrades->IsUpgradeAlreadyAcquiredForDay(DelvorMain::m_nCurCountry, DelvorMain::m_nCurDay)) {
        ShowUpgradeDialog();
        return;
    }
    DoStartStageAnimation();
}

void SceneGame::OnDeactivate() {
    RemoveDialog("TEXT_MENU_STOP");
    RemoveDialog("DIALOG_MENU");
    ActivateListeners(false);
    m_Cursor.SetUsed(false);
    if (m_bListening && ZQ2::GameWindow::g_Instance)
        ZQ2::GameWindow::g_Instance->GetMessageHandler().RemoveMessageListener(this);
    m_bListening = false;
    SceneDelvor::OnDeactivate();
}

// ---- the day's states

void SceneGame::StartLevel() {
    if (m_spVuru)
        m_spVuru->PutBossInHomePosition();
    if (m_spDovidi)
        m_spDovidi->PutBossInHomePosition();
    m_Cursor.SetType(ZQ2::CURSOR_ARROW);
    m_Cursor.SetUsed(true);
    if (m_pHourglassButton)
        m_pHourglassButton->SetEnabled(false);
    InitDiggerWaitArea(m_Vars.iDiggersMale + m_Vars.iDiggersFemale, m_Vars.iPickers);
    SetupCrush();
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
    SetupDovidiTable();
    ShowHourglass();
}

void SceneGame::SetGameState(int state) {
    const int previous = m_iGameState;
    m_iGameState = state;
    if (state > STATE_RUNNING && m_spWorkerToDrag)
        SetWorkerToDrag(nullptr);
    switch (state) {
        case STATE_WORKERS_WALK_IN: m_iWorkerWalksFinished = 0; break;
        case STATE_RUNNING:
            if (previous == STATE_START_DIALOG || previous == STATE_TUTORIAL_QUESTION) {
                m_iBossWalksFinished = 0;
                StartIdleAnimations();
            }
            break;
        case STATE_TIME_UP:
            MoveAllWorkersToWaitingArea(-1);
            HideUnusedHoleRequests();
            break;
        case STATE_DOVIDI_GOING_HOME: SendDovidiHomeAtGameEnd(); break;
        case STATE_MINIGAME: ActivateDialog(ConstructDialog("DIALOG_MINIGAME_" + std::to_string(m_iCountry))); break;
        case STATE_END_DIALOG:
            ClearPlayerRequests();
            ClearBossAnimations();
            ActivateDialog(ConstructDialog("DIALOG_STAGEEND"));
            break;
        default: break;
    }
    // The hourglass can be used only while the day runs.
    ShowHourglass();
}

bool SceneGame::IsTimerExpired() const { return m_pClock && m_pClock->IsTimeUsedUp(); }

void SceneGame::RestartLevelAnimationFinished() { DoStartStageAnimation(); }

void SceneGame::ShowUpgradeDialog() {
    // With nothing left to sell the shop could never close: the day starts.
    ZQ2::Dialog* shop = DialogUpgrade::HasOffers() ? ConstructDialog("DIALOG_UPGRADE") : nullptr;
    if (!shop) {
        DoStartStageAnimation();
        return;
    }
    SetGameState(STATE_UPGRADE_SHOP);
    Pause(true);
    ActivateDialog(shop);
}

void SceneGame::OnUpgradeDialogClosed(ZQ2::BaseObject* scene, ZQ2::BaseObject* dialog) {
    ZQ2::Dialog::CloseDialog_Callback(dialog, nullptr);
    auto* level = ZQ2::DynamicCast<SceneGame>(scene);
    if (!level && ZQ2::SceneManager::g_Instance)
        level = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->GetCurrentScene());
    if (!level || level->GetGameState() != STATE_UPGRADE_SHOP)
        return;
    level->Pause(false);
    level->DoStartStageAnimation();
}

void SceneGame::DoStartStageAnimation() { MoveAllWorkersToWaitingArea(STATE_WORKERS_WALK_IN); }

void SceneGame::MoveAllWorkersToWaitingArea(int state) {
    if (state == -1) {
        SendAllWorkersHome();
        return;
    }
    SetGameState(state);
    for (const auto& worker : m_Workers) {
        worker->ClearCurrentRoutine();
        worker->ResetImage();
        MoveWorkerToWaitingArea(worker.Get());
        // A worker already in its place starts no walk, so no arrival
        // would ever count it: it has arrived now.
        if (state == STATE_WORKERS_WALK_IN && !worker->GetWalkModifier())
            ++m_iWorkerWalksFinished;
        if (auto* hole = ZQ2::DynamicCast<DelvorHole>(worker->GetCurrentHole()))
            hole->RemoveWorker(worker.Get());
        worker->SetCurrentHole(nullptr);
    }
    if (state == STATE_WORKERS_WALK_IN && AllWorkersHaveWalkedIn())
        ShowStartStageDialog();
}

bool SceneGame::AllWorkersHaveWalkedIn() const {
    return m_iWorkerWalksFinished >= static_cast<int>(m_Workers.size());
}

void SceneGame::SendAllWorkersHome() {
    // Time is up: whatever a worker does, it stops and walks to its place.
    const ZQ2::ZQVector<ZQ2::SmartPtr<DelvorWorker>> workers(m_Workers);
    for (const auto& worker : workers) {
        if (worker->IsCharacterInWaitingArea() && worker->GetState() != DelvorCharacter::STATE_WALKING)
            continue;
        worker->ClearCurrentRoutine();
        worker->ClearActivityModifer();
        worker->ShowHypnoSpiral(false);
        worker->SetCharacterImage(2);
        if (DelvorHole* hole = worker->GetHole())
            hole->RemoveWorker(worker.Get());
        SendDiggerHome(worker.Get());
    }
}

void SceneGame::DoWorkerWalkFinished() {
    ++m_iWorkerWalksFinished;
    if (AllWorkersHaveWalkedIn())
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
    if (m_pHourglassButton)
        m_pHourglassButton->SetEnabled(false);
    if (m_iGameState < STATE_BUILT || m_iGameState > STATE_WINDING_DOWN)
        return;
    if (IsTimerExpired() && m_iGameState == STATE_RUNNING)
        SetGameState(STATE_TIME_UP);
    if (m_iGameState != STATE_WINDING_DOWN || !AreAllWorkersInWaitArea() || !IsVuruDoneWithTasks())
        return;
    const bool dovidiHome = !m_spDovidi || (m_spDovidi->IsInHomePosition() &&
                                            m_spDovidi->GetState() == DelvorCharacter::STATE_HOME);
    SetGameState(dovidiHome ? STATE_END_STAGE : STATE_DOVIDI_GOING_HOME);
}

void SceneGame::SendDovidiHomeAtGameEnd() {
    Dovidi* dovidi = m_spDovidi.Get();
    if (!dovidi || m_iGameState != STATE_DOVIDI_GOING_HOME || dovidi->GetState() == DelvorCharacter::STATE_WALKING)
        return;
    // An item nobody will be given any more must not keep her at its table.
    if (dovidi->IsWaitingForItemGeneration())
        dovidi->SetBossActivity(DelvorBoss::ACTIVITY_NONE);
    // Already standing at home: her arrival's rule ends the winding down.
    if (dovidi->IsInHomePosition()) {
        dovidi->DoWalkFinished();
        return;
    }
    // The bin queues itself and sends her home, where she drops what she holds.
    if (auto* bin = ZQ2::DynamicCast<DelvorItem>(GetChild("ITEM_BIN_COOKIE", true)))
        bin->DumpObjects();
    if (dovidi->GetState() != DelvorCharacter::STATE_WALKING)
        dovidi->WalkHome();
}

void SceneGame::DoTimerExpiredFinished() {
    if (m_iGameState == STATE_TIME_UP)
        SetGameState(STATE_WINDING_DOWN);
}

void SceneGame::DoAllHolesFinishedAnimation(bool force) {
    if (!force && !AreAllHolesFinished())
        return;
    AddPointsByType(16, false, nullptr, -1);
    SetGameState(STATE_HOLES_FINISHED);
    PlaySound("SOUND_HOLES_ALL_FINISHED");
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
        case STATE_HOLES_FINISHED: DoHolesFinishedAnimationFinished(); break;
        case STATE_WINDING_DOWN: CheckForStageDone(); break;
        // Should her walk home ever be cut short, she sets out again.
        case STATE_DOVIDI_GOING_HOME: SendDovidiHomeAtGameEnd(); break;
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
    ShowHourglass();
}

void SceneGame::HandleAction(ZQ2::GameNode* component) {
    if (!component)
        return;
    if (component == m_pMenuButton)
        m_bMenuButtonRequest = true;
    else if (component->GetName() == "BUTTON_MENU")
        m_bMenuRequest = true;
}

void SceneGame::OnActionClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender) {
    if (auto* level = ZQ2::DynamicCast<SceneGame>(scene))
        level->HandleAction(ZQ2::DynamicCast<ZQ2::GameNode>(sender));
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
    const bool wasPaused = m_bPaused;
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    if (wasPaused || !IsActiveDialog(DelvorMain::QUIT_MESSAGE_KEY))
        return true;
    // The day stands still under the question; only a pause made here is
    // lifted by "No", so a menu beneath it keeps the day held.
    if (auto* question = ZQ2::DynamicCast<DialogYesNo>(GetDialog(DelvorMain::QUIT_MESSAGE_KEY)))
        question->SetNoMethod(question, &SceneGame::OnQuitQuestionNo);
    Pause(true);
    return true;
}

void SceneGame::OnQuitQuestionNo(ZQ2::BaseObject* question, ZQ2::BaseObject*) {
    ZQ2::Dialog::CloseDialog_Callback(question, nullptr);
    if (SceneGame* level = GetCurrentLevel())
        level->Pause(false);
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
        return GetArtifactScore(type) + GetGuideBonus(type);
    if (type < 0 || type >= SCORE_TYPE_COUNT)
        return 0;
    return penalty ? m_aiPenaltyValues[type] : m_aiScoreValues[type];
}

int SceneGame::GetGuideBonus(int type) {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (!upgrades || type < kTypeArtifactBronze || type > kTypeArtifactGold)
        return 0;
    // Once for bronze, twice for silver, three times for gold.
    return upgrades->GetCurrentUpgradeValue(DelvorUpgrade::TYPE_GUIDE) * (type - kTypeArtifactBronze + 1);
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

void SceneGame::AddPointsByType(int type, bool penalty, ZQ2::Sprite*, int extra) {
    if (type >= 0 && type < SCORE_TYPE_COUNT)
        m_aiLastScoreExtras[static_cast<size_t>(type)] = extra;
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

int SceneGame::GetLastScoreExtra(int type) const {
    if (type < 0 || type >= SCORE_TYPE_COUNT)
        return -1;
    return m_aiLastScoreExtras[static_cast<size_t>(type)];
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
    const int before = GetHighestTrophyForNumArtifacts(m_iTotalArtifactsAtStart);
    const int now = GetHighestTrophyForNumArtifacts(GetTotalArtifactsFound());
    if (before == now)
        return false;
    trophy = now;
    return true;
}

// The trophy room's rule: trophies 1 to 11 each need more artifacts found
// in all than the one before; the last trophy is never earned by count.
int SceneGame::GetHighestTrophyForNumArtifacts(int count) {
    for (int n = 1; n < FINAL_TROPHY; ++n)
        if (ZQ2::BasicProperties::GetInteger("TROPHY_NUM_ARTIFACTS_" + std::to_string(n)) > count)
            return n - 1;
    return FINAL_TROPHY - 1;
}

std::string SceneGame::GetPointsText() const { return NumberText("TEXT_EARNED", m_iFunds); }

std::string SceneGame::GetPointsToWinText() const {
    return NumberText("TEXT_GOAL", m_Vars.iPointsWin);
}

std::string SceneGame::GetPointsExpertText() const {
    return NumberText("TEXT_EXPERT", m_Vars.iPointsExpert);
}

std::string SceneGame::GetNumArtifactsFoundText() const {
    return NumberText("TEXT_ARTIFACTS_FOUND", m_iArtifactsToday);
}

std::string SceneGame::GetTotalPointsText() const {
    return NumberText("TEXT_TOTAL_EARNED", GetTotalMoneyEarned());
}

std::string SceneGame::GetTotalArtifactsFoundText() const {
    return NumberText("TEXT_TOTAL_ARTIFACTS_FOUND", GetTotalArtifactsFound());
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
    const std::string text = countryName + " " + NumberText("TEXT_DAY_2", day);
    ZQ2::HighScoreTable* table = scores->GetHighScoreTable("default");
    if (!table) {
        table = new ZQ2::HighScoreTable(10, true);
        scores->AddHighScoreTable("default", table);
    }
    table->AddScore(ZQ2::SmartPtr<ZQ2::HighScoreEntry>(new DelvorScoreEntry(player->GetTotalMoneyEarned(), text)));
}

// ---- the site's characters

void SceneGame::SetCharacters(Vuru* vuru, Dovidi* dovidi, ClickObject* villain) {
    m_spVuru = vuru;
    m_spDovidi = dovidi;
    m_spVuvivedod = villain;
}

void SceneGame::ReadDeedWeights(ZQ2::PropertyVector* vars) {
    static const char* const kKeys[4][2] = {
        {"vuvivedod_chance_steal_item", "VUVIVEDOD_DEED_CHANCE_STEALITEM"},
        {"vuvivedod_chance_steal_artifact", "VUVIVEDOD_DEED_CHANCE_STEALARTIFACT"},
        {"vuvivedod_chance_hypnotize", "VUVIVEDOD_DEED_CHANCE_HYPNOTIZE"},
        {"vuvivedod_chance_mass_hypnotize", "VUVIVEDOD_DEED_CHANCE_MASSHYPNOTIZE"},
    };
    for (int kind = 0; kind < 4; ++kind) {
        m_Vars.aiDeedWeights[kind] = ZQ2::BasicProperties::GetInteger(kKeys[kind][1]);
        ReadInt(vars, kKeys[kind][0], m_Vars.aiDeedWeights[kind]);
    }
}

void SceneGame::SetVuvivedodChanceDeedWeight(int kind, int weight) {
    if (kind >= 0 && kind < 4)
        m_Vars.aiDeedWeights[kind] = weight;
}

int SceneGame::GetVuvivedodChanceDeedWeight(int kind) const {
    return kind >= 0 && kind < 4 ? m_Vars.aiDeedWeights[kind] : 0;
}

void SceneGame::PlaySound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, "delvor"));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

// ---- the waiting area

int SceneGame::AddWorkerToWaitArea(DelvorWorker* worker) {
    if (!worker)
        return -1;
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
    const int diggerStep = ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_DELTA_X");
    const int pickerStep = ZQ2::BasicProperties::GetInteger("PICKER_WAITAREA_DELTA_X");
    const int between = ZQ2::BasicProperties::GetInteger("BETWEEN_PICKER_DIGGER_WAITAREA_DELTA_X");
    int width = diggers * diggerStep;
    if (pickers > 0)
        width += (pickers - 1) * pickerStep + between;
    const int start = ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_X") +
                      (ZQ2::BasicProperties::GetInteger("WORKER_WAITAREA_WIDTH") - width) / 2;
    const int offset =
        index < diggers ? index * diggerStep : (diggers - 1) * diggerStep + (index - diggers) * pickerStep + between;
    x = width + start - offset;
    y = ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_Y");
}

void SceneGame::MoveWorkerToWaitingArea(DelvorWorker* worker) {
    if (!worker)
        return;
    const bool holding = worker->IsCharacterInHoldingArea();
    if (!holding && !worker->GetCurrentHole())
        return;
    if (auto* hole = ZQ2::DynamicCast<DelvorHole>(worker->GetCurrentHole()))
        hole->OpenSpotOf(worker);
    int x = 0;
    int y = 0;
    GetWaitAreaCoordinates(AddWorkerToWaitArea(worker), x, y);
    worker->WalkToSpot(x, y + static_cast<int>(worker->GetHeight()), 0, 0, -1, -1);
    if (!holding) {
        ResetWorkerPatienceBasedOnHoleNeeds();
        return;
    }
    if (ZQ2::GameNode* back = GetChild("BG_BACK", true))
        ZQ2::GameTree::LinkNodeAfter(back, worker);
}

void SceneGame::SendDiggerHome(DelvorWorker* worker) {
    if (!worker)
        return;
    worker->SetActivity(15);
    int x = 0;
    int y = 0;
    if (auto* hole = ZQ2::DynamicCast<DelvorHole>(worker->GetCurrentHole()))
        hole->OpenSpotOf(worker);
    // A worker that kept its place walks back to it.
    const int index = worker->GetWaitAreaIndex() >= 0 ? worker->GetWaitAreaIndex() : AddWorkerToWaitArea(worker);
    GetWaitAreaCoordinates(index, x, y);
    worker->WalkToSpot(x, y + static_cast<int>(worker->GetHeight()), 0, 0, -1, -1);
}

bool SceneGame::AreAllWorkersInWaitArea() const {
    for (const auto& worker : m_Workers)
        if (!worker->IsCharacterInWaitingArea() || worker->GetState() == DelvorCharacter::STATE_WALKING)
            return false;
    return true;
}

bool SceneGame::AreAllWorkersOffScreen() const {
    for (const auto& worker : m_Workers)
        if (!worker->IsCharacterInHoldingArea() || worker->GetState() == DelvorCharacter::STATE_WALKING)
            return false;
    return true;
}

bool SceneGame::IsAWorkerInWaitingArea(DelvorWorker* except) const {
    for (const auto& worker : m_Workers)
        if (worker.Get() != except && worker->IsCharacterInWaitingArea())
            return true;
    return false;
}

int SceneGame::GetNumWorkers(int kind) const {
    switch (kind) {
        case 1: return m_Vars.iDiggersMale;
        case 2: return m_Vars.iDiggersFemale;
        case 3: return m_Vars.iDiggersMale + m_Vars.iDiggersFemale;
        case 4: return m_Vars.iPickers;
        default: return m_Vars.iDiggersMale + m_Vars.iDiggersFemale + m_Vars.iPickers;
    }
}

// ---- dragging and dropping

void SceneGame::SetWorkerToDrag(DelvorWorker* worker) {
    if (DelvorWorker* old = m_spWorkerToDrag.Get()) {
        // Keep the old one alive while it is put back.
        ZQ2::SmartPtr<DelvorWorker> hold = old;
        m_spWorkerToDrag = nullptr;
        old->SnapWorkerBackToWaitArea();
        if (old->GetShadow())
            old->GetShadow()->SetVisible(true);
        old->StartIdleRoutine();
    }
    m_spWorkerToDrag = worker;
    if (!worker)
        return;
    if (ZQ2::GameNode* menu = GetChild("Menu_Button", true))
        ZQ2::GameTree::LinkNodeAfter(menu, worker);
    if (worker->GetShadow())
        worker->GetShadow()->SetVisible(false);
    worker->ClearIdleModifier();
}

bool SceneGame::OnMouseMoved(const ZQ2::MouseMessageData& m) {
    SceneDelvor::OnMouseMoved(m);
    return OnMouseMoved(m.GetX(), m.GetY());
}

bool SceneGame::OnMouseMoved(float x, float y) {
    m_Cursor.SetType(ZQ2::CURSOR_ARROW);
    DelvorWorker* worker = m_spWorkerToDrag.Get();
    if (m_bPaused || !worker)
        return false;
    worker->SetLocation(x - worker->GetWidth() * 0.5f, y + worker->GetHeight() * 0.5f);
    return false;
}

bool SceneGame::OnMouseLeftUp() {
    if (m_spWorkerToDrag) {
        SetWorkerToDrag(nullptr);
        return true;
    }
    PlaySound("SOUND_CHOOSE_FAIL");
    return false;
}

bool SceneGame::DropWorkerOnHole(ClickObject* target) {
    ZQ2::SmartPtr<DelvorWorker> worker = m_spWorkerToDrag;
    auto* hole = ZQ2::DynamicCast<DelvorHole>(target);
    if (!worker || !hole || !hole->CanAddWorker(worker.Get())) {
        SetWorkerToDrag(nullptr);
        return false;
    }
    // The drag ends here without the snap back: the worker goes to the hole.
    m_spWorkerToDrag = nullptr;
    if (worker->GetShadow())
        worker->GetShadow()->SetVisible(true);
    const ZQ2::Point_t<float> spot = hole->GetActionDest(hole->GetFreeDigSpot());
    worker->SetState(3);
    worker->SetLocation(spot.x, spot.y);
    worker->SetState(DelvorCharacter::STATE_ELSEWHERE);
    hole->AddWorker(worker.Get());
    worker->ClearWaitAreaIndex();
    worker->SetPlacedWhileImpatient(worker->IsImpatient());
    worker->PadHungerAfterPlacement();
    if (hole->GetNumWorkers() == 2) {
        auto* first = ZQ2::DynamicCast<DelvorWorker>(hole->GetWorkerAtHoleLocation(0));
        auto* second = ZQ2::DynamicCast<DelvorWorker>(hole->GetWorkerAtHoleLocation(1));
        if (first && second && first->HasLoveFlag() && second->HasLoveFlag()) {
            AddPointsByType(2, false);
            first->SetLoveFlag(false);
            second->SetLoveFlag(false);
        }
    }
    ResetWorkerPrevNeeds();
    return worker->DoWalkFinished();
}

void SceneGame::IsOverClickObject(bool over) { m_Cursor.SetType(over ? ZQ2::CURSOR_HAND_POINT : ZQ2::CURSOR_ARROW); }

// ---- directing the characters

int SceneGame::GetDestType(ClickObject* target, ClickObject* character) const {
    auto* hole = ZQ2::DynamicCast<DelvorHole>(target);
    if (!hole || !character)
        return 0;
    if (ZQ2::DynamicCast<Vuru>(character))
        return 5;
    if (ZQ2::DynamicCast<DelvorBoss>(character))
        return 2;
    if (ZQ2::DynamicCast<DelvorWorker>(character))
        return hole->GetFreeDigSpot() >= 0 ? 1 : 0;
    return 0;
}

void SceneGame::DoAction(ClickObject* target, ClickObject* character) {
    auto* figure = ZQ2::DynamicCast<DelvorCharacter>(character);
    if (!figure || !target)
        return;
    const ZQ2::Point_t<float> spot = target->GetActionDest(GetDestType(target, character));
    int dx = 0;
    int dy = 0;
    figure->GetActionDirection(dx, dy);
    DVNode* route = nullptr;
    m_PathFinder.FindPath(figure->GetFootPoint(), spot, dx, dy, &route);
    figure->Walk(route, target);
}

bool SceneGame::IsVuruAtHole(ClickObject* hole) const {
    return hole && m_spVuru && m_spVuru->GetCurrentHole() == hole;
}

bool SceneGame::IsVuruGoingToHole(ClickObject* hole) const {
    if (!hole || !m_spVuru)
        return false;
    if (m_spVuru->IsNextDestination(hole))
        return true;
    const auto& stack = m_spVuru->GetStack();
    return std::find(stack.begin(), stack.end(), hole) != stack.end();
}

bool SceneGame::IsVuruCuringDigger() const { return m_spVuru && m_spVuru->GetVuruState() >= 100; }

bool SceneGame::IsVuruDoneWithTasks() const {
    return !m_spVuru ||
           (m_spVuru->GetState() != DelvorCharacter::STATE_WALKING && m_spVuru->GetVuruState() <= 0);
}

// ---- holes

DelvorHole* SceneGame::GetHole(int n, bool all) const {
    if (n < 1 || n > MAX_HOLES)
        return nullptr;
    const std::string name = "HOLE" + std::to_string(n);
    auto* hole = ZQ2::DynamicCast<DelvorHole>(const_cast<SceneGame*>(this)->GetChild(name, true));
    if (!hole || (!all && hole->GetStartState() == -1))
        return nullptr;
    return hole;
}

int SceneGame::GetNumHoles() const {
    int count = 0;
    for (int n = 1; n <= MAX_HOLES; ++n)
        if (GetHole(n, false))
            ++count;
    return count;
}

int SceneGame::GetRandomHole() const {
    const int holes = GetNumHoles();
    return holes < 1 ? 1 : ZQ2::Random::Instance()->GetInt(1, holes + 1);
}

bool SceneGame::AreAllHolesFinished() const {
    for (int n = 1; n <= MAX_HOLES; ++n) {
        DelvorHole* hole = GetHole(n, false);
        if (hole && hole->GetState() != 103)
            return false;
    }
    return true;
}

bool SceneGame::IsHoleThatNeedsWorker(DelvorWorker* worker) const {
    for (int n = 1; n <= MAX_HOLES; ++n) {
        DelvorHole* hole = GetHole(n, false);
        if (hole && hole->CanAddWorker(worker))
            return true;
    }
    return false;
}

void SceneGame::GetHoleWorkerNeeds(bool& digger, bool& picker) const {
    digger = false;
    picker = false;
    for (int n = 1; n <= MAX_HOLES; ++n) {
        DelvorHole* hole = GetHole(n, false);
        if (!hole)
            continue;
        digger = digger || hole->NeedDiggerAtHole();
        picker = picker || hole->NeedPickerAtHole();
    }
}

void SceneGame::ResetWorkerPrevNeeds() { GetHoleWorkerNeeds(m_bPrevNeedDigger, m_bPrevNeedPicker); }

void SceneGame::ResetWorkerPatienceBasedOnHoleNeeds() {
    bool digger = false;
    bool picker = false;
    GetHoleWorkerNeeds(digger, picker);
    const bool newDigger = digger && !m_bPrevNeedDigger;
    const bool newPicker = picker && !m_bPrevNeedPicker;
    if (newDigger || newPicker)
        for (const auto& worker : m_Workers)
            worker->ChangeMood(newDigger, newPicker);
    m_bPrevNeedDigger = digger;
    m_bPrevNeedPicker = picker;
}

int SceneGame::GetImpatienceTime() const {
    if (m_Vars.iTimeUntilImpatient != 0)
        return m_Vars.iTimeUntilImpatient;
    return ZQ2::BasicProperties::GetInteger("TIME_UNTIL_DIGGER_IMPATIENT");
}

// ---- the hourglass and time

void SceneGame::SetHourglass() {
    ZQ2::GameNode* table = GetChild("TABLE_VURU", true);
    m_pHourglassButton = table ? ZQ2::DynamicCast<ZQ2::Button>(table->GetChild("BUTTON_HOURGLASS", true)) : nullptr;
    if (!m_pHourglassButton)
        return;
    m_pHourglassButton->SetTargetAndMethod(this, &SceneGame::OnUseHourglass);
    m_pHourglassButton->SetEnabled(IsGameRunning());
}

void SceneGame::ShowHourglass() {
    if (!m_pHourglassButton)
        return;
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    const bool owned = upgrades && upgrades->IsHourGlass();
    const bool running = m_pClock && m_pClock->IsHourglassInUse();
    m_pHourglassButton->SetVisible(owned);
    m_pHourglassButton->SetEnabled(owned && !running && !m_bPaused && m_iGameState == STATE_RUNNING);
    auto* count = ZQ2::DynamicCast<ZQ2::Label>(m_pHourglassButton->GetChild("HOURGLASS_COUNT", true));
    if (!count)
        return;
    const int hourglasses = upgrades ? upgrades->GetNumHourGlasses() : 0;
    count->SetText(std::to_string(hourglasses));
    count->SetVisible(hourglasses > 1);
}

void SceneGame::UseHourglass() {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (m_iGameState != STATE_RUNNING || m_bPaused || !upgrades || !upgrades->IsHourGlass())
        return;
    // A second turn while the sand runs would throw an hourglass away.
    if (m_pClock && m_pClock->IsHourglassInUse())
        return;
    const int time = upgrades->UseHourglass();
    if (m_pClock)
        m_pClock->UseHourglass(time);
    // The turning hourglass belongs to the level effects; without them the
    // sand starts at once.
    DoHourglassAnimationFinished(nullptr);
    ShowHourglass();
}

void SceneGame::OnUseHourglass(ZQ2::BaseObject* scene, ZQ2::BaseObject*) {
    if (auto* level = ZQ2::DynamicCast<SceneGame>(scene))
        level->UseHourglass();
}

void SceneGame::DoHourglassAnimationFinished(ZQ2::Sprite* sprite) {
    if (sprite)
        sprite->SetObsolete(true);
    if (!m_pClock)
        return;
    m_pClock->SetHourglassInUse(true);
    m_pClock->SetSandShown(true);
}

int SceneGame::GetElapsedTime(int since) const { return m_pClock ? m_pClock->GetElapsedTime(since) : 0; }

int SceneGame::GetCurrentTimestamp() const { return m_pClock ? m_pClock->GetElapsedTime(0) : 0; }

// ---- other queries

ZQ2::Sprite* SceneGame::GetLidSprite(int i) const { return i == 0 || i == 1 ? m_apLids[i] : nullptr; }

ZQ2::Point_t<float> SceneGame::GetLidCoordinates(int i) const {
    return i == 0 || i == 1 ? m_aLidCentres[i] : ZQ2::Point_t<float>();
}

// Medicine cures hypnosis, so it is offered only where the villain hypnotises.
bool SceneGame::HasMedicine() const {
    return m_spVuvivedod && (m_Vars.aiDeedWeights[2] >= 1 || m_Vars.aiDeedWeights[3] >= 1);
}

void SceneGame::ClearPlayerRequests() {
    for (const auto& worker : m_Workers) {
        worker->ClearRequests();
        worker->ResetImage();
        worker->RemoveAllAnimTreeModifiers();
    }
}

// ---- the site's set-up and clean-up

void SceneGame::SetupCrush() {
    const int males = m_Vars.iDiggersMale;
    const int females = m_Vars.iDiggersFemale;
    if (!ZQ2::BasicProperties::GetBoolean("CRUSH_MATCHING") || males < 1 || females < 1 || males + females < 4)
        return;
    ZQ2::Random* random = ZQ2::Random::Instance();
    const int male = random->GetInt(0, males);
    const int female = random->GetInt(males, males + females);
    for (int index : {male, female})
        if (index < m_Workers.size())
            m_Workers[index]->SetLoveFlag(true);
}

std::vector<ClickObject*> SceneGame::GetTableItems(const char* table) {
    std::vector<ClickObject*> items;
    ZQ2::GameNode* node = GetChild(table, true);
    if (!node)
        return items;
    for (ZQ2::GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        auto* item = ZQ2::DynamicCast<ClickObject>(child);
        if (item && item->IsItem())
            items.push_back(item);
    }
    return items;
}

void SceneGame::SetupDovidiTable() {
    for (ClickObject* item : GetTableItems("TABLE_DOVIDI")) {
        if (item->GetName() == "ITEM_BOTTLE" && m_Vars.iSprayBottle < 1)
            item->SetVisible(false);
        else if (item->GetName() == "ITEM_MEDICINE" && !HasMedicine())
            item->SetVisible(false);
    }
}

void SceneGame::AddOrRemoveListener(bool on, ZQ2::GameNode* object) {
    auto* listener = object ? static_cast<ZQ2::iInputListener*>(object->QueryInterface(ZQ2::iInputListener::rtti))
                            : nullptr;
    if (listener)
        listener->SetInputListenerActive(on);
}

void SceneGame::ActivateListeners(bool on) {
    AddOrRemoveListener(on, m_spDovidi.Get());
    AddOrRemoveListener(on, m_spVuru.Get());
    for (const auto& worker : m_Workers)
        AddOrRemoveListener(on, worker.Get());
    for (int n = 1; n <= MAX_HOLES; ++n)
        AddOrRemoveListener(on, GetHole(n, false));
    for (const char* table : {"TABLE_COOKIE", "TABLE_DOVIDI"}) {
        ZQ2::GameNode* node = GetChild(table, true);
        for (ZQ2::GameNode* child = node ? node->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
            if (ZQ2::DynamicCast<ClickObject>(child))
                AddOrRemoveListener(on, child);
    }
}

void SceneGame::StartIdleAnimations() {
    for (const auto& worker : m_Workers)
        if (worker->GetActivity() == 0 || worker->GetActivity() == 4)
            worker->StartIdleRoutine();
    if (auto* cookie = ZQ2::DynamicCast<ClickObject>(GetChild("COOKIE", true)))
        cookie->StartIdleRoutine();
    if (m_spDovidi)
        m_spDovidi->StartIdleRoutine();
    if (m_spVuru)
        m_spVuru->StartIdleRoutine();
}

void SceneGame::ClearBossAnimations() {
    for (DelvorCharacter* boss : {static_cast<DelvorCharacter*>(m_spVuru.Get()),
                                  static_cast<DelvorCharacter*>(m_spDovidi.Get())}) {
        if (!boss)
            continue;
        boss->ClearCurrentRoutine();
        boss->RemoveAllAnimTreeModifiers();
        boss->SetCharacterImage(2);
    }
    // The generators' own state arrives with them; their modifiers go now.
    if (ZQ2::GameNode* cookie = GetChild("COOKIE", true))
        cookie->RemoveAllAnimTreeModifiers();
    if (ZQ2::GameNode* table = GetChild("TABLE_DOVIDI", true))
        if (ZQ2::GameNode* toolmaker = table->GetChild("TOOLMAKER", true))
            toolmaker->RemoveAllAnimTreeModifiers();
}

void SceneGame::HideUnusedHoleRequests() {
    for (int n = 1; n <= MAX_HOLES; ++n) {
        DelvorHole* hole = GetHole(n, false);
        if (hole && !(hole->GetState() == 102 && IsVuruAtHole(hole)))
            hole->SetupRequestBalloon();
    }
}

ZQ2::Sprite* SceneGame::GetCloud(int i) {
    static const char* const kClouds[CLOUD_COUNT] = {"COOKIE_DUST_CLOUD", "TOOLMAKER_DUST_CLOUD", "VUVIVEDOD_POOF"};
    if (i < 0 || i >= CLOUD_COUNT)
        return nullptr;
    if (!m_aspClouds[i])
        m_aspClouds[i] = new ZQ2::Sprite(0.0f, 0.0f, ZQ2::ResourceLookup::GetImage(kClouds[i], "delvor", nullptr));
    return m_aspClouds[i].Get();
}

void SceneGame::ClearClouds() {
    for (auto& cloud : m_aspClouds) {
        if (!cloud)
            continue;
        cloud->SetVisible(false);
        cloud->SetObsolete(true);
        cloud = nullptr;
    }
}

void SceneGame::AddArtifactToBin(int n) {
    std::string section;
    DelvorMain::GetCountrySpecificSection(m_iCountry, section);
    const std::string image = "ARTIFACT_" + GetCurrentCountryResourceName() + std::to_string(n);
    ZQ2::SmartPtr<ZQ2::Sprite> artifact =
        new ZQ2::Sprite(static_cast<float>(ZQ2::BasicProperties::GetInteger("ANIMATION_END_DEST_X")),
                        static_cast<float>(ZQ2::BasicProperties::GetInteger("ANIMATION_END_DEST_Y")),
                        ZQ2::ResourceLookup::GetImage(image, section, nullptr));
    artifact->SetVisible(false);
    ZQ2::GameTree::LinkNodeUnder(this, artifact.Get());
    m_BinArtifacts.push_back(artifact);
    ++m_iArtifactsToday;
}

void SceneGame::ClearTableHighlights(ClickObject* item) {
    if (!item || !item->IsOnTable() || !item->GetParent())
        return;
    for (ZQ2::GameNode* child = item->GetParent()->GetFirstChild(); child; child = child->GetNextSibling()) {
        auto* other = ZQ2::DynamicCast<ClickObject>(child);
        if (other && other != item && other->IsItem())
            other->SetHighlightState(false);
    }
}

void SceneGame::RemoveItemsOfTypeFromTable(int type) {
    static const char* const kItemNames[] = {"",              "ITEM_SIFTER",   "ITEM_BRUSH",   "ITEM_BOTTLE",
                                             "ITEM_MEDICINE", "ITEM_CANTEEN",  "ITEM_SANDWICH", "ITEM_APPLE"};
    if (type < 1 || type >= static_cast<int>(std::size(kItemNames)))
        return;
    const std::string prefix = kItemNames[type];
    for (const char* table : {"TABLE_DOVIDI", "TABLE_COOKIE"})
        for (ClickObject* item : GetTableItems(table))
            if (item->IsVisible() && item->IsAvailable() && item->GetName().rfind(prefix, 0) == 0)
                item->SetVisible(false);
}

void SceneGame::RedisplayItemsWithUpgrades() {
    for (const char* table : {"TABLE_DOVIDI", "TABLE_COOKIE"})
        for (ClickObject* item : GetTableItems(table))
            if (auto* tableItem = ZQ2::DynamicCast<DelvorItem>(item))
                tableItem->RedisplayWithUpgrades();
    for (int n = 1; n <= MAX_HOLES; ++n)
        if (DelvorHole* hole = GetHole(n, false))
            hole->SetupRequestBalloon();
}
