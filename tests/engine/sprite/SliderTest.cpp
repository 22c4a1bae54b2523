#include "engine/sprite/Slider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/MouseMessageData.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::Mouse;

namespace {

struct Changes {
    static inline std::vector<float> values;
    static void Record(BaseObject*, BaseObject* sender) {
        values.push_back(DynamicCast<Slider>(sender) ? DynamicCast<Slider>(sender)->GetValue() : -99.0f);
    }
};

// A 120 x 10 bar at (100, 50) whose 20 x 10 thumb runs from x 0 to x 100,
// with step buttons of 10 x 10.
class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Changes::values.clear();
        m_Images.Add("ui/bar", WidgetTest::MakeImage(120, 10).Get());
        m_Images.Add("ui/thumb", WidgetTest::MakeImage(20, 10, 4).Get());
        m_Images.Add("ui/step", WidgetTest::MakeImage(10, 10, 4).Get());
        m_pSlider = WidgetTest::FromXml<Slider>(
            "<Slider name=\"SLIDER_FXVOL\" x=\"100\" y=\"50\" image=\"bar\" section=\"ui\" minx=\"0\" maxx=\"100\">"
            "<Button id=\"button\" image=\"thumb\" section=\"ui\"/>"
            "<Button id=\"incbutton\" image=\"step\" section=\"ui\"/>"
            "<Button id=\"decbutton\" image=\"step\" section=\"ui\"/></Slider>");
        ASSERT_NE(m_pSlider, nullptr);
        m_pSlider->SetTargetAndMethod(nullptr, &Changes::Record);
    }

    float HolderX() const { return m_pSlider->GetThumbHolder()->GetX(); }

    WidgetTest::FakeImages m_Images;
    SmartPtr<Slider> m_pSlider;
};

TEST_F(SliderTest, BuiltFromDataWithThumbAndStepButtons) {
    ASSERT_NE(m_pSlider->GetThumb(), nullptr);
    EXPECT_FALSE(m_pSlider->GetThumb()->IsInputListenerActive());
    EXPECT_EQ(m_pSlider->GetThumb()->GetParent(), m_pSlider->GetThumbHolder());
    ASSERT_NE(m_pSlider->GetIncreaseButton(), nullptr);
    EXPECT_EQ(m_pSlider->GetIncreaseButton()->GetX(), 120.0f);
    EXPECT_EQ(m_pSlider->GetIncreaseButton()->GetAnchorPoint().GetType(), ANCHOR_LEFT);
    EXPECT_EQ(m_pSlider->GetDecreaseButton()->GetX(), 0.0f);
    EXPECT_EQ(m_pSlider->GetDecreaseButton()->GetAnchorPoint().GetType(), ANCHOR_RIGHT);
    EXPECT_EQ(m_pSlider->GetTotalWidth(), 140.0f);
    EXPECT_EQ(m_pSlider->GetTotalHeight(), 10.0f);
    m_pSlider->SetEnabled(false);
    EXPECT_FALSE(m_pSlider->GetThumb()->IsEnabled());
    EXPECT_FALSE(m_pSlider->GetIncreaseButton()->IsEnabled());
}

TEST_F(SliderTest, StepsMoveATenthOfTheRangeAndStopAtTheEnds) {
    for (int i = 0; i < 12; ++i)
        Slider::OnIncreaseButtonClick(m_pSlider.Get(), nullptr);
    EXPECT_EQ(m_pSlider->GetValue(), 1.0f);
    EXPECT_NEAR(HolderX(), 100.0f, 1e-3f);
    EXPECT_NEAR(Changes::values[0], 0.1f, 1e-6f);
    for (int i = 0; i < 12; ++i)
        Slider::OnDecreaseButtonClick(m_pSlider.Get(), nullptr);
    EXPECT_EQ(m_pSlider->GetValue(), 0.0f);
    EXPECT_EQ(Changes::values.size(), 24u);
}

TEST_F(SliderTest, TheValuePlacesTheThumb) {
    m_pSlider->SetEndPoints(Point_t<float>(10, 0), Point_t<float>(110, 0));
    m_pSlider->SetValue(0.5f);
    m_pSlider->UpdateButtonPosByValue();
    EXPECT_NEAR(HolderX(), 60.0f, 1e-3f);
}

