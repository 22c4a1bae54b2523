#pragma once
// Plays an image-frame animation on its client sprite: consecutive frames
// from a first one, or an explicit list, forward, backward or back and forth,
// a number of passes or endlessly. Also built from data as "ModifierFrame".
#include <string>

#include "engine/core/ZQVector.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class AbstractProperty;
class PropertyNode;
class Sprite;

enum eFrameDirection { FRAME_FORWARD = 0, FRAME_BACKWARD = 1, FRAME_SWITCH = 2 };

// The direction words of data, indexed by eFrameDirection.
extern const std::string g_FrameDirectionKeywords[3];

extern const char* const PROP_LOOPCOUNT;

class ModifierFrame : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The loop count the game passes for endless play.
    static constexpr int LOOP_ENDLESS = -999;

    // Every frame of the client's image.
    ModifierFrame(int frameTimeMs, int loopCount, eFrameDirection direction);
    // |last - first| + 1 frames counted upward from first. A single frame asked
    // to play endlessly plays once.
    ModifierFrame(int frameTimeMs, int firstFrame, int lastFrame, int loopCount, eFrameDirection direction);
    ModifierFrame(int frameTimeMs, const ZQVector<int>& frames, int loopCount, eFrameDirection direction);
    explicit ModifierFrame(AbstractProperty* data);

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // "loopcount", "frametime" and "framedirection"; absent keys and unknown
    // words keep the current values.
    void SetProperties(PropertyNode* data);

    void Tick(int elapsedMs) override;
    // Shows the frame the last pass ends on.
    void EndModifier() override;

    int CalcFrameCount() const;
    // The frame number at an index of the sequence.
    int GetFrameToPlay(int index) const;

    int GetFrameTime() const { return m_nFrameTime; }
    void SetFrameTime(int frameTimeMs) { m_nFrameTime = frameTimeMs; }
    eFrameDirection GetDirection() const { return m_eDirection; }
    void SetDirection(eFrameDirection direction) { m_eDirection = direction; }
    int GetLoopCount() const { return m_nLoopCount; }

private:
    Sprite* GetClientSprite() const;
    void Show(int index);

    int m_nLoopCount;
    int m_nFrameTime;
    int m_nFirstFrame = -1;
    int m_nFrameCount = -1;
    int m_nElapsed = 0;
    eFrameDirection m_eDirection;
    ZQVector<int> m_Frames;
};

}  // namespace ZQ2
