#include "NativeRecords.h"

#include "qrtzdb/model/DbZmatVSet.h"

namespace qrtz::native {

void WriteHeader(FileStream& out, const CString& title, const CString& maker,
                 const CString& kind) {
    out.WriteText(title);
    out.WriteText(maker);
    out.WriteText(kind);
}

void ReadHeader(TextRecord& record, CString& title, CString& maker, CString& kind) {
    record.Next("the header title");
    title.assign(record.Line().substr(0, kTitleLength));
    record.Next("the header maker");
    maker.assign(record.Line().substr(0, kMakerLength));
    record.Next("the header kind");
    kind.assign(record.Line().substr(0, kKindLength));
}

void WriteCellLine(LineBuilder& line, FileStream& out, const DbCell& cell) {
    line.Fixed(cell.a, 10, 4).Blanks(1).Fixed(cell.b, 10, 4).Blanks(1).Fixed(cell.c, 10, 4);
    line.Blanks(1).Fixed(cell.alpha, 10, 4).Blanks(1).Fixed(cell.beta, 10, 4).Blanks(1);
    line.Fixed(cell.gamma, 10, 4).WriteTo(out);
}

void ReadCellLine(TextRecord& record, DbCell& cell) {
    record.Next("the cell line");
    // Straight into the cell, so a fault keeps the constants read before it.
    cell.a = record.Real(0, "the lattice constant a");
    cell.b = record.Real(1, "the lattice constant b");
    cell.c = record.Real(2, "the lattice constant c");
    cell.alpha = record.Real(3, "the angle alpha");
    cell.beta = record.Real(4, "the angle beta");
    cell.gamma = record.Real(5, "the angle gamma");
}

void ReadCounts(TextRecord& record, std::initializer_list<const char*> what, int fields,
                Counts& counts) {
    bool blank = record.Count() == fields - 1 && record.Indent() > 0;
    for (int i = 0; blank && i < fields - 1; ++i) blank = record.IsInt(i);
    int at = 0;
    if (blank) {
        // The writer leaves three blanks between the name and a count written "%4d".
        counts.name = textline::BlankName(record, 0, 0, 3, 4);
    } else {
        counts.name.assign(record.Text(0, "the name"));
        at = 1;
    }
    int i = 0;
    for (const char* name : what) {
        if (i == 5) break;
        counts.values[i++] = record.Int(at++, name);
    }
}

void TypeNumbers::Load(const DbAtomVSet& atoms) {
    m_types.clear();
    m_index.clear();
    m_last = -1;
    const int count = atoms.GetAtomTypeCount();
    for (int i = 0; i < count; ++i) m_types.push_back(atoms.GetAtomTypeAt(i));
    if (m_types.size() > 8)
        for (int i = count - 1; i >= 0; --i) m_index[*m_types[static_cast<std::size_t>(i)]] = i + 1;
}

int TypeNumbers::Of(const CString& name) const {
    // Atoms of one element tend to come together.
    if (m_last >= 0 && *m_types[static_cast<std::size_t>(m_last)] == name) return m_last + 1;
    if (!m_index.empty()) {
        const auto it = m_index.find(name);
        if (it == m_index.end()) return 0;
        m_last = it->second - 1;
        return it->second;
    }
    for (std::size_t i = 0; i < m_types.size(); ++i)
        if (*m_types[i] == name) {
            m_last = static_cast<int>(i);
            return m_last + 1;
        }
    return 0;
}

void WriteAtomLine(LineBuilder& line, FileStream& out, int typeNumber, const DbAtomV& atom) {
    line.Int(typeNumber, 4).Blanks(3).Left(atom.Name(), 4).Blanks(1).Fixed(atom.mass, 10, 4);
    line.Blanks(1).Fixed(atom.position.x, 10, 4).Blanks(1).Fixed(atom.position.y, 10, 4);
    line.Blanks(1).Fixed(atom.position.z, 10, 4).Blanks(1).Fixed(atom.charge, 10, 4);
    line.WriteTo(out);
}

void ReadAtomLine(TextRecord& record, AtomFields& atom) {
    record.Int(0, "the element type number");
    int at = 1;
    if (record.Count() == 6 && BlankNameInColumns(record, 1, 3, 10)) atom.symbol = kBlankAtom;
    else if (record.Count() == 8 && NameInColumns(record, 7, atom.symbol)) at = 3;
    else record.Symbol(at++, "the element symbol", atom.symbol);
    atom.mass = record.Real(at++, "the mass");
    atom.x = record.Real(at++, "x");
    atom.y = record.Real(at++, "y");
    atom.z = record.Real(at++, "z");
    atom.charge = record.Real(at, "the partial charge");
}

bool NameInColumns(const TextRecord& record, std::size_t column, CString& symbol) {
    const std::string_view line = record.Line();
    if (line.size() <= column + 4 || line[column + 4] != ' ') return false;
    // Fields 1 and 2 must both lie inside the name's columns: then the split is the name's own.
    const std::string_view first = record.Field(1), second = record.Field(2);
    if (first.empty() || second.empty()) return false;
    const auto start = static_cast<std::size_t>(first.data() - line.data());
    const auto end = static_cast<std::size_t>(second.data() - line.data()) + second.size();
    // The name may start with blanks: the first field then starts after column.
    if (start < column || end > column + 4) return false;
    symbol.assign(line.substr(column, 4));
    return true;
}

bool BlankNameInColumns(const TextRecord& record, int next, std::size_t before, int numberWidth) {
    return record.IsNumber(next) &&
           textline::BlankName(record, next, before, 1, numberWidth) == kBlankAtom;
}

bool BlankTail(const TextRecord& record, std::size_t before) {
    const std::string_view line = record.Line();
    const std::string_view last = record.Field(record.Count() - 1);
    const auto end = static_cast<std::size_t>(last.data() - line.data()) + last.size();
    return line.substr(end) == CString(before, ' ') + kBlankBond;
}

void AppendAtom(DbAtomVSet& set, const AtomFields& atom, ElementCache& elements) {
    const double radius = elements.Find(atom.symbol).radius;
    set.AppendAtom(set.CreateDbAtomV(atom.symbol.c_str(), Vertex3D(atom.x, atom.y, atom.z),
                                     atom.mass, atom.charge, radius));
}

void WriteBondLine(LineBuilder& line, FileStream& out, const DbBondV& bond) {
    line.Int(bond.firstAtom, 4).Blanks(3).Int(bond.secondAtom, 4).Blanks(3);
    line.Left(bond.Name(), 2).WriteTo(out);
}

void ReadBondLine(TextRecord& record, BondFields& bond) {
    bond.first = record.Int(0, "the first atom number");
    bond.second = record.Int(1, "the second atom number");
    if (record.Count() == 2 && BlankTail(record, 3)) bond.name = kBlankBond;
    else record.Symbol(2, "the bond name", bond.name);
}

void WriteZmatLines(LineBuilder& line, FileStream& out, const DbMolecule& mol) {
    DbZmatVSet zmat;
    zmat.CreateZmat(mol);
    POSITION atomPos = mol.GetAtomHeadPosition();
    POSITION zmatPos = zmat.GetZmatHeadPosition();
    while (atomPos && zmatPos) {
        const DbAtomV* atom = mol.GetAtomNext(atomPos);
        const DbZmatV* z = zmat.GetZmatNext(zmatPos);
        line.Left(atom->Name(), 4).Blanks(1).Fixed(z->bond, 10, 4).Blanks(1).Int(z->bondRef, 4);
        line.Blanks(1).Fixed(z->angle, 10, 4).Blanks(1).Int(z->angleRef, 4).Blanks(1);
        line.Fixed(z->torsion, 10, 4).Blanks(1).Int(z->torsionRef, 4).WriteTo(out);
    }
}

bool IsZmatLine(const TextRecord& record) {
    // The numbers are the last six fields: an atom name may hold blanks and so any count of
    // fields before them.
    if (record.Count() < 6) return false;
    const int first = record.Count() - 6;
    for (int i = 0; i < 6; ++i) {
        const int at = first + i;
        if (i % 2 == 0 ? !record.IsReal(at) : !record.IsInt(at)) return false;
    }
    return true;
}

} // namespace qrtz::native
