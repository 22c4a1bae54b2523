#include "engine/sprite/Sprite.h"

#include <lua.hpp>

#include <cmath>
#include <limits>
#include <cstdio>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierLocationLine.h"
#include "engine/modifier/ModifierLuaFunction.h"
#include "engine/modifier/ModifierLuaSendCommand.h"
#include "engine/modifier/ModifierMethodParam.h"
#include "engine/modifier/ModifierRotation.h"
#include "engine/modifier/ModifierSkew.h"
#include "engine/modifier/ModifierVisible.h"
#include "engine/script/Lua.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/SpriteLuaMethods.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const Sprite::rttis[] = {&GameNode::rtti, &iRenderable::rtti, &GraphicsSettings::rtti, &iClippable::rtti,
                                     nullptr};
const RTTI Sprite::rtti("Sprite", Sprite::rttis);

ObjectInitializer Sprite::m_ObjectInitializer("Sprite", &Sprite::OnData);

const std::string g_AnchorKeywords[9] = {"topleft", "top",        "topright", "left",       "center",
                                         "right",   "bottomleft", "bottom",   "bottomright"};
const std::string g_BlendModeKeywords[7] = {"blend", "additive", "multiply", "copy", "copy_color", "buffer", ""};

const char* const PROP_WIDTH = "width";
const char* const PROP_HEIGHT = "height";
const char* const PROP_ALPHA = "alpha";
const char* const PROP_COLOR = "color";
const char* const PROP_USEALPHACHANNEL = "usealphachannel";
const char* const PROP_ROTATION = "rotation";
const char* const PROP_SKEWX = "skewx";
const char* const PROP_SKEWY = "skewy";
const char* const PROP_SCALE = "scale";
const char* const PROP_SCALEX = "scalex";
const char* const PROP_SCALEY = "scaley";
const char* const PROP_FLIP = "flip";
const char* const PROP_BLENDMODE = "blendmode";
const char* const PROP_IMAGE = "image";
const char* const PROP_SECTION = "section";
const char* const PROP_SHEETID = "sheetid";
const char* const PROP_CURRENTFRAME = "currentframe";
const char* const PROP_FRAMETIME = "frametime";
const char* const PROP_FRAMEDIRECTION = "framedirection";
const char* const PROP_ANCHORPOINT = "anchorpoint";
const char* const PROP_ANCHORPOINTX = "anchorpointx";
const char* const PROP_ANCHORPOINTY = "anchorpointy";
const char* const PROP_PIVOTPOINT = "pivotpoint";
const char* const PROP_PIVOTPOINTX = "pivotpointx";
const char* const PROP_PIVOTPOINTY = "pivotpointy";
const char* const PROP_TOOLTIP = "tooltip";
const char* const PROP_COMMAND = "command";

namespace {

const char* const kSpriteMetatable = "xov.Sprite";
const char* const kNodeMetatable = "xov.GameNode";
const char* const kSpriteScript = "Sprite.lua";
const char* const kSpriteClassTable = "Sprite";

float FloatOf(PropertyNode* data, const char* key) { return data->GetValue(key)->ToFloat(); }
int IntOf(PropertyNode* data, const char* key) { return data->GetValue(key)->ToInt(); }

// d(p) = p - L p, L being the settings' scale, skew and rotation: how far
// placing about p moves the picture compared with placing about the origin.
// Turning alone would be wrong for scaled or skewed sprites: they would jump.
Point_t<float> PlacementOffset(const GraphicsSettings& s, float px, float py) {
    const float c = std::cos(s.GetRotation());
    const float n = std::sin(s.GetRotation());
    const float sx = s.GetScaleX();
    const float sy = s.GetScaleY();
    const float kx = s.GetSkewX();
    const float ky = s.GetSkewY();
    const float lx = (c * sx - n * sy * ky) * px + (c * sx * kx - n * sy) * py;
    const float ly = (n * sx + c * sy * ky) * px + (n * sx * kx + c * sy) * py;
    return Point_t<float>(px - lx, py - ly);
}

}  // namespace

Sprite::Sprite(float x, float y, float width, float height) : GameNode(std::string()) {
    SetX(x);
    SetY(y);
    SetDimension(width, height);
    AttachLuaClass();
}

