#pragma once
// One hole of the dig site: a string of dirt, rock and artifact layers dug
// by up to two workers, surveyed and emptied by Vuru, with its pit picture,
// request balloon and dig meter, and the tool work Vuru does on an artifact.
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "source/game/ClickObject.h"

namespace ZQ2 {
class Image;
class Modifier;
class ModifierContainer;
}  // namespace ZQ2
class DelvorMeter;
class DelvorReqBalloon;
class DelvorWorker;
class Vuru;

class DelvorHole : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eHoleState { HOLE_INACTIVE = -1, HOLE_SURVEY = 100, HOLE_REQUEST = 101, HOLE_WORKING = 102, HOLE_FINISHED = 103 };
    enum eLayer : char {
        LAYER_NONE = ' ',
        LAYER_DIRT = 'D',
        LAYER_ROCK = 'R',
        LAYER_BRONZE = 'B',
        LAYER_SILVER = 'S',
        LAYER_GOLD = 'G'
    };
    enum eHoleRequest { REQUEST_NONE = 0, REQUEST_DIGGER = 1, REQUEST_PICKER = 2, REQUEST_VURU = 3 };
    enum eTool { TOOL_SIFTER = 0, TOOL_BRUSH = 1, TOOL_BOTTLE = 2 };
    static constexpr int SLOT_COUNT = 2;
    static constexpr int SPARKLE_COUNT = 3;
    // A rock keeps this many dirt layers between itself and another non-dirt
    // layer (or the top) on each side where dirt follows it.
    static constexpr int ROCK_DIRT_RUN = 5;
    // The rock toughness reported when the hole has no toughness table.
    static constexpr int NO_ROCK_TOUGHNESS = 32;

    explicit DelvorHole(ZQ2::AbstractProperty* node);
    DelvorHole(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target = nullptr,
               ZQ2::iGuiMethod::Method callback = nullptr);
    ~DelvorHole() override;
    DelvorHole(const DelvorHole&) = delete;
    DelvorHole& operator=(const DelvorHole&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    ZQ2::BaseObject* QueryBaseObject() override { return this; }
    bool IsInside(float x, float y) override;

    bool IsAction(ClickObject* object) override;
    bool UseItem(ClickObject* object) override;
    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }
    bool ShouldVuruRespond() const override;
    void StartDelivery() override;
    void EndDelivery() override;
    ZQ2::Point_t<float> GetActionDest(int kind) override;

    // ---- set-up
    void InitHole(float x, float y);
    void SetupHole(int gold, int silver, int bronze);
    void SetupRocks();
    bool CanPlaceRockHere(int index) const;
    void SetTotalDigs();
    void CleanupHole();
    int GetStartState() const { return m_iStartState; }
    // The hole's state is its click object's state.
    int GetHoleState() const { return GetState(); }
    void SetHoleState(int state);
    int GetHoleRequestFromState() const;

    // ---- layers
    const std::string& GetLayers() const { return m_sLayers; }
    int GetLayerCount() const { return static_cast<int>(m_sLayers.size()); }
    int GetCurrentDepth() const { return m_iCurrentDepth; }
    bool CanBeWorked() const { return GetState() == HOLE_REQUEST || GetState() == HOLE_WORKING; }
    char GetCurrentHoleLayer() const;
    bool IsCurrentHoleLayerAnArtifact() const;
    bool IsCurrentHoleLayerRock() const { return GetCurrentHoleLayer() == LAYER_ROCK; }
    bool IsCurrentHoleLayerDirt() const { return GetCurrentHoleLayer() == LAYER_DIRT; }
    bool IsRocky() const { return IsCurrentHoleLayerRock(); }
    char GetHoleLayer(int index) const;
    int GetNextArtifactIndex(int index, char& letter) const;
    int GetDigsToNextArtifact() const;
    int GetHoleContentsSnapshot(std::string& out, int count, int offset) const;
    static bool IsArtifactLetter(char letter);

    // ---- rocks
    int GetRockCount() const { return m_iRockCount; }
    int GetCurrentRockIndex() const { return m_iCurrentRock; }
    int GetCurrentRockToughness() const { return m_iCurrentRockToughness; }
    void SetCurrentRockToughness(char toughness) { m_iCurrentRockToughness = toughness; }
    int GetRockTotalToughness(int index) const;
    void SetRockTotalToughness(int index, char toughness);
    void SetCurrentRockIndex(int index);
    void AdvanceCurrentRockIndex() { SetCurrentRockIndex(m_iCurrentRock + 1); }

    // ---- progress
    void AdvanceCurrentHoleDepth();
    void AdvanceHolePastDirt();
    void Pick(int power);
    static int GetUpgradedPickPower(int power);
    bool Dig(int count);
    void FinishExcavation();
    void StealArtifact();
    void SurveyHole();
    int GetDigsSinceLastArtifact() const { return m_iDigsSinceArtifact; }
    int GetArtifactsTakenOut() const { return m_iArtifactsTaken; }
    int GetTotalDigs() const { return m_iTotalDigs; }

    // ---- workers at the hole
    int GetNumWorkers() const;
    DelvorWorker* GetWorkerAtHoleLocation(int slot) const;
    int GetWorkerIndex(const DelvorWorker* worker) const;
    // A worker's spot is closed to other walkers while it stands there; it
    // opens before that worker plans its way out.
    void OpenSpotOf(const DelvorWorker* worker) {
        const int slot = GetWorkerIndex(worker);
        if (slot >= 0)
            ActivateSlotBlock(slot, false);
    }
    int GetFreeDigSpot() const;
    DelvorWorker* GetOtherWorker(const DelvorWorker* worker) const;
    bool IsWorkerAtHole(int slot) const;
    bool CanAddWorker(DelvorWorker* worker);
    // The click router hands over any figure; only workers are taken.
    bool CanAddWorker(ClickObject* figure);
    void AddWorker(DelvorWorker* worker);
    void AddWorker(ClickObject* figure);
    void RemoveWorker(DelvorWorker* worker);
    void CleanupWorker(DelvorWorker* worker);
    void RemoveAllWorkers();
    void SendDiggerHome(DelvorWorker* worker);
    void SendDiggersHome();
    void SendOtherWorkerHomeIfHungry(DelvorWorker* worker);
    void SendWorkersToWaitArea();
    int GetNumWorkersWorking() const;
    int GetNumWorkersWhoCanCleanHole() const;
    int GetNumWorkersHealthy() const;
    int SetWorkerActivity(int activity, int onlyFrom);
    bool AreWorkersAtHoleImpatient(int activity) const;
    bool AreAllWorkersAtHoleIdle() const;
    void RestartDiggers();
    void ShowWorkersWorking(bool show);
    DelvorWorker* GetDiggerToUnhypnotize() const;
    bool DoWorkersHaveSameRequest() const;
    bool CanWorkersLeaveHole() const { return true; }
    bool ShouldFlipWorker(const DelvorWorker* worker) const;
    void DoCleanHoleStep();
    void DoDiggersCleanHole() {}
    void CheckIfVuvivedodStopsWork();
    bool CausePanic(bool hypnotise);
    bool NeedDiggerAtHole() const;
    bool NeedPickerAtHole() const;
    void WorkersCelebrateFindingArtifact();
    void CelebrateFinished();
    bool IsServed(int slot) const { return m_abServed[slot & 1]; }
    int GetToolsUsed() const { return m_iToolsUsed; }

    // ---- Vuru and the villain
    bool CanVuruProcessHole() const;
    bool CanStealArtifactNow() const;
    int GetBlockIndexForHole(int index) const;

    // ---- requests
    static bool IsRequestForHole(int request) { return request >= 1 && request < 4; }
    static bool IsRequestForVuru(int request) { return request >= 4 && request < 8; }
    static bool IsRequestForWorkerPersonalNeed(int request) { return request >= 8 && request < 11; }
    bool SetupRequestBalloon();
    bool ResetWorkerRequestBalloons() { return SetupRequestBalloon(); }
    bool DoesObjectMatchRequest(ClickObject* object, int& slot);
    bool DoesObjectMatchRequest(ClickObject* object);
    // The first thing on the carrier's table whose name begins with name, matched as above.
    bool DoesItemMatchRequest(const std::string& name);

    // ---- display
    void DisplayHole();
    void ResetHoleImage();
    int GetHoleFrame() const;
    void ShowMeter(bool show);
    void ShowRequestBalloon(bool show);
    void DoFlagFlapAnimation();
    void StopFlagFlapAnimation();
    void CreateArtifact();
    static int GetArtifactForCurrentLevel();
    void CleanupArtifact();
    void CleanupDustCloud();
    ZQ2::Sprite* GetPitSprite() const { return m_spPit.Get(); }
    ZQ2::Sprite* GetRopesSprite() const { return m_spRopes.Get(); }
    ZQ2::Sprite* GetArtifactSprite() const { return m_spArtifact.Get(); }
    ZQ2::Sprite* GetArtifactDirt() const { return m_spArtifactDirt.Get(); }
    ZQ2::Sprite* GetToolSprite() const { return m_spTool.Get(); }
    ZQ2::Sprite* GetDustCloud() const { return m_spDust.Get(); }
    ZQ2::Sprite* GetSparkle(int index) const { return m_aspSparkles[index].Get(); }
    DelvorReqBalloon* GetRequestBalloon() const { return m_spBalloon.Get(); }
    DelvorMeter* GetMeter() const { return m_spMeter.Get(); }
    int GetArtifactNumber() const { return m_iArtifactNumber; }

    // ---- Vuru's tool work
    void DoSifter();
    void DoBrush();
    void DoBottle();
    void CreateTool(int kind);
    void CreateDustCloud(int kind);
    void OnSiftBrushFinished();
    static int GetUpgradedSiftTime(int workers);
    static int GetUpgradedBrushTime(int workers);
    static int GetUpgradedPickTime(int workers);
    // How many times the brush plays its frames: the brushing time split
    // into frame times and then into passes over the brush picture; a zero
    // divisor gives no pass.
    static int GetBrushLoops(int brushTime, int timePerFrame, int frames);
    // A sparkle offset in [-reach, reach); no reach gives 0.
    static int DrawSparkleOffset(int reach);
    void StartSparkles(bool on);
    void OnSparkleFinished();
    void CreateSparkles();
    void CleanupSparkles();
    void ClearSparkleModifier();
    void MoveArtifactToFront(bool toScene);
    // A new picture with the colours of "ARTIFACT_DIRTY_TEST" and the alpha of
    // src's first frame, pixel for pixel from the top-left corner; where the
    // two differ in size, the dirt picture's size is kept and its pixels
    // outside src are transparent. The dirt picture's own pixels are left
    // alone. *out holds one reference, the caller's. False, with *out null,
    // without src, its frame or the dirt.
    static bool CreateCrudOverlay(const ZQ2::Image* src, ZQ2::Image** out);
    ZQ2::ModifierContainer* GetToolModifier() const { return m_pToolModifier; }

