#pragma once
// Supplies the bytes a transfer uploads: the count placed in the buffer, 0 at
// the end.
namespace ZQ2 {

class iDataReader {
public:
    virtual ~iDataReader() = default;
    virtual unsigned long ReadData(void* buffer, unsigned long length) = 0;
};

}  // namespace ZQ2
