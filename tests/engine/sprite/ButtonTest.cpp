// Buttons: the state table and its frames, sounds per event, fire keys,
// the callback before the state update, hit masks and the script methods.
#include "engine/sprite/Button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/framework/MouseCursorCounter.h"
#include "engine/graphics/Mask.h"
#include "engine/sound/Sound.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::FromXml;
using WidgetTest::Key;
using WidgetTest::MakeImage;
using WidgetTest::Mouse;

namespace {

// Sound resources asked for, as "section/name"; each is a real, silent sound.
struct FakeSounds {
    static inline std::vector<std::string> asked;
    static BaseObject* Get(const std::string& name, const std::string& section) {
        asked.push_back(section + "/" + name);
        static SmartPtr<Sound> sound(new Sound(1.0f, 0.0f, 1.0f));
        return sound.Get();
    }
};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeSounds::asked.clear();
        ResourceLookup::SetResourceSource(&FakeSounds::Get);
        m_Images.Add("ui/four", MakeImage(20, 10, 4).Get());
        m_Images.Add("ui/three", MakeImage(20, 10, 3).Get());
        m_Images.Add("ui/one", MakeImage(20, 10, 1).Get());
        s_Fired.clear();
    }
    void TearDown() override { ResourceLookup::SetResourceSource(nullptr); }

    // A 20 x 10 button at 100, 50 with sounds and a callback.
    static SmartPtr<Button> Make(const std::string& attributes = "") {
        SmartPtr<Button> button = FromXml<Button>(
            "<Button name=\"b\" x=\"100\" y=\"50\" image=\"four\" section=\"ui\" clicksound=\"click\" "
            "oversound=\"over\" disabledsound=\"nope\" soundsection=\"sfx\" " +
            attributes + "/>");
        if (button)
            button->SetTargetAndMethod(nullptr, &Record);
        return button;
    }
    // Logs the button's state while its callback runs.
    static void Record(BaseObject*, BaseObject* sender) {
        auto* button = DynamicCast<Button>(sender);
        s_Fired.push_back("fired:" + std::to_string(button->GetState().GetFlags()));
    }

    static inline std::vector<std::string> s_Fired;
    WidgetTest::FakeImages m_Images;
};

TEST(ButtonStates, FrameTable) {
    const unsigned int O = SPRITESTATE_OVER, P = SPRITESTATE_PRESSED, D = SPRITESTATE_DISABLED;
    struct Case {
        unsigned int state;
        int frames;
        int frame;
    };
    const Case cases[] = {
        {0, 4, 0},     {O, 4, 1},          {P | O, 4, 2}, {P, 4, 1},     {D, 4, 3},
        {D | P | O, 4, 3}, {D, 3, 2},      {P | O, 3, 2}, {D, 1, 0},     {P | O, 1, 0},
        {D, -1, 3},    {P | O, -1, 2},  // no image: the index as it stands
    };
    for (const Case& c : cases)
        EXPECT_EQ(Button::FrameForState(c.state, c.frames), c.frame) << c.state << " with " << c.frames;
    EXPECT_FALSE(SmartPtr<Button>(new Button(nullptr))->IsValidFrameCount(2));
    EXPECT_TRUE(SmartPtr<Button>(new Button(nullptr))->IsValidFrameCount(3));
}

TEST_F(ButtonTest, AClickRunsThroughTheStatesWithSoundsAndCursor) {
    SmartPtr<Button> button = Make();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->GetCurrentFrame(), 0);

    EXPECT_FALSE(button->OnMouseMoved(Mouse(105, 55)));
    EXPECT_EQ(button->GetCurrentFrame(), 1);
    EXPECT_TRUE(button->GetCursorCounter().IsUsed());
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_HAND_POINT);
    button->OnMouseMoved(Mouse(106, 55));  // already over: no second sound

    EXPECT_TRUE(button->OnMouseLeftDown(Mouse(106, 55)));
    EXPECT_EQ(button->GetCurrentFrame(), 2);
    EXPECT_TRUE(button->OnMouseLeftUp(Mouse(106, 56)));
    EXPECT_EQ(s_Fired, std::vector<std::string>{"fired:3"}) << "the callback sees the pressed state";
    EXPECT_EQ(button->GetCurrentFrame(), 0) << "normal until the mouse moves again";
    EXPECT_TRUE(button->GetState().IsEmpty());
    EXPECT_FALSE(button->GetCursorCounter().IsUsed());
    EXPECT_EQ(FakeSounds::asked, (std::vector<std::string>{"sfx/over", "sfx/click"}));
}

