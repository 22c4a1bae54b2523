#pragma once
// A mono 16-bit PCM WAV file at 44,100 Hz, written for tests that play
// sounds through the engine.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mono_wav {

// Writes the samples to path and gives the path back.
inline std::string Write(const std::string& path, const std::vector<int16_t>& samples) {
    const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> d;
    auto put = [&d](uint32_t v, int count) {
        for (int i = 0; i < count; ++i)
            d.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    d.insert(d.end(), {'R', 'I', 'F', 'F'});
    put(36 + bytes, 4);
    d.insert(d.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(44100, 4);
    put(88200, 4);
    put(2, 2);
    put(16, 2);
    d.insert(d.end(), {'d', 'a', 't', 'a'});
    put(bytes, 4);
    for (int16_t sample : samples)
        put(static_cast<uint16_t>(sample), 2);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(d.data(), 1, d.size(), f);
        std::fclose(f);
    }
    return path;
}

}  // namespace mono_wav
