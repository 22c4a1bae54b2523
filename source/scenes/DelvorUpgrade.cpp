#include "source/scenes/DelvorUpgrade.h"

#include "engine/io/AbstractProperty.h"

const ZQ2::RTTI* const DelvorUpgrade::rttis[] = {&ZQ2::BaseObject::rtti, nullptr};
const ZQ2::RTTI DelvorUpgrade::rtti("DelvorUpgrade", DelvorUpgrade::rttis);

ZQ2::ObjectInitializer DelvorUpgrade::m_ObjectInitializer("DelvorUpgrade", &DelvorUpgrade::OnData);

DelvorUpgrade::DelvorUpgrade(ZQ2::AbstractProperty* data) {
    if (data)
        m_sID = data->GetName();
}

ZQ2::BaseObject* DelvorUpgrade::OnData(ZQ2::AbstractProperty* data) { return new DelvorUpgrade(data); }
