// Scripts against engine nodes: the node class built from the shipped
// data/script/GameNode.lua, node methods called through the class table
// xov.GameNode, their argument errors, and nodes passed to and returned from
// calls by path.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/io/FileUtils.h"
#include "engine/script/Lua.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/GameTree.h"
#include "platform/MessageDialog.h"

using ZQ2::GameNode;
using ZQ2::Lua;
using ZQ2::LuaReturn;
using ZQ2::UTF8String;

namespace {

// The script folder of the game's data in the source tree (the tests' own
// data lie in tests/data, which need not exist).
std::string SourceScriptFolder() {
    const char* testData = std::getenv("DELVOR_TEST_DATA");
    const std::filesystem::path root = std::filesystem::path(testData ? testData : "tests/data").parent_path().parent_path();
    return (root / "data" / "script").string() + "/";
}

UTF8String Text(const ZQ2::LuaValue& value) { return value; }

// The Lua service as the manifest makes it, with the shipped class scripts.
class LuaNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-luanode-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_strDir = pattern;
        m_strOldWork = ZQ2::GetWorkPath();
        ASSERT_TRUE(ZQ2::SetWorkPath(m_strDir));
        platform::MessageDialog::SetPresenter(
            [this](const std::string& caption, const std::string& text, const std::vector<std::string>&) {
                m_Boxes.push_back(caption + ": " + text);
                return 0;
            });
        Lua::CreateInstance();
        ASSERT_TRUE(Lua::g_Instance->Initialize());
        Lua::g_Instance->SetScriptFolder(SourceScriptFolder());
        m_pLua = Lua::g_Instance;
        L = m_pLua->GetState();

        m_pRoot = new GameNode("root");
        m_pRoot->AddRef();
        m_pChild = ZQ2::GameTree::LinkNodeUnder(m_pRoot, new GameNode("kid"));
        m_pChild->SetLocation(12.0f, -3.5f);
        m_nTop = lua_gettop(L);
    }

    void TearDown() override {
        EXPECT_EQ(lua_gettop(L), m_nTop) << "the Lua stack moved";
        EXPECT_TRUE(m_Boxes.empty()) << m_Boxes.front();
        if (m_pRoot)
            m_pRoot->Release();
        Lua::ReleaseInstance();
        platform::MessageDialog::SetPresenter(nullptr);
        ZQ2::SetWorkPath(m_strOldWork);
        std::filesystem::remove_all(m_strDir);
    }

    // Runs a script file of the scratch data folder's script folder.
    bool RunScriptFile(const std::string& name, const std::string& text) {
        std::filesystem::create_directories("script");
        std::ofstream("script/" + name) << text;
        return m_pLua->ParseScriptFile("script/" + name);
    }

    bool Run(const std::string& chunk) { return m_pLua->LoadFromBuffer(chunk.data(), chunk.size(), "=node test"); }

    // The global name holds a table that looks like an object table but
    // points at an engine object that is no node (the Lua service itself).
    void PublishForeignObject(const char* name) {
        lua_newtable(L);
        lua_pushstring(L, Lua::OBJECT_FIELD);
        lua_pushlightuserdata(L, static_cast<ZQ2::BaseObject*>(m_pLua));
        lua_rawset(L, -3);
        lua_setglobal(L, name);
    }

    Lua* m_pLua = nullptr;
    lua_State* L = nullptr;
    GameNode* m_pRoot = nullptr;
    GameNode* m_pChild = nullptr;
    int m_nTop = 0;
    std::vector<std::string> m_Boxes;
    std::string m_strDir;
    std::string m_strOldWork;
};

