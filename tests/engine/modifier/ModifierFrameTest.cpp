#include "engine/modifier/ModifierFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

namespace {

// A sprite with an image of frameCount frames, whose frames are recorded
// tick by tick.
class FrameTest : public ::testing::Test {
protected:
    void UseImage(int frameCount) {
        m_spImage = new Image(new ImageDataOpenGL(40 * frameCount, 40, 40 * frameCount, 40, true), frameCount,
                              frameCount);
        m_Sprite->SetImage(m_spImage);
    }

    ModifierFrame* Attach(ModifierFrame* m) {
        m_Held.emplace_back(m);
        m->SetClient(m_Sprite.Get());
        return m;
    }

    // The frame shown after each of count ticks of stepMs.
    std::vector<int> Play(ModifierFrame* m, int count, int stepMs = 100) {
        std::vector<int> frames;
        for (int i = 0; i < count && !m->IsDone(); ++i) {
            m->Tick(stepMs);
            frames.push_back(m_Sprite->GetCurrentFrame());
        }
        return frames;
    }

    SmartPtr<Sprite> m_Sprite{new Sprite(0.0f, 0.0f, 10.0f, 10.0f)};
    SmartPtr<Image> m_spImage;
    std::vector<SmartPtr<ModifierFrame>> m_Held;
};

// The first tick comes after one step of time: sequences start one frame in.
TEST_F(FrameTest, DirectionsAndPassesWithFixedSteps) {
    UseImage(4);
    struct Case {
        eFrameDirection direction;
        int loops;
        std::vector<int> frames;  // after each 100 ms tick, until done
    };
    const Case cases[] = {
        {FRAME_FORWARD, 1, {1, 2, 3, 3}},
        {FRAME_BACKWARD, 1, {2, 1, 0, 0}},
        {FRAME_FORWARD, 2, {1, 2, 3, 0, 1, 2, 3, 3}},
        {FRAME_SWITCH, 2, {1, 2, 3, 2, 1, 0, 0}},
        {FRAME_SWITCH, 3, {1, 2, 3, 2, 1, 0, 1, 2, 3, 3}},
    };
    for (const Case& c : cases) {
        m_Sprite->SetCurrentFrame(0);
        ModifierFrame* m = Attach(new ModifierFrame(100, c.loops, c.direction));
        EXPECT_EQ(Play(m, 50), c.frames) << c.direction << " x" << c.loops;
        EXPECT_TRUE(m->IsDone());
    }
}

TEST_F(FrameTest, ForwardOncePlaysEachFrameItsTimeAndEndsOnTheLast) {
    UseImage(4);
    ModifierFrame* m = Attach(new ModifierFrame(100, 1, FRAME_FORWARD));
    std::vector<int> frames = Play(m, 8, 50);
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 3}));
    EXPECT_TRUE(m->IsDone());  // at 400 ms, on frame 3

    // A switch of two passes lasts 700 ms, of three 1000 ms.
    for (int loops : {2, 3}) {
        ModifierFrame* s = Attach(new ModifierFrame(100, loops, FRAME_SWITCH));
        s->Tick(loops == 2 ? 699 : 999);
        EXPECT_FALSE(s->IsDone());
        s->Tick(1);
        EXPECT_TRUE(s->IsDone());
        EXPECT_EQ(m_Sprite->GetCurrentFrame(), loops == 2 ? 0 : 3);
    }
}

TEST_F(FrameTest, FirstFramesRangesAndLists) {
    UseImage(10);
    ModifierFrame* range = Attach(new ModifierFrame(100, 5, 7, 1, FRAME_FORWARD));
    range->Tick(0);
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 5);
    EXPECT_EQ(Play(range, 10), (std::vector<int>{6, 7, 7}));

    ModifierFrame* list = Attach(new ModifierFrame(100, ZQVector<int>(), 1, FRAME_FORWARD));
    EXPECT_EQ(list->CalcFrameCount(), 10);  // an empty list: the image's frames
    ZQVector<int> frames;
    for (int f : {4, 9, 2})
        frames.push_back(f);
    ModifierFrame* listed = Attach(new ModifierFrame(100, frames, 1, FRAME_FORWARD));
    listed->Tick(0);
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 4);
    EXPECT_EQ(Play(listed, 10), (std::vector<int>{9, 2, 2}));
    EXPECT_EQ(listed->GetFrameToPlay(1), 9);

    ModifierFrame* backRange = Attach(new ModifierFrame(100, 3, 1, 1, FRAME_BACKWARD));
    EXPECT_EQ(backRange->CalcFrameCount(), 3);  // counted upward from the first
    backRange->Tick(0);
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 5);
}

TEST_F(FrameTest, SingleFrameRangeAskedForEndlessPlaysOnce) {
    UseImage(4);
    ModifierFrame* m = Attach(new ModifierFrame(100, 2, 2, ModifierFrame::LOOP_ENDLESS, FRAME_FORWARD));
    EXPECT_EQ(m->GetLoopCount(), 1);
    m->Tick(100);
    EXPECT_TRUE(m->IsDone());
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 2);
}

