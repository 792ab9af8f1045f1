#include "qrtzdb/environment/TblAtom.h"

#include <iterator>

#include "TableKey.h"

namespace qrtz {

namespace {

struct AtomRow {
    char name[3];
    int r, g, b;
    double radius;
    double mass;
};

// Row i is the element of atomic number i + 1 up to 103, then D, T and the free slots.
// clang-format off
constexpr AtomRow kAtomRows[] = {
    {"H ", 255, 210, 255, 1.2, 1.008},  // 0
    {"He", 51, 102, 0, 1.4, 4.0026},  // 1
    {"Li", 0, 0, 0, 1.82, 6.939},  // 2
    {"Be", 76, 0, 0, 1.11, 9.0122},  // 3
    {"B ", 102, 0, 0, 1, 10.811},  // 4
    {"C ", 204, 149, 114, 0.5, 12.011},  // 5
    {"N ", 71, 221, 255, 0.45, 14.007},  // 6
    {"O ", 255, 0, 255, 0.6, 15.999},  // 7
    {"F ", 0, 153, 127, 1.47, 18.998},  // 8
    {"Ne", 102, 25, 0, 1.54, 20.179},  // 9
    {"Na", 204, 25, 0, 2.27, 22.99},  // 10
    {"Mg", 0, 204, 76, 1.73, 24.305},  // 11
    {"Al", 0, 102, 127, 1.43, 26.982},  // 12
    {"Si", 204, 102, 0, 2.1, 28.086},  // 13
    {"P ", 153, 25, 0, 1.8, 30.974},  // 14
    {"S ", 102, 0, 102, 1.8, 32.064},  // 15
    {"Cl", 0, 255, 25, 1.75, 35.453},  // 16
    {"Ar", 188, 169, 51, 1.88, 39.948},  // 17
    {"K ", 127, 0, 204, 2.75, 39.098},  // 18
    {"Ca", 0, 0, 102, 1.97, 40.08},  // 19
    {"Sc", 102, 76, 0, 1.63, 44.956},  // 20
    {"Ti", 102, 102, 0, 1.45, 47.956},  // 21
    {"V ", 102, 127, 0, 1.31, 50.942},  // 22
    {"Cr", 153, 0, 0, 1.25, 51.996},  // 23
    {"Mn", 0, 51, 102, 1.12, 54.938},  // 24
    {"Fe", 0, 51, 127, 1.24, 55.847},  // 25
    {"Co", 0, 102, 0, 1.25, 58.933},  // 26
    {"Ni", 51, 0, 51, 1.63, 58.69},  // 27
    {"Cu", 153, 51, 0, 1.4, 63.546},  // 28
    {"Zn", 153, 76, 0, 1.39, 65.38},  // 29
    {"Ga", 153, 102, 0, 1.87, 69.72},  // 30
    {"Ge", 153, 127, 0, 2.1, 72.59},  // 31
    {"As", 204, 0, 0, 1.85, 74.922},  // 32
    {"Se", 51, 0, 102, 1.9, 78.96},  // 33
    {"Br", 76, 0, 102, 1.85, 79.904},  // 34
    {"Kr", 0, 0, 0, 2.02, 83.8},  // 35
    {"Rb", 127, 0, 102, 2.47, 85.47},  // 36
    {"Sr", 0, 0, 127, 2.15, 87.62},  // 37
    {"Y ", 0, 51, 0, 1.78, 88.906},  // 38
    {"Zr", 0, 51, 25, 1.59, 91.22},  // 39
    {"Nb", 51, 0, 153, 1.43, 92.906},  // 40
    {"Mo", 76, 0, 153, 1.36, 95.94},  // 41
    {"Tc", 25, 0, 102, 1.35, 98},  // 42
    {"Ru", 0, 102, 25, 1.33, 101.07},  // 43
    {"Rh", 0, 102, 51, 1.35, 102.91},  // 44
    {"Pd", 0, 51, 51, 1.63, 106.4},  // 45
    {"Ag", 0, 51, 76, 1.72, 107.87},  // 46
    {"Cd", 153, 0, 102, 1.58, 112.41},  // 47
    {"In", 0, 0, 153, 1.93, 114.82},  // 48
    {"Sn", 25, 0, 153, 2.17, 118.69},  // 49
    {"Sb", 0, 51, 0, 2.2, 121.75},  // 50
    {"Te", 0, 76, 0, 2.06, 127.6},  // 51
    {"I ", 204, 51, 0, 1.98, 126.9},  // 52
    {"Xe", 0, 204, 102, 2.16, 131.3},  // 53
    {"Cs", 0, 204, 127, 1.66, 132.91},  // 54
    {"Ba", 153, 0, 153, 2.17, 137.33},  // 55
    {"La", 0, 0, 204, 1.87, 138.91},  // 56
    {"Ce", 25, 0, 204, 1.83, 140.12},  // 57
    {"Pr", 51, 0, 204, 1.82, 140.91},  // 58
    {"Nd", 76, 0, 204, 1.81, 144.24},  // 59
    {"Pm", 0, 204, 25, 1.8, 145},  // 60
    {"Sm", 0, 204, 51, 1.79, 150.35},  // 61
    {"Eu", 0, 102, 0, 1.98, 151.96},  // 62
    {"Gd", 0, 127, 0, 1.79, 157.25},  // 63
    {"Tb", 51, 0, 0, 1.76, 158.93},  // 64
    {"Dy", 255, 255, 0, 1.75, 162.5},  // 65
    {"Ho", 51, 25, 0, 1.74, 164.93},  // 66
    {"Er", 102, 51, 0, 1.73, 167.26},  // 67
    {"Tm", 51, 51, 0, 1.72, 168.93},  // 68
    {"Yb", 51, 76, 0, 1.94, 173.04},  // 69
    {"Lu", 0, 102, 76, 1.72, 174.97},  // 70
    {"Hf", 0, 102, 102, 1.56, 178.49},  // 71
    {"Ta", 204, 76, 0, 1.43, 180.95},  // 72
    {"W ", 0, 153, 0, 1.37, 183.85},  // 73
    {"Re", 0, 153, 25, 1.37, 186.2},  // 74
    {"Os", 227, 153, 51, 1.34, 190.2},  // 75
    {"Ir", 0, 153, 76, 1.36, 192.2},  // 76
    {"Pt", 0, 153, 102, 1.75, 195.09},  // 77
    {"Au", 0, 25, 0, 1.66, 196.97},  // 78
    {"Hg", 0, 204, 0, 1.55, 200.59},  // 79
    {"Tl", 212, 0, 0, 1.96, 204.38},  // 80
    {"Pb", 25, 0, 0, 2.02, 207.19},  // 81
    {"Bi", 51, 0, 0, 1.56, 208.98},  // 82
    {"Po", 51, 127, 0, 1, 209},  // 83
    {"At", 102, 0, 0, 1, 210},  // 84
    {"Rn", 127, 0, 0, 1, 222},  // 85
    {"Fr", 153, 0, 0, 1, 223},  // 86
    {"Ra", 102, 0, 153, 1, 226},  // 87
    {"Ac", 215, 105, 153, 1.88, 227.03},  // 88
    {"Th", 0, 0, 51, 1.8, 232.04},  // 89
    {"Pa", 220, 0, 51, 1.61, 231.04},  // 90
    {"U ", 204, 127, 0, 1.86, 238.03},  // 91
    {"Np", 76, 0, 51, 1.3, 237.05},  // 92
    {"Pu", 221, 0, 51, 1.6, 244},  // 93
    {"Am", 127, 0, 51, 1.81, 243},  // 94
    {"Cm", 238, 0, 51, 1, 247},  // 95
    {"Bk", 0, 0, 102, 1, 247},  // 96
    {"Cf", 102, 0, 204, 1, 251},  // 97
    {"Es", 0, 0, 76, 1, 252},  // 98
    {"Fm", 153, 0, 204, 1, 257},  // 99
    {"Md", 0, 0, 0, 1, 258},  // 100
    {"No", 0, 0, 0, 1, 259},  // 101
    {"Lr", 0, 255, 255, 1, 260},  // 102
    {"D ", 255, 210, 255, 2.4, 2.016},  // 103
    {"T ", 255, 210, 255, 3.6, 3.024},  // 104
    {"**", 255, 210, 255, 1, 1},  // 105
    {"**", 255, 210, 255, 1, 1},  // 106
    {"**", 255, 210, 255, 1, 1},  // 107
    {"**", 255, 210, 255, 1, 1},  // 108
    {"**", 255, 210, 255, 1, 1},  // 109
    {"**", 255, 210, 255, 1, 1},  // 110
    {"**", 255, 210, 255, 1, 1},  // 111
    {"**", 255, 210, 255, 1, 1},  // 112
    {"**", 255, 210, 255, 1, 1},  // 113
    {"**", 255, 210, 255, 1, 1},  // 114
};
// clang-format on
static_assert(std::size(kAtomRows) == TblAtom::kItemCount);

constexpr double kDefaultRadiusScale = 0.8;
constexpr char kFreeSlot[] = "**";

constexpr TblAtom::TblItem BuiltIn(int index) {
    const AtomRow& row = kAtomRows[index];
    return {CString(row.name, 2), tablekey::Opaque(row.r, row.g, row.b), row.radius, row.mass};
}

bool InRange(int index) { return index >= 0 && index < TblAtom::kItemCount; }

} // namespace

// A C array cannot be filled from a pack expansion, so the rows are listed by index.
#define QRTZ_ATOM5(i) BuiltIn(i), BuiltIn(i + 1), BuiltIn(i + 2), BuiltIn(i + 3), BuiltIn(i + 4)
#define QRTZ_ATOM25(i) \
    QRTZ_ATOM5(i), QRTZ_ATOM5(i + 5), QRTZ_ATOM5(i + 10), QRTZ_ATOM5(i + 15), QRTZ_ATOM5(i + 20)

// constinit: built at load time without running code, so no static constructor can see them empty.
QRTZ_TABLE_CONSTINIT TblAtom::TblItem TblAtom::item[TblAtom::kItemCount] = {
    QRTZ_ATOM25(0), QRTZ_ATOM25(25), QRTZ_ATOM25(50), QRTZ_ATOM25(75),
    QRTZ_ATOM5(100), QRTZ_ATOM5(105), QRTZ_ATOM5(110),
};

#undef QRTZ_ATOM25
#undef QRTZ_ATOM5

constinit double TblAtom::radiusScale = kDefaultRadiusScale;

TblAtom::~TblAtom() = default;

const CString& TblAtom::GetName(int index) { return item[InRange(index) ? index : 0].name; }

const Color4V& TblAtom::GetColor(int index) { return item[InRange(index) ? index : 0].color; }

void TblAtom::SetColor(int index, const Color4V& color) {
    if (InRange(index)) item[index].color = color;
}

double TblAtom::GetRadius(int index) { return InRange(index) ? item[index].radius : 0.0; }

void TblAtom::SetRadius(int index, double radius) {
    if (InRange(index)) item[index].radius = radius;
}

double TblAtom::GetMass(int index) { return InRange(index) ? item[index].mass : 0.0; }

void TblAtom::SetMass(int index, double mass) {
    if (InRange(index)) item[index].mass = mass;
}

const Color4V& TblAtom::GetColor(const char* symbol) { return GetColor(FindRegIndex(symbol)); }

void TblAtom::SetColor(const char* symbol, const Color4V& color) {
    SetColor(FindRegIndex(symbol), color);
}

double TblAtom::GetRadius(const char* symbol) { return GetRadius(FindRegIndex(symbol)); }

void TblAtom::SetRadius(const char* symbol, double radius) {
    SetRadius(FindRegIndex(symbol), radius);
}

double TblAtom::GetMass(const char* symbol) { return GetMass(FindRegIndex(symbol)); }

void TblAtom::SetMass(const char* symbol, double mass) { SetMass(FindRegIndex(symbol), mass); }

const CString& TblAtom::GetVarName(int slot) {
    return item[kVarFirst + (slot >= 0 && slot < kVarCount ? slot : 0)].name;
}

void TblAtom::SetVarName(int slot, const char* name) {
    if (slot >= 0 && slot < kVarCount) item[kVarFirst + slot].name = name ? name : "";
}

int TblAtom::IsNameWildcard(int index) {
    return index >= kVarFirst && index < kVarFirst + kVarCount && item[index].name == kFreeSlot
               ? 1
               : 0;
}

int TblAtom::GetAtomicNumber(const char* symbol) { return FindIndex(symbol) + 1; }

int TblAtom::IsAtom(const char* symbol) { return FindIndex(symbol) != -1 ? 1 : 0; }

void TblAtom::SetRadiusScale(double scale) { radiusScale = scale; }

double TblAtom::GetRadiusScale() { return radiusScale; }

int TblAtom::FindIndex(const char* symbol) {
    const CString key = tablekey::Normalize(symbol);
    for (int i = 0; i < kItemCount; ++i)
        if (item[i].name == key) return i;
    return -1;
}

int TblAtom::FindRegIndex(const char* symbol) {
    const int found = FindIndex(symbol);
    if (found != -1) return found;
    for (int i = kVarFirst; i < kVarFirst + kVarCount; ++i) {
        if (item[i].name == kFreeSlot) {
            item[i].name = tablekey::Normalize(symbol);
            return i;
        }
    }
    return -1;
}

void TblAtom::ResetDefaults() {
    for (int i = 0; i < kItemCount; ++i) item[i] = BuiltIn(i);
    radiusScale = kDefaultRadiusScale;
}

} // namespace qrtz