Sprite::Sprite(float x, float y, Image* image) : GameNode(std::string()) {
    SetX(x);
    SetY(y);
    SetImage(image);
    AttachLuaClass();
}

Sprite::Sprite(AbstractProperty* data) : GameNode(data) {
    if (data)
        SetProperties(data->ToNode());
    AttachLuaClass();
}

Sprite::Sprite(const Sprite& other)
    : GameNode(other),
      GraphicsSettings(other),
      iRenderable(other),
      iClippable(other),
      m_pClipPolygon(other.m_pClipPolygon),
      m_nCurrentFrame(other.m_nCurrentFrame),
      m_pImage(other.m_pImage) {
    if (other.m_pToolTipText)
        m_pToolTipText = std::make_unique<UTF8String>(*other.m_pToolTipText);
}

Sprite::~Sprite() = default;

void Sprite::AttachLuaClass() {
    SetupMetatableForObject(kSpriteMetatable, kNodeMetatable, kSpriteScript, kSpriteClassTable, g_LuaMethods);
}

BaseObject* Sprite::OnData(AbstractProperty* data) { return new Sprite(data); }

void* Sprite::QueryInterface(const RTTI& which) {
    if (&which == &GraphicsSettings::rtti)
        return static_cast<GraphicsSettings*>(this);
    if (&which == &iRenderable::rtti)
        return static_cast<iRenderable*>(this);
    if (&which == &iClippable::rtti)
        return static_cast<iClippable*>(this);
    return nullptr;
}

std::string Sprite::ToString() const {
    char position[64];
    std::snprintf(position, sizeof position, "(%.1f, %.1f) ", GetX(), GetY());
    return GameNode::ToString() + position;
}

// ---- property data

void Sprite::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_WIDTH))
        SetWidth(FloatOf(data, PROP_WIDTH));
    if (data->HasProperty(PROP_HEIGHT))
        SetHeight(FloatOf(data, PROP_HEIGHT));
    if (data->HasProperty(PROP_ALPHA))
        SetAlpha(IntOf(data, PROP_ALPHA));
    if (data->HasProperty(PROP_COLOR))
        SetColor(IntOf(data, PROP_COLOR));
    if (data->HasProperty(PROP_USEALPHACHANNEL))
        GraphicsSettings::SetUseAlphaChannel(data->GetValue(PROP_USEALPHACHANNEL)->ToBoolean());
    if (data->HasProperty(PROP_ROTATION))
        SetRotation(FloatOf(data, PROP_ROTATION));
    if (data->HasProperty(PROP_SKEWX))
        SetSkewX(FloatOf(data, PROP_SKEWX));
    if (data->HasProperty(PROP_SKEWY))
        SetSkewY(FloatOf(data, PROP_SKEWY));
    if (data->HasProperty(PROP_SCALE)) {
        SetScaleX(FloatOf(data, PROP_SCALE));
        SetScaleY(FloatOf(data, PROP_SCALE));
    } else {
        if (data->HasProperty(PROP_SCALEX))
            SetScaleX(FloatOf(data, PROP_SCALEX));
        if (data->HasProperty(PROP_SCALEY))
            SetScaleY(FloatOf(data, PROP_SCALEY));
    }
    if (data->HasProperty(PROP_FLIP)) {
        const std::string flip = data->GetPropString(PROP_FLIP);
        if (flip == "both" || flip == "horizontal")
            SetFlipImageHorizontal(true);
        if (flip == "both" || flip == "vertical")
            SetFlipImageVertical(true);
    }
    SetBlendMode(static_cast<eBlendMode>(
        PropertyStore::ParameterToInt(data, PROP_BLENDMODE, g_BlendModeKeywords, 7, GetBlendMode())));

    // The image comes after the size: its frame decides the final size.
    if (data->HasProperty(PROP_IMAGE)) {
        const std::string sheetId = data->GetPropString(PROP_SHEETID);
        SetImage(ResourceLookup::GetImage(data->GetPropString(PROP_IMAGE), data->GetPropString(PROP_SECTION),
                                          data->HasProperty(PROP_SHEETID) ? &sheetId : nullptr));
        if (m_pImage) {
            SetCurrentFrame(0);
            FitDimension();
        }
    }
    if (data->HasProperty(PROP_CURRENTFRAME))
        SetCurrentFrame(IntOf(data, PROP_CURRENTFRAME));
    ReadFrameAnimation(data);
    // Anchor and pivot come last so that they align to the final size.
    ReadAnchorAndPivot(data);

    if (data->HasProperty(PROP_TOOLTIP))
        SetToolTipText(BasicProperties::GetString(data->GetPropString(PROP_TOOLTIP)));
    if (data->HasProperty(PROP_COMMAND))
        m_strCommand = data->GetPropString(PROP_COMMAND);
}

