#include "engine/modifier/ModifierLocationPolygonicPath.h"

#include <cmath>

#include "engine/math/GameMath.h"

namespace ZQ2 {

const RTTI* const ModifierLocationPolygonicPath::rttis[] = {&ModifierLocation::rtti, nullptr};
const RTTI ModifierLocationPolygonicPath::rtti("ModifierLocationPolygonicPath", ModifierLocationPolygonicPath::rttis);

namespace {

Point_t<float> PointOf(const PolygonF* path, int index) {
    if (!path || path->GetCount() == 0)
        return Point_t<float>(0.0f, 0.0f);
    const PolygonPointF& p = path->Get(index);
    return Point_t<float>(p.x, p.y);
}

}  // namespace

ModifierLocationPolygonicPath::ModifierLocationPolygonicPath(PolygonF* path, int durationMs, bool loop, bool ease,
                                                             int startIndex)
    : ModifierLocation(PointOf(path, startIndex).x, PointOf(path, startIndex).y, durationMs,
                       ease ? RedistEaseInOut : RedistStraight),
      m_spPath(path),
      m_dPathLength(path ? path->GetPerimeter() : 0.0),
      m_nStartIndex(startIndex),
      m_nCurrentIndex(startIndex),
      m_bLoop(loop) {}

std::string ModifierLocationPolygonicPath::ToString() const {
    return ModifierLocation::ToString() + "segment " + std::to_string(m_nCurrentIndex) + (m_bLoop ? " loop; " : "; ");
}

void ModifierLocationPolygonicPath::Restart() {
    m_nCurrentIndex = m_nStartIndex;
    m_dReached = 0.0;
    m_dSegmentStart = 0.0;
    m_nElapsed = 0;
    // The walk from zero moves nothing: the client starts the lap where the
    // path starts, not where the last one left it.
    if (!HasPoints())
        return;
    const Point_t<float> start = PointOf(m_spPath.Get(), m_nStartIndex);
    SetPosition(start.x, start.y);
}

void ModifierLocationPolygonicPath::Tick(int elapsedMs) {
    if (m_nElapsed >= m_nDuration) {
        if (m_bLoop)
            Restart();
        else
            EndModifier();
        if (m_nElapsed >= m_nDuration)
            return;
    }
    float fraction = static_cast<float>(m_nElapsed) / static_cast<float>(m_nDuration);
    if (m_pRedistribution)
        fraction = m_pRedistribution(fraction);
    m_fFraction = fraction;
    WalkTo(static_cast<double>(fraction) * m_dPathLength);
    m_nElapsed = AddTime(m_nElapsed, elapsedMs);
}

void ModifierLocationPolygonicPath::WalkTo(double distance) {
    if (!HasPoints())
        return;
    // The target lies within one lap; rounding may ask for one segment more.
    // The bound keeps a degenerate path from walking on for ever.
    for (int steps = m_spPath->GetCount() + 1; steps > 0 && distance - m_dReached > 0.0; --steps) {
        const Point_t<float> a = PointOf(m_spPath.Get(), m_nCurrentIndex);
        const Point_t<float> b = PointOf(m_spPath.Get(), m_nCurrentIndex + 1);
        const double length = std::hypot(static_cast<double>(b.x - a.x), static_cast<double>(b.y - a.y));
        const double along = distance - m_dSegmentStart;
        if (along <= length && std::fabs(length) > GameMath::SMALL_FLOAT) {
            const auto t = static_cast<float>(along / length);
            SetPosition(Interpolate(a.x, b.x, t), Interpolate(a.y, b.y, t));
            m_dReached = distance;
            return;
        }
        m_dSegmentStart += length;
        ++m_nCurrentIndex;
        SetPosition(b.x, b.y);
    }
}

void ModifierLocationPolygonicPath::EndModifier() {
    ModifierLocation::EndModifier();
    if (!HasPoints())
        return;
    const Point_t<float> end = PointOf(m_spPath.Get(), m_spPath->GetLineCount());
    SetPosition(end.x, end.y);
}

}  // namespace ZQ2
