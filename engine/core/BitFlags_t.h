#pragma once
// A set of bit flags over an enumeration E whose values are single bits or
// combinations of bits.

namespace ZQ2 {

template <class E>
class BitFlags_t {
public:
    constexpr BitFlags_t() = default;
    constexpr BitFlags_t(unsigned int bits) : m_nFlags(bits) {}  // NOLINT: implicit, like a plain bit word

    // Sets (on) or clears every bit of flag.
    void SetFlag(E flag, bool on) {
        const unsigned int bits = static_cast<unsigned int>(flag);
        m_nFlags = on ? (m_nFlags | bits) : (m_nFlags & ~bits);
    }
    // True when every bit of flag is set.
    constexpr bool IsSet(E flag) const { return AreSet(static_cast<unsigned int>(flag)); }
    constexpr bool AreSet(unsigned int bits) const { return (m_nFlags & bits) == bits; }
    constexpr bool IsAnySet(unsigned int bits) const { return (m_nFlags & bits) != 0; }
    constexpr bool IsEmpty() const { return m_nFlags == 0; }
    constexpr unsigned int GetFlags() const { return m_nFlags; }
    void SetFlags(unsigned int bits) { m_nFlags = bits; }

    constexpr bool operator==(const BitFlags_t& other) const { return m_nFlags == other.m_nFlags; }
    constexpr bool operator!=(const BitFlags_t& other) const { return m_nFlags != other.m_nFlags; }

private:
    unsigned int m_nFlags = 0;
};

}  // namespace ZQ2
