#include "engine/sprite/Tooltip.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Panel.h"
#include "engine/sprite/ToolTipLabel.h"
#include "tests/engine/sprite/FakeFont.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using SpriteTestSupport::FakeFont;
using WidgetTest::Mouse;

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// A game tree under an 800 x 600 window, a tooltip of 1000 / 10000 ms whose
// renderer is a tooltip label (text 10 per character, 20 high), and a
// sprite with tooltip text at (100, 100), 50 x 50.
class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameWindow::CreateInstance("Tooltip", kScreenWidth, kScreenHeight, false, true, 0, nullptr);
        GameTree::CreateInstance();
        m_pFont = new FakeFont;
        m_pTooltip = new Tooltip(1000, 10000, nullptr);
        m_pTooltip->OnInitialize();
        m_pRenderer = new ToolTipLabel(m_pFont.Get(), 0, 0, 200, 20, TEXTWRAP_AUTOWIDTH);
        m_pTooltip->SetRenderer(m_pRenderer.Get());
        m_pSprite = Add(new Sprite(100, 100, 50, 50), "Dig here");
    }
    void TearDown() override {
        m_pTooltip = nullptr;
        m_pRenderer = nullptr;
        GameTree::ReleaseInstance();
        GameWindow::RemoveInstance();
    }

    Sprite* Add(Sprite* sprite, const std::string& tip, GameNode* parent = nullptr) {
        sprite->SetToolTipText(tip);
        GameTree::LinkNodeUnder(parent ? parent : GameTree::g_Instance, sprite);
        return sprite;
    }
    void MoveTo(float x, float y) { m_pTooltip->OnMouseMoved(Mouse(x, y)); }
    bool Shown() const { return m_pRenderer->IsVisible(); }

    SmartPtr<FakeFont> m_pFont;
    SmartPtr<Tooltip> m_pTooltip;
    SmartPtr<ToolTipLabel> m_pRenderer;
    Sprite* m_pSprite = nullptr;
};

TEST_F(TooltipTest, ShowsAfterTheDelayBelowTheMouseAndHidesAfterTheRemoveDelay) {
    EXPECT_EQ(m_pRenderer->GetParent(), GameTree::g_Instance);
    EXPECT_FALSE(Shown());
    MoveTo(120, 120);
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), m_pSprite);
    EXPECT_EQ(m_pRenderer->GetText(), "Dig here");
    m_pTooltip->OnUpdate(999);
    EXPECT_FALSE(Shown());
    m_pTooltip->OnUpdate(1);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(m_pRenderer->GetX(), 120.0f);
    EXPECT_EQ(m_pRenderer->GetY(), 144.0f);
    MoveTo(130, 130);  // the tooltip stays where it was put
    m_pTooltip->OnUpdate(9999);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(m_pRenderer->GetX(), 120.0f);
    m_pTooltip->OnUpdate(1);
    m_pTooltip->OnUpdate(1);
    EXPECT_FALSE(Shown());
    m_pTooltip->OnUpdate(5000);
    EXPECT_FALSE(Shown());

    MoveTo(10, 10);  // off every tooltip sprite
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), nullptr);
}

TEST_F(TooltipTest, AnotherSpriteRestartsTheCountdownsWithItsText) {
    Sprite* other = Add(new Sprite(300, 100, 50, 50), "Rock");
    MoveTo(120, 120);
    m_pTooltip->OnUpdate(16);
    m_pTooltip->OnUpdate(1000);
    EXPECT_TRUE(Shown());
    MoveTo(320, 120);
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), other);
    EXPECT_EQ(m_pRenderer->GetText(), "Rock");
    EXPECT_FALSE(Shown());
    m_pTooltip->OnUpdate(1000);
    EXPECT_TRUE(Shown());
}

