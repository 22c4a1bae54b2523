// Scripts against sprites: the sprite class built from the shipped
// data/script/Sprite.lua, its methods and their argument errors, and
// animations built from step tables, run by the animation tree with fixed
// frame steps.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/modifier/ModifierLuaFunction.h"
#include "engine/modifier/ModifierLuaSendCommand.h"
#include "engine/script/Lua.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/Sprite.h"
#include "platform/MessageDialog.h"

using namespace ZQ2;

namespace {

std::string SourceScriptFolder() {
    const char* testData = std::getenv("DELVOR_TEST_DATA");
    const std::filesystem::path root = std::filesystem::path(testData ? testData : "tests/data").parent_path().parent_path();
    return (root / "data" / "script").string() + "/";
}

// A sprite that keeps the commands it is sent.
class CommandSprite : public Sprite {
public:
    CommandSprite() : Sprite(0.0f, 0.0f, 10.0f, 10.0f) {}
    void HandleCommand(const std::string& command, GameNode* sender) override {
        m_Commands.push_back(command);
        m_Senders.push_back(sender);
    }
    std::vector<std::string> m_Commands;
    std::vector<GameNode*> m_Senders;
};

class SpriteLuaTest : public ::testing::Test {
protected:
    void SetUp() override {
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
        AnimTree::CreateInstance();
        AnimTree::m_AutoDeleteModifiers = true;
        LuaAnimationChain::Reset();

        m_spRoot = new GameTree();
        m_pSprite = static_cast<Sprite*>(GameTree::LinkNodeUnder(m_spRoot, new Sprite(0.0f, 0.0f, 100.0f, 50.0f)));
        m_nTop = lua_gettop(L);
    }

    void TearDown() override {
        EXPECT_EQ(lua_gettop(L), m_nTop) << "the Lua stack moved";
        EXPECT_TRUE(m_Boxes.empty()) << m_Boxes.front();
        LuaAnimationChain::Reset();
        m_spRoot = nullptr;
        AnimTree::ReleaseInstance();
        Lua::ReleaseInstance();
        platform::MessageDialog::SetPresenter(nullptr);
    }

    bool Run(const std::string& chunk) { return m_pLua->LoadFromBuffer(chunk.data(), chunk.size(), "=sprite test"); }

    // The message of the error the global function f raises when called
    // with the sprite, or "no error".
    std::string ErrorOf(const std::string& body) {
        EXPECT_TRUE(Run("function probe(s)\n local ok, e = pcall(function() " + body +
                        " end)\n return ok and 'no error' or e\nend"));
        return m_pLua->Call("probe", m_pSprite).GetText();
    }

    void Frame(int ms) {
        AnimTree::g_Instance->VisitAnimTree(ms);
        AnimTree::g_Instance->PurgeAnimTree();
    }

    Lua* m_pLua = nullptr;
    lua_State* L = nullptr;
    SmartPtr<GameTree> m_spRoot;
    Sprite* m_pSprite = nullptr;
    int m_nTop = 0;
    std::vector<std::string> m_Boxes;
};

TEST_F(SpriteLuaTest, SpritesGetTheSpriteClassOnTopOfTheNodeClass) {
    ASSERT_TRUE(Run("function classOf(s) return getmetatable(s) == debug.getregistry()['xov.Sprite']\n"
                    "  and s.x == xov.GameNode.x and type(s.animate) == 'function'\n"
                    "  and getmetatable(xov.Sprite) == getmetatable(s) end"));
    EXPECT_TRUE(static_cast<bool>(m_pLua->Call("classOf", m_pSprite)));
    // A copy keeps the plain node class.
    SmartPtr<Sprite> copy(new Sprite(*m_pSprite));
    ASSERT_TRUE(Run("function plain(s) return getmetatable(s) == debug.getregistry()['xov.GameNode'] end"));
    EXPECT_TRUE(static_cast<bool>(m_pLua->Call("plain", copy.Get())));
}

TEST_F(SpriteLuaTest, GettersAndSetters) {
    SmartPtr<Image> image(new Image(new ImageDataOpenGL(160, 40, 160, 40, true), 4, 4));
    m_pSprite->SetImage(image);
    m_pSprite->SetX(30.0f);
    ASSERT_TRUE(Run("function use(s)\n"
                    "  s:setAnchorPoint('center')\n"
                    "  got = { w = s:width(), h = s:height(), left = s:left(), top = s:top(), n = s:frameCount() }\n"
                    "  s:lastFrame() got.last = s:frame()\n"
                    "  s:firstFrame() got.first = s:frame()\n"
                    "  got.set = s:setFrame(2) got.frame = s:frame()\n"
                    "  s:setRotation(0.5) got.rotation = s:rotation()\n"
                    "end"));
    m_pLua->Call("use", m_pSprite);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.w")), 40);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.h")), 40);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.left")), 10);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.top")), -20);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.n")), 4);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.last")), 3);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.first")), 0);
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.set")), 2) << "a setter answers its last argument";
    EXPECT_EQ(static_cast<int>(m_pLua->GetValue("got.frame")), 2);
    EXPECT_FLOAT_EQ(static_cast<float>(m_pLua->GetValue("got.rotation")), 0.5f);
    m_pSprite->SetImage(nullptr);
    ASSERT_TRUE(Run("function count(s) return s:frameCount() end"));
    EXPECT_EQ(m_pLua->Call("count", m_pSprite).GetNumber(), 1.0);
}

