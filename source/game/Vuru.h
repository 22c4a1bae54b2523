#pragma once
// Stand-in for Vuru until her own behaviour lands: a boss the click router
// can name, with a state and the two tool requests she makes at a hole.
#include "source/game/DelvorBoss.h"

class Vuru : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    Vuru(float x, float y, ZQ2::Image* image) : DelvorBoss(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    int GetVuruState() const override { return m_iVuruState; }
    void SetVuruState(int state) { m_iVuruState = state; }
    void SetRequest(int slot, int code) { m_aiRequests[slot & 1] = code; }
    int GetRequest(int slot) const { return m_aiRequests[slot & 1]; }
    int GetVuruRequests(int& first, int& second) const {
        first = m_aiRequests[0];
        second = m_aiRequests[1];
        return second ? 2 : 1;
    }
    bool DoesVuruNeedItem(ClickObject* item, int& request) const {
        for (int code : m_aiRequests) {
            if (code && item && item->MatchesRequest(code, -1)) {
                request = code;
                return true;
            }
        }
        return false;
    }
    bool UseTool(int) { return true; }

private:
    int m_iVuruState = 0;
    int m_aiRequests[2] = {0, 0};
};
