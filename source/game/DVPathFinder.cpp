#include "source/game/DVPathFinder.h"

#include <cmath>

const ZQ2::RTTI* const DVPathFinder::rttis[] = {&ZQ2::BaseObject::rtti, nullptr};
const ZQ2::RTTI DVPathFinder::rtti("DVPathFinder", DVPathFinder::rttis);

namespace {
constexpr float kWideBlock = 80.0f;
constexpr float kRedundancyWidth = 100.0f;

int WholePixels(float value) { return static_cast<int>(std::fabs(value)); }
}  // namespace

int DVPathFinder::AddBlock(const ZQ2::Rectangle_t<float>& rect, bool active) {
    m_Blocks.emplace_back(rect, active);
    return GetBlockCount() - 1;
}

int DVPathFinder::AddBlock(float x, float y, float width, float height, bool active) {
    m_Blocks.emplace_back(x, y, width, height, active);
    return GetBlockCount() - 1;
}

void DVPathFinder::ActivateBlock(int index, bool active) {
    if (index < 0 || index >= GetBlockCount())
        return;
    m_Blocks[static_cast<size_t>(index)].SetActive(active);
}

const DVBlock* DVPathFinder::GetBlock(int index) const {
    if (index < 0 || index >= GetBlockCount())
        return nullptr;
    return &m_Blocks[static_cast<size_t>(index)];
}

DVNode* DVPathFinder::CreateNode(float x, float y, DVNode* previous) {
    auto* node = new DVNode(x, y);
    node->AddRef();
    if (!previous)
        return node;
    if (!previous->m_pFirst)
        previous->m_pFirst = node;
    else
        previous->m_pSecond = node;
    return node;
}

void DVPathFinder::FreePath(DVNode* head) {
    while (head) {
        DVNode* next = head->m_pFirst;
        head->Release();
        head = next;
    }
}

bool DVPathFinder::ModifySegmentIfBlockInPath(const DVBlock& block, const ZQ2::Point_t<float>& from,
                                              ZQ2::Point_t<float>& to) const {
    if (!block.IsActive() || (from.x == to.x && from.y == to.y))
        return false;
    if (from.y == to.y) {
        const bool across = block.GetY() < to.y && to.y < block.GetBottomRow();
        if (!across)
            return false;
        if (to.x > from.x && from.x <= block.GetX() && block.GetX() <= to.x) {
            to.x = block.GetX();
            return true;
        }
        if (to.x < from.x && to.x <= block.GetRightColumn() && block.GetRightColumn() <= from.x) {
            to.x = block.GetRightColumn();
            return true;
        }
        return false;
    }
    const bool across = block.GetX() < to.x && to.x < block.GetRightColumn();
    if (!across)
        return false;
    if (to.y > from.y && from.y <= block.GetY() && block.GetY() <= to.y) {
        to.y = block.GetY();
        return true;
    }
    if (to.y < from.y && to.y <= block.GetBottomRow() && block.GetBottomRow() <= from.y) {
        to.y = block.GetBottomRow();
        return true;
    }
    return false;
}

bool DVPathFinder::GetTouchingBlock(const ZQ2::Point_t<float>& point, const DVBlock* exclude,
                                    const DVBlock** found) const {
    for (const DVBlock& block : m_Blocks) {
        if (&block == exclude || !block.Touches(point.x, point.y))
            continue;
        *found = &block;
        return true;
    }
    return false;
}

float DVPathFinder::GetModifiedXForPath(float previousX, float x, const DVBlock& block) {
    return x > previousX ? block.GetX() : block.GetRightColumn();
}

bool DVPathFinder::DoesPathReversalImprovePath(float x, float y, const DVBlock& block) const {
    const ZQ2::Point_t<float> from(x, y);
    ZQ2::Point_t<float> to(x, y > block.GetY() ? block.GetY() + block.GetHeight() - 2.0f : block.GetY() + 1.0f);
    for (const DVBlock& other : m_Blocks) {
        ZQ2::Point_t<float> probe = to;
        if (ModifySegmentIfBlockInPath(other, from, probe))
            return false;
    }
    return true;
}

