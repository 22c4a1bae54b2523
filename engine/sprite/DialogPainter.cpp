#include "engine/sprite/DialogPainter.h"

#include <algorithm>
#include <cmath>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {

const RTTI* const DialogPainter::rttis[] = {&AbstractPainter::rtti, nullptr};
const RTTI DialogPainter::rtti("DialogPainter", DialogPainter::rttis);

ObjectInitializer DialogPainter::m_ObjectInitializer("DialogPainter", &DialogPainter::OnData);

const char* const PROP_CENTERCOLOR = "centercolor";
const char* const PROP_CENTERALPHA = "centeralpha";
const char* const PROP_CLEARCOLOR = "clearcolor";

namespace {

constexpr int kWhite = 0xFFFFFF;

void ReadInt(PropertyNode* data, const char* key, int& field) {
    if (PropertyValue* value = data->HasProperty(key) ? data->GetValue(key) : nullptr)
        field = value->ToInt();
}

Rectangle_t<float> ScreenRect() {
    Renderer* renderer = Renderer::g_Instance;
    if (!renderer)
        return Rectangle_t<float>();
    return Rectangle_t<float>(0.0f, 0.0f, static_cast<float>(renderer->GetRenderWidth()),
                              static_cast<float>(renderer->GetRenderHeight()));
}

}  // namespace

DialogPainter::DialogPainter(AbstractProperty* data) : AbstractPainter(data) {
    if (data)
        SetProperties(data->ToNode());
}

DialogPainter::~DialogPainter() = default;

BaseObject* DialogPainter::OnData(AbstractProperty* data) { return new DialogPainter(data); }

void DialogPainter::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    ReadInt(data, PROP_CENTERCOLOR, m_iCenterColor);
    ReadInt(data, PROP_CENTERALPHA, m_iCenterAlpha);
    ReadInt(data, PROP_CLEARCOLOR, m_iClearColor);
    if (OffsetObject::IsGivenBy(data))
        m_pOffsets = std::make_unique<OffsetObject>(data);
}

void DialogPainter::SetWorldCover(Image* image) { m_spWorldCover = image; }

float DialogPainter::Size(int index, bool width) {
    ImageFrame* frame = GetImageFrame(index);
    if (!frame)
        return 0.0f;
    return static_cast<float>(width ? frame->GetWidth() : frame->GetHeight());
}

namespace {

// border plus the fewest whole tiles that reach the asked size.
float Preferred(float asked, float border, float tile) {
    float result = border;
    if (tile > 0.0f && asked - border > 0.0f)
        result = border + std::ceil((asked - border) / tile) * tile;
    return std::max(result, asked);
}

}  // namespace

float DialogPainter::GetPreferredWidth(float width) {
    float border = std::max(PieceWidth(PIECE_TOPLEFT), PieceWidth(PIECE_BOTTOMLEFT)) +
                   std::max(PieceWidth(PIECE_TOPRIGHT), PieceWidth(PIECE_BOTTOMRIGHT));
    if (border == 0.0f)
        border = PieceWidth(PIECE_LEFT) + PieceWidth(PIECE_RIGHT);
    float tile = std::max(PieceWidth(PIECE_TOP), PieceWidth(PIECE_BOTTOM));
    if (tile == 0.0f)
        tile = PieceWidth(PIECE_CENTER);
    return Preferred(width, border, tile);
}

float DialogPainter::GetPreferredHeight(float height) {
    float border = std::max(PieceHeight(PIECE_TOPLEFT), PieceHeight(PIECE_TOPRIGHT)) +
                   std::max(PieceHeight(PIECE_BOTTOMLEFT), PieceHeight(PIECE_BOTTOMRIGHT));
    if (border == 0.0f)
        border = PieceHeight(PIECE_TOP) + PieceHeight(PIECE_BOTTOM);
    float tile = std::max(PieceHeight(PIECE_LEFT), PieceHeight(PIECE_RIGHT));
    if (tile == 0.0f)
        tile = PieceHeight(PIECE_CENTER);
    return Preferred(height, border, tile);
}

void DialogPainter::FillWithImageFrame(Graphics* g, ImageFrame* frame, float x, float y, float w, float h) {
    if (!g || !frame)
        return;
    const auto tileWidth = static_cast<float>(frame->GetWidth());
    const auto tileHeight = static_cast<float>(frame->GetHeight());
    if (tileWidth <= 0.0f || tileHeight <= 0.0f)
        return;
    g->SetImageFrameAndPolygon(frame);
    for (float row = y; row < y + h; row += tileHeight) {
        for (float column = x; column < x + w; column += tileWidth)
            g->Draw(column, row);
    }
}