void Sprite::ReadFrameAnimation(PropertyNode* data) {
    if (!data->HasProperty(PROP_FRAMETIME))
        return;
    const int frameTime = IntOf(data, PROP_FRAMETIME);
    ModifierFrame* animation = nullptr;
    for (Modifier* m : GetModifiers()) {
        if ((animation = DynamicCast<ModifierFrame>(m)))
            break;
    }
    if (animation && frameTime <= 0) {
        animation->SetObsolete(true);
        return;
    }
    if (!animation && frameTime < 1)
        return;
    if (animation) {
        animation->SetFrameTime(frameTime);
    } else {
        animation = new ModifierFrame(frameTime, ModifierFrame::LOOP_ENDLESS, FRAME_FORWARD);
        AddModifier(animation, true);
    }
    animation->SetDirection(static_cast<eFrameDirection>(PropertyStore::ParameterToInt(
        data, PROP_FRAMEDIRECTION, g_FrameDirectionKeywords, 3, animation->GetDirection())));
}

void Sprite::ReadAnchorAndPivot(PropertyNode* data) {
    if (data->HasProperty(PROP_ANCHORPOINT)) {
        SetAnchorPoint(static_cast<eAnchorPoint>(
            PropertyStore::ParameterToInt(data, PROP_ANCHORPOINT, g_AnchorKeywords, 9, GetAnchorPoint().GetType())));
    } else if (data->HasProperty(PROP_ANCHORPOINTX) || data->HasProperty(PROP_ANCHORPOINTY)) {
        SetAnchorPoint(FloatOf(data, PROP_ANCHORPOINTX), FloatOf(data, PROP_ANCHORPOINTY));
    }
    if (data->HasProperty(PROP_PIVOTPOINT)) {
        SetPivotPoint(static_cast<eAnchorPoint>(
            PropertyStore::ParameterToInt(data, PROP_PIVOTPOINT, g_AnchorKeywords, 9, GetPivotPoint().GetType())));
    } else if (data->HasProperty(PROP_PIVOTPOINTX) || data->HasProperty(PROP_PIVOTPOINTY)) {
        SetPivotPoint(FloatOf(data, PROP_PIVOTPOINTX), FloatOf(data, PROP_PIVOTPOINTY));
    }
}

// ---- drawing

void Sprite::Render(Graphics* graphics) {
    graphics->SetSettings(*this);
    graphics->Draw();
    graphics->SetDrawnFlag(1);
    m_bChanged = false;
}

// ---- placement

void Sprite::Moved() {
    m_bChanged = true;
    SetDirty();
}

void Sprite::SetX(float x) {
    if (x == GetX())
        return;
    m_fX = x;
    Moved();
}

void Sprite::SetY(float y) {
    if (y == GetY())
        return;
    m_fY = y;
    Moved();
}

float Sprite::GetLeft() const { return GetX() - GetAnchorPointX(); }

float Sprite::GetTop() const { return GetY() - GetAnchorPointY(); }

void Sprite::SetRotation(float rotation) {
    if (rotation == GetRotation())
        return;
    GraphicsSettings::SetRotation(rotation);
    Moved();
}

void Sprite::SetSkewX(float skew) {
    if (skew == GetSkewX())
        return;
    GraphicsSettings::SetSkewX(skew);
    Moved();
}

void Sprite::SetSkewY(float skew) {
    if (skew == GetSkewY())
        return;
    GraphicsSettings::SetSkewY(skew);
    Moved();
}

void Sprite::SetScaleX(float scale) {
    if (scale == GetScaleX())
        return;
    GraphicsSettings::SetScaleX(scale);
    Moved();
}

void Sprite::SetScaleY(float scale) {
    if (scale == GetScaleY())
        return;
    GraphicsSettings::SetScaleY(scale);
    Moved();
}

void Sprite::SetAnchorPoint(float x, float y) {
    GraphicsSettings::SetAnchorPoint(x, y);
    Moved();
}

