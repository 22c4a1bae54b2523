// The Lua runtime: running scripts from files and the archive, calls and
// values by dotted path, class metatables, error reporting, and the rule
// that no operation moves the Lua stack.
#include <gtest/gtest.h>
#include <lua.hpp>
#include <unistd.h>
#include <zip.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/script/Lua.h"
#include "platform/MessageDialog.h"

namespace fs = std::filesystem;
using ZQ2::Lua;
using ZQ2::LuaReturn;
using ZQ2::UTF8String;

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path().empty() ? fs::path(".") : fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, data] : members) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof info);
        ok = ok &&
             zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                 Z_DEFAULT_COMPRESSION) == ZIP_OK &&
             zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// Conversions to text are copy-initialisations, as callers write them.
UTF8String Text(const ZQ2::LuaValue& value) { return value; }
UTF8String Text(const LuaReturn& value) { return value; }

// Message boxes are answered at once and remembered.
struct ShownBox {
    std::string m_strCaption;
    std::string m_strText;
};

// A fresh state in a scratch working folder, with no archive; message boxes
// are caught. Every test ends by checking that the stack is where it began.
class LuaTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-lua-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_strDir = pattern;
        m_strOldWork = ZQ2::GetWorkPath();
        ASSERT_TRUE(ZQ2::SetWorkPath(m_strDir));
        ZQ2::FileArchive::ReleaseInstance();
        platform::MessageDialog::SetPresenter(
            [this](const std::string& caption, const std::string& text, const std::vector<std::string>&) {
                m_Boxes.push_back({caption, text});
                return 0;
            });
        m_pLua = new Lua();
        m_pLua->AddRef();
        ASSERT_TRUE(m_pLua->Initialize());
        L = m_pLua->GetState();
        ASSERT_NE(L, nullptr);
        m_nTop = lua_gettop(L);
    }

    void TearDown() override {
        if (L) {
            EXPECT_EQ(lua_gettop(L), m_nTop) << "the Lua stack moved";
        }
        if (m_pLua)
            m_pLua->Release();
        platform::MessageDialog::SetPresenter(nullptr);
        ZQ2::FileArchive::ReleaseInstance();
        ZQ2::SetWorkPath(m_strOldWork);
        fs::remove_all(m_strDir);
    }

    bool Run(const std::string& chunk) { return m_pLua->LoadFromBuffer(chunk.data(), chunk.size(), "=test"); }

    double Number(const char* path) { return static_cast<double>(m_pLua->GetValue(path)); }

    Lua* m_pLua = nullptr;
    lua_State* L = nullptr;
    int m_nTop = 0;
    std::vector<ShownBox> m_Boxes;
    std::string m_strDir;
    std::string m_strOldWork;
};

// --- Running scripts -------------------------------------------------------

TEST_F(LuaTest, PlainScriptFileRunsAndFailuresSayWhy) {
    WriteFile("script/good.lua", "answer = 6 * 7\n");
    WriteFile("script/syntax.lua", "x = 1\ny = = 2\n");
    WriteFile("script/raises.lua", "\n\nerror('boom')\n");
    WriteFile("script/shell.lua", "#!/usr/bin/lua\nerror('second line')\n");

    EXPECT_TRUE(m_pLua->ParseScriptFile("script/good.lua"));
    EXPECT_EQ(Number("answer"), 42.0);

    struct Case {
        const char* path;
        const char* reason;
    };
    for (const Case& c : {Case{"script/missing.lua", "cannot open script/missing.lua"},
                          Case{"script/syntax.lua", "script/syntax.lua:2:"},
                          Case{"script/raises.lua", "script/raises.lua:3: boom"},
                          Case{"script/shell.lua", "script/shell.lua:2: second line"}}) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(m_pLua->ParseScriptFile(c.path));
        EXPECT_NE(m_pLua->GetLastError().find(c.reason), std::string::npos) << m_pLua->GetLastError();
        EXPECT_EQ(lua_gettop(L), m_nTop);
    }
    EXPECT_TRUE(m_Boxes.empty()) << "loading scripts shows no message box";
}