TEST_F(ButtonTest, DraggingOffAndReleasingElsewhereFiresNothing) {
    SmartPtr<Button> button = Make();
    button->OnMouseLeftDown(Mouse(105, 55));
    button->OnMouseMoved(Mouse(10, 10, MOUSESTATE_LEFT));
    EXPECT_EQ(button->GetCurrentFrame(), 1) << "pressed, not over";
    EXPECT_FALSE(button->OnMouseLeftUp(Mouse(10, 10)));
    EXPECT_TRUE(s_Fired.empty());
    EXPECT_EQ(button->GetCurrentFrame(), 0);

    // A press that began elsewhere: the release fires nothing, over stays.
    EXPECT_FALSE(button->OnMouseLeftDown(Mouse(10, 10)));
    EXPECT_FALSE(button->OnMouseMoved(Mouse(105, 55, MOUSESTATE_LEFT))) << "held button: no highlight";
    EXPECT_FALSE(button->IsStateSet(SPRITESTATE_OVER));
    EXPECT_FALSE(button->OnMouseLeftUp(Mouse(105, 55)));
    EXPECT_TRUE(button->IsStateSet(SPRITESTATE_OVER));
    EXPECT_TRUE(s_Fired.empty());
}

TEST_F(ButtonTest, DisabledShowsItsFramePlaysItsSoundAndIgnoresKeys) {
    SmartPtr<Button> button = Make("enabled=\"false\" firekey=\"13\"");
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_EQ(button->GetCurrentFrame(), 3);
    button->OnMouseMoved(Mouse(105, 55));
    EXPECT_FALSE(button->GetCursorCounter().IsUsed());
    EXPECT_FALSE(button->OnMouseLeftDown(Mouse(105, 55))) << "not consumed";
    EXPECT_FALSE(button->OnMouseLeftUp(Mouse(105, 55)));
    EXPECT_FALSE(button->OnKeyDown(Key(13)));
    EXPECT_FALSE(button->OnKeyUp(Key(13)));
    EXPECT_TRUE(s_Fired.empty());
    EXPECT_EQ(FakeSounds::asked, std::vector<std::string>{"sfx/nope"}) << "no over sound while disabled";

    m_Images.Add("ui/three", MakeImage(20, 10, 3).Get());
    SmartPtr<Button> three = FromXml<Button>("<Button image=\"three\" section=\"ui\" enabled=\"false\"/>");
    EXPECT_EQ(three->GetCurrentFrame(), 2) << "clamped to the last frame";
    SmartPtr<Button> one = FromXml<Button>("<Button image=\"one\" section=\"ui\" enabled=\"false\"/>");
    EXPECT_EQ(one->GetCurrentFrame(), 0);
    one->SetEnabled(true);
    EXPECT_TRUE(one->IsEnabled());
}

TEST_F(ButtonTest, FireKeysPressAndFire) {
    SmartPtr<Button> button = Make("firekey=\" 13 , 32,0x41\"");
    EXPECT_EQ(button->GetFireKeys().size(), 3);
    EXPECT_EQ(button->GetFireKeys()[0], 13);
    EXPECT_EQ(button->GetFireKeys()[1], 32);
    EXPECT_EQ(button->GetFireKeys()[2], 0x41);

    EXPECT_FALSE(button->OnKeyDown(Key('x')));
    EXPECT_TRUE(button->OnKeyDown(Key(32)));
    EXPECT_TRUE(button->IsStateSet(SPRITESTATE_PRESSED));
    EXPECT_TRUE(button->OnKeyUp(Key(32)));
    EXPECT_FALSE(button->IsStateSet(SPRITESTATE_PRESSED));
    EXPECT_TRUE(button->OnKeyUp(Key(13))) << "a key-up fires without a key-down";
    EXPECT_EQ(s_Fired, (std::vector<std::string>{"fired:2", "fired:0"}));
    EXPECT_TRUE(FakeSounds::asked.empty()) << "keys play no sound";
}

TEST_F(ButtonTest, SoundsNeedAnEntryAndASection) {
    SmartPtr<Button> button(new Button(0.0f, 0.0f, nullptr, nullptr, nullptr));
    button->SetSoundId("click", "c");
    button->PlaySound("click");
    EXPECT_TRUE(FakeSounds::asked.empty()) << "no section";
    button->SetSoundSection("s");
    button->PlaySound("click");
    button->PlaySound("over");
    button->SetSoundId("click", "");
    button->PlaySound("click");
    EXPECT_EQ(FakeSounds::asked, std::vector<std::string>{"s/c"});
    EXPECT_EQ(button->GetSounds().size(), 1u);
}

TEST_F(ButtonTest, ResetDropsHoverPressAndCursor) {
    SmartPtr<Button> button = Make();
    button->OnMouseLeftDown(Mouse(105, 55));
    ASSERT_TRUE(button->GetCursorCounter().IsUsed());
    button->ResetInputState();
    EXPECT_TRUE(button->GetState().IsEmpty());
    EXPECT_FALSE(button->GetCursorCounter().IsUsed());
    EXPECT_EQ(button->GetCurrentFrame(), 0);
}

