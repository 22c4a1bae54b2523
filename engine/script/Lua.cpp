#include "engine/script/Lua.h"

#include <lua.hpp>

#include <cstdio>
#include <cstdlib>

#include "engine/core/MemoryBuffer_t.h"
#include "engine/core/Platform.h"
#include "engine/io/FileArchive.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const Lua::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Lua::rtti("Lua", Lua::rttis);

namespace {

const char* const kBinaryRefused = "precompiled chunks are not accepted";
const char* const kClassContext = "setupMetatableForClass";

// Restores the stack top on every way out of a scope.
class StackGuard {
public:
    explicit StackGuard(lua_State* L) : m_pState(L), m_nTop(lua_gettop(L)) {}
    ~StackGuard() { lua_settop(m_pState, m_nTop); }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    lua_State* m_pState;
    int m_nTop;
};

int AbsoluteIndex(lua_State* L, int index) {
    return index > 0 || index <= LUA_REGISTRYINDEX ? index : lua_gettop(L) + index + 1;
}

// The value at index as message text. Numbers are converted on a copy, so
// the slot keeps its type.
std::string DescribeValue(lua_State* L, int index) {
    if (!L || lua_gettop(L) == 0)
        return "(no error message)";
    const int type = lua_type(L, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return std::string("(error object is a ") + lua_typename(L, type) + " value)";
    if (!lua_checkstack(L, 1))
        return "(error message out of reach)";
    lua_pushvalue(L, index);
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    std::string out(text ? text : "", text ? length : 0);
    lua_pop(L, 1);
    return out;
}

// "@script/a.lua" names the file script/a.lua in Lua's messages.
std::string FileChunkName(const std::string& path) { return "@" + path; }

bool ReadPlainFile(const std::string& path, std::string& out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    out.clear();
    char block[4096];
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(block, 1, sizeof block, file);
        out.append(block, got);
        if (out.size() > FileArchive::MAX_FILE_SIZE) {
            ok = false;
            break;
        }
        if (got < sizeof block) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return ok;
}

bool ReadArchiveFile(const std::string& path, std::string& out) {
    MemoryBuffer_t<unsigned char> buffer;
    if (!FileArchive::LoadFile(path, &buffer))
        return false;
    out.assign(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetSize()));
    return true;
}

// Plain files while the data are plain files, else the data archive.
bool ReadScriptFile(const std::string& path, std::string& out) {
    if (FileArchive::GetArchiveType() == ARCHIVE_FILE)
        return ReadPlainFile(path, out);
    return ReadArchiveFile(path, out);
}

// As Lua's own file loader does, a first line starting with "#" (a shell
// line) is dropped; its line end stays so that line numbers hold.
void SkipShellLine(const std::string& text, const char*& data, size_t& size) {
    data = text.data();
    size = text.size();
    if (text.empty() || text[0] != '#')
        return;
    const size_t end = text.find('\n');
    const size_t skip = end == std::string::npos ? text.size() : end;
    data += skip;
    size -= skip;
}

// Compiles text; pushes the function, or the error message, and returns
// Lua's status. For use inside a running Lua call.
int LoadText(lua_State* L, const char* data, size_t size, const char* chunkName) {
    if (Lua::IsBinaryChunk(data, size)) {
        lua_pushfstring(L, "%s: %s", chunkName[0] == '@' ? chunkName + 1 : chunkName, kBinaryRefused);
        return LUA_ERRSYNTAX;
    }
    return luaL_loadbuffer(L, data, size, chunkName);
}

int LoadScriptFile(lua_State* L, const char* path) {
    std::string text;
    if (!ReadScriptFile(path, text)) {
        lua_pushfstring(L, "cannot open %s", path);
        return LUA_ERRFILE;
    }
    const char* data = nullptr;
    size_t size = 0;
    SkipShellLine(text, data, size);
    return LoadText(L, data, size, FileChunkName(path).c_str());
}

// The results of the load functions: the function, or nil and the message.
int LoadResult(lua_State* L, int status) {
    if (status == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

// Text-only stand-ins for the base library's loaders.

int TextOnlyLoadString(lua_State* L) {
    size_t size = 0;
    const char* text = luaL_checklstring(L, 1, &size);
    const char* chunkName = luaL_optstring(L, 2, text);
    return LoadResult(L, LoadText(L, text, size, chunkName));
}

struct ReaderState {
    bool m_bFirst = true;
};

const char* TextOnlyReader(lua_State* L, void* state, size_t* size) {
    luaL_checkstack(L, 2, "too many nested functions");
    lua_pushvalue(L, 1);
    lua_call(L, 0, 1);
    if (lua_isnil(L, -1)) {
        *size = 0;
        return nullptr;
    }
    if (!lua_isstring(L, -1))
        luaL_error(L, "reader function must return a string");
    lua_replace(L, 3);  // keeps the piece alive while the parser reads it
    const char* piece = lua_tolstring(L, 3, size);
    ReaderState* reader = static_cast<ReaderState*>(state);
    if (reader->m_bFirst && *size > 0) {
        reader->m_bFirst = false;
        if (Lua::IsBinaryChunk(piece, *size))
            luaL_error(L, "%s", kBinaryRefused);
    }
    return piece;
}

int TextOnlyLoad(lua_State* L) {
    const char* chunkName = luaL_optstring(L, 2, "=(load)");
    luaL_checktype(L, 1, LUA_TFUNCTION);
    lua_settop(L, 3);  // slot 3 holds the piece being read
    ReaderState reader;
    return LoadResult(L, lua_load(L, TextOnlyReader, &reader, chunkName));
}

int TextOnlyLoadFile(lua_State* L) {
    const char* path = luaL_checkstring(L, 1);
    return LoadResult(L, LoadScriptFile(L, path));
}

int TextOnlyDoFile(lua_State* L) {
    const char* path = luaL_checkstring(L, 1);
    lua_settop(L, 1);
    if (LoadScriptFile(L, path) != 0)
        lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - 1;
}

// An error outside every protected call ends the process (Lua's rule); the
// message at least reaches the debug output first.
int Panic(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    Platform::OutputDebugString(std::string("Lua: unprotected error: ") + (text ? text : "(no message)") + "\n");
    return 0;
}

int Alert(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    if (text)
        Platform::OutputDebugString(std::string("Lua: ") + text + "\n");
    return 0;
}

int OpenLibraries(lua_State* L) {
    lua_pushcfunction(L, Alert);
    lua_setfield(L, LUA_GLOBALSINDEX, "_ALERT");
    luaL_openlibs(L);
    lua_register(L, "loadstring", TextOnlyLoadString);
    lua_register(L, "load", TextOnlyLoad);
    lua_register(L, "loadfile", TextOnlyLoadFile);
    lua_register(L, "dofile", TextOnlyDoFile);
    return 0;
}

// table[key] with the table's metamethods; run under lua_pcall.
int GetField(lua_State* L) {
    lua_gettable(L, 1);
    return 1;
}

// Copies every field of the table at from into the table at to (absolute
// indexes), raw on both sides.
void CopyFields(lua_State* L, int from, int to) {
    lua_pushnil(L);
    while (lua_next(L, from) != 0) {
        lua_pushvalue(L, -2);
        lua_insert(L, -2);
        lua_rawset(L, to);
    }
}

struct ClassParts {
    const char* m_szMetatable;
    const char* m_szClassTable;
    const luaL_Reg* m_pMethods;
};

// The steps after the class script: class table fields, __index and methods
// into the metatable, and the metatable onto the class table.
int FinishClass(lua_State* L) {
    const ClassParts* parts = static_cast<const ClassParts*>(lua_touserdata(L, 1));
    luaL_getmetatable(L, parts->m_szMetatable);
    const int metatable = lua_gettop(L);
    int classTable = 0;
    if (parts->m_szClassTable) {
        lua_getfield(L, LUA_GLOBALSINDEX, "xov");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, parts->m_szClassTable);
            if (lua_istable(L, -1))
                classTable = lua_gettop(L);
        }
    }
    if (classTable)
        CopyFields(L, classTable, metatable);
    lua_pushvalue(L, metatable);
    lua_setfield(L, metatable, "__index");
    if (parts->m_pMethods) {
        lua_pushvalue(L, metatable);
        luaL_register(L, nullptr, parts->m_pMethods);
        lua_pop(L, 1);
    }
    if (classTable) {
        lua_pushvalue(L, metatable);
        lua_setmetatable(L, classTable);
    }
    return 0;
}

// Converts the value on top of the stack into a call result.
LuaReturn ConvertResult(lua_State* L) {
    switch (lua_type(L, -1)) {
    case LUA_TNUMBER:
        return LuaReturn(static_cast<double>(lua_tonumber(L, -1)));
    case LUA_TSTRING:
        return LuaReturn(lua_tostring(L, -1));
    case LUA_TTABLE:
        if (GameNode* node = Lua::ToGameNode(L, -1))
            return LuaReturn(node);
        return LuaReturn();
    case LUA_TBOOLEAN:
        return LuaReturn(lua_toboolean(L, -1) != 0);
    default:
        return LuaReturn();
    }
}

}  // namespace

