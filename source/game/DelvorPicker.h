#pragma once
// The worker that breaks the rock layers of a hole, one unit of toughness
// a half-stroke. Its look is one of several picker types drawn at random.
#include "source/game/DelvorWorker.h"

class DelvorPicker : public DelvorWorker {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    DelvorPicker(float x, float y, ZQ2::Image* image);
    explicit DelvorPicker(ZQ2::AbstractProperty* node);
    DelvorPicker(const DelvorPicker&) = delete;
    DelvorPicker& operator=(const DelvorPicker&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool ShouldVuruRespond() const override;
    bool IsAvailable() const override;
    bool HasRollover() const override { return true; }
    int GetAdjustedIdleFrameSpeed() const override;
    void GetShadowImage(std::string& name) override;
    void SetCharacterImage(int code) override;
    bool IsInHomePosition() const override { return IsCharacterInWaitingArea(); }
    int GetUpgradedWalkSpeed() const override { return CurrentUpgradeValue(6); }
    void ClearCurrentRoutine() override;
    void Init(int x, int y, ZQ2::BaseObject* level) override;
    void SetupHungerThirst(int gender, ZQ2::BaseObject* level) override;
    int GetWaitAreaY() const override;
    char GetFreeSpotCharacter() const override { return 'P'; }
    bool WorkerNeededAtHole(DelvorHole* hole) const override;
    bool CanWorkOnHole() const override { return WorkerNeededAtHole(GetHole()); }
    int GetGender() const override { return m_iGender; }
    void SetGender(int gender) override { m_iGender = gender; }
    int GetWorkerDizzySpeed() const override;
    void Work(bool start) override { Pick(start); }
    void GetHoldArea(float& x, float& y) const override;
    void SetHoldArea(float x, float y) override;
    void ChangeMood(bool reset, bool) override;

    void Pick(bool start);
    void OnPickHalfFinished();
    void OnPickFinished();
    int GetUpgradedPickSpeed() const { return m_iPickFrameMs + CurrentUpgradeValue(10); }
    static void DoPickHalfFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void DoPickFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    int GetPickerType() const { return m_iType; }

private:
    int m_iGender = 1;
    int m_iType = 1;
    float m_fHoldX = 0.0f;
    float m_fHoldY = 0.0f;
    int m_iPickFrameMs = DEFAULT_FRAME_MS;
};
