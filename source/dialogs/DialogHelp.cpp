#include "source/dialogs/DialogHelp.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

const RTTI* const DialogHelp::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogHelp::rtti("DialogHelp", DialogHelp::rttis);

ObjectInitializer DialogHelp::m_ObjectInitializer("DialogHelp", &DialogHelp::OnData);

namespace {

const char* const kHeaders = "HELP_HEADERS";
const char* const kSection = "help";
const char* const kScreenImage = "HELP_SCREEN";
const int kShowDelayMs = 200;

}  // namespace

DialogHelp::DialogHelp(AbstractProperty* data) : DialogDelvor(data) {
    m_spHeaders = BasicProperties::GetVector(kHeaders);
    m_pPrev = DynamicCast<Button>(BindComponent("BUTTON_PREV", this, &DialogHelp::OnPrevClick));
    m_pNext = DynamicCast<Button>(BindComponent("BUTTON_NEXT", this, &DialogHelp::OnNextClick));
    m_pOk = DynamicCast<Button>(BindComponent("BUTTON_OK", this, &DialogHelp::OnOkClick));
    m_spScreen = DynamicCast<Sprite>(GetComponent("HELP_SCREEN"));
    m_pHeader = DynamicCast<Label>(GetComponent("LABEL_HEADER"));
}

BaseObject* DialogHelp::OnData(AbstractProperty* data) { return new DialogHelp(data); }

void DialogHelp::OnActivate() {
    DialogDelvor::OnActivate();
    BuildHelpPage();
    AddModifier(new ModifierDelay(kShowDelayMs));
    CreateStandardShowAnimation();
    m_iPage = 1;
    ShowHelpScreen();
}

void DialogHelp::BuildHelpPage() {
    if (!m_pHeader)
        return;
    PropertyValue* header = m_spHeaders ? m_spHeaders->GetValue(m_iPage - 1) : nullptr;
    m_pHeader->SetText(header ? header->GetValue() : std::string());
}

void DialogHelp::ShowHelpScreen() {
    BuildHelpPage();
    if (m_spScreen) {
        const std::string name = kScreenImage + std::to_string(m_iPage);
        m_spScreen->SetImage(ResourceLookup::GetImage(name, kSection, nullptr));
    }
    if (m_pPrev)
        m_pPrev->SetEnabled(m_iPage != 1);
    if (m_pNext)
        m_pNext->SetEnabled(m_iPage != PAGE_COUNT);
}

void DialogHelp::OnNextClick(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogHelp>(dialog);
    if (!self || self->m_iPage >= PAGE_COUNT)
        return;
    ++self->m_iPage;
    self->ShowHelpScreen();
}

void DialogHelp::OnPrevClick(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogHelp>(dialog);
    if (!self || self->m_iPage <= 1)
        return;
    --self->m_iPage;
    self->ShowHelpScreen();
}

void DialogHelp::OnOkClick(BaseObject* dialog, BaseObject* sender) { DialogDelvor::CreateStandardHideAnimation(dialog, sender); }
