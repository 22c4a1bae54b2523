#include "engine/framework/TemplateMessageData.h"

namespace ZQ2 {

template class TemplateMessageData<bool>;

}  // namespace ZQ2
