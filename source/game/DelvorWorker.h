#pragma once
// Stand-in for the hired hands' common base until the workers land: a
// walking figure with a home spot and an activity that may work at a hole.
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

private:
    bool m_bAtHome = true;
    int m_iActivity = 0;
};
