#pragma once
// Stand-in for the dig-site hole until the hole's own work lands: a click
// target with two worker slots, a work state and a string of layers that
// diggers and pickers work through.
#include <string>
#include <vector>

#include "source/game/ClickObject.h"

class DelvorWorker;

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

    // A hole without layers takes any one worker; with layers, the rules of
    // the workers decide.
    bool CanAddWorker(ClickObject* worker) const;
    void AddWorker(ClickObject* worker);
    void RemoveWorker() { RemoveWorker(GetWorker()); }
    ClickObject* GetWorker() const { return m_apWorkers[0] ? m_apWorkers[0] : m_apWorkers[1]; }

    // ---- stand-in members the workers use (states 101 requesting, 102 worked)
    void SetLayers(const std::string& layers, const std::vector<int>& toughness);
    int GetHoleState() const { return m_iHoleState; }
    void SetHoleState(int state) {
        m_iHoleState = state;
        SetState(state);
    }
    bool CanWorkOnHole() const { return m_iHoleState == 101 || m_iHoleState == 102; }
    char GetCurrentHoleLayer() const;
    bool IsCurrentHoleLayerAnArtifact() const;
    bool IsCurrentHoleLayerRock() const { return GetCurrentHoleLayer() == 'R'; }
    bool IsCurrentHoleLayerDirt() const { return GetCurrentHoleLayer() == 'D'; }
    bool IsRocky() const { return IsCurrentHoleLayerRock(); }
    int GetCurrentRockToughness() const { return m_iToughness; }
    int GetCurrentDepth() const { return m_iDepth; }
    void AdvanceCurrentHoleDepth() { ++m_iDepth; }
    void AdvanceHolePastDirt();
    void Pick(int power);
    bool Dig(int n);
    void DisplayHole() {}
    void SetupRequestBalloon() {}
    void ShowRequestBalloon(bool) {}
    void CheckIfVuvivedodStopsWork() {}
    void CelebrateFinished() {}
    int GetNumWorkers() const { return (m_apWorkers[0] ? 1 : 0) + (m_apWorkers[1] ? 1 : 0); }
    int GetWorkerIndex(DelvorWorker* worker) const;
    DelvorWorker* GetOtherWorker(DelvorWorker* worker) const;
    bool ShouldFlipWorker(DelvorWorker* worker) const;
    void RemoveWorker(ClickObject* worker);
    void CleanupWorker(DelvorWorker* worker);
    void SendDiggerHome(DelvorWorker* worker);
    void SendDiggersHome();
    void SendOtherWorkerHomeIfHungry(DelvorWorker* worker);
    bool CausePanic(bool hypnotise);

private:
    bool m_bNeedsVuru = false;
    ClickObject* m_apWorkers[2] = {};  // not held: the level holds its workers
    int m_iHoleState = 0;
    std::string m_sLayers;
    std::vector<int> m_Toughness;
    int m_iDepth = 0;
    int m_iRock = 0;
    int m_iToughness = 0;
};
