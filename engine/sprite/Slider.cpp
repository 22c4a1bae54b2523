#include "engine/sprite/Slider.h"

#include <cmath>

#include "engine/framework/MouseMessageData.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/math/GameMath.h"
#include "engine/sprite/GameTree.h"

namespace ZQ2 {

const RTTI* const Slider::rttis[] = {&Sprite::rtti, &iInputListener::rtti, &iGuiMethod::rtti, nullptr};
const RTTI Slider::rtti("Slider", Slider::rttis);

ObjectInitializer Slider::m_ObjectInitializer("Slider", &Slider::OnData);

const char* const PROP_MINVALUE = "minvalue";
const char* const PROP_MAXVALUE = "maxvalue";
const char* const PROP_VERTICAL = "vertical";
const char* const PROP_MINX = "minx";
const char* const PROP_MINY = "miny";
const char* const PROP_MAXX = "maxx";
const char* const PROP_MAXY = "maxy";
const char* const PROP_NODE_BUTTON = "button";
const char* const PROP_NODE_INCREASEBUTTON = "incbutton";
const char* const PROP_NODE_DECREASEBUTTON = "decbutton";

namespace {

float Distance(const Point_t<float>& a, const Point_t<float>& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

Slider::Slider(AbstractProperty* data) : Sprite(data) {
    CreateThumbHolder();
    PropertyNode* node = data ? data->ToNode() : nullptr;
    if (node) {
        SetProperties(node);
        m_pThumb = MakeChild(node, PROP_NODE_BUTTON);
        if (m_pThumb) {
            m_pThumb->SetInputListenerActive(false);
            GameTree::LinkNodeUnder(m_pThumbHolder, m_pThumb.Get());
        }
        m_pIncreaseButton = MakeChild(node, PROP_NODE_INCREASEBUTTON);
        m_pDecreaseButton = MakeChild(node, PROP_NODE_DECREASEBUTTON);
        if (m_pIncreaseButton) {
            m_pIncreaseButton->SetTargetAndMethod(this, &Slider::OnIncreaseButtonClick);
            GameTree::LinkNodeUnder(this, m_pIncreaseButton.Get());
        }
        if (m_pDecreaseButton) {
            m_pDecreaseButton->SetTargetAndMethod(this, &Slider::OnDecreaseButtonClick);
            GameTree::LinkNodeUnder(this, m_pDecreaseButton.Get());
        }
    } else {
        ResetButtonPosToImageSize();
    }
    PositionScrollBarButtons();
    UpdateButtonPosByValue();
}

Slider::Slider(float x, float y, Image* background, Image* thumb, BaseObject* target, iGuiMethod::Method callback)
    : Sprite(x, y, background) {
    SetTargetAndMethod(target, callback);
    CreateThumbHolder();
    if (thumb) {
        m_pThumb = new Button(0.0f, 0.0f, thumb, target, callback);
        m_pThumb->SetInputListenerActive(false);
        GameTree::LinkNodeUnder(m_pThumbHolder, m_pThumb.Get());
    }
    UpdateButtonPosByValue();
}

Slider::~Slider() = default;

BaseObject* Slider::OnData(AbstractProperty* data) { return new Slider(data); }

void* Slider::QueryInterface(const RTTI& which) {
    if (&which == &iInputListener::rtti)
        return static_cast<iInputListener*>(this);
    if (&which == &iGuiMethod::rtti)
        return static_cast<iGuiMethod*>(this);
    return Sprite::QueryInterface(which);
}

void Slider::CreateThumbHolder() {
    m_pThumbHolder = new GameNode(std::string());
    GameTree::LinkNodeUnder(this, m_pThumbHolder);
}

Button* Slider::MakeChild(PropertyNode* data, const char* name) {
    PropertyNode* child = data->GetNode(name);
    if (!child)
        return nullptr;
    BaseObject* object = ObjectFactory::Instance()->CreateObject(child);
    Button* button = DynamicCast<Button>(object);
    if (!button && object)
        SmartPtr<BaseObject> drop(object);
    return button;
}

void Slider::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_ENABLED))
        SetEnabled(data->GetValue(PROP_ENABLED)->ToBoolean());
    if (data->HasProperty(PROP_MINVALUE)) {
        m_fMinValue = data->GetValue(PROP_MINVALUE)->ToFloat();
        UpdateButtonPosByValue();
    }
    if (data->HasProperty(PROP_MAXVALUE)) {
        m_fMaxValue = data->GetValue(PROP_MAXVALUE)->ToFloat();
        UpdateButtonPosByValue();
    }
    if (data->HasProperty(PROP_VERTICAL))
        m_bVertical = data->GetValue(PROP_VERTICAL)->ToBoolean();
    if (data->HasProperty(PROP_MINX))
        m_MinPoint.x = data->GetValue(PROP_MINX)->ToFloat();
    if (data->HasProperty(PROP_MINY))
        m_MinPoint.y = data->GetValue(PROP_MINY)->ToFloat();
    if (data->HasProperty(PROP_MAXX))
        m_MaxPoint.x = data->GetValue(PROP_MAXX)->ToFloat();
    if (data->HasProperty(PROP_MAXY))
        m_MaxPoint.y = data->GetValue(PROP_MAXY)->ToFloat();
}

