#pragma once
// An int kept masked in memory, so that a memory scanner does not find it.
#include "engine/core/CipherObject.h"

namespace ZQ2 {
namespace cipher {

class CipherInteger : public CipherObject {
public:
    using CipherObject::CipherObject;

    // "<value masked with the shared state>i<position>".
    virtual String getCipherValue();
    virtual int getValue();
    virtual void setValue(int value);

    // Whether text, as getCipherValue writes it, holds value.
    static bool cipherMatch(int value, const String& text);

    // The four state bytes from position on (wrapping), each taken as a signed
    // byte, summed with weights 1, 2^8, 2^16, 2^24 modulo 2^32.
    static int Mask(const CipherState& state, int position);

private:
    int m_nMaskedValue = 0;
};

}  // namespace cipher
}  // namespace ZQ2
