#pragma once
// Stand-in for the dig-site hole until the hole's own work lands: a click
// target that takes workers into two slots, keeps a work state and a string
// of layers, and owns a request balloon and a meter once initialised.
#include <string>

#include "source/game/ClickObject.h"

class DelvorMeter;
class DelvorReqBalloon;
class DelvorWorker;

class DelvorHole : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    static constexpr int WORKER_SLOTS = 2;

    DelvorHole(float x, float y, ZQ2::Image* image) : ClickObject(x, y, image, nullptr, nullptr) {}
    ~DelvorHole() override;
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }
    bool ShouldVuruRespond() const override { return m_bNeedsVuru; }
    void SetNeedsVuru(bool needs) { m_bNeedsVuru = needs; }

    bool CanAddWorker(ClickObject* worker) const { return worker && !m_apWorkers[0]; }
    // Into the first empty slot; nothing when both are taken.
    void AddWorker(ClickObject* worker);
    void RemoveWorker() { m_apWorkers[0] = nullptr; }
    ClickObject* GetWorker() const { return m_apWorkers[0]; }

    // Creates the request balloon and the meter; CleanupHole lets them go.
    void InitHole(float x, float y);
    void CleanupHole();
    DelvorReqBalloon* GetRequestBalloon() const { return m_pReqBalloon; }
    DelvorMeter* GetMeter() const { return m_pMeter; }
    DelvorWorker* GetWorkerAtHoleLocation(int slot) const;
    int GetNumWorkers() const;
    int GetHoleState() const { return m_iHoleState; }
    void SetHoleState(int state) { m_iHoleState = state; }
    // Layers of the day, artifacts at the end of each run; no rocks.
    void SetupHole(int gold, int silver, int bronze);
    int GetCurrentHoleDepth() const { return m_iDepth; }
    char GetHoleLayer(int i) const;
    char GetCurrentHoleLayer() const;
    bool IsCurrentHoleLayerDirt() const { return GetCurrentHoleLayer() == 'D'; }
    void AdvanceHolePastDirt();
    int GetHoleContentsSnapshot(std::string& out, int count, int offset) const;
    int GetNextArtifactIndex(int i, char& letter) const;
    int GetCurrentRockIndex() const { return 0; }
    char GetCurrentRockToughness() const { return ' '; }
    int GetRockTotalToughness(int) const { return 32; }
    bool CanVuruProcessHole() const;
    int GetHoleRequestFromState() const;
    void ShowRequestBalloon(bool show);
    bool IsWorkerServed(int slot) const { return slot >= 0 && slot < WORKER_SLOTS && m_abServed[slot]; }
    void SetWorkerServed(int slot, bool served);
    int GetToolsUsed() const { return m_iToolsUsed; }
    void SetToolsUsed(int count) { m_iToolsUsed = count; }
    // The requests: chosen, matched and served by the balloon's rules.
    bool SetupRequestBalloon();
    bool ResetWorkerRequestBalloons() { return SetupRequestBalloon(); }
    bool DoesObjectMatchRequest(ClickObject* object, int& slot);
    bool DoesObjectMatchRequest(ClickObject* object);
    bool DoesItemMatchRequest(const std::string& name);
    bool UseItem(ClickObject* object) override;
    bool IsAction(ClickObject* object) override;
    void StartDelivery() override;
    void EndDelivery() override;

private:
    bool m_bNeedsVuru = false;
    ClickObject* m_apWorkers[WORKER_SLOTS] = {nullptr, nullptr};  // not held: the level holds its workers
    DelvorReqBalloon* m_pReqBalloon = nullptr;
    DelvorMeter* m_pMeter = nullptr;
    int m_iHoleState = -1;
    std::string m_sLayers;
    int m_iDepth = 0;
    bool m_abServed[WORKER_SLOTS] = {false, false};
    int m_iToolsUsed = 0;
};
