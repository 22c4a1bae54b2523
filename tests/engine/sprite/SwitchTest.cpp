#include "engine/sprite/Switch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/sound/Sound.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::Mouse;

namespace {

struct Sounds {
    static inline std::vector<std::string> played;
    static BaseObject* Get(const std::string& name, const std::string&) {
        played.push_back(name);
        static SmartPtr<Sound> sound(new Sound(1.0f, 0.0f, 1.0f));
        return sound.Get();
    }
};

struct Toggles {
    static inline int count = 0;
    static void Record(BaseObject*, BaseObject*) { ++count; }
};

class SwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sounds::played.clear();
        Toggles::count = 0;
        ResourceLookup::SetResourceSource(&Sounds::Get);
        m_Images.Add("ui/six", WidgetTest::MakeImage(20, 10, 6).Get());
        m_Images.Add("ui/eight", WidgetTest::MakeImage(20, 10, 8).Get());
    }
    void TearDown() override { ResourceLookup::SetResourceSource(nullptr); }

    // A switch at (x, 0), 20 x 10, with "on", "off" and "disabled" sounds.
    SmartPtr<Switch> Make(float x, const std::string& extra = "") {
        SmartPtr<Switch> made = WidgetTest::FromXml<Switch>(
            "<Switch x=\"" + std::to_string(x) + "\" image=\"six\" section=\"ui\" onsound=\"on\" ofausnd=\"off\""
            " disabledsound=\"nope\" soundsection=\"sfx\" " + extra + "/>");
        if (made)
            made->SetTargetAndMethod(nullptr, &Toggles::Record);
        return made;
    }
    // Press and release over the switch at x.
    static bool Click(Switch* s, float x) {
        s->OnMouseLeftDown(Mouse(x + 5, 5));
        Sounds::played.clear();
        return s->OnMouseLeftUp(Mouse(x + 5, 5));
    }

    WidgetTest::FakeImages m_Images;
};

TEST_F(SwitchTest, ACheckBoxTogglesWithSoundsAndShowsTheCheckedFrames) {
    SmartPtr<Switch> box = Make(0);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Click(box.Get(), 0));
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(Sounds::played, std::vector<std::string>{"on"});
    EXPECT_EQ(box->GetCurrentFrame(), 3);  // normal, in the checked set of a six-frame image
    EXPECT_TRUE(Click(box.Get(), 0));
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(Sounds::played, std::vector<std::string>{"off"});
    EXPECT_EQ(Toggles::count, 2);

    SmartPtr<Switch> eight = WidgetTest::FromXml<Switch>("<Switch image=\"eight\" section=\"ui\" checked=\"true\"/>");
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->GetCurrentFrame(), 4);
    EXPECT_TRUE(eight->IsValidFrameCount(6));
    EXPECT_FALSE(eight->IsValidFrameCount(7));
    EXPECT_TRUE(eight->IsValidFrameCount(9));
}

TEST_F(SwitchTest, ARadioGroupKeepsOneChecked) {
    SmartPtr<Switch> a = Make(0, "groupid=\"2\" checked=\"true\"");
    SmartPtr<Switch> b = Make(30, "groupid=\"2\"");
    SmartPtr<Switch> c = Make(60, "groupid=\"2\"");
    SmartPtr<Switch> other = Make(90, "groupid=\"3\" checked=\"true\"");
    EXPECT_TRUE(Click(b.Get(), 30));
    EXPECT_FALSE(a->IsChecked());
    EXPECT_TRUE(b->IsChecked());
    EXPECT_FALSE(c->IsChecked());
    EXPECT_TRUE(other->IsChecked());
    // Clicking the checked member again: handled, nothing changes, no sound.
    EXPECT_TRUE(Click(b.Get(), 30));
    EXPECT_TRUE(b->IsChecked());
    EXPECT_TRUE(Sounds::played.empty());
    EXPECT_EQ(Toggles::count, 1);
    // Checked in data: the members made before it are unchecked.
    SmartPtr<Switch> d = Make(120, "groupid=\"2\" checked=\"true\"");
    EXPECT_FALSE(b->IsChecked());
    EXPECT_TRUE(d->IsChecked());
}

TEST_F(SwitchTest, ADestroyedSwitchLeavesTheRegistry) {
    const int before = Switch::GetGlobalSwitches().size();
    SmartPtr<Switch> a = Make(0, "groupid=\"5\"");
    {
        SmartPtr<Switch> gone = Make(30, "groupid=\"5\" checked=\"true\"");
        EXPECT_EQ(Switch::GetGlobalSwitches().size(), before + 2);
    }
    EXPECT_EQ(Switch::GetGlobalSwitches().size(), before + 1);
    EXPECT_TRUE(a->SetChecked(true));  // walks the group without the dead member
}

TEST_F(SwitchTest, DisabledReleasesAndReleasesOutsideChangeNothing) {
    SmartPtr<Switch> box = Make(0);
    box->OnMouseLeftDown(Mouse(5, 5));
    EXPECT_FALSE(box->OnMouseLeftUp(Mouse(200, 5)));
    EXPECT_FALSE(box->IsChecked());
    EXPECT_FALSE(box->IsStateSet(SPRITESTATE_PRESSED));
    EXPECT_FALSE(box->IsStateSet(SPRITESTATE_OVER));

    box->SetEnabled(false);
    EXPECT_FALSE(Click(box.Get(), 0));
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(Sounds::played, std::vector<std::string>{"nope"});
    // Checked and disabled on six frames: the last frame stands in.
    box->SetChecked(true);
    EXPECT_EQ(box->GetCurrentFrame(), 5);
}

TEST_F(SwitchTest, TheExtraLabelTakesClicksToo) {
    SmartPtr<Switch> box = Make(0);
    SmartPtr<Sprite> caption(new Sprite(40, 0, 60, 10));
    box->SetExtraLabel(caption.Get());
    EXPECT_TRUE(box->IsInside(50, 5));
    box->OnMouseLeftDown(Mouse(50, 5));
    EXPECT_TRUE(box->OnMouseLeftUp(Mouse(50, 5)));
    EXPECT_TRUE(box->IsChecked());
}

}  // namespace
