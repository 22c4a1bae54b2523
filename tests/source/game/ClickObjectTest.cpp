// Clickable site objects: hits on the picture's own outline (alpha 250),
// clicks handed to the level's router only while the day runs and is not
// paused, and the idle cycle's draws.
#include "source/game/ClickObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <set>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/GameTree.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Dovidi.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

using gametest::LevelHarness;
using gametest::Var;

namespace {

struct Pixel {
    int x;
    int y;
    uint32_t argb;
};

// A white, opaque 4 x 4 picture with the given pixels set apart.
ZQ2::SmartPtr<ZQ2::Image> PictureWith(std::initializer_list<Pixel> pixels) {
    auto* data = new ZQ2::ImageDataOpenGL(4, 4, 4, 4, true);
    data->Lock(false);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            *data->GetPixelData<uint32_t>(x, y) = 0xFFFFFFFFu;
    for (const Pixel& pixel : pixels)
        *data->GetPixelData<uint32_t>(pixel.x, pixel.y) = pixel.argb;
    data->Unlock();
    return ZQ2::SmartPtr<ZQ2::Image>(new ZQ2::Image(data, 1, 1));
}

// Opaque except the top-left pixel (alpha 249, under the threshold) and the
// top-right one (alpha 250, on it).
ZQ2::SmartPtr<ZQ2::Image> Picture() { return PictureWith({{0, 0, 249u << 24 | 0xFFFFFF}, {3, 0, 250u << 24 | 0xFFFFFF}}); }

// The same picture with the top-left pixel opaque and the bottom-right one clear.
ZQ2::SmartPtr<ZQ2::Image> OtherPicture() { return PictureWith({{3, 3, 0u}}); }

// A site object that is lit under the pointer.
class Lit : public ClickObject {
public:
    explicit Lit(ZQ2::Image* image) : ClickObject(100.0f, 100.0f, image, nullptr, nullptr) {}
    bool HasRolloverHighlight() const override { return true; }
};

// Counts what the router asks of it: bonks for the villain, pick-ups for an item.
class Counted : public ClickObject {
public:
    Counted(float x, float y, bool villain, bool item)
        : ClickObject(x, y, Picture().Get(), nullptr, nullptr), m_bVillain(villain), m_bItem(item) {}
    bool CanBonkNow() const override { return m_bVillain; }
    void DoBonk() override { ++m_iBonks; }
    bool IsItem() const override { return m_bItem; }
    bool DoPickupItem() override { return ++m_iPickups > 0; }
    int m_iBonks = 0;
    int m_iPickups = 0;

private:
    bool m_bVillain;
    bool m_bItem;
};

ZQ2::MouseMessageData At(float x, float y) { return ZQ2::MouseMessageData(x, y, 0, false); }

class Clicks : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 60));
        m_spObject = new ClickObject(100.0f, 100.0f, Picture().Get(), nullptr, nullptr);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spObject.Get());
    }
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<ClickObject> m_spObject;
};

}  // namespace

TEST_F(Clicks, OnlyPixelsAtTheThresholdAreHit) {
    EXPECT_EQ(m_spObject->GetHitMaskThreshold(), ClickObject::HIT_ALPHA_THRESHOLD);
    EXPECT_FALSE(m_spObject->OnMouseLeftDown(At(100.5f, 100.5f)));  // alpha 249
    EXPECT_TRUE(m_spObject->OnMouseLeftDown(At(103.5f, 100.5f)));   // alpha 250
    EXPECT_TRUE(m_spObject->OnMouseLeftDown(At(101.5f, 102.5f)));
    EXPECT_FALSE(m_spObject->OnMouseLeftDown(At(99.0f, 102.0f)));   // outside
}

TEST_F(Clicks, ClicksReachTheRouterWhileTheDayRunsAndNotPaused) {
    SceneGame* level = m_pHarness->Level();
    DVClickHandler& router = level->GetClickHandler();
    ZQ2::SmartPtr<Dovidi> dovidi(new Dovidi(0.0f, 0.0f, nullptr));
    level->SetCharacters(nullptr, dovidi.Get(), nullptr);
    // The day-start dialog: not yet.
    EXPECT_FALSE(m_spObject->OnMouseLeftUp(At(101.5f, 101.5f)));
    ASSERT_TRUE(m_pHarness->OpenDay());
    // Button up on a transparent corner still clicks: only the bounds count.
    EXPECT_TRUE(m_spObject->OnMouseLeftUp(At(100.5f, 100.5f)));
    EXPECT_EQ(router.GetOperator(), dovidi.Get());
    EXPECT_TRUE(router.ClearOperator(dovidi.Get()));
    EXPECT_FALSE(m_spObject->OnMouseLeftUp(At(90.0f, 90.0f)));
    level->Pause(true);
    EXPECT_FALSE(m_spObject->OnMouseLeftUp(At(101.5f, 101.5f)));
    EXPECT_FALSE(m_spObject->OnMouseLeftDown(At(101.5f, 101.5f)));
    EXPECT_EQ(router.GetOperator(), nullptr);
    level->SetCharacters(nullptr, nullptr, nullptr);
}

