#pragma once
// An RC4 key stream from a fixed seed, for data enciphered as one stream.
namespace ZQ2 {
namespace cipher {

class RawCipherInputStream {
public:
    // XORs the buffer with the stream from its start; applying it twice restores the data.
    static void cipher(void* buffer, int length);

    static constexpr long long STREAM_SEED = 682013457;
};

}  // namespace cipher
}  // namespace ZQ2
