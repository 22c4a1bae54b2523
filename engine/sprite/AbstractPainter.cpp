#include "engine/sprite/AbstractPainter.h"

#include "engine/graphics/Image.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"

namespace ZQ2 {

const RTTI* const AbstractPainter::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI AbstractPainter::rtti("AbstractPainter", AbstractPainter::rttis);

const char* const PROP_IMAGES = "images";

AbstractPainter::AbstractPainter(AbstractProperty* data) {
    if (data)
        SetProperties(data->ToNode());
}

AbstractPainter::~AbstractPainter() = default;

void AbstractPainter::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_SECTION))
        SetSection(data->GetPropString(PROP_SECTION));
    PropertyVector* images = data->HasProperty(PROP_IMAGES) ? data->GetVector(PROP_IMAGES) : nullptr;
    if (!images)
        return;
    m_ImageNames.clear();
    for (int i = 0; i < images->GetCount(); ++i) {
        PropertyValue* value = images->GetValue(i);
        m_ImageNames.push_back(value ? value->ToString() : std::string());
    }
    NamesChanged();
}

void AbstractPainter::NamesChanged() {
    m_bImagesReady = false;
    m_bRepaint = true;
}

void AbstractPainter::SetSection(const std::string& section) {
    m_strSection = section;
    NamesChanged();
}

void AbstractPainter::SetImage(int index, const std::string& name) {
    if (index < 0 || index >= m_ImageNames.size())
        return;
    m_ImageNames[index] = name;
    NamesChanged();
}

void AbstractPainter::ClearImages() {
    m_ImageNames.clear();
    NamesChanged();
}

void AbstractPainter::ReserveNumImages(int count) {
    while (m_Frames.size() < count)
        m_Frames.push_back(SmartPtr<ImageFrame>());
}

// A name that names no image leaves a missing piece.
void AbstractPainter::InitImages() {
    if (m_bImagesReady)
        return;
    if (!m_ImageNames.empty()) {
        ReserveNumImages(m_ImageNames.size());
        for (int i = 0; i < m_ImageNames.size(); ++i) {
            Image* image =
                m_ImageNames[i].empty() ? nullptr : ResourceLookup::GetImage(m_ImageNames[i], m_strSection, nullptr);
            m_Frames[i] = image ? image->GetFrame() : nullptr;
        }
    }
    m_bImagesReady = true;
}

ImageFrame* AbstractPainter::GetImageFrame(int index) {
    InitImages();
    if (index < 0 || index >= m_Frames.size())
        return nullptr;
    return m_Frames[index].Get();
}

}  // namespace ZQ2
