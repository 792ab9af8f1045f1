#pragma once
// The magic numbers that open the simulator's input, export and result files: which kind of
// file, which format version, and whether it belongs to the fixed-population ("Bk") or the
// variable-population ("Sp") simulator. Every reader asks here instead of comparing numbers.
#include <cstdint>

namespace qrtz {

// Tests and values of the magic numbers (see above); every member is static.
class MagicNo {
public:
    MagicNo() = default;
    MagicNo(const MagicNo&) = default;
    MagicNo& operator=(const MagicNo&) = default;
    virtual ~MagicNo() = default;

    // Predicates return 1 or 0.
    static int IsInpFormat(int magic);
    static int IsInpOldFormat(int magic);
    static int IsInpV2OrAfter(int magic);
    static int IsInpSp(int magic);
    static int IsExpSp(int magic);
    static int IsSimV4OrAfter(int magic);
    static int IsSimSp(int magic);

    // The numbers of the current format versions, for writers of these files.
    static int GetInpMagicNo4Bk() { return kInp4Bk; }
    static int GetInpMagicNo4Sp() { return kInp4Sp; }
    static int GetExpMagicNo4Bk() { return kExp4Bk; }
    static int GetExpMagicNo4Sp() { return kExp4Sp; }
    static int GetSimMagicNo4Bk() { return kSim4Bk; }
    static int GetSimMagicNo4Sp() { return kSim4Sp; }

    // Bytes in the fixed title field of a file with this magic: 20 for the old versions (and for
    // 0, the result files that predate magic numbers), 256 for everything else.
    static int GetFileTitleLength(int magic);

private:
    // The file stores these as signed 32-bit integers; the casts keep the hex spelling readable.
    static constexpr int kSimOld = 0;
    static constexpr int kUnused0B2 = static_cast<std::int32_t>(0xCDB0B0B2u);
    static constexpr int kInpOld = static_cast<std::int32_t>(0xCDB0B1B7u);
    static constexpr int kExpSpOld = static_cast<std::int32_t>(0xCDB0B2B1u);
    static constexpr int kSimSpOld = static_cast<std::int32_t>(0xCDB0B2B2u);
    static constexpr int kUnused3B6 = static_cast<std::int32_t>(0xCDB0B3B6u);
    static constexpr int kInp1 = static_cast<std::int32_t>(0xCDB0B3B7u);
    static constexpr int kInp2Bk = static_cast<std::int32_t>(0xCDB0B3B8u);
    static constexpr int kInp2Sp = static_cast<std::int32_t>(0xCDB0B3B9u);
    static constexpr int kInp4Bk = static_cast<std::int32_t>(0xCDB0B3BAu);
    static constexpr int kInp4Sp = static_cast<std::int32_t>(0xCDB0B3BBu);
    static constexpr int kSim4Bk = static_cast<std::int32_t>(0xCDB0B3BCu);
    static constexpr int kSim4Sp = static_cast<std::int32_t>(0xCDB0B3BDu);
    static constexpr int kExp4Bk = static_cast<std::int32_t>(0xCDB0B3BEu);
    static constexpr int kExp4Sp = static_cast<std::int32_t>(0xCDB0B3BFu);
};

} // namespace qrtz
