#include "engine/sprite/GameNode.h"

// The framework layer reaches Lua's headers by their Debian folder.
#include <lua.hpp>

#include <unordered_set>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/modifier/Modifier.h"
#include "engine/script/Lua.h"
#include "engine/sprite/GameTree.h"

namespace ZQ2 {

const RTTI* const GameNode::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI GameNode::rtti("GameNode", GameNode::rttis);

ObjectInitializer GameNode::m_ObjectInitializer("GameNode", &GameNode::OnData);

namespace {

const char* const kNodeMetatable = "xov.GameNode";
const char* const kNodeClassTable = "GameNode";
const char* const kNodeScript = "GameNode.lua";

// Addresses (as BaseObject*) of the nodes alive now. Scripts hand back the
// addresses they were given; only these may be used.
std::unordered_set<const void*>& LiveNodes() {
    static std::unordered_set<const void*> nodes;
    return nodes;
}

const void* AddressOf(const GameNode* node) { return static_cast<const BaseObject*>(node); }

Region_t<float> Grow(const Region_t<float>& a, const Region_t<float>& b) {
    return Region_t<float>(b.minX < a.minX ? b.minX : a.minX, b.minY < a.minY ? b.minY : a.minY,
                           b.maxX > a.maxX ? b.maxX : a.maxX, b.maxY > a.maxY ? b.maxY : a.maxY);
}

Point_t<float> Transform(const Matrix3x3& m, float x, float y) {
    const float in[3] = {x, y, 1.0f};
    float out[3];
    m.Multiply(in, out);
    return Point_t<float>(out[0], out[1]);
}

// An object the factory made that is not of the expected kind is dropped.
void Discard(BaseObject* object, const char* vector, const char* expected) {
    Platform::OutputDebugStringFormat("GameNode: skipped an entry of \"%s\" that is not a %s\n", vector, expected);
    const SmartPtr<BaseObject> drop(object);
}

lua_State* CurrentLuaState() { return Lua::g_Instance ? Lua::g_Instance->GetState() : nullptr; }

}  // namespace

GameNode::GameNode(const std::string& name) : m_strName(name) {
    LiveNodes().insert(AddressOf(this));
    InitializeLua();
}

GameNode::GameNode(AbstractProperty* data) {
    LiveNodes().insert(AddressOf(this));
    InitializeLua();
    if (!data)
        return;
    PropertyNode* node = data->ToNode();
    SetProperties(node);
    PropertyVector* children = node->GetVector("children");
    for (int i = 0; i < children->GetCount(); ++i) {
        BaseObject* object = ObjectFactory::Instance()->CreateObject(children->GetProperty(i));
        GameNode* child = DynamicCast<GameNode>(object);
        if (child)
            GameTree::LinkNodeUnder(this, child);
        else if (object)
            Discard(object, "children", "GameNode");
    }
    PropertyVector* modifiers = node->GetVector("modifiers");
    for (int i = 0; i < modifiers->GetCount(); ++i) {
        BaseObject* object = ObjectFactory::Instance()->CreateObject(modifiers->GetProperty(i));
        Modifier* modifier = DynamicCast<Modifier>(object);
        if (modifier)
            AddModifier(modifier, true);
        else if (object)
            Discard(object, "modifiers", "Modifier");
    }
}

GameNode::GameNode(const GameNode& other)
    : BaseObject(other),
      m_fX(other.m_fX),
      m_fY(other.m_fY),
      m_nTag(other.m_nTag),
      m_bSuspended(other.m_bSuspended),
      m_bVisible(other.m_bVisible),
      m_strName(other.m_strName) {
    LiveNodes().insert(AddressOf(this));
    InitializeLua();
}

GameNode::~GameNode() {
    LiveNodes().erase(AddressOf(this));
    DetachFromParent();
    GameTree::ReleaseChildren(this);
    // A modifier someone else still holds must not keep pointing at this node.
    for (Modifier* m : m_Modifiers) {
        if (m->GetClient() == this)
            m->SetClient(nullptr);
    }
    RemoveAllModifiers();
    RemoveAllAnimTreeModifiers();
    ReleaseLuaObject();
}

BaseObject* GameNode::OnData(AbstractProperty* data) { return new GameNode(data); }

std::string GameNode::ToString() const {
    if (m_strName.empty())
        return BaseObject::ToString();
    return BaseObject::ToString() + "\"" + m_strName + "\"; ";
}

std::string GameNode::ToStringShort() const {
    if (m_strName.empty())
        return BaseObject::ToStringShort();
    return BaseObject::ToStringShort() + " \"" + m_strName + "\"";
}

void GameNode::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty("name"))
        m_strName = data->GetPropString("name");
    if (data->HasProperty("tag"))
        SetTag(data->GetValue("tag")->ToInt());
    if (data->HasProperty("x"))
        SetX(data->GetValue("x")->ToFloat());
    if (data->HasProperty("y"))
        SetY(data->GetValue("y")->ToFloat());
    if (data->HasProperty("suspended"))
        m_bSuspended = data->GetValue("suspended")->ToBoolean();
    if (data->HasProperty("visible"))
        SetVisible(data->GetValue("visible")->ToBoolean());
}