TEST_F(ButtonTest, WithoutCallbackAClickDoesNothing) {
    SmartPtr<Button> button = FromXml<Button>("<Button image=\"four\" section=\"ui\"/>");
    EXPECT_TRUE(button->OnMouseLeftDown(Mouse(1, 1)));
    EXPECT_TRUE(button->OnMouseLeftUp(Mouse(1, 1))) << "a completed click is consumed, with nobody to call";
    EXPECT_TRUE(button->GetState().IsEmpty());
}

TEST_F(ButtonTest, ACallbackMayLetGoOfItsButton) {
    static SmartPtr<Button> s_Held;
    s_Held = Make();
    Button* button = s_Held.Get();
    button->SetTargetAndMethod(nullptr, [](BaseObject*, BaseObject*) { s_Held = nullptr; });
    button->OnMouseLeftDown(Mouse(105, 55));
    EXPECT_TRUE(button->OnMouseLeftUp(Mouse(105, 55)));
    EXPECT_EQ(s_Held.Get(), nullptr);
}

TEST_F(ButtonTest, HitMaskDecidesOnlyWithAThreshold) {
    // Left half opaque, right half clear.
    SmartPtr<Image> half = MakeImage(10, 10);
    half->Lock(false);
    for (int y = 0; y < 10; ++y) {
        for (int x = 5; x < 10; ++x)
            static_cast<uint32_t*>(half->GetPixelData())[y * 10 + x] = 0x00FFFFFF;
    }
    half->Unlock();
    m_Images.Add("ui/half", half.Get());

    SmartPtr<Button> masked = FromXml<Button>("<Button image=\"half\" section=\"ui\" hitmaskthreshold=\"128\"/>");
    EXPECT_TRUE(masked->IsInside(2, 5));
    EXPECT_FALSE(masked->IsInside(7, 5));
    EXPECT_FALSE(masked->IsInside(12, 5)) << "outside the rectangle";

    SmartPtr<Button> plain = FromXml<Button>("<Button image=\"half\" section=\"ui\"/>");
    EXPECT_TRUE(plain->IsInside(7, 5));
    plain->SetHitMask(new Mask(10, 10, std::vector<uint8_t>(100, 0)));
    EXPECT_TRUE(plain->IsInside(7, 5)) << "a mask without a threshold is not used";
}

TEST_F(ButtonTest, AnImageChangePicksTheStateFrame) {
    SmartPtr<Button> button = Make();
    button->OnMouseMoved(Mouse(105, 55));
    SmartPtr<Image> other = MakeImage(20, 10, 4);
    button->SetImage(other.Get());
    EXPECT_EQ(button->GetCurrentFrame(), 1);
    EXPECT_EQ(button->GetHitMaskFrame(), other->GetFrame());
    EXPECT_EQ(QueryInterface<iGuiMethod>(button.Get()), static_cast<iGuiMethod*>(button.Get()));
    EXPECT_EQ(QueryInterface<iHitMask>(button.Get()), static_cast<iHitMask*>(button.Get()));
    EXPECT_EQ(QueryInterface<iInputListener>(button.Get()), static_cast<iInputListener*>(button.Get()));
}

using ButtonLuaTest = WidgetTest::LuaFixture;

TEST_F(ButtonLuaTest, ScriptsReadAndSetTheEnabledState) {
    SmartPtr<Button> button(new Button(0.0f, 0.0f, nullptr, nullptr, nullptr));
    SmartPtr<GameNode> node(new GameNode("plain"));
    Publish("button", button.Get());
    Publish("node", node.Get());
    ASSERT_TRUE(Run("local B = getmetatable(button)\n"
                    "r1 = B.enabled(button)\n"
                    "B.setEnabled(button, false)\n"
                    "r2 = button:isEnabled()\n"
                    "button:setEnabled(true)\n"
                    "r3 = button:enabled()\n"
                    "button:setEnabled()\n"))
        << Error();
    EXPECT_TRUE(static_cast<bool>(ZQ2::Lua::g_Instance->GetValue("r1")));
    EXPECT_FALSE(static_cast<bool>(ZQ2::Lua::g_Instance->GetValue("r2")));
    EXPECT_TRUE(static_cast<bool>(ZQ2::Lua::g_Instance->GetValue("r3")));
    EXPECT_FALSE(button->IsEnabled()) << "a missing value counts as false";

    EXPECT_FALSE(Run("getmetatable(button).enabled(node)"));
    EXPECT_NE(Error().find("not a Button"), std::string::npos) << Error();
    EXPECT_FALSE(Run("getmetatable(button).setEnabled({}, true)"));
    EXPECT_NE(Error().find("not a C++ object"), std::string::npos) << Error();
}

}  // namespace