TEST_F(Clicks, IdleDelaysAndLoops) {
    EXPECT_EQ(ClickObject::DrawIdleDelay(500, 500), 500);
    EXPECT_EQ(ClickObject::DrawIdleDelay(500, 100), 500);
    std::set<int> seen;
    for (int i = 0; i < 100; ++i)
        seen.insert(ClickObject::DrawIdleDelay(3, 6));
    EXPECT_EQ(seen, (std::set<int>{3, 4, 5}));
    EXPECT_EQ(m_spObject->DrawIdleLoops(), 2);  // one back-and-forth pass counts twice
    m_spObject->StartIdleRoutine();
    ZQ2::ModifierContainer* first = m_spObject->GetIdleModifier();
    ASSERT_NE(first, nullptr);
    m_spObject->StartIdleRoutine();
    EXPECT_TRUE(first->IsObsolete());
    m_spObject->ClearIdleModifier();
    EXPECT_EQ(m_spObject->GetIdleModifier(), nullptr);
}

TEST_F(Clicks, TheVillainInFrontTakesTheClickAndAnItemUnderHimGetsItToo) {
    SceneGame* level = m_pHarness->Level();
    DVClickHandler& router = level->GetClickHandler();
    ZQ2::SmartPtr<Dovidi> dovidi(new Dovidi(0.0f, 0.0f, nullptr));
    ZQ2::SmartPtr<Counted> villain(new Counted(102.0f, 102.0f, true, false));
    ZQ2::SmartPtr<Counted> item(new Counted(100.0f, 100.0f, false, true));
    ZQ2::GameTree::LinkNodeUnder(level, villain.Get());
    ZQ2::GameTree::LinkNodeUnder(level, item.Get());
    level->SetCharacters(nullptr, dovidi.Get(), villain.Get());
    ASSERT_TRUE(m_pHarness->OpenDay());
    m_spObject->OnMouseLeftUp(At(103.0f, 103.0f));
    EXPECT_EQ(villain->m_iBonks, 1);
    EXPECT_EQ(router.GetOperator(), nullptr);  // the object under him got nothing
    item->OnMouseLeftUp(At(103.0f, 103.0f));
    EXPECT_EQ(villain->m_iBonks, 2);
    EXPECT_EQ(item->m_iPickups, 1);
    // Away from him only the object itself is clicked.
    item->OnMouseLeftUp(At(100.5f, 100.5f));
    EXPECT_EQ(villain->m_iBonks, 2);
    EXPECT_EQ(item->m_iPickups, 2);
    level->SetCharacters(nullptr, nullptr, nullptr);
}

TEST_F(Clicks, ADraggedWorkerHangsUnderThePointerWhereverItIs) {
    SceneGame* level = m_pHarness->Level();
    ZQ2::SmartPtr<DelvorWorker> worker(new DelvorWorker(0.0f, 0.0f, Picture().Get()));
    ZQ2::GameTree::LinkNodeUnder(level, worker.Get());
    level->SetWorkerToDrag(worker.Get());
    // The pointer is over nothing that lights up.
    EXPECT_FALSE(m_spObject->OnMouseMoved(At(300.0f, 200.0f)));
    EXPECT_EQ(worker->GetX(), 298.0f);
    EXPECT_EQ(worker->GetY(), 202.0f);
    level->Pause(true);
    m_spObject->OnMouseMoved(At(10.0f, 10.0f));
    EXPECT_EQ(worker->GetX(), 298.0f);
    level->SetWorkerToDrag(nullptr);
}

TEST_F(Clicks, ALitObjectRebuildsItsHitMaskFromANewImage) {
    ZQ2::SmartPtr<Lit> lit(new Lit(Picture().Get()));
    ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), lit.Get());
    EXPECT_FALSE(lit->OnMouseLeftDown(At(100.5f, 100.5f)));
    EXPECT_TRUE(lit->OnMouseLeftDown(At(103.5f, 103.5f)));
    lit->SetImage(OtherPicture().Get());
    EXPECT_TRUE(lit->OnMouseLeftDown(At(100.5f, 100.5f)));
    EXPECT_FALSE(lit->OnMouseLeftDown(At(103.5f, 103.5f)));
}