void Sprite::SetAnchorPoint(const AnchorPoint& anchor) {
    GraphicsSettings::SetAnchorPoint(anchor);
    AlignAnchorPoint(GetWidth(), GetHeight());
    if (LinkAnchorAndPivot())
        AlignPivotPoint(GetWidth(), GetHeight());
    Moved();
}

void Sprite::SetAnchorPoint(eAnchorPoint type) {
    GraphicsSettings::SetAnchorPoint(type);
    AlignAnchorPoint(GetWidth(), GetHeight());
    if (LinkAnchorAndPivot())
        AlignPivotPoint(GetWidth(), GetHeight());
    Moved();
}

void Sprite::SetPivotPoint(float x, float y) {
    GraphicsSettings::SetPivotPoint(x, y);
    Moved();
}

void Sprite::SetPivotPoint(const AnchorPoint& pivot) {
    GraphicsSettings::SetPivotPoint(pivot);
    AlignPivotPoint(GetWidth(), GetHeight());
    Moved();
}

void Sprite::SetPivotPoint(eAnchorPoint type) {
    GraphicsSettings::SetPivotPoint(type);
    AlignPivotPoint(GetWidth(), GetHeight());
    Moved();
}

void Sprite::RelocateAnchorPoint(const AnchorPoint& anchor) {
    const float x0 = GetAnchorPointX();
    const float y0 = GetAnchorPointY();
    SetAnchorPoint(anchor);
    SetX(GetX() + GetAnchorPointX() - x0);
    SetY(GetY() + GetAnchorPointY() - y0);
}

void Sprite::RelocateAnchorPoint(eAnchorPoint type) {
    const float x0 = GetAnchorPointX();
    const float y0 = GetAnchorPointY();
    SetAnchorPoint(type);
    SetX(GetX() + GetAnchorPointX() - x0);
    SetY(GetY() + GetAnchorPointY() - y0);
}

void Sprite::RelocatePivotPoint(const AnchorPoint& pivot) {
    const Point_t<float> d0 = PlacementOffset(*this, GetPivotPointX(), GetPivotPointY());
    SetPivotPoint(pivot);
    const Point_t<float> d1 = PlacementOffset(*this, GetPivotPointX(), GetPivotPointY());
    SetX(GetX() + d0.x - d1.x);
    SetY(GetY() + d0.y - d1.y);
}

void Sprite::RelocatePivotPoint(eAnchorPoint type) {
    const Point_t<float> d0 = PlacementOffset(*this, GetPivotPointX(), GetPivotPointY());
    SetPivotPoint(type);
    const Point_t<float> d1 = PlacementOffset(*this, GetPivotPointX(), GetPivotPointY());
    SetX(GetX() + d0.x - d1.x);
    SetY(GetY() + d0.y - d1.y);
}

void Sprite::SetAlpha(int alpha) {
    if (alpha == GetAlpha())
        return;
    GraphicsSettings::SetAlpha(alpha);
    m_bChanged = true;
}

void Sprite::SetColor(int color) {
    if (color == GetColor())
        return;
    GraphicsSettings::SetColor(color);
    m_bChanged = true;
}

void Sprite::SetUseColorToFillPolygon(bool use) {
    if (use == IsUseColorToFillPolygon())
        return;
    GraphicsSettings::SetUseColorToFillPolygon(use);
    m_bChanged = true;
}

void Sprite::SetObsolete(bool obsolete) {
    if (obsolete == IsObsolete())
        return;
    GameNode::SetObsolete(obsolete);
    m_bChanged = true;
}

void Sprite::SetVisible(bool visible) {
    if (visible == IsVisible())
        return;
    GameNode::SetVisible(visible);
    m_bChanged = true;
}

// ---- size

float Sprite::GetWidth() const { return GetPolygon() ? GetPolygon()->GetWidth() : 0.0f; }

float Sprite::GetHeight() const { return GetPolygon() ? GetPolygon()->GetHeight() : 0.0f; }

void Sprite::SetWidth(float width) { SetDimension(width, GetHeight()); }

void Sprite::SetHeight(float height) { SetDimension(GetWidth(), height); }