void GameNode::DetachFromParent() {
    GameNode* parent = m_pParent;
    if (parent) {
        if (parent->m_pFirstChild == this) {
            parent->m_pFirstChild = m_pNextSibling;
        } else {
            GameNode* prev = parent->m_pFirstChild;
            while (prev && prev->m_pNextSibling != this)
                prev = prev->m_pNextSibling;
            if (prev)
                prev->m_pNextSibling = m_pNextSibling;
        }
    }
    m_pParent = nullptr;
    m_pNextSibling = nullptr;
}

// ---- geometry

void GameNode::SetLocation(float x, float y) {
    SetX(x);
    SetY(y);
}

Point_t<float> GameNode::ToLocal(float x, float y) {
    Matrix3x3 m;
    BuildScreenToLocalTransformation(m);
    return Transform(m, x, y);
}

void GameNode::BuildToLocalTransformation(Matrix3x3& m) {
    Matrix3x3 step;
    Matrix3x3::MakeTranslationMatrix(step, -GetX(), -GetY());
    m *= step;
}

Point_t<float> GameNode::ToGlobal(float x, float y) {
    Matrix3x3 m;
    BuildLocalToScreenTransformation(m);
    return Transform(m, x, y);
}

void GameNode::BuildToGlobalTransformation(Matrix3x3& m) {
    Matrix3x3 step;
    Matrix3x3::MakeTranslationMatrix(step, GetX(), GetY());
    m *= step;
}

Region_t<float> GameNode::CalculateBoundingBox(const Matrix3x3&) { return g_EmptyRegionF; }

bool GameNode::IsInside(float, float) { return false; }

void GameNode::HandleCommand(const std::string&, GameNode*) {}

void GameNode::Tick(int) {}

void GameNode::BuildToLocalTransformation(Matrix3x3& m, GameNode* stopAt, bool includeSelf) {
    // The inverse of the to-global chain: this node's step comes first.
    for (GameNode* node = includeSelf ? this : m_pParent; node && node != stopAt; node = node->m_pParent)
        node->BuildToLocalTransformation(m);
}

void GameNode::BuildToGlobalTransformation(Matrix3x3& m, GameNode* stopAt, bool includeSelf) {
    // Steps are multiplied on the right, so the topmost one goes first.
    std::vector<GameNode*> chain;
    for (GameNode* node = includeSelf ? this : m_pParent; node && node != stopAt; node = node->m_pParent)
        chain.push_back(node);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        (*it)->BuildToGlobalTransformation(m);
}

float GameNode::GetScreenX() {
    Matrix3x3 m;
    BuildLocalToScreenTransformation(m);
    return m(0, 2);
}

float GameNode::GetScreenY() {
    Matrix3x3 m;
    BuildLocalToScreenTransformation(m);
    return m(1, 2);
}

float GameNode::GetParentX() { return m_pParent ? m_pParent->GetScreenX() : 0.0f; }

float GameNode::GetParentY() { return m_pParent ? m_pParent->GetScreenY() : 0.0f; }

Region_t<float> GameNode::CalculateBoundingBox(bool withChildren, bool withSelf, const Matrix3x3& m) {
    Region_t<float> box = g_EmptyRegionF;
    if (withSelf)
        box = Grow(box, CalculateBoundingBox(m));
    if (!withChildren || !m_pFirstChild)
        return box;
    Matrix3x3 inner(m);
    BuildToGlobalTransformation(inner);
    for (GameNode* child = m_pFirstChild; child; child = child->m_pNextSibling)
        box = Grow(box, child->CalculateBoundingBox(true, true, inner));
    return box;
}

Region_t<float> GameNode::CalculateBoundingBox(bool withChildren, bool withSelf, GameNode* relativeTo) {
    Matrix3x3 m;
    BuildToGlobalTransformation(m, relativeTo, false);
    return CalculateBoundingBox(withChildren, withSelf, m);
}

