#pragma once
// The program's one Lua 5.1 state: runs script files from the data folder or
// the archive, builds the class metatables through which engine objects
// appear in scripts, calls script functions by dotted path and reports script
// errors. Every operation leaves the Lua stack as it found it.
#include <cstddef>
#include <set>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/UTF8String.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/script/LuaParameter.h"
#include "engine/script/LuaReturn.h"
#include "engine/script/LuaValue.h"

struct lua_State;
struct luaL_Reg;

namespace ZQ2 {

class GameNode;

class Lua : public BaseObject, public iInstance<Lua> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Name of the field of an object's Lua table that holds the object's
    // address as light user data.
    static constexpr const char* OBJECT_FIELD = "__c++";

    Lua();
    ~Lua() override;
    Lua(const Lua&) = delete;
    Lua& operator=(const Lua&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }

    // Opens the state with the standard libraries; false when no state could
    // be made. Scripts may not load precompiled chunks (see IsBinaryChunk).
    bool Initialize();
    // Null until Initialize succeeds.
    lua_State* GetState() const { return m_pState; }

    // Where class scripts are looked for; "script/" unless changed.
    const std::string& GetScriptFolder() const { return m_strScriptFolder; }
    void SetScriptFolder(const std::string& folder) { m_strScriptFolder = folder; }

    // Caps the memory the state may hold (0: no cap). An allocation over the
    // cap fails as Lua's "not enough memory" error inside the running call.
    // Loading, calls and values do their allocating work inside protected
    // calls, so they stay safe under a cap.
    void SetMemoryLimit(size_t bytes) { m_nMemoryLimit = bytes; }
    size_t GetMemoryInUse() const { return m_nMemoryInUse; }

    // Running scripts. Each compiles the chunk and runs it in a protected
    // call; false when the file cannot be read, does not compile or raises an
    // error. The reason goes to the debug output and to GetLastError().
    // Plain files when the archive type is 1, else through the file archive.
    bool ParseScriptFile(const std::string& path);
    bool LoadFromFile(const char* path);
    bool LoadFromArchive(const char* path);
    // Runs text already in memory; chunkName names it in error messages.
    bool LoadFromBuffer(const char* data, size_t size, const char* chunkName);
    // The message of the last failed load, run or call.
    const std::string& GetLastError() const { return m_strLastError; }

    // Calls the function at a dotted path ("game.events.onStart") with up to
    // two arguments and converts its one result. A failing call, or a path
    // that names no function, gives LuaReturn(false); nothing is shown.
    LuaReturn Call(const std::string& path);
    LuaReturn Call(const std::string& path, const LuaParameter& p1);
    LuaReturn Call(const std::string& path, const LuaParameter& p1, const LuaParameter& p2);

    LuaValue GetValue(const std::string& path);
    LuaValue operator[](const std::string& path) { return GetValue(path); }

    // Builds the metatable registered under metatableName (e.g. "xov.Sprite")
    // once: the fields of the parent metatable parentName (e.g.
    // "xov.GameNode"), then the class script at scriptPath (a full path, the
    // script folder already in front), then the fields of the class table
    // xov[classTableName] that the script made, then __index (the metatable
    // itself) and the methods. The class table gets the metatable too.
    // parentName, scriptPath, classTableName and methods may be null.
    // 0 on success or when the class exists already; 1 when the class script
    // failed, which is shown in a message box once; later calls for that
    // class return 1 without running the script again.
    int SetupMetatableForClass(const char* metatableName, const char* parentName, const char* scriptPath,
                               const char* classTableName, const luaL_Reg* methods);

    // A message box headed context ("Script Error" when null) showing the
    // value on top of L's stack.
    static void ReportError(const char* context, lua_State* L);

    // The engine node of the object table at index: a table whose "__c++"
    // field holds the address of a live GameNode (or subclass). Null, or
    // false, for anything else, including the address of a node that has
    // died. Raw field access: no metamethod runs, nothing is raised.
    static GameNode* ToGameNode(lua_State* L, int index);
    static bool IsGameNode(lua_State* L, int index);

    // The path cut at every "."; empty pieces are kept ("a..b": a, "", b).
    static ZQVector<std::string> Split(const std::string& path);

    // Pushes the global table, then for each piece of the path the field of
    // that name of the value on top; returns how many values it pushed. The
    // value on top is then the path's value, or nil when a step is not a
    // table or looking a field up raised an error.
    int GetFunction(const std::string& path);
    static int PushPath(lua_State* L, const std::string& path);
    // Pushes only the path's value (nil when a step is not a table), in two
    // stack slots whatever the path's length. Metamethods of the tables run
    // and may raise: for use inside a protected call.
    static void PushPathValue(lua_State* L, const std::string& path);

    // Prints debug.traceback(message, 2) as one line to standard output.
    void Traceback(const char* message);
    // Prints every stack slot to standard output.
    void StackDump();
    // The value on top of the stack as text.
    static UTF8String ErrorForIDE(lua_State* L);

    // True for the start of a precompiled chunk. Precompiled chunks are not
    // checked by Lua 5.1 and can crash the process, so every loader refuses
    // them, including the script functions load, loadstring, loadfile and dofile.
    static bool IsBinaryChunk(const char* data, size_t size);

private:
    static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize);
    LuaReturn CallWith(const std::string& path, const LuaParameter* const* params, int count);
    bool LoadAndRun(const std::string& text, const std::string& chunkName);
    void Fail(const std::string& message);

    lua_State* m_pState = nullptr;
    std::string m_strScriptFolder = "script/";
    std::string m_strLastError;
    size_t m_nMemoryLimit = 0;
    size_t m_nMemoryInUse = 0;
    std::set<std::string> m_FailedClasses;
};

}  // namespace ZQ2
