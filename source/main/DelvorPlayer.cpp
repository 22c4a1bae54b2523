#include "source/main/DelvorPlayer.h"

#include <cstdio>

#include "engine/core/SmartPtr.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneStory.h"

using namespace ZQ2;

const char* const SAVEGAME_DELVOR = "delvor";

const RTTI* const DelvorPlayer::rttis[] = {&AbstractPlayer::rtti, nullptr};
const RTTI DelvorPlayer::rtti("DelvorPlayer", DelvorPlayer::rttis);

ObjectInitializer DelvorPlayer::m_ObjectInitializer("DelvorPlayer", &DelvorPlayer::OnData);

namespace {

std::string Format(const char* format, int a) {
    char text[64];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

std::string Format(const char* format, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string LevelName(int country, int day) {
    std::string name;
    DelvorMain::GetCountryName(name, country, day);
    return name;
}

std::string MiniGameNodeName(int country) {
    std::string name;
    DelvorMain::GetCountryResourceName(country, name);
    return "MG_" + name;
}

PropertyNode* AddNode(PropertyNode& parent, const std::string& name) {
    auto* node = new PropertyNode(name, "Node");
    parent.InsertProperty(node);
    return node;
}

void AddInt(PropertyNode* node, const std::string& name, int value) {
    node->InsertProperty(new PropertyValue(name, value));
}

void AddBool(PropertyNode* node, const std::string& name, bool value) { node->InsertBoolean(name, value, false); }

// The child node, or null when missing (the dummy node counts as missing).
const PropertyNode* FindNode(const PropertyNode& parent, const std::string& name) {
    if (!parent.HasProperty(name))
        return nullptr;
    const PropertyNode* node = parent.GetNode(name);
    return node != &dummyPropertyNode ? node : nullptr;
}

int IntOf(const PropertyNode* node, const std::string& name) { return node->GetValue(name)->ToInt(); }
bool BoolOf(const PropertyNode* node, const std::string& name) { return node->GetValue(name)->ToBoolean(); }

bool InRange(int value, int count) { return value >= 0 && value < count; }

}  // namespace

DelvorPlayer::DelvorPlayer(const std::string& name) : AbstractPlayer(name) { Initialize(); }

DelvorPlayer::DelvorPlayer(AbstractProperty* node) : AbstractPlayer(node) {
    Initialize();
    LoadData(node);
}

BaseObject* DelvorPlayer::OnData(AbstractProperty* node) { return new DelvorPlayer(node); }

DelvorPlayer* DelvorPlayer::GetCurrent() {
    if (!PlayerManager::g_Instance)
        return nullptr;
    return DynamicCast<DelvorPlayer>(PlayerManager::g_Instance->GetCurrentPlayer());
}

void DelvorPlayer::Initialize() {
    InitLevelInfo();
    InitUpgradeInfo();
    InitTutorialInfo();
    InitVignetteInfo();
    InitMiniGameData();
    m_iLastTrophy = 0;
    m_bSawFinalTrophy = false;
    m_sStoryScene.clear();
}

// ---- records

DelvorPlayer::LevelInformation& DelvorPlayer::Level(int country, int day) {
    if (!InRange(country - 1, COUNTRY_COUNT) || !InRange(day - 1, DAY_COUNT)) {
        m_ScratchLevel = LevelInformation();
        return m_ScratchLevel;
    }
    return m_Levels[country - 1][day - 1];
}

const DelvorPlayer::LevelInformation& DelvorPlayer::Level(int country, int day) const {
    static const LevelInformation none;
    if (!InRange(country - 1, COUNTRY_COUNT) || !InRange(day - 1, DAY_COUNT))
        return none;
    return m_Levels[country - 1][day - 1];
}

DelvorPlayer::UpgradeInformation& DelvorPlayer::Upgrade(int index) {
    if (!InRange(index, UPGRADE_COUNT)) {
        m_ScratchUpgrade = UpgradeInformation();
        return m_ScratchUpgrade;
    }
    return m_Upgrades[index];
}

const DelvorPlayer::UpgradeInformation& DelvorPlayer::Upgrade(int index) const {
    static const UpgradeInformation none;
    return InRange(index, UPGRADE_COUNT) ? m_Upgrades[index] : none;
}

bool DelvorPlayer::IsExpertAtLevel(int country, int day) const {
    const LevelInformation& level = Level(country, day);
    return level.iMoneyTotal > level.iExpert;
}

void DelvorPlayer::SetSeenTutorial(int step, bool seen) {
    if (InRange(step, TUTORIAL_STEPS))
        m_bTutorialSeen[step] = seen;
}

bool DelvorPlayer::HasSeenTutorial(int step) const { return InRange(step, TUTORIAL_STEPS) && m_bTutorialSeen[step]; }

bool DelvorPlayer::HasSeenVignette(int vignette) const {
    return InRange(vignette, VIGNETTE_COUNT) && m_bVignetteSeen[vignette];
}

void DelvorPlayer::SetSeenVignette(int vignette, bool seen) {
    if (InRange(vignette, VIGNETTE_COUNT))
        m_bVignetteSeen[vignette] = seen;
}

int DelvorPlayer::CardCountry(int country) { return country < 0 ? DelvorMain::m_nCurCountry : country; }

int DelvorPlayer::GetMiniGameCardValue(int column, int row, int country) const {
    country = CardCountry(country);
    if (!InRange(country - 1, COUNTRY_COUNT) || !InRange(row, CARD_ROWS) || !InRange(column, CARD_COLUMNS))
        return NO_CARD;
    return m_iCards[country - 1][row][column];
}

void DelvorPlayer::SetMiniGameCardValue(int column, int row, int value, int country) {
    country = CardCountry(country);
    if (!InRange(country - 1, COUNTRY_COUNT) || !InRange(row, CARD_ROWS) || !InRange(column, CARD_COLUMNS))
        return;
    m_iCards[country - 1][row][column] = value;
}

// ---- defaults

void DelvorPlayer::InitLevelInfo() {
    for (auto& country : m_Levels) {
        for (auto& level : country)
            level = LevelInformation();
    }
    m_Levels[0][0].iMoneyTotal = 0;
}

void DelvorPlayer::InitUpgradeInfo() {
    for (auto& upgrade : m_Upgrades)
        upgrade = UpgradeInformation();
}

void DelvorPlayer::InitTutorialInfo() {
    m_bShowedTutorialYesNo = false;
    m_bDoTutorial = true;
    for (bool& seen : m_bTutorialSeen)
        seen = false;
}

void DelvorPlayer::InitVignetteInfo() {
    for (bool& seen : m_bVignetteSeen)
        seen = false;
}

void DelvorPlayer::InitMiniGameData() {
    for (auto& country : m_iCards) {
        for (auto& row : country) {
            for (int& card : row)
                card = NO_CARD;
        }
    }
}

// ---- rules

void DelvorPlayer::SetLevelData(int money, int expert, int artifacts, int country, int day) {
    if (country < 1)
        country = DelvorMain::m_nCurCountry;
    if (day < 1)
        day = DelvorMain::m_nCurDay;
    LevelInformation& level = Level(country, day);
    const bool merelyUnlockedAgain = expert == UNLOCK_EXPERT && money == 0 && level.iMoneyTotal >= 1;
    if (money > level.iMoneyTotal)
        level.iMoneyTotal = money;
    if (!merelyUnlockedAgain)
        level.iExpert = expert;
    if (artifacts > level.iArtifacts)
        level.iArtifacts = artifacts;
}

int DelvorPlayer::GetTotalMoneyEarned() const {
    int total = 0;
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            if (Level(country, day).iMoneyTotal > 0)
                total += Level(country, day).iMoneyTotal;
        }
    }
    return total;
}

