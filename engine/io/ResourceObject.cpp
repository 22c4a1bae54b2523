#include "engine/io/ResourceObject.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const char* const PROP_FILE = "file";
const char* const PROP_ARCHIVE = "archive";

const RTTI* const ResourceObject::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI ResourceObject::rtti("ResourceObject", ResourceObject::rttis);

namespace {

// Resources are counted on the main and the loader thread. One lock for all
// of them: a count changes in a few instructions.
std::mutex g_RefCountMutex;

std::atomic<void (*)()> g_FreeListener{nullptr};

struct ArchiveKeyword {
    const char* text;
    eArchiveType type;
};

constexpr ArchiveKeyword kArchiveKeywords[] = {
    {"file", ARCHIVE_FILE},
    {"zip", ARCHIVE_ZIP},
    {"encryptfile", ARCHIVE_ENCRYPT_FILE},
    {"encryptzip", ARCHIVE_ENCRYPT_ZIP},
};

}  // namespace

ResourceObject::ResourceObject(const std::string& file) { SetFile(file); }

ResourceObject::ResourceObject(AbstractProperty* property) {
    if (property)
        SetProperties(property->ToNode());
}

void ResourceObject::AddRef() {
    std::lock_guard<std::mutex> lock(g_RefCountMutex);
    BaseObject::AddRef();
}

void ResourceObject::Release() {
    {
        std::lock_guard<std::mutex> lock(g_RefCountMutex);
        if (GetRefCount() != 1) {
            BaseObject::Release();
            return;
        }
    }
    // The last reference: nobody else can reach the object any more, and it
    // is destroyed outside the lock.
    BaseObject::Release();
}

int ResourceObject::GetSharedCount() const {
    std::lock_guard<std::mutex> lock(g_RefCountMutex);
    return GetRefCount();
}

void ResourceObject::SetFile(const std::string& file) { m_strFile = file.empty() ? file : MakeStandardFileName(file); }

void ResourceObject::SetProperties(PropertyNode* node) {
    if (!node)
        return;
    if (node->HasProperty(PROP_FILE))
        SetFile(node->GetPropString(PROP_FILE));
    if (node->HasProperty(PROP_ARCHIVE)) {
        const std::string text = node->GetPropString(PROP_ARCHIVE);
        m_eArchiveType = ARCHIVE_DEFAULT;
        for (const ArchiveKeyword& keyword : kArchiveKeywords) {
            if (text == keyword.text)
                m_eArchiveType = keyword.type;
        }
    }
}

bool ResourceObject::EnsureLoaded() {
    std::lock_guard<std::mutex> lock(m_LoadMutex);
    if (IsLoaded())
        return !HasError();
    Load();
    // A load that returns unfinished would be picked again every round.
    if (!IsLoaded()) {
        if (!HasError())
            SetError(RESOURCE_ERROR_UNSPECIFIED);
        SetFinished();
    }
    return !HasError();
}

void ResourceObject::Unload() {
    std::lock_guard<std::mutex> lock(m_LoadMutex);
    if (IsLoaded())
        FreeResource();
}

void ResourceObject::SetFreeListener(void (*listener)()) {
    g_FreeListener.store(listener, std::memory_order_release);
}

void ResourceObject::FreeResource() {
    if (void (*listener)() = g_FreeListener.load(std::memory_order_acquire))
        listener();
    SetLoaded(false);
    m_nError.store(RESOURCE_ERROR_NONE, std::memory_order_release);
}

bool ResourceObject::Equals(ResourceObject* other) {
    if (m_strFile.empty())
        return false;
    return other && other->m_strFile == m_strFile;
}

void ResourceObject::SetFinished() { SetLoaded(true); }

void ResourceObject::SetError(eResourceError error) { m_nError.store(error, std::memory_order_release); }

std::string ResourceObject::GetErrorMessage(int error) {
    switch (error) {
    case RESOURCE_ERROR_NONE: return "None.";
    case RESOURCE_ERROR_UNSPECIFIED: return "Unspecified.";
    case RESOURCE_ERROR_FILE_NOT_FOUND: return "File not found.";
    case RESOURCE_ERROR_FILENAME_EMPTY: return "Filename is empty.";
    case RESOURCE_ERROR_INVALID_FORMAT: return "Invalid format.";
    case RESOURCE_ERROR_SUBRESOURCE: return "A sub-resource didn't load.";
    case RESOURCE_ERROR_TOO_BIG: return "The file or the dimensions is too big.";
    default: return "Unknown.";
    }
}

std::string ResourceObject::ToStringForResource() const {
    std::string text = "\"" + m_strFile + "\"";
    if (IsLoaded())
        text += " Loaded.";
    if (HasError())
        text += " [ Error: " + GetErrorMessage() + "]";
    return text;
}

std::string ResourceObject::ToString() const { return BaseObject::ToString() + ToStringForResource(); }

bool ResourceObject::SourceExists(const std::string& file, eArchiveType type) {
    if (file.empty())
        return false;
    if (type == ARCHIVE_DEFAULT)
        type = FileArchive::GetArchiveType();
    const std::string name = GetEncryptFileName(MakeValidPath(file), type);
    if (type == ARCHIVE_ZIP || type == ARCHIVE_ENCRYPT_ZIP) {
        // Like LoadFile, the archive instance lives from start-up to shutdown.
        FileArchive* archive = FileArchive::g_Instance;
        return archive && archive->SeekFile(name);
    }
    if (type == ARCHIVE_FILE || type == ARCHIVE_ENCRYPT_FILE)
        return PathExists(name);
    return false;
}

}  // namespace ZQ2
