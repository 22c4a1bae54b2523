#pragma once
// The level scene: one day at a dig site, built from the day's scene node
// and its `variables`. It runs the day's numbered states, scores every
// action by type against the goal and the expert goal, and stores the
// day's result in the player's profile.
#include <array>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/core/ZQVector.h"
#include "engine/framework/MouseCursorCounter.h"
#include "engine/math/Point_t.h"
#include "engine/framework/iMessageListener.h"
#include "source/game/DVClickHandler.h"
#include "source/game/DVPathFinder.h"
#include "source/scenes/SceneDelvor.h"

namespace ZQ2 {
class Button;
class Label;
class PropertyVector;
class Sprite;
}  // namespace ZQ2
class ClickObject;
class DelvorCharacter;
class DelvorClock;
class DelvorHole;
class DelvorWorker;
class Dovidi;
class Vuru;

class SceneGame : public SceneDelvor, public ZQ2::iMessageListener {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int SCORE_TYPE_COUNT = 19;
    static constexpr int MAX_ARTIFACTS_PER_HOLE = 8;
    static constexpr int LAST_COUNTRY = 7;
    static constexpr int FINAL_TROPHY = 12;
    static constexpr int MAX_HOLES = 8;
    static constexpr int CLOUD_COUNT = 3;

    enum eGameState {
        STATE_BUILT = 0,
        STATE_SETUP = 1,
        STATE_UPGRADE_SHOP = 2,
        STATE_WORKERS_WALK_IN = 4,
        STATE_START_DIALOG = 5,
        STATE_TUTORIAL_QUESTION = 6,
        STATE_RUNNING = 7,
        STATE_TIME_UP = 8,
        STATE_WINDING_DOWN = 9,
        STATE_HOLES_FINISHED = 10,
        STATE_DOVIDI_GOING_HOME = 11,
        STATE_END_STAGE = 12,
        STATE_MINIGAME = 13,
        STATE_TROPHY = 14,
        STATE_WIN_LOSS = 15,
        STATE_END_DIALOG = 16,
        STATE_LEAVING = 17,
    };

    // The day's tuning from the node's `variables`; each member keeps its
    // default when the key is missing.
    struct LevelVariables {
        int iPointsWin = 0;
        int iPointsExpert = 0;
        int iTotalSeconds = 0;
        int iDiggersMale = 2;
        int iDiggersFemale = 0;
        int iDiggerColors = 0;
        int iPickers = 0;
        bool bHasVuvivedod = false;
        int iSprayBottle = 0;
        float fChanceVuruWantsTwoItems = 0.5f;
        float fChanceBottleMultiColor = 0.5f;
        int aiHolesWithArtifacts[MAX_ARTIFACTS_PER_HOLE] = {};
        int iArtifactsGold = 0;
        int iArtifactsSilver = 0;
        int iArtifactsBronze = 0;
        int iTimeSurvey = 10000;
        float fRockChance = 0.0f;
        int iMinRocks = 0;
        int iMaxRocks = 0;
        int iMinPicks = 1;
        int iMaxPicks = 1;
        int iMinDepth = 12;
        int iMaxDepth = 12;
        float fHungerChance = 0.5f;
        int iHungerVariation = 0;
        int iThirstVariation = 0;
        int iDizzyVariation = 0;
        int iTimeUntilImpatient = 0;
        int iMiniGameTries = 3;
        int iMiniGamePreview = 3000;
        int iMiniGameCards = 4;
        // The villain's deed weights: item, artifact, one hole's hypnosis, mass hypnosis.
        int aiDeedWeights[4] = {};
    };

    // The scene OnStop enters.
    static std::string g_strNextScreen;

