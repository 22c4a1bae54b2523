// Panels: components built from data, found by name depth first, removed
// and revived, and the script method that adds them.
#include "engine/sprite/Panel.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>
#include <vector>

#include "engine/io/PropertyNode.h"
#include "engine/sprite/GameTree.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::FromXml;

namespace {

// Components: a, inner panel (x, deep panel (y)), x, s (a sprite with its
// own child "hidden"), y.
const char* const kNested =
    "<Panel name=\"top\"><Vector id=\"panelcomponents\">"
    "  <Sprite name=\"a\"/>"
    "  <Panel name=\"inner\"><Vector id=\"panelcomponents\">"
    "    <Sprite name=\"x\" width=\"1\"/>"
    "    <Panel name=\"deep\"><Vector id=\"panelcomponents\"><Sprite name=\"y\" width=\"1\"/></Vector></Panel>"
    "  </Vector></Panel>"
    "  <Sprite name=\"x\" width=\"2\"/>"
    "  <Sprite name=\"s\"><Vector id=\"children\"><Sprite name=\"hidden\"/></Vector></Sprite>"
    "  <NoSuchClass name=\"unknown\"/>"
    "  <Sprite name=\"y\" width=\"2\"/>"
    "</Vector></Panel>";

float WidthOf(GameNode* node) {
    const Sprite* sprite = DynamicCast<Sprite>(node);
    return sprite ? sprite->GetWidth() : -1.0f;
}

TEST(Panel, FindsComponentsDepthFirstInChildOrder) {
    SmartPtr<Panel> panel = FromXml<Panel>(kNested);
    ASSERT_TRUE(panel);
    EXPECT_EQ(WidthOf(panel->GetComponent("x")), 1.0f) << "a nested panel's match comes before a later sibling";
    EXPECT_EQ(WidthOf(panel->GetComponent("y")), 1.0f) << "two levels down, still first";
    EXPECT_TRUE(DynamicCast<Panel>(panel->GetComponent("inner"))) << "a panel's own name matches before its contents";
    EXPECT_EQ(panel->GetComponent("hidden"), nullptr) << "below a non-panel nothing is searched";
    EXPECT_EQ(panel->GetComponent("top"), nullptr) << "the panel is not its own component";
    EXPECT_EQ(panel->GetComponent("nothing"), nullptr);
    EXPECT_EQ(panel->GetComponent("unknown"), nullptr) << "an unknown class is skipped";

    // Components hang under the component root, not under the panel itself.
    GameNode* root = panel->GetComponentRoot();
    ASSERT_EQ(panel->GetFirstChild(), root);
    EXPECT_EQ(root->GetName(), "");
    EXPECT_EQ(panel->GetComponent("a")->GetParent(), root);
}

TEST(Panel, RemovedComponentsAreNotFoundUntilAddedAgain) {
    SmartPtr<Panel> panel = FromXml<Panel>(kNested);
    GameNode* inner = panel->GetComponent("inner");
    panel->SetChanged(false);
    panel->RemoveComponent(inner);
    EXPECT_TRUE(panel->IsChanged());
    EXPECT_EQ(inner->GetParent(), panel->GetComponentRoot()) << "only flagged; the purge unlinks it";
    EXPECT_EQ(WidthOf(panel->GetComponent("x")), 2.0f);
    EXPECT_EQ(WidthOf(panel->GetComponent("y")), 2.0f);

    panel->SetChanged(false);
    panel->AddComponent(inner, false);
    EXPECT_TRUE(panel->IsChanged());
    EXPECT_FALSE(inner->IsObsolete());
    EXPECT_EQ(WidthOf(panel->GetComponent("x")), 2.0f) << "revived last, so it comes after the other x";
    GameNode* last = panel->GetComponentRoot()->GetFirstChild();
    while (last->GetNextSibling())
        last = last->GetNextSibling();
    EXPECT_EQ(last, inner);
}

TEST(Panel, BuiltWithoutDataHasOnlyItsRoot) {
    SmartPtr<Panel> panel(new Panel(nullptr));
    ASSERT_TRUE(panel->GetComponentRoot());
    EXPECT_EQ(panel->GetComponentRoot()->GetFirstChild(), nullptr);
    SmartPtr<GameNode> loose(new GameNode("loose"));
    panel->AddComponent(loose.Get(), true);
    EXPECT_EQ(panel->GetComponent("loose"), loose.Get());
    panel->AddComponent(nullptr, true);  // refused, nothing linked
    EXPECT_EQ(loose->GetNextSibling(), nullptr);
}

class PanelLuaTest : public WidgetTest::LuaFixture {
protected:
    void SetUp() override {
        LuaFixture::SetUp();
        m_spPanel = new Panel(nullptr);
        m_spNode = new GameNode("child");
        Publish("panel", m_spPanel.Get());
        Publish("node", m_spNode.Get());
    }
    void TearDown() override {
        m_spPanel = nullptr;
        m_spNode = nullptr;
        LuaFixture::TearDown();
    }
    // The method as the panel's class gives it, called as a plain function.
    bool Run(const std::string& chunk) {
        return LuaFixture::Run("local add = getmetatable(panel).addComponent\n" + chunk);
    }

    SmartPtr<Panel> m_spPanel;
    SmartPtr<GameNode> m_spNode;
};

TEST_F(PanelLuaTest, AddComponentLinksTheNodeAndAnswersIt) {
    ASSERT_TRUE(Run("r = add(panel, node)")) << Lua::g_Instance->GetLastError();
    EXPECT_EQ(m_spPanel->GetComponent("child"), m_spNode.Get());
    lua_getglobal(L, "r");
    lua_getglobal(L, "node");
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_pop(L, 2);
}

TEST_F(PanelLuaTest, BadArgumentsRaiseErrors) {
    struct Case {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"add(5, node)", "bad argument #1 to 'add' (not a C++ object)"},
        {"add({}, node)", "bad argument #1 to 'add' (not a C++ object)"},
        {"add(node, node)", "bad argument #1 to 'add' (not a Panel)"},
        {"add(panel, 5)", "bad argument #2 to 'add' (table expected, got number)"},
        {"add(panel)", "bad argument #2 to 'add' (table expected, got no value)"},
        {"add(panel, {})", "bad argument #2 to 'add' (not a C++ object)"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Run(c.call)) << c.call;
        EXPECT_NE(Lua::g_Instance->GetLastError().find(c.error), std::string::npos)
            << c.call << ": " << Lua::g_Instance->GetLastError();
    }
    EXPECT_EQ(m_spPanel->GetComponentRoot()->GetFirstChild(), nullptr);
}

}  // namespace