TEST_F(SliderTest, PressingTheBarJumpsAndDraggingTheThumbKeepsTheGrip) {
    EXPECT_TRUE(m_pSlider->OnMouseLeftDown(Mouse(160, 55)));  // on the bar, off the thumb
    EXPECT_NEAR(HolderX(), 60.0f, 1e-3f);
    EXPECT_NEAR(m_pSlider->GetValue(), 0.6f, 1e-6f);
    EXPECT_TRUE(m_pSlider->GetThumb()->IsStateSet(SPRITESTATE_PRESSED));
    m_pSlider->OnMouseLeftUp(Mouse(160, 55));
    EXPECT_FALSE(m_pSlider->GetThumb()->IsStateSet(SPRITESTATE_PRESSED));

    EXPECT_TRUE(m_pSlider->OnMouseLeftDown(Mouse(165, 55)));  // 5 pixels into the thumb
    EXPECT_NEAR(HolderX(), 60.0f, 1e-3f);
    m_pSlider->OnMouseMoved(Mouse(185, 55));
    EXPECT_NEAR(HolderX(), 80.0f, 1e-3f);
    m_pSlider->OnMouseMoved(Mouse(400, 55));  // beyond the end: the nearest track point
    EXPECT_NEAR(HolderX(), 100.0f, 1e-3f);
    EXPECT_NEAR(m_pSlider->GetValue(), 1.0f, 1e-6f);
    EXPECT_FALSE(m_pSlider->OnMouseLeftUp(Mouse(400, 55)));
    const size_t changes = Changes::values.size();
    m_pSlider->OnMouseMoved(Mouse(150, 55));  // no press: hover only
    EXPECT_EQ(Changes::values.size(), changes);
    EXPECT_FALSE(m_pSlider->OnMouseLeftDown(Mouse(50, 55)));  // off the slider
}

TEST_F(SliderTest, ADisabledSliderIgnoresPressesButClearsThePressedThumb) {
    m_pSlider->OnMouseLeftDown(Mouse(160, 55));
    m_pSlider->SetEnabled(false);
    EXPECT_FALSE(m_pSlider->OnMouseLeftDown(Mouse(120, 55)));
    m_pSlider->OnMouseMoved(Mouse(120, 55));
    EXPECT_NEAR(HolderX(), 60.0f, 1e-3f);
    m_pSlider->OnMouseLeftUp(Mouse(120, 55));
    EXPECT_FALSE(m_pSlider->GetThumb()->IsStateSet(SPRITESTATE_PRESSED));
}

TEST_F(SliderTest, AnEmptyRangeOrTrackGivesMinAndNoNaN) {
    m_pSlider->SetMinValue(0.5f);
    m_pSlider->SetMaxValue(0.5f);
    m_pSlider->SetValue(0.5f);
    m_pSlider->UpdateButtonPosByValue();
    EXPECT_NEAR(HolderX(), 0.0f, 1e-3f);
    Slider::OnIncreaseButtonClick(m_pSlider.Get(), nullptr);
    EXPECT_EQ(m_pSlider->GetValue(), 0.5f);

    m_pSlider->SetMinValue(0.0f);
    m_pSlider->SetMaxValue(1.0f);
    m_pSlider->SetEndPoints(Point_t<float>(30, 0), Point_t<float>(30, 0));
    m_pSlider->OnMouseLeftDown(Mouse(170, 55));
    EXPECT_EQ(m_pSlider->GetValue(), 0.0f);
    EXPECT_NEAR(HolderX(), 30.0f, 1e-3f);
    for (float value : Changes::values)
        EXPECT_FALSE(std::isnan(value));
}

TEST_F(SliderTest, InCodeTheEndPointsWaitToBeSet) {
    SmartPtr<Slider> slider(new Slider(0, 0, WidgetTest::MakeImage(50, 8).Get(), WidgetTest::MakeImage(8, 8).Get(),
                                       nullptr, &Changes::Record));
    ASSERT_NE(slider->GetThumb(), nullptr);
    EXPECT_EQ(slider->GetMaxPoint().x, 0.0f);
    slider->ResetButtonPosToImageSize();
    EXPECT_EQ(slider->GetMaxPoint().x, 42.0f);
    EXPECT_TRUE(slider->OnMouseLeftDown(Mouse(25, 4)));
    EXPECT_EQ(Changes::values.size(), 1u);
}

}  // namespace
