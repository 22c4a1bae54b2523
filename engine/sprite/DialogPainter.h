#pragma once
// The engine's dialog painter: a nine-piece frame (four corners, four tiled
// edges, a tiled or flat centre) with optional fixed insets of the centre
// and an optional picture covering the whole screen behind it.
#include <memory>

#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/AbstractPainter.h"
#include "engine/sprite/OffsetObject.h"

namespace ZQ2 {

extern const char* const PROP_CENTERCOLOR;
extern const char* const PROP_CENTERALPHA;
extern const char* const PROP_CLEARCOLOR;

// Frame indexes of the nine pieces, row by row.
enum ePainterPiece : int {
    PIECE_TOPLEFT = 0,
    PIECE_TOP = 1,
    PIECE_TOPRIGHT = 2,
    PIECE_LEFT = 3,
    PIECE_CENTER = 4,
    PIECE_RIGHT = 5,
    PIECE_BOTTOMLEFT = 6,
    PIECE_BOTTOM = 7,
    PIECE_BOTTOMRIGHT = 8,
};

class DialogPainter : public AbstractPainter {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit DialogPainter(AbstractProperty* data);
    ~DialogPainter() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    void Render(Graphics* g, const Rectangle_t<float>& rect) override;
    // Null removes the cover.
    void SetWorldCover(Image* image) override;
    bool HasWorldCover() override { return m_spWorldCover.Get() != nullptr; }
    // The size grows to the borders plus a whole number of edge tiles.
    float GetPreferredWidth(float width) override;
    float GetPreferredHeight(float height) override;

    void SetProperties(PropertyNode* data);

    // Tiles the frame at full size from the box's top-left corner; the last
    // row and column may reach past the box unless a clip cuts them.
    static void FillWithImageFrame(Graphics* g, ImageFrame* frame, float x, float y, float w, float h);

    int GetCenterColor() const { return m_iCenterColor; }
    int GetCenterAlpha() const { return m_iCenterAlpha; }
    int GetClearColor() const { return m_iClearColor; }
    const OffsetObject* GetOffsets() const { return m_pOffsets.get(); }

private:
    float PieceWidth(int index) { return Size(index, true); }
    float PieceHeight(int index) { return Size(index, false); }
    float Size(int index, bool width);
    void DrawTiled(Graphics* g, int index, float x, float y, float w, float h);
    void DrawCorner(Graphics* g, int index, float x, float y);

    int m_iCenterColor = 0;
    int m_iCenterAlpha = 255;
    int m_iClearColor = 0;
    std::unique_ptr<OffsetObject> m_pOffsets;
    SmartPtr<Image> m_spWorldCover;
};

}  // namespace ZQ2
