#include "engine/sprite/SceneStandIn.h"

namespace ZQ2 {

// No scene exists yet, so no dialog is shown by one.
void RemoveDialogFromCurrentScene(Dialog*) {}

}  // namespace ZQ2