int DelvorPlayer::GetTotalArtifactsFound() const {
    int total = 0;
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day)
            total += Level(country, day).iArtifacts;
    }
    return total;
}

void DelvorPlayer::GetHighestLevelBeaten(int& country, int& day) const {
    country = -1;
    day = -1;
    for (int c = 1; c <= COUNTRY_COUNT; ++c) {
        for (int d = 1; d <= DelvorMain::GetMaxDayForCountry(c); ++d) {
            if (Level(c, d).iMoneyTotal < 1)
                return;
            country = c;
            day = d;
        }
    }
}

bool DelvorPlayer::HasBeatenGame() const { return Level(COUNTRY_COUNT, DAY_COUNT).iMoneyTotal > 0; }

bool DelvorPlayer::DoIntroTutorial() const {
    return DelvorMain::m_nCurCountry == 1 && DelvorMain::m_nCurDay == 1 && m_bDoTutorial;
}

bool DelvorPlayer::CanShowTutorial(int step) const {
    if (!InRange(step, TUTORIAL_STEPS) || m_bTutorialSeen[step])
        return false;
    return step > LAST_GUIDED_STEP || m_bDoTutorial;
}

bool DelvorPlayer::ShouldShowTutorialYesNoDialog() const {
    if (m_bShowedTutorialYesNo)
        return false;
    return DelvorMain::m_nCurCountry == 1 && DelvorMain::m_nCurDay == 1;
}

