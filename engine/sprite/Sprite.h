#pragma once
// The engine's visual node: a game node that is its own draw settings and
// shows one frame of an image in a rectangle from its origin, optionally
// clipped. Buttons, labels, panels, dialogs and every visible game object
// derive from it. Built in code or from property data.
#include <memory>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/graphics/GraphicsSettings.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/math/PolygonF.h"
#include "engine/math/Rectangle_t.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/iClippable.h"
#include "engine/sprite/iRenderable.h"

namespace ZQ2 {

class AbstractProperty;
class Graphics;
class Image;
class Modifier;
class PropertyNode;

// The nine named anchor positions, indexed by eAnchorPoint.
extern const std::string g_AnchorKeywords[9];
// The blend-mode words of sprite data, indexed by eBlendMode; the last is
// the empty text.
extern const std::string g_BlendModeKeywords[7];

extern const char* const PROP_WIDTH;
extern const char* const PROP_HEIGHT;
extern const char* const PROP_ALPHA;
extern const char* const PROP_COLOR;
extern const char* const PROP_USEALPHACHANNEL;
extern const char* const PROP_ROTATION;
extern const char* const PROP_SKEWX;
extern const char* const PROP_SKEWY;
extern const char* const PROP_SCALE;
extern const char* const PROP_SCALEX;
extern const char* const PROP_SCALEY;
extern const char* const PROP_FLIP;
extern const char* const PROP_BLENDMODE;
extern const char* const PROP_IMAGE;
extern const char* const PROP_SECTION;
extern const char* const PROP_SHEETID;
extern const char* const PROP_CURRENTFRAME;
extern const char* const PROP_FRAMETIME;
extern const char* const PROP_FRAMEDIRECTION;
extern const char* const PROP_ANCHORPOINT;
extern const char* const PROP_ANCHORPOINTX;
extern const char* const PROP_ANCHORPOINTY;
extern const char* const PROP_PIVOTPOINT;
extern const char* const PROP_PIVOTPOINTX;
extern const char* const PROP_PIVOTPOINTY;
extern const char* const PROP_TOOLTIP;
extern const char* const PROP_COMMAND;

class Sprite : public GameNode, public GraphicsSettings, public iRenderable, public iClippable {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    Sprite(float x, float y, float width, float height);
    Sprite(float x, float y, Image* image);
    // The node's keys, then the sprite's (SetProperties).
    explicit Sprite(AbstractProperty* data);
    // Shares the clip polygon and the image; the command is not copied.
    Sprite(const Sprite& other);
    Sprite& operator=(const Sprite&) = delete;
    ~Sprite() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    // The draw-settings, renderable and clippable parts; nothing else.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }
    std::string ToString() const override;

    // Applies the keys of a sprite's data in their fixed order: size, colour,
    // placement, flips, blend mode, image (which refits the size), frame,
    // frame animation, anchor and pivot (aligned to the final size), tooltip,
    // command.
    void SetProperties(PropertyNode* data);

    // Hands its settings to the context and draws its frame.
    void Render(Graphics* graphics) override;

    // ---- placement. Every effective change flags the sprite changed; those
    // that move or reshape it also make its matrices stale.
    void SetX(float x) override;
    void SetY(float y) override;
    float GetDestX() const override { return GetX(); }
    float GetDestY() const override { return GetY(); }
    // The rectangle's top-left corner in the parent's frame.
    virtual float GetLeft() const;
    virtual float GetTop() const;
    void SetRotation(float rotation) override;
    void SetSkewX(float skew) override;
    void SetSkewY(float skew) override;
    void SetScaleX(float scale) override;
    void SetScaleY(float scale) override;

    // Named anchors and pivots are placed in the sprite's rectangle.
    void SetAnchorPoint(float x, float y) override;
    void SetAnchorPoint(const AnchorPoint& anchor) override;
    void SetAnchorPoint(eAnchorPoint type) override;
    void SetPivotPoint(float x, float y) override;
    void SetPivotPoint(const AnchorPoint& pivot) override;
    void SetPivotPoint(eAnchorPoint type) override;
    // Change the anchor or pivot without moving the picture on screen.
    virtual void RelocateAnchorPoint(const AnchorPoint& anchor);
    virtual void RelocateAnchorPoint(eAnchorPoint type);
    virtual void RelocatePivotPoint(const AnchorPoint& pivot);
    virtual void RelocatePivotPoint(eAnchorPoint type);

