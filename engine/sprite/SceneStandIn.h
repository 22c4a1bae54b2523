#pragma once
// STAND-IN until the scene services land: the one scene call the dialog
// makes. Replace the body in SceneStandIn.cpp with the scene manager's
// current main scene's RemoveDialog(dialog), then delete these two files.

namespace ZQ2 {

class Dialog;

// Removes the dialog from the current main scene; null does nothing.
void RemoveDialogFromCurrentScene(Dialog* dialog);

}  // namespace ZQ2
