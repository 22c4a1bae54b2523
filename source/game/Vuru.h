#pragma once
// Stand-in for Vuru until her own behaviour lands: a boss the click router
// can name. The members after GetRTTI are the stand-in's answers to the
// hole: her state, her two request slots and the tool work hand-over.
#include "source/game/DelvorBoss.h"

class Vuru : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    Vuru(float x, float y, ZQ2::Image* image) : DelvorBoss(x, y, image) {}
    explicit Vuru(ZQ2::AbstractProperty* node) : DelvorBoss(node) {}
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new Vuru(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    // Places the figure at its start spot.
    void Init();

    int GetVuruState() const override { return m_iVuruState; }
    void SetVuruState(int state) override { m_iVuruState = state; }
    void DoActivityAnimation(bool) {}
    void SetRequest(int slot, int code) { m_aiRequests[slot & 1] = code; }
    int GetRequest(int slot) const { return m_aiRequests[slot & 1]; }
    void RemoveRequest(int code) {
        for (int& request : m_aiRequests)
            if (request == code) {
                request = 0;
                return;
            }
    }
    int GetVuruRequests(int& first, int& second) const {
        first = m_aiRequests[0];
        second = m_aiRequests[1];
        return second ? 2 : 1;
    }
    bool UseTool(int) { return true; }
    bool DoesVuruNeedItem(ClickObject*, int&) { return false; }
    void DetermineNextVuruTask() {}

private:
    int m_iVuruState = 0;
    int m_aiRequests[2] = {};
};
