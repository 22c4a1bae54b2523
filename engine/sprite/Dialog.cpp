#include "engine/sprite/Dialog.h"

#include <cmath>
#include <cstdlib>

#include "engine/framework/GameWindow.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/DataManager.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/SceneStandIn.h"
#include "engine/sprite/TaskRender.h"

namespace ZQ2 {

const RTTI* const Dialog::rttis[] = {&Panel::rtti, &iInputListener::rtti, nullptr};
const RTTI Dialog::rtti("Dialog", Dialog::rttis);

ObjectInitializer Dialog::m_ObjectInitializer("Dialog", &Dialog::OnData);

const char* const PROP_COMPONENTS = "components";
const char* const PROP_MOVABLE = "movable";
const char* const PROP_USEBUFFER = "usebuffer";
const char* const PROP_AUTOENLARGE = "autoenlarge";
const char* const PROP_AUTOCENTER = "autocenter";
const char* const PROP_PAINTER = "painter";
const char* const PROP_PAINTERID = "painterid";
const char* const PROP_MINWIDTH = "minwidth";
const char* const PROP_MINHEIGHT = "minheight";
const char* const PROP_BACKGROUND = "background";

namespace {

// The value's number; a missing key reads as the empty value, 0.
float FloatOf(PropertyNode* data, const char* key) {
    PropertyValue* value = data->GetValue(key);
    return value ? value->ToFloat() : 0.0f;
}

bool BoolOf(PropertyNode* data, const char* key) {
    PropertyValue* value = data->GetValue(key);
    return value && value->ToBoolean();
}

// A fresh render-target picture; null without a renderer.
Image* NewTargetImage(int width, int height) {
    if (!Renderer::g_Instance || width <= 0 || height <= 0)
        return nullptr;
    return Renderer::g_Instance->CreateImageUnmanaged(width, height, true, 1, 1);
}

bool SameSize(const ImageFrame* frame, float width, float height) {
    return frame && frame->GetWidth() == static_cast<int>(width) && frame->GetHeight() == static_cast<int>(height);
}

}  // namespace

Dialog::Dialog(AbstractProperty* data) : Panel(data) {
    SetExclusiveInput(true);
    SetChildrenReceiveInput(false);
    PropertyNode* node = data ? data->ToNode() : nullptr;
    if (!node)
        return;
    m_spPropertyNode = node;
    if (node->HasProperty(PROP_COMPONENTS))
        AddComponents(node->GetVector(PROP_COMPONENTS), true);
    SetProperties(node);
}

// Components may outlive the dialog (a script or game code may hold them):
// none of them may call it afterwards.
Dialog::~Dialog() {
    UnbindSubtree(GetComponentRoot());
    if (s_pGoneHook)
        s_pGoneHook(this);
}

BaseObject* Dialog::OnData(AbstractProperty* data) { return new Dialog(data); }

void* Dialog::QueryInterface(const RTTI& which) {
    if (&which == &iInputListener::rtti)
        return static_cast<iInputListener*>(this);
    return Panel::QueryInterface(which);
}

// ---- property data

void Dialog::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_MOVABLE))
        m_bMovable = BoolOf(data, PROP_MOVABLE);
    if (data->HasProperty(PROP_USEBUFFER))
        SetUseBufferImage(BoolOf(data, PROP_USEBUFFER));
    if (data->HasProperty(PROP_AUTOENLARGE))
        SetAutoEnlarge(BoolOf(data, PROP_AUTOENLARGE));
    if (data->HasProperty(PROP_AUTOCENTER))
        m_bAutoCenter = BoolOf(data, PROP_AUTOCENTER);
    ReadPainter(data);
    ReadBackground(data);
}

