#pragma once
// Lists up to five player profiles: a click on a row makes that player
// current, add opens the name dialog and remove deletes the current player
// after a question.
#include <string>

#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class Button;
class GameNode;
class Label;
}  // namespace ZQ2

extern const char* const DIALOG_PLAYERSELECT;
extern const char* const DIALOG_REMOVE_PLAYER;

class DialogPlayerSelect : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int ROW_COUNT = 5;

    explicit DialogPlayerSelect(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    void UpdatePlayers();

    static void OnNameClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnAddClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnRemoveClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnRemoveYes(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnOkClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    int GetSelectedRow() const { return m_iSelectedRow; }
    ZQ2::Button* GetRowButton(int row) const { return m_pNameButtons[row]; }
    ZQ2::Label* GetRowLabel(int row) const { return m_pNameLabels[row]; }
    ZQ2::Button* GetAddButton() const { return m_pAdd; }
    ZQ2::Button* GetRemoveButton() const { return m_pRemove; }
    ZQ2::GameNode* GetBorder() const { return m_pBorder; }

private:
    static int PlayerCount();
    void BuildRows();
    void SelectRow(int row);
    void MoveBorderTo(int row);
    void RemoveSelected();
    std::string RowName(int row) const;

    // Components of this dialog, owned by its component tree.
    ZQ2::Button* m_pNameButtons[ROW_COUNT] = {};
    ZQ2::Label* m_pNameLabels[ROW_COUNT] = {};
    ZQ2::Button* m_pAdd = nullptr;
    ZQ2::Button* m_pRemove = nullptr;
    ZQ2::GameNode* m_pBorder = nullptr;
    int m_iSelectedRow = -100;
    float m_fBorderOffset = -1000.0f;
};

// Opens the name dialog on the current scene, building it when missing.
void OpenNameInputDialog();
