#include "engine/sound/SoundStream.h"

#include <cstdint>

#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/sound/SoundManager.h"
#include "aulos/ausnd.h"

namespace ZQ2 {

const char* const PROP_VEC_SYNC_POINTS = "SyncPoints";

namespace {
const char* const PROP_VALUE = "value";
}  // namespace

const RTTI* const SoundStream::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI SoundStream::rtti("SoundStream", SoundStream::rttis);

SoundStream::SoundStream(AUSND_STREAM* stream) : m_pStream(stream) {}

SoundStream::~SoundStream() {
    // The manager holds its music streams by plain pointer: a stream released
    // while it plays (its section unloaded, the game ending) must not be left
    // behind there.
    if (SoundManager::g_Instance)
        SoundManager::g_Instance->ForgetStream(this);
    // A stream still open when the sound system has closed went with it.
    if (m_pStream && SoundManager::g_AudioAvailable)
        AUSND_Stream_Close(m_pStream);
}

bool SoundStream::ParseSyncPoints() {
    SmartPtr<PropertyStore> store(new PropertyStore());
    if (!store->Load(m_strSyncPointsFile))
        return false;
    for (const SmartPtr<AbstractProperty>& entry : *store->GetVector(PROP_VEC_SYNC_POINTS)) {
        if (!entry || entry->GetType() != PROPERTY_NODE)
            continue;
        PropertyNode* node = entry->ToNode();
        if (!node->HasProperty(PROP_VALUE))
            continue;
        // Positions are sample frames: a negative one names no place in the stream.
        const long position = node->GetValue(PROP_VALUE)->ToLong();
        if (position >= 0 && position <= static_cast<long>(UINT32_MAX))
            m_SyncPoints.push_back(static_cast<unsigned int>(position));
    }
    return true;
}

}  // namespace ZQ2
