#include "engine/io/AbstractPlayer.h"

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/ResourceSection.h"

namespace ZQ2 {

const RTTI* const AbstractPlayer::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI AbstractPlayer::rtti("AbstractPlayer", AbstractPlayer::rttis);

AbstractPlayer::AbstractPlayer(const std::string& name) : m_Name(name) {}

AbstractPlayer::AbstractPlayer(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (node && node->HasProperty(PROP_NAME))
        m_Name = node->GetPropString(PROP_NAME);
}

void AbstractPlayer::Save(AbstractProperty* node) {
    if (node)
        node->ToNode()->InsertProperty(new PropertyValue(PROP_NAME, std::string(m_Name), true));
}

}  // namespace ZQ2
