#pragma once
// The worker that digs the dirt layers of a hole: male or female, of one
// colour (two of a colour at one hole earn a bonus), carries a shovel while
// it waits, digs in two half-strokes and celebrates when its hole asks.
#include "source/game/DelvorWorker.h"

class DelvorDigger : public DelvorWorker {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    DelvorDigger(float x, float y, ZQ2::Image* image, int gender = 1);
    explicit DelvorDigger(ZQ2::AbstractProperty* node);
    ~DelvorDigger() override;
    DelvorDigger(const DelvorDigger&) = delete;
    DelvorDigger& operator=(const DelvorDigger&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool ShouldVuruRespond() const override;
    bool IsAvailable() const override;
    bool HasRollover() const override { return true; }
    int GetAdjustedIdleFrameSpeed() const override;
    void GetShadowImage(std::string& name) override { name = "SHADOW_DIGGER"; }
    void SetCharacterImage(int code) override;
    bool IsInHomePosition() const override { return IsCharacterInWaitingArea(); }
    int GetUpgradedWalkSpeed() const override { return CurrentUpgradeValue(6); }
    void ClearCurrentRoutine() override;
    void Init(int x, int y, ZQ2::BaseObject* level) override { Init(x, y, level, m_iColor); }
    void Init(int x, int y, ZQ2::BaseObject* level, int colour);
    void SetupHungerThirst(int gender, ZQ2::BaseObject* level) override;
    int GetWaitAreaY() const override;
    bool WorkerNeededAtHole(DelvorHole* hole) const override;
    bool CanWorkOnHole() const override { return WorkerNeededAtHole(GetHole()); }
    void ShowShovel() override;
    bool IsColorMatch() const override;
    int GetGender() const override { return m_iGender; }
    void SetGender(int gender) override { m_iGender = gender; }
    int GetWorkerDizzySpeed() const override;
    void Work(bool start) override { Dig(start); }
    bool Celebrate(ZQ2::Modifier* container) override;
    void OnCelebrateFinished() override;
    void GetHoldArea(float& x, float& y) const override;
    void SetHoldArea(float x, float y) override;
    void ChangeMood(bool reset, bool) override;

    void Dig(bool start);
    void OnDigHalfFinished();
    void OnDigFinished();
    int GetUpgradedDigSpeed() const { return m_iDigFrameMs + CurrentUpgradeValue(7); }
    static void DoDigHalfFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void DoDigFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void DoCelebrateFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    int GetColourType() const { return m_iColor; }
    ZQ2::Sprite* GetShovel() const { return m_pShovel; }
    float GetHungerChance() const { return m_fHungerChance; }

private:
    int m_iGender = 1;
    int m_iColor = 1;
    float m_fHoldX = 0.0f;
    float m_fHoldY = 0.0f;
    int m_iDigFrameMs = DEFAULT_FRAME_MS;
    ZQ2::Sprite* m_pShovel = nullptr;        // one reference held
};
