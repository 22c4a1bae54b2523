#include "ModuleWriter.h"

#include "aulos/format_imaadpcm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace
{
// The player's period table, quarter Amiga units (the MOD file stores entry n + 23 of note n).
const int kPeriods[132] = {
    27392, 25856, 24384, 23040, 21696, 20480, 19328, 18240, 17216, 16256, 15360, 14496, 13696, 12928, 12192,
    11520, 10848, 10240, 9664,  9120,  8608,  8128,  7680,  7248,  6848,  6464,  6096,  5760,  5424,  5120,
    4832,  4560,  4304,  4064,  3840,  3624,  3424,  3232,  3048,  2880,  2712,  2560,  2416,  2280,  2152,
    2032,  1920,  1812,  1712,  1616,  1524,  1440,  1356,  1280,  1208,  1140,  1076,  1016,  960,   906,
    856,   808,   762,   720,   678,   640,   604,   570,   538,   508,   480,   453,   428,   404,   381,
    360,   339,   320,   302,   285,   269,   254,   240,   226,   214,   202,   190,   180,   170,   160,
    151,   143,   135,   127,   120,   113,   107,   101,   95,    90,    85,    80,    75,    71,    67,
    63,    60,    56,    53,    50,    47,    45,    42,    40,    37,    35,    33,    31,    30,    28,
    26,    25,    23,    22,    21,    20,    18,    17,    16,    15,    15,    14};

void Put16BE(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void Put16LE(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32LE(std::vector<uint8_t>& out, uint32_t v)
{
    Put16LE(out, v & 0xFFFF);
    Put16LE(out, v >> 16);
}

void Set16LE(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Align16(std::vector<uint8_t>& out)
{
    while (out.size() % 16)
        out.push_back(0);
}

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

ModuleSample Wave(const std::string& name, uint32_t length, uint32_t period, bool square)
{
    ModuleSample s;
    s.name = name;
    s.data.resize(length);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < length; ++i)
    {
        const double phase = static_cast<double>(i % period) / period;
        const double v = square ? (phase < 0.5 ? 1.0 : -1.0) : std::sin(2.0 * pi * phase);
        s.data[i] = static_cast<int8_t>(std::lround(v * 100.0));
    }
    s.loopstart = 0;
    s.looplength = length - length % period;
    return s;
}
} // namespace

ModuleSample SineSample(const std::string& name, uint32_t length, uint32_t period)
{
    return Wave(name, length, period, false);
}

ModuleSample SquareSample(const std::string& name, uint32_t length, uint32_t period)
{
    return Wave(name, length, period, true);
}

std::vector<uint8_t> WriteMOD(const ModuleSong& song, const char* signature)
{
    std::vector<uint8_t> out;
    PutText(out, song.name, 20);
    for (size_t i = 0; i < 31; ++i)
    {
        const ModuleSample blank;
        const ModuleSample& s = i < song.samples.size() ? song.samples[i] : blank;
        PutText(out, s.name, 22);
        Put16BE(out, static_cast<uint32_t>(s.data.size() / 2));
        out.push_back(s.finetune & 15);
        out.push_back(s.volume);
        Put16BE(out, s.loopstart / 2);
        Put16BE(out, s.looplength >= 4 ? s.looplength / 2 : 1);
    }
    out.push_back(static_cast<uint8_t>(song.orders.size()));
    out.push_back(127);
    for (size_t i = 0; i < 128; ++i)
        out.push_back(i < song.orders.size() ? song.orders[i] : 0);
    char sig[16];
    if (signature)
        std::memcpy(sig, signature, 4);
    else if (song.channels == 4)
        std::memcpy(sig, "M.K.", 4);
    else if (song.channels < 10)
        std::snprintf(sig, sizeof(sig), "%dCHN", song.channels);
    else
        std::snprintf(sig, sizeof(sig), "%dCH", song.channels);
    out.insert(out.end(), sig, sig + 4);
    for (const auto& pattern : song.patterns)
    {
        for (const ModuleCell& c : pattern)
        {
            const int period = c.note ? kPeriods[c.note + 23] : 0;
            out.push_back(static_cast<uint8_t>((c.instrument & 0xF0) | (period >> 8)));
            out.push_back(static_cast<uint8_t>(period));
            out.push_back(static_cast<uint8_t>(((c.instrument & 0x0F) << 4) | (c.effect & 0x0F)));
            out.push_back(c.parameter);
        }
    }
    for (const ModuleSample& s : song.samples)
        out.insert(out.end(), s.data.begin(), s.data.begin() + static_cast<long>(s.data.size() & ~size_t(1)));
    return out;
}

std::vector<uint8_t> WriteS3M(const ModuleSong& song)
{
    std::vector<uint8_t> out;
    PutText(out, song.name, 28);
    out.push_back(0x1A);
    out.push_back(16);
    Put16LE(out, 0);
    const size_t orders = song.orders.size() + (song.orders.size() & 1);
    Put16LE(out, static_cast<uint32_t>(orders));
    Put16LE(out, static_cast<uint32_t>(song.samples.size()));
    Put16LE(out, static_cast<uint32_t>(song.patterns.size()));
    Put16LE(out, 0);      // flags
    Put16LE(out, 0x1320); // tracker version
    Put16LE(out, 2);      // unsigned samples
    out.insert(out.end(), {'S', 'C', 'R', 'M'});
    out.push_back(64);  // global volume
    out.push_back(6);   // speed
    out.push_back(125); // tempo
    out.push_back(0xB0); // stereo
    out.push_back(0);
    out.push_back(0);   // no pan table
    out.resize(64, 0);
    for (int c = 0; c < 32; ++c)
        out.push_back(c < song.channels ? static_cast<uint8_t>((c & 1) ? 8 + c / 2 : c / 2) : 255);
    for (size_t i = 0; i < orders; ++i)
        out.push_back(i < song.orders.size() ? song.orders[i] : 255);
    const size_t pointers = out.size();
    out.resize(out.size() + 2 * (song.samples.size() + song.patterns.size()), 0);
    Align16(out);
    std::vector<size_t> headers;
    for (size_t i = 0; i < song.samples.size(); ++i)
    {
        Set16LE(out, pointers + 2 * i, static_cast<uint32_t>(out.size() / 16));
        const ModuleSample& s = song.samples[i];
        headers.push_back(out.size());
        out.push_back(1);
        PutText(out, "", 12);
        out.push_back(0);
        Put16LE(out, 0); // data pointer, filled in below
        const uint32_t length = static_cast<uint32_t>(s.data.size());
        Put32LE(out, length);
        Put32LE(out, s.loopstart);
        Put32LE(out, s.loopstart + s.looplength);
        out.push_back(s.volume);
        out.push_back(0);
        out.push_back(0);
        out.push_back(static_cast<uint8_t>((s.looplength ? 1 : 0) | (s.sixteen ? 4 : 0)));
        Put32LE(out, s.c2spd);
        PutText(out, "", 12);
        PutText(out, s.name, 28);
        out.insert(out.end(), {'S', 'C', 'R', 'S'});
    }
    Align16(out);
    for (size_t p = 0; p < song.patterns.size(); ++p)
    {
        Set16LE(out, pointers + 2 * (song.samples.size() + p), static_cast<uint32_t>(out.size() / 16));
        const size_t start = out.size();
        Put16LE(out, 0);
        for (int row = 0; row < 64; ++row)
        {
            for (int c = 0; c < song.channels; ++c)
            {
                const ModuleCell& cell = song.patterns[p][static_cast<size_t>(row * song.channels + c)];
                uint8_t what = static_cast<uint8_t>(c);
                if (cell.note || cell.instrument)
                    what |= 32;
                if (cell.volume)
                    what |= 64;
                if (cell.effect)
                    what |= 128;
                if (what == c)
                    continue;
                out.push_back(what);
                if (what & 32)
                {
                    const int n = cell.note - 1;
                    out.push_back(cell.note == 254 ? 254 : (cell.note ? static_cast<uint8_t>(((n / 12) << 4) | (n % 12)) : 255));
                    out.push_back(cell.instrument);
                }
                if (what & 64)
                    out.push_back(static_cast<uint8_t>(cell.volume - 1));
                if (what & 128)
                {
                    out.push_back(cell.effect);
                    out.push_back(cell.parameter);
                }
            }
            out.push_back(0);
        }
        Set16LE(out, start, static_cast<uint32_t>(out.size() - start - 2));
        Align16(out);
    }
    for (size_t i = 0; i < song.samples.size(); ++i)
    {
        Align16(out);
        const uint32_t para = static_cast<uint32_t>(out.size() / 16);
        out[headers[i] + 13] = static_cast<uint8_t>(para >> 16);
        Set16LE(out, headers[i] + 14, para & 0xFFFF);
        for (int8_t v : song.samples[i].data)
        {
            if (song.samples[i].sixteen)
                out.push_back(0);
            out.push_back(static_cast<uint8_t>(v ^ 0x80));
        }
    }
    return out;
}

namespace
{
void PutEnvelope(std::vector<uint8_t>& out, const ModuleEnvelope& env)
{
    for (size_t i = 0; i < 12; ++i)
    {
        Put16LE(out, i < env.points.size() ? env.points[i].first : 0);
        Put16LE(out, i < env.points.size() ? env.points[i].second : 0);
    }
}

uint8_t EnvelopeType(const ModuleEnvelope& env)
{
    if (env.points.empty())
        return 0;
    return static_cast<uint8_t>(1 | (env.sustain >= 0 ? 2 : 0) | (env.loopstart >= 0 ? 4 : 0));
}
} // namespace

namespace
{
// The sample as 16-bit mono WAV, compressed by oggenc in the test's temporary folder.
std::vector<uint8_t> EncodeOgg(const std::vector<int8_t>& data, int rate)
{
    const char* folder = std::getenv("TEST_TMPDIR");
    const std::string base = std::string(folder ? folder : "/tmp") + "/xmsample";
    std::vector<uint8_t> wav;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Put32LE(wav, static_cast<uint32_t>(36 + data.size() * 2));
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32LE(wav, 16);
    Put16LE(wav, 1);
    Put16LE(wav, 1);
    Put32LE(wav, static_cast<uint32_t>(rate));
    Put32LE(wav, static_cast<uint32_t>(rate * 2));
    Put16LE(wav, 2);
    Put16LE(wav, 16);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put32LE(wav, static_cast<uint32_t>(data.size() * 2));
    for (int8_t v : data)
        Put16LE(wav, static_cast<uint16_t>(v * 256));
    FILE* file = std::fopen((base + ".wav").c_str(), "wb");
    if (!file)
        return {};
    std::fwrite(wav.data(), 1, wav.size(), file);
    std::fclose(file);
    const std::string command = "oggenc -Q -q 6 -o '" + base + ".ogg' '" + base + ".wav'";
    if (std::system(command.c_str()) != 0)
        return {};
    std::vector<uint8_t> ogg;
    file = std::fopen((base + ".ogg").c_str(), "rb");
    if (!file)
        return {};
    uint8_t buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        ogg.insert(ogg.end(), buffer, buffer + n);
    std::fclose(file);
    return ogg;
}
} // namespace

std::vector<uint8_t> WriteXM(const ModuleSong& song)
{
    std::vector<uint8_t> out;
    const std::string id = "Extended Module: ";
    out.insert(out.end(), id.begin(), id.end());
    PutText(out, song.name, 20);
    out.push_back(0x1A);
    PutText(out, "module writer", 20);
    Put16LE(out, 0x104);
    Put32LE(out, 276);
    Put16LE(out, static_cast<uint32_t>(song.orders.size()));
    Put16LE(out, static_cast<uint32_t>(song.restart));
    Put16LE(out, static_cast<uint32_t>(song.channels));
    Put16LE(out, static_cast<uint32_t>(song.patterns.size()));
    Put16LE(out, static_cast<uint32_t>(song.samples.size()));
    Put16LE(out, song.linear ? 1 : 0);
    Put16LE(out, 6);
    Put16LE(out, 125);
    for (size_t i = 0; i < 256; ++i)
        out.push_back(i < song.orders.size() ? song.orders[i] : 0);
    for (const auto& pattern : song.patterns)
    {
        Put32LE(out, 9);
        out.push_back(0);
        Put16LE(out, static_cast<uint32_t>(song.rows));
        const size_t sizeAt = out.size();
        Put16LE(out, 0);
        const size_t start = out.size();
        for (const ModuleCell& c : pattern)
        {
            uint8_t mask = 0x80;
            if (c.note)
                mask |= 1;
            if (c.instrument)
                mask |= 2;
            if (c.volume)
                mask |= 4;
            if (c.effect)
                mask |= 8;
            if (c.parameter)
                mask |= 16;
            out.push_back(mask);
            if (c.note)
                out.push_back(c.note);
            if (c.instrument)
                out.push_back(c.instrument);
            if (c.volume)
                out.push_back(c.volume);
            if (c.effect)
                out.push_back(c.effect);
            if (c.parameter)
                out.push_back(c.parameter);
        }
        Set16LE(out, sizeAt, static_cast<uint32_t>(out.size() - start));
    }
    for (const ModuleSample& s : song.samples)
    {
        Put32LE(out, 263);
        PutText(out, s.name, 22);
        out.push_back(0);
        Put16LE(out, 1);
        Put32LE(out, 40);
        for (int n = 0; n < 96; ++n)
            out.push_back(0);
        PutEnvelope(out, s.volumeenvelope);
        PutEnvelope(out, s.panenvelope);
        out.push_back(static_cast<uint8_t>(s.volumeenvelope.points.size()));
        out.push_back(static_cast<uint8_t>(s.panenvelope.points.size()));
        out.push_back(static_cast<uint8_t>(std::max(s.volumeenvelope.sustain, 0)));
        out.push_back(static_cast<uint8_t>(std::max(s.volumeenvelope.loopstart, 0)));
        out.push_back(static_cast<uint8_t>(std::max(s.volumeenvelope.loopend, 0)));
        out.push_back(static_cast<uint8_t>(std::max(s.panenvelope.sustain, 0)));
        out.push_back(static_cast<uint8_t>(std::max(s.panenvelope.loopstart, 0)));
        out.push_back(static_cast<uint8_t>(std::max(s.panenvelope.loopend, 0)));
        out.push_back(EnvelopeType(s.volumeenvelope));
        out.push_back(EnvelopeType(s.panenvelope));
        out.push_back(s.vibtype);
        out.push_back(s.vibsweep);
        out.push_back(s.vibdepth);
        out.push_back(s.vibrate);
        Put16LE(out, s.fadeout);
        out.resize(out.size() + 22, 0); // reserved up to the instrument's size of 263
        const uint32_t unit = s.sixteen ? 2 : 1;
        std::vector<uint8_t> ogg;
        if (s.ogg)
        {
            Put32LE(ogg, static_cast<uint32_t>(s.data.size()) * unit);
            const std::vector<uint8_t> stream = EncodeOgg(s.data, static_cast<int>(s.c2spd));
            ogg.insert(ogg.end(), stream.begin(), stream.end());
        }
        Put32LE(out, s.ogg ? static_cast<uint32_t>(ogg.size()) : static_cast<uint32_t>(s.data.size()) * unit);
        Put32LE(out, s.loopstart * unit);
        Put32LE(out, s.looplength * unit);
        out.push_back(s.volume);
        out.push_back(static_cast<uint8_t>(s.xmfinetune));
        out.push_back(static_cast<uint8_t>((s.looplength ? (s.bidi ? 2 : 1) : 0) | (s.sixteen ? 0x10 : 0)));
        out.push_back(s.pan);
        out.push_back(static_cast<uint8_t>(s.relnote));
        out.push_back(0);
        PutText(out, s.name, 22);
        if (s.ogg)
        {
            out.insert(out.end(), ogg.begin(), ogg.end());
            continue;
        }
        int old = 0;
        for (int8_t v : s.data)
        {
            const int value = s.sixteen ? v * 256 : v;
            const int delta = value - old;
            old = value;
            if (s.sixteen)
                Put16LE(out, static_cast<uint32_t>(delta & 0xFFFF));
            else
                out.push_back(static_cast<uint8_t>(delta & 0xFF));
        }
    }
    return out;
}

namespace
{
class BitWriter
{
public:
    void Write(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i)
        {
            if (m_iBit == 0)
                m_Bytes.push_back(0);
            if ((value >> i) & 1u)
                m_Bytes.back() = static_cast<uint8_t>(m_Bytes.back() | (1u << m_iBit));
            m_iBit = (m_iBit + 1) & 7;
        }
    }
    std::vector<uint8_t> Take()
    {
        m_iBit = 0;
        return std::move(m_Bytes);
    }

private:
    std::vector<uint8_t> m_Bytes;
    int m_iBit = 0;
};

bool Fits(int32_t delta, int width)
{
    return delta >= -(1 << (width - 1)) && delta < (1 << (width - 1));
}

// Whether the delta can be written at this width without looking like a width change.
bool Encodable(int32_t delta, int width, int top, int valuebits, int window)
{
    if (width == top)
        return true;
    if (!Fits(delta, width))
        return false;
    const uint32_t v = static_cast<uint32_t>(delta) & ((1u << width) - 1);
    if (width <= 6)
        return v != (1u << (width - 1));
    const uint32_t border = (((1u << valuebits) - 1) >> (top - width)) - static_cast<uint32_t>(window / 2);
    return !(v > border && v <= border + static_cast<uint32_t>(window));
}

void ChangeWidth(BitWriter& out, int& width, int next, int top, int valuebits, int window, int changebits)
{
    if (width <= 6)
    {
        out.Write(1u << (width - 1), width);
        out.Write(static_cast<uint32_t>(next < width ? next - 1 : next - 2), changebits);
    }
    else if (width < top)
    {
        const uint32_t border = (((1u << valuebits) - 1) >> (top - width)) - static_cast<uint32_t>(window / 2);
        out.Write(border + static_cast<uint32_t>(next < width ? next : next - 1), width);
    }
    else
    {
        out.Write((1u << valuebits) | static_cast<uint32_t>(next - 1), width);
    }
    width = next;
}
} // namespace

std::vector<uint8_t> CompressITSample(const std::vector<int16_t>& values, bool sixteen, bool it215)
{
    const int top = sixteen ? 17 : 9;
    const int valuebits = sixteen ? 16 : 8;
    const int window = sixteen ? 16 : 8;
    const int changebits = sixteen ? 4 : 3;
    const size_t blocksamples = sixteen ? 0x4000 : 0x8000;
    std::vector<uint8_t> out;
    for (size_t start = 0; start < values.size(); start += blocksamples)
    {
        BitWriter bits;
        int width = top;
        int32_t prev1 = 0; // last value
        int32_t prevd = 0; // last first difference
        const size_t end = std::min(values.size(), start + blocksamples);
        for (size_t i = start; i < end; ++i)
        {
            const int32_t value = values[i];
            int32_t d1 = value - prev1;
            int32_t delta = it215 ? d1 - prevd : d1;
            // Wrap into the value range, as the decoder's integrators wrap.
            const int32_t range = 1 << valuebits;
            delta = ((delta % range) + range) % range;
            if (delta >= range / 2)
                delta -= range;
            d1 = ((d1 % range) + range) % range;
            if (d1 >= range / 2)
                d1 -= range;
            prev1 = value;
            prevd = d1;
            int wanted = 1;
            while (!Encodable(delta, wanted, top, valuebits, window))
                ++wanted;
            // Widen at once, narrow only after a small value: both directions get used.
            if (wanted != width && (wanted > width || !Encodable(delta, width, top, valuebits, window) ||
                                    width - wanted >= 2))
                ChangeWidth(bits, width, wanted, top, valuebits, window, changebits);
            if (width == top)
                bits.Write(static_cast<uint32_t>(delta) & ((1u << valuebits) - 1), width);
            else
                bits.Write(static_cast<uint32_t>(delta) & ((1u << width) - 1), width);
        }
        std::vector<uint8_t> block = bits.Take();
        Put16LE(out, static_cast<uint32_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

namespace
{
void PutITEnvelope(std::vector<uint8_t>& out, const ModuleEnvelope& env, bool pan, bool filter = false)
{
    uint8_t flags = env.points.empty() ? 0 : 1;
    if (filter)
        flags |= 0x80;
    if (env.loopstart >= 0)
        flags |= 2;
    if (env.sustain >= 0)
        flags |= 4;
    out.push_back(flags);
    out.push_back(static_cast<uint8_t>(env.points.size()));
    out.push_back(static_cast<uint8_t>(std::max(env.loopstart, 0)));
    out.push_back(static_cast<uint8_t>(std::max(env.loopend, 0)));
    out.push_back(static_cast<uint8_t>(std::max(env.sustain, 0)));
    out.push_back(static_cast<uint8_t>(std::max(env.sustainend >= 0 ? env.sustainend : env.sustain, 0)));
    for (size_t i = 0; i < 25; ++i)
    {
        const int value = i < env.points.size() ? env.points[i].second - (pan ? 32 : 0) : 0;
        out.push_back(static_cast<uint8_t>(value));
        Put16LE(out, i < env.points.size() ? env.points[i].first : 0);
    }
    out.push_back(0);
}
} // namespace

std::vector<uint8_t> WriteIT(const ModuleSong& song, const ITOptions& options)
{
    std::vector<uint8_t> out;
    out.insert(out.end(), {'I', 'M', 'P', 'M'});
    PutText(out, song.name, 26);
    Put16LE(out, 0x1004);
    const size_t orders = song.orders.size() + 1;
    const size_t instruments = options.instruments ? song.samples.size() : 0;
    Put16LE(out, static_cast<uint32_t>(orders));
    Put16LE(out, static_cast<uint32_t>(instruments));
    Put16LE(out, static_cast<uint32_t>(song.samples.size()));
    Put16LE(out, static_cast<uint32_t>(song.patterns.size()));
    Put16LE(out, options.it215 ? 0x215 : 0x214);
    Put16LE(out, options.it215 ? 0x215 : 0x214);
    Put16LE(out, static_cast<uint32_t>(1 | (options.instruments ? 4 : 0) | (song.linear ? 8 : 0)));
    Put16LE(out, 0);
    out.push_back(128); // global volume
    out.push_back(128); // mix volume
    out.push_back(6);
    out.push_back(125);
    out.push_back(128);
    out.push_back(0);
    Put16LE(out, 0);
    Put32LE(out, 0);
    Put32LE(out, 0);
    for (int c = 0; c < 64; ++c)
        out.push_back(c < song.channels ? static_cast<uint8_t>((c & 1) ? 48 : 16) : 32 | 128);
    for (int c = 0; c < 64; ++c)
        out.push_back(64);
    for (uint8_t o : song.orders)
        out.push_back(o);
    out.push_back(255);
    const size_t pointers = out.size();
    out.resize(out.size() + 4 * (instruments + song.samples.size() + song.patterns.size()), 0);
    auto setPointer = [&](size_t slot) {
        const uint32_t at = static_cast<uint32_t>(out.size());
        for (int b = 0; b < 4; ++b)
            out[pointers + slot * 4 + static_cast<size_t>(b)] = static_cast<uint8_t>(at >> (8 * b));
    };
    for (size_t i = 0; i < instruments; ++i)
    {
        setPointer(i);
        const ModuleSample& s = song.samples[i];
        const size_t start = out.size();
        out.insert(out.end(), {'I', 'M', 'P', 'I'});
        PutText(out, "", 12);
        out.push_back(0);
        out.push_back(s.nna);
        out.push_back(s.dct);
        out.push_back(s.dca);
        Put16LE(out, s.fadeout);
        out.push_back(static_cast<uint8_t>(s.pitchpansep));
        out.push_back(s.pitchpancentre);
        out.push_back(128);
        out.push_back(32 | 128);
        out.push_back(s.volumeswing);
        out.push_back(s.panswing);
        Put16LE(out, 0x214);
        out.push_back(1);
        out.push_back(0);
        PutText(out, s.name, 26);
        out.push_back(s.cutoff);
        out.push_back(s.resonance);
        out.resize(start + 0x40, 0);
        for (int n = 0; n < 120; ++n)
        {
            out.push_back(static_cast<uint8_t>(n));
            out.push_back(static_cast<uint8_t>(i + 1));
        }
        PutITEnvelope(out, s.volumeenvelope, false);
        PutITEnvelope(out, s.panenvelope, true);
        PutITEnvelope(out, s.pitchenvelope, true, s.filterenvelope);
        out.resize(start + 554, 0);
    }
    std::vector<size_t> headers;
    for (size_t i = 0; i < song.samples.size(); ++i)
    {
        setPointer(instruments + i);
        const ModuleSample& s = song.samples[i];
        headers.push_back(out.size());
        out.insert(out.end(), {'I', 'M', 'P', 'S'});
        PutText(out, "", 12);
        out.push_back(0);
        out.push_back(64);
        out.push_back(static_cast<uint8_t>(1 | (s.sixteen ? 2 : 0) | (options.compressed ? 8 : 0) |
                                           (s.looplength ? 16 : 0) | (s.bidi ? 64 : 0)));
        out.push_back(s.volume);
        PutText(out, s.name, 26);
        out.push_back(static_cast<uint8_t>(1 | (options.it215 ? 4 : 0)));
        out.push_back(static_cast<uint8_t>(s.pan == 128 ? 32 : (0x80 | (s.pan / 4))));
        Put32LE(out, static_cast<uint32_t>(s.data.size()));
        Put32LE(out, s.loopstart);
        Put32LE(out, s.loopstart + s.looplength);
        Put32LE(out, s.c2spd);
        Put32LE(out, 0);
        Put32LE(out, 0);
        Put32LE(out, 0); // data pointer, below
        out.push_back(s.vibrate);
        out.push_back(s.vibdepth);
        out.push_back(s.vibsweep);
        out.push_back(s.vibtype);
    }
    for (size_t p = 0; p < song.patterns.size(); ++p)
    {
        setPointer(instruments + song.samples.size() + p);
        const size_t start = out.size();
        Put16LE(out, 0);
        Put16LE(out, static_cast<uint32_t>(song.rows));
        Put32LE(out, 0);
        for (int row = 0; row < song.rows; ++row)
        {
            for (int c = 0; c < song.channels; ++c)
            {
                const ModuleCell& cell = song.patterns[p][static_cast<size_t>(row * song.channels + c)];
                uint8_t mask = 0;
                if (cell.note)
                    mask |= 1;
                if (cell.instrument)
                    mask |= 2;
                if (cell.volume)
                    mask |= 4;
                if (cell.effect)
                    mask |= 8;
                if (!mask)
                    continue;
                out.push_back(static_cast<uint8_t>((c + 1) | 128));
                out.push_back(mask);
                if (mask & 1)
                    out.push_back(cell.note >= 254 ? cell.note : static_cast<uint8_t>(cell.note - 1 + 12));
                if (mask & 2)
                    out.push_back(cell.instrument);
                if (mask & 4)
                    out.push_back(static_cast<uint8_t>(cell.volume - 1));
                if (mask & 8)
                {
                    out.push_back(cell.effect);
                    out.push_back(cell.parameter);
                }
            }
            out.push_back(0);
        }
        Set16LE(out, start, static_cast<uint32_t>(out.size() - start - 8));
    }
    for (size_t i = 0; i < song.samples.size(); ++i)
    {
        const ModuleSample& s = song.samples[i];
        const uint32_t at = static_cast<uint32_t>(out.size());
        for (int b = 0; b < 4; ++b)
            out[headers[i] + 0x48 + static_cast<size_t>(b)] = static_cast<uint8_t>(at >> (8 * b));
        std::vector<int16_t> values;
        for (int8_t v : s.data)
            values.push_back(static_cast<int16_t>(s.sixteen ? v * 256 + (v & 0x7F) : v));
        if (options.compressed)
        {
            const std::vector<uint8_t> packed = CompressITSample(values, s.sixteen, options.it215);
            out.insert(out.end(), packed.begin(), packed.end());
            continue;
        }
        for (int16_t v : values)
        {
            if (s.sixteen)
                Put16LE(out, static_cast<uint16_t>(v));
            else
                out.push_back(static_cast<uint8_t>(v));
        }
    }
    return out;
}

namespace
{
// IMA ADPCM in the bank's compact blocks: 36 bytes of a head (first value,
// step index) and 63 codes for 64 values; each code is the one whose decoded
// value comes closest.
std::vector<uint8_t> EncodeImaAdpcm(const std::vector<int8_t>& data)
{
    std::vector<uint8_t> out;
    int index = 40; // carried from block to block, as an encoder's state is
    for (size_t first = 0; first < data.size(); first += 64)
    {
        int predictor = data[first] * 256;
        Put16LE(out, static_cast<uint16_t>(predictor));
        out.push_back(static_cast<uint8_t>(index));
        out.push_back(0);
        uint8_t codes[32] = {};
        for (size_t i = 1; i < 64; ++i)
        {
            const int target = first + i < data.size() ? data[first + i] * 256 : 0;
            int best = 0;
            int bestValue = 0;
            for (int code = 0; code < 16; ++code)
            {
                const int value = AUSND_IMAAdpcm_DecodeSample(code, predictor, AUSND_IMAAdpcm_StepTab[index]);
                if (code == 0 || std::abs(value - target) < std::abs(bestValue - target))
                {
                    best = code;
                    bestValue = value;
                }
            }
            predictor = bestValue;
            index = AUSND_IMAAdpcm_NextStepIndex(best, index);
            codes[(i - 1) >> 1] = static_cast<uint8_t>(codes[(i - 1) >> 1] | (best << (((i - 1) & 1) * 4)));
        }
        out.insert(out.end(), codes, codes + 32);
    }
    return out;
}
} // namespace

std::vector<uint8_t> WriteASB(const std::vector<ModuleSample>& sounds, bool v3, bool compact,
                              const std::vector<bool>& adpcm)
{
    std::vector<uint8_t> area;
    std::vector<uint8_t> data;
    for (size_t i = 0; i < sounds.size(); ++i)
    {
        const ModuleSample& s = sounds[i];
        const bool packed = i < adpcm.size() && adpcm[i];
        const uint32_t length = static_cast<uint32_t>(s.data.size());
        const std::vector<uint8_t> bytes =
            packed ? EncodeImaAdpcm(s.data) : std::vector<uint8_t>(s.data.begin(), s.data.end());
        data.insert(data.end(), bytes.begin(), bytes.end());
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        if (compact && i > 0)
        {
            Put32LE(area, length);
            Put32LE(area, size);
            continue;
        }
        Put16LE(area, 64);
        PutText(area, s.name, 30);
        Put32LE(area, length);
        Put32LE(area, size);
        Put32LE(area, 0);
        Put32LE(area, length ? length - 1 : 0);
        // 8-bit (or IMA ADPCM) mono signed, no loop.
        Put32LE(area, (packed ? 0x400000 : 0x8) | 0x20 | 0x100 | 0x1);
        Put32LE(area, 22050);
        Put16LE(area, 255);
        Put16LE(area, 128);
        Put16LE(area, 128);
        Put16LE(area, 1);
    }
    std::vector<uint8_t> out;
    out.insert(out.end(), {'A', 'S', 'B', static_cast<uint8_t>(v3 ? '3' : '2')});
    Put32LE(out, static_cast<uint32_t>(sounds.size()));
    Put32LE(out, static_cast<uint32_t>(area.size()));
    Put32LE(out, static_cast<uint32_t>(data.size()));
    if (v3)
    {
        Put32LE(out, 0x30000);
        Put32LE(out, compact ? 2 : 0);
    }
    out.insert(out.end(), area.begin(), area.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
