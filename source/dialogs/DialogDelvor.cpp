#include "source/dialogs/DialogDelvor.h"

#include <cstdint>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/modifier/ModifierScale.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/utils/Utils.h"

using namespace ZQ2;

const char* const PROP_DODARKENBACKGROUND = "dodarkenbackground";

const RTTI* const DialogDelvor::rttis[] = {&Dialog::rtti, &iGuiMethod::rtti, nullptr};
const RTTI DialogDelvor::rtti("DialogDelvor", DialogDelvor::rttis);

ObjectInitializer DialogDelvor::m_ObjectInitializer("DialogDelvor", &DialogDelvor::OnData);

namespace {

const char* const kSoundOpen = "SOUND_UI_DIALOG_OPEN";
const char* const kSoundClose = "SOUND_UI_DIALOG_CLOSE";
const char* const kSoundSection = "default";

const char* const kFadeTime = "DIALOG_FADE_TIME";
const char* const kBurstMinScale = "DIALOG_BURST_MIN_SCALE";
const char* const kBurstMaxScale = "DIALOG_BURST_MAX_SCALE";
const char* const kBurstTime = "DIALOG_BURST_TIME";
const char* const kBurstLastBit = "DIALOG_BURST_LAST_BIT";
const char* const kBackgroundAlpha = "DIALOG_BACKGROUND_ALPHA";

// The current scene's animations, or the whole tree without a scene.
Modifier* CurrentAnimParent() {
    Scene* scene = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentScene() : nullptr;
    if (scene && scene->GetAnimContainer())
        return scene->GetAnimContainer();
    return AnimTree::g_Instance;
}

uint32_t DarkPixel(int alpha) { return static_cast<uint32_t>(alpha & 0xFF) << 24; }

}  // namespace

DialogDelvor::DialogDelvor(AbstractProperty* data) : Dialog(data) {
    PropertyNode* node = data ? data->ToNode() : nullptr;
    m_spDataNode = node;
    if (node && node->HasProperty(PROP_DODARKENBACKGROUND))
        m_bDarkenBackground = node->GetValue(PROP_DODARKENBACKGROUND)->ToBoolean();
}

DialogDelvor::~DialogDelvor() = default;

BaseObject* DialogDelvor::OnData(AbstractProperty* data) { return new DialogDelvor(data); }

void DialogDelvor::OnActivate() {
    Dialog::OnActivate();
    if (m_bPlaySounds)
        PlayUiSound(kSoundOpen);
    if (m_bDarkenBackground)
        CreateDarkBackground();
}

void DialogDelvor::OnDeactivate() { Dialog::OnDeactivate(); }

