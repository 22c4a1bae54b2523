#pragma once
// Stand-in for the hired hands' common base until the workers land: a
// walking figure with a home spot that may work at a hole, with the few
// members the level's services and the holes call.
#include "source/game/DelvorCharacter.h"

namespace ZQ2 {
class Modifier;
}
class DelvorHole;

class DelvorWorker : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    DelvorWorker(float x, float y, ZQ2::Image* image) : DelvorCharacter(x, y, image) {}
    explicit DelvorWorker(ZQ2::AbstractProperty* node) : DelvorCharacter(node) {}
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new DelvorWorker(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsInHomePosition() const override { return m_bAtHome; }
    void SetInHomePosition(bool atHome) { m_bAtHome = atHome; }
    int GetActivity() const { return m_iActivity; }
    void SetActivity(int activity) { m_iActivity = activity; }
    virtual char GetFreeSpotCharacter() const { return 'O'; }
    virtual int GetWaitAreaY() const { return 0; }
    virtual int GetGender() const { return 1; }
    virtual void SetGender(int) {}
    virtual bool WorkerNeededAtHole(ClickObject*) const { return true; }
    virtual void ChangeMood(bool, bool) {}
    virtual void ClearWaitAreaIndex();
    bool IsCharacterInWaitingArea() const;
    bool IsCharacterInHoldingArea() const;
    void SnapWorkerBackToWaitArea();
    // At a hole the worker stays there; its work starts with the workers.
    bool DoWalkFinished() override;
    bool IsImpatient() const { return false; }
    void PadHungerAfterPlacement() {}
    void ClearRequests() {}
    int GetWaitAreaIndex() const { return m_iWaitAreaIndex; }
    void SetWaitAreaIndex(int index) { m_iWaitAreaIndex = index; }
    bool HasLoveFlag() const { return m_bLove; }
    void SetLoveFlag(bool love) { m_bLove = love; }
    bool IsPlacedWhileImpatient() const { return m_bPlacedImpatient; }
    void SetPlacedWhileImpatient(bool impatient) { m_bPlacedImpatient = impatient; }
    void SetHole(DelvorHole* hole);
    DelvorHole* GetHole() const;
    int GetRequest() const { return m_iActivity == 9 ? 10 : m_iRequest; }
    void SetRequest(int request) { m_iRequest = request; }
    int GetSubRequest() const { return m_iSubRequest; }
    bool HasPersonalNeed() const { return m_iRequest != 0; }
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
    int m_iWaitAreaIndex = -1;
    bool m_bLove = false;
    bool m_bPlacedImpatient = false;
    int m_iRequest = 0;
    int m_iSubRequest = 0;
};
