#pragma once
// Stand-in for the dig-site hole until the hole's own work lands: a click
// target that takes one worker at a time and keeps a work state.
#include "source/game/ClickObject.h"

class DelvorHole : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorHole(float x, float y, ZQ2::Image* image) : ClickObject(x, y, image, nullptr, nullptr) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }
    bool ShouldVuruRespond() const override { return m_bNeedsVuru; }
    void SetNeedsVuru(bool needs) { m_bNeedsVuru = needs; }

    bool CanAddWorker(ClickObject* worker) const { return worker && !m_pWorker; }
    void AddWorker(ClickObject* worker) { m_pWorker = worker; }
    void RemoveWorker() { m_pWorker = nullptr; }
    ClickObject* GetWorker() const { return m_pWorker; }

private:
    bool m_bNeedsVuru = false;
    ClickObject* m_pWorker = nullptr;  // not held: the level holds its workers
};
