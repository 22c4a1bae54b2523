#include "engine/resource/ResourceImage.h"

#include <cstdint>

#include "engine/core/MemoryBuffer_t.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/ImageLoaderJPG.h"
#include "engine/graphics/ImageLoaderPNG.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const char* const PROP_MASK = "mask";
const char* const PROP_PADDING = "padding";

namespace {

const char* const PROP_USEALPHACHANNEL = "usealphachannel";
const char* const PROP_SHEET = "sheet";
const char* const PROP_SHEETS = "sheets";
const char* const PROP_SHEET_IMAGE = "image";
const char* const PROP_SHEET_NAME = "name";
const char* const DESCRIPTION_EXTENSION = "xml";

// name in the folder of path ("" when path names no folder).
std::string BesideFile(const std::string& path, const std::string& name) {
    const std::string valid = MakeValidPath(path);
    const size_t slash = valid.rfind('/');
    return slash == std::string::npos ? name : valid.substr(0, slash) + "/" + name;
}

bool FitsTexture(int width, int height, bool frame) {
    if (const Renderer* renderer = Renderer::g_Instance)
        return renderer->CheckMaxTextureSize(width, height, frame);
    return width <= Renderer::MAX_TEXTURE_SIZE && height <= Renderer::MAX_TEXTURE_SIZE;
}

// The image datas behind an image's frames, each once, in frame order.
ZQVector<ImageData*> DistinctDatas(const Image* image) {
    ZQVector<ImageData*> datas;
    for (int i = 0; image && i < image->GetFrameCount(); ++i) {
        ImageData* data = image->GetFrame(i)->GetImageData();
        if (data)
            datas.push_back_if_unique(data);
    }
    return datas;
}

// Whether every frame of image is a non-empty rectangle inside data's
// picture: a sheet description must not reach past the pixels.
bool FramesInside(const Image* image, const ImageData* data) {
    for (int i = 0; i < image->GetFrameCount(); ++i) {
        const Rectangle_t<int>& r = image->GetFrame(i)->GetPixelRect();
        if (r.x < 0 || r.y < 0 || r.width < 1 || r.height < 1 || r.width > data->GetWidth() - r.x ||
            r.height > data->GetHeight() - r.y)
            return false;
    }
    return true;
}

// Writes the top bytes (the alpha) of mask's pixels into data's, over data's
// picture; where the texture has room, the last column and row are repeated
// as the loaders pad them.
void CopyAlpha(ImageData* data, const ImageData* mask, bool padding) {
    const int width = data->GetWidth();
    const int height = data->GetHeight();
    const bool padRight = padding && data->GetTextureWidth() > width;
    const bool padBottom = padding && data->GetTextureHeight() > height;
    for (int y = 0; y < height + (padBottom ? 1 : 0); ++y) {
        const int sourceY = y < height ? y : height - 1;
        auto* row = data->GetPixelData<uint32_t>(0, y);
        const auto* maskRow = mask->GetPixelData<uint32_t>(0, sourceY);
        for (int x = 0; x < width + (padRight ? 1 : 0); ++x) {
            const int sourceX = x < width ? x : width - 1;
            row[x] = (row[x] & 0x00FFFFFFu) | (maskRow[sourceX] & 0xFF000000u);
        }
    }
}

}  // namespace

const RTTI* const ResourceImage::rttis[] = {&ResourceObject::rtti, nullptr};
const RTTI ResourceImage::rtti("ResourceImage", ResourceImage::rttis);

ObjectInitializer ResourceImage::m_ObjectInitializer("Image", &ResourceImage::OnData);
ObjectInitializer ResourceImage::m_ClassNameInitializer("ResourceImage", &ResourceImage::OnData);

ResourceImage::ResourceImage(AbstractProperty* property) : ResourceObject(property) {
    if (property)
        ReadKeys(property->ToNode());
    Init();
}

