#pragma once
// The one scene call the dialog makes. Scenes are dialogs, so the dialog
// cannot see them: the scene layer defines this (SceneManager.cpp).

namespace ZQ2 {

class Dialog;

// Removes the dialog from the current main scene; null does nothing.
void RemoveDialogFromCurrentScene(Dialog* dialog);

}  // namespace ZQ2