TEST_F(LuaTest, ArchiveScriptsRunAndAMissingMemberFails) {
    ASSERT_TRUE(WriteZip("data.zip", {{"script/inside.lua", "inside = 'zip'"}}));
    WriteFile("script/outside.lua", "outside = true");  // a plain file must not stand in
    ZQ2::FileArchive::CreateInstance("data.zip", ZQ2::ARCHIVE_ZIP);

    EXPECT_TRUE(m_pLua->ParseScriptFile("script/inside.lua"));
    EXPECT_EQ(Text(m_pLua->GetValue("inside")), "zip");

    EXPECT_FALSE(m_pLua->ParseScriptFile("script/outside.lua"));
    EXPECT_FALSE(m_pLua->LoadFromArchive("script/nothing.lua"));
    EXPECT_NE(m_pLua->GetLastError().find("script/nothing.lua"), std::string::npos);
    EXPECT_FALSE(static_cast<bool>(m_pLua->GetValue("outside")));
}

TEST_F(LuaTest, PrecompiledChunksAreRefusedEverywhere) {
    ASSERT_TRUE(Run("function f() return 1 end; dumped = string.dump(f)"));
    lua_getglobal(L, "dumped");
    size_t size = 0;
    const char* dumped = lua_tolstring(L, -1, &size);
    const std::string bytes(dumped, size);
    lua_pop(L, 1);
    ASSERT_TRUE(Lua::IsBinaryChunk(bytes.data(), bytes.size()));

    EXPECT_FALSE(m_pLua->LoadFromBuffer(bytes.data(), bytes.size(), "=bytes"));
    EXPECT_NE(m_pLua->GetLastError().find("precompiled"), std::string::npos);
    WriteFile("script/binary.lua", bytes);
    EXPECT_FALSE(m_pLua->LoadFromFile("script/binary.lua"));

    // The script-side loaders answer nil and a message, or raise for dofile.
    ASSERT_TRUE(Run("local f, e1 = loadstring(dumped); r1 = (f == nil) and e1\n"
                    "local once = false\n"
                    "local g, e2 = load(function() if once then return nil end once = true return dumped end)\n"
                    "r2 = (g == nil) and e2\n"
                    "local h, e3 = loadfile('script/binary.lua'); r3 = (h == nil) and e3\n"
                    "local ok, e4 = pcall(dofile, 'script/binary.lua'); r4 = (not ok) and e4\n"));
    for (const char* result : {"r1", "r2", "r3", "r4"}) {
        const UTF8String text = m_pLua->GetValue(result);
        EXPECT_NE(text.find("precompiled chunks are not accepted"), std::string::npos) << result << ": " << text;
    }

    // Text keeps working through the same functions.
    WriteFile("script/text.lua", "return 5");
    ASSERT_TRUE(Run("local s = 'return 2'\n"
                    "local two = load(function() local r = s; s = nil; return r end)()\n"
                    "a = loadstring('return 1')() + two + loadfile('script/text.lua')() + dofile('script/text.lua')"));
    EXPECT_EQ(Number("a"), 13.0);
}

// --- Calls by path ---------------------------------------------------------

TEST_F(LuaTest, CallsByDottedPathConvertResultsAndKeepTheStack) {
    ASSERT_TRUE(Run("game = { events = { add = function(a, b) return a + b end,\n"
                    "  greet = function(name) return 'hello ' .. name end,\n"
                    "  flip = function(b) return not b end,\n"
                    "  none = function() end,\n"
                    "  table = function() return {} end,\n"
                    "  count = function() calls = (calls or 0) + 1 return calls end } }"));
    lua_pushstring(L, "caller's slot");  // the call must not touch what is below
    const int top = lua_gettop(L);

    EXPECT_EQ(static_cast<double>(m_pLua->Call("game.events.add", 2, 3.5)), 5.5);
    EXPECT_EQ(static_cast<int>(m_pLua->Call("game.events.add", -2, -0.7)), -2);
    EXPECT_EQ(Text(m_pLua->Call("game.events.greet", "you")), "hello you");
    EXPECT_EQ(Text(m_pLua->Call("game.events.greet", std::string("me"))), "hello me");
    EXPECT_TRUE(static_cast<bool>(m_pLua->Call("game.events.flip", false)));
    EXPECT_EQ(static_cast<double>(m_pLua->Call("game.events.count")), 1.0);
    EXPECT_EQ(lua_gettop(L), top);

    // nil and a table that is no node give the default result.
    for (const char* path : {"game.events.none", "game.events.table"}) {
        const LuaReturn r = m_pLua->Call(path);
        EXPECT_EQ(r.GetNumber(), 0.0);
        EXPECT_FALSE(r.GetFlag());
        EXPECT_TRUE(r.GetText().empty());
        EXPECT_EQ(r.GetNode(), nullptr);
    }
    EXPECT_EQ(lua_gettop(L), top);
    EXPECT_STREQ(lua_tostring(L, -1), "caller's slot");
    lua_pop(L, 1);
}

