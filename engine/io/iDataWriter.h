#pragma once
// Receives the bytes a transfer downloads.
namespace ZQ2 {

class iDataWriter {
public:
    virtual ~iDataWriter() = default;
    virtual int WriteData(const void* data, unsigned long length) = 0;
};

}  // namespace ZQ2