void Sprite::SetDimension(float width, float height) {
    if (width == GetWidth() && height == GetHeight())
        return;
    if (width > 0.0f || height > 0.0f)
        SetPolygon(Rectangle_t<float>(0.0f, 0.0f, width, height));
    else
        SetPolygon(static_cast<PolygonF*>(nullptr));
    AlignAnchorAndPivot(width, height);
}

void Sprite::FitDimension() {
    if (!GetImageFrame()) {
        SetDimension(0.0f, 0.0f);
        return;
    }
    const auto width = static_cast<float>(GetImageFrameWidth());
    const auto height = static_cast<float>(GetImageFrameHeight());
    SetPolygon(Rectangle_t<float>(0.0f, 0.0f, width, height));
    AlignAnchorAndPivot(width, height);
}

void Sprite::AlignAnchorAndPivot(float width, float height) {
    AlignAnchorPoint(width, height);
    AlignPivotPoint(width, height);
    Moved();
}

// ---- image and frame

void Sprite::SetImage(Image* image) {
    if (image == m_pImage.Get())
        return;
    m_pImage = image;
    SetImageFrame(image ? image->GetFrame() : nullptr);
    FitDimension();
    SetCurrentFrame(0);
    m_bChanged = true;
}

void Sprite::SetCurrentFrame(int frame) {
    if (frame == m_nCurrentFrame)
        return;
    m_nCurrentFrame = frame;
    if (m_pImage)
        SetImageFrame(m_pImage->GetFrame(frame));
    m_bChanged = true;
}

void Sprite::LastFrame() { SetCurrentFrame((m_pImage ? m_pImage->GetFrameCount() : 1) - 1); }

// ---- clipping

void Sprite::SetClipPolygon(PolygonF* polygon) {
    m_pClipPolygon = polygon;
    m_bChanged = true;
}

void Sprite::SetClipPolygon(const Rectangle_t<float>& rect) { SetClipPolygon(new PolygonF(rect)); }

void Sprite::SetClipRect(float x, float y, float width, float height) {
    SetClipPolygon(Rectangle_t<float>(x, y, width, height));
}

// ---- texts

void Sprite::SetToolTipText(const std::string& text) {
    if (text.empty()) {
        m_pToolTipText.reset();
        return;
    }
    if (m_pToolTipText)
        m_pToolTipText->assign(text);
    else
        m_pToolTipText = std::make_unique<UTF8String>(text);
}

// ---- geometry of the node

Point_t<float> Sprite::ToLocal(float x, float y) {
    const Point_t<float> p = GameNode::ToLocal(x, y);
    return Point_t<float>(p.x + GetAnchorPointX(), p.y + GetAnchorPointY());
}

Point_t<float> Sprite::ToGlobal(float x, float y) {
    return GameNode::ToGlobal(x - GetAnchorPointX(), y - GetAnchorPointY());
}

void Sprite::BuildToLocalTransformation(Matrix3x3& m) { m *= GetInvTransformationMatrix(); }

void Sprite::BuildToGlobalTransformation(Matrix3x3& m) { m *= GetTransformationMatrix(); }

Region_t<float> Sprite::CalculateBoundingBox(const Matrix3x3& m) {
    if (!GetPolygon())
        return g_EmptyRegionF;
    Matrix3x3 placed(m);
    CreateDestPolyMatrix(placed);
    // Placed by the whole matrix, the caller's part included, even when the
    // sprite adds nothing of its own to it.
    PolygonF box(*GetPolygon());
    box.Transform(placed);
    return Region_t<float>(box.GetBoundingRect());
}

bool Sprite::IsInside(float x, float y) {
    if (!GetPolygon())
        return false;
    const Point_t<float> local = ToLocal(x, y);
    return GetPolygon()->Contains(PolygonPointF(local.x, local.y));
}


// ---- scripting

