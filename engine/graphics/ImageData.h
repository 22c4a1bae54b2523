#pragma once
// One texture: a pixel buffer in main memory that is the master copy, and
// the size of the picture inside the (possibly larger) texture. Write locks
// mark the pixels for upload at their next use. Every image data files
// itself with the image manager, from whichever thread makes it.
#include <cstdint>

#include "engine/core/BaseObject.h"
#include "engine/core/Lockable.h"

namespace ZQ2 {

class ImageData : public BaseObject, public Lockable {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int BYTES_PER_PIXEL = 4;

    // managed: an ordinary texture (true) or a texture target (false).
    ImageData(int width, int height, int textureWidth, int textureHeight, bool managed);
    // Leaves the image manager.
    ~ImageData() override;
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    // The lockable part answers the interface record.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    // Marks the data flushed and drops every lock held on it.
    virtual void Flush();
    virtual void Restore();
    // The whole texture's pixels, rows of GetPitch() bytes.
    virtual void* GetPixelData() const = 0;
    // Every pixel of the texture becomes transparent white.
    virtual void ClearPixelData() = 0;

    // Pixel (x, y) of the texture as a T; no bounds checks.
    template <class T>
    T* GetPixelData(int x, int y) const {
        auto* bytes = static_cast<unsigned char*>(GetPixelData());
        return bytes ? reinterpret_cast<T*>(bytes + static_cast<intptr_t>(y) * m_nPitch +
                                            static_cast<intptr_t>(x) * m_nBytesPerPixel)
                     : nullptr;
    }

    // Stamps the last use with the frame's time, for the flush policy.
    void UpdateTime();

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetTextureWidth() const { return m_nTextureWidth; }
    int GetTextureHeight() const { return m_nTextureHeight; }
    // The picture's share of the texture, across and down.
    float GetFillFactorX() const { return m_fFillFactorX; }
    float GetFillFactorY() const { return m_fFillFactorY; }
    int GetPitch() const { return m_nPitch; }
    int GetBytesPerPixel() const { return m_nBytesPerPixel; }
    bool IsManaged() const { return m_bManaged; }
    bool IsFlushed() const { return m_bFlushed; }
    // Set by every write lock; the image loaders clear it after decoding,
    // so it tells pixels changed at run time.
    bool IsAltered() const { return m_bAltered; }
    void SetAltered(bool altered) { m_bAltered = altered; }
    bool HasAlpha() const { return m_bHasAlpha; }
    void SetHasAlpha(bool hasAlpha) { m_bHasAlpha = hasAlpha; }
    // An alpha-only texture takes its colour from the vertices.
    bool IsAlphaOnly() const { return m_bAlphaOnly; }
    void SetAlphaOnly(bool alphaOnly) { m_bAlphaOnly = alphaOnly; }
    int64_t GetLastUseTime() const { return m_nLastUseTime; }
    void SetLastUseTime(int64_t time) { m_nLastUseTime = time; }

protected:
    // Leaves the image manager once; the most derived destructor calls it
    // first, so the manager never reaches a half-destroyed object.
    void RemoveFromImageManager();

    int m_nPitch;
    int m_nBytesPerPixel = BYTES_PER_PIXEL;

private:
    bool m_bManaged;
    bool m_bFlushed = false;
    bool m_bAltered = false;
    bool m_bRegistered = false;
    int m_nWidth;
    int m_nHeight;
    int m_nTextureWidth;
    int m_nTextureHeight;
    float m_fFillFactorX;
    float m_fFillFactorY;
    bool m_bHasAlpha = true;
    bool m_bAlphaOnly = false;
    int64_t m_nLastUseTime = 0;
};

}  // namespace ZQ2
