#pragma once
// The value slider and scroll bar: a thumb button dragged between two end
// points over a background, with optional buttons that step the value by a
// tenth of its range. Its bound callback hears every change the user makes.
#include "engine/core/SmartPtr.h"
#include "engine/core/iGuiMethod.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/math/Point_t.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

extern const char* const PROP_MINVALUE;
extern const char* const PROP_MAXVALUE;
extern const char* const PROP_VERTICAL;
extern const char* const PROP_MINX;
extern const char* const PROP_MINY;
extern const char* const PROP_MAXX;
extern const char* const PROP_MAXY;
extern const char* const PROP_NODE_BUTTON;
extern const char* const PROP_NODE_INCREASEBUTTON;
extern const char* const PROP_NODE_DECREASEBUTTON;

class Slider : public Sprite, public iInputListener, public iGuiMethod {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit Slider(AbstractProperty* data);
    Slider(float x, float y, Image* background, Image* thumb, BaseObject* target, iGuiMethod::Method callback);
    Slider(const Slider&) = delete;
    Slider& operator=(const Slider&) = delete;
    ~Slider() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    // The input-listener and change-callback parts, or what the sprite answers.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    void SetProperties(PropertyNode* data);

    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_bEnabled; }
    // Callers that set the value place the thumb afterwards.
    void SetValue(float value) { m_fValue = value; }
    float GetValue() const { return m_fValue; }
    void SetMinValue(float value) { m_fMinValue = value; }
    float GetMinValue() const { return m_fMinValue; }
    void SetMaxValue(float value) { m_fMaxValue = value; }
    float GetMaxValue() const { return m_fMaxValue; }
    bool IsVertical() const { return m_bVertical; }
    void SetVertical(bool vertical) { m_bVertical = vertical; }
    void SetEndPoints(const Point_t<float>& minPoint, const Point_t<float>& maxPoint);
    const Point_t<float>& GetMinPoint() const { return m_MinPoint; }
    const Point_t<float>& GetMaxPoint() const { return m_MaxPoint; }

    GameNode* GetThumbHolder() const { return m_pThumbHolder; }
    Button* GetThumb() const { return m_pThumb.Get(); }
    Button* GetIncreaseButton() const { return m_pIncreaseButton.Get(); }
    Button* GetDecreaseButton() const { return m_pDecreaseButton.Get(); }

    // Places the thumb for the current value.
    void UpdateButtonPosByValue();
    // End points from the slider's and the thumb's sizes.
    void ResetButtonPosToImageSize();
    // The step buttons against the slider's ends.
    void PositionScrollBarButtons();
    float GetTotalWidth() const;
    float GetTotalHeight() const;

    static void OnIncreaseButtonClick(BaseObject* target, BaseObject* sender);
    static void OnDecreaseButtonClick(BaseObject* target, BaseObject* sender);

    bool OnMouseLeftDown(const MouseMessageData& m) override;
    bool OnMouseLeftUp(const MouseMessageData& m) override;
    bool OnMouseMoved(const MouseMessageData& m) override;

private:
    void CreateThumbHolder();
    // Moves the thumb to the track point nearest the mouse and takes its value.
    void UpdateButtonPos(float x, float y);
    void Step(float direction);
    void Changed();
    Button* MakeChild(PropertyNode* data, const char* name);

    bool m_bEnabled = true;
    float m_fValue = 0.0f;
    float m_fMinValue = 0.0f;
    float m_fMaxValue = 1.0f;
    bool m_bVertical = false;
    Point_t<float> m_MinPoint{0.0f, 0.0f};
    Point_t<float> m_MaxPoint{0.0f, 0.0f};
    float m_fGrabX = 0.0f;
    float m_fGrabY = 0.0f;
    GameNode* m_pThumbHolder = nullptr;  // a child node: the tree holds it
    SmartPtr<Button> m_pThumb;
    SmartPtr<Button> m_pIncreaseButton;
    SmartPtr<Button> m_pDecreaseButton;
};

}  // namespace ZQ2
