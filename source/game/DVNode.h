#pragma once
// One corner of a planned walk; a route is the chain of first successors
// from the start node to the destination.
#include "engine/core/BaseObject.h"

class DVNode : public ZQ2::BaseObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DVNode(float x, float y) : m_fX(x), m_fY(y) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    float m_fX;
    float m_fY;
    DVNode* m_pFirst = nullptr;
    DVNode* m_pSecond = nullptr;
    int m_iUnused = -1;
};