namespace {

constexpr double kRadiansPerDegree = 0.017453292;

// Script numbers may be anything: NaN counts as 0, the rest is held to int.
int ToInt(double value) {
    if (!(value == value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// What a step table asks for, read before anything is made: reading may
// raise a Lua error, which must not jump over objects with destructors.
struct StepFields {
    const char* m_szStyle = "";
    size_t m_nStyleLength = 0;
    bool m_bMove = false;
    double m_dX = 0.0;
    double m_dY = 0.0;
    bool m_bAlpha = false;
    double m_dAlpha = 0.0;
    bool m_bRotation = false;
    double m_dRotation = 0.0;
    bool m_bTurn = false;
    double m_dTurn = 0.0;
    bool m_bSkew = false;
    double m_dSkewX = 0.0;
    double m_dSkewY = 0.0;
    bool m_bFrame = false;
    double m_dFrame = 0.0;
    bool m_bVisibility = false;
    bool m_bVisible = false;
    int m_nCallReference = LUA_NOREF;
    GameNode* m_pTarget = nullptr;
    const char* m_szCommand = nullptr;
    size_t m_nCommandLength = 0;
    bool m_bDelay = false;
    double m_dDelay = 0.0;
};

// Pushes the table's own field (no metamethods); true when it is not nil.
bool PushField(lua_State* L, int table, const char* name) {
    lua_pushstring(L, name);
    lua_rawget(L, table);
    return !lua_isnil(L, -1);
}

// The field's number (Lua's conversion: a text that is no number is 0),
// added to value; false when the field is absent.
bool AddNumberField(lua_State* L, int table, const char* name, double& value, bool replace) {
    const bool present = PushField(L, table, name);
    if (present)
        value = (replace ? 0.0 : value) + lua_tonumber(L, -1);
    lua_pop(L, 1);
    return present;
}

bool NumberField(lua_State* L, int table, const char* name, double& value) {
    return AddNumberField(L, table, name, value, true);
}

// Texts stay on the stack, where their characters live, until the caller
// restores the stack.
bool TextField(lua_State* L, int table, const char* name, const char*& text, size_t& length) {
    if (!PushField(L, table, name) || !lua_isstring(L, -1)) {
        lua_pop(L, 1);
        return false;
    }
    text = lua_tolstring(L, -1, &length);
    return true;
}

void ReadStepFields(lua_State* L, int table, Sprite& sprite, StepFields& f) {
    luaL_checkstack(L, 8, "animation step");
    TextField(L, table, "style", f.m_szStyle, f.m_nStyleLength);

    f.m_dX = sprite.GetX();
    f.m_dY = sprite.GetY();
    f.m_bMove |= NumberField(L, table, "x", f.m_dX);
    f.m_bMove |= NumberField(L, table, "y", f.m_dY);
    f.m_bMove |= AddNumberField(L, table, "dx", f.m_dX, false);
    f.m_bMove |= AddNumberField(L, table, "dy", f.m_dY, false);

    f.m_bAlpha = NumberField(L, table, "alpha", f.m_dAlpha);
    f.m_bRotation = NumberField(L, table, "rotation", f.m_dRotation);
    f.m_bTurn = NumberField(L, table, "drotation", f.m_dTurn);

    double skew = 0.0;
    f.m_dSkewX = sprite.GetSkewX();
    f.m_dSkewY = sprite.GetSkewY();
    if (NumberField(L, table, "skew", skew)) {
        f.m_bSkew = true;
        f.m_dSkewX = f.m_dSkewY = skew * kRadiansPerDegree;
    }
    for (const char* name : {"skewx", "skewX"}) {
        if (NumberField(L, table, name, skew)) {
            f.m_bSkew = true;
            f.m_dSkewX = skew * kRadiansPerDegree;
        }
    }
    for (const char* name : {"skewy", "skewY"}) {
        if (NumberField(L, table, name, skew)) {
            f.m_bSkew = true;
            f.m_dSkewY = skew * kRadiansPerDegree;
        }
    }

    if (PushField(L, table, "frame") && lua_isnumber(L, -1)) {
        f.m_bFrame = true;
        f.m_dFrame = lua_tonumber(L, -1);
    }
    lua_pop(L, 1);
    if (PushField(L, table, "visible")) {
        f.m_bVisibility = true;
        f.m_bVisible = lua_toboolean(L, -1) != 0;
    }
    lua_pop(L, 1);

    if (PushField(L, table, "target"))
        f.m_pTarget = Sprite::CheckLuaSprite(L, -1, 1);
    lua_pop(L, 1);
    TextField(L, table, "command", f.m_szCommand, f.m_nCommandLength);
    f.m_bDelay = NumberField(L, table, "delay", f.m_dDelay);

    // Last: once the function is referenced, nothing may raise any more.
    if (PushField(L, table, "call") && lua_isfunction(L, -1))
        f.m_nCallReference = luaL_ref(L, LUA_REGISTRYINDEX);
    else
        lua_pop(L, 1);
}

}  // namespace

Sprite* Sprite::CheckLuaSprite(lua_State* L, int index, int argument) {
    if (lua_type(L, index) != LUA_TTABLE)
        luaL_typerror(L, argument, lua_typename(L, LUA_TTABLE));
    GameNode* node = Lua::ToGameNode(L, index);
    if (!node)
        luaL_argerror(L, argument, "not a C++ object");
    auto* sprite = DynamicCast<Sprite>(static_cast<BaseObject*>(node));
    if (!sprite)
        luaL_argerror(L, argument, "not a Sprite");
    return sprite;
}

int Sprite::glue_addSequentialAnimation(lua_State* L) {
    Sprite* sprite = CheckLuaSprite(L, 1, 1);
    if (lua_gettop(L) != 3)
        luaL_argerror(L, 1, "wrong number of arguments");
    luaL_checktype(L, 3, LUA_TTABLE);
    const bool first = lua_tonumber(L, 2) == 1.0;
    Sprite* stepSprite = sprite;
    if (PushField(L, 3, "sprite"))
        stepSprite = CheckLuaSprite(L, -1, 1);
    lua_pop(L, 1);
    double duration = 0.0;
    NumberField(L, 3, "duration", duration);

    LuaAnimationChain::BeginStep(first);
    Modifier* last = stepSprite->AddLuaAnimation(L, ToInt(duration));
    LuaAnimationChain::EndStep(last);
    lua_settop(L, 3);
    return 1;
}

Modifier* Sprite::AddLuaAnimation(lua_State* L, int durationMs) {
    if (!L || !lua_istable(L, -1))
        return nullptr;
    const int top = lua_gettop(L);
    StepFields f;
    ReadStepFields(L, top, *this, f);

    Modifier* last = nullptr;
    auto add = [&](Modifier* m) {
        if (Modifier* linked = AddLuaModifier(m, durationMs))
            last = linked;
    };
    const UTF8String style(std::string(f.m_szStyle, f.m_nStyleLength));
    const bool ease = style == "easeInOut";
    if (f.m_bMove)
        add(MotionModifier(L, static_cast<float>(f.m_dX), static_cast<float>(f.m_dY), durationMs, style));
    if (f.m_bAlpha)
        add(new ModifierAlpha(GetAlpha(), ToInt(f.m_dAlpha * 255.0), durationMs));
    const auto turnTo = [&](double radians) {
        const auto angle = static_cast<float>(radians);
        if (durationMs == 0)
            add(new ModifierMethodParam<Sprite, float>(this, &Sprite::SetRotation, angle));
        else
            add(new ModifierRotation(GetRotation(), angle, durationMs));
    };
    if (f.m_bRotation)
        turnTo(f.m_dRotation * kRadiansPerDegree);
    if (f.m_bTurn)
        turnTo(GetRotation() + f.m_dTurn * kRadiansPerDegree);
    if (f.m_bSkew)
        add(new ModifierSkew(GetSkewX(), GetSkewY(), static_cast<float>(f.m_dSkewX), static_cast<float>(f.m_dSkewY),
                             durationMs, ease));
    if (f.m_bFrame)
        add(new ModifierMethodParam<Sprite, int>(this, &Sprite::SetCurrentFrame, ToInt(f.m_dFrame)));
    if (f.m_bVisibility)
        add(new ModifierVisible(f.m_bVisible));
    if (f.m_nCallReference != LUA_NOREF && f.m_nCallReference != LUA_REFNIL)
        add(new ModifierLuaFunction(f.m_nCallReference));
    if (f.m_szCommand)
        add(new ModifierLuaSendCommand(f.m_pTarget ? f.m_pTarget : this,
                                       std::string(f.m_szCommand, f.m_nCommandLength), this));
    if (f.m_bDelay)
        add(new ModifierDelay(ToInt(f.m_dDelay)));
    lua_settop(L, top);
    return last;
}

Modifier* Sprite::MotionModifier(lua_State*, float x, float y, int durationMs, const UTF8String& style) {
    return new ModifierLocationLine(GetX(), GetY(), x, y, durationMs, style == "easeInOut");
}

Modifier* Sprite::AddLuaModifier(Modifier* m, int durationMs) { return LuaAnimationChain::Link(m, this, durationMs); }

}  // namespace ZQ2