TEST_F(TooltipTest, NearTheEdgesTheTooltipMovesBesideTheMouse) {
    // The renderer measures 80 x 20 for "Dig here": the box is 83 x 23.
    struct Case {
        float mouseX, mouseY;
        float x, y;
    };
    const Case cases[] = {
        {120, 590, 136, 577},  // no room below: right of the mouse, pushed up
        {120, 560, 136, 560},  // right of the mouse at its height
        {790, 590, 705, 577},  // and no room right: left of the mouse
        {790, 100, 717, 124},  // only no room right: against the edge
    };
    Sprite* under = Add(new Sprite(0, 0, 10, 10), "Dig here");
    for (const Case& c : cases) {
        MoveTo(0, 300);  // away from every tooltip first, so the next one starts afresh
        m_pTooltip->OnUpdate(16);
        under->SetLocation(c.mouseX - 5, c.mouseY - 5);
        MoveTo(c.mouseX, c.mouseY);
        m_pTooltip->OnUpdate(16);
        m_pTooltip->OnUpdate(1000);
        EXPECT_EQ(m_pRenderer->GetX(), c.x) << c.mouseX << "," << c.mouseY;
        EXPECT_EQ(m_pRenderer->GetY(), c.y) << c.mouseX << "," << c.mouseY;
    }
}

TEST_F(TooltipTest, DialogsAndPanelsHideWhatIsBehindThem) {
    SmartPtr<Dialog> made = WidgetTest::FromXml<Dialog>("<Dialog x=\"0\" y=\"0\" width=\"400\" height=\"400\"/>");
    ASSERT_NE(made, nullptr);
    Dialog* dialog = made.Get();
    GameTree::LinkNodeUnder(GameTree::g_Instance, dialog);
    MoveTo(120, 120);
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), nullptr);
    Sprite* own = Add(new Sprite(110, 110, 20, 20), "Mine", dialog);
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), own);

    dialog->SetVisible(false);
    Panel* panel = new Panel(nullptr);
    panel->SetDimension(50, 50);
    panel->SetLocation(100, 100);
    GameTree::LinkNodeUnder(GameTree::g_Instance, panel);
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), nullptr);
    panel->SetX(300);  // no longer under the mouse
    m_pTooltip->OnUpdate(16);
    EXPECT_EQ(m_pTooltip->GetTarget(), m_pSprite);
}

TEST_F(TooltipTest, WithoutADelayItShowsAtOnceWhereItWas) {
    SmartPtr<Tooltip> quick(new Tooltip(0, 500, nullptr));
    quick->OnInitialize();
    SmartPtr<ToolTipLabel> renderer(new ToolTipLabel(m_pFont.Get(), 7, 8, 200, 20, TEXTWRAP_AUTOWIDTH));
    quick->SetRenderer(renderer.Get());
    quick->OnMouseMoved(Mouse(120, 120));
    quick->OnUpdate(16);
    EXPECT_TRUE(renderer->IsVisible());
    EXPECT_EQ(renderer->GetX(), 7.0f);
    quick->SetRenderer(nullptr);
    EXPECT_TRUE(renderer->IsObsolete());
}

TEST(ToolTipLabel, WrapsAtItsMaxWidthAndNarrowsToTheText) {
    SmartPtr<FakeFont> font(new FakeFont);
    SmartPtr<ToolTipLabel> label(new ToolTipLabel(font.Get(), 0, 0, 300, 20, TEXTWRAP_WORDWRAP));
    label->SetToolTipMaxWidth(75);
    label->SetToolTipText("one two three");
    EXPECT_EQ(label->GetMaxWidth(), 70.0f);
    label->Update();
    EXPECT_EQ(label->GetWidth(), 70.0f);
    EXPECT_EQ(label->GetText(), "one two three");
    EXPECT_EQ(label->GetToolTipText(), nullptr);  // its own tooltip stays empty

    SmartPtr<ToolTipLabel> data = WidgetTest::FromXml<ToolTipLabel>(
        "<ToolTipLabel width=\"120\" backgroundcolor=\"0x102030\" bordercolor=\"0x405060\" padding=\"5\""
        " maxwidth=\"90\"/>");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetWrapStyle(), TEXTWRAP_WORDWRAP);
    EXPECT_EQ(data->GetBoxBackgroundColor(), 0x102030);
    EXPECT_EQ(data->GetBorderColor(), 0x405060);
    EXPECT_EQ(data->GetPadding(), 5.0f);
    EXPECT_EQ(data->GetToolTipMaxWidth(), 90.0f);
}

}  // namespace
