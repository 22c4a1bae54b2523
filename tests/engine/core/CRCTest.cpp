#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/CRC.h"
#include "engine/core/CRC32.h"

namespace ZQ2 {
namespace cipher {
namespace {

const char kCheck[] = "123456789";

TEST(CRC32, CheckValueAndIncrementalUpdates) {
    CRC32 crc;
    crc.update(kCheck, 9);
    EXPECT_EQ(crc.getValue(), 0xCBF43926UL);

    CRC32 bytewise;
    for (int i = 0; i < 9; ++i)
        bytewise.update(static_cast<int>(kCheck[i]));
    EXPECT_EQ(bytewise.getValue(), 0xCBF43926UL);

    CRC32 pieces;
    pieces.update(kCheck, 9, 0, 4);
    pieces.update(kCheck, 9, 4, 5);
    EXPECT_EQ(pieces.getValue(), 0xCBF43926UL);

    crc.reset();
    EXPECT_EQ(crc.getValue(), 0UL);  // nothing fed: the complement of the preset
}

TEST(CRC32, RangesOutsideTheBufferChangeNothing) {
    CRC32 crc;
    crc.update(kCheck, 9, 5, 5);
    crc.update(kCheck, 9, -1, 2);
    crc.update(kCheck, 9, 0, -3);
    crc.update(nullptr, 9);
    EXPECT_EQ(crc.getValue(), 0UL);
    EXPECT_EQ(crc.Reflect(0x1, 8), 0x80UL);
    EXPECT_EQ(crc.Reflect(0x80000000UL, 32), 0x1UL);
}

TEST(CRC, IsTheReflectedTableWithoutPresetOrComplement) {
    CRC crc;
    crc.update(kCheck, 9);
    EXPECT_EQ(crc.getValue(), 0x2DFD2D88LL);

    CRC pieces;
    pieces.update(kCheck, 9, 0, 2);
    pieces.update(kCheck, 9, 2, 7);
    EXPECT_EQ(pieces.getValue(), 0x2DFD2D88LL);

    crc.reset();
    crc.update(kCheck, 9, 8, 2);
    EXPECT_EQ(crc.getValue(), 0LL);
}

}  // namespace
}  // namespace cipher
}  // namespace ZQ2
