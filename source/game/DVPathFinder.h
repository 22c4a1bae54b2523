#pragma once
// Plans walks on the dig site in horizontal and vertical legs around the
// site's rectangular blocks (tables, tent, occupied dig spots).
#include <vector>

#include "engine/core/BaseObject.h"
#include "engine/math/Point_t.h"
#include "engine/math/Rectangle_t.h"
#include "source/game/DVBlock.h"
#include "source/game/DVNode.h"

class DVPathFinder : public ZQ2::BaseObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    // A layout the alternation cannot solve ends its route after this many legs.
    static constexpr int MAX_LEGS = 64;

    DVPathFinder() = default;
    ~DVPathFinder() override = default;
    DVPathFinder(const DVPathFinder&) = default;
    DVPathFinder& operator=(const DVPathFinder&) = default;
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    int AddBlock(const ZQ2::Rectangle_t<float>& rect, bool active);
    int AddBlock(float x, float y, float width, float height, bool active);
    void ActivateBlock(int index, bool active);
    void ClearBlocks() { m_Blocks.clear(); }
    int GetBlockCount() const { return static_cast<int>(m_Blocks.size()); }
    const DVBlock* GetBlock(int index) const;

    // Writes the start node of the route to *route; the caller frees it.
    void FindPath(ZQ2::Point_t<float> start, ZQ2::Point_t<float> dest, int firstHorizontal, int firstVertical,
                  DVNode** route) const;
    static void FreePath(DVNode* head);
    static DVNode* CreateNode(float x, float y, DVNode* previous);

    bool ModifySegmentIfBlockInPath(const DVBlock& block, const ZQ2::Point_t<float>& from,
                                    ZQ2::Point_t<float>& to) const;
    bool GetTouchingBlock(const ZQ2::Point_t<float>& point, const DVBlock* exclude, const DVBlock** found) const;
    DVNode* RemovePathRedundancy(DVNode* current, DVNode* head, const DVBlock& block) const;
    bool DoesPathReversalImprovePath(float x, float y, const DVBlock& block) const;
    static float GetModifiedXForPath(float previousX, float x, const DVBlock& block);

private:
    float ChooseSide(const DVBlock& block, const ZQ2::Point_t<float>& current, const DVBlock* touching) const;
    const DVBlock* ClipLeg(const ZQ2::Point_t<float>& from, ZQ2::Point_t<float>& to) const;

    std::vector<DVBlock> m_Blocks;
};
