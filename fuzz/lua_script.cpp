// Runs arbitrary bytes as a script chunk through the script loader. Whatever
// the chunk does (fail to compile, raise, loop, eat memory, load precompiled
// code), the loader must come back with the state clean: the stack where it
// was, the memory collectable, calls and values still usable.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/script/Lua.h"

namespace {

// Instructions a chunk may run, checked every kHookInterval instructions.
constexpr long kInstructionBudget = 200000;
constexpr int kHookInterval = 1000;
// Memory the chunk may take on top of the opened libraries.
constexpr size_t kMemoryHeadroom = 2 * 1024 * 1024;

long g_nInstructionsLeft = 0;

// Once the budget is spent every further instruction raises, so a script
// that catches the error with pcall cannot keep running.
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

// Library functions that reach outside the process, that run unbounded work
// in one instruction (where the hook cannot stop them), that recurse without
// limit in C (pattern matching), or whose finalisers run where hooks are off.
const char kSandbox[] =
    "os, io, debug, package, module, require, dofile, loadfile, newproxy = nil\n"
    "print = function() end\n"
    "string.rep, string.find, string.match, string.gmatch, string.gsub = nil\n";

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZQ2::Lua* lua = new ZQ2::Lua();
    lua->AddRef();
    Check(lua->Initialize());
    lua_State* L = lua->GetState();
    Check(lua->LoadFromBuffer(kSandbox, sizeof kSandbox - 1, "=sandbox"));
    Check(lua_gettop(L) == 0);

    lua->SetMemoryLimit(lua->GetMemoryInUse() + kMemoryHeadroom);
    StartBudget(L);
    lua->LoadFromBuffer(reinterpret_cast<const char*>(data), size, "=fuzz");
    Check(lua_gettop(L) == 0);

    // The collector runs outside any protected call: no cap while it does.
    lua_sethook(L, nullptr, 0, 0);
    lua->SetMemoryLimit(0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua->SetMemoryLimit(lua->GetMemoryInUse() + kMemoryHeadroom);

    // Whatever the chunk left behind (metatables on the globals, a function
    // called main), calls and values keep the stack where it was.
    StartBudget(L);
    lua->Call("main", 1, "two");
    Check(lua_gettop(L) == 0);
    (*lua)["fuzz.probe.value"] = 5;
    static_cast<void>(static_cast<int>((*lua)["fuzz.probe.value"]));
    static_cast<void>(static_cast<bool>((*lua)["main"]));
    Check(lua_gettop(L) == 0);

    // A plain chunk that touches no global still runs.
    lua_sethook(L, nullptr, 0, 0);
    lua->SetMemoryLimit(0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    const char probe[] = "local a = 1 + 2 return a";
    Check(lua->LoadFromBuffer(probe, sizeof probe - 1, "=probe"));
    Check(lua_gettop(L) == 0);

    lua->Release();
    return 0;
}
