#include <gtest/gtest.h>

#include <cstdint>

#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz {
namespace {

int magic(std::uint32_t hex) { return static_cast<std::int32_t>(hex); }

// One row per number any file kind uses, plus neighbours and strangers.
struct Row {
    std::uint32_t hex;
    int inp, inpOld, inpV2, inpSp, expSp, simV4, simSp, title;
};

const Row kRows[] = {
    {0x00000000u, 0, 0, 0, 0, 0, 0, 0, 20},
    {0x00000001u, 0, 0, 0, 0, 0, 0, 0, 256},
    {0xFFFFFFFFu, 0, 0, 0, 0, 0, 0, 0, 256},
    {0xCDB0B0B2u, 0, 0, 0, 0, 0, 0, 0, 20},
    {0xCDB0B1B6u, 0, 0, 0, 0, 0, 0, 0, 256},
    {0xCDB0B1B7u, 1, 1, 0, 0, 0, 0, 0, 20},
    {0xCDB0B1B8u, 0, 0, 0, 0, 0, 0, 0, 256},
    {0xCDB0B2B1u, 0, 0, 0, 0, 1, 0, 0, 20},
    {0xCDB0B2B2u, 0, 0, 0, 0, 0, 0, 1, 20},
    {0xCDB0B3B6u, 0, 0, 0, 0, 0, 0, 0, 20},
    {0xCDB0B3B7u, 1, 0, 0, 0, 0, 0, 0, 20},
    {0xCDB0B3B8u, 1, 0, 1, 0, 0, 0, 0, 20},
    {0xCDB0B3B9u, 1, 0, 1, 1, 0, 0, 0, 20},
    {0xCDB0B3BAu, 1, 0, 1, 0, 0, 0, 0, 256},
    {0xCDB0B3BBu, 1, 0, 1, 1, 0, 0, 0, 256},
    {0xCDB0B3BCu, 0, 0, 0, 0, 0, 1, 0, 256},
    {0xCDB0B3BDu, 0, 0, 0, 0, 0, 1, 1, 256},
    {0xCDB0B3BEu, 0, 0, 0, 0, 0, 0, 0, 256},
    {0xCDB0B3BFu, 0, 0, 0, 0, 1, 0, 0, 256},
    {0xCDB0B3C0u, 0, 0, 0, 0, 0, 0, 0, 256},
    {0x7FFFFFFFu, 0, 0, 0, 0, 0, 0, 0, 256},
    {0x80000000u, 0, 0, 0, 0, 0, 0, 0, 256},
};

TEST(MagicNo, PredicatesAndTitleLengths) {
    for (const Row& r : kRows) {
        const int m = magic(r.hex);
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << r.hex);
        EXPECT_EQ(MagicNo::IsInpFormat(m), r.inp);
        EXPECT_EQ(MagicNo::IsInpOldFormat(m), r.inpOld);
        EXPECT_EQ(MagicNo::IsInpV2OrAfter(m), r.inpV2);
        EXPECT_EQ(MagicNo::IsInpSp(m), r.inpSp);
        EXPECT_EQ(MagicNo::IsExpSp(m), r.expSp);
        EXPECT_EQ(MagicNo::IsSimV4OrAfter(m), r.simV4);
        EXPECT_EQ(MagicNo::IsSimSp(m), r.simSp);
        EXPECT_EQ(MagicNo::GetFileTitleLength(m), r.title);
    }
}

TEST(MagicNo, GettersGiveTheCurrentVersions) {
    EXPECT_EQ(MagicNo::GetInpMagicNo4Bk(), magic(0xCDB0B3BAu));
    EXPECT_EQ(MagicNo::GetInpMagicNo4Sp(), magic(0xCDB0B3BBu));
    EXPECT_EQ(MagicNo::GetSimMagicNo4Bk(), magic(0xCDB0B3BCu));
    EXPECT_EQ(MagicNo::GetSimMagicNo4Sp(), magic(0xCDB0B3BDu));
    EXPECT_EQ(MagicNo::GetExpMagicNo4Bk(), magic(0xCDB0B3BEu));
    EXPECT_EQ(MagicNo::GetExpMagicNo4Sp(), magic(0xCDB0B3BFu));
    EXPECT_EQ(MagicNo::GetSimMagicNo4Bk(), -844057668);
    // What a writer puts in is what the readers accept as current.
    EXPECT_TRUE(MagicNo::IsInpV2OrAfter(MagicNo::GetInpMagicNo4Sp()));
    EXPECT_TRUE(MagicNo::IsInpSp(MagicNo::GetInpMagicNo4Sp()));
    EXPECT_FALSE(MagicNo::IsInpSp(MagicNo::GetInpMagicNo4Bk()));
    EXPECT_TRUE(MagicNo::IsSimSp(MagicNo::GetSimMagicNo4Sp()));
    EXPECT_FALSE(MagicNo::IsSimSp(MagicNo::GetSimMagicNo4Bk()));
    EXPECT_TRUE(MagicNo::IsExpSp(MagicNo::GetExpMagicNo4Sp()));
    EXPECT_FALSE(MagicNo::IsExpSp(MagicNo::GetExpMagicNo4Bk()));
}

} // namespace
} // namespace qrtz
