#include "source/scenes/DelvorUpgrade.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"

const ZQ2::RTTI* const DelvorUpgrade::rttis[] = {&ZQ2::BaseObject::rtti, nullptr};
const ZQ2::RTTI DelvorUpgrade::rtti("DelvorUpgrade", DelvorUpgrade::rttis);

ZQ2::ObjectInitializer DelvorUpgrade::m_ObjectInitializer("DelvorUpgrade", &DelvorUpgrade::OnData);

DelvorUpgrade::DelvorUpgrade(ZQ2::AbstractProperty* data) {
    ZQ2::PropertyNode* node = data ? data->ToNode() : nullptr;
    if (node)
        m_sID = node->GetPropString("id");
}

ZQ2::BaseObject* DelvorUpgrade::OnData(ZQ2::AbstractProperty* data) { return new DelvorUpgrade(data); }
