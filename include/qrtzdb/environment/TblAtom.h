#pragma once

#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The process-wide element table: a display colour, display radius (Å) and mass (u) per symbol.
//
// Rows 0 to 102 are the elements of atomic number 1 to 103, row 103 is "D " and row 104 "T ";
// rows 105 to 114 are variable slots, named "**" while free, that a symbol missing from the table
// takes on first use through FindRegIndex and keeps for the life of the process.
//
// Symbols are two-byte keys: a one-byte symbol gets a blank appended ("N" is "N "), a longer one
// is cut to its first two bytes ("Cl1" is "Cl"), and keys compare byte for byte, case-sensitively
// ("CA" is not calcium). A null symbol counts as the empty one.
//
// The rows are constant-initialised, so they hold the built-in values before any static
// constructor runs. They are shared without locking, like the rest of the host's settings.
// Objects of this class carry no data; every operation is static.
class TblAtom {
public:
    // One row: its symbol key, display colour, display radius (Å) and mass (u).
    struct TblItem {
        // The symbol key, display colour, display radius (Å) and mass (u).
        CString name;
        Color4V color;
        double radius;
        double mass;
    };

    // Rows in the table, and the number of variable slots from kVarFirst.
    static constexpr int kItemCount = 115;
    static constexpr int kVarFirst = 105;  // first variable slot
    static constexpr int kVarCount = 10;

    // The rows, readable and writable in place.
    static TblItem item[kItemCount];
    // Applied by the host when drawing; the table's radii are never scaled by it.
    static double radiusScale;

    TblAtom() = default;
    TblAtom(const TblAtom&) = default;
    TblAtom& operator=(const TblAtom&) = default;
    virtual ~TblAtom();

    // Index forms: an index outside 0 to 114 reads row 0's name and colour, 0.0 for radius and
    // mass, and writes nothing.
    static const CString& GetName(int index);
    static const Color4V& GetColor(int index);
    static void SetColor(int index, const Color4V& color);
    static double GetRadius(int index);
    static void SetRadius(int index, double radius);
    static double GetMass(int index);
    static void SetMass(int index, double mass);

    // Symbol forms resolve through FindRegIndex, so an unknown symbol takes a free slot; with no
    // slot left they behave as the index forms do out of range.
    static const Color4V& GetColor(const char* symbol);
    static void SetColor(const char* symbol, const Color4V& color);
    static double GetRadius(const char* symbol);
    static void SetRadius(const char* symbol, double radius);
    static double GetMass(const char* symbol);
    static void SetMass(const char* symbol, double mass);

    // Slot 0 to 9 is the name of row 105 + slot. Out of range, GetVarName reads row 105's name
    // and SetVarName does nothing; SetVarName stores the text as given, without normalising it.
    static const CString& GetVarName(int slot);
    static void SetVarName(int slot, const char* name);

    // 1 when index is a variable slot that is still free, else 0.
    static int IsNameWildcard(int index);
    // FindIndex + 1: 0 when the symbol is not in the table, 104 for D, 105 for T, 106 to 115
    // for the variable slots.
    static int GetAtomicNumber(const char* symbol);
    static int IsAtom(const char* symbol);

    // The scale the host applies to radii when drawing.
    static void SetRadiusScale(double scale);
    static double GetRadiusScale();

    // The first row whose name equals the normalised symbol, or -1.
    static int FindIndex(const char* symbol);
    // FindIndex, else the first free variable slot, which takes the normalised symbol as its name
    // and keeps its colour, radius and mass; -1 when no slot is free.
    static int FindRegIndex(const char* symbol);

    // Restores every row, the free variable slots and the radius scale to the built-in values.
    static void ResetDefaults();
};

} // namespace qrtz
