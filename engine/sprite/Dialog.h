#pragma once
// A panel that takes input: a modal window whose components receive input
// while it is active, that may be dragged, and whose frame and background
// are painted once into a cached picture. Unbound buttons added to it send
// their command (or name) to its HandleCommand. Every scene is a dialog.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/iGuiMethod.h"
#include "engine/graphics/Image.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/math/Point_t.h"
#include "engine/sprite/AbstractPainter.h"
#include "engine/sprite/Panel.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

extern const char* const PROP_COMPONENTS;
extern const char* const PROP_MOVABLE;
extern const char* const PROP_USEBUFFER;
extern const char* const PROP_AUTOENLARGE;
extern const char* const PROP_AUTOCENTER;
extern const char* const PROP_PAINTER;
extern const char* const PROP_PAINTERID;
extern const char* const PROP_MINWIDTH;
extern const char* const PROP_MINHEIGHT;
extern const char* const PROP_BACKGROUND;

class Dialog : public Panel, public iInputListener {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // A press that moves farther than this many pixels starts a drag.
    static constexpr int DRAG_THRESHOLD = 3;

    enum eDragState : int { DRAG_IDLE = 0, DRAG_PRESSED = 1, DRAG_DRAGGING = 2 };

    explicit Dialog(AbstractProperty* data);
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    // The input-listener part, or what the sprite answers.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    virtual void OnActivate();
    virtual void OnDeactivate();
    // Repaints the background when needed and recomposes the cached picture.
    virtual void Update();
    bool OnMouseLeftUp(const MouseMessageData& m) override;
    bool OnMouseLeftDown(const MouseMessageData& m) override;
    // Never consumed, so the components still see every move.
    bool OnMouseMoved(const MouseMessageData& m) override;
    void ResetInputState() override;
    // Replaces only the callback of the named component; null when unknown.
    virtual GameNode* BindComponent(const std::string& name, iGuiMethod::Method callback);
    virtual GameNode* BindComponent(const std::string& name, BaseObject* target, iGuiMethod::Method callback);

    void Render(Graphics* graphics) override;
    // The size asked for passes through the painter's preferred size.
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    // With bind, every bound-callback node of the subtree that has no
    // callback yet reports to this dialog's HandleCommand.
    void AddComponent(GameNode* node, bool bind) override;
    void RemoveComponent(GameNode* node) override;

    void SetProperties(PropertyNode* data);
    void SetPainter(AbstractPainter* painter);
    void SetBackgroundImage(Image* image);
    // The components are then seen only through the cached picture.
    void SetUseBufferImage(bool use);
    void SetAutoEnlarge(bool autoEnlarge);
    // Only with a painter: the picture covers the whole screen while the
    // components stay where they were.
    void SetWorldCover(Image* image);
    void SetBackgroundDirty(bool dirty);

    bool CheckAllChildren(GameNode* node);
    static bool CheckDirty(GameNode* node, BaseObject* dialog);

    static GameNode* BindComponent(GameNode* node, iGuiMethod::Method callback);
    static GameNode* BindComponent(GameNode* node, BaseObject* target, iGuiMethod::Method callback);
    static const std::string& GetComponentName(BaseObject* object);

    // Sends the sender's command, or its name when it has none, to the
    // target dialog's HandleCommand.
    static void HandleCommand_Callback(BaseObject* target, BaseObject* sender);
    // Removes the target dialog from the current scene.
    static void CloseDialog_Callback(BaseObject* target, BaseObject* sender);

    // Told of every dialog as it goes, so that a higher layer that keeps
    // plain pointers to dialogs (the cheats bound to them) forgets it.
    using GoneHook = void (*)(Dialog* dialog);
    static void SetGoneHook(GoneHook hook) { s_pGoneHook = hook; }

    Image* GetBackgroundImage() const { return m_spBackgroundImage.Get(); }
    AbstractPainter* GetPainter() const { return m_spPainter.Get(); }
    PropertyNode* GetPropertyNode() const { return m_spPropertyNode.Get(); }
    bool IsUseBufferImage() const { return m_bUseBufferImage; }
    bool IsMovable() const { return m_bMovable; }
    void SetMovable(bool movable) { m_bMovable = movable; }
    bool IsAutoEnlarge() const { return m_bAutoEnlarge; }
    bool IsAutoCenter() const { return m_bAutoCenter; }
    void SetAutoCenter(bool autoCenter) { m_bAutoCenter = autoCenter; }
    bool IsBackgroundDirty() const { return m_bBackgroundDirty; }
    int GetDragState() const { return m_iDragState; }
    float GetRequestedWidth() const { return m_fRequestedWidth; }
    float GetRequestedHeight() const { return m_fRequestedHeight; }

private:
    void ReadPainter(PropertyNode* data);
    void ReadBackground(PropertyNode* data);
    void PaintBackground();
    void ComposeImage();
    void BindSubtree(GameNode* node);
    // Callbacks of the subtree that point here are cleared.
    void UnbindSubtree(GameNode* node);

    SmartPtr<Image> m_spBackgroundImage;
    bool m_bUseBufferImage = false;
    Point_t<float> m_LastMousePos;
    Point_t<float> m_PressPos;
    bool m_bMovable = false;
    int m_iDragState = DRAG_IDLE;
    SmartPtr<AbstractPainter> m_spPainter;
    float m_fRequestedWidth = -1.0f;
    float m_fRequestedHeight = -1.0f;
    bool m_bBackgroundDirty = false;
    bool m_bAutoEnlarge = true;
    bool m_bAutoCenter = false;
    SmartPtr<PropertyNode> m_spPropertyNode;

    static inline GoneHook s_pGoneHook = nullptr;
};

}  // namespace ZQ2
