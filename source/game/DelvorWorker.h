#pragma once
// Stand-in for the hired hands' common base until the workers land: a
// walking figure with a home spot that may work at a hole. The members
// after SetInHomePosition are the stand-in's answers to the hole's
// questions: activity, personal request and the hole it stands at.
#include "source/game/DelvorCharacter.h"

namespace ZQ2 {
class Modifier;
}
class DelvorHole;

class DelvorWorker : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorWorker(float x, float y, ZQ2::Image* image) : DelvorCharacter(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsInHomePosition() const override { return m_bAtHome; }
    void SetInHomePosition(bool atHome) { m_bAtHome = atHome; }

    void SetHole(DelvorHole* hole);
    DelvorHole* GetHole() const;
    int GetActivity() const { return m_iActivity; }
    void SetActivity(int activity) { m_iActivity = activity; }
    int GetRequest() const { return m_iActivity == 9 ? 10 : m_iRequest; }
    void SetRequest(int request) { m_iRequest = request; }
    int GetSubRequest() const { return m_iSubRequest; }
    bool HasPersonalNeed() const { return m_iRequest != 0; }
    virtual bool WorkerNeededAtHole(DelvorHole*) { return true; }
    bool IsImpatient() const { return false; }
    bool IsWorkerHealthy() const { return m_iActivity != 8 && m_iActivity != 9; }
    void ClearActivityModifer() {}
    void Unhypnotize() {}
    virtual bool Celebrate(ZQ2::Modifier*) { return false; }
    void DoActivityAnimation(bool) {}
    bool ShouldShowReqBalloon() const { return GetRequest() != 0; }
    void Eat() {}
    bool DoesWorkerNeedItem(ClickObject*) { return false; }

private:
    bool m_bAtHome = true;
    int m_iActivity = 0;
    int m_iRequest = 0;
    int m_iSubRequest = 0;
};