void Dialog::ReadPainter(PropertyNode* data) {
    m_spPainter = nullptr;
    SmartPtr<BaseObject> built;
    if (data->HasProperty(PROP_PAINTER))
        built = ObjectFactory::Instance()->CreateObject(data->GetNode(PROP_PAINTER));
    else if (data->HasProperty(PROP_PAINTERID) && DataManager::g_Instance)
        built = DataManager::g_Instance->ConstructBlueprintObject(data->GetPropString(PROP_PAINTERID));
    AbstractPainter* painter = DynamicCast<AbstractPainter>(built.Get());
    if (!painter) {
        m_fRequestedWidth = GetWidth();
        m_fRequestedHeight = GetHeight();
        return;
    }
    // The size the data gave is the request until a minimum asks for more;
    // without it the painter would size the dialog from nothing.
    if (m_fRequestedWidth < 0.0f)
        m_fRequestedWidth = GetWidth();
    if (m_fRequestedHeight < 0.0f)
        m_fRequestedHeight = GetHeight();
    SetPainter(painter);
    if (!m_bAutoEnlarge)
        return;
    SetWidth(FloatOf(data, PROP_MINWIDTH));
    SetHeight(FloatOf(data, PROP_MINHEIGHT));
}

void Dialog::ReadBackground(PropertyNode* data) {
    if (!data->HasProperty(PROP_BACKGROUND))
        return;
    const std::string section = data->HasProperty(PROP_SECTION) ? data->GetPropString(PROP_SECTION) : std::string();
    SetBackgroundImage(ResourceLookup::GetImage(data->GetPropString(PROP_BACKGROUND), section, nullptr));
    ImageFrame* frame = m_spBackgroundImage ? m_spBackgroundImage->GetFrame() : nullptr;
    if (!frame)
        return;
    SetWidth(static_cast<float>(frame->GetWidth()));
    SetHeight(static_cast<float>(frame->GetHeight()));
}

// ---- settings

void Dialog::SetPainter(AbstractPainter* painter) {
    if (painter == m_spPainter.Get())
        return;
    m_spPainter = painter;
    if (painter)
        painter->SetRepaint(true);
    else
        SetBackgroundDirty(true);
    SetWidth(m_fRequestedWidth);
    SetHeight(m_fRequestedHeight);
    SetChanged(true);
}

void Dialog::SetWidth(float width) {
    m_fRequestedWidth = width;
    Panel::SetWidth(m_bAutoEnlarge && m_spPainter ? m_spPainter->GetPreferredWidth(width) : width);
    SetBackgroundDirty(true);
}

void Dialog::SetHeight(float height) {
    m_fRequestedHeight = height;
    Panel::SetHeight(m_bAutoEnlarge && m_spPainter ? m_spPainter->GetPreferredHeight(height) : height);
    SetBackgroundDirty(true);
}

void Dialog::SetAutoEnlarge(bool autoEnlarge) {
    if (autoEnlarge == m_bAutoEnlarge)
        return;
    m_bAutoEnlarge = autoEnlarge;
    SetDimension(GetWidth(), GetHeight());
}

void Dialog::SetBackgroundImage(Image* image) {
    if (image == m_spBackgroundImage.Get())
        return;
    m_spBackgroundImage = image;
    SetBackgroundDirty(true);
}

void Dialog::SetUseBufferImage(bool use) {
    if (use == m_bUseBufferImage)
        return;
    GetComponentRoot()->SetVisible(!use);
    m_bUseBufferImage = use;
    SetBackgroundDirty(true);
}

void Dialog::SetBackgroundDirty(bool dirty) {
    if (dirty == m_bBackgroundDirty)
        return;
    m_bBackgroundDirty = dirty;
    SetChanged(true);
}

void Dialog::SetWorldCover(Image* image) {
    if (!m_spPainter)
        return;
    m_spPainter->SetWorldCover(image);
    GetComponentRoot()->SetLocation(GetX(), GetY());
    SetLocation(0.0f, 0.0f);
}

// ---- components and binding

void Dialog::AddComponent(GameNode* node, bool bind) {
    if (!node)
        return;
    Panel::AddComponent(node, bind);
    SetBackgroundDirty(true);
    if (bind)
        BindSubtree(node);
}

void Dialog::RemoveComponent(GameNode* node) {
    Panel::RemoveComponent(node);
    SetBackgroundDirty(true);
}

void Dialog::BindSubtree(GameNode* node) {
    iGuiMethod* method = ZQ2::QueryInterface<iGuiMethod>(node);
    if (method && !method->GetMethod())
        method->SetTargetAndMethod(this, &Dialog::HandleCommand_Callback);
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        BindSubtree(child);
}