Lua::Lua() = default;

Lua::~Lua() {
    if (m_pState)
        lua_close(m_pState);
}

void* Lua::Allocate(void* self, void* block, size_t oldSize, size_t newSize) {
    Lua* lua = static_cast<Lua*>(self);
    if (newSize == 0) {
        std::free(block);
        lua->m_nMemoryInUse -= oldSize;
        return nullptr;
    }
    // Only growth is refused: Lua counts on a shrinking block never failing.
    if (lua->m_nMemoryLimit != 0 && newSize > oldSize &&
        lua->m_nMemoryInUse - oldSize + newSize > lua->m_nMemoryLimit)
        return nullptr;
    void* grown = std::realloc(block, newSize);
    if (!grown)
        return nullptr;
    lua->m_nMemoryInUse = lua->m_nMemoryInUse - oldSize + newSize;
    return grown;
}

bool Lua::Initialize() {
    if (m_pState)
        return true;
    m_pState = lua_newstate(&Lua::Allocate, this);
    if (!m_pState) {
        Fail("cannot create the Lua state");
        return false;
    }
    lua_atpanic(m_pState, Panic);
    if (lua_cpcall(m_pState, OpenLibraries, nullptr) != 0) {
        Fail("cannot open the Lua libraries: " + DescribeValue(m_pState, -1));
        lua_close(m_pState);
        m_pState = nullptr;
        return false;
    }
    return true;
}