bool DelvorPlayer::ShouldShowStory(int vignette, std::string& name, bool force) {
    if (HasSeenVignette(vignette) && !force)
        return false;
    RemoveStory();
    if (ResourceManager* resources = ResourceManager::g_Instance) {
        std::string section;
        SceneStory::GetVignetteWaitingSection(vignette, section);
        resources->WaitingFor("story");
        resources->WaitingFor(section);
        resources->WaitingFor("sceneancientmap");
    }
    SceneStory::GetStoryNameFromID(vignette, name);
    SceneManager* scenes = SceneManager::g_Instance;
    if (scenes && !scenes->GetScene(name))
        scenes->CreateScene(name);
    m_sStoryScene = name;
    return true;
}

void DelvorPlayer::RemoveStory() {
    SceneManager* scenes = SceneManager::g_Instance;
    if (!m_sStoryScene.empty() && scenes && scenes->GetScene(m_sStoryScene))
        scenes->RemoveScene(m_sStoryScene);
    m_sStoryScene.clear();
}

// ---- player list and save game

void DelvorPlayer::Save(AbstractProperty* node) {
    AbstractPlayer::Save(node);
    if (node)
        node->SetTypeName("DelvorPlayer");
}

void DelvorPlayer::UnLoadData() {
    if (DVUpgradeHandler::g_Instance)
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
}

void DelvorPlayer::SaveData(AbstractProperty*) {
    PlayerManager* players = PlayerManager::g_Instance;
    AbstractPlayer* current = players ? players->GetCurrentPlayer() : nullptr;
    if (!current)
        return;
    PropertyStore store;
    SaveLevels(store);
    if (DVUpgradeHandler::g_Instance)
        DVUpgradeHandler::g_Instance->SaveUpgrades(store);
    SaveTutorial(store);
    SaveVignettes(store);
    SaveMiniGames(store);
    SaveTrophies(store);
    players->SaveSaveGameToDisk(store, SAVEGAME_DELVOR, current->GetName());
}

void DelvorPlayer::SaveLevels(PropertyNode& root) const {
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            const LevelInformation& level = Level(country, day);
            if (level.iMoneyTotal < 0)
                return;
            PropertyNode* node = AddNode(root, LevelName(country, day));
            AddInt(node, "total", level.iMoneyTotal);
            AddInt(node, "expert", level.iExpert);
            AddInt(node, "artifacts", level.iArtifacts);
        }
    }
}

void DelvorPlayer::SaveTutorial(PropertyNode& root) const {
    PropertyNode* node = AddNode(root, "Tutorial");
    // A yes never followed by the first step is not kept: the question comes again.
    const bool askAgain = m_bDoTutorial && !m_bTutorialSeen[0];
    AddBool(node, "showed_tutorialYesNo", askAgain ? false : m_bShowedTutorialYesNo);
    AddBool(node, "do_tutorial", askAgain ? false : m_bDoTutorial);
    for (int step = 0; step < TUTORIAL_STEPS; ++step)
        AddBool(node, Format("tut_%d", step), m_bTutorialSeen[step]);
}

void DelvorPlayer::SaveVignettes(PropertyNode& root) const {
    PropertyNode* node = AddNode(root, "Vignettes");
    for (int vignette = 0; vignette < VIGNETTE_COUNT; ++vignette)
        AddBool(node, Format("vig_%d", vignette), m_bVignetteSeen[vignette]);
}