TEST_F(SpriteLuaTest, ScaleSkewAndAnchorForms) {
    struct Case {
        const char* call;
        float x;
        float y;
    };
    m_pSprite->SetScaleX(5.0f);
    m_pSprite->SetScaleY(6.0f);
    for (const Case& c : {Case{"s:setScale(3, 4)", 3, 4}, Case{"s:setScale({x = 7})", 7, 4},
                          Case{"s:setScale({y = 'text'})", 7, 4}, Case{"s:setScale(2)", 2, 2},
                          Case{"s:setScale()", 1, 1}}) {
        EXPECT_EQ(ErrorOf(c.call), "no error") << c.call;
        EXPECT_EQ(m_pSprite->GetScaleX(), c.x) << c.call;
        EXPECT_EQ(m_pSprite->GetScaleY(), c.y) << c.call;
    }
    for (const Case& c : {Case{"s:setSkew(0.1, 0.2)", 0.1f, 0.2f}, Case{"s:setSkew({y = 0.5})", 0.1f, 0.5f}}) {
        EXPECT_EQ(ErrorOf(c.call), "no error") << c.call;
        EXPECT_FLOAT_EQ(m_pSprite->GetSkewX(), c.x) << c.call;
        EXPECT_FLOAT_EQ(m_pSprite->GetSkewY(), c.y) << c.call;
    }
    for (const Case& c : {Case{"s:setAnchorPoint('bottomright')", 100, 50}, Case{"s:setAnchorPoint({x = 7})", 7, 50},
                          Case{"s:setAnchorPoint(3, 4)", 3, 4}}) {
        EXPECT_EQ(ErrorOf(c.call), "no error") << c.call;
        EXPECT_EQ(m_pSprite->GetAnchorPointX(), c.x) << c.call;
        EXPECT_EQ(m_pSprite->GetAnchorPointY(), c.y) << c.call;
    }
}

