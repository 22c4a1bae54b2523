// The scripts' view of game nodes: the node methods reached through the
// class table xov.GameNode, the class script in data/script, the checks on
// every object argument, and node tables that outlive their nodes.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/io/PropertyNode.h"
#include "engine/script/Lua.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/GameTree.h"
#include "platform/MessageDialog.h"

using namespace ZQ2;

namespace {

// The game's own class scripts: data/script beside the tests' data folder.
std::string ScriptFolder() {
    const char* data = std::getenv("DELVOR_TEST_DATA");
    const std::filesystem::path root = std::filesystem::path(data ? data : "tests/data").parent_path().parent_path();
    return (root / "data" / "script").string() + "/";
}

class GameNodeLuaTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::MessageDialog::SetPresenter(
            [this](const std::string& caption, const std::string& text, const std::vector<std::string>&) {
                m_Boxes.push_back(caption + ": " + text);
                return 0;
            });
        StartLua();
        m_Root = new GameTree();
        Add(m_Root, "a", 10, 20);
        Add(Add(m_Root, "b", 100, 200), "deep", 1, 2);
    }

    void TearDown() override {
        m_Root = nullptr;
        Lua::ReleaseInstance();
        platform::MessageDialog::SetPresenter(nullptr);
        EXPECT_TRUE(m_Boxes.empty()) << m_Boxes.front();
    }

    void StartLua() {
        Lua::CreateInstance();
        ASSERT_TRUE(Lua::g_Instance->Initialize());
        Lua::g_Instance->SetScriptFolder(ScriptFolder());
        L = Lua::g_Instance->GetState();
    }

    GameNode* Add(GameNode* parent, const std::string& name, float x, float y) {
        GameNode* node = GameTree::LinkNodeUnder(parent, new GameNode(name));
        node->SetLocation(x, y);
        return node;
    }

    bool Run(const std::string& chunk) { return Lua::g_Instance->LoadFromBuffer(chunk.data(), chunk.size(), "=test"); }
    std::string Error() const { return Lua::g_Instance->GetLastError(); }
    double Number(const char* path) { return static_cast<double>(Lua::g_Instance->GetValue(path)); }
    bool Flag(const char* path) { return static_cast<bool>(Lua::g_Instance->GetValue(path)); }
    std::string Text(const char* path) {
        const UTF8String text = Lua::g_Instance->GetValue(path);
        return text;
    }

    SmartPtr<GameTree> m_Root;
    lua_State* L = nullptr;
    std::vector<std::string> m_Boxes;
};