bool Lua::IsBinaryChunk(const char* data, size_t size) {
    return data && size > 0 && data[0] == LUA_SIGNATURE[0];
}

void Lua::Fail(const std::string& message) {
    m_strLastError = message;
    Platform::OutputDebugString("Lua: " + message + "\n");
}

bool Lua::ParseScriptFile(const std::string& path) {
    if (FileArchive::GetArchiveType() == ARCHIVE_FILE)
        return LoadFromFile(path.c_str());
    return LoadFromArchive(path.c_str());
}

bool Lua::LoadFromFile(const char* path) {
    const std::string name = path ? path : "";
    std::string text;
    if (!ReadPlainFile(name, text)) {
        Fail("cannot open " + name);
        return false;
    }
    return LoadAndRun(text, FileChunkName(name));
}

bool Lua::LoadFromArchive(const char* path) {
    const std::string name = path ? path : "";
    std::string text;
    if (!ReadArchiveFile(name, text)) {
        Fail("cannot read " + name + " from the data");
        return false;
    }
    return LoadAndRun(text, FileChunkName(name));
}

bool Lua::LoadAndRun(const std::string& text, const std::string& chunkName) {
    const char* data = nullptr;
    size_t size = 0;
    SkipShellLine(text, data, size);
    return LoadFromBuffer(data, size, chunkName.c_str());
}

bool Lua::LoadFromBuffer(const char* data, size_t size, const char* chunkName) {
    const char* name = chunkName ? chunkName : "=(buffer)";
    if (!m_pState) {
        Fail("no Lua state to run " + std::string(name));
        return false;
    }
    if (IsBinaryChunk(data, size)) {
        Fail(std::string(name[0] == '@' ? name + 1 : name) + ": " + kBinaryRefused);
        return false;
    }
    lua_State* L = m_pState;
    StackGuard guard(L);
    int status = luaL_loadbuffer(L, data ? data : "", data ? size : 0, name);
    if (status == 0)
        status = lua_pcall(L, 0, 0, 0);
    if (status != 0) {
        Fail(DescribeValue(L, -1));
        return false;
    }
    return true;
}