DVNode* DVPathFinder::RemovePathRedundancy(DVNode* current, DVNode* head, const DVBlock& block) const {
    float previousX = -1.0f;
    DVNode* node = head;
    while (node && node->m_fX != current->m_fX) {
        previousX = node->m_fX;
        node = node->m_pFirst;
    }
    if (!node)
        return nullptr;
    const float x = GetModifiedXForPath(previousX, node->m_fX, block);
    if (!DoesPathReversalImprovePath(x, node->m_fY, block))
        return nullptr;
    FreePath(node->m_pFirst);
    node->m_pFirst = nullptr;
    node->m_fX = x;
    return node;
}

float DVPathFinder::ChooseSide(const DVBlock& block, const ZQ2::Point_t<float>& current,
                               const DVBlock* touching) const {
    const int a = WholePixels(block.GetX() - current.x);
    const int b = WholePixels(block.GetX() + block.GetWidth() - 1.0f - current.x);
    bool right = block.GetX() <= 0.0f || b <= a;
    if (touching && current.x == touching->GetX())
        right = false;
    else if (touching && current.x == touching->GetRightColumn())
        right = true;
    return right ? block.GetRightColumn() : block.GetX();
}

const DVBlock* DVPathFinder::ClipLeg(const ZQ2::Point_t<float>& from, ZQ2::Point_t<float>& to) const {
    const DVBlock* blocking = nullptr;
    for (const DVBlock& block : m_Blocks)
        if (ModifySegmentIfBlockInPath(block, from, to))
            blocking = &block;
    return blocking;
}

void DVPathFinder::FindPath(ZQ2::Point_t<float> start, ZQ2::Point_t<float> dest, int firstHorizontal,
                            int firstVertical, DVNode** route) const {
    DVNode* head = CreateNode(start.x, start.y, nullptr);
    DVNode* current = head;
    int h = firstHorizontal;
    int v = firstVertical;
    const DVBlock* blocking = nullptr;
    // A layout the alternation cannot solve would loop for ever: the route
    // ends where the last leg left it.
    for (int legs = 0; legs < MAX_LEGS; ++legs) {
        if (current->m_fX == dest.x && current->m_fY == dest.y)
            break;
        const ZQ2::Point_t<float> at(current->m_fX, current->m_fY);
        ZQ2::Point_t<float> to;
        if (!blocking) {
            to.x = h != 0 ? dest.x : at.x;
            to.y = v != 0 ? dest.y : at.y;
        } else if (h == 0) {
            to.x = at.x;
            to.y = dest.y;
            const float top = blocking->GetY();
            const float far = blocking->GetY() + blocking->GetHeight();
            if (top < dest.y && dest.y < far) {
                const int toTop = WholePixels(top - at.y);
                const int toFar = WholePixels(far - at.y);
                to.y = top <= 0.0f || toFar <= toTop ? far : top;
            }
        } else {
            const DVBlock* touching = nullptr;
            GetTouchingBlock(at, blocking, &touching);
            if (!touching && at.x == dest.x && blocking->GetWidth() > kRedundancyWidth) {
                if (DVNode* node = RemovePathRedundancy(current, head, *blocking)) {
                    current = node;
                    h = 0;
                    v = node->m_fY < dest.y ? 1 : -1;
                    blocking = nullptr;
                    continue;
                }
            }
            if (blocking->GetWidth() >= kWideBlock) {
                const bool inBlock = blocking->GetX() <= dest.x && dest.x < blocking->GetX() + blocking->GetWidth();
                const bool inTouching =
                    touching && touching->GetX() <= dest.x && dest.x < touching->GetX() + touching->GetWidth();
                to.x = inBlock || inTouching ? ChooseSide(*blocking, at, touching) : dest.x;
            } else {
                to.x = ChooseSide(*blocking, at, touching);
            }
            to.y = at.y;
        }
        blocking = ClipLeg(at, to);
        const bool plannedVertical = h == 0;
        current = CreateNode(to.x, to.y, current);
        if (plannedVertical) {
            h = to.x < dest.x ? 1 : -1;
            v = 0;
        } else {
            v = to.y < dest.y ? 1 : -1;
            h = 0;
        }
    }
    *route = head;
}
