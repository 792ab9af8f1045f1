#pragma once
// The records the molecule, crystal and molecular crystal databases share: header lines, the
// cell line, counts lines, atom, bond and Z-matrix lines. Not installed.
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "TextLine.h"
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz::native {

using textline::ElementCache;
using textline::LineBuilder;
using textline::TextRecord;

// Header lines are kept to these lengths.
constexpr std::size_t kTitleLength = 80;
constexpr std::size_t kMakerLength = 30;
constexpr std::size_t kKindLength = 80;

// The blank name an atom line without a name field reads as.
inline constexpr const char* kBlankAtom = "    ";
// The same for a bond line.
inline constexpr const char* kBlankBond = "  ";

void WriteHeader(FileStream& out, const CString& title, const CString& maker,
                 const CString& kind);
// Lines 1 to 3; each field takes its line as it is read.
void ReadHeader(TextRecord& record, CString& title, CString& maker, CString& kind);

// "%10.4f" six times.
void WriteCellLine(LineBuilder& line, FileStream& out, const DbCell& cell);
void ReadCellLine(TextRecord& record, DbCell& cell);

// A counts line: a name, then integers. A name field that is blank leaves one field fewer
// (the name and the first count run together as blanks): such a line starts with a blank and
// holds exactly `fields` - 1 integers, and its name is recovered from the blanks.
struct Counts {
    CString name;
    int values[5] = {0, 0, 0, 0, 0};
};
// Reads the name and the integers after it, one for each entry of `what` (at most five);
// `fields` is how many fields the writer puts on the line, the name included.
void ReadCounts(TextRecord& record, std::initializer_list<const char*> what, int fields,
                Counts& counts);

// The 1-based numbers of names in an atom type list as last rebuilt; 0 for a name not in it.
class TypeNumbers {
public:
    void Load(const DbAtomVSet& atoms);
    int Of(const CString& name) const;
    int Count() const { return static_cast<int>(m_types.size()); }

private:
    std::vector<const CString*> m_types;
    std::unordered_map<std::string_view, int> m_index;  // filled when the list is long
    mutable int m_last = -1;
};

// "%4d   %-4s %10.4f %10.4f %10.4f %10.4f %10.4f"
void WriteAtomLine(LineBuilder& line, FileStream& out, int typeNumber, const DbAtomV& atom);

struct AtomFields {
    CString symbol;
    double mass = 0, x = 0, y = 0, z = 0, charge = 0;
};
// An unused integer, the symbol (padded to two bytes), mass, x, y, z and charge.
void ReadAtomLine(TextRecord& record, AtomFields& atom);
// An atom name holding a blank ("C R ", "O 1 ", as aromatic and bond-order typing name atoms)
// splits into fields 1 and 2. The writers put the name in four fixed columns from column, so
// when both fields lie inside those columns the name is taken back whole from there, leading
// blanks included; false when the line is not so.
bool NameInColumns(const TextRecord& record, std::size_t column, CString& symbol);
// Whether an atom line one field short is a written atom with a blank name: the blanks
// before field `next` (a number written "%<numberWidth>" after `before` separator blanks, the
// four name columns and one blank) hold exactly the four blank name columns. Any other short
// line is malformed.
bool BlankNameInColumns(const TextRecord& record, int next, std::size_t before, int numberWidth);
// Whether a bond line without its name field is a written bond with a blank name: after its
// last field come exactly `before` separator blanks and the two blank name columns.
bool BlankTail(const TextRecord& record, std::size_t before);
// Creates the atom through the set's CreateDbAtomV with the element table's radius and
// appends it.
void AppendAtom(DbAtomVSet& set, const AtomFields& atom, ElementCache& elements);

// "%4d   %4d   %-2s"
void WriteBondLine(LineBuilder& line, FileStream& out, const DbBondV& bond);
struct BondFields {
    int first = 0, second = 0;
    CString name;
};
void ReadBondLine(TextRecord& record, BondFields& bond);

// "%-4s %10.4f %4d %10.4f %4d %10.4f %4d" for each atom of mol, from a Z-matrix built on it.
void WriteZmatLines(LineBuilder& line, FileStream& out, const DbMolecule& mol);
// A line of that shape: an atom name (none when blank, several fields when it holds blanks),
// then a real, an integer, a real, an integer, a real and an integer.
bool IsZmatLine(const TextRecord& record);

} // namespace qrtz::native
