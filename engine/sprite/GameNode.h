#pragma once
// A node of the scene graph: a position in its parent's frame, flags that
// hide, freeze or discard it, an ordered list of children (later children are
// drawn on top and get input first), the modifiers it runs itself, the
// modifiers it has in the animation tree, and its face in the Lua state.
#include <string>
#include <unordered_set>

#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/math/Matrix3x3.h"
#include "engine/math/Point_t.h"
#include "engine/math/Region_t.h"

struct lua_State;
struct luaL_Reg;

namespace ZQ2 {

class AbstractProperty;
class GameTree;
class Modifier;
class PropertyNode;

class GameNode : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Lua's "no reference" value.
    static constexpr int NO_LUA_REFERENCE = -2;

    explicit GameNode(const std::string& name);
    // Reads the node's keys, then builds the "children" and "modifiers"
    // vectors through the object factory.
    explicit GameNode(AbstractProperty* data);
    // Copies the position, tag, flags and name; no links, no modifiers, and
    // a Lua table of its own.
    GameNode(const GameNode& other);
    GameNode& operator=(const GameNode&) = delete;
    ~GameNode() override;

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;
    std::string ToStringShort() const override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    // Geometry. The Build* steps multiply this node's own step onto the right
    // of m: to-global maps the node's frame into its parent's, to-local back.
    virtual float GetX() const { return m_fX; }
    virtual void SetX(float x) { m_fX = x; }
    virtual float GetY() const { return m_fY; }
    virtual void SetY(float y) { m_fY = y; }
    virtual void SetLocation(float x, float y);
    virtual Point_t<float> ToLocal(float x, float y);
    virtual void BuildToLocalTransformation(Matrix3x3& m);
    virtual Point_t<float> ToGlobal(float x, float y);
    virtual void BuildToGlobalTransformation(Matrix3x3& m);
    // The node's own box under m; a plain node has none.
    virtual Region_t<float> CalculateBoundingBox(const Matrix3x3& m);
    virtual bool IsInside(float x, float y);
    virtual int GetTag() const { return m_nTag; }
    virtual void SetTag(int tag) { m_nTag = tag; }
    virtual void SetObsolete(bool obsolete) { m_bObsolete = obsolete; }
    virtual void SetVisible(bool visible) { m_bVisible = visible; }
    virtual void HandleCommand(const std::string& command, GameNode* sender);
    // The node's own work of a frame.
    virtual void Tick(int deltaMs);

    // The chain of steps from this node (or, without includeSelf, its parent)
    // up to but not including stopAt (null: the root), multiplied onto the
    // right of m. To-global maps into stopAt's frame; to-local is its inverse.
    void BuildToLocalTransformation(Matrix3x3& m, GameNode* stopAt, bool includeSelf);
    void BuildToGlobalTransformation(Matrix3x3& m, GameNode* stopAt, bool includeSelf);
    void BuildScreenToLocalTransformation(Matrix3x3& m) { BuildToLocalTransformation(m, nullptr, true); }
    void BuildLocalToScreenTransformation(Matrix3x3& m) { BuildToGlobalTransformation(m, nullptr, true); }
    float GetScreenX();
    float GetScreenY();
    float GetParentX();
    float GetParentY();
    // Left, top, right, bottom; starts empty and grows by the node's own box
    // and its children's.
    Region_t<float> CalculateBoundingBox(bool withChildren, bool withSelf, const Matrix3x3& m);
    Region_t<float> CalculateBoundingBox(bool withChildren, bool withSelf, GameNode* relativeTo);

    // The first child of that name that is not obsolete; with recursive, a
    // child's subtree is searched right after the child.
    GameNode* GetChild(const std::string& name, bool recursive);

    // Ticks the node, then its own modifiers in order. Modifiers added while
    // the list is walked start with the next frame; modifiers removed while it
    // is walked are not ticked again.
    void TickUpdate(int deltaMs);