TEST_F(LuaTest, FailingCallsGiveFalseAndKeepTheStack) {
    ASSERT_TRUE(Run("number = 3\n"
                    "function boom() error('exploded') end\n"
                    "function counter() hits = (hits or 0) + 1 return true end\n"
                    "strict = setmetatable({}, { __index = function(t, k) error('no field ' .. k) end })"));
    for (const char* path : {"number.b.f", "missing", "missing.deeper.f", "boom", "counter.inner", "strict.f",
                             "", "..", "a..b"}) {
        SCOPED_TRACE(path);
        const LuaReturn r = m_pLua->Call(path, 1, "two");
        EXPECT_FALSE(static_cast<bool>(r));
        EXPECT_EQ(lua_gettop(L), m_nTop);
    }
    EXPECT_NE(m_pLua->GetLastError().find("attempt to call"), std::string::npos);
    m_pLua->Call("boom");
    EXPECT_NE(m_pLua->GetLastError().find("exploded"), std::string::npos);
    // A step that is a function is not called in place of the path's end.
    EXPECT_FALSE(static_cast<bool>(m_pLua->GetValue("hits")));
    EXPECT_TRUE(m_Boxes.empty()) << "failing calls are not shown";

    // A path longer than the stack can hold is refused, not overflowed.
    std::string deep = "t";
    for (int i = 0; i < 20000; ++i)
        deep += ".t";
    EXPECT_FALSE(static_cast<bool>(m_pLua->Call(deep)));
}

TEST_F(LuaTest, GetFunctionPushesTheChainAndNilForWhatIsMissing) {
    ASSERT_TRUE(Run("a = { b = { c = 7 } }; n = 1"));
    struct Case {
        const char* path;
        int pushed;
        int topType;
    };
    for (const Case& c : {Case{"a.b.c", 4, LUA_TNUMBER}, Case{"a.b", 3, LUA_TTABLE}, Case{"a.x.c", 4, LUA_TNIL},
                          Case{"n.b.c", 3, LUA_TNIL}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(m_pLua->GetFunction(c.path), c.pushed);
        EXPECT_EQ(lua_type(L, -1), c.topType);
        lua_settop(L, m_nTop);
    }
}

TEST_F(LuaTest, SplitKeepsEmptyPieces) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a", {"a"}}, {"a.b.c", {"a", "b", "c"}}, {"a..b", {"a", "", "b"}}, {"", {""}}, {".a.", {"", "a", ""}}};
    for (const auto& [path, expected] : cases) {
        const ZQ2::ZQVector<std::string> pieces = Lua::Split(path);
        ASSERT_EQ(pieces.size(), static_cast<int>(expected.size())) << path;
        for (int i = 0; i < pieces.size(); ++i)
            EXPECT_EQ(pieces[i], expected[static_cast<size_t>(i)]) << path;
    }
}

// --- Values by path --------------------------------------------------------