ResourceImage::ResourceImage(const std::string& file, const std::string& maskFile, int frameCount, int columnCount,
                             bool padding)
    : ResourceObject(file),
      m_strMaskFile(maskFile.empty() ? maskFile : MakeStandardFileName(maskFile)),
      m_nFrameCount(frameCount),
      m_nColumnCount(columnCount),
      m_bPadding(padding),
      m_bBadGrid(frameCount < 1 || columnCount < 1 || frameCount > MAX_GRID_COUNT || columnCount > MAX_GRID_COUNT) {
    Init();
}

ResourceImage::~ResourceImage() = default;

BaseObject* ResourceImage::OnData(AbstractProperty* data) { return new ResourceImage(data); }

void ResourceImage::ReadKeys(PropertyNode* node) {
    if (node->HasProperty(PROP_MASK)) {
        const std::string mask = node->GetPropString(PROP_MASK);
        m_strMaskFile = mask.empty() ? mask : MakeStandardFileName(mask);
    }
    if (node->HasProperty(PROP_PADDING))
        m_bPadding = node->GetValue(PROP_PADDING)->ToBoolean();
    // A count below 1 would divide by zero when the picture is cut, and a
    // huge one overflows; either is remembered and refused when the image
    // loads.
    auto count = [&](const char* key) {
        const int value = node->GetValue(key)->ToInt();
        if (value < 1 || value > MAX_GRID_COUNT)
            m_bBadGrid = true;
        return value;
    };
    if (node->HasProperty(PROP_COLUMN_COUNT)) {
        m_nColumnCount = count(PROP_COLUMN_COUNT);
        m_nFrameCount = m_nColumnCount;
    }
    const bool hasRows = node->HasProperty(PROP_ROW_COUNT);
    const int rows = hasRows ? count(PROP_ROW_COUNT) : 0;
    if (node->HasProperty(PROP_FRAME_COUNT)) {
        m_nFrameCount = count(PROP_FRAME_COUNT);
        if (hasRows && rows > 0 && !m_bBadGrid)
            m_nColumnCount = (m_nFrameCount + rows - 1) / rows;
    } else if (hasRows && !m_bBadGrid) {
        const long long frames = static_cast<long long>(m_nColumnCount) * rows;
        m_bBadGrid = frames > MAX_GRID_COUNT;
        m_nFrameCount = static_cast<int>(m_bBadGrid ? 0 : frames);
    }
    if (node->HasProperty(PROP_USEALPHACHANNEL))
        m_nUseAlphaChannel = node->GetValue(PROP_USEALPHACHANNEL)->ToBoolean() ? 1 : 0;
}

void ResourceImage::Init() {
    if (GetExtension(GetFile()) == DESCRIPTION_EXTENSION) {
        m_strDescriptionFile = GetFile();
        SetFile(std::string());
    }
    m_Loaders.clear();
    m_Loaders.push_back(SmartPtr<iImageLoader>(new ImageLoaderPNG()));
    m_Loaders.push_back(SmartPtr<iImageLoader>(new ImageLoaderJPG()));
}

void ResourceImage::Load() {
    LoadData();
    SetFinished();
}

void ResourceImage::LoadData() {
    m_Images.clear();
    if (m_bBadGrid) {
        SetError(RESOURCE_ERROR_INVALID_FORMAT);
        return;
    }
    std::string file = GetFile();
    std::string maskFile = m_strMaskFile;
    SmartPtr<PropertyVector> sheets;
    if (!m_strDescriptionFile.empty() && !ReadDescription(file, maskFile, sheets))
        return;

    const std::string mainFile = file.empty() ? maskFile : file;
    if (mainFile.empty()) {
        SetError(RESOURCE_ERROR_FILENAME_EMPTY);
        return;
    }
    // Asked where the bytes will be read: the archive, or the enciphered file.
    if (!SourceExists(mainFile, GetArchiveType())) {
        SetError(RESOURCE_ERROR_FILE_NOT_FOUND);
        return;
    }
    Decode(mainFile, file.empty(), sheets);
    if (!HasError() && !file.empty() && !maskFile.empty())
        MergeMask(maskFile);
    DropDecodedData();
    // A resource that failed is never handed out; what it made is not kept.
    if (HasError())
        m_Images.clear();
}