void Slider::SetEnabled(bool enabled) {
    if (enabled == m_bEnabled)
        return;
    m_bEnabled = enabled;
    for (Button* button : {m_pThumb.Get(), m_pIncreaseButton.Get(), m_pDecreaseButton.Get()}) {
        if (button)
            button->SetEnabled(enabled);
    }
}

void Slider::SetEndPoints(const Point_t<float>& minPoint, const Point_t<float>& maxPoint) {
    m_MinPoint = minPoint;
    m_MaxPoint = maxPoint;
}

// ---- placement

void Slider::UpdateButtonPosByValue() {
    if (!m_pThumbHolder)
        return;
    // An empty range has no position along the track: the thumb sits at min.
    const float range = m_fMaxValue - m_fMinValue;
    const float t = range != 0.0f ? std::fabs((m_fValue - m_fMinValue) / range) : 0.0f;
    m_pThumbHolder->SetLocation(m_MinPoint.x + (m_MaxPoint.x - m_MinPoint.x) * t,
                                m_MinPoint.y + t * (m_MaxPoint.y - m_MinPoint.y));
}

void Slider::ResetButtonPosToImageSize() {
    m_MinPoint = Point_t<float>(0.0f, 0.0f);
    const float thumbWidth = m_pThumb ? m_pThumb->GetWidth() : 0.0f;
    const float thumbHeight = m_pThumb ? m_pThumb->GetHeight() : 0.0f;
    if (m_bVertical)
        m_MaxPoint = Point_t<float>(0.0f, GetHeight() - thumbHeight);
    else
        m_MaxPoint = Point_t<float>(GetWidth() - thumbWidth, 0.0f);
    UpdateButtonPosByValue();
}

void Slider::PositionScrollBarButtons() {
    if (m_bVertical) {
        if (m_pDecreaseButton) {
            m_pDecreaseButton->SetAnchorPoint(ANCHOR_BOTTOM);
            m_pDecreaseButton->SetLocation(GetWidth() * 0.5f, 0.0f);
        }
        if (m_pIncreaseButton) {
            m_pIncreaseButton->SetAnchorPoint(ANCHOR_TOP);
            m_pIncreaseButton->SetLocation(GetWidth() * 0.5f, GetHeight());
        }
        return;
    }
    if (m_pDecreaseButton) {
        m_pDecreaseButton->SetAnchorPoint(ANCHOR_RIGHT);
        m_pDecreaseButton->SetLocation(0.0f, GetHeight() * 0.5f);
    }
    if (m_pIncreaseButton) {
        m_pIncreaseButton->SetAnchorPoint(ANCHOR_LEFT);
        m_pIncreaseButton->SetLocation(GetWidth(), GetHeight() * 0.5f);
    }
}

