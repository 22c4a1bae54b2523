#include "engine/sprite/Button.h"

#include <algorithm>
#include <lua.hpp>

#include "engine/core/Utils.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Image.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const Button::rttis[] = {&Sprite::rtti, &iInputListener::rtti, &iGuiMethod::rtti, &iHitMask::rtti,
                                     nullptr};
const RTTI Button::rtti("Button", Button::rttis);

ObjectInitializer Button::m_ObjectInitializer("Button", &Button::OnData);

const char* const PROP_ENABLED = "enabled";
const char* const PROP_CLICKSOUND = "clicksound";
const char* const PROP_OVERSOUND = "oversound";
const char* const PROP_DISABLEDSOUND = "disabledsound";
const char* const PROP_SOUNDSECTION = "soundsection";
const char* const PROP_FIREKEY = "firekey";

namespace {

const char* const kSoundSection = "section";

Button* CheckButton(lua_State* L) {
    Button* button = DynamicCast<Button>(GameNode::CheckLuaNode(L, 1));
    if (!button)
        luaL_argerror(L, 1, "not a Button");
    return button;
}

int glue_enabled(lua_State* L) {
    lua_pushboolean(L, CheckButton(L)->IsEnabled());
    return 1;
}

int glue_setEnabled(lua_State* L) {
    CheckButton(L)->SetEnabled(lua_toboolean(L, 2) != 0);
    return 0;
}

const luaL_Reg kButtonMethods[] = {
    {"enabled", glue_enabled},
    {"isEnabled", glue_enabled},
    {"setEnabled", glue_setEnabled},
    {nullptr, nullptr},
};

}  // namespace

Button::Button(AbstractProperty* data) : Sprite(data), iHitMask(data) {
    if (PropertyNode* node = data ? data->ToNode() : nullptr)
        SetProperties(node);
    SetupScript();
}

Button::Button(float x, float y, Image* image, BaseObject* target, iGuiMethod::Method callback)
    : Sprite(x, y, image), iHitMask(nullptr) {
    SetTargetAndMethod(target, callback);
    SetupScript();
}

Button::~Button() { m_CursorCounter.Reset(); }

BaseObject* Button::OnData(AbstractProperty* data) { return new Button(data); }

void Button::SetupScript() { SetupMetatableForObject("xov.Button", "xov.Sprite", nullptr, "Button", kButtonMethods); }

void* Button::QueryInterface(const RTTI& which) {
    if (&which == &iInputListener::rtti)
        return static_cast<iInputListener*>(this);
    if (&which == &iGuiMethod::rtti)
        return static_cast<iGuiMethod*>(this);
    if (&which == &iHitMask::rtti)
        return static_cast<iHitMask*>(this);
    return Sprite::QueryInterface(which);
}

// ---- property data

void Button::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_ENABLED))
        SetEnabled(data->GetValue(PROP_ENABLED)->ToBoolean());
    if (data->HasProperty(PROP_CLICKSOUND))
        SetSoundId("click", data->GetPropString(PROP_CLICKSOUND));
    if (data->HasProperty(PROP_OVERSOUND))
        SetSoundId("over", data->GetPropString(PROP_OVERSOUND));
    if (data->HasProperty(PROP_DISABLEDSOUND))
        SetSoundId("disabled", data->GetPropString(PROP_DISABLEDSOUND));
    if (data->HasProperty(PROP_SOUNDSECTION))
        SetSoundSection(data->GetPropString(PROP_SOUNDSECTION));
    if (data->HasProperty(PROP_FIREKEY)) {
        std::string keys = data->GetPropString(PROP_FIREKEY);
        Utils::Replace(keys, " ", "", true);
        ZQVector<std::string> pieces;
        Utils::SplitString(keys, pieces, ",", false);
        m_FireKeys.clear();
        for (const std::string& piece : pieces)
            m_FireKeys.push_back(Utils::ParseInt(piece));
    }
}

// ---- sounds

void Button::SetSoundId(const std::string& event, const std::string& sound) {
    if (sound.empty())
        m_Sounds.erase(event);
    else
        m_Sounds[event] = sound;
}