GameNode* GameNode::GetChild(const std::string& name, bool recursive) {
    for (GameNode* child = m_pFirstChild; child; child = child->m_pNextSibling) {
        if (child->m_bObsolete)
            continue;
        if (child->m_strName == name)
            return child;
        if (recursive) {
            if (GameNode* found = child->GetChild(name, true))
                return found;
        }
    }
    return nullptr;
}

// ---- own modifiers

void GameNode::TickUpdate(int deltaMs) {
    // A callback may drop the last outside reference to this node.
    const SmartPtr<GameNode> self(GetRefCount() > 0 ? this : nullptr);
    TickHeld(deltaMs);
}

void GameNode::TickHeld(int deltaMs) {
    Tick(deltaMs);
    if (m_Modifiers.empty())
        return;
    // Modifier callbacks may add or remove modifiers of this node. The walk
    // goes over a counted copy of the list, so nothing is destroyed under it;
    // an entry no longer in the list is skipped, one added meanwhile waits
    // for the next frame.
    std::vector<SmartPtr<Modifier>> walk(m_Modifiers.begin(), m_Modifiers.end());
    for (Modifier* m : walk) {
        if (!HasModifier(m))
            continue;
        m->Tick(deltaMs);
        if (!HasModifier(m))
            continue;
        if (m->HasDoneBit()) {
            RetireModifier(m);
            continue;
        }
        if (m->HasOption(Modifier::OPTION_BLOCKING))
            break;
    }
}

void GameNode::RetireModifier(Modifier* m) {
    if (m->HasOption(Modifier::OPTION_OBSOLETE_CLIENT))
        SetObsolete(true);
    if (!m->HasOption(Modifier::OPTION_END_PREVIOUS)) {
        m_Modifiers.remove(m);
        m->Release();
        return;
    }
    // Take the whole front of the list out before any of it is ended: ending
    // runs callbacks, which may change the list again.
    Modifier** last = m_Modifiers.find(m);
    std::vector<Modifier*> front(m_Modifiers.begin(), last + 1);
    m_Modifiers.erase(m_Modifiers.begin(), last + 1);
    for (Modifier* e : front) {
        // A modifier that is done already has run its end; ending it again
        // would call a timed function a second time.
        if (!e->HasDoneBit())
            e->EndModifier();
        e->Release();
    }
}

Modifier* GameNode::AddModifier(Modifier* m, bool atBack) {
    if (!m)
        return nullptr;
    m->SetInAnimTree(false);
    if (HasModifier(m))
        return m;
    if (atBack)
        m_Modifiers.push_back(m);
    else
        m_Modifiers.push_front(m);
    m->SetClient(this);
    m->AddRef();
    return m;
}

void GameNode::RemoveAllModifiers() {
    // Empty the list first: a released modifier's destructor may look at it.
    ZQVector<Modifier*> modifiers(m_Modifiers);
    m_Modifiers.clear();
    for (Modifier* m : modifiers)
        m->Release();
}

// ---- animation-tree modifiers

bool GameNode::AddAnimTreeModifier(Modifier* m) {
    if (!m || !m_AnimTreeIndex.insert(m).second)
        return false;
    m_AnimTreeModifiers.push_back(m);
    return true;
}

void GameNode::RemoveAnimTreeModifier(Modifier* m, bool clearClient) {
    if (!m)
        return;
    if (m_AnimTreeIndex.erase(m) != 0)
        m_AnimTreeModifiers.remove(m);
    if (clearClient)
        m->SetClient(nullptr);
}

void GameNode::RemoveAnimModifiersWhenINIT(Modifier* upTo) {
    Modifier** end = m_AnimTreeModifiers.find(upTo);
    if (end == m_AnimTreeModifiers.end()) {
        const ZQVector<Modifier*> all(m_AnimTreeModifiers);
        for (Modifier* m : all)
            m->SetObsolete(true);
        return;
    }
    const std::vector<Modifier*> front(m_AnimTreeModifiers.begin(), end + 1);
    m_AnimTreeModifiers.erase(m_AnimTreeModifiers.begin(), end + 1);
    for (Modifier* m : front) {
        m_AnimTreeIndex.erase(m);
        m->SetObsolete(true);
    }
}

void GameNode::PauseAnimTreeModifiers(bool paused) {
    for (Modifier* m : m_AnimTreeModifiers)
        m->SetPaused(paused);
}