void DialogPainter::DrawTiled(Graphics* g, int index, float x, float y, float w, float h) {
    if (ImageFrame* frame = GetImageFrame(index))
        FillWithImageFrame(g, frame, x, y, w, h);
}

void DialogPainter::DrawCorner(Graphics* g, int index, float x, float y) {
    ImageFrame* frame = GetImageFrame(index);
    if (!frame)
        return;
    g->SetImageFrameAndPolygon(frame);
    g->Draw(x, y);
}

void DialogPainter::Render(Graphics* g, const Rectangle_t<float>& rect) {
    if (!g)
        return;
    const bool whole = rect.IsEmpty();
    const Rectangle_t<float>& target = g->GetTargetRect();
    const float W = whole ? target.width : rect.width;
    const float H = whole ? target.height : rect.height;
    const float ox = whole ? 0.0f : rect.x;
    const float oy = whole ? 0.0f : rect.y;

    // Stays pushed: the dialog paints with a fresh context every time.
    const Rectangle_t<float> screen = ScreenRect();
    g->PushClipPolygon(PolygonF(HasWorldCover() ? screen : Rectangle_t<float>(0.0f, 0.0f, W, H)));

    g->SetAlpha(0);
    g->SetColor(m_iClearColor);
    g->Clear();
    g->SetColor(kWhite);
    g->SetAlpha(255);
    g->SetBlendMode(BLENDMODE_REPLACE);

    if (ImageFrame* cover = m_spWorldCover ? m_spWorldCover->GetFrame() : nullptr) {
        g->SetImageFrame(cover);
        g->SetPolygon(screen);
        g->Draw(0.0f, 0.0f);
    }

    const float left = m_pOffsets ? m_pOffsets->m_iLeft : PieceWidth(PIECE_LEFT);
    const float top = m_pOffsets ? m_pOffsets->m_iTop : PieceHeight(PIECE_TOP);
    const float right = m_pOffsets ? m_pOffsets->m_iRight : PieceWidth(PIECE_RIGHT);
    const float bottom = m_pOffsets ? m_pOffsets->m_iBottom : PieceHeight(PIECE_BOTTOM);
    const Rectangle_t<float> centre(ox + left, oy + top, W - left - right, H - top - bottom);
    if (ImageFrame* fill = GetImageFrame(PIECE_CENTER)) {
        g->PushClipPolygon(PolygonF(centre));
        FillWithImageFrame(g, fill, centre.x, centre.y, centre.width, centre.height);
        g->PopClipPolygon();
    } else {
        g->SetAlpha(m_iCenterAlpha);
        g->SetColor(m_iCenterColor & kWhite);
        g->FillRect(centre);
    }

    g->SetAlpha(255);
    g->SetColor(kWhite);
    g->SetBlendMode(BLENDMODE_BLEND_MAX_ALPHA);
    const float w0 = PieceWidth(PIECE_TOPLEFT), h0 = PieceHeight(PIECE_TOPLEFT);
    const float w2 = PieceWidth(PIECE_TOPRIGHT), h2 = PieceHeight(PIECE_TOPRIGHT);
    const float w6 = PieceWidth(PIECE_BOTTOMLEFT), h6 = PieceHeight(PIECE_BOTTOMLEFT);
    const float w8 = PieceWidth(PIECE_BOTTOMRIGHT), h8 = PieceHeight(PIECE_BOTTOMRIGHT);
    DrawTiled(g, PIECE_TOP, ox + w0, oy, W - w0 - w2, PieceHeight(PIECE_TOP));
    const float h7 = PieceHeight(PIECE_BOTTOM);
    DrawTiled(g, PIECE_BOTTOM, ox + w6, oy + H - h7, W - w6 - w8, h7);
    DrawTiled(g, PIECE_LEFT, ox, oy + h0, PieceWidth(PIECE_LEFT), H - h0 - h6);
    const float w5 = PieceWidth(PIECE_RIGHT);
    DrawTiled(g, PIECE_RIGHT, ox + W - w5, oy + h2, w5, H - h2 - h8);

    DrawCorner(g, PIECE_TOPLEFT, ox, oy);
    DrawCorner(g, PIECE_TOPRIGHT, ox + W - w2, oy);
    DrawCorner(g, PIECE_BOTTOMLEFT, ox, oy + H - h6);
    DrawCorner(g, PIECE_BOTTOMRIGHT, ox + W - w8, oy + H - h8);
}

}  // namespace ZQ2
