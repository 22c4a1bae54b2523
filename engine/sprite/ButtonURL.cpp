#include "engine/sprite/ButtonURL.h"

#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/resource/ResourceImage.h"

namespace ZQ2 {

const RTTI* const ButtonURL::rttis[] = {&Button::rtti, nullptr};
const RTTI ButtonURL::rtti("ButtonURL", ButtonURL::rttis);

ObjectInitializer ButtonURL::m_ObjectInitializer("ButtonURL", &ButtonURL::OnData);

const char* const PROP_URL = "url";

namespace {

// Four frames in one row.
constexpr int kStateFrames = 4;

}  // namespace

ButtonURL::ButtonURL(AbstractProperty* data) : Button(data) {
    if (PropertyNode* node = data ? data->ToNode() : nullptr)
        SetProperties(node);
}

ButtonURL::~ButtonURL() = default;

BaseObject* ButtonURL::OnData(AbstractProperty* data) { return new ButtonURL(data); }

void ButtonURL::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_URL))
        m_strURL = data->GetPropString(PROP_URL);
    if (data->HasProperty(PROP_FILE))
        LoadImageFile(data->GetPropString(PROP_FILE));
}

void ButtonURL::LoadImageFile(const std::string& file) {
    SmartPtr<ResourceImage> resource(new ResourceImage(file, std::string(), kStateFrames, kStateFrames, false));
    resource->EnsureLoaded();
    if (resource->HasError())
        return;
    if (Image* image = resource->GetImage())
        SetImage(image);
}

void ButtonURL::ExecuteMethod(BaseObject* sender) {
    Platform::OpenInBrowser(m_strURL);
    if (GetMethod())
        iGuiMethod::ExecuteMethod(sender);
}

}  // namespace ZQ2
