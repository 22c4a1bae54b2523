// libxmp as the yardstick for the tracker players: loads the same bytes and
// steps its player one tick at a time.
#pragma once

#include <xmp.h>

#include <cstdint>
#include <vector>

class XmpReference
{
public:
    explicit XmpReference(const std::vector<uint8_t>& data, int mode = XMP_MODE_AUTO) : m_pContext(xmp_create_context())
    {
        m_bLoaded = xmp_load_module_from_memory(m_pContext, data.data(), static_cast<long>(data.size())) == 0;
        if (!m_bLoaded)
            return;
        xmp_get_module_info(m_pContext, &m_Info);
        m_bStarted = xmp_start_player(m_pContext, 44100, 0) == 0;
        xmp_set_player(m_pContext, XMP_PLAYER_MODE, mode);
        xmp_set_player(m_pContext, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
        xmp_set_player(m_pContext, XMP_PLAYER_MIX, 100);
    }
    ~XmpReference()
    {
        if (m_bStarted)
            xmp_end_player(m_pContext);
        if (m_bLoaded)
            xmp_release_module(m_pContext);
        xmp_free_context(m_pContext);
    }
    XmpReference(const XmpReference&) = delete;
    XmpReference& operator=(const XmpReference&) = delete;

    bool Loaded() const { return m_bLoaded && m_bStarted; }
    const xmp_module& Module() const { return *m_Info.mod; }
    // Plays one tick; its state afterwards.
    const xmp_frame_info& Step()
    {
        xmp_play_frame(m_pContext);
        xmp_get_frame_info(m_pContext, &m_Frame);
        return m_Frame;
    }

private:
    xmp_context m_pContext;
    xmp_module_info m_Info{};
    xmp_frame_info m_Frame{};
    bool m_bLoaded = false;
    bool m_bStarted = false;
};
