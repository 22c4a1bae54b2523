#include "engine/graphics/ImageData.h"

#include "engine/framework/TaskManager.h"
#include "engine/graphics/ImageManager.h"

namespace ZQ2 {

const RTTI* const ImageData::rttis[] = {&BaseObject::rtti, &Interface::rtti, nullptr};
const RTTI ImageData::rtti("ImageData", ImageData::rttis);

namespace {

float Share(int part, int whole) { return whole > 0 ? static_cast<float>(part) / static_cast<float>(whole) : 0.0f; }

}  // namespace

ImageData::ImageData(int width, int height, int textureWidth, int textureHeight, bool managed)
    : m_nPitch(textureWidth * BYTES_PER_PIXEL),
      m_bManaged(managed),
      m_nWidth(width),
      m_nHeight(height),
      m_nTextureWidth(textureWidth),
      m_nTextureHeight(textureHeight),
      m_fFillFactorX(Share(width, textureWidth)),
      m_fFillFactorY(Share(height, textureHeight)) {
    UpdateTime();
    m_bRegistered = ImageManager::AddToInstance(this, managed);
}

ImageData::~ImageData() { RemoveFromImageManager(); }

void ImageData::RemoveFromImageManager() {
    if (!m_bRegistered)
        return;
    m_bRegistered = false;
    ImageManager::RemoveFromInstance(this);
}

void* ImageData::QueryInterface(const RTTI& which) {
    if (&which == &Interface::rtti)
        return static_cast<Lockable*>(this);
    return BaseObject::QueryInterface(which);
}

void ImageData::Flush() {
    m_bFlushed = true;
    ResetLockCount();
}

void ImageData::Restore() { m_bFlushed = false; }

void ImageData::UpdateTime() {
    const int64_t now = TaskManager::GetSharedCurrentTime();
    if (now >= 0)
        m_nLastUseTime = now;
}

}  // namespace ZQ2