TEST_F(GameNodeLuaTest, ScriptsReachNodesThroughTheClassTable) {
    ASSERT_TRUE(Run(R"(
        local a = gameTree:child("a")
        r_x, r_y = a:x(), a:y()
        r_px, r_py = xov.GameNode.position(a)      -- from the class script
        r_visible = a:visible()
        a:setVisible(false)
        r_hidden = not a:isVisible()
        r_parent = rawequal(a:parent(), gameTree)
        r_rootParent = gameTree:parent() == nil
        local deep = gameTree:child("deep")
        r_deep = deep ~= nil and gameTree:child("deep", false) == nil
        r_parentX, r_parentY = deep:parentX(), deep:parentY()
        r_text = tostring(a)
        r_meta = tostring(xov.GameNode)
        xov.GameNode.bringToFront(a)
    )")) << Error();
    EXPECT_EQ(Number("r_x"), 10);
    EXPECT_EQ(Number("r_y"), 20);
    EXPECT_EQ(Number("r_px"), 10);
    EXPECT_EQ(Number("r_py"), 20);
    EXPECT_TRUE(Flag("r_visible"));
    EXPECT_TRUE(Flag("r_hidden"));
    EXPECT_FALSE(m_Root->GetChild("a", false)->IsVisible());
    EXPECT_TRUE(Flag("r_parent"));
    EXPECT_TRUE(Flag("r_rootParent"));
    EXPECT_TRUE(Flag("r_deep"));
    EXPECT_EQ(Number("r_parentX"), 100);
    EXPECT_EQ(Number("r_parentY"), 200);
    EXPECT_EQ(Text("r_text"), m_Root->GetChild("a", false)->ToString());
    EXPECT_EQ(Text("r_meta"), "GameNode metatable?");
    EXPECT_EQ(m_Root->GetFirstChild()->GetName(), "b");
    EXPECT_EQ(m_Root->GetFirstChild()->GetNextSibling()->GetName(), "a");
}

TEST_F(GameNodeLuaTest, BadArgumentsRaiseLuaErrors) {
    // A table whose "__c++" names a live object that is not a node.
    SmartPtr<PropertyNode> stranger(new PropertyNode("stranger"));
    lua_newtable(L);
    lua_pushlightuserdata(L, static_cast<BaseObject*>(stranger.Get()));
    lua_setfield(L, -2, Lua::OBJECT_FIELD);
    lua_setglobal(L, "stranger");

    struct Case {
        const char* m_szCall;
        const char* m_szError;
    };
    for (const Case& c : {
             Case{"xov.GameNode.x(5)", "not a C++ object"},
             Case{"xov.GameNode.y()", "not a C++ object"},
             Case{"xov.GameNode.visible({})", "not a C++ object"},
             Case{"xov.GameNode.x(setmetatable({}, {__index = gameTree}))", "not a C++ object"},
             Case{"xov.GameNode.parent(stranger)", "not a GameNode"},
             Case{"tostring(stranger)", ""},  // no metatable: Lua's own text
             Case{"gameTree:x(1)", "too many arguments"},
             Case{"gameTree:setVisible(true, 2)", "too many arguments"},
             Case{"gameTree:child('a', true, 3)", "too many arguments"},
             Case{"gameTree:bringToFront(gameTree)", "too many arguments"},
             Case{"gameTree:setVisible()", "value expected"},
             Case{"gameTree:child()", "string expected"},
         }) {
        const bool ok = Run(c.m_szCall);
        if (*c.m_szError == '\0') {
            EXPECT_TRUE(ok) << c.m_szCall;
            continue;
        }
        EXPECT_FALSE(ok) << c.m_szCall;
        EXPECT_NE(Error().find(c.m_szError), std::string::npos) << c.m_szCall << " -> " << Error();
    }
    EXPECT_TRUE(m_Root->IsVisible());
}

// A script that keeps a node's table, or a copy of its address, after the
// node has gone gets an error instead of a dangling pointer.
TEST_F(GameNodeLuaTest, TablesOfDestroyedNodesAreRefused) {
    ASSERT_TRUE(Run(R"(
        kept = gameTree:child("a")
        copied = { ["__c++"] = rawget(kept, "__c++") }
        copiedOk = xov.GameNode.x(copied)
    )")) << Error();
    EXPECT_EQ(Number("copiedOk"), 10);

    GameNode* a = m_Root->GetChild("a", false);
    GameTree::UnlinkNode(a);
    a->Release();

    ASSERT_TRUE(Run("r_cleared = rawget(kept, '__c++') == nil")) << Error();
    EXPECT_TRUE(Flag("r_cleared"));
    EXPECT_FALSE(Run("return kept:x()"));
    EXPECT_NE(Error().find("not a C++ object"), std::string::npos) << Error();
    EXPECT_FALSE(Run("return xov.GameNode.x(copied)"));
    EXPECT_NE(Error().find("not a GameNode"), std::string::npos) << Error();
    EXPECT_EQ(lua_gettop(L), 0);
}

// Nodes may outlive the state that gave them their tables, or be destroyed
// while a newer state runs: neither may touch the newer state's registry.
TEST_F(GameNodeLuaTest, NodesOutlivingTheirStateLeaveANewStateAlone) {
    SmartPtr<GameNode> old(new GameNode("old"));
    const int oldReference = old->GetLuaReference();
    EXPECT_GE(oldReference, 0);
    m_Root = nullptr;
    Lua::ReleaseInstance();
    StartLua();

    // New nodes until one sits in the old node's slot number.
    std::vector<SmartPtr<GameNode>> fresh;
    while (fresh.size() < 32 && (fresh.empty() || fresh.back()->GetLuaReference() != oldReference))
        fresh.push_back(new GameNode("fresh"));
    ASSERT_EQ(fresh.back()->GetLuaReference(), oldReference);
    fresh.back()->SetLocation(3, 4);
    old = nullptr;
    fresh.back()->PushLuaObject(L);
    lua_setglobal(L, "fresh");
    ASSERT_TRUE(Run("r_x = fresh:x()")) << Error();
    EXPECT_EQ(Number("r_x"), 3);

    Lua::ReleaseInstance();
    L = nullptr;
    fresh.clear();  // no state at all: nothing to release
}

// A subclass gives its nodes a class of their own on top of the node methods.
TEST_F(GameNodeLuaTest, SubclassMetatableKeepsTheNodeMethods) {
    struct Counter : GameNode {
        Counter() : GameNode("counter") {
            static const luaL_Reg methods[] = {{"count", &Counter::glue_count}, {nullptr, nullptr}};
            SetupMetatableForObject("xov.Counter", "xov.GameNode", nullptr, "Counter", methods);
        }
        static int glue_count(lua_State* L) {
            lua_pushnumber(L, static_cast<double>(GameNode::CheckLuaNode(L, 1)->GetTag()));
            return 1;
        }
    };
    GameNode* counter = GameTree::LinkNodeUnder(m_Root, new Counter());
    counter->SetTag(5);
    counter->SetX(7);
    ASSERT_TRUE(Run(R"(
        local c = gameTree:child("counter")
        r_count, r_x = c:count(), c:x()
        r_plain = gameTree.count == nil
    )")) << Error();
    EXPECT_EQ(Number("r_count"), 5);
    EXPECT_EQ(Number("r_x"), 7);
    EXPECT_TRUE(Flag("r_plain"));
}

}  // namespace
