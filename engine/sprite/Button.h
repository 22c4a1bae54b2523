#pragma once
// The engine's push button: a sprite whose image holds a frame per state
// (normal, over, pressed, disabled). It reacts to the mouse and to fire
// keys, plays a sound per event, shows the pointing cursor while hovered,
// may test hits against a mask, and on a completed click calls its bound
// callback with itself as sender.
#include <map>
#include <string>

#include "engine/core/BitFlags_t.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iGuiMethod.h"
#include "engine/framework/MouseCursorCounter.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/eSpriteState.h"
#include "engine/sprite/iHitMask.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

extern const char* const PROP_ENABLED;
extern const char* const PROP_CLICKSOUND;
extern const char* const PROP_OVERSOUND;
extern const char* const PROP_DISABLEDSOUND;
extern const char* const PROP_SOUNDSECTION;
extern const char* const PROP_FIREKEY;

class Button : public Sprite, public iInputListener, public iGuiMethod, public iHitMask {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Frames of the states, in the order the image holds them.
    enum eStateFrame : int { FRAME_NORMAL = 0, FRAME_OVER = 1, FRAME_PRESSED = 2, FRAME_DISABLED = 3 };

    explicit Button(AbstractProperty* data);
    Button(float x, float y, Image* image, BaseObject* target, iGuiMethod::Method callback);
    ~Button() override;
    Button(const Button&) = delete;
    Button& operator=(const Button&) = delete;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    // The input-listener, bound-callback and hit-mask parts, or what the
    // sprite answers.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    // Picks the frame and the cursor vote for the current state.
    virtual void UpdateVisualState();
    virtual bool IsValidFrameCount(int count) const { return count > 2; }
    ImageFrame* GetHitMaskFrame() override;
    virtual void SetEnabled(bool enabled) { SetState(SPRITESTATE_DISABLED, !enabled); }
    virtual void SetState(eSpriteState state, bool on);
    bool OnMouseMoved(const MouseMessageData& m) override;
    bool OnMouseLeftDown(const MouseMessageData& m) override;
    // Calls the callback before the state changes, so a callback may
    // disable, hide or remove the button.
    bool OnMouseLeftUp(const MouseMessageData& m) override;
    void ResetInputState() override;
    bool OnKeyDown(const KeyboardMessageData& k) override;
    bool OnKeyUp(const KeyboardMessageData& k) override;

    // The sprite's rectangle, then the hit mask when a threshold is set.
    bool IsInside(float x, float y) override;
    void SetImage(Image* image) override;

    void SetProperties(PropertyNode* data);
    // An empty sound removes the event's entry.
    void SetSoundId(const std::string& event, const std::string& sound);
    void SetSoundSection(const std::string& section) { SetSoundId("section", section); }
    void PlaySound(const std::string& event) const;

    bool IsEnabled() const { return !m_State.IsSet(SPRITESTATE_DISABLED); }
    bool IsStateSet(eSpriteState state) const { return m_State.IsSet(state); }
    BitFlags_t<eSpriteState> GetState() const { return m_State; }
    const ZQVector<int>& GetFireKeys() const { return m_FireKeys; }
    const std::map<std::string, std::string>& GetSounds() const { return m_Sounds; }
    const MouseCursorCounter& GetCursorCounter() const { return m_CursorCounter; }

    // The frame shown for a state with an image of frameCount frames (a
    // negative count: no image).
    static int FrameForState(BitFlags_t<eSpriteState> state, int frameCount);

private:
    void SetupScript();
    bool IsFireKey(const KeyboardMessageData& k) const;
    // A reference for the length of a callback that may let go of the
    // button; none for a button nobody holds.
    SmartPtr<Button> Hold();

    MouseCursorCounter m_CursorCounter{CURSOR_HAND_POINT};
    BitFlags_t<eSpriteState> m_State;
    std::map<std::string, std::string> m_Sounds;
    ZQVector<int> m_FireKeys;
};

}  // namespace ZQ2
