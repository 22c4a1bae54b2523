#pragma once
// Stand-in for the hired hands' common base until the workers land: a
// walking figure with a home spot, an activity and a personal request that
// may work at a hole.
#include "source/game/DelvorCharacter.h"

class DelvorWorker : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorWorker(float x, float y, ZQ2::Image* image) : DelvorCharacter(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsInHomePosition() const override { return m_bAtHome; }
    void SetInHomePosition(bool atHome) { m_bAtHome = atHome; }
    int GetActivity() const { return m_iActivity; }
    void SetActivity(int activity) { m_iActivity = activity; }
    bool IsAvailable() const override { return m_iActivity != 1 && m_iActivity != 5 && GetState() != 1; }
    ClickObject* GetHole() const { return m_pHole; }
    void SetHole(ClickObject* hole) { m_pHole = hole; }
    int GetRequest() const { return m_iActivity == 9 ? 10 : m_iRequest; }
    void SetRequest(int request) { m_iRequest = request; }
    int GetSubRequest() const { return m_iSubRequest; }
    void SetSubRequest(int request) { m_iSubRequest = request; }
    bool HasPersonalNeed() const { return m_iRequest > 7; }
    bool ShouldShowReqBalloon() const {
        return m_iActivity == 0 || m_iActivity == 2 || m_iActivity == 4 || m_iActivity == 8 || m_iActivity == 9;
    }
    bool DoesWorkerNeedItem(ClickObject* item) const {
        return item && item->MatchesRequest(GetRequest(), m_iSubRequest);
    }
    void Eat() { m_iRequest = 0; }
    void Unhypnotize() { m_iActivity = 0; }

private:
    bool m_bAtHome = true;
    int m_iActivity = 0;
    int m_iRequest = 0;
    int m_iSubRequest = 0;
    ClickObject* m_pHole = nullptr;  // not held by the stand-in
};
