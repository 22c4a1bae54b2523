#include "engine/graphics/GraphicsSettings.h"

#include <cmath>

#include "engine/graphics/ImageFrame.h"
#include "engine/math/GameMath.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {

const RTTI* const GraphicsSettings::rttis[] = {&Interface::rtti, nullptr};
const RTTI GraphicsSettings::rtti("GraphicsSettings", GraphicsSettings::rttis);

namespace {

constexpr float kFullTurn = 6.2831855f;

bool Exceeds(float value) { return std::fabs(value) > GameMath::SMALL_FLOAT; }

// The rotation's distance from the nearest whole turn, so that a turn just
// short of 2 pi counts as no turn as much as one just past it.
float RotationOffTurn(float rotation) {
    float r = std::fmod(rotation, kFullTurn);
    if (r > kFullTurn / 2.0f)
        r -= kFullTurn;
    else if (r < -kFullTurn / 2.0f)
        r += kFullTurn;
    return r;
}

template <class T>
void Share(T*& slot, T* object) {
    if (slot == object)
        return;
    if (object)
        object->AddRef();
    if (slot)
        slot->Release();
    slot = object;
}

}  // namespace

GraphicsSettings::GraphicsSettings() = default;

GraphicsSettings::GraphicsSettings(const GraphicsSettings& other) : Interface(other) {
    CopyValues(other);
    CopyMatrices(other);
}

GraphicsSettings& GraphicsSettings::operator=(const GraphicsSettings& other) {
    if (this == &other)
        return *this;
    CopyValues(other);
    CopyMatrices(other);
    return *this;
}

void GraphicsSettings::CopyMatrices(const GraphicsSettings& other) {
    m_Matrix = other.m_Matrix;
    m_InvMatrix = other.m_InvMatrix;
    m_bHasTransformation = other.m_bHasTransformation;
    m_bDirty = other.m_bDirty;
    m_bInvDirty = other.m_bInvDirty;
}

GraphicsSettings::~GraphicsSettings() { ReleaseObjects(); }

void GraphicsSettings::CopyValues(const GraphicsSettings& s) {
    m_nColor = s.m_nColor;
    m_nAlpha = s.m_nAlpha;
    m_fScaleU = s.m_fScaleU;
    m_fScaleV = s.m_fScaleV;
    m_FlipFlags = s.m_FlipFlags;
    m_eBlendMode = s.m_eBlendMode;
    m_bUseAlphaChannel = s.m_bUseAlphaChannel;
    m_bUseColorToFillPolygon = s.m_bUseColorToFillPolygon;
    SetImageFrame(s.GetImageFrame());
    SetPolygon(s.m_pPolygon);
    m_fSkewX = s.m_fSkewX;
    m_fSkewY = s.m_fSkewY;
    m_fScaleX = s.m_fScaleX;
    m_fScaleY = s.m_fScaleY;
    m_fRotation = s.m_fRotation;
    m_AnchorPoint = s.m_AnchorPoint;
    m_PivotPoint = s.m_PivotPoint;
    m_bLinkAnchorAndPivot = s.m_bLinkAnchorAndPivot;
}

void GraphicsSettings::ReleaseObjects() {
    Share<ImageFrame>(m_pImageFrame, nullptr);
    Share<PolygonF>(m_pPolygon, nullptr);
    m_bSharedPolygon = false;
}

void GraphicsSettings::SetSettings(const GraphicsSettings& s) {
    if (this == &s)
        return;
    CopyValues(s);
    m_bDirty = true;
}

void GraphicsSettings::ResetSettings() {
    ReleaseObjects();
    m_fSkewX = 0.0f;
    m_fSkewY = 0.0f;
    m_fScaleX = 1.0f;
    m_fScaleY = 1.0f;
    m_fRotation = 0.0f;
    m_AnchorPoint = AnchorPoint(ANCHOR_TOPLEFT, 0.0f, 0.0f);
    m_PivotPoint = AnchorPoint(ANCHOR_TOPLEFT, 0.0f, 0.0f);
    m_bLinkAnchorAndPivot = true;
    m_Matrix = Matrix3x3::IdentityMatrix;
    m_InvMatrix = Matrix3x3::IdentityMatrix;
    m_bHasTransformation = false;
    m_bDirty = true;
    m_nColor = DEFAULT_COLOR;
    m_nAlpha = DEFAULT_ALPHA;
    m_fScaleU = 1.0f;
    m_fScaleV = 1.0f;
    m_FlipFlags = BitFlags_t<eFlipImage>();
    m_eBlendMode = BLENDMODE_BLEND;
    m_bUseAlphaChannel = true;
    m_bUseColorToFillPolygon = false;
}

