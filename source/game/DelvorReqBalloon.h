#pragma once
// Stand-in for the hole's request balloon until it lands: knows its hole
// and shows itself while it has a request to show.
#include "source/game/ClickObject.h"

class DelvorHole;

class DelvorReqBalloon : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorReqBalloon(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback)
        : ClickObject(x, y, image, target, callback) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsReqBalloon() const override { return true; }
    ClickObject* GetParentHole() override;
    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }

    void Init(DelvorHole* hole) {
        SetHole(hole);
        SetVisible(false);
    }
    void SetHole(DelvorHole* hole) { m_pHole = hole; }
    DelvorHole* GetHole() const { return m_pHole; }
    void Cleanup() { SetHole(nullptr); }
    void ShowRequestBalloon(bool show) { SetVisible(show); }
    bool SetupRequestBalloon(int r1, int r2) {
        const bool shown = (r1 > 0 && r1 != 3) || r2 > 0;
        ShowRequestBalloon(shown);
        return shown;
    }

private:
    DelvorHole* m_pHole = nullptr;  // not held: the hole owns the balloon
};
