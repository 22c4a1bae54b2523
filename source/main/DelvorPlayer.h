#pragma once
// The game's player profile: the whole campaign state of one player (level
// results, upgrades, tutorial and story progress, minigame cards, trophies),
// kept in the player's save game "delvor".
#include <string>

#include "engine/io/AbstractPlayer.h"
#include "engine/io/ObjectInitializer.h"

namespace ZQ2 {
class PropertyNode;
}

extern const char* const SAVEGAME_DELVOR;

class DelvorPlayer : public ZQ2::AbstractPlayer {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int COUNTRY_COUNT = 7;
    static constexpr int DAY_COUNT = 10;
    static constexpr int UPGRADE_COUNT = 21;
    static constexpr int TUTORIAL_STEPS = 22;
    // Steps up to this one belong to the guided tutorial; later ones are hints.
    static constexpr int LAST_GUIDED_STEP = 15;
    static constexpr int VIGNETTE_COUNT = 16;
    static constexpr int CARD_ROWS = 5;
    static constexpr int CARD_COLUMNS = 8;
    static constexpr int LOCKED = -1;
    static constexpr int NO_CARD = -1;
    static constexpr int DEFAULT_EXPERT = 100000;
    static constexpr int UNLOCK_EXPERT = 10000;

    struct LevelInformation {
        int iMoneyTotal = LOCKED;
        int iExpert = DEFAULT_EXPERT;
        int iArtifacts = 0;
    };
    struct UpgradeInformation {
        std::string sUpgradeID;
        int iCountry = 0;
        int iDay = 0;
        bool bUsed = false;
        bool bCheat = false;
    };

    explicit DelvorPlayer(const std::string& name);
    explicit DelvorPlayer(ZQ2::AbstractProperty* node);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // The player manager's current player, or null.
    static DelvorPlayer* GetCurrent();

    void Save(ZQ2::AbstractProperty* node) override;
    void SaveData(ZQ2::AbstractProperty* node) override;
    void LoadData(ZQ2::AbstractProperty* node) override;
    void UnLoadData() override;

    int GetMoneyTotal(int country, int day) const { return Level(country, day).iMoneyTotal; }
    void SetMoneyTotal(int country, int day, int value) { Level(country, day).iMoneyTotal = value; }
    int GetExpertLevel(int country, int day) const { return Level(country, day).iExpert; }
    void SetExpertLevel(int country, int day, int value) { Level(country, day).iExpert = value; }
    int GetArtifactsFound(int country, int day) const { return Level(country, day).iArtifacts; }
    void SetArtifactsFound(int country, int day, int value) { Level(country, day).iArtifacts = value; }
    bool IsExpertAtLevel(int country, int day) const;

    void GetUpgradeID(int index, std::string& out) const { out = Upgrade(index).sUpgradeID; }
    void SetUpgradeID(int index, std::string id) { Upgrade(index).sUpgradeID = std::move(id); }
    int GetCountryAchieved(int index) const { return Upgrade(index).iCountry; }
    void SetCountryAchieved(int index, int country) { Upgrade(index).iCountry = country; }
    int GetDayAchieved(int index) const { return Upgrade(index).iDay; }
    void SetDayAchieved(int index, int day) { Upgrade(index).iDay = day; }
    bool IsUsed(int index) const { return Upgrade(index).bUsed; }
    void SetUsed(int index, bool used) { Upgrade(index).bUsed = used; }
    bool IsCheat(int index) const { return Upgrade(index).bCheat; }
    void SetCheat(int index, bool cheat) { Upgrade(index).bCheat = cheat; }

    void SetSeenTutorial(int step, bool seen);
    bool HasSeenTutorial(int step) const;
    bool HasSeenVignette(int vignette) const;
    void SetSeenVignette(int vignette, bool seen);
    bool HasShownTutorialQuestion() const { return m_bShowedTutorialYesNo; }
    void SetShownTutorialQuestion(bool shown) { m_bShowedTutorialYesNo = shown; }
    bool IsDoTutorial() const { return m_bDoTutorial; }
    void SetDoTutorial(bool doTutorial) { m_bDoTutorial = doTutorial; }

    // A negative country means the current one.
    int GetMiniGameCardValue(int column, int row, int country) const;
    void SetMiniGameCardValue(int column, int row, int value, int country);

    int GetLastTrophy() const { return m_iLastTrophy; }
    void SetLastTrophy(int trophy) { m_iLastTrophy = trophy; }
    bool HasSeenFinalTrophy() const { return m_bSawFinalTrophy; }
    void SetSeenFinalTrophy(bool seen) { m_bSawFinalTrophy = seen; }
    const std::string& GetStorySceneName() const { return m_sStoryScene; }

    void InitTutorialInfo();
    void InitVignetteInfo();
    void InitMiniGameData();
    void InitLevelInfo();
    void InitUpgradeInfo();
    void RemoveStory();

    // Country below 1: the current one; day below 1: the current one.
    void SetLevelData(int money, int expert, int artifacts, int country, int day);
    int GetTotalMoneyEarned() const;
    int GetTotalArtifactsFound() const;
    void GetHighestLevelBeaten(int& country, int& day) const;
    bool HasBeatenGame() const;
    bool DoIntroTutorial() const;
    bool CanShowTutorial(int step) const;
    bool ShouldShowTutorialYesNoDialog() const;
    bool ShouldShowStory(int vignette, std::string& name, bool force);

private:
    void Initialize();
    // Out of range, reads see the defaults and writes go to a scratch record.
    LevelInformation& Level(int country, int day);
    const LevelInformation& Level(int country, int day) const;
    UpgradeInformation& Upgrade(int index);
    const UpgradeInformation& Upgrade(int index) const;
    static int CardCountry(int country);

    void SaveLevels(ZQ2::PropertyNode& root) const;
    void SaveTutorial(ZQ2::PropertyNode& root) const;
    void SaveVignettes(ZQ2::PropertyNode& root) const;
    void SaveMiniGames(ZQ2::PropertyNode& root) const;
    void SaveTrophies(ZQ2::PropertyNode& root) const;
    void LoadLevels(const ZQ2::PropertyNode& root);
    void LoadUpgrades(const ZQ2::PropertyNode& root);
    void LoadTutorial(const ZQ2::PropertyNode& root);
    void LoadVignettes(const ZQ2::PropertyNode& root);
    void LoadMiniGames(const ZQ2::PropertyNode& root);
    void LoadTrophies(const ZQ2::PropertyNode& root);

    LevelInformation m_Levels[COUNTRY_COUNT][DAY_COUNT];
    UpgradeInformation m_Upgrades[UPGRADE_COUNT];
    bool m_bShowedTutorialYesNo = false;
    bool m_bDoTutorial = true;
    bool m_bTutorialSeen[TUTORIAL_STEPS] = {};
    bool m_bVignetteSeen[VIGNETTE_COUNT] = {};
    int m_iCards[COUNTRY_COUNT][CARD_ROWS][CARD_COLUMNS] = {};
    int m_iLastTrophy = 0;
    bool m_bSawFinalTrophy = false;
    std::string m_sStoryScene;
    LevelInformation m_ScratchLevel;
    UpgradeInformation m_ScratchUpgrade;
};