    // Takes one reference; the modifier is run from the back or the front of
    // the list. A modifier already in the list is returned unchanged.
    Modifier* AddModifier(Modifier* m, bool atBack = true);
    void RemoveAllModifiers();
    bool HasModifier(const Modifier* m) const { return m_Modifiers.contains(const_cast<Modifier*>(m)); }
    const ZQVector<Modifier*>& GetModifiers() const { return m_Modifiers; }

    // The animation-tree modifiers whose client this node is (not counted).
    bool AddAnimTreeModifier(Modifier* m);
    // Unregisters m; with clearClient (the normal case) m forgets its client.
    void RemoveAnimTreeModifier(Modifier* m, bool clearClient = true);
    // Unregisters, in one pass over the list, every modifier for which
    // leaving(m) is true; they keep their client.
    template <class Predicate>
    void RemoveAnimTreeModifiersIf(Predicate leaving) {
        m_AnimTreeModifiers.remove_if([&](Modifier* m) {
            if (!leaving(m))
                return false;
            m_AnimTreeIndex.erase(m);
            return true;
        });
    }
    // Makes every registered modifier up to and including upTo obsolete and
    // unregisters them; when upTo is not registered, all become obsolete and
    // stay registered.
    void RemoveAnimModifiersWhenINIT(Modifier* upTo);
    void PauseAnimTreeModifiers(bool paused);
    // Takes every registered modifier out of the animation tree without
    // ending it: each forgets this node and is made obsolete, so the next
    // purge drops it with its subtree. Safe during the tree's walks.
    void RemoveAllAnimTreeModifiers();
    const ZQVector<Modifier*>& GetAnimTreeModifiers() const { return m_AnimTreeModifiers; }

    void SetProperties(PropertyNode* data);

    GameNode* GetParent() const { return m_pParent; }
    GameNode* GetFirstChild() const { return m_pFirstChild; }
    GameNode* GetNextSibling() const { return m_pNextSibling; }
    const std::string& GetName() const { return m_strName; }
    void SetName(const std::string& name) { m_strName = name; }
    bool IsObsolete() const { return m_bObsolete; }
    bool IsVisible() const { return m_bVisible; }
    bool IsSuspended() const { return m_bSuspended; }
    void SetSuspended(bool suspended) { m_bSuspended = suspended; }

    // Lua face: does nothing without a Lua state.
    void InitializeLua();
    // Gives the node's table the class metatable (built once from the class
    // script in the Lua service's script folder).
    void SetupMetatableForObject(const char* metatable, const char* parent, const char* script,
                                 const char* classTable, const luaL_Reg* methods);
    int GetLuaReference() const { return m_nLuaReference; }
    // Pushes the node's table, or nil.
    void PushLuaObject(lua_State* L) const;

    // The live node at that address (a "__c++" value from a script), or null
    // when no node lives there: scripts may keep addresses of dead nodes.
    static GameNode* FindLiveNode(const void* address);
    // The node that the script's argument at index stands for. Raises the Lua
    // error "not a C++ object" or "not a GameNode" for anything else.
    static GameNode* CheckLuaNode(lua_State* L, int index);

protected:
    float m_fX = 0.0f;
    float m_fY = 0.0f;

private:
    friend class GameTree;

    // TickUpdate for a caller that holds a counted reference to the node.
    void TickHeld(int deltaMs);
    // Leaves the parent's child list; the reference stays with the caller.
    void DetachFromParent();
    void RetireModifier(Modifier* m);
    void ReleaseLuaObject();

    GameNode* m_pParent = nullptr;
    GameNode* m_pNextSibling = nullptr;
    GameNode* m_pFirstChild = nullptr;
    int m_nTag = 0;
    bool m_bObsolete = false;
    bool m_bSuspended = false;
    bool m_bVisible = true;
    ZQVector<Modifier*> m_Modifiers;
    ZQVector<Modifier*> m_AnimTreeModifiers;
    // The same modifiers, so that registering one need not search the list.
    std::unordered_set<const Modifier*> m_AnimTreeIndex;
    std::string m_strName;
    int m_nLuaReference = NO_LUA_REFERENCE;
};

}  // namespace ZQ2