int GraphicsSettings::GetImageFrameWidth() const { return m_pImageFrame ? m_pImageFrame->GetWidth() : 0; }

int GraphicsSettings::GetImageFrameHeight() const { return m_pImageFrame ? m_pImageFrame->GetHeight() : 0; }

bool GraphicsSettings::NeedsTransformation() const {
    return Exceeds(GetDestX()) || Exceeds(GetDestY()) || Exceeds(m_fSkewX) || Exceeds(m_fSkewY) ||
           Exceeds(m_fScaleX - 1.0f) || Exceeds(m_fScaleY - 1.0f) || Exceeds(RotationOffTurn(m_fRotation));
}

void GraphicsSettings::UpdateTransformations() const {
    if (!m_bDirty)
        return;
    m_bDirty = false;
    if (!NeedsTransformation()) {
        m_Matrix = Matrix3x3::IdentityMatrix;
        m_InvMatrix = Matrix3x3::IdentityMatrix;
        m_bHasTransformation = false;
        m_bInvDirty = false;
        return;
    }
    m_bHasTransformation = true;
    Matrix3x3::BuildTransformationMatrix(m_Matrix, GetDestX(), GetDestY(), GetTransformationPivotPoint(), m_fRotation,
                                         m_fScaleX, m_fScaleY, m_fSkewX, m_fSkewY);
    // Only hit tests ask for the inverse; every drawn frame moves sprites.
    m_bInvDirty = true;
}

bool GraphicsSettings::IsTransformCoordiantes() const {
    UpdateTransformations();
    return m_bHasTransformation;
}

bool GraphicsSettings::CreateDestPolyMatrix(Matrix3x3& m) const { return ComposeDestPolyMatrix(m, false); }

// The identity times the placement is the placement, element for element.
bool GraphicsSettings::ComposeDestPolyMatrix(Matrix3x3& m, bool identity) const {
    bool changed = false;
    if (IsTransformCoordiantes()) {
        if (identity)
            m = m_Matrix;
        else
            m *= m_Matrix;
        changed = true;
    }
    const float ax = m_AnchorPoint.GetX();
    const float ay = m_AnchorPoint.GetY();
    if (Exceeds(ax) || Exceeds(ay)) {
        Matrix3x3 move;
        Matrix3x3::MakeTranslationMatrix(move, -ax, -ay);
        m *= move;
        changed = true;
    }
    return changed;
}

void GraphicsSettings::TakePlacementOf(const GraphicsSettings& s) {
    if (this == &s)
        return;
    s.UpdateTransformations();
    m_Matrix = s.m_Matrix;
    m_bHasTransformation = s.m_bHasTransformation;
    m_bDirty = false;
    m_bInvDirty = true;
}

const Matrix3x3& GraphicsSettings::GetTransformationMatrix() const {
    UpdateTransformations();
    return m_Matrix;
}

const Matrix3x3& GraphicsSettings::GetInvTransformationMatrix() const {
    UpdateTransformations();
    if (m_bInvDirty) {
        m_bInvDirty = false;
        Matrix3x3::BuildInvTransformationMatrix(m_InvMatrix, GetDestX(), GetDestY(), GetTransformationPivotPoint(),
                                                m_fRotation, m_fScaleX, m_fScaleY, m_fSkewX, m_fSkewY);
    }
    return m_InvMatrix;
}

// Placing values mark the matrices stale only when they really change.
void GraphicsSettings::SetPlacingValue(float& field, float value) {
    if (value == field)
        return;
    field = value;
    m_bDirty = true;
}

void GraphicsSettings::SetSkewX(float skew) { SetPlacingValue(m_fSkewX, skew); }

void GraphicsSettings::SetSkewY(float skew) { SetPlacingValue(m_fSkewY, skew); }

void GraphicsSettings::SetScaleX(float scale) { SetPlacingValue(m_fScaleX, scale); }

void GraphicsSettings::SetScaleY(float scale) { SetPlacingValue(m_fScaleY, scale); }

void GraphicsSettings::SetScale(float scale) {
    SetScaleX(scale);
    SetScaleY(scale);
}

