#include "qrtzdb/formats/KelDbMolCrystal.h"

#include <climits>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "NativeRecords.h"
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/basis/KelException.h"

namespace qrtz {

namespace {

constexpr const char* kReadTitle = "KELVORN Molecular Crystal Database File";
constexpr const char* kReadMaker = "KELVORN";
constexpr const char* kBundleKind = "BDL";

// The molecules of one type in set order; the first gives the counts and the bonds.
struct TypeGroup {
    const CString* name;
    std::vector<DbMolecule*> molecules;
};

// The types of the type list that have molecules, each with its molecules, in one walk over
// the set. Throws FsException(1) before anything is written when molecules of one name differ
// in atom count, or in bond count where the type has bonds: the block would not read back.
std::vector<TypeGroup> groupByType(const DbMoleculeSet& set) {
    std::vector<TypeGroup> groups;
    std::unordered_map<std::string_view, std::size_t> index;
    const int types = set.GetMolTypeCount();
    for (int t = 0; t < types; ++t) {
        const CString* name = set.GetMolTypeAt(t);
        if (index.emplace(*name, groups.size()).second) groups.push_back({name, {}});
    }
    for (POSITION pos = set.GetMolHeadPosition(); pos;) {
        DbMolecule* mol = set.GetMolNext(pos);
        const auto found = index.find(mol->Name());
        if (found != index.end()) groups[found->second].molecules.push_back(mol);
    }
    std::erase_if(groups, [](const TypeGroup& g) { return g.molecules.empty(); });

    for (const TypeGroup& group : groups) {
        const DbMolecule* first = group.molecules.front();
        for (const DbMolecule* mol : group.molecules) {
            if (mol->GetAtomCount() == first->GetAtomCount() &&
                (first->GetBondCount() <= 0 || mol->GetBondCount() == first->GetBondCount()))
                continue;
            throw FsException(
                1, "molecules named '" + *group.name + "' differ: " +
                       std::to_string(first->GetAtomCount()) + " atoms and " +
                       std::to_string(first->GetBondCount()) + " bonds against " +
                       std::to_string(mol->GetAtomCount()) + " atoms and " +
                       std::to_string(mol->GetBondCount()) +
                       " bonds; UpdateMolTypeList gives them names of their own");
        }
    }
    return groups;
}

// The counts of a type block as read, checked and merged: a type without bonds is one
// molecule of all the atoms.
struct BlockCounts {
    int atoms;
    int bonds;
    int molecules;
};

// Where the input cannot tell its size (a pipe), the most molecules one block may announce.
constexpr std::int64_t kMaxMoleculesUnsized = 1 << 20;

// The block's molecules are all made before its first atom line is read, so their number must
// first be bounded by what is left of the input: every atom line takes at least
// minAtomLineBytes.
BlockCounts checkBlock(const native::TextRecord& record, long long bytesLeft,
                       int minAtomLineBytes, int atoms, int bonds, int molecules) {
    if (atoms < 0 || molecules < 0) record.Fail("a count is negative");
    BlockCounts n{atoms, bonds, molecules};
    if (bonds <= 0) {
        const std::int64_t all = static_cast<std::int64_t>(atoms) * molecules;
        if (all > INT_MAX)
            record.Fail(std::to_string(all) + " atoms are more than a molecule holds");
        n = {static_cast<int>(all), bonds, 1};
    }
    // Molecules without atoms take no lines, so their number could not be bounded by the input;
    // nor can their bonds refer to any atom.
    if (n.atoms == 0 && n.molecules > 1)
        record.Fail(std::to_string(molecules) + " molecules without atoms cannot hold " +
                    std::to_string(bonds) + " bonds");
    const std::int64_t lines = static_cast<std::int64_t>(n.atoms) * n.molecules;
    if (bytesLeft >= 0 && lines > bytesLeft / minAtomLineBytes)
        record.Fail(std::to_string(n.molecules) + " molecules of " + std::to_string(n.atoms) +
                    " atoms need " + std::to_string(lines) + " atom lines, more than the " +
                    std::to_string(bytesLeft) + " bytes left can hold");
    if (bytesLeft < 0 && n.molecules > kMaxMoleculesUnsized)
        record.Fail(std::to_string(n.molecules) + " molecules in one block are more than " +
                    std::to_string(kMaxMoleculesUnsized) + " from an input of unknown size");
    return n;
}

// Creates the block's molecules and appends them, before any of their atoms is read: a read
// that fails later leaves all of them in the set.
void createBlock(KelDbMolCrystal& crystal, const CString& name, int count,
                 std::vector<KelDbMolecule*>& block) {
    block.clear();
    block.reserve(static_cast<std::size_t>(count));
    for (int m = 0; m < count; ++m) {
        KelDbMolecule* mol = crystal.CreateKelDbMolecule(name.c_str());
        crystal.AppendMol(mol);
        block.push_back(mol);
    }
}

// Gives every molecule of a block the block's bonds, in file order.
void shareBonds(const std::vector<KelDbMolecule*>& molecules,
                const std::vector<native::BondFields>& bonds) {
    for (KelDbMolecule* mol : molecules) {
        for (const native::BondFields& bond : bonds)
            mol->AppendBond(mol->CreateDbBondV(bond.name.c_str(), bond.first, bond.second));
        mol->UpdateBondTypeList();
    }
}

// A coordinate within Calc::Neighbor of zero, as exactly zero.
double snapped(double value) { return Calc::Neighbor(value, 0.0) ? 0.0 : value; }

} // namespace

KelDbMolCrystal::KelDbMolCrystal()
    : headerTitle(kDefaultTitle), headerMaker(kDefaultMaker), headerKind(kDefaultKind) {}

KelDbMolCrystal& KelDbMolCrystal::operator=(const KelDbMolCrystal& other) {
    headerTitle = other.headerTitle;
    headerMaker = other.headerMaker;
    headerKind = other.headerKind;
    DbMolCrystal::operator=(other);
    return *this;
}

DbComp* KelDbMolCrystal::Copy() const {
    auto* copy = new KelDbMolCrystal;
    *copy = *this;
    return copy;
}

KelDbMolecule* KelDbMolCrystal::CreateKelDbMolecule(const char* name) {
    return new KelDbMolecule(name);
}

DbMolecule* KelDbMolCrystal::CreateDbMolecule(const char* name) { return new KelDbMolecule(name); }

// ---- molecular crystal database ----

void KelDbMolCrystal::ReadMcrdb(FileStream& in) {
    ClearMol();

    native::TextRecord record(in);
    native::ReadHeader(record, headerTitle, headerMaker, headerKind);
    native::ReadCellLine(record, *this);
    record.Next("the number of molecule types");
    const int types = record.Int(0, "the number of molecule types");
    if (types < 0) record.Fail("the number of molecule types is negative");

    native::ElementCache elements;
    native::AtomFields atom;
    native::Counts counts;
    std::vector<KelDbMolecule*> block;
    std::vector<native::BondFields> bonds;
    for (int t = 0; t < types; ++t) {
        // The Z-matrix lines that end the block before are not read.
        record.Next("a counts line");
        while (t > 0 && native::IsZmatLine(record)) record.Next("a counts line");
        native::ReadCounts(record,
                           {"the atom count", "the bond count", "the number of atom types",
                            "the number of molecules"},
                           6, counts);
        // Seven fields with blanks between: at least 13 bytes an atom line.
        const BlockCounts n = checkBlock(record, in.BytesLeft(), 13, counts.values[0],
                                         counts.values[1], counts.values[3]);

        createBlock(*this, counts.name, n.molecules, block);
        for (KelDbMolecule* mol : block) {
            for (int i = 0; i < n.atoms; ++i) {
                record.Next("an atom line");
                native::ReadAtomLine(record, atom);
                native::AppendAtom(*mol, atom, elements);
            }
            mol->UpdateAtomTypeList();
        }
        if (n.bonds > 0) {
            bonds.clear();
            for (int b = 0; b < n.bonds; ++b) {
                record.Next("a bond line");
                native::ReadBondLine(record, bonds.emplace_back());
            }
            shareBonds(block, bonds);
        }
    }
    UpdateMolTypeList();
}

void KelDbMolCrystal::WriteMcrdb(FileStream& out) const {
    const std::vector<TypeGroup> groups = groupByType(*this);

    native::WriteHeader(out, headerTitle, headerMaker, headerKind);
    native::LineBuilder line;
    native::WriteCellLine(line, out, *this);
    line.Int(static_cast<long long>(groups.size()), 4).WriteTo(out);

    native::TypeNumbers types;
    for (const TypeGroup& group : groups) {
        const DbMolecule& first = *group.molecules.front();
        line.Left(*group.name, 16).Blanks(3).Int(first.GetAtomCount(), 4).Blanks(3);
        line.Int(first.GetBondCount(), 4).Blanks(3).Int(first.GetAtomTypeCount(), 4).Blanks(3);
        line.Int(static_cast<long long>(group.molecules.size()), 4).Blanks(3).Int(200, 4);
        line.WriteTo(out);
        for (const DbMolecule* mol : group.molecules) {
            types.Load(*mol);
            for (POSITION pos = mol->GetAtomHeadPosition(); pos;) {
                const DbAtomV* atom = mol->GetAtomNext(pos);
                native::WriteAtomLine(line, out, types.Of(atom->Name()), *atom);
            }
        }
        for (POSITION pos = first.GetBondHeadPosition(); pos;)
            native::WriteBondLine(line, out, *first.GetBondNext(pos));
        native::WriteZmatLines(line, out, first);
    }
}

void KelDbMolCrystal::ReadMoldb(FileStream& in) {
    double H[3][3], inverse[3][3];
    if (!GetHmatrix(H) || Calc::InverseMatrix(H, inverse) != 0)
        throw FsException(1, "the cell (" + std::to_string(a) + ", " + std::to_string(b) + ", " +
                                 std::to_string(c) + ", " + std::to_string(alpha) + ", " +
                                 std::to_string(beta) + ", " + std::to_string(gamma) +
                                 ") has no inverse to take a molecule into");
    ClearMol();
    headerTitle = kReadTitle;
    headerMaker = kReadMaker;

    DbMolecule* made = CreateDbMolecule("Temp");
    auto* mol = dynamic_cast<KelDbMolecule*>(made);
    if (!mol) {  // a derived crystal whose molecules cannot read themselves
        delete made;
        mol = CreateKelDbMolecule("Temp");
    }
    // Also what a failed read gave goes into the cell, in the cell's coordinates.
    auto place = [&] {
        mol->SetEulerAngle(0, 0, 0);
        mol->Transform(inverse);
        mol->AtZero();
        mol->Transform(Vertex3D(0.5, 0.5, 0.5));
        AppendMol(mol);
    };
    try {
        mol->ReadMoldb(in);
    } catch (...) {
        place();
        throw;
    }
    place();
    UpdateMolTypeList();
}

// ---- bundle ----

int KelDbMolCrystal::GetKelvornBdlClipboardSize() const {
    std::int64_t bonds = 0;
    // The first molecule of each type in the type list.
    std::unordered_set<std::string_view> seen;
    for (POSITION pos = GetMolHeadPosition(); pos;) {
        const DbMolecule* mol = GetMolNext(pos);
        if (seen.insert(mol->Name()).second && IsMolType(mol->Name().c_str()))
            bonds += mol->GetBondCount();
    }
    const std::int64_t size =
        (GetMolTypeCount() + bonds) * 80 + static_cast<std::int64_t>(GetAtomCount()) * 150 + 200;
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

void KelDbMolCrystal::WriteBdl(FileStream& out, int mode) { WriteBundle(out, mode, false); }

void KelDbMolCrystal::WriteBundle(FileStream& out, int mode, bool simulation) const {
    const std::vector<TypeGroup> groups = groupByType(*this);
    const bool flags = !simulation && mode == -2;

    native::LineBuilder line;
    long long number = 0;
    auto start = [&line, &number]() -> native::LineBuilder& {
        return line.ZeroInt(++number, 6).Blanks(3);
    };
    start().Fixed(a, 8, 5).Blanks(2).Fixed(b, 8, 5).Blanks(2).Fixed(c, 8, 5).WriteTo(out);
    start().Fixed(alpha, 8, 5).Blanks(2).Fixed(beta, 8, 5).Blanks(2).Fixed(gamma, 8, 5);
    line.WriteTo(out);
    start().Int(static_cast<long long>(groups.size()), 2).Blanks(2).Int(mode, 2).WriteTo(out);

    for (const TypeGroup& group : groups) {
        const DbMolecule& first = *group.molecules.front();
        const auto count = static_cast<long long>(group.molecules.size());
        start().Left(*group.name, 16).Blanks(18).Int(count, 2);
        line.Blanks(2).Int(first.GetAtomCount(), 3).Blanks(2).Int(first.GetBondCount(), 3);
        line.WriteTo(out);
        for (const DbMolecule* mol : group.molecules) {
            for (POSITION pos = mol->GetAtomHeadPosition(); pos;) {
                DbAtomV* atom = mol->GetAtomNext(pos);
                Vertex3D r;
                if (simulation) {
                    r = Vertex3D(snapped(atom->position.x + 0.5), snapped(atom->position.y + 0.5),
                                 snapped(atom->position.z + 0.5));
                } else {
                    // The writer leaves near-zero coordinates exactly zero in the atom too.
                    atom->position = Vertex3D(snapped(atom->position.x),
                                              snapped(atom->position.y),
                                              snapped(atom->position.z));
                    r = atom->position;
                }
                start().Left(atom->Name(), 4).Blanks(1).General(atom->charge, 8, 6).Blanks(1);
                line.General(r.x, 15, 8).Blanks(1).General(r.y, 15, 8).Blanks(1);
                line.General(r.z, 15, 8).Blanks(1).General(atom->mass, 8, 6);
                if (flags) {
                    const Vertex3D& v = atom->flag == 2   ? atom->flag2
                                        : atom->flag == 3 ? atom->flag3
                                                          : Vertex3D(0, 0, 0);
                    line.Blanks(1).Int(atom->flag, 1).Blanks(1).General(v.x, 15, 8).Blanks(1);
                    line.General(v.y, 15, 8).Blanks(1).General(v.z, 15, 8);
                }
                line.WriteTo(out);
            }
        }
        for (POSITION pos = first.GetBondHeadPosition(); pos;) {
            const DbBondV* bond = first.GetBondNext(pos);
            start().Int(bond->firstAtom, 5).Blanks(5).Int(bond->secondAtom, 5).Blanks(5);
            line.Left(bond->Name(), 2).WriteTo(out);
        }
    }
}

namespace {

// The optional columns of a bundle atom line after x, y, z: the mass, and with flags the flag
// and its vector. Any of them missing or not a number gives the element table's mass, keeping
// a flag already taken, and no vector.
void readOptionalColumns(const native::TextRecord& record, int at, bool flags, double tableMass,
                         double& mass, int& flag, Vertex3D& vector) {
    if (!record.IsNumber(at)) {
        mass = tableMass;
        return;
    }
    mass = record.Real(at, "the mass");
    if (!flags) return;
    if (!record.IsInt(at + 1)) {
        mass = tableMass;
        return;
    }
    flag = record.Int(at + 1, "the flag");
    if (!record.IsNumber(at + 2) || !record.IsNumber(at + 3) || !record.IsNumber(at + 4)) {
        mass = tableMass;
        return;
    }
    vector.x = record.Real(at + 2, "the vector's x");
    vector.y = record.Real(at + 3, "the vector's y");
    vector.z = record.Real(at + 4, "the vector's z");
}

} // namespace

void KelDbMolCrystal::ReadBdl(FileStream& in) {
    ClearMol();
    headerTitle = kReadTitle;
    headerMaker = kReadMaker;
    headerKind = kBundleKind;

    native::TextRecord record(in);
    record.Next("the cell lengths");
    record.Text(0, "the line number");
    a = record.Real(1, "the lattice constant a");
    b = record.Real(2, "the lattice constant b");
    c = record.Real(3, "the lattice constant c");
    record.Next("the cell angles");
    record.Text(0, "the line number");
    alpha = record.Real(1, "the angle alpha");
    beta = record.Real(2, "the angle beta");
    gamma = record.Real(3, "the angle gamma");
    record.Next("the number of molecule types");
    record.Text(0, "the line number");
    const int types = record.Int(1, "the number of molecule types");
    if (types < 0) record.Fail("the number of molecule types is negative");
    // Without a mode word the atom lines carry no masses.
    const bool massColumn = record.IsInt(2);
    const int mode = massColumn ? record.Int(2, "the mode") : 1;
    const bool flags = massColumn && mode <= -2;
    // Fields of an atom line with every column; a blank name leaves one fewer.
    const int fullAtomLine = !massColumn ? 6 : flags ? 11 : 7;

    native::ElementCache elements;
    CString name, symbol;
    std::vector<KelDbMolecule*> block;
    std::vector<native::BondFields> bonds;
    for (int t = 0; t < types; ++t) {
        record.Next("a type line");
        record.Text(0, "the line number");
        int molecules, atoms, bondCount;
        // A blank type name leaves four numbers where five fields are written.
        bool blank = record.Count() == 4;
        for (int i = 1; blank && i < 4; ++i) blank = record.IsInt(i);
        if (blank) {
            name = textline::BlankName(record, 1, 3, 18, 2);
            molecules = record.Int(1, "the number of molecules");
            atoms = record.Int(2, "the atom count");
            bondCount = record.Int(3, "the bond count");
        } else {
            name.assign(record.Text(1, "the type name"));
            molecules = record.Int(2, "the number of molecules");
            atoms = record.Int(3, "the atom count");
            bondCount = record.Int(4, "the bond count");
        }
        // The line number, symbol, charge and x, y, z at least: 11 bytes an atom line.
        const BlockCounts n = checkBlock(record, in.BytesLeft(), 11, atoms, bondCount, molecules);

        createBlock(*this, name, n.molecules, block);
        for (KelDbMolecule* mol : block) {
            for (int i = 0; i < n.atoms; ++i) {
                record.Next("an atom line");
                record.Text(0, "the line number");
                int at = 1;
                if (record.Count() == fullAtomLine - 1 &&
                    native::BlankNameInColumns(record, 1, 3, 8))
                    symbol = native::kBlankAtom;
                else if (record.Count() == fullAtomLine + 1 && native::NameInColumns(record, 9, symbol))
                    at = 3;
                else
                    record.Symbol(at++, "the element symbol", symbol);
                const double charge = record.Real(at++, "the partial charge");
                Vertex3D r;
                r.x = record.Real(at++, "x");
                r.y = record.Real(at++, "y");
                r.z = record.Real(at++, "z");
                const native::ElementCache::Entry& element = elements.Find(symbol);
                double mass = element.mass;
                int flag = 0;
                Vertex3D vector(0, 0, 0);
                if (massColumn)
                    readOptionalColumns(record, at, flags, element.mass, mass, flag, vector);
                DbAtomV* atom = mol->CreateDbAtomV(symbol.c_str(), r, mass, charge, element.radius);
                atom->flag = flag;
                atom->flag3 = flag == 3 ? vector : Vertex3D(0, 0, 0);
                atom->flag2 = flag == 2 ? vector : Vertex3D(0, 0, 0);
                mol->AppendAtom(atom);
            }
            mol->UpdateAtomTypeList();
        }
        if (n.bonds > 0) {
            bonds.clear();
            for (int i = 0; i < n.bonds; ++i) {
                record.Next("a bond line");
                record.Text(0, "the line number");
                native::BondFields& bond = bonds.emplace_back();
                bond.first = record.Int(1, "the first atom number");
                bond.second = record.Int(2, "the second atom number");
                if (record.Count() == 3 && native::BlankTail(record, 5))
                    bond.name = native::kBlankBond;
                else record.Symbol(3, "the bond name", bond.name);
            }
            shareBonds(block, bonds);
        }
    }
    UpdateMolTypeList();
}

} // namespace qrtz