    void SetAlpha(int alpha) override;
    void SetColor(int color) override;
    void SetUseColorToFillPolygon(bool use) override;
    void SetObsolete(bool obsolete) override;
    void SetVisible(bool visible) override;

    // ---- size: the local polygon, a rectangle from (0, 0).
    float GetWidth() const;
    float GetHeight() const;
    virtual void SetWidth(float width);
    virtual void SetHeight(float height);
    // Both at 0 or below: no polygon (nothing to draw or hit).
    virtual void SetDimension(float width, float height);
    // The current frame's size, or none without a frame.
    void FitDimension();

    // ---- image and frame.
    Image* GetImage() const { return m_pImage.Get(); }
    // Shows the image's first frame and takes its size.
    virtual void SetImage(Image* image);
    int GetCurrentFrame() const { return m_nCurrentFrame; }
    // An index outside the image leaves nothing to draw.
    virtual void SetCurrentFrame(int frame);
    void LastFrame();

    // ---- clipping, in the frame the sprite is placed in.
    PolygonF* GetClipPolygon() override { return m_pClipPolygon.Get(); }
    void SetClipPolygon(PolygonF* polygon);
    void SetClipPolygon(const Rectangle_t<float>& rect);
    void SetClipRect(float x, float y, float width, float height);

    // ---- texts.
    // An empty text removes the tooltip.
    virtual void SetToolTipText(const std::string& text);
    const UTF8String* GetToolTipText() const { return m_pToolTipText.get(); }
    const std::string& GetCommand() const { return m_strCommand; }
    void SetCommand(const std::string& command) { m_strCommand = command; }

    bool IsChanged() const { return m_bChanged; }
    void SetChanged(bool changed) { m_bChanged = changed; }

    // ---- geometry of the node. Local (0, 0) is the rectangle's top-left
    // corner; the placement steps are the sprite's own matrices.
    Point_t<float> ToLocal(float x, float y) override;
    Point_t<float> ToGlobal(float x, float y) override;
    void BuildToLocalTransformation(Matrix3x3& m) override;
    void BuildToGlobalTransformation(Matrix3x3& m) override;
    using GameNode::BuildToGlobalTransformation;
    using GameNode::BuildToLocalTransformation;
    Region_t<float> CalculateBoundingBox(const Matrix3x3& m) override;
    using GameNode::CalculateBoundingBox;
    bool IsInside(float x, float y) override;

    // ---- scripting. Scripts see a sprite through the class "xov.Sprite".
    // The sprite at the script's argument index, or the Lua errors "not a
    // C++ object" and "not a Sprite" against argument (which names the
    // argument the value came from).
    static Sprite* CheckLuaSprite(lua_State* L, int index, int argument);
    // addSequentialAnimation(sprite, step number, step table).
    static int glue_addSequentialAnimation(lua_State* L);
    // Turns the step table on top of L's stack into modifiers run by this
    // sprite, linked into the script animation chain; the last one linked,
    // or null. Raises Lua errors only before it makes anything.
    virtual Modifier* AddLuaAnimation(lua_State* L, int durationMs);
    // A straight move from the current position, eased for "easeInOut".
    virtual Modifier* MotionModifier(lua_State* L, float x, float y, int durationMs, const UTF8String& style);
    // Links m for this sprite into the chain; m when linked, else null (and
    // m is gone).
    Modifier* AddLuaModifier(Modifier* m, int durationMs);

protected:
    bool m_bChanged = true;

private:
    // Gives the sprite's Lua table the sprite class.
    void AttachLuaClass();
    // Marks the sprite changed and its matrices stale.
    void Moved();
    void AlignAnchorAndPivot(float width, float height);
    // "frametime" tunes, stops or starts the frame animation; "framedirection"
    // then turns it.
    void ReadFrameAnimation(PropertyNode* data);
    void ReadAnchorAndPivot(PropertyNode* data);

    SmartPtr<PolygonF> m_pClipPolygon;
    int m_nCurrentFrame = 0;
    std::unique_ptr<UTF8String> m_pToolTipText;
    SmartPtr<Image> m_pImage;
    std::string m_strCommand;
};

}  // namespace ZQ2
