#pragma once
// The archaeologist: surveys holes, and at an artifact takes notes, asks for
// one or two tools, works with the tools the carrier brings, photographs the
// artifact and sends it to the crate. She carries nothing herself.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "source/game/DelvorBoss.h"

class DelvorHole;

class Vuru : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eVuruState {
        VURU_IDLE = 0,
        VURU_SURVEYING = 1,
        VURU_TAKING_NOTES = 2,
        VURU_WAITING_FOR_TOOLS = 3,
        VURU_USING_TOOL = 4,
        VURU_PROCESSING = 5
    };
    enum eRequest { REQUEST_SIFTER = 4, REQUEST_BRUSH = 5, REQUEST_BOTTLE = 6, REQUEST_BOTTLE_MULTI = 7 };
    static constexpr int REQUEST_SLOTS = 2;

    Vuru(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target = nullptr,
         ZQ2::iGuiMethod::Method callback = nullptr);
    explicit Vuru(ZQ2::AbstractProperty* node);
    ~Vuru() override;
    Vuru(const Vuru&) = delete;
    Vuru& operator=(const Vuru&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Init();
    static const std::string& GetImageKey(int code);

    // ---- her hole
    void SetHole(DelvorHole* hole, bool blocks);
    DelvorHole* GetHole() const { return m_spHole.Get(); }
    void Cleanup() { SetHole(nullptr, false); }
    bool IsHoleInStack(DelvorHole* hole) const;

    // ---- her requests
    int GetVuruRequests(int& first, int& second) const;
    void SetRequest(int slot, int code);
    int GetRequest(int slot) const;
    void RemoveRequest(int code);
    int GetNumRequests() const { return m_iNumRequests; }
    bool AreRequestsMet() const { return m_bRequestsMet; }
    bool DoesVuruNeedItem(ClickObject* item, int& request);
    void SetupVuruRequests();
    const ZQ2::ZQVector<int>& GetToolQueue() const { return m_ToolQueue; }

    // ---- her work
    void DetermineNextVuruTask();
    bool UseTool(int code);
    void SurveyHole();
    void DoSurveyFinished();
    void PreProcessArtifact();
    void DoPreProcessArtifactFinished();
    void ProcessArtifact();
    void DoShowArtifactText();
    void DoProcessArtifactHideArtifact();
    void DoArtifactFliesToCrate();
    void DoProcessArtifactFinished();
    void DoActivityAnimation(bool on);
    int GetArtifactValue() const { return m_iArtifactValue; }
    int GetAnimChanges() const { return m_iAnimChanges; }
    void OnChangeVuruAnimState() { ++m_iAnimChanges; }

    bool VuruCuresHypnotizedDigger() const { return true; }
    bool IsImpatient() const;
    void ResetMood();
    static int GetUpgradedArtifactTime();

    // ---- inherited operations
    bool UseItem(ClickObject* target) override;
    bool IsAvailable() const override { return m_iVuruState != VURU_SURVEYING; }
    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override;
    bool MatchesRequest(int kind, int) const override;
    void GetActionDirection(int& dx, int& dy) override;
    void StartIdleRoutine() override;
    void SetIdleImage(bool idle) override;
    int GetAdjustedIdleFrameSpeed() const override;
    bool IsBlinkingOnIdle() const override { return m_iVuruState == VURU_WAITING_FOR_TOOLS && !IsImpatient(); }
    void SetCharacterImage(int code) override;
    bool DoWalkFinished() override;
    bool CanAddHoleToStack(ClickObject* target) override;
    int GetUpgradedWalkSpeed() const override;
    void ResetImage() override;
    int GetVuruState() const override { return m_iVuruState; }
    void SetVuruState(int state) override;
    void UpdateCheckMarks() override {}
    void GotoTent() override;
    int GetMaxItems() const override { return 0; }

private:
    // A chain of her own under the level's animation root, replacing the last.
    ZQ2::ModifierContainer* NewActivity();
    void EndActivity();
    // Her picture by key, played at frameMs a frame for timeMs, then method.
    void PlayWork(const char* image, const char* frameKey, const char* sound, int timeMs, void (Vuru::*method)());
    void RebuildRequestBalloon();
    int DrawRequest(int kinds) const;

    int m_iVuruState = VURU_IDLE;
    int m_iAnimChanges = 0;
    int m_iMoodResetTime = 0;
    int m_iArtifactValue = -1;
    ZQ2::SmartPtr<DelvorHole> m_spHole;
    ZQ2::ModifierContainer* m_pActivityModifier = nullptr;  // counted
    ZQ2::SmartPtr<ZQ2::Sprite> m_spArtifactText;
    ZQ2::ZQVector<int> m_ToolQueue;
    int m_aiRequests[REQUEST_SLOTS] = {};
    int m_iNumRequests = 0;
    bool m_bRequestsMet = false;
};

// Vuru's photograph: the camera raised, a pause, the picture taken with its
// sound, a pause, and the camera lowered through the remaining frames.
class ModifierVuruTakesPhoto : public ZQ2::Modifier {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    ModifierVuruTakesPhoto();
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void Tick(int elapsedMs) override;
    int GetPhase() const { return m_iPhase; }

private:
    enum ePhase { PHASE_START, PHASE_BEFORE, PHASE_DURING, PHASE_AFTER, PHASE_LOWERING };
    void Enter(int phase, int timeMs);

    int m_iPhase = PHASE_START;
    int m_iTimeLeft = 0;
};
