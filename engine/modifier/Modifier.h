#pragma once
// Base of the animators: a reference-counted step that changes one node (its
// client) over time. It runs either in a node's own list or as a node of the
// animation tree, whose links it carries.
#include <cstdint>
#include <string>

#include "engine/core/BaseObject.h"

namespace ZQ2 {

class AnimTree;
class GameNode;

class Modifier : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Option bits: what the modifier's end does to the others.
    enum eOption : uint32_t {
        // In a node's list, the modifiers after it wait until it is done.
        OPTION_BLOCKING = 1,
        // The client node is made obsolete.
        OPTION_OBSOLETE_CLIENT = 2,
        // In a node's list the modifiers before it are ended and dropped; in the
        // tree the client's tree modifiers up to it are made obsolete.
        OPTION_END_PREVIOUS = 4,
        // Tree only: the nearest enclosing container is made obsolete.
        OPTION_OBSOLETE_CONTAINER = 8,
    };
    enum eStatus : uint32_t { STATUS_DONE = 1 };

    Modifier() = default;
    ~Modifier() override;
    Modifier(const Modifier&) = delete;
    Modifier& operator=(const Modifier&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // An uncounted pointer that is set to null when the modifier it points
    // to is destroyed: for links that must not keep a modifier alive, nor
    // dangle. The slot must live as long as the program.
    static void ClearOnDestruction(Modifier** slot);

    // elapsedMs is the whole time of the frame; nothing is carried over.
    virtual void Tick(int elapsedMs) = 0;
    virtual void SetObsolete(bool obsolete) { m_bObsolete = obsolete; }
    // The client is not counted: a node outlives the modifiers it runs.
    virtual void SetClient(GameNode* client) { m_pClient = client; }
    // Overrides first jump to their end state, then set the done bit.
    virtual void EndModifier() { m_nStatus |= STATUS_DONE; }
    virtual bool IsDone() const { return HasDoneBit(); }

    // The status bit itself, which the list and tree walks test (a container
    // carries it from birth while its IsDone may still say no).
    bool HasDoneBit() const { return (m_nStatus & STATUS_DONE) != 0; }
    bool HasOption(uint32_t option) const { return (m_nOptions & option) != 0; }

    GameNode* GetClient() const { return m_pClient; }
    bool IsObsolete() const { return m_bObsolete; }
    bool IsPaused() const { return m_bPaused; }
    void SetPaused(bool paused) { m_bPaused = paused; }
    bool IsInAnimTree() const { return m_bInAnimTree; }
    void SetInAnimTree(bool inTree) { m_bInAnimTree = inTree; }
    const std::string& GetName() const { return m_strName; }
    void SetName(const std::string& name) { m_strName = name; }

    Modifier* GetParent() const { return m_pParent; }
    Modifier* GetNextSibling() const { return m_pNextSibling; }
    Modifier* GetFirstChild() const { return m_pFirstChild; }

    // Set by creators after construction.
    uint32_t m_nOptions = 0;
    uint32_t m_nStatus = 0;

protected:
    // a + b, held at the ends of int: times from scripts may be anything.
    static int AddTime(int a, int b);

    GameNode* m_pClient = nullptr;
    bool m_bObsolete = false;
    bool m_bPaused = false;

private:
    friend class AnimTree;

    Modifier* m_pParent = nullptr;
    Modifier* m_pNextSibling = nullptr;
    Modifier* m_pFirstChild = nullptr;
    // Kept by the tree so that appending a child does not walk its siblings.
    Modifier* m_pLastChild = nullptr;
    std::string m_strName;
    bool m_bInAnimTree = false;
};

}  // namespace ZQ2