void GraphicsSettings::SetRotation(float rotation) { SetPlacingValue(m_fRotation, rotation); }

void GraphicsSettings::SetAnchorPoint(float x, float y) {
    if (m_AnchorPoint.GetType() == ANCHOR_FREE && m_AnchorPoint.GetX() == x && m_AnchorPoint.GetY() == y)
        return;
    m_bDirty = true;
    m_AnchorPoint.SetPosition(x, y);
    if (m_bLinkAnchorAndPivot)
        m_PivotPoint.SetPosition(x, y);
}

void GraphicsSettings::SetAnchorPoint(const AnchorPoint& anchor) {
    if (!(m_AnchorPoint != anchor))
        return;
    m_bDirty = true;
    m_AnchorPoint = anchor;
    if (m_bLinkAnchorAndPivot)
        m_PivotPoint = anchor;
}

void GraphicsSettings::SetAnchorPoint(eAnchorPoint type) {
    m_bDirty = true;
    const auto width = static_cast<float>(GetImageFrameWidth());
    const auto height = static_cast<float>(GetImageFrameHeight());
    m_AnchorPoint.SetType(type);
    m_AnchorPoint.AlignToAnchorType(width, height);
    if (!m_bLinkAnchorAndPivot)
        return;
    m_PivotPoint.SetType(type);
    m_PivotPoint.AlignToAnchorType(width, height);
}

void GraphicsSettings::SetPivotPoint(float x, float y) {
    if (!m_bLinkAnchorAndPivot && m_PivotPoint.GetType() == ANCHOR_FREE && m_PivotPoint.GetX() == x &&
        m_PivotPoint.GetY() == y)
        return;
    m_bLinkAnchorAndPivot = false;
    m_bDirty = true;
    m_PivotPoint.SetPosition(x, y);
}

void GraphicsSettings::SetPivotPoint(const AnchorPoint& pivot) {
    if (!m_bLinkAnchorAndPivot && !(m_PivotPoint != pivot))
        return;
    m_bLinkAnchorAndPivot = false;
    m_bDirty = true;
    m_PivotPoint = pivot;
}

void GraphicsSettings::SetPivotPoint(eAnchorPoint type) {
    m_bLinkAnchorAndPivot = false;
    m_bDirty = true;
    m_PivotPoint.SetType(type);
    m_PivotPoint.AlignToAnchorType(static_cast<float>(GetImageFrameWidth()),
                                   static_cast<float>(GetImageFrameHeight()));
}

void GraphicsSettings::SetImageFrame(ImageFrame* frame) { Share(m_pImageFrame, frame); }

void GraphicsSettings::SetPolygon(PolygonF* polygon) {
    Share(m_pPolygon, polygon);
    m_bSharedPolygon = true;
}

void GraphicsSettings::SetPolygon(const Rectangle_t<float>& rect) {
    if (!m_bSharedPolygon && m_pPolygon) {
        m_pPolygon->ResetToRect(rect);
        return;
    }
    Share(m_pPolygon, new PolygonF(rect));
    m_bSharedPolygon = false;
}

Point_t<float> GraphicsSettings::GetTransformationPivotPoint() const {
    return Point_t<float>(m_PivotPoint.GetX() - m_AnchorPoint.GetX(), m_PivotPoint.GetY() - m_AnchorPoint.GetY());
}

void GraphicsSettings::AlignAnchorPoint(float w, float h) {
    m_bDirty = true;
    m_AnchorPoint.AlignToAnchorType(w, h);
}

void GraphicsSettings::AlignPivotPoint(float w, float h) {
    m_bDirty = true;
    m_PivotPoint.AlignToAnchorType(w, h);
}

void GraphicsSettings::MapUVToPolygonPosition() {
    if (!m_pPolygon)
        return;
    if (m_pImageFrame)
        m_pPolygon->MapUVToPosition(static_cast<float>(GetImageFrameWidth()),
                                    static_cast<float>(GetImageFrameHeight()));
    else
        m_pPolygon->MapUVToPosition(m_pPolygon->GetWidth(), m_pPolygon->GetHeight());
}

bool GraphicsSettings::CreateDestPolygon(PolygonF& out) const {
    if (!m_pPolygon) {
        out.Clear();
        return false;
    }
    out = *m_pPolygon;
    Matrix3x3 m;
    if (CreateDestPolyMatrix(m))
        out.Transform(m);
    return true;
}

}  // namespace ZQ2
