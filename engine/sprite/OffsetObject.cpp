#include "engine/sprite/OffsetObject.h"

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const char* const PROP_OFFSETLEFT = "offsetleft";
const char* const PROP_OFFSETRIGHT = "offsetright";
const char* const PROP_OFFSETTOP = "offsettop";
const char* const PROP_OFFSETBOTTOM = "offsetbottom";

namespace {

int IntOr0(PropertyNode* data, const char* key) {
    PropertyValue* value = data->HasProperty(key) ? data->GetValue(key) : nullptr;
    return value ? value->ToInt() : 0;
}

}  // namespace

OffsetObject::OffsetObject(PropertyNode* data) {
    if (!data)
        return;
    m_iLeft = IntOr0(data, PROP_OFFSETLEFT);
    m_iRight = IntOr0(data, PROP_OFFSETRIGHT);
    m_iTop = IntOr0(data, PROP_OFFSETTOP);
    m_iBottom = IntOr0(data, PROP_OFFSETBOTTOM);
}

bool OffsetObject::IsGivenBy(PropertyNode* data) {
    return data && (data->HasProperty(PROP_OFFSETLEFT) || data->HasProperty(PROP_OFFSETRIGHT) ||
                    data->HasProperty(PROP_OFFSETTOP) || data->HasProperty(PROP_OFFSETBOTTOM));
}

}  // namespace ZQ2
