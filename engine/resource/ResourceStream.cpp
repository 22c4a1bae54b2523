#include "engine/resource/ResourceStream.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sound/SoundStream.h"

namespace ZQ2 {

namespace {
const char* const PROP_SYNCPOINTSFILE = "syncpointsfile";
const char* const PROP_VOLUME = "volume";
const char* const PROP_PANNING = "panning";
}  // namespace

const RTTI* const ResourceStream::rttis[] = {&ResourceObject::rtti, nullptr};
const RTTI ResourceStream::rtti("ResourceStream", ResourceStream::rttis);

ObjectInitializer ResourceStream::m_ObjectInitializer("Stream", &ResourceStream::OnData);
ObjectInitializer ResourceStream::m_ClassNameInitializer("ResourceStream", &ResourceStream::OnData);

ResourceStream::ResourceStream(AbstractProperty* property) : ResourceObject(property) {
    if (!property)
        return;
    PropertyNode* node = property->ToNode();
    if (node->HasProperty(PROP_SYNCPOINTSFILE))
        m_strSyncPointsFile = node->GetPropString(PROP_SYNCPOINTSFILE);
    if (node->HasProperty(PROP_VOLUME))
        m_fVolume = node->GetValue(PROP_VOLUME)->ToFloat();
    if (node->HasProperty(PROP_PANNING))
        m_fPanning = node->GetValue(PROP_PANNING)->ToFloat();
}

ResourceStream::ResourceStream(const std::string& file, const std::string& syncPointsFile)
    : ResourceObject(file), m_strSyncPointsFile(syncPointsFile) {
    SetUnits(DEFAULT_UNITS);
}

ResourceStream::~ResourceStream() = default;

BaseObject* ResourceStream::OnData(AbstractProperty* data) { return new ResourceStream(data); }

void ResourceStream::Load() {
    m_pStream = new SoundStream(nullptr);
    // The sound system opens music by name from the working folder, never
    // from the data archive, so the plain file is what must exist.
    if (!SourceExists(GetFile(), ARCHIVE_FILE)) {
        SetError(RESOURCE_ERROR_FILE_NOT_FOUND);
        SetFinished();
        return;
    }
    m_pStream->SetFileName(GetFile());
    m_pStream->SetVolume(m_fVolume);
    m_pStream->SetPanning(m_fPanning);
    // The sync points are read as a property file, from wherever property
    // files come from; a stream without them still plays.
    if (!m_strSyncPointsFile.empty() && SourceExists(m_strSyncPointsFile, ARCHIVE_DEFAULT)) {
        m_pStream->SetSyncPointsFileName(m_strSyncPointsFile);
        if (!m_pStream->ParseSyncPoints())
            SetError(RESOURCE_ERROR_SUBRESOURCE);
    }
    SetFinished();
}

BaseObject* ResourceStream::GetResource() { return m_pStream.Get(); }

SoundStream* ResourceStream::GetStream() const { return m_pStream.Get(); }

void ResourceStream::FreeResource() {
    ResourceObject::FreeResource();
    m_pStream = nullptr;
}

std::string ResourceStream::ToStringForResource() const {
    return ResourceObject::ToStringForResource() + " SyncPoints: \"" + m_strSyncPointsFile +
           "\" Volume: " + std::to_string(m_fVolume) + " Panning: " + std::to_string(m_fPanning);
}

}  // namespace ZQ2
