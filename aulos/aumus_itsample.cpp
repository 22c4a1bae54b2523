// Decoding of the tracker's compressed sample data: blocks of a bit stream
// of variable-width deltas, integrated once (2.14) or twice (2.15).
#include "aulos/aumus.h"

#include <cstring>

namespace
{
// Reads bits least significant first from one block; past its end it gives
// zeros and remembers that the block was short.
class BitReader
{
public:
    BitReader(const uint8_t* data, uint32_t size) : m_pData(data), m_iSize(size) {}

    uint32_t Read(int bits)
    {
        uint32_t value = 0;
        for (int i = 0; i < bits; ++i)
        {
            uint32_t bit = 0;
            if (m_iByte < m_iSize)
                bit = (m_pData[m_iByte] >> m_iBit) & 1u;
            else
                m_bOverrun = true;
            value |= bit << i;
            if (++m_iBit == 8)
            {
                m_iBit = 0;
                ++m_iByte;
            }
        }
        return value;
    }

    bool Overrun() const { return m_bOverrun; }

private:
    bool m_bOverrun = false;
    const uint8_t* m_pData;
    uint32_t m_iSize;
    uint32_t m_iByte = 0;
    int m_iBit = 0;
};

struct Variant
{
    int blocksamples;
    int topwidth;  // 9 or 17
    int changebits; // 3 or 4
    int window;     // width changes above the border: 8 or 16
    int valuebits;  // 8 or 16
};

const Variant kEight{0x8000, 9, 3, 8, 8};
const Variant kSixteen{0x4000, 17, 4, 16, 16};

int32_t SignExtend(uint32_t value, int bits)
{
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((value ^ sign) - sign);
}

template <typename T>
bool Decompress(const Variant& v, const uint8_t* src, uint32_t srclen, T* dest, int len, bool it215)
{
    if (!src || !dest || len < 0)
        return false;
    std::memset(dest, 0, static_cast<size_t>(len) * sizeof(T));
    uint32_t pos = 0;
    int done = 0;
    while (done < len)
    {
        if (srclen - pos < 2)
            return false;
        const uint32_t blockbytes = static_cast<uint32_t>(src[pos] | (src[pos + 1] << 8));
        pos += 2;
        const uint32_t available = srclen - pos < blockbytes ? srclen - pos : blockbytes;
        BitReader bits(src + pos, available);
        pos += available;
        const int count = len - done < v.blocksamples ? len - done : v.blocksamples;
        int width = v.topwidth;
        T d1 = 0;
        T d2 = 0;
        for (int i = 0; i < count;)
        {
            if (width < 1 || width > v.topwidth)
                return false;
            const uint32_t value = bits.Read(width);
            // A block whose samples need more bits than it holds is corrupt.
            if (bits.Overrun())
                return false;
            int32_t delta = 0;
            if (width <= 6)
            {
                if (value == (1u << (width - 1)))
                {
                    const int next = static_cast<int>(bits.Read(v.changebits)) + 1;
                    width = next < width ? next : next + 1;
                    continue;
                }
                delta = SignExtend(value, width);
            }
            else if (width < v.topwidth)
            {
                const uint32_t border = ((v.valuebits == 8 ? 0xFFu : 0xFFFFu) >> (v.topwidth - width)) -
                                        static_cast<uint32_t>(v.window / 2);
                if (value > border && value <= border + static_cast<uint32_t>(v.window))
                {
                    const int next = static_cast<int>(value - border);
                    width = next < width ? next : next + 1;
                    continue;
                }
                delta = SignExtend(value, width);
            }
            else
            {
                if (value & (1u << v.valuebits))
                {
                    width = static_cast<int>(value & 0xFF) + 1;
                    continue;
                }
                delta = SignExtend(value & ((1u << v.valuebits) - 1), v.valuebits);
            }
            d1 = static_cast<T>(d1 + delta);
            d2 = static_cast<T>(d2 + d1);
            dest[done + i] = it215 ? d2 : d1;
            ++i;
        }
        done += count;
    }
    return true;
}
} // namespace

bool AUMUS_IT_Decompress8(const void* src, uint32_t srclen, void* dest, int len, bool it215)
{
    return Decompress(kEight, static_cast<const uint8_t*>(src), srclen, static_cast<int8_t*>(dest), len, it215);
}

bool AUMUS_IT_Decompress16(const void* src, uint32_t srclen, void* dest, int len, bool it215)
{
    return Decompress(kSixteen, static_cast<const uint8_t*>(src), srclen, static_cast<int16_t*>(dest), len, it215);
}