void GameNode::RemoveAllAnimTreeModifiers() {
    const ZQVector<Modifier*> modifiers(m_AnimTreeModifiers);
    m_AnimTreeModifiers.clear();
    m_AnimTreeIndex.clear();
    for (Modifier* m : modifiers) {
        if (m->GetClient() == this)
            m->SetClient(nullptr);
        m->SetObsolete(true);
    }
}

// ---- Lua face

namespace {

// Raises "too many arguments" for an argument beyond the last one allowed.
void CheckArgumentCount(lua_State* L, int most) {
    if (lua_gettop(L) > most)
        luaL_argerror(L, most + 1, "too many arguments");
}

GameNode* CheckCall(lua_State* L, int most) {
    GameNode* node = GameNode::CheckLuaNode(L, 1);
    CheckArgumentCount(L, most);
    return node;
}

int glue_x(lua_State* L) {
    lua_pushnumber(L, CheckCall(L, 1)->GetX());
    return 1;
}

int glue_y(lua_State* L) {
    lua_pushnumber(L, CheckCall(L, 1)->GetY());
    return 1;
}

int glue_visible(lua_State* L) {
    lua_pushboolean(L, CheckCall(L, 1)->IsVisible());
    return 1;
}

// Setters answer their last argument, as the sprite methods do.
int glue_setVisible(lua_State* L) {
    GameNode* node = CheckCall(L, 2);
    luaL_checkany(L, 2);
    node->SetVisible(lua_toboolean(L, 2) != 0);
    return 1;
}

int glue_parent(lua_State* L) {
    GameNode* node = CheckCall(L, 1);
    if (GameNode* parent = node->GetParent())
        parent->PushLuaObject(L);
    else
        lua_pushnil(L);
    return 1;
}

int glue_parentX(lua_State* L) {
    lua_pushnumber(L, CheckCall(L, 1)->GetParentX());
    return 1;
}

int glue_parentY(lua_State* L) {
    lua_pushnumber(L, CheckCall(L, 1)->GetParentY());
    return 1;
}

int glue_child(lua_State* L) {
    GameNode* node = CheckCall(L, 3);
    const std::string name = luaL_checkstring(L, 2);
    const bool recursive = lua_isnone(L, 3) ? true : lua_toboolean(L, 3) != 0;
    if (GameNode* child = node->GetChild(name, recursive))
        child->PushLuaObject(L);
    else
        lua_pushnil(L);
    return 1;
}

int glue_bringToFront(lua_State* L) {
    GameNode* node = CheckCall(L, 1);
    if (GameNode* parent = node->GetParent())
        GameTree::RelocateGameNode(parent, node, false);
    return 1;
}

int glue_tostring(lua_State* L) {
    // The class table (and the metatable) carry the method too, but no object.
    if (lua_type(L, 1) == LUA_TTABLE) {
        lua_pushstring(L, Lua::OBJECT_FIELD);
        lua_rawget(L, 1);
        const bool isObject = !lua_isnil(L, -1);
        lua_pop(L, 1);
        if (!isObject) {
            lua_pushstring(L, "GameNode metatable?");
            return 1;
        }
    }
    const std::string text = CheckCall(L, 1)->ToString();
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}

const luaL_Reg kNodeMethods[] = {
    {"x", glue_x},
    {"y", glue_y},
    {"visible", glue_visible},
    {"isVisible", glue_visible},
    {"setVisible", glue_setVisible},
    {"parent", glue_parent},
    {"parentX", glue_parentX},
    {"parentY", glue_parentY},
    {"child", glue_child},
    {"bringToFront", glue_bringToFront},
    {"__tostring", glue_tostring},
    {nullptr, nullptr},
};

struct NewObjectTable {
    GameNode* m_pNode;
    int m_nReference;
};

// Runs protected: building a table may fail for want of memory.
int MakeObjectTable(lua_State* L) {
    auto* job = static_cast<NewObjectTable*>(lua_touserdata(L, 1));
    lua_newtable(L);
    lua_pushstring(L, Lua::OBJECT_FIELD);
    lua_pushlightuserdata(L, static_cast<BaseObject*>(job->m_pNode));
    lua_rawset(L, -3);
    luaL_getmetatable(L, kNodeMetatable);
    if (lua_istable(L, -1))
        lua_setmetatable(L, -2);
    else
        lua_pop(L, 1);
    job->m_nReference = luaL_ref(L, LUA_REGISTRYINDEX);
    return 0;
}

struct ObjectTableJob {
    int m_nReference;
    const char* m_szMetatable;
    const void* m_pAddress;
    bool m_bFound;
};

// Clears the dead node's address from its table, so that scripts holding the
// table get "not a C++ object" instead of a dangling pointer. The entry is
// checked first: a reference made in a state that has since been replaced
// must not touch the new state's registry.
int ClearObjectTable(lua_State* L) {
    auto* job = static_cast<ObjectTableJob*>(lua_touserdata(L, 1));
    lua_rawgeti(L, LUA_REGISTRYINDEX, job->m_nReference);
    if (!lua_istable(L, -1))
        return 0;
    lua_pushstring(L, Lua::OBJECT_FIELD);
    lua_rawget(L, -2);
    job->m_bFound = lua_touserdata(L, -1) == job->m_pAddress;
    lua_pop(L, 1);
    if (!job->m_bFound)
        return 0;
    lua_pushstring(L, Lua::OBJECT_FIELD);
    lua_pushnil(L);
    lua_rawset(L, -3);
    return 0;
}

int SetObjectMetatable(lua_State* L) {
    auto* job = static_cast<ObjectTableJob*>(lua_touserdata(L, 1));
    lua_rawgeti(L, LUA_REGISTRYINDEX, job->m_nReference);
    luaL_getmetatable(L, job->m_szMetatable);
    if (lua_istable(L, -2) && lua_istable(L, -1))
        lua_setmetatable(L, -2);
    return 0;
}

}  // namespace