bool ResourceImage::ReadDescription(std::string& file, std::string& maskFile, SmartPtr<PropertyVector>& sheets) {
    SmartPtr<PropertyStore> store(new PropertyStore());
    store->SetArchiveType(GetArchiveType());
    if (!store->Load(m_strDescriptionFile)) {
        SetError(SourceExists(m_strDescriptionFile, GetArchiveType()) ? RESOURCE_ERROR_INVALID_FORMAT
                                                                      : RESOURCE_ERROR_FILE_NOT_FOUND);
        return false;
    }
    const AbstractProperty* found = store->GetProperty(PROP_SHEET);
    if (!found || found->GetType() != PROPERTY_NODE) {
        SetError(RESOURCE_ERROR_INVALID_FORMAT);
        return false;
    }
    PropertyNode* sheet = store->GetNode(PROP_SHEET);
    file = sheet->HasProperty(PROP_SHEET_IMAGE)
               ? MakeStandardFileName(BesideFile(m_strDescriptionFile, sheet->GetPropString(PROP_SHEET_IMAGE)))
               : std::string();
    if (sheet->HasProperty(PROP_MASK))
        maskFile = MakeStandardFileName(BesideFile(m_strDescriptionFile, sheet->GetPropString(PROP_MASK)));
    const AbstractProperty* list = sheet->GetProperty(PROP_SHEETS);
    if (list && list->GetType() == PROPERTY_VECTOR)
        sheets = sheet->GetVector(PROP_SHEETS);
    return true;
}

void ResourceImage::Decode(const std::string& file, bool maskOnly, PropertyVector* sheets) {
    MemoryBuffer_t<unsigned char> bytes;
    if (!FileArchive::LoadFile(file, &bytes, GetArchiveType()) || !bytes.GetData()) {
        SetError(RESOURCE_ERROR_INVALID_FORMAT);
        return;
    }
    BitFlags_t<eImageDataCreationFlag> flags;
    flags.SetFlag(IMAGEDATA_CREATE_ALPHA_ONLY, maskOnly);
    flags.SetFlag(IMAGEDATA_CREATE_PADDING, m_bPadding);

    iImageLoader* loader = nullptr;
    int width = 0;
    int height = 0;
    for (const SmartPtr<iImageLoader>& candidate : m_Loaders) {
        if (!candidate->HandlesExtension(file))
            continue;
        candidate->SetDrawSettings(bytes.GetData(), bytes.GetSize(), file, flags);
        if (candidate->GetImageDimensions(width, height)) {
            loader = candidate.Get();
            break;
        }
    }
    if (!loader) {
        SetError(RESOURCE_ERROR_UNSPECIFIED);
        return;
    }
    const int rows = (m_nFrameCount + m_nColumnCount - 1) / m_nColumnCount;
    if (!FitsTexture(width, height, false) && !FitsTexture(width / m_nColumnCount, height / rows, true)) {
        SetError(RESOURCE_ERROR_TOO_BIG);
        return;
    }
    loader->SetFrameCount(m_nFrameCount);
    loader->SetColumnCount(m_nColumnCount);
    if (!loader->Load()) {
        SetError(RESOURCE_ERROR_INVALID_FORMAT);
        return;
    }
    const ZQVector<SmartPtr<ImageData>>& datas = loader->GetImageDatas();
    if (m_nUseAlphaChannel != 2) {
        for (const SmartPtr<ImageData>& data : datas)
            data->SetHasAlpha(m_nUseAlphaChannel != 0);
    }
    if (!FileImages(datas, sheets))
        SetError(RESOURCE_ERROR_INVALID_FORMAT);
}

bool ResourceImage::FileImages(const ZQVector<SmartPtr<ImageData>>& datas, PropertyVector* sheets) {
    if (datas.empty())
        return false;
    if (sheets) {
        for (const SmartPtr<AbstractProperty>& entry : *sheets) {
            if (!entry || entry->GetType() != PROPERTY_NODE)
                continue;
            // An entry whose grid cannot be cut gives an image without frames.
            SmartPtr<Image> image(new Image(entry.Get(), datas[0].Get()));
            if (image->GetFrameCount() < 1 || !FramesInside(image.Get(), datas[0].Get()))
                return false;
            m_Images[entry->ToNode()->GetPropString(PROP_SHEET_NAME)] = image;
        }
        return !m_Images.empty();
    }
    // Every frame is a texture of its own, so one image data is one frame.
    if (datas.size() == 1) {
        m_Images[std::string()] = new Image(datas[0].Get(), 1, 1);
        return true;
    }
    ZQVector<ImageData*> frames;
    for (const SmartPtr<ImageData>& data : datas)
        frames.push_back(data.Get());
    m_Images[std::string()] = new Image(frames, m_nColumnCount);
    return true;
}

