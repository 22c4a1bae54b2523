#pragma once
// The toggle button: a check box, or a radio button when it shares a group
// id with other switches. A click flips its checked state, which it shows
// with a second set of frames.
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Button.h"

namespace ZQ2 {

extern const char* const PROP_GROUPID;
extern const char* const PROP_CHECKED;
extern const char* const PROP_SOUND_ON;
extern const char* const PROP_SOUND_OFF;

// The state bit of a checked switch, beside the button's own bits.
constexpr eSpriteState SPRITESTATE_CHECKED = static_cast<eSpriteState>(8);

class Switch : public Button {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit Switch(AbstractProperty* data);
    Switch(float x, float y, Image* image, BaseObject* target, iGuiMethod::Method callback);
    Switch(const Switch&) = delete;
    Switch& operator=(const Switch&) = delete;
    // Leaves the registry of switches.
    ~Switch() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    void SetProperties(PropertyNode* data);

    // Checking a grouped switch unchecks the rest of its group first.
    virtual bool SetChecked(bool checked);
    bool IsChecked() const { return IsStateSet(SPRITESTATE_CHECKED); }
    int GetGroupId() const { return m_nGroupId; }
    void SetGroupId(int group) { m_nGroupId = group; }
    // A sprite beside the switch (its caption) that also takes its clicks.
    void SetExtraLabel(Sprite* label) { m_pExtraLabel = label; }
    Sprite* GetExtraLabel() const { return m_pExtraLabel.Get(); }

    // The button's frame, moved to the checked set while checked.
    void UpdateVisualState() override;
    // Six frames, or eight and more.
    bool IsValidFrameCount(int count) const override { return count == 6 || count >= 8; }
    bool OnMouseLeftUp(const MouseMessageData& m) override;
    bool IsInside(float x, float y) override;

    // Every live switch, in creation order; not owning.
    static const ZQVector<Switch*>& GetGlobalSwitches() { return m_GlobalSwitches; }

private:
    static inline ZQVector<Switch*> m_GlobalSwitches;

    int m_nGroupId = -1;
    SmartPtr<Sprite> m_pExtraLabel;
};

}  // namespace ZQ2