void DelvorPlayer::SaveMiniGames(PropertyNode& root) const {
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        const auto& cards = m_iCards[country - 1];
        if (cards[0][0] == NO_CARD)
            continue;
        PropertyNode* node = AddNode(root, MiniGameNodeName(country));
        for (int row = 0; row < CARD_ROWS; ++row) {
            for (int column = 0; column < CARD_COLUMNS; ++column) {
                if (cards[row][column] != NO_CARD)
                    AddInt(node, Format("Card%d_%d", row, column), cards[row][column]);
            }
        }
    }
}

void DelvorPlayer::SaveTrophies(PropertyNode& root) const {
    PropertyNode* node = AddNode(root, "Trophies");
    AddInt(node, "lasttrophy", m_iLastTrophy);
    AddBool(node, "sawfinaltrophy", m_bSawFinalTrophy);
}

void DelvorPlayer::LoadData(AbstractProperty*) {
    PlayerManager* players = PlayerManager::g_Instance;
    if (!players || GetName().empty())
        return;
    PropertyStore store;
    if (!players->LoadSaveGameFromDisk(store, SAVEGAME_DELVOR, GetName()))
        return;
    LoadLevels(store);
    LoadUpgrades(store);
    LoadTutorial(store);
    LoadVignettes(store);
    LoadMiniGames(store);
    LoadTrophies(store);
    if (DVUpgradeHandler::g_Instance && GetCurrent() == this)
        DVUpgradeHandler::g_Instance->SetupUserUpgrades();
}

void DelvorPlayer::LoadLevels(const PropertyNode& root) {
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            const PropertyNode* node = FindNode(root, LevelName(country, day));
            if (!node)
                return;
            LevelInformation& level = Level(country, day);
            level.iMoneyTotal = IntOf(node, "total");
            level.iExpert = IntOf(node, "expert");
            level.iArtifacts = IntOf(node, "artifacts");
        }
    }
}

void DelvorPlayer::LoadUpgrades(const PropertyNode& root) {
    // Records behind the last saved one must not survive from before.
    InitUpgradeInfo();
    for (int index = 1; index <= UPGRADE_COUNT; ++index) {
        const PropertyNode* node = FindNode(root, Format("Upgrade%d", index));
        if (!node)
            return;
        UpgradeInformation& upgrade = Upgrade(index - 1);
        upgrade.sUpgradeID = node->GetPropString("upgrade_id");
        upgrade.iCountry = IntOf(node, "achieved_country");
        upgrade.iDay = IntOf(node, "achieved_day");
        upgrade.bUsed = BoolOf(node, "used");
        upgrade.bCheat = BoolOf(node, "cheat");
    }
}

void DelvorPlayer::LoadTutorial(const PropertyNode& root) {
    const PropertyNode* node = FindNode(root, "Tutorial");
    if (!node)
        return;
    m_bShowedTutorialYesNo = BoolOf(node, "showed_tutorialYesNo");
    m_bDoTutorial = BoolOf(node, "do_tutorial");
    for (int step = 0; step < TUTORIAL_STEPS; ++step)
        m_bTutorialSeen[step] = BoolOf(node, Format("tut_%d", step));
}

void DelvorPlayer::LoadVignettes(const PropertyNode& root) {
    const PropertyNode* node = FindNode(root, "Vignettes");
    if (!node)
        return;
    for (int vignette = 0; vignette < VIGNETTE_COUNT; ++vignette)
        m_bVignetteSeen[vignette] = BoolOf(node, Format("vig_%d", vignette));
}

void DelvorPlayer::LoadMiniGames(const PropertyNode& root) {
    for (int country = 1; country <= COUNTRY_COUNT; ++country) {
        const PropertyNode* node = FindNode(root, MiniGameNodeName(country));
        if (!node)
            continue;
        for (int row = 0; row < CARD_ROWS; ++row) {
            for (int column = 0; column < CARD_COLUMNS; ++column) {
                const std::string name = Format("Card%d_%d", row, column);
                if (node->HasProperty(name))
                    m_iCards[country - 1][row][column] = IntOf(node, name);
            }
        }
    }
}

void DelvorPlayer::LoadTrophies(const PropertyNode& root) {
    const PropertyNode* node = FindNode(root, "Trophies");
    m_iLastTrophy = node ? IntOf(node, "lasttrophy") : 0;
    m_bSawFinalTrophy = node && BoolOf(node, "sawfinaltrophy");
}
