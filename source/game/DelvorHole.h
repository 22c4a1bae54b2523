#pragma once
// Stand-in for the dig-site hole until the hole's own work lands: a click
// target with two dig spots that keeps a work state, and the members the
// level's services call.
#include "source/game/ClickObject.h"

class DelvorHole : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;
    static constexpr int SLOTS = 2;

    DelvorHole(float x, float y, ZQ2::Image* image) : ClickObject(x, y, image, nullptr, nullptr) {}
    explicit DelvorHole(ZQ2::AbstractProperty* node);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new DelvorHole(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }
    bool ShouldVuruRespond() const override { return m_bNeedsVuru; }
    void SetNeedsVuru(bool needs) { m_bNeedsVuru = needs; }

    // Fewer than two, and of the kind of the one already there.
    bool CanAddWorker(ClickObject* worker) const;
    void AddWorker(ClickObject* worker);
    void RemoveWorker(ClickObject* worker);
    int GetNumWorkers() const;
    ClickObject* GetWorkerAtHoleLocation(int slot) const;
    int GetFreeDigSpot() const;
    int GetStartState() const { return m_iStartState; }
    void SetStartState(int state) { m_iStartState = state; }
    bool NeedDiggerAtHole() const;
    bool NeedPickerAtHole() const { return false; }
    void SetupRequestBalloon() { ++m_iBalloonSetups; }
    int GetBalloonSetups() const { return m_iBalloonSetups; }

private:
    bool m_bNeedsVuru = false;
    int m_iStartState = 0;
    int m_iBalloonSetups = 0;
    ClickObject* m_apWorkers[SLOTS] = {};  // not held: the level holds its workers
};