LuaReturn Lua::Call(const std::string& path) { return CallWith(path, nullptr, 0); }

LuaReturn Lua::Call(const std::string& path, const LuaParameter& p1) {
    const LuaParameter* params[] = {&p1};
    return CallWith(path, params, 1);
}

LuaReturn Lua::Call(const std::string& path, const LuaParameter& p1, const LuaParameter& p2) {
    const LuaParameter* params[] = {&p1, &p2};
    return CallWith(path, params, 2);
}

namespace {

struct CallJob {
    const std::string* m_pPath;
    const LuaParameter* const* m_pParams;
    int m_nCount;
    LuaReturn m_Result;
};

// The whole call runs protected: looking the path up, pushing the
// arguments and the call itself may all raise.
int RunCall(lua_State* L) {
    CallJob* job = static_cast<CallJob*>(lua_touserdata(L, 1));
    Lua::PushPathValue(L, *job->m_pPath);
    luaL_checkstack(L, job->m_nCount, "too many arguments");
    for (int i = 0; i < job->m_nCount; ++i)
        job->m_pParams[i]->Push(L);
    lua_call(L, job->m_nCount, 1);
    job->m_Result = ConvertResult(L);
    return 0;
}

}  // namespace

LuaReturn Lua::CallWith(const std::string& path, const LuaParameter* const* params, int count) {
    if (!m_pState)
        return LuaReturn(false);
    lua_State* L = m_pState;
    StackGuard guard(L);
    CallJob job{&path, params, count, LuaReturn()};
    if (lua_cpcall(L, RunCall, &job) != 0) {
        m_strLastError = DescribeValue(L, -1);
        return LuaReturn(false);
    }
    return job.m_Result;
}

LuaValue Lua::GetValue(const std::string& path) { return LuaValue(m_pState, path); }

ZQVector<std::string> Lua::Split(const std::string& path) {
    ZQVector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t stop = path.find('.', start);
        if (stop == std::string::npos) {
            pieces.push_back(path.substr(start));
            return pieces;
        }
        pieces.push_back(path.substr(start, stop - start));
        start = stop + 1;
    }
}

int Lua::GetFunction(const std::string& path) { return m_pState ? PushPath(m_pState, path) : 0; }

int Lua::PushPath(lua_State* L, const std::string& path) {
    const ZQVector<std::string> pieces = Split(path);
    // One slot per piece, the global table, and three for each lookup call.
    if (!L || !lua_checkstack(L, pieces.size() + 4))
        return 0;
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    int pushed = 1;
    for (const std::string& piece : pieces) {
        ++pushed;
        if (!lua_istable(L, -1)) {
            lua_pushnil(L);
            break;
        }
        // A metamethod of the table may raise an error: look up under a
        // protected call, and count a failure as nil.
        lua_pushcfunction(L, GetField);
        lua_pushvalue(L, -2);
        lua_pushlstring(L, piece.data(), piece.size());
        if (lua_pcall(L, 2, 1, 0) != 0) {
            lua_pop(L, 1);
            lua_pushnil(L);
            break;
        }
    }
    return pushed;
}

void Lua::PushPathValue(lua_State* L, const std::string& path) {
    const ZQVector<std::string> pieces = Split(path);
    luaL_checkstack(L, 2, "path lookup");
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    for (const std::string& piece : pieces) {
        if (!lua_istable(L, -1)) {
            lua_pop(L, 1);
            lua_pushnil(L);
            return;
        }
        lua_pushlstring(L, piece.data(), piece.size());
        lua_gettable(L, -2);
        lua_remove(L, -2);
    }
}