void DialogDelvor::PlayUiSound(const char* name) const {
    auto* sound = DynamicCast<Sound>(ResourceLookup::GetResource(name, kSoundSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

void DialogDelvor::DisableInput() {
    SetInputListenerActive(false);
    SetChildrenReceiveInput(false);
}

// ---- animations

void DialogDelvor::CreateStandardShowAnimation() {
    SetUseBufferImage(true);
    DisableInput();
    SetAlpha(0);
    AddModifier(Utils::Blocking(new ModifierAlpha(0, 255, BasicProperties::GetInteger(kFadeTime))));
    AddModifier(new ModifierFunction(this, &DialogDelvor::OnShowAnimationFinished, std::string()));
}

void DialogDelvor::CreateBurstShowAnimation() {
    const int total = BasicProperties::GetInteger(kBurstTime);
    const int lastBit = BasicProperties::GetInteger(kBurstLastBit);
    const float minScale = BasicProperties::GetFloat(kBurstMinScale);
    const float maxScale = BasicProperties::GetFloat(kBurstMaxScale);
    DisableInput();
    Modifier* parent = CurrentAnimParent();
    if (!parent)
        return;
    auto* container = new ModifierContainer(std::string(), true);
    AnimTree::LinkNodeUnder(parent, container);
    container->LinkNode(new ModifierAlpha(0, 255, total / 2), this);
    Modifier* grow = container->LinkNode(new ModifierScale(minScale, maxScale, total - lastBit, false), this);
    Modifier* settle = AnimTree::LinkNodeUnder(grow, new ModifierScale(maxScale, 1.0f, lastBit, false), this);
    AnimTree::LinkNodeUnder(settle, new ModifierFunction(this, &DialogDelvor::OnShowAnimationFinished, std::string()));
}

void DialogDelvor::CreateStandardHideAnimation() {
    SetUseBufferImage(true);
    DisableInput();
    AddModifier(Utils::Blocking(new ModifierAlpha(255, 0, BasicProperties::GetInteger(kFadeTime))));
    AddModifier(new ModifierFunction(this, &DialogDelvor::DelvorAction, std::string()));
    if (GetMethod())
        AddModifier(new ModifierFunction(GetTarget(), GetMethod(), std::string()));
    if (m_bPlaySounds)
        PlayUiSound(kSoundClose);
}

void DialogDelvor::CreateStandardHideAnimation(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogDelvor>(dialog);
    if (!self)
        return;
    self->SetTargetAndMethod(self, self->GetMethod());
    self->CreateStandardHideAnimation();
}

void DialogDelvor::OnShowAnimationFinished(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogDelvor>(dialog);
    if (!self)
        return;
    self->SetUseBufferImage(false);
    self->SetInputListenerActive(true);
    self->SetChildrenReceiveInput(true);
}

void DialogDelvor::DelvorAction(BaseObject* dialog, BaseObject* sender) { Dialog::CloseDialog_Callback(dialog, sender); }

// ---- darkened background

void DialogDelvor::CreateDarkBackground() {
    Update();
    m_spSavedDialogImage = GetImage();
    SetMovable(false);
    SetPainter(nullptr);
    GetComponentRoot()->SetLocation(GetX(), GetY());
    SetLocation(0.0f, 0.0f);
    Renderer* renderer = Renderer::g_Instance;
    if (renderer) {
        SmartPtr<Image> background(m_spSavedDialogImage
                                       ? renderer->CreateImageUnmanaged(BACKGROUND_WIDTH, BACKGROUND_HEIGHT, true, 1, 1)
                                       : renderer->CreateImageManaged(BACKGROUND_WIDTH, BACKGROUND_HEIGHT, 1, 1));
        SetBackgroundImage(background.Get());
    }
    UpdateBackground();
}

void DialogDelvor::UpdateBackground() {
    const int alpha = BasicProperties::GetInteger(kBackgroundAlpha);
    if (m_spSavedDialogImage)
        DrawDarkenedDialog(alpha);
    else
        FillBackgroundImage(alpha);
}

void DialogDelvor::DrawDarkenedDialog(int alpha) {
    Image* background = GetBackgroundImage();
    Renderer* renderer = Renderer::g_Instance;
    ImageFrame* saved = m_spSavedDialogImage->GetFrame();
    if (!background || !renderer || !saved)
        return;
    SmartPtr<Image> pixel(renderer->CreateImageManaged(1, 1, 1, 1));
    if (!pixel || !pixel->Lock())
        return;
    *static_cast<uint32_t*>(pixel->GetPixelData()) = DarkPixel(alpha);
    pixel->Unlock();
    SmartPtr<Graphics> graphics(background->CreateGraphics());
    if (!graphics || !graphics->BeginBatch())
        return;
    graphics->SetSettings(*this);
    // A fresh render target holds transparent white. Blending the black over
    // it would pull that white into the colour and square the alpha (a light
    // grey haze at a x a instead of black at a), so the target is cleared and
    // the black written as it is.
    graphics->SetColor(0);
    graphics->SetAlpha(0);
    graphics->Clear();
    // The dialog's own alpha and colour apply when the dialog is drawn, not
    // twice.
    graphics->SetColor(GraphicsSettings::DEFAULT_COLOR);
    graphics->SetAlpha(GraphicsSettings::DEFAULT_ALPHA);
    const eBlendMode blend = graphics->GetBlendMode();
    graphics->SetBlendMode(BLENDMODE_REPLACE);
    graphics->SetImageFrame(pixel->GetFrame());
    graphics->SetPolygon(Rectangle_t<float>(0.0f, 0.0f, static_cast<float>(renderer->GetRenderWidth()),
                                            static_cast<float>(renderer->GetRenderHeight())));
    graphics->Draw(0.0f, 0.0f);
    graphics->SetBlendMode(blend);
    graphics->SetImageFrameAndPolygon(saved);
    graphics->Draw(GetComponentRoot()->GetX(), GetComponentRoot()->GetY());
    graphics->EndBatch();
    SetBackgroundDirty(true);
}

void DialogDelvor::FillBackgroundImage(int alpha) {
    Image* background = GetBackgroundImage();
    ImageFrame* frame = background ? background->GetFrame() : nullptr;
    if (!frame || !background->Lock())
        return;
    auto* pixels = static_cast<uint32_t*>(background->GetPixelData());
    const int count = frame->GetPitch() / 4 * frame->GetHeight();
    for (int i = 0; pixels && i < count; ++i)
        pixels[i] = DarkPixel(alpha);
    background->Unlock();
    SetBackgroundDirty(true);
}
