#pragma once
// The game's one question dialog: a header, a message and a yes and a no
// button, built from "DIALOG_YESNO" and stored in its scene under the
// message key. With only its yes button left it is the message dialog.
#include <string>

#include "engine/core/iGuiMethod.h"
#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class Button;
class Label;
class Scene;
}  // namespace ZQ2

extern const char* const DIALOG_YESNO;

class DialogYesNo : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DialogYesNo(ZQ2::AbstractProperty* data);

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // Texts, not keys. A null target binds the dialog itself; a null
    // function makes the button close the dialog.
    void InitDialog(const std::string& message, const std::string& header, ZQ2::BaseObject* yesTarget,
                    ZQ2::iGuiMethod::Method yesMethod, ZQ2::BaseObject* noTarget, ZQ2::iGuiMethod::Method noMethod);

    void SetHeaderText(const std::string& text);
    std::string GetHeaderText() const;
    // The buttons and the dialog's height follow the message's growth.
    void SetMessageText(const std::string& text);
    std::string GetMessageText() const;
    void SetYesMethod(ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method method);
    void SetNoMethod(ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method method);
    // Hides the no button and centres the yes button as "OK".
    void MakeMessageDialog();

    ZQ2::Label* GetHeaderLabel() const { return m_pHeader; }
    ZQ2::Label* GetMessageLabel() const { return m_pMessage; }
    ZQ2::Button* GetYesButton() const { return m_pYes; }
    ZQ2::Button* GetNoButton() const { return m_pNo; }

private:
    ZQ2::Button* BindButton(const char* name, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method method);

    // Components of this dialog, owned by its component tree.
    ZQ2::Label* m_pHeader = nullptr;
    ZQ2::Label* m_pMessage = nullptr;
    ZQ2::Button* m_pYes = nullptr;
    ZQ2::Button* m_pNo = nullptr;
};

// A new question on scene, stored there under messageKey (replacing the one
// there), with the texts of the two keys; the caller activates it.
DialogYesNo* CreateYesNoDialog(const std::string& messageKey, const std::string& headerKey,
                               ZQ2::BaseObject* yesTarget, ZQ2::iGuiMethod::Method yesMethod,
                               ZQ2::BaseObject* noTarget, ZQ2::iGuiMethod::Method noMethod, ZQ2::Scene* scene);
// The same with one OK button.
DialogYesNo* CreateMessageDialog(const std::string& messageKey, const std::string& headerKey,
                                 ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method method, ZQ2::Scene* scene);
