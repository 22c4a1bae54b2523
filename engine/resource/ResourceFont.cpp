#include "engine/resource/ResourceFont.h"

#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontLayer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceImage.h"

namespace ZQ2 {

const char* const PROP_FONT = "font";
const char* const PROP_LAYERS = "layers";

namespace {

const char* const PROP_LAYER_IMAGE = "image";
const char* const PROP_LAYER_MASK = "mask";
const char* const PROP_LAYER_PADDING = "padding";
const char* const PROP_LAYER_COLOR = "color";

// The folder part of path, with its closing "/" ("" for a bare name).
std::string FolderOf(const std::string& path) {
    const std::string valid = MakeValidPath(path);
    const size_t slash = valid.rfind('/');
    return slash == std::string::npos ? std::string() : valid.substr(0, slash + 1);
}

}  // namespace

const RTTI* const ResourceFont::rttis[] = {&ResourceObject::rtti, nullptr};
const RTTI ResourceFont::rtti("ResourceFont", ResourceFont::rttis);

ObjectInitializer ResourceFont::m_ObjectInitializer("Font", &ResourceFont::OnData);
ObjectInitializer ResourceFont::m_ClassNameInitializer("ResourceFont", &ResourceFont::OnData);

ResourceFont::ResourceFont(AbstractProperty* property) : ResourceObject(property) {}

ResourceFont::ResourceFont(const std::string& file) : ResourceObject(file) {}

ResourceFont::~ResourceFont() = default;

BaseObject* ResourceFont::OnData(AbstractProperty* data) { return new ResourceFont(data); }

void ResourceFont::Load() {
    SetLoaded(false);
    m_pFont = nullptr;
    SmartPtr<PropertyStore> store(new PropertyStore());
    store->SetArchiveType(GetArchiveType());
    if (GetFile().empty() || !store->Load(GetFile())) {
        SetError(RESOURCE_ERROR_SUBRESOURCE);
        SetFinished();
        return;
    }
    m_pFont = new FontBitmap(store->GetNode(PROP_FONT));
    const std::string folder = FolderOf(GetFile());
    for (const SmartPtr<AbstractProperty>& layer : *store->GetVector(PROP_LAYERS)) {
        if (layer && layer->GetType() == PROPERTY_NODE)
            AddLayer(layer->ToNode(), folder);
    }
    SetFinished();
}

void ResourceFont::AddLayer(PropertyNode* layer, const std::string& folder) {
    const std::string imageFile = folder + layer->GetPropString(PROP_LAYER_IMAGE);
    const std::string maskFile =
        layer->HasProperty(PROP_LAYER_MASK) ? folder + layer->GetPropString(PROP_LAYER_MASK) : std::string();
    // Loaded here, on this thread, outside the resource manager's maps; the
    // layer keeps the image alive after the resource is let go.
    SmartPtr<ResourceImage> image(new ResourceImage(imageFile, maskFile, 1, 1, false));
    image->SetArchiveType(GetArchiveType());
    image->Load();
    if (image->HasError() || !image->GetImage()) {
        SetError(image->HasError() ? image->GetError() : RESOURCE_ERROR_SUBRESOURCE);
        return;
    }
    m_pFont->AddLayer(new FontLayer(layer->GetValue(PROP_LAYER_PADDING)->ToFloat(),
                                    layer->GetValue(PROP_LAYER_COLOR)->ToInt(), image->GetImage()));
}

BaseObject* ResourceFont::GetResource() { return m_pFont.Get(); }

FontBitmap* ResourceFont::GetFont() const { return m_pFont.Get(); }

void ResourceFont::FreeResource() {
    ResourceObject::FreeResource();
    m_pFont = nullptr;
}

bool ResourceFont::Equals(ResourceObject* other) {
    const ResourceFont* font = DynamicCast<ResourceFont>(other);
    return font && font->GetFile() == GetFile();
}

}  // namespace ZQ2