void Button::PlaySound(const std::string& event) const {
    const auto name = m_Sounds.find(event);
    const auto section = m_Sounds.find(kSoundSection);
    if (name == m_Sounds.end() || section == m_Sounds.end())
        return;
    if (Sound* sound = DynamicCast<Sound>(ResourceLookup::GetResource(name->second, section->second)))
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

// ---- state

int Button::FrameForState(BitFlags_t<eSpriteState> state, int frameCount) {
    int frame = FRAME_NORMAL;
    if (state.IsSet(SPRITESTATE_DISABLED))
        frame = FRAME_DISABLED;
    else if (state.IsSet(SPRITESTATE_PRESSED))
        frame = state.IsSet(SPRITESTATE_OVER) ? FRAME_PRESSED : FRAME_OVER;
    else if (state.IsSet(SPRITESTATE_OVER))
        frame = FRAME_OVER;
    if (frameCount >= 0 && frame >= frameCount)
        frame = std::max(frameCount - 1, 0);
    return frame;
}

void Button::UpdateVisualState() {
    const bool hovered = m_State.IsSet(SPRITESTATE_OVER) || m_State.IsSet(SPRITESTATE_PRESSED);
    m_CursorCounter.SetUsed(!m_State.IsSet(SPRITESTATE_DISABLED) && hovered);
    SetCurrentFrame(FrameForState(m_State, GetImage() ? GetImage()->GetFrameCount() : -1));
}

void Button::SetState(eSpriteState state, bool on) {
    if (m_State.IsSet(state) == on)
        return;
    m_State.SetFlag(state, on);
    UpdateVisualState();
}

void Button::SetImage(Image* image) {
    if (image == GetImage())
        return;
    Sprite::SetImage(image);
    UpdateVisualState();
}

ImageFrame* Button::GetHitMaskFrame() { return GetImage() ? GetImage()->GetFrame() : nullptr; }

bool Button::IsInside(float x, float y) {
    if (!Sprite::IsInside(x, y))
        return false;
    if (GetHitMaskThreshold() == -1)
        return true;
    return IsInsideMask(ToLocal(x, y));
}

// ---- input

SmartPtr<Button> Button::Hold() { return SmartPtr<Button>(GetRefCount() > 0 ? this : nullptr); }

bool Button::OnMouseMoved(const MouseMessageData& m) {
    if (!m_State.IsSet(SPRITESTATE_PRESSED) && m.GetState().IsSet(MOUSESTATE_LEFT)) {
        SetState(SPRITESTATE_OVER, false);
        return false;
    }
    if (!IsInside(m.GetX(), m.GetY())) {
        SetState(SPRITESTATE_OVER, false);
        return false;
    }
    if (!m_State.IsSet(SPRITESTATE_OVER) && IsEnabled())
        PlaySound("over");
    SetState(SPRITESTATE_OVER, true);
    return false;
}

bool Button::OnMouseLeftDown(const MouseMessageData& m) {
    const bool inside = IsInside(m.GetX(), m.GetY());
    bool consumed = false;
    if (inside && !IsEnabled()) {
        PlaySound("disabled");
    } else if (inside) {
        PlaySound("click");
        SetState(SPRITESTATE_PRESSED, true);
        consumed = true;
    }
    SetState(SPRITESTATE_OVER, inside);
    return consumed;
}

bool Button::OnMouseLeftUp(const MouseMessageData& m) {
    const SmartPtr<Button> hold = Hold();
    const bool inside = IsInside(m.GetX(), m.GetY());
    const bool fired = inside && IsEnabled() && m_State.IsSet(SPRITESTATE_PRESSED);
    if (fired)
        TryExecuteMethod(this);
    SetState(SPRITESTATE_OVER, inside && !fired);
    SetState(SPRITESTATE_PRESSED, false);
    return fired;
}

bool Button::IsFireKey(const KeyboardMessageData& k) const {
    const auto character = static_cast<int>(k.GetCharacter());
    return std::find(m_FireKeys.begin(), m_FireKeys.end(), character) != m_FireKeys.end();
}

bool Button::OnKeyDown(const KeyboardMessageData& k) {
    if (!IsEnabled() || !IsFireKey(k))
        return false;
    SetState(SPRITESTATE_PRESSED, true);
    return true;
}

bool Button::OnKeyUp(const KeyboardMessageData& k) {
    if (!IsEnabled() || !IsFireKey(k))
        return false;
    const SmartPtr<Button> hold = Hold();
    TryExecuteMethod(this);
    SetState(SPRITESTATE_PRESSED, false);
    return true;
}

void Button::ResetInputState() {
    SetState(SPRITESTATE_OVER, false);
    SetState(SPRITESTATE_PRESSED, false);
    m_CursorCounter.Reset();
}

}  // namespace ZQ2