TEST_F(SpriteLuaTest, WrongArgumentsRaiseTheirErrorsAndChangeNothing) {
    SmartPtr<GameNode> plain(new GameNode("plain"));
    ASSERT_TRUE(Run("function keepPlain(n) plainNode = n end"));
    m_pLua->Call("keepPlain", plain.Get());
    // Called through the class table, so that Lua numbers the arguments as
    // they are given (a method call would leave the sprite out).
    struct Case {
        const char* call;
        int argument;
        const char* error;
    };
    const Case cases[] = {
        {"S.addSequentialAnimation(s, 1)", 1, "(wrong number of arguments)"},
        {"S.addSequentialAnimation(s, 1, {}, 3)", 1, "(wrong number of arguments)"},
        {"S.addSequentialAnimation(s, 1, 5)", 3, "(table expected, got number)"},
        {"S.addSequentialAnimation(s, 1, {sprite = plainNode})", 1, "(not a Sprite)"},
        {"S.addSequentialAnimation(s, 1, {target = {}, command = 'x'})", 1, "(not a C++ object)"},
        {"S.beginSimultaneousAnimation(s, 1)", 2, "(wrong number of arguments)"},
        {"S.endSimultaneousAnimation(s, nil)", 2, "(wrong number of arguments)"},
        {"S.firstFrame(s, 1)", 2, "(too many arguments)"},
        {"S.lastFrame(s, 1)", 2, "(too many arguments)"},
        {"S.setObsolete(s, true)", 2, "(too many arguments)"},
        {"S.setFrame(s, 1, 2)", 3, "(too many arguments)"},
        {"S.setFrame(s)", 2, "(number expected, got no value)"},
        {"S.setRotation(s, 1, 2)", 3, "(too many arguments)"},
        {"S.setRotation(s, 'turn')", 2, "(number expected, got string)"},
        {"S.setScale(s, 1, 2, 3)", 4, "(too many arguments)"},
        {"S.setSkew(s, 1, 2, 3)", 4, "(too many arguments)"},
        {"S.setSkew(s)", 2, "(value expected)"},
        {"S.setSkew(s, 1)", 2, "(table expected, got number)"},
        {"S.setAnchorPoint(s)", 4, "(wrong number of arguments)"},
        {"S.setAnchorPoint(s, 1, 2, 3)", 4, "(wrong number of arguments)"},
        {"S.setAnchorPoint(s, 'middle')", 2, "(invalid option 'middle')"},
        {"S.width(5)", 1, "(table expected, got number)"},
        {"S.width({})", 1, "(not a C++ object)"},
        {"S.frame(plainNode)", 1, "(not a Sprite)"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(std::string("local S = xov.Sprite ") + c.call);
        EXPECT_NE(error.find("bad argument #" + std::to_string(c.argument) + " "), std::string::npos)
            << c.call << ": " << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.call << ": " << error;
    }
    EXPECT_EQ(ErrorOf("return s:width(1, 2, 3) + s:frame('any')"), "no error") << "getters take any count";
    EXPECT_FALSE(m_pSprite->IsObsolete());
    EXPECT_EQ(m_pSprite->GetScaleX(), 1.0f);
    Frame(16);
    EXPECT_EQ(AnimTree::g_Instance->GetFirstChild(), nullptr);
}

TEST_F(SpriteLuaTest, StepsRunOneAfterTheOtherWithTheirTimings) {
    m_pSprite->SetAlpha(255);
    ASSERT_TRUE(Run("function play(s)\n"
                    "  s:addSequentialAnimation(1, { x = 100, duration = 1000, style = 'easeInOut' })\n"
                    "  s:addSequentialAnimation(2, { alpha = 0, duration = 1000 })\n"
                    "  s:addSequentialAnimation(3, { dx = -20, dy = 5, call = function(who) called = who end })\n"
                    "end"));
    m_pLua->Call("play", m_pSprite);
    Frame(250);
    EXPECT_FLOAT_EQ(m_pSprite->GetX(), 15.625f);  // eased: the quarter point
    Frame(750);
    EXPECT_EQ(m_pSprite->GetX(), 100.0f);
    // The fade starts in the frame the move ends, with that frame's time.
    EXPECT_EQ(m_pSprite->GetAlpha(), 63);
    lua_getglobal(L, "called");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    Frame(250);
    EXPECT_EQ(m_pSprite->GetAlpha(), 0);
    // Targets are taken when the script runs: dx and dy from (0, 0).
    EXPECT_EQ(m_pSprite->GetX(), -20.0f);
    EXPECT_EQ(m_pSprite->GetY(), 5.0f);
    lua_getglobal(L, "called");
    EXPECT_EQ(Lua::ToGameNode(L, -1), m_pSprite);
    lua_pop(L, 1);
    Frame(16);
    EXPECT_EQ(AnimTree::g_Instance->GetFirstChild(), nullptr) << "the chain's container leaves with its last step";
}

TEST_F(SpriteLuaTest, DelayInAStepLetsTheNextStartWhileItsMoveRuns) {
    ASSERT_TRUE(Run("function play(s)\n"
                    "  s:addSequentialAnimation(1, { x = 10, delay = 500, duration = 1000 })\n"
                    "  s:addSequentialAnimation(2, { rotation = 90 })\n"
                    "end"));
    m_pLua->Call("play", m_pSprite);
    Frame(499);
    EXPECT_EQ(m_pSprite->GetRotation(), 0.0f);
    Frame(1);  // the delay ends at 500 ms, and the next step runs at once
    EXPECT_NEAR(m_pSprite->GetRotation(), 1.5708f, 1e-4f);
    EXPECT_FLOAT_EQ(m_pSprite->GetX(), 5.0f) << "the move still runs";
    Frame(500);
    EXPECT_EQ(m_pSprite->GetX(), 10.0f);
}

TEST_F(SpriteLuaTest, GroupsWaitForTheirLongestMember) {
    ASSERT_TRUE(Run("function play(s)\n"
                    "  s:beginSimultaneousAnimation()\n"
                    "  s:addSequentialAnimation(1, { x = 30, duration = 300 })\n"
                    "  s:addSequentialAnimation(2, { drotation = 90, duration = 800 })\n"
                    "  s:endSimultaneousAnimation()\n"
                    "  s:addSequentialAnimation(3, { frame = '3' })\n"
                    "  s:together({ { alpha = 0.5, duration = 200 }, { delay = 100, duration = 100 } }, true)\n"
                    "  s:addSequentialAnimation(4, { frame = {}, visible = false })\n"
                    "end"));
    SmartPtr<Image> image(new Image(new ImageDataOpenGL(160, 40, 160, 40, true), 4, 4));
    m_pSprite->SetImage(image);
    m_pSprite->SetAlpha(255);
    m_pLua->Call("play", m_pSprite);
    Frame(400);
    EXPECT_EQ(m_pSprite->GetX(), 30.0f);
    EXPECT_EQ(m_pSprite->GetRotation(), 0.0f);  // a turn's first tick shows its start
    EXPECT_EQ(m_pSprite->GetCurrentFrame(), 0);
    Frame(399);
    EXPECT_NEAR(m_pSprite->GetRotation(), 0.5f * 1.5708f, 1e-4f);
    EXPECT_EQ(m_pSprite->GetCurrentFrame(), 0) << "the group waits for its longest member";
    Frame(1);
    EXPECT_EQ(m_pSprite->GetCurrentFrame(), 3) << "a number given as text is a number";
    EXPECT_EQ(m_pSprite->GetAlpha(), 254) << "the next group starts in the same frame";
    Frame(99);
    EXPECT_EQ(m_pSprite->GetAlpha(), 191);  // 255 + (127 - 255) * 0.5, truncated
    Frame(99);
    EXPECT_TRUE(m_pSprite->IsVisible()) << "the later group waits 200 ms";
    Frame(1);
    EXPECT_EQ(m_pSprite->GetAlpha(), 127);
    EXPECT_FALSE(m_pSprite->IsVisible());
    EXPECT_EQ(m_pSprite->GetCurrentFrame(), 3) << "a frame that is no number is ignored";
}

TEST_F(SpriteLuaTest, CommandsGoToTheTargetWithTheSpriteAsSender) {
    auto* receiver = static_cast<CommandSprite*>(GameTree::LinkNodeUnder(m_spRoot, new CommandSprite()));
    ASSERT_TRUE(Run("function play(s, r)\n"
                    "  s:addSequentialAnimation(1, { command = 'OPEN', target = r, skew = 45, duration = 100 })\n"
                    "  s:addSequentialAnimation(2, { command = 'SELF' })\n"
                    "end"));
    m_pLua->Call("play", m_pSprite, receiver);
    EXPECT_GT(m_pSprite->GetRefCount(), 1) << "the sender is held by its step";
    Frame(16);
    EXPECT_EQ(receiver->m_Commands, std::vector<std::string>{"OPEN"});
    EXPECT_EQ(receiver->m_Senders, std::vector<GameNode*>{m_pSprite});
    Frame(100);
    EXPECT_FLOAT_EQ(m_pSprite->GetSkewX(), 0.7853982f);
    EXPECT_FLOAT_EQ(m_pSprite->GetSkewY(), 0.7853982f);
    Frame(16);
    Frame(16);
    EXPECT_EQ(m_pSprite->GetRefCount(), 1) << "released with its step";
}

// The chain holds counted references: a step added after the earlier ones
// finished and were retired starts a new chain instead of linking under
// freed memory; a first step numbered other than 1 does the same.
TEST_F(SpriteLuaTest, LaterStepsAfterTheChainFinishedStartANewChain) {
    m_pSprite->SetAlpha(255);
    ASSERT_TRUE(Run("function first(s) s:addSequentialAnimation(1, { x = 10, duration = 100 }) end\n"
                    "function later(s) s:addSequentialAnimation(2, { alpha = 0.2, duration = 100 }) end\n"
                    "function empty(s) s:addSequentialAnimation(1, { nothing = true }) end"));
    m_pLua->Call("later", m_pSprite);  // no chain yet
    m_pLua->Call("first", m_pSprite);
    Frame(100);
    EXPECT_EQ(m_pSprite->GetX(), 10.0f);
    EXPECT_EQ(m_pSprite->GetAlpha(), 51);
    Frame(0);
    EXPECT_EQ(AnimTree::g_Instance->GetFirstChild(), nullptr);
    EXPECT_EQ(LuaAnimationChain::GetParent(), nullptr) << "the retired step is forgotten";

    m_pSprite->SetAlpha(0);
    m_pLua->Call("later", m_pSprite);
    Frame(50);
    EXPECT_EQ(m_pSprite->GetAlpha(), 25);

    m_pLua->Call("empty", m_pSprite);  // links nothing; the next step still runs
    m_pSprite->SetAlpha(0);
    m_pLua->Call("later", m_pSprite);
    Frame(100);
    EXPECT_EQ(m_pSprite->GetAlpha(), 51);
}

// The script modifiers alone: a function without a client gets no argument,
// with one the client's table; errors are dropped; the reference is freed
// with the modifier. A command modifier holds its nodes until destroyed.
TEST_F(SpriteLuaTest, LabelStepsSetTheirTextOnceInTurn) {
    auto* label = static_cast<Label*>(GameTree::LinkNodeUnder(m_spRoot, new Label(nullptr, 0.0f, 0.0f, 100.0f, 20.0f, TEXTWRAP_WORDWRAP)));
    label->SetText("start");
    ASSERT_TRUE(Run("function play(s)\n"
                    "  s:addSequentialAnimation(1, { delay = 100 })\n"
                    "  s:addSequentialAnimation(2, { text = 'ready' })\n"
                    "  s:addSequentialAnimation(3, { text = {} })\n"
                    "end"));
    m_pLua->Call("play", label);
    Frame(50);
    EXPECT_EQ(label->GetText(), "start");
    Frame(60);
    EXPECT_EQ(label->GetText(), "ready");
    label->SetText("changed");
    Frame(16);
    EXPECT_EQ(label->GetText(), "changed") << "the step sets the text once; a text that is no string adds no step";
}

TEST_F(SpriteLuaTest, ScriptModifiersCallOnceAndReleaseWhatTheyHold) {
    ASSERT_TRUE(Run("counts = ''\n"
                    "function record(...) counts = counts .. select('#', ...) lastArg = ... end\n"
                    "function fail() error('dropped') end"));
    auto referenceTo = [this](const char* name) {
        lua_getglobal(L, name);
        return luaL_ref(L, LUA_REGISTRYINDEX);
    };
    const int reference = referenceTo("record");
    {
        SmartPtr<ModifierLuaFunction> alone(new ModifierLuaFunction(reference));
        alone->Tick(0);
        alone->EndModifier();
        EXPECT_TRUE(alone->IsDone());
        SmartPtr<ModifierLuaFunction> withClient(new ModifierLuaFunction(referenceTo("record")));
        withClient->SetClient(m_pSprite);
        withClient->Tick(16);
        SmartPtr<ModifierLuaFunction> failing(new ModifierLuaFunction(referenceTo("fail")));
        failing->Tick(16);
        EXPECT_TRUE(failing->IsDone());
    }
    EXPECT_EQ(static_cast<UTF8String>(m_pLua->GetValue("counts")), "01") << "one call each, with 0 and 1 arguments";
    lua_getglobal(L, "lastArg");
    EXPECT_EQ(Lua::ToGameNode(L, -1), m_pSprite);
    lua_pop(L, 1);
    lua_rawgeti(L, LUA_REGISTRYINDEX, reference);
    EXPECT_FALSE(lua_isfunction(L, -1)) << "the reference is freed";
    lua_pop(L, 1);

    auto* receiver = new CommandSprite();
    receiver->AddRef();
    auto* sender = new Sprite(0, 0, 1, 1);
    sender->AddRef();
    {
        SmartPtr<ModifierLuaSendCommand> command(new ModifierLuaSendCommand(receiver, "GO", sender));
        EXPECT_EQ(sender->GetRefCount(), 2);
        EXPECT_NE(command->ToString().find("cmd=GO; "), std::string::npos);
        command->Tick(0);
        command->EndModifier();
        EXPECT_EQ(receiver->m_Commands, std::vector<std::string>{"GO"});
        EXPECT_EQ(receiver->m_Senders, std::vector<GameNode*>{sender});
        EXPECT_EQ(sender->GetRefCount(), 2);
    }
    EXPECT_EQ(sender->GetRefCount(), 1);
    EXPECT_EQ(receiver->GetRefCount(), 1);
    sender->Release();
    receiver->Release();
}

TEST_F(SpriteLuaTest, SpriteDestroyedMidChainTakesItsStepsAlong) {
    auto* doomed = static_cast<Sprite*>(GameTree::LinkNodeUnder(m_spRoot, new Sprite(0, 0, 5, 5)));
    ASSERT_TRUE(Run("function play(s)\n"
                    "  s:addSequentialAnimation(1, { x = 10, duration = 100 })\n"
                    "  s:addSequentialAnimation(2, { rotation = 45 })\n"
                    "  s:addSequentialAnimation(3, { frame = 2, alpha = 1 })\n"
                    "end"));
    m_pLua->Call("play", doomed);
    Frame(50);
    GameTree::UnlinkNode(doomed);
    doomed->Release();
    for (int i = 0; i < 4; ++i)
        Frame(100);
    EXPECT_EQ(AnimTree::g_Instance->GetFirstChild(), nullptr);
}

}  // namespace
