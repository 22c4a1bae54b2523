#include "source/dialogs/DialogYesNo.h"

#include "engine/io/BasicProperties.h"
#include "engine/math/AnchorPoint.h"
#include "engine/scene/Scene.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"

using namespace ZQ2;

const char* const DIALOG_YESNO = "DIALOG_YESNO";

const RTTI* const DialogYesNo::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogYesNo::rtti("DialogYesNo", DialogYesNo::rttis);

ObjectInitializer DialogYesNo::m_ObjectInitializer("DialogYesNo", &DialogYesNo::OnData);

namespace {

const char* const kHeader = "HEADER";
const char* const kMessage = "MESSAGE";
const char* const kYes = "BUTTON_YES";
const char* const kNo = "BUTTON_NO";
const char* const kOkImage = "BUTTON_OK";
const char* const kOkSection = "default";

void SetLabelText(Label* label, const std::string& text) {
    label->SetText(text);
    label->Update();
}

}  // namespace

DialogYesNo::DialogYesNo(AbstractProperty* data) : DialogDelvor(data) {}

BaseObject* DialogYesNo::OnData(AbstractProperty* data) { return new DialogYesNo(data); }

Button* DialogYesNo::BindButton(const char* name, BaseObject* target, iGuiMethod::Method method) {
    GameNode* node = BindComponent(name, target ? target : this, method ? method : &Dialog::CloseDialog_Callback);
    return DynamicCast<Button>(node);
}

void DialogYesNo::InitDialog(const std::string& message, const std::string& header, BaseObject* yesTarget,
                             iGuiMethod::Method yesMethod, BaseObject* noTarget, iGuiMethod::Method noMethod) {
    m_pMessage = DynamicCast<Label>(GetComponent(kMessage));
    m_pHeader = DynamicCast<Label>(GetComponent(kHeader));
    m_pYes = BindButton(kYes, yesTarget, yesMethod);
    m_pNo = BindButton(kNo, noTarget, noMethod);
    if (m_pHeader)
        SetLabelText(m_pHeader, header);
    if (m_pMessage)
        SetLabelText(m_pMessage, message);
}

void DialogYesNo::SetHeaderText(const std::string& text) {
    if (m_pHeader)
        m_pHeader->SetText(text);
}

std::string DialogYesNo::GetHeaderText() const { return m_pHeader ? std::string(m_pHeader->GetText()) : std::string(); }

void DialogYesNo::SetMessageText(const std::string& text) {
    if (!m_pMessage)
        return;
    const float before = m_pMessage->GetHeight();
    SetLabelText(m_pMessage, text);
    const float growth = m_pMessage->GetHeight() - before;
    for (Button* button : {m_pYes, m_pNo}) {
        if (button)
            button->SetY(button->GetY() + growth);
    }
    SetHeight(GetHeight() + growth);
}

std::string DialogYesNo::GetMessageText() const { return m_pMessage ? std::string(m_pMessage->GetText()) : std::string(); }

void DialogYesNo::SetYesMethod(BaseObject* target, iGuiMethod::Method method) {
    if (m_pYes)
        BindButton(kYes, target, method);
}

void DialogYesNo::SetNoMethod(BaseObject* target, iGuiMethod::Method method) {
    if (m_pNo)
        BindButton(kNo, target, method);
}

void DialogYesNo::MakeMessageDialog() {
    if (m_pNo) {
        m_pNo->SetVisible(false);
        m_pNo->SetEnabled(false);
    }
    if (!m_pYes)
        return;
    m_pYes->SetAnchorPoint(ANCHOR_TOP);
    m_pYes->SetX(GetWidth() / 2.0f);
    if (Image* ok = ResourceLookup::GetImage(kOkImage, kOkSection, nullptr))
        m_pYes->SetImage(ok);
}

DialogYesNo* CreateYesNoDialog(const std::string& messageKey, const std::string& headerKey, BaseObject* yesTarget,
                               iGuiMethod::Method yesMethod, BaseObject* noTarget, iGuiMethod::Method noMethod,
                               Scene* scene) {
    if (!scene)
        return nullptr;
    scene->RemoveDialog(messageKey);
    auto* dialog = DynamicCast<DialogYesNo>(scene->ConstructDialog(DIALOG_YESNO, messageKey));
    if (!dialog)
        return nullptr;
    dialog->InitDialog(BasicProperties::GetString(messageKey), BasicProperties::GetString(headerKey), yesTarget,
                       yesMethod, noTarget, noMethod);
    return dialog;
}

DialogYesNo* CreateMessageDialog(const std::string& messageKey, const std::string& headerKey, BaseObject* target,
                                 iGuiMethod::Method method, Scene* scene) {
    DialogYesNo* dialog = CreateYesNoDialog(messageKey, headerKey, target, method, nullptr, nullptr, scene);
    if (dialog)
        dialog->MakeMessageDialog();
    return dialog;
}
