#pragma once
// Common base of the hired hands on the dig site: the needs that build up
// while they work, dizziness, hypnosis and its cure, panic and impatience,
// the waiting and holding areas, the break after being sent home, the walk
// to a hole and the score of a placement. Subclasses do the work itself.
#include <string>

#include "source/game/DelvorCharacter.h"

namespace ZQ2 {
class Modifier;
}
class DelvorHole;

class DelvorWorker : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eActivity {
        ACTIVITY_FREE = 0,
        ACTIVITY_WALKING_TO_HOLE = 1,
        ACTIVITY_DIGGING = 2,
        ACTIVITY_PICKING = 3,
        ACTIVITY_ASKING = 4,
        ACTIVITY_EATING = 6,
        ACTIVITY_DRINKING = 7,
        ACTIVITY_DIZZY = 8,
        ACTIVITY_HYPNOTIZED = 9,
        ACTIVITY_PANICKING = 10,
        ACTIVITY_CELEBRATING = 11,
        ACTIVITY_STOPPED = 14,
        ACTIVITY_SENT_HOME = 15,
        ACTIVITY_BREAK_OVER = 16,
    };
    enum eRequest { REQUEST_NONE = 0, REQUEST_FOOD = 8, REQUEST_WATER = 9, REQUEST_MEDICINE = 10 };
    enum eSubRequest { SUB_NONE = 0, SUB_APPLE = 100, SUB_SANDWICH = 101, SUB_CANTEEN = 102 };
    enum eImage {
        IMAGE_RESTORE = -1,
        IMAGE_NEUTRAL = 1,
        IMAGE_STANDING = 2,
        IMAGE_DIZZY = 10,
        IMAGE_EATING = 11,
        IMAGE_DRINKING = 12,
        IMAGE_HYPNOTIZED = 13,
        IMAGE_ACTIVITY = 14,
        IMAGE_PANICKING = 15,
        IMAGE_IMPATIENT = 19,
    };
    // The frame time of every animation a subclass leaves unset.
    static constexpr int DEFAULT_FRAME_MS = 400;

    DelvorWorker(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target = nullptr,
                 ZQ2::iGuiMethod::Method callback = nullptr);
    explicit DelvorWorker(ZQ2::AbstractProperty* node);
    ~DelvorWorker() override;
    DelvorWorker(const DelvorWorker&) = delete;
    DelvorWorker& operator=(const DelvorWorker&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // ---- what the subclasses fill in
    virtual void Init(int, int, ZQ2::BaseObject*) {}
    virtual void SetupHungerThirst(int, ZQ2::BaseObject*) {}
    virtual bool IsCharacterInHoldingArea() const;
    virtual bool IsCharacterInWaitingArea() const;
    virtual int GetWaitAreaY() const { return 0; }
    virtual char GetFreeSpotCharacter() const { return 'O'; }
    virtual bool WorkerNeededAtHole(DelvorHole*) const { return false; }
    virtual void ShowShovel() {}
    virtual bool IsColorMatch() const { return false; }
    virtual int GetGender() const { return 1; }
    virtual void SetGender(int) {}
    virtual int GetWorkerDizzySpeed() const { return 0; }
    virtual void Work(bool) {}
    virtual bool CanWorkOnHole() const { return false; }
    virtual bool CanBeHypnotized() const;
    virtual void TakeABreak();
    virtual void Dizzy(int imageCode);
    virtual void Hypnotize();
    virtual bool Celebrate(ZQ2::Modifier*) { return false; }
    virtual void OnCelebrateFinished() {}
    virtual void Eat();
    virtual void Unhypnotize();
    virtual void DoActivityAnimation(bool on);
    virtual bool IsActivityModifer() const { return m_pActivityModifier != nullptr; }
    virtual void ShowHypnoSpiral(bool show);
    virtual void ClearWaitAreaIndex();
    virtual void GetHoldArea(float&, float&) const {}
    virtual void SetHoldArea(float, float) {}
    virtual void ChangeMood(bool, bool) {}

    // ---- overrides
    bool UseItem(ClickObject*) override { return false; }
    bool IsInHomePosition() const override { return false; }
    bool IsBlinkingOnIdle() const override { return IsInHomeArea(); }
    void SetIdleImage(bool idle) override;
    void GetIdleTime(int& min, int& max) const override;
    bool HasRolloverHighlight() const override;
    void GetActionDirection(int& dx, int& dy) override;
    bool OnMouseLeftDown(const ZQ2::MouseMessageData& m) override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;
    void Walk(DVNode* route, ClickObject* target) override;
    bool DoWalkFinished() override;
    void Tick(int deltaMs) override;

    // ---- needs and moods
    bool HasPersonalNeed() const { return m_iRequest > 7; }
    bool IsHungryOrThirsty() const { return m_iRequest == REQUEST_FOOD || m_iRequest == REQUEST_WATER; }
    int GetRequest() const { return m_iActivity == ACTIVITY_HYPNOTIZED ? REQUEST_MEDICINE : m_iRequest; }
    void SetRequest(int request) { m_iRequest = request; }
    int GetSubRequest() const { return m_iSubRequest; }
    bool IsPanicked() const { return m_iActivity == ACTIVITY_PANICKING; }
    bool IsWorkerHealthy() const { return m_iActivity != ACTIVITY_DIZZY && m_iActivity != ACTIVITY_HYPNOTIZED; }
    bool IsImpatient() const;
    void ResetMood();
    int GetNeedTimer() const { return m_iNeedTimer; }
    bool IsNextNeedFood() const { return m_bNextNeedFood; }
    bool IsPlacedWhileImpatient() const { return m_bPlacedImpatient; }
    // Set by the hole when its balloon shows this worker's personal need.
    bool HasAsked() const { return m_bHasAsked; }
    void SetHasAsked(bool asked) { m_bHasAsked = asked; }
    void SetPlacedWhileImpatient(bool impatient) { m_bPlacedImpatient = impatient; }
    // Set on two diggers of opposite gender at the start of the day; placed
    // together at one hole they earn the love match.
    bool HasLoveFlag() const { return m_bLove; }
    void SetLoveFlag(bool love) { m_bLove = love; }

    // The hole the worker is assigned to, held by the figure's current hole.
    DelvorHole* GetHole() const;
    void SetHole(DelvorHole* hole);
    void Cleanup();
    int GetActivity() const { return m_iActivity; }
    void SetActivity(int activity);
    ZQ2::Modifier* GetActivityModifer() const { return m_pActivityModifier; }
    ZQ2::Modifier* CreateActivityModifer();
    void ClearActivityModifer();
    void SetupRequestBalloon();
    void ShowRequestBalloon(bool show);
    bool ShouldShowReqBalloon() const;
    void ClearRequests();
    bool DoesWorkerNeedItem(ClickObject* item) const;
    void ForceHungerThirst(int time, bool food);
    void PadHungerAfterPlacement();
    void MakeOtherWorkerHungryIfPossible();
    void SetupHungerState();
    bool ShouldWorkUpHunger() const;
    void SnapWorkerBackToWaitArea();
    void SetupCharacter(const std::string& image, float x, float y, int walkSpeed);
    void SetHomePositionZOrder();
    void DoHypnoAnimation(bool on);
    ZQ2::Sprite* GetHypnoSpiral() const { return m_pSpiral; }
    void OnEatFinished();
    void OnBreakFinished();
    static void DoEatFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void DoBreakFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    int GetWaitAreaIndex() const { return m_iWaitAreaIndex; }
    // The tool stroke under way, if any.
    ZQ2::Modifier* GetStroke() const { return m_pStroke; }
    void SetWaitAreaIndex(int index) { m_iWaitAreaIndex = index; }

protected:
    // The need timer of a new need: base + upgrade + a draw from [1, range)
    // + the level's variation; hunger or thirst by a per-worker chance.
    struct NeedKeys {
        const char* pHungerBase;
        const char* pHungerRange;
        const char* pThirstBase;
        const char* pThirstRange;
    };
    void ArmNeedTimer(const NeedKeys& keys, ZQ2::BaseObject* level);
    // Once the day is over a worker that is neither walking nor in the
    // waiting area is sent there; true when it was.
    bool SendHomeIfDayOver();
    bool IsMirrored() const;
    int Mirrored(int code) const { return IsMirrored() ? -code : code; }
    bool IsDragged() const;
    static void PlayDelvorSound(const std::string& name);
    static int CurrentUpgradeValue(int type);
    ZQ2::ModifierContainer* NewRootContainer();
    // One stroke of the tool: frames down, a call at the half, frames back
    // up, a call at the end. The worker holds it until it ends or is cleared;
    // nothing starts when the level has no animation tree.
    void StartStroke(int frameMs, ZQ2::iGuiMethod::Method half, ZQ2::iGuiMethod::Method finished);
    // A running stroke is all a worker at its tool does: clearing ends just
    // the stroke when there is one, else the worker's other routines.
    void ClearStrokeOrRoutine();
    // After the last stroke: the worker stands, asks for what it needs, and
    // leaves the hole when its layer is worked through.
    void StandAfterStroke(DelvorHole* hole, bool adjustPosition, bool layerDone);
    // The end of a stroke's half once the whistle has blown: the hole sends
    // its workers home (true).
    bool SendHomeAtWhistle();
    // The same, or else a worker that needs food or water stops to ask (true).
    bool StrokeInterrupted();
    // Frame 0 of the strip that formats[|code|] names with number in place
    // of its "%d", mirrored when code is negative. Codes without a strip
    // keep the picture.
    void ShowStrip(const char* const* formats, int count, int number, int code);
    // The picture code of the current activity (code -1); workingActivity is
    // the activity that shows the work strip besides digging.
    int RestoreImageCode(int workingActivity) const;
    void EndActivityRoutine();

    int m_iDizzyFrameMs = DEFAULT_FRAME_MS;
    int m_iHypnoFrameMs = DEFAULT_FRAME_MS;
    int m_iEatFrameMs = DEFAULT_FRAME_MS;
    int m_iEatLoops = 2;
    int m_iActivityFrameMs = 0;
    float m_fHungerChance = -1.0f;

private:
    void AskForNeed(int remainder);
    void SetFlipFromHole();

    int m_iActivity = ACTIVITY_FREE;
    int m_iRequest = REQUEST_NONE;
    int m_iSubRequest = SUB_NONE;
    int m_iForcedRequest = 0;
    int m_iForcedSubRequest = 0;
    int m_iNeedTimer = -1;
    bool m_bNextNeedFood = true;
    bool m_bAway = false;
    int m_iMoodTimestamp = 0;
    bool m_bPlacedImpatient = false;
    bool m_bHasAsked = false;
    bool m_bLove = false;
    int m_iWaitAreaIndex = -1;
    ZQ2::Modifier* m_pHypnoModifier = nullptr;     // one reference held
    ZQ2::Modifier* m_pStroke = nullptr;            // one reference held
    ZQ2::Modifier* m_pActivityModifier = nullptr;  // one reference held
    ZQ2::Sprite* m_pSpiral = nullptr;              // one reference held
};
