#pragma once
// Image data with an OpenGL rectangle texture. The pixels are little-endian
// ARGB words; the renderer uploads them at the first draw after a change.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/graphics/ImageData.h"

namespace platform {
class GlWindow;
}

namespace ZQ2 {

class ImageDataOpenGL : public ImageData {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The pixel buffer holds the whole texture, zero-filled.
    ImageDataOpenGL(unsigned int width, unsigned int height, unsigned int textureWidth, unsigned int textureHeight,
                    bool managed);
    // A managed copy of other's sizes, flags and pixels, without a texture.
    explicit ImageDataOpenGL(ImageDataOpenGL* other);
    // Deletes the texture with its context current.
    ~ImageDataOpenGL() override;
    ImageDataOpenGL(const ImageDataOpenGL&) = delete;
    ImageDataOpenGL& operator=(const ImageDataOpenGL&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }

    using ImageData::GetPixelData;
    void* GetPixelData() const override { return m_Pixels.empty() ? nullptr : m_Pixels.data(); }
    void ClearPixelData() override;

    // Makes the texture name in the renderer's context, keeps that context
    // alive for as long as the name exists and leaves the texture bound to
    // the renderer's texture target with its sampling set.
    void GenerateGLTextureName();
    unsigned int GetTextureName() const { return m_nTextureName; }
    // The target the texture was made for (valid once it has a name).
    unsigned int GetTextureTarget() const { return m_nTextureTarget; }
    bool NeedsUpload() const { return m_bNeedsUpload; }
    void SetNeedsUpload(bool needsUpload) { m_bNeedsUpload = needsUpload; }
    // True when the texture holds what was drawn into it, rows bottom-up.
    virtual bool IsCopiedFromFrameBuffer() const { return false; }

protected:
    // A writing lock marks the pixels for upload and as altered.
    bool DoLock(bool readOnly) override;
    bool DoUnlock() override { return true; }
    void SetTextureName(unsigned int name) { m_nTextureName = name; }
    // Keeps the renderer's context, which the texture name belongs to.
    bool HoldRendererContext();
    bool MakeContextCurrent() const;

private:
    unsigned int m_nTextureName = 0;
    unsigned int m_nTextureTarget = 0;
    mutable std::vector<uint32_t> m_Pixels;
    bool m_bNeedsUpload = true;
    std::shared_ptr<platform::GlWindow> m_pContext;
};

}  // namespace ZQ2