void ResourceImage::MergeMask(const std::string& maskFile) {
    SmartPtr<ResourceImage> mask(new ResourceImage(std::string(), maskFile, m_nFrameCount, m_nColumnCount, false));
    mask->SetArchiveType(GetArchiveType());
    mask->Load();
    if (mask->HasError()) {
        SetError(RESOURCE_ERROR_SUBRESOURCE);
        return;
    }
    ZQVector<ImageData*> targets;
    for (const auto& entry : m_Images) {
        for (ImageData* data : DistinctDatas(entry.second.Get()))
            targets.push_back_if_unique(data);
    }
    const ZQVector<ImageData*> sources = DistinctDatas(mask->GetImage());
    if (sources.size() != targets.size()) {
        SetError(RESOURCE_ERROR_SUBRESOURCE);
        return;
    }
    // A smaller mask would be read past its end.
    for (int i = 0; i < targets.size(); ++i) {
        if (sources[i]->GetWidth() < targets[i]->GetWidth() || sources[i]->GetHeight() < targets[i]->GetHeight()) {
            SetError(RESOURCE_ERROR_SUBRESOURCE);
            return;
        }
    }
    for (int i = 0; i < targets.size(); ++i) {
        ImageData* data = targets[i];
        if (!data->Lock(false))
            continue;
        if (sources[i]->Lock(true)) {
            if (data->GetPixelData() && sources[i]->GetPixelData())
                CopyAlpha(data, sources[i], m_bPadding);
            sources[i]->Unlock();
        }
        if (m_nUseAlphaChannel != 0)
            data->SetHasAlpha(true);
        data->Unlock();
        // Merging is part of loading: the pixels count as decoded, not altered.
        data->SetAltered(false);
    }
}

void ResourceImage::DropDecodedData() {
    // The loaders were handed bytes that are freed after the load.
    for (const SmartPtr<iImageLoader>& loader : m_Loaders) {
        loader->FreeImageDatas();
        loader->SetDrawSettings(nullptr, 0, std::string(), BitFlags_t<eImageDataCreationFlag>());
    }
}

bool ResourceImage::HasAlteredData() const {
    for (const auto& entry : m_Images) {
        for (const ImageData* data : DistinctDatas(entry.second.Get())) {
            if (data->IsAltered())
                return true;
        }
    }
    return false;
}

void ResourceImage::FreeResource() {
    if (HasAlteredData())
        return;
    ResourceObject::FreeResource();
    m_Images.clear();
    DropDecodedData();
}

bool ResourceImage::Equals(ResourceObject* other) {
    const ResourceImage* image = DynamicCast<ResourceImage>(other);
    return image && image->m_strMaskFile == m_strMaskFile && image->GetFile() == GetFile();
}

Image* ResourceImage::GetImage() const { return m_Images.empty() ? nullptr : m_Images.begin()->second.Get(); }

Image* ResourceImage::GetImage(const std::string& name) const {
    const auto found = m_Images.find(name);
    return found != m_Images.end() ? found->second.Get() : nullptr;
}

std::string ResourceImage::ToStringForResource() const {
    std::string text = ResourceObject::ToStringForResource();
    if (!m_strMaskFile.empty())
        text += " Mask: \"" + m_strMaskFile + "\"";
    if (!m_strDescriptionFile.empty())
        text += " Description: \"" + m_strDescriptionFile + "\"";
    text += " Frames: " + std::to_string(m_nFrameCount) + " Columns: " + std::to_string(m_nColumnCount);
    if (m_bPadding)
        text += " Padded";
    return text;
}

}  // namespace ZQ2