void Dialog::UnbindSubtree(GameNode* node) {
    if (!node)
        return;
    iGuiMethod* method = ZQ2::QueryInterface<iGuiMethod>(node);
    if (method && method->GetTarget() == this)
        method->SetTargetAndMethod(nullptr, nullptr);
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        UnbindSubtree(child);
}

GameNode* Dialog::BindComponent(GameNode* node, iGuiMethod::Method callback) {
    if (iGuiMethod* method = ZQ2::QueryInterface<iGuiMethod>(node))
        method->SetTargetAndMethod(method->GetTarget(), callback);
    return node;
}

GameNode* Dialog::BindComponent(GameNode* node, BaseObject* target, iGuiMethod::Method callback) {
    if (iGuiMethod* method = ZQ2::QueryInterface<iGuiMethod>(node))
        method->SetTargetAndMethod(target, callback);
    return node;
}

GameNode* Dialog::BindComponent(const std::string& name, iGuiMethod::Method callback) {
    GameNode* node = GetComponent(name);
    return node ? BindComponent(node, callback) : nullptr;
}

GameNode* Dialog::BindComponent(const std::string& name, BaseObject* target, iGuiMethod::Method callback) {
    GameNode* node = GetComponent(name);
    return node ? BindComponent(node, target, callback) : nullptr;
}

const std::string& Dialog::GetComponentName(BaseObject* object) {
    static const std::string empty;
    const GameNode* node = DynamicCast<GameNode>(object);
    return node ? node->GetName() : empty;
}

void Dialog::HandleCommand_Callback(BaseObject* target, BaseObject* sender) {
    Dialog* dialog = DynamicCast<Dialog>(target);
    if (!dialog)
        return;
    const Sprite* sprite = DynamicCast<Sprite>(sender);
    const std::string command =
        sprite && !sprite->GetCommand().empty() ? sprite->GetCommand() : GetComponentName(sender);
    // A handler that closes its own dialog must not pull it away under itself.
    SmartPtr<Dialog> keepAlive(dialog->GetRefCount() > 0 ? dialog : nullptr);
    dialog->HandleCommand(command, DynamicCast<GameNode>(sender));
}

void Dialog::CloseDialog_Callback(BaseObject* target, BaseObject*) {
    RemoveDialogFromCurrentScene(DynamicCast<Dialog>(target));
}

// ---- activation and input

void Dialog::OnActivate() {
    if (m_bAutoCenter && GameWindow::g_Instance) {
        const auto width = static_cast<float>(GameWindow::g_Instance->GetWidth());
        const auto height = static_cast<float>(GameWindow::g_Instance->GetHeight());
        SetLocation(std::floor(0.5f * (width - GetWidth())), std::floor(0.5f * (height - GetHeight())));
    }
    SetBackgroundDirty(true);
    SetChildrenReceiveInput(true);
}

void Dialog::OnDeactivate() { SetChildrenReceiveInput(false); }

bool Dialog::OnMouseLeftDown(const MouseMessageData& m) {
    if (!IsInside(m.GetX(), m.GetY()))
        return false;
    if (!m_bMovable)
        return true;
    m_iDragState = DRAG_PRESSED;
    m_PressPos = m.GetPosition();
    m_LastMousePos = m.GetPosition();
    return true;
}

bool Dialog::OnMouseMoved(const MouseMessageData& m) {
    if (m_iDragState == DRAG_PRESSED) {
        const float dx = std::trunc(m.GetX()) - m_PressPos.x;
        const float dy = std::trunc(m.GetY()) - m_PressPos.y;
        if (std::fabs(dx) > DRAG_THRESHOLD || std::fabs(dy) > DRAG_THRESHOLD) {
            SetChildrenReceiveInput(false);
            m_iDragState = DRAG_DRAGGING;
        }
    }
    if (m_iDragState == DRAG_DRAGGING) {
        SetX(GetX() + m.GetX() - m_LastMousePos.x);
        SetY(GetY() + m.GetY() - m_LastMousePos.y);
        m_LastMousePos = m.GetPosition();
    }
    return false;
}