float Slider::GetTotalWidth() const {
    float width = GetWidth();
    if (m_bVertical)
        return width;
    for (const Button* button : {m_pIncreaseButton.Get(), m_pDecreaseButton.Get()}) {
        if (button)
            width += button->GetWidth();
    }
    return width;
}

float Slider::GetTotalHeight() const {
    float height = GetHeight();
    if (!m_bVertical)
        return height;
    for (const Button* button : {m_pIncreaseButton.Get(), m_pDecreaseButton.Get()}) {
        if (button)
            height += button->GetHeight();
    }
    return height;
}

// ---- value changes

void Slider::Changed() {
    SmartPtr<Slider> hold(GetRefCount() > 0 ? this : nullptr);
    TryExecuteMethod(this);
}

void Slider::Step(float direction) {
    const float step = (m_fMaxValue - m_fMinValue) / 10.0f;
    m_fValue += direction * step;
    if (direction > 0.0f && m_fValue > m_fMaxValue)
        m_fValue = m_fMaxValue;
    if (direction < 0.0f && m_fValue < m_fMinValue)
        m_fValue = m_fMinValue;
    UpdateButtonPosByValue();
    Changed();
}

void Slider::OnIncreaseButtonClick(BaseObject* target, BaseObject*) {
    if (Slider* slider = DynamicCast<Slider>(target))
        slider->Step(1.0f);
}

void Slider::OnDecreaseButtonClick(BaseObject* target, BaseObject*) {
    if (Slider* slider = DynamicCast<Slider>(target))
        slider->Step(-1.0f);
}

void Slider::UpdateButtonPos(float x, float y) {
    const Point_t<float> p(x - m_fGrabX, y - m_fGrabY);
    Point_t<float> q = m_MinPoint;
    GameMath::FindNearestPoint(p, m_MinPoint, m_MaxPoint, &q);
    m_pThumbHolder->SetLocation(q.x, q.y);
    // A track without length keeps the value at min.
    const float length = Distance(m_MinPoint, m_MaxPoint);
    m_fValue = length > 0.0f ? m_fMinValue + (m_fMaxValue - m_fMinValue) * Distance(q, m_MinPoint) / length
                             : m_fMinValue;
    m_bChanged = true;
}

// ---- input

bool Slider::OnMouseLeftDown(const MouseMessageData& m) {
    if (!m_bEnabled)
        return false;
    const bool inThumb = m_pThumb && m_pThumb->IsInside(m.GetX(), m.GetY());
    if (!inThumb && !Sprite::IsInside(m.GetX(), m.GetY()))
        return false;
    const Point_t<float> origin = ToGlobal(0.0f, 0.0f);
    m_fGrabX = origin.x;
    m_fGrabY = origin.y;
    if (inThumb) {
        const Point_t<float> holder = m_pThumbHolder->ToGlobal(0.0f, 0.0f);
        m_fGrabX += m.GetX() - holder.x;
        m_fGrabY += m.GetY() - holder.y;
    }
    UpdateButtonPos(m.GetX(), m.GetY());
    if (m_pThumb) {
        m_pThumb->SetState(SPRITESTATE_PRESSED, true);
        m_pThumb->SetState(SPRITESTATE_OVER, true);
    }
    Changed();
    return true;
}

bool Slider::OnMouseMoved(const MouseMessageData& m) {
    if (!m_bEnabled)
        return false;
    if (m_pThumb && m_pThumb->IsStateSet(SPRITESTATE_PRESSED)) {
        UpdateButtonPos(m.GetX(), m.GetY());
        Changed();
        return false;
    }
    if (m_pThumb)
        m_pThumb->SetState(SPRITESTATE_OVER, m_pThumb->IsInside(m.GetX(), m.GetY()));
    return false;
}

bool Slider::OnMouseLeftUp(const MouseMessageData& m) {
    if (m_pThumb) {
        m_pThumb->SetState(SPRITESTATE_OVER, m_pThumb->IsInside(m.GetX(), m.GetY()));
        m_pThumb->SetState(SPRITESTATE_PRESSED, false);
    }
    return false;
}

}  // namespace ZQ2