    explicit SceneGame(ZQ2::AbstractProperty* data);
    ~SceneGame() override;
    SceneGame(const SceneGame&) = delete;
    SceneGame& operator=(const SceneGame&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Initialize() override;
    void OnActivate() override;
    void OnEnter() override;
    void OnDeactivate() override;
    void Tick(int deltaMs) override;
    void ProcessMessage(const ZQ2::Message& message) override;
    // Shows the quit question; a day that was not paused is paused under it
    // and goes on when the answer is "No".
    bool HandleCloseMessage() override;
    static void OnQuitQuestionNo(ZQ2::BaseObject* question, ZQ2::BaseObject* sender);

    // ---- level data and naming
    const LevelVariables& GetVariables() const { return m_Vars; }
    int GetCountry() const { return m_iCountry; }
    int GetDay() const { return m_iDay; }
    int GetHoleCount(int artifacts) const;
    void SetHoleCount(int artifacts, int holes);
    // Type 0 bronze, 1 silver, 2 gold.
    int GetArtifactCount(int type) const;
    void SetArtifactCount(int type, int count);
    int GetTotalArtifactsInScene() const;
    int GetExpectedNumHolesInScene() const;
    int GetNumMiniGameMisses() const { return m_Vars.iMiniGameTries; }
    const std::vector<int>& GetDiggerColorOrder() const { return m_DiggerColors; }
    const std::string& GetWaitAreaSlots() const { return m_sWaitSlots; }

    static std::string GetLevelNameFromData(int country, int day);
    std::string GetCurrentLevelName() const { return GetLevelNameFromData(m_iCountry, m_iDay); }
    static std::string GetLevelSection(int country);
    std::string GetCurLevelMusic() const;
    static std::string GetCountryResourceName(int country);
    std::string GetCurrentCountryResourceName() const { return GetCountryResourceName(m_iCountry); }
    static std::string GetCountryNameFromID(int country);
    std::string GetCurrentCountryName() const { return GetCountryNameFromID(m_iCountry); }
    static int GetNumArtifactsInLevel(int country);
    // One colour type per digger, every entry set.
    static std::vector<int> GetColorDiggerOrder(int country, int day, int diggers, int colors);
    static int ClampCountry(int country);
    // The level being played: the main scene, also while the transition
    // into it still runs; null when the main scene is not a level.
    static SceneGame* GetCurrentLevel();

    // ---- the day's states
    int GetGameState() const { return m_iGameState; }
    void SetGameState(int state);
    bool IsGameRunning() const { return !m_bPaused && m_iGameState == STATE_RUNNING; }
    bool IsGameInProgress() const { return m_iGameState >= STATE_RUNNING && m_iGameState <= STATE_WIN_LOSS; }
    bool HasStageStarted() const { return m_iGameState > STATE_TUTORIAL_QUESTION; }
    bool HasStageEnded() const { return m_iGameState > STATE_WINDING_DOWN; }
    bool IsTimerExpired() const;
    bool IsGamePaused() const { return m_bPaused; }
    DelvorClock* GetClock() const { return m_pClock; }
    DVPathFinder& GetPathFinder() { return m_PathFinder; }
    DVClickHandler& GetClickHandler() { return m_ClickHandler; }

    void StartLevel();
    void ReplayLevel() { StartLevel(); }
    void RestartLevelAnimationFinished();
    // A shop day opens with the upgrade shop, the level paused behind it;
    // without the shop dialog the day opens at once.
    void ShowUpgradeDialog();
    // The shop's close: the level goes on to the day's opening.
    static void OnUpgradeDialogClosed(ZQ2::BaseObject* scene, ZQ2::BaseObject* dialog);
    void DoStartStageAnimation();
    void MoveAllWorkersToWaitingArea(int state);
    void SendAllWorkersHome();
    void DoWorkerWalkFinished();
    void DoBossWalkFinished();
    void ShowStartStageDialog();
    bool AllWorkersHaveWalkedIn() const;
    void OnStartStageDialogClosed();
    void CheckForStageDone();
    // Sends the carrier home at the end of the day unless she is on her way.
    void SendDovidiHomeAtGameEnd();
    void DoTimerExpiredFinished();
    // Every hole worked to its end: the day's bonus, then the end of the day.
    void DoAllHolesFinishedAnimation(bool force);
    void DoHolesFinishedAnimationFinished();
    void DoEndStageAnimationFinished();
    void OnMiniGameClosed();
    void DoEndDayWinLossAnimationFinished();
    void DoTrophyAnimationFinished();
    void OnStageEndDialogClosed();

    void Pause(bool on);
    void HandleAction(ZQ2::GameNode* component);
    // The click of a scene button, passed on to HandleAction.
    static void OnActionClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    void OnMenuClick() { m_bMenuRequest = true; }
    // Dovidi's two-item flag as she reports it; -1 while there is no Dovidi.
    void SetDovidiTwoItems(int flag) { m_iDovidiTwoItems = flag; }
    static void OnDialogMenuOrPauseClosed(ZQ2::BaseObject* scene, ZQ2::BaseObject* dialog);
    // Leaves the level: the current position becomes the previous one and
    // the next screen is entered through "TRANSITION_DEFAULT".
    static void OnStop(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);

    // ---- scoring
    int GetFunds() const { return m_iFunds; }
    int GetScoreValue(int type, bool penalty) const;
    int GetArtifactScore(int type) const;
    // The guide upgrade's bonus on an artifact score type (11 to 13).
    static int GetGuideBonus(int type);
    void AddPointsByType(int type, bool penalty, ZQ2::Sprite* sprite = nullptr, int extra = -1);
    // The extra of the latest award of a type (for a find, the crate lid
    // its score rises from), -1 before any.
    int GetLastScoreExtra(int type) const;
    bool PassedGoal(int oldFunds, int newFunds) const;
    bool PassedExpert(int oldFunds, int newFunds) const;
    bool ExceededGoal() const;
    bool ExceededExpert() const;
    bool EarnedTrophy(int& trophy) const;
    static int GetHighestTrophyForNumArtifacts(int count);
    int GetTrophyEarned() const { return m_iTrophy; }
    int GetArtifactsFoundToday() const { return m_iArtifactsToday; }
    void SetArtifactsFoundToday(int count) { m_iArtifactsToday = count; }
    int GetPassedGoalAnimations() const { return m_iPassedGoalAnimations; }
    std::string GetPointsText() const;
    std::string GetPointsToWinText() const;
    std::string GetPointsExpertText() const;
    std::string GetNumArtifactsFoundText() const;
    std::string GetTotalPointsText() const;
    std::string GetTotalArtifactsFoundText() const;
    void UpdateFundsEarnedText();
    static int GetTotalArtifactsFound();
    static int GetTotalMoneyEarned();
    void SaveGameResults();
    void SaveHighScore();

    // ---- the site's characters
    Vuru* GetVuru() const { return m_spVuru.Get(); }
    Dovidi* GetDovidi() const { return m_spDovidi.Get(); }
    ClickObject* GetVuvivedod() const { return m_spVuvivedod.Get(); }
    // Holds one reference to each; the villain may be null.
    void SetCharacters(Vuru* vuru, Dovidi* dovidi, ClickObject* villain);
    const ZQ2::ZQVector<ZQ2::SmartPtr<DelvorWorker>>& GetWorkers() const { return m_Workers; }
    void SetVuvivedodChanceDeedWeight(int kind, int weight);
    int GetVuvivedodChanceDeedWeight(int kind) const;

    // ---- the waiting area
    int AddWorkerToWaitArea(DelvorWorker* worker);
    void FreeDiggerFromWaitArea(int index, char letter);
    void GetWaitArea(int& x, int& y, int& width) const;
    void GetWaitAreaCoordinates(int index, int& x, int& y) const;
    void MoveWorkerToWaitingArea(DelvorWorker* worker);
    void SendDiggerHome(DelvorWorker* worker);
    bool AreAllWorkersInWaitArea() const;
    bool AreAllWorkersOffScreen() const;
    bool IsAWorkerInWaitingArea(DelvorWorker* except) const;
    // 1 male diggers, 2 female diggers, 3 all diggers, 4 pickers, else all.
    int GetNumWorkers(int kind) const;
    bool HasPicker() const { return m_Vars.iMinRocks > 0 || m_Vars.iMaxRocks > 0; }

    // ---- dragging and dropping
    DelvorWorker* GetWorkerToDrag() const { return m_spWorkerToDrag.Get(); }
    void SetWorkerToDrag(DelvorWorker* worker);
    bool OnMouseMoved(const ZQ2::MouseMessageData& m) override;
    bool OnMouseMoved(float x, float y);
    using SceneDelvor::OnMouseLeftUp;
    bool OnMouseLeftUp();
    bool DropWorkerOnHole(ClickObject* hole);
    // The pointing hand over a click object, else the arrow.
    void IsOverClickObject(bool over);
    int GetCursorType() const { return m_Cursor.GetType(); }

    // ---- the tutorial's gates: no tutorial runs yet, so nothing is held back
    bool IsTutorialActive() const { return false; }
    bool TutorialAllowsHighlight(ClickObject*) const { return true; }
    bool AdvanceStateIfTutorialAllowsClick(ClickObject*) { return true; }
    bool TutorialShouldPreventHunger(ClickObject*) const { return false; }

    // ---- directing the characters
    int GetDestType(ClickObject* target, ClickObject* character) const;
    void DoAction(ClickObject* target, ClickObject* character);
    bool IsVuruAtHole(ClickObject* hole) const;
    bool IsVuruGoingToHole(ClickObject* hole) const;
    bool IsVuruCuringDigger() const;
    bool IsVuruDoneWithTasks() const;

    // ---- holes
    DelvorHole* GetHole(int n, bool all) const;
    int GetNumHoles() const;
    int GetRandomHole() const;
    bool AreAllHolesFinished() const;
    bool IsHoleThatNeedsWorker(DelvorWorker* worker) const;
    void GetHoleWorkerNeeds(bool& digger, bool& picker) const;
    void ResetWorkerPrevNeeds();
    void ResetWorkerPatienceBasedOnHoleNeeds();
    int GetImpatienceTime() const;

    // ---- the hourglass and time
    void SetHourglass();
    void ShowHourglass();
    void UseHourglass();
    static void OnUseHourglass(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    void DoHourglassAnimationFinished(ZQ2::Sprite* sprite);
    ZQ2::Button* GetHourglassButton() const { return m_pHourglassButton; }
    int GetElapsedTime(int since) const;
    int GetCurrentTimestamp() const;

    // ---- other queries and the site's set-up
    ZQ2::Sprite* GetLidSprite(int i) const;
    ZQ2::Point_t<float> GetLidCoordinates(int i) const;
    bool HasMedicine() const;
    void ClearPlayerRequests();
    void SetupCrush();
    void SetupDovidiTable();
    void SetupGenerators();
    void CleanupGenerators();
    void ActivateListeners(bool on);
    void AddOrRemoveListener(bool on, ZQ2::GameNode* object);
    void StartIdleAnimations();
    void ClearBossAnimations();
    void HideUnusedHoleRequests();
    ZQ2::Sprite* GetCloud(int i);
    void ClearClouds();
    void AddArtifactToBin(int n);
    const ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>>& GetBinArtifacts() const { return m_BinArtifacts; }
    void ClearTableHighlights(ClickObject* item);
    void RemoveItemsOfTypeFromTable(int type);
    void RedisplayItemsWithUpgrades();

    // ---- stand-ins for the tutorial services the directed figures call,
    // until its own work lands
    int GetTutorialState() const { return -1; }
    void ShowTutorial(int, bool) {}
    void DoContextTutorialAction(int, ClickObject*) {}
    bool TutorialChooseVuruRequests() { return false; }

    // ---- what the workers ask of the day. Stand-ins for the tutorial and
    // the villain until they land: neither holds a worker back.
    bool ShouldSendDiggerHome(DelvorHole* hole) const {
        return hole && (m_iGameState == STATE_TIME_UP || m_iGameState == STATE_WINDING_DOWN);
    }
    bool TutorialShouldPreventHunger(DelvorWorker*) const { return false; }
    void DoIntroTutorialAction(DelvorWorker*) {}
    bool IsVuvivedodAtHole(DelvorHole*) const { return false; }
    int GetDovidiTwoItems() const { return m_iDovidiTwoItems; }

private:
    void StartMusic();
    void ReadVariables(ZQ2::PropertyVector* vars);
    void DeriveBronze();
    void SetupScoring();
    void InitDiggerWaitArea(int diggers, int pickers);
    void SetupHoles();
    void DealArtifacts();
    void AddSiteBlocks();
    void SetLabelText(const char* name, const std::string& text);
    ZQ2::GameNode* FindComponent(const char* name);
    void PlayEarnSound() const;
    void ReadDeedWeights(ZQ2::PropertyVector* vars);
    void LinkNear(ZQ2::GameNode* node, const char* name, bool after);
    void CreateCharacters();
    void FindLids();
    void CreateWorkers();
    void LinkWorker(DelvorWorker* worker);
    // The DelvorItem children of a table, by their item flag.
    std::vector<ClickObject*> GetTableItems(const char* table);
    static void PlaySound(const char* name);

    LevelVariables m_Vars;
    ZQ2::Button* m_pMenuButton = nullptr;
    bool m_bMenuButtonRequest = false;
    bool m_bMenuRequest = false;
    bool m_bPaused = false;
    bool m_bListening = false;
    int m_iGameState = STATE_BUILT;
    bool m_bMusicMissingReported = false;
    int m_iDovidiTwoItems = -1;
    int m_iFunds = 0;
    int m_iCountry = 1;
    int m_iDay = 1;
    int m_iArtifactsToday = 0;
    int m_iTotalArtifactsAtStart = -1;
    int m_iTrophy = 0;
    int m_iBossWalksFinished = 0;
    int m_iWorkerWalksFinished = 0;
    int m_iPassedGoalAnimations = 0;
    int m_aiScoreValues[SCORE_TYPE_COUNT] = {};
    int m_aiPenaltyValues[SCORE_TYPE_COUNT] = {};
    ZQ2::UTF8String m_asScoreTexts[SCORE_TYPE_COUNT];
    std::array<int, SCORE_TYPE_COUNT> m_aiLastScoreExtras = [] {
        std::array<int, SCORE_TYPE_COUNT> none{};
        none.fill(-1);
        return none;
    }();
    std::vector<int> m_DiggerColors;
    std::string m_sWaitSlots;
    std::vector<int> m_HoleArtifacts;
    DelvorClock* m_pClock = nullptr;
    DVPathFinder m_PathFinder;
    DVClickHandler m_ClickHandler;
    ZQ2::Button* m_pHourglassButton = nullptr;
    ZQ2::SmartPtr<Vuru> m_spVuru;
    ZQ2::SmartPtr<Dovidi> m_spDovidi;
    ZQ2::SmartPtr<ClickObject> m_spVuvivedod;
    ZQ2::ZQVector<ZQ2::SmartPtr<DelvorWorker>> m_Workers;
    ZQ2::SmartPtr<DelvorWorker> m_spWorkerToDrag;
    bool m_bPrevNeedDigger = false;
    bool m_bPrevNeedPicker = false;
    ZQ2::MouseCursorCounter m_Cursor;
    ZQ2::Sprite* m_apLids[2] = {};
    ZQ2::Point_t<float> m_aLidCentres[2];
    ZQ2::SmartPtr<ZQ2::Sprite> m_aspClouds[CLOUD_COUNT];
    ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>> m_BinArtifacts;
    // Pieces that are missing from the scene's data, each reported once.
    std::vector<std::string> m_ReportedMissing;
};
