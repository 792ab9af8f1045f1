#pragma once

#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The process-wide bond-style table: a display colour and line width per bond-type code
// ("1 ", "2 ", "3 ", "AR", "C ", "PL", "R "). Codes are normalised as element symbols are
// ("1" is "1 ", "ARO" is "AR") and compare case-sensitively; unknown codes never take a row.
//
// The rows are constant-initialised, so they hold the built-in values before any static
// constructor runs. Objects of this class carry no data; every operation is static.
class TblBond {
public:
    // One bond style.
    struct TblItem {
        // The bond code, its colour and its drawn width.
        CString name;
        Color4V color;
        double width;
    };

    // Rows in the table.
    static constexpr int kItemCount = 7;

    // The rows, readable and writable in place.
    static TblItem item[kItemCount];

    TblBond() = default;
    TblBond(const TblBond&) = default;
    TblBond& operator=(const TblBond&) = default;
    virtual ~TblBond();

    // An index outside 0 to 6 reads row 0's name and colour, a width of 0.0, and writes nothing.
    static const CString& GetName(int index);
    static const Color4V& GetColor(int index);
    static void SetColor(int index, const Color4V& color);
    static double GetWidth(int index);
    static void SetWidth(int index, double width);

    // Code forms resolve through FindIndex; an unknown code acts as an index out of range.
    static const Color4V& GetColor(const char* code);
    static void SetColor(const char* code, const Color4V& color);
    static double GetWidth(const char* code);
    static void SetWidth(const char* code, double width);

    // 1 when code names a bond style of the table.
    static int IsBond(const char* code);

    // The first row whose name equals the normalised code, or -1.
    static int FindIndex(const char* code);

    // Restores every row to the built-in values.
    static void ResetDefaults();
};

} // namespace qrtz