TEST_F(LuaTest, ValuesReadAndWriteByPath) {
    ASSERT_TRUE(Run("cfg = 3; text = 'words'; num = -7.9; big = 1e300; yes = true"));
    (*m_pLua)["cfg.speed"] = 5;
    EXPECT_EQ(Number("cfg.speed"), 5.0);
    ASSERT_TRUE(Run("assert(type(cfg) == 'table')"));

    (*m_pLua)["a.b.c"] = "deep";
    (*m_pLua)["a.b.flag"] = true;
    (*m_pLua)["a.b.half"] = 0.5;
    (*m_pLua)["a.b.name"] = UTF8String("n\xC3\xA4me");
    EXPECT_EQ(Text(m_pLua->GetValue("a.b.c")), "deep");
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("a.b.flag")));
    EXPECT_FLOAT_EQ(static_cast<float>(m_pLua->GetValue("a.b.half")), 0.5f);
    EXPECT_EQ(Text(m_pLua->GetValue("a.b.name")), "n\xC3\xA4me");

    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("num")), -7);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("big")), INT_MAX);
    EXPECT_EQ(Text(m_pLua->GetValue("num")), "-7.9");
    EXPECT_EQ(Text(m_pLua->GetValue("yes")), "");
    EXPECT_EQ(static_cast<double>(m_pLua->GetValue("text")), 0.0);
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("text")));

    // Whatever names nothing reads as nil.
    for (const char* path : {"missing", "cfg.missing.x", "text.len", ""}) {
        EXPECT_FALSE(static_cast<bool>(m_pLua->GetValue(path))) << path;
        EXPECT_EQ(static_cast<int>(m_pLua->GetValue(path)), 0) << path;
        EXPECT_EQ(Text(m_pLua->GetValue(path)), "") << path;
    }
}

TEST_F(LuaTest, ValuesSurviveMetamethodsThatRaise) {
    ASSERT_TRUE(Run("locked = setmetatable({}, { __index = function() error('read') end,\n"
                    "                           __newindex = function() error('write') end })"));
    (*m_pLua)["locked.x"] = 1;
    (*m_pLua)["locked.y.z"] = 2;
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("locked.x")), 0);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("locked.y.z")), 0);
    ASSERT_TRUE(Run("assert(rawget(locked, 'x') == nil)"));
}

TEST(LuaValueWithoutState, ReadsDefaultsAndIgnoresWrites) {
    Lua lua;  // never initialised
    EXPECT_EQ(lua.GetState(), nullptr);
    lua["x"] = 3;
    EXPECT_EQ(static_cast<int>(lua["x"]), 0);
    EXPECT_FALSE(static_cast<bool>(lua.Call("f")));
    EXPECT_FALSE(lua.ParseScriptFile("script/anything.lua"));
    EXPECT_EQ(lua.SetupMetatableForClass("xov.X", nullptr, nullptr, "X", nullptr), 1);
}

// --- Return values ---------------------------------------------------------

TEST(LuaReturnTest, ConvertsEachWayAndKeepsDefaults) {
    const LuaReturn none;
    EXPECT_EQ(static_cast<double>(none), 0.0);
    EXPECT_FALSE(static_cast<bool>(none));
    EXPECT_EQ(Text(none), "");
    EXPECT_EQ(static_cast<ZQ2::GameNode*>(none), nullptr);

    const LuaReturn text("abc");
    EXPECT_EQ(Text(text), "abc");
    EXPECT_EQ(static_cast<double>(text), 0.0);
    EXPECT_EQ(Text(LuaReturn(static_cast<const char*>(nullptr))), "");

    const std::vector<std::pair<double, int>> truncations = {
        {2.9, 2}, {-2.9, -2}, {0.0, 0}, {1e12, INT_MAX}, {-1e12, INT_MIN}, {std::nan(""), 0}};
    for (const auto& [number, expected] : truncations)
        EXPECT_EQ(static_cast<int>(LuaReturn(number)), expected) << number;
    EXPECT_FLOAT_EQ(static_cast<float>(LuaReturn(1.25)), 1.25f);
    EXPECT_TRUE(static_cast<bool>(LuaReturn(true)));
    EXPECT_FALSE(static_cast<bool>(LuaReturn(3.0)));
}

// --- Class metatables ------------------------------------------------------

int GlueDouble(lua_State* L) {
    lua_pushnumber(L, 2 * luaL_checknumber(L, 2));
    return 1;
}

const luaL_Reg kTestMethods[] = {{"double", GlueDouble}, {nullptr, nullptr}};

