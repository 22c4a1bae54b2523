#pragma once
// Moves its client along the outline of a polygon (or an open polyline) at a
// steady or eased speed, optionally round and round.
#include "engine/core/SmartPtr.h"
#include "engine/math/PolygonF.h"
#include "engine/modifier/ModifierLocation.h"

namespace ZQ2 {

class ModifierLocationPolygonicPath : public ModifierLocation {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Starts on the path's point at startIndex. A looping path starts over
    // there whenever its time is up and never ends by itself.
    ModifierLocationPolygonicPath(PolygonF* path, int durationMs, bool loop, bool ease, int startIndex);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;
    // The last point of an open path, the first of a closed one.
    void EndModifier() override;

private:
    void Restart();
    void WalkTo(double distance);
    bool HasPoints() const { return m_spPath && m_spPath->GetCount() > 0; }

    SmartPtr<PolygonF> m_spPath;
    double m_dPathLength;
    double m_dReached = 0.0;
    double m_dSegmentStart = 0.0;
    int m_nStartIndex;
    int m_nCurrentIndex;
    bool m_bLoop;
};

}  // namespace ZQ2