private:
    void ClearSlot(int slot);
    void PlayHoleSound(const char* name) const;
    Vuru* GetLevelVuru() const;
    bool IsVuruAtHole() const;
    bool IsVuruGoingToHole() const;
    ZQ2::ModifierContainer* NewLevelContainer(ZQ2::ModifierContainer*& slot);
    ZQ2::Image* DelvorImage(const std::string& name) const;
    void ShowPit(const char* image, int frame);
    void ActivateSlotBlock(int slot, bool active);
    void StartToolWork(int kind, int request);
    void StartDustFrames();
    void FlagFlapFinished();
    void ClearToolModifier();

    ZQ2::SmartPtr<ZQ2::Sprite> m_spPit;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spTile;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spRopes;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spTool;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spDust;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spArtifact;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spArtifactDirt;
    ZQ2::SmartPtr<ZQ2::Sprite> m_aspSparkles[SPARKLE_COUNT];
    ZQ2::SmartPtr<DelvorWorker> m_aspWorkers[SLOT_COUNT];
    ZQ2::SmartPtr<DelvorReqBalloon> m_spBalloon;
    ZQ2::SmartPtr<DelvorMeter> m_spMeter;
    int m_iStartState = HOLE_REQUEST;
    int m_iArtifactNumber = 1;
    int m_iToolsUsed = 0;
    bool m_abServed[SLOT_COUNT] = {};
    int m_aiBlocks[3] = {-1, -1, -1};
    std::string m_sLayers;
    // One entry per rock in digging order, and a closing 0; empty without rocks.
    std::vector<signed char> m_RockToughness;
    int m_iRockCount = 0;
    int m_iCurrentDepth = 0;
    int m_iCurrentRock = 0;
    int m_iCurrentRockToughness = 0;
    int m_iDigsSinceArtifact = 0;
    int m_iArtifactsTaken = 0;
    int m_iTotalDigs = 0;
    int m_iCelebrationsFinished = 0;
    ZQ2::ModifierContainer* m_pCleanStepModifier = nullptr;
    ZQ2::ModifierContainer* m_pFlagFlapModifier = nullptr;
    ZQ2::ModifierContainer* m_pSparkleModifier = nullptr;
    ZQ2::ModifierContainer* m_pToolModifier = nullptr;
    ZQ2::ModifierContainer* m_pDustModifier = nullptr;
};