TEST_F(LuaTest, ClassMetatablesJoinParentScriptAndMethods) {
    WriteFile("script/Base.lua", "xov = xov or {}; xov.Base = { kind = 'base', shared = 'from base' }");
    WriteFile("script/Thing.lua",
              "runs = (runs or 0) + 1\n"
              "xov.Thing = { kind = 'thing', describe = function(self) return self.kind .. '/' .. self.shared end }");
    ASSERT_EQ(m_pLua->SetupMetatableForClass("xov.Base", nullptr, "script/Base.lua", "Base", nullptr), 0);
    ASSERT_EQ(m_pLua->SetupMetatableForClass("xov.Thing", "xov.Base", "script/Thing.lua", "Thing", kTestMethods), 0);
    EXPECT_EQ(m_pLua->SetupMetatableForClass("xov.Thing", "xov.Base", "script/Thing.lua", "Thing", kTestMethods), 0);
    EXPECT_EQ(Number("runs"), 1.0) << "the class script runs once";

    // An object table with the class metatable sees fields of all three
    // sources; the class table offers the same through its metatable.
    ASSERT_TRUE(Run("local obj = setmetatable({}, debug.getregistry()['xov.Thing'])\n"
                    "r1 = obj:describe(); r2 = obj:double(21); r3 = xov.Thing.double(nil, 4)\n"
                    "r4 = getmetatable(xov.Thing) == debug.getregistry()['xov.Thing']\n"
                    "r5 = debug.getregistry()['xov.Thing'].__index == debug.getregistry()['xov.Thing']"));
    EXPECT_EQ(Text(m_pLua->GetValue("r1")), "thing/from base");
    EXPECT_EQ(Number("r2"), 42.0);
    EXPECT_EQ(Number("r3"), 8.0);
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("r4")));
    EXPECT_TRUE(static_cast<bool>(m_pLua->GetValue("r5")));
    EXPECT_TRUE(m_Boxes.empty());
}

TEST_F(LuaTest, FailingClassScriptIsShownOnceAndStaysAFailure) {
    WriteFile("script/Broken.lua", "tries = (tries or 0) + 1\nerror('class script broke')");
    struct Case {
        const char* metatable;
        const char* script;
        const char* shown;
    };
    for (const Case& c : {Case{"xov.Broken", "script/Broken.lua", "class script broke"},
                          Case{"xov.Lost", "script/Lost.lua", "cannot open script/Lost.lua"}}) {
        SCOPED_TRACE(c.metatable);
        m_Boxes.clear();
        EXPECT_EQ(m_pLua->SetupMetatableForClass(c.metatable, nullptr, c.script, "X", kTestMethods), 1);
        EXPECT_EQ(m_pLua->SetupMetatableForClass(c.metatable, nullptr, c.script, "X", kTestMethods), 1);
        ASSERT_EQ(m_Boxes.size(), 1u);
        EXPECT_EQ(m_Boxes[0].m_strCaption, "setupMetatableForClass");
        EXPECT_NE(m_Boxes[0].m_strText.find(c.shown), std::string::npos) << m_Boxes[0].m_strText;
    }
    EXPECT_EQ(Number("tries"), 1.0);
}

// --- Reporting -------------------------------------------------------------

TEST_F(LuaTest, ReportErrorShowsTheTopValueUnderItsHeadline) {
    lua_pushstring(L, "what went wrong");
    Lua::ReportError(nullptr, L);
    Lua::ReportError("Context", L);
    EXPECT_EQ(Lua::ErrorForIDE(L), "what went wrong");
    lua_pop(L, 1);
    lua_newtable(L);
    Lua::ReportError(nullptr, L);
    lua_pop(L, 1);
    ASSERT_EQ(m_Boxes.size(), 3u);
    EXPECT_EQ(m_Boxes[0].m_strCaption, "Script Error");
    EXPECT_EQ(m_Boxes[0].m_strText, "what went wrong");
    EXPECT_EQ(m_Boxes[1].m_strCaption, "Context");
    EXPECT_NE(m_Boxes[2].m_strText.find("table"), std::string::npos);
}

TEST_F(LuaTest, StackDumpAndTracebackPrintWithoutMovingTheStack) {
    lua_pushstring(L, "s");
    lua_pushboolean(L, 1);
    lua_pushnumber(L, 2.5);
    lua_pushcfunction(L, GlueDouble);
    testing::internal::CaptureStdout();
    m_pLua->StackDump();
    const std::string dump = testing::internal::GetCapturedStdout();
    EXPECT_EQ(dump, "1:'s'\n  2:true\n  3:2.5\n  4:function\n  \n");
    EXPECT_EQ(lua_gettop(L), m_nTop + 4);
    lua_settop(L, m_nTop);

    testing::internal::CaptureStdout();
    m_pLua->Traceback("where am I");
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(trace.rfind("where am I", 0), 0u) << trace;
}

}  // namespace