bool Dialog::OnMouseLeftUp(const MouseMessageData& m) {
    if (m_iDragState == DRAG_PRESSED) {
        m_iDragState = DRAG_IDLE;
        return IsInside(m.GetX(), m.GetY());
    }
    if (m_iDragState == DRAG_DRAGGING) {
        SetChildrenReceiveInput(true);
        m_iDragState = DRAG_IDLE;
        return true;
    }
    return false;
}

void Dialog::ResetInputState() { m_iDragState = DRAG_IDLE; }

// ---- drawing

bool Dialog::CheckDirty(GameNode* node, BaseObject* dialog) {
    const Sprite* sprite = DynamicCast<Sprite>(node);
    if (!sprite || sprite->IsObsolete() || !sprite->IsChanged())
        return false;
    const Dialog* owner = DynamicCast<Dialog>(dialog);
    return sprite->IsVisible() || (owner && node == owner->GetComponentRoot());
}

bool Dialog::CheckAllChildren(GameNode* node) {
    if (!node)
        return false;
    if (CheckDirty(node, this))
        return true;
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (CheckAllChildren(child))
            return true;
    }
    return false;
}

void Dialog::Render(Graphics* graphics) {
    if (m_bUseBufferImage && CheckAllChildren(GetComponentRoot()))
        SetBackgroundDirty(true);
    if (m_bBackgroundDirty || (m_spPainter && m_spPainter->IsRepaint()))
        Update();
    Panel::Render(graphics);
}

void Dialog::Update() {
    if (m_spPainter) {
        if (m_spBackgroundImage && !m_spBackgroundImage->GetFrame())
            return;
        PaintBackground();
    }
    if (m_spBackgroundImage && m_bBackgroundDirty)
        ComposeImage();
    else
        SetBackgroundDirty(false);
}

void Dialog::PaintBackground() {
    int width = static_cast<int>(GetWidth());
    int height = static_cast<int>(GetHeight());
    const bool cover = m_spPainter->HasWorldCover();
    if (cover && Renderer::g_Instance) {
        width = Renderer::g_Instance->GetRenderWidth();
        height = Renderer::g_Instance->GetRenderHeight();
    }
    if (!m_spBackgroundImage || !SameSize(m_spBackgroundImage->GetFrame(), width, height)) {
        m_spBackgroundImage = NewTargetImage(width, height);
        m_spPainter->SetRepaint(true);
    }
    if (!m_spBackgroundImage || !m_spPainter->IsRepaint())
        return;
    SmartPtr<Graphics> graphics(m_spBackgroundImage->CreateGraphics());
    if (!graphics || !graphics->BeginBatch())
        return;
    const Rectangle_t<float> area = cover ? Rectangle_t<float>(GetComponentRoot()->GetX(), GetComponentRoot()->GetY(),
                                                               GetWidth(), GetHeight())
                                          : Rectangle_t<float>(0.0f, 0.0f, 0.0f, 0.0f);
    m_spPainter->Render(graphics.Get(), area);
    const bool completed = graphics->EndBatch();
    m_spPainter->SetRepaint(!completed);
    if (completed)
        SetBackgroundDirty(true);
}

void Dialog::ComposeImage() {
    ImageFrame* background = m_spBackgroundImage->GetFrame();
    if (!background)
        return;
    if (!GetImage() || !SameSize(background, GetWidth(), GetHeight())) {
        SmartPtr<Image> picture(NewTargetImage(background->GetWidth(), background->GetHeight()));
        if (!picture)
            return;
        SetImage(picture.Get());
    }
    SmartPtr<Graphics> graphics(GetImage()->CreateGraphics());
    if (!graphics || !graphics->BeginBatch())
        return;
    graphics->SetBlendMode(BLENDMODE_REPLACE);
    graphics->SetImageFrameAndPolygon(background);
    graphics->Draw(0.0f, 0.0f);
    if (m_bUseBufferImage) {
        GameNode* root = GetComponentRoot();
        const bool visible = root->IsVisible();
        root->SetVisible(true);
        TaskRender::Render(root, graphics.Get());
        root->SetVisible(visible);
    }
    SetBackgroundDirty(!graphics->EndBatch());
}

}  // namespace ZQ2
