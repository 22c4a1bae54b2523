#include "engine/sprite/Switch.h"

#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Image.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const RTTI* const Switch::rttis[] = {&Button::rtti, nullptr};
const RTTI Switch::rtti("Switch", Switch::rttis);

ObjectInitializer Switch::m_ObjectInitializer("Switch", &Switch::OnData);

const char* const PROP_GROUPID = "groupid";
const char* const PROP_CHECKED = "checked";
const char* const PROP_SOUND_ON = "onsound";
const char* const PROP_SOUND_OFF = "ofausnd";

namespace {

const char* const kSoundOn = "on";
const char* const kSoundOff = "off";
const char* const kSoundDisabled = "disabled";

}  // namespace

Switch::Switch(AbstractProperty* data) : Button(data) {
    if (PropertyNode* node = data ? data->ToNode() : nullptr)
        SetProperties(node);
    m_GlobalSwitches.push_back(this);
}

Switch::Switch(float x, float y, Image* image, BaseObject* target, iGuiMethod::Method callback)
    : Button(x, y, image, target, callback) {
    m_GlobalSwitches.push_back(this);
}

Switch::~Switch() { m_GlobalSwitches.remove(this); }

BaseObject* Switch::OnData(AbstractProperty* data) { return new Switch(data); }

void Switch::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_GROUPID))
        m_nGroupId = data->GetValue(PROP_GROUPID)->ToInt();
    if (data->HasProperty(PROP_CHECKED))
        SetChecked(data->GetValue(PROP_CHECKED)->ToBoolean());
    if (data->HasProperty(PROP_SOUND_ON))
        SetSoundId(kSoundOn, data->GetPropString(PROP_SOUND_ON));
    if (data->HasProperty(PROP_SOUND_OFF))
        SetSoundId(kSoundOff, data->GetPropString(PROP_SOUND_OFF));
}

bool Switch::SetChecked(bool checked) {
    if (checked == IsChecked())
        return checked;
    if (checked && m_nGroupId != -1) {
        // A copy: unchecking may run code that makes or destroys switches.
        const ZQVector<Switch*> others = m_GlobalSwitches;
        for (Switch* other : others) {
            if (other != this && other->m_nGroupId == m_nGroupId && m_GlobalSwitches.contains(other))
                other->SetChecked(false);
        }
    }
    SetState(SPRITESTATE_CHECKED, checked);
    return IsChecked();
}

void Switch::UpdateVisualState() {
    Button::UpdateVisualState();
    if (!IsChecked() || !GetImage())
        return;
    const int frames = GetImage()->GetFrameCount();
    const int frame = GetCurrentFrame() + (frames == 6 ? 3 : 4);
    // A disabled checked switch of six frames has no frame of its own: it
    // shows the last one.
    SetCurrentFrame(frame < frames ? frame : frames - 1);
}

bool Switch::IsInside(float x, float y) {
    if (m_pExtraLabel && m_pExtraLabel->IsInside(x, y))
        return true;
    return Button::IsInside(x, y);
}

bool Switch::OnMouseLeftUp(const MouseMessageData& m) {
    SmartPtr<Switch> hold(GetRefCount() > 0 ? this : nullptr);
    const bool inside = IsInside(m.GetX(), m.GetY());
    bool handled = false;
    if (inside && !IsEnabled()) {
        PlaySound(kSoundDisabled);
    } else if (inside && IsStateSet(SPRITESTATE_PRESSED)) {
        handled = true;
        if (m_nGroupId == -1 || !IsChecked()) {
            SetChecked(!IsChecked());
            TryExecuteMethod(this);
            if (IsChecked())
                PlaySound(kSoundOn);
            else if (m_nGroupId == -1)
                PlaySound(kSoundOff);
        }
    }
    SetState(SPRITESTATE_OVER, inside && !handled);
    SetState(SPRITESTATE_PRESSED, false);
    return handled;
}

}  // namespace ZQ2
