#include "qrtzdb/environment/TblBond.h"

#include <iterator>

#include "TableKey.h"

namespace qrtz {

namespace {

struct BondRow {
    char name[3];
    int r, g, b;
    double width;
};

constexpr BondRow kBondRows[] = {
    {"1 ", 0, 255, 0, 2},  // 0
    {"2 ", 0, 255, 255, 2},  // 1
    {"3 ", 255, 0, 255, 2},  // 2
    {"AR", 255, 0, 0, 2},  // 3
    {"C ", 255, 255, 255, 2},  // 4
    {"PL", 255, 255, 0, 2},  // 5
    {"R ", 0, 0, 255, 2},  // 6
};
static_assert(std::size(kBondRows) == TblBond::kItemCount);

constexpr TblBond::TblItem BuiltIn(int index) {
    const BondRow& row = kBondRows[index];
    return {CString(row.name, 2), tablekey::Opaque(row.r, row.g, row.b), row.width};
}

bool InRange(int index) { return index >= 0 && index < TblBond::kItemCount; }

} // namespace

// constinit: built at load time without running code, so no static constructor can see them empty.
QRTZ_TABLE_CONSTINIT TblBond::TblItem TblBond::item[TblBond::kItemCount] = {
    BuiltIn(0), BuiltIn(1), BuiltIn(2), BuiltIn(3), BuiltIn(4), BuiltIn(5), BuiltIn(6),
};

TblBond::~TblBond() = default;

const CString& TblBond::GetName(int index) { return item[InRange(index) ? index : 0].name; }

const Color4V& TblBond::GetColor(int index) { return item[InRange(index) ? index : 0].color; }

void TblBond::SetColor(int index, const Color4V& color) {
    if (InRange(index)) item[index].color = color;
}

double TblBond::GetWidth(int index) { return InRange(index) ? item[index].width : 0.0; }

void TblBond::SetWidth(int index, double width) {
    if (InRange(index)) item[index].width = width;
}

const Color4V& TblBond::GetColor(const char* code) { return GetColor(FindIndex(code)); }

void TblBond::SetColor(const char* code, const Color4V& color) { SetColor(FindIndex(code), color); }

double TblBond::GetWidth(const char* code) { return GetWidth(FindIndex(code)); }

void TblBond::SetWidth(const char* code, double width) { SetWidth(FindIndex(code), width); }

int TblBond::IsBond(const char* code) { return FindIndex(code) != -1 ? 1 : 0; }

int TblBond::FindIndex(const char* code) {
    const CString key = tablekey::Normalize(code);
    for (int i = 0; i < kItemCount; ++i)
        if (item[i].name == key) return i;
    return -1;
}

void TblBond::ResetDefaults() {
    for (int i = 0; i < kItemCount; ++i) item[i] = BuiltIn(i);
}

} // namespace qrtz