TEST_F(LuaNodeTest, ScriptsCallNodeMethodsThroughTheClassTable) {
    ASSERT_TRUE(RunScriptFile("Inspect.lua",
                              "function inspect(node, name)\n"
                              "  local N = xov.GameNode\n"
                              "  local kid = N.child(node, name)\n"
                              "  if not kid then return nil end\n"
                              "  seen = { x = N.x(kid), y = kid:y(), visible = N.isVisible(kid),\n"
                              "           parentIsNode = N.parent(kid) == node, text = tostring(kid) }\n"
                              "  N.setVisible(kid, false)\n"
                              "  return kid\n"
                              "end"));
    const LuaReturn result = m_pLua->Call("inspect", m_pRoot, "kid");
    EXPECT_EQ(result.GetNode(), m_pChild);
    EXPECT_EQ(static_cast<double>(m_pLua->GetValue("seen.x")), 12.0);
    EXPECT_EQ(static_cast<double>(m_pLua->GetValue("seen.y")), -3.5);
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("seen.visible")));
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("seen.parentIsNode")));
    EXPECT_NE(Text(m_pLua->GetValue("seen.text")).find("kid"), std::string::npos);
    EXPECT_FALSE(m_pChild->IsVisible());

    // A name that no child has gives nil, which converts to no node.
    EXPECT_EQ(m_pLua->Call("inspect", m_pRoot, "nobody").GetNode(), nullptr);
}

TEST_F(LuaNodeTest, BadFirstArgumentsAndExtraArgumentsRaiseTheirErrors) {
    PublishForeignObject("foreign");
    ASSERT_TRUE(RunScriptFile("Check.lua",
                              "local function try(...)\n"
                              "  local ok, message = pcall(...)\n"
                              "  return ok and 'no error' or message\n"
                              "end\n"
                              "function check(node)\n"
                              "  local N = xov.GameNode\n"
                              "  results = { number = try(N.x, 5), plain = try(N.y, {}), missing = try(N.visible),\n"
                              "    foreign = try(N.parent, foreign), extra = try(N.x, node, 1),\n"
                              "    extraSetter = try(N.setVisible, node, true, 2), fine = try(N.child, node, 'kid') }\n"
                              "end"));
    m_pLua->Call("check", m_pChild);
    struct Case {
        const char* result;
        const char* message;
    };
    for (const Case& c : {Case{"results.number", "bad argument #1"}, Case{"results.number", "not a C++ object"},
                          Case{"results.plain", "not a C++ object"}, Case{"results.missing", "not a C++ object"},
                          Case{"results.foreign", "not a GameNode"}, Case{"results.extra", "bad argument #2"},
                          Case{"results.extra", "too many arguments"},
                          Case{"results.extraSetter", "bad argument #3"}, Case{"results.fine", "no error"}}) {
        const UTF8String text = Text(m_pLua->GetValue(c.result));
        EXPECT_NE(text.find(c.message), std::string::npos) << c.result << ": " << text;
    }
    EXPECT_TRUE(m_pChild->IsVisible()) << "a refused call changes nothing";
}

TEST_F(LuaNodeTest, TablesOfDeadNodesAreNoLongerObjects) {
    ASSERT_TRUE(Run("function keep(node) kept = node end\n"
                    "function poke() local ok, e = pcall(xov.GameNode.x, kept) return e end"));
    GameNode* loose = new GameNode("loose");
    loose->AddRef();
    m_pLua->Call("keep", loose);
    EXPECT_EQ(m_pLua->Call("poke").GetText(), "");
    loose->Release();

    const UTF8String message = m_pLua->Call("poke").GetText();
    EXPECT_NE(message.find("not a C++ object"), std::string::npos) << message;
    lua_getglobal(L, "kept");
    EXPECT_FALSE(Lua::IsGameNode(L, -1));
    lua_pop(L, 1);
}

TEST_F(LuaNodeTest, NodeClassIsBuiltOnceAndSharedByEveryNode) {
    GameNode* other = new GameNode("other");
    other->AddRef();
    ASSERT_TRUE(Run("function same(a, b) return getmetatable(a) == getmetatable(b)\n"
                    "  and getmetatable(a) == debug.getregistry()['xov.GameNode']\n"
                    "  and getmetatable(xov.GameNode) == getmetatable(a) end"));
    EXPECT_TRUE(static_cast<bool>(m_pLua->Call("same", other, m_pRoot)));
    other->Release();
    EXPECT_EQ(m_pLua->SetupMetatableForClass("xov.GameNode", nullptr, "unused.lua", "GameNode", nullptr), 0);
}

}  // namespace
