// Runs arbitrary bytes as a script chunk against live sprites: the sprite
// methods with any arguments, and animation step tables of any shape, then
// plays the animations they built, with a sprite taken away in between.
// Whatever the chunk does, the engine must not crash or leak, and the Lua
// stack must come back where it was.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/script/Lua.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/Sprite.h"
#include "platform/MessageDialog.h"

namespace {

constexpr long kInstructionBudget = 200000;
constexpr int kHookInterval = 1000;
constexpr size_t kMemoryHeadroom = 2 * 1024 * 1024;

long g_nInstructionsLeft = 0;

void CountInstructions(lua_State* L, lua_Debug*) {
    g_nInstructionsLeft -= kHookInterval;
    if (g_nInstructionsLeft > 0)
        return;
    lua_sethook(L, CountInstructions, LUA_MASKCOUNT, 1);
    luaL_error(L, "instruction budget spent");
}

void StartBudget(lua_State* L) {
    g_nInstructionsLeft = kInstructionBudget;
    lua_sethook(L, CountInstructions, LUA_MASKCOUNT, kHookInterval);
}

void StopBudget(lua_State* L) { lua_sethook(L, nullptr, 0, 0); }

// As the script target's sandbox: nothing that reaches outside the process
// or runs unbounded work in one instruction.
const char kSandbox[] =
    "os, io, debug, package, module, require, dofile, loadfile, newproxy = nil\n"
    "print = function() end\n"
    "string.rep, string.find, string.match, string.gmatch, string.gsub = nil\n";

// Class scripts of their own, so that the target needs no data folder.
const char kNodeClass[] = "xov = xov or {} xov.GameNode = xov.GameNode or {}\n";
const char kSpriteClass[] =
    "xov = xov or {} xov.Sprite = xov.Sprite or {}\n"
    "function xov.Sprite.animate(self, steps)\n"
    "  for i, step in ipairs(steps) do self:addSequentialAnimation(i, step) end\n"
    "end\n";

std::string g_strScriptFolder;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void Publish(lua_State* L, ZQ2::GameNode* node, const char* name) {
    node->PushLuaObject(L);
    lua_setglobal(L, name);
}

void Play(lua_State* L, ZQ2::AnimTree* tree, int deltaMs) {
    StartBudget(L);
    tree->VisitAnimTree(deltaMs);
    tree->PurgeAnimTree();
    StopBudget(L);
    Check(lua_gettop(L) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::MessageDialog::SetPresenter(
        [](const std::string&, const std::string&, const std::vector<std::string>&) { return 0; });
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "delvor-fuzz-sprite-scripts";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "GameNode.lua") << kNodeClass;
    std::ofstream(folder / "Sprite.lua") << kSpriteClass;
    g_strScriptFolder = folder.string() + "/";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ZQ2;
    Lua::CreateInstance();
    Lua* lua = Lua::g_Instance;
    Check(lua->Initialize());
    lua->SetScriptFolder(g_strScriptFolder);
    lua_State* L = lua->GetState();
    AnimTree::CreateInstance();
    AnimTree::m_AutoDeleteModifiers = true;
    LuaAnimationChain::Reset();

    SmartPtr<GameTree> root(new GameTree());
    auto* first = static_cast<Sprite*>(GameTree::LinkNodeUnder(root, new Sprite(10.0f, 20.0f, 100.0f, 50.0f)));
    SmartPtr<Image> image(new Image(new ImageDataOpenGL(64, 16, 64, 16, true), 4, 4));
    auto* second = static_cast<Sprite*>(GameTree::LinkNodeUnder(first, new Sprite(0.0f, 0.0f, image.Get())));
    GameNode* plain = GameTree::LinkNodeUnder(root, new GameNode("plain"));
    Publish(L, first, "s");
    Publish(L, second, "t");
    Publish(L, plain, "n");
    Check(lua->LoadFromBuffer(kSandbox, sizeof kSandbox - 1, "=sandbox"));
    Check(lua_gettop(L) == 0);

    lua->SetMemoryLimit(lua->GetMemoryInUse() + kMemoryHeadroom);
    StartBudget(L);
    lua->LoadFromBuffer(reinterpret_cast<const char*>(data), size, "=fuzz");
    StopBudget(L);
    Check(lua_gettop(L) == 0);

    // Play what was built; take the child sprite away halfway.
    AnimTree* tree = AnimTree::g_Instance;
    for (int deltaMs : {0, 16, 100, 1000}) {
        Play(L, tree, deltaMs);
    }
    GameTree::UnlinkNode(second);
    second->Release();
    for (int deltaMs : {16, 250, 100000, -5, 2000000000}) {
        Play(L, tree, deltaMs);
    }

    // Scripts may go on building after the chain was played out.
    StartBudget(L);
    lua->Call("main", 1, "two");
    StopBudget(L);
    Check(lua_gettop(L) == 0);
    Play(L, tree, 16);

    lua->SetMemoryLimit(0);
    root = nullptr;
    AnimTree::ReleaseInstance();
    LuaAnimationChain::Reset();
    Lua::ReleaseInstance();
    return 0;
}