int Lua::SetupMetatableForClass(const char* metatableName, const char* parentName, const char* scriptPath,
                                const char* classTableName, const luaL_Reg* methods) {
    if (!m_pState || !metatableName)
        return 1;
    if (m_FailedClasses.count(metatableName))
        return 1;
    lua_State* L = m_pState;
    StackGuard guard(L);
    luaL_getmetatable(L, metatableName);
    if (!lua_isnil(L, -1))
        return 0;
    lua_pop(L, 1);

    luaL_newmetatable(L, metatableName);
    const int metatable = lua_gettop(L);
    if (parentName) {
        luaL_getmetatable(L, parentName);
        if (lua_istable(L, -1))
            CopyFields(L, lua_gettop(L), metatable);
        lua_pop(L, 1);
    }

    // The class stays registered when its script fails, so the script runs
    // once; the failure is remembered and answered from then on.
    if (scriptPath) {
        const int status = LoadScriptFile(L, scriptPath);
        if (status != 0 || lua_pcall(L, 0, 0, 0) != 0) {
            m_strLastError = DescribeValue(L, -1);
            ReportError(kClassContext, L);
            m_FailedClasses.insert(metatableName);
            return 1;
        }
    }

    ClassParts parts{metatableName, classTableName, methods};
    if (lua_cpcall(L, FinishClass, &parts) != 0) {
        m_strLastError = DescribeValue(L, -1);
        ReportError(kClassContext, L);
        m_FailedClasses.insert(metatableName);
        return 1;
    }
    return 0;
}

void Lua::ReportError(const char* context, lua_State* L) {
    Platform::MessageBox(DescribeValue(L, -1), context ? context : "Script Error", MESSAGESTYLE_OK);
}

GameNode* Lua::ToGameNode(lua_State* L, int index) {
    if (!L || lua_type(L, index) != LUA_TTABLE || !lua_checkstack(L, 1))
        return nullptr;
    const int table = AbsoluteIndex(L, index);
    lua_pushstring(L, OBJECT_FIELD);
    lua_rawget(L, table);
    const void* address = lua_type(L, -1) == LUA_TLIGHTUSERDATA ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    // Only addresses of live nodes are trusted: a script may keep the table
    // (or a copy of its field) of a node that is gone.
    return GameNode::FindLiveNode(address);
}

bool Lua::IsGameNode(lua_State* L, int index) { return ToGameNode(L, index) != nullptr; }

void Lua::Traceback(const char* message) {
    lua_State* L = m_pState;
    if (!L || !lua_checkstack(L, 4))
        return;
    StackGuard guard(L);
    lua_pushliteral(L, "debug");
    lua_rawget(L, LUA_GLOBALSINDEX);
    if (!lua_istable(L, -1))
        return;
    lua_pushliteral(L, "traceback");
    lua_rawget(L, -2);
    if (!lua_isfunction(L, -1))
        return;
    lua_pushstring(L, message ? message : "");
    lua_pushinteger(L, 2);
    if (lua_pcall(L, 2, 1, 0) != 0 || !lua_isstring(L, -1))
        return;
    std::printf("%s\n", lua_tostring(L, -1));
}

void Lua::StackDump() {
    lua_State* L = m_pState;
    if (!L)
        return;
    const int top = lua_gettop(L);
    for (int i = 1; i <= top; ++i) {
        std::printf("%d:", i);
        switch (lua_type(L, i)) {
        case LUA_TSTRING:
            std::printf("'%s'\n", lua_tostring(L, i));
            break;
        case LUA_TBOOLEAN:
            std::printf(lua_toboolean(L, i) ? "true\n" : "false\n");
            break;
        case LUA_TNUMBER:
            std::printf("%g\n", static_cast<double>(lua_tonumber(L, i)));
            break;
        case LUA_TTABLE:
            std::fflush(stdout);
            if (lua_checkstack(L, 2)) {
                StackGuard guard(L);
                lua_pushliteral(L, "print");
                lua_rawget(L, LUA_GLOBALSINDEX);
                lua_pushvalue(L, i);
                lua_pcall(L, 1, 0, 0);
            }
            break;
        default:
            std::printf("%s\n", luaL_typename(L, i));
            break;
        }
        std::printf("  ");
    }
    std::printf("\n");
    std::fflush(stdout);
}

UTF8String Lua::ErrorForIDE(lua_State* L) { return UTF8String(DescribeValue(L, -1)); }

}  // namespace ZQ2
