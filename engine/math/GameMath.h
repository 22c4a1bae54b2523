#pragma once
// Free helpers of game arithmetic: modulo with the divisor's sign, distances,
// angles, motion towards a target, nearest points, weighted random choice.
#include "engine/core/ZQVector.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

class PolygonF;

namespace GameMath {

inline constexpr float TINY_FLOAT = 1e-10f;
// Tolerance of every geometric test of the engine.
inline constexpr float SMALL_FLOAT = 0.001f;
inline constexpr double TINY_DOUBLE = 1e-10;
inline constexpr double SMALL_DOUBLE = 0.001;

// Remainder with the sign of b. A zero divisor gives 0 for ints and NaN for floats.
int Mod(int a, int b);
float Mod(float a, float b);

float CalcDistance(float x1, float y1, float x2, float y2);
double CalcDistance(double x1, double y1, double x2, double y2);
int CalcDistance(int x1, int y1, int x2, int y2);

// Angle of the direction (dx, dy) in radians, in (-pi, pi]; 0 for a zero vector.
float CalcLineAngle(float dx, float dy);
// Unit normal of the segment; (0, 0) for a segment of zero length.
void CalcNormal(float x1, float y1, float x2, float y2, float& nx, float& ny);

Point_t<float> Average(const Point_t<float>& a, const Point_t<float>& b, float t);

// Nearest point to p on the segment a-b, written to out (which may be null).
// Negative or positive when an end point is nearest (before a, beyond b), else 0.
float FindNearestPoint(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                       Point_t<float>* out);

// One step of motion along an axis towards target, braking in time to stop on it.
// Answers whether the target lay beyond the old position.
bool CalculateNewSpeedAndPosition(int ms, float& position, float target, float& speed, float maxSpeed,
                                  float acceleration, float deceleration, bool allowReverse);

// An index drawn with probability proportional to its weight. Weights that add
// up to nothing give the last index without drawing.
int GetRandomFromDistribution(const int* weights, int count);

// Appends samples of the cubic Hermite segment p0 -> p1 with tangents t0, t1,
// for t = 0, 1/steps, ... up to 1. Fewer than one step appends nothing.
void ComputeSpline(float p0, float p1, float t0, float t1, int steps, ZQVector<float>& out);

// Pulls the right and bottom edges of a clockwise polygon one pixel inwards,
// so that neighbouring filled polygons do not overlap.
void ContractInnerPolygon(PolygonF& polygon);

// Replaces out by in with steps - 1 spline points inserted between each pair
// of neighbouring points from first to last (Catmull-Rom tangents; zero
// tangents at the ends when clampEnds is set). Attributes of inserted points
// are those of the segment's start point.
void SmoothenPolygon(const PolygonF& in, PolygonF& out, int first, int last, int steps, bool clampEnds);
void SmoothenPolygon(const PolygonF& in, PolygonF& out, int steps, bool clampEnds);

}  // namespace GameMath

}  // namespace ZQ2