void GameNode::InitializeLua() {
    lua_State* L = CurrentLuaState();
    if (!L)
        return;
    const std::string script = Lua::g_Instance->GetScriptFolder() + kNodeScript;
    Lua::g_Instance->SetupMetatableForClass(kNodeMetatable, nullptr, script.c_str(), kNodeClassTable, kNodeMethods);
    NewObjectTable job{this, NO_LUA_REFERENCE};
    if (lua_cpcall(L, MakeObjectTable, &job) != 0) {
        Platform::OutputDebugStringFormat("GameNode: no Lua table for %s: %s\n", ToStringShort().c_str(),
                                          lua_isstring(L, -1) ? lua_tostring(L, -1) : "unknown error");
        lua_pop(L, 1);
        return;
    }
    m_nLuaReference = job.m_nReference;
}

void GameNode::SetupMetatableForObject(const char* metatable, const char* parent, const char* script,
                                       const char* classTable, const luaL_Reg* methods) {
    lua_State* L = CurrentLuaState();
    if (!L || !metatable)
        return;
    const std::string path = script ? Lua::g_Instance->GetScriptFolder() + script : std::string();
    if (Lua::g_Instance->SetupMetatableForClass(metatable, parent, script ? path.c_str() : nullptr, classTable,
                                                methods) != 0)
        return;
    if (m_nLuaReference < 0)
        return;
    ObjectTableJob job{m_nLuaReference, metatable, nullptr, false};
    if (lua_cpcall(L, SetObjectMetatable, &job) != 0)
        lua_pop(L, 1);
}

void GameNode::PushLuaObject(lua_State* L) const {
    if (m_nLuaReference >= 0 && L == CurrentLuaState())
        lua_rawgeti(L, LUA_REGISTRYINDEX, m_nLuaReference);
    else
        lua_pushnil(L);
}

void GameNode::ReleaseLuaObject() {
    const int reference = m_nLuaReference;
    m_nLuaReference = NO_LUA_REFERENCE;
    lua_State* L = CurrentLuaState();
    if (!L || reference < 0)
        return;
    ObjectTableJob job{reference, nullptr, AddressOf(this), false};
    if (lua_cpcall(L, ClearObjectTable, &job) != 0) {
        lua_pop(L, 1);
        return;
    }
    if (job.m_bFound)
        luaL_unref(L, LUA_REGISTRYINDEX, reference);
}

GameNode* GameNode::FindLiveNode(const void* address) {
    if (!address || !LiveNodes().count(address))
        return nullptr;
    return static_cast<GameNode*>(static_cast<BaseObject*>(const_cast<void*>(address)));
}

GameNode* GameNode::CheckLuaNode(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TTABLE)
        luaL_argerror(L, index, "not a C++ object");
    const int table = index > 0 ? index : lua_gettop(L) + index + 1;
    lua_pushstring(L, Lua::OBJECT_FIELD);
    lua_rawget(L, table);
    void* address = lua_type(L, -1) == LUA_TLIGHTUSERDATA ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    if (!address)
        luaL_argerror(L, index, "not a C++ object");
    GameNode* node = FindLiveNode(address);
    if (!node)
        luaL_argerror(L, index, "not a GameNode");
    return node;
}

}  // namespace ZQ2