TEST_F(FrameTest, EndlessPlayKeepsCyclingAndUnplayableSetupsEndAtOnce) {
    UseImage(3);
    ModifierFrame* m = Attach(new ModifierFrame(100, ModifierFrame::LOOP_ENDLESS, FRAME_SWITCH));
    for (int i = 0; i < 1000; ++i)
        m->Tick(1000000);  // far beyond what a 32-bit clock would hold
    EXPECT_FALSE(m->IsDone());
    m->Tick(100);
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 1);

    ModifierFrame* noTime = Attach(new ModifierFrame(0, ModifierFrame::LOOP_ENDLESS, FRAME_FORWARD));
    noTime->Tick(16);
    EXPECT_TRUE(noTime->IsDone());
    EXPECT_EQ(m_Sprite->GetCurrentFrame(), 2);

    SmartPtr<ModifierFrame> noClient(new ModifierFrame(100, -1, FRAME_FORWARD));
    EXPECT_EQ(noClient->CalcFrameCount(), 0);
    noClient->Tick(16);
    EXPECT_TRUE(noClient->IsDone());

    m_Sprite->SetImage(nullptr);
    ModifierFrame* noImage = Attach(new ModifierFrame(100, 1, FRAME_FORWARD));
    EXPECT_EQ(noImage->CalcFrameCount(), 1);
}

// Data: the factory builds frame modifiers, and a sprite's "frametime" and
// "framedirection" keys tune, stop or start its animation.
class FrameDataTest : public ::testing::Test {
protected:
    static PropertyNode* SpriteData(const char* frameTime, const char* direction, bool withAnimation) {
        auto* data = new PropertyNode("s", "Sprite");
        data->InsertProperty(new PropertyValue("width", 10));
        data->InsertProperty(new PropertyValue("height", 10));
        if (frameTime)
            data->InsertProperty(new PropertyValue("frametime", std::string(frameTime)));
        if (direction)
            data->InsertProperty(new PropertyValue("framedirection", std::string(direction)));
        if (withAnimation) {
            auto* modifiers = new PropertyVector("modifiers");
            auto* frame = new PropertyNode("", "ModifierFrame");
            frame->InsertProperty(new PropertyValue("loopcount", 3));
            frame->InsertProperty(new PropertyValue("frametime", 250));
            frame->InsertProperty(new PropertyValue("framedirection", std::string("backward")));
            modifiers->InsertProperty(frame);
            data->InsertProperty(modifiers);
        }
        return data;
    }

    static SmartPtr<Sprite> Build(PropertyNode* data) {
        SmartPtr<PropertyNode> held(data);
        return SmartPtr<Sprite>(DynamicCast<Sprite>(ObjectFactory::Instance()->CreateObject(data)));
    }

    static ModifierFrame* AnimationOf(Sprite* sprite) {
        for (Modifier* m : sprite->GetModifiers()) {
            if (auto* frame = DynamicCast<ModifierFrame>(m))
                return frame;
        }
        return nullptr;
    }
};

TEST_F(FrameDataTest, FactoryBuildsAFrameModifierFromItsKeys) {
    SmartPtr<Sprite> sprite = Build(SpriteData(nullptr, nullptr, true));
    ASSERT_TRUE(sprite);
    ModifierFrame* frame = AnimationOf(sprite);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetLoopCount(), 3);
    EXPECT_EQ(frame->GetFrameTime(), 250);
    EXPECT_EQ(frame->GetDirection(), FRAME_BACKWARD);

    SmartPtr<PropertyNode> bare(new PropertyNode("", "ModifierFrame"));
    bare->InsertProperty(new PropertyValue("framedirection", std::string("Switch")));  // exact words only
    SmartPtr<ModifierFrame> plain(DynamicCast<ModifierFrame>(ObjectFactory::Instance()->CreateObject(bare)));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetLoopCount(), -1);
    EXPECT_EQ(plain->GetFrameTime(), 100);
    EXPECT_EQ(plain->GetDirection(), FRAME_FORWARD);
}

TEST_F(FrameDataTest, SpriteFrameTimeTunesStopsOrStartsTheAnimation) {
    SmartPtr<Sprite> tuned = Build(SpriteData("40", "switch", true));
    ASSERT_NE(AnimationOf(tuned), nullptr);
    EXPECT_EQ(AnimationOf(tuned)->GetFrameTime(), 40);
    EXPECT_EQ(AnimationOf(tuned)->GetDirection(), FRAME_SWITCH);

    SmartPtr<Sprite> stopped = Build(SpriteData("0", "switch", true));
    ASSERT_NE(AnimationOf(stopped), nullptr);
    EXPECT_TRUE(AnimationOf(stopped)->IsObsolete());
    EXPECT_EQ(AnimationOf(stopped)->GetDirection(), FRAME_BACKWARD);

    SmartPtr<Sprite> none = Build(SpriteData("0", nullptr, false));
    EXPECT_TRUE(none->GetModifiers().empty());

    SmartPtr<Sprite> started = Build(SpriteData("80", "sideways", false));
    ModifierFrame* added = AnimationOf(started);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetFrameTime(), 80);
    EXPECT_EQ(added->GetLoopCount(), ModifierFrame::LOOP_ENDLESS);
    EXPECT_EQ(added->GetDirection(), FRAME_FORWARD);
    EXPECT_EQ(added->GetClient(), static_cast<GameNode*>(started.Get()));
}

}  // namespace
