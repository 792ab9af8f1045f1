#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz {

int MagicNo::IsInpFormat(int magic) {
    return magic == kInpOld || (magic >= kInp1 && magic <= kInp4Sp) ? 1 : 0;
}

int MagicNo::IsInpOldFormat(int magic) { return magic == kInpOld ? 1 : 0; }

int MagicNo::IsInpV2OrAfter(int magic) { return magic >= kInp2Bk && magic <= kInp4Sp ? 1 : 0; }

int MagicNo::IsInpSp(int magic) { return magic == kInp2Sp || magic == kInp4Sp ? 1 : 0; }

int MagicNo::IsExpSp(int magic) { return magic == kExpSpOld || magic == kExp4Sp ? 1 : 0; }

int MagicNo::IsSimV4OrAfter(int magic) { return magic == kSim4Bk || magic == kSim4Sp ? 1 : 0; }

int MagicNo::IsSimSp(int magic) { return magic == kSimSpOld || magic == kSim4Sp ? 1 : 0; }

int MagicNo::GetFileTitleLength(int magic) {
    switch (magic) {
    case kSimOld:
    case kUnused0B2:
    case kInpOld:
    case kExpSpOld:
    case kSimSpOld:
    case kUnused3B6:
    case kInp1:
    case kInp2Bk:
    case kInp2Sp:
        return 20;
    default:
        return 256;
    }
}

} // namespace qrtz
