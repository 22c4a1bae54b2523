#pragma once
// The carrier: fetches what the toolmaker and the cook put on their tables,
// up to two items at once, and hands them to workers and the archaeologist.
// Her deliveries float their scores over her in three spots.
#include <string>

#include "source/game/DelvorBoss.h"

class Dovidi : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int SCORE_SPOT_COUNT = 3;

    Dovidi(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target = nullptr,
           ZQ2::iGuiMethod::Method callback = nullptr);
    explicit Dovidi(ZQ2::AbstractProperty* node);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Init();
    // The image key of a picture code; empty for codes she has no picture for.
    static const std::string& GetImageKey(int code);
    // Claims a spot for a floating score label and gives its screen place.
    void GetFreeScoreSpot(float& x, float& y);
    bool IsScoreSpotTaken(int spot) const { return spot >= 0 && spot < SCORE_SPOT_COUNT && m_abScoreSpots[spot]; }

    void GetActionDirection(int& dx, int& dy) override;
    int GetIdleRoutineDirection() const override { return 2; }
    void WalkToTable(int table) override;
    void SetCharacterImage(int code) override;
    bool DoWalkFinished() override;
    bool IsInHomeArea() const override;
    int GetCurrentTable() const override;
    bool CanAddHoleToStack(ClickObject* target) override;
    int GetUpgradedWalkSpeed() const override;
    void GotoTent() override;
    bool CanUseMoreThanOneItemOnHole() const override { return true; }
    ZQ2::Point_t<float> GetObjectPositionInHands(int hand, int imageCode, bool mirrored, float& scale) override;
    int GetBossActivity() const override { return m_iBossActivity; }
    void SetBossActivity(int activity) override { m_iBossActivity = activity; }
    void ClearScoreSpots() override;

private:
    int m_iBossActivity = ACTIVITY_NONE;
    bool m_abScoreSpots[SCORE_SPOT_COUNT] = {};
};
