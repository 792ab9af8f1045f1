// MDL molfile (V2000) records, read in the format's fixed columns.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <system_error>

#include "ImportCleanup.h"
#include "TextLine.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/formats/SdRecordReader.h"

namespace qrtz {

namespace {

using textline::ElementCache;
using textline::LineBuilder;
using textline::TextRecord;

constexpr int kMaxCount = 999;  // three-digit count fields
constexpr std::string_view kSpace = " \t\r\v\f";

// Characters first to last (1-based) of line, as far as the line reaches.
std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return line.substr(first - 1, last - first + 1);
}

std::string_view trim(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(kSpace);
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(kSpace) - begin + 1);
}

// The field holds one number and blanks around it; a leading '+' is allowed.
template <class Number>
bool parseField(std::string_view field, Number& value) {
    field = trim(field);
    if (field.size() > 1 && field[0] == '+' && field[1] != '-') field.remove_prefix(1);
    if (field.empty()) return false;
    const char* last = field.data() + field.size();
    std::from_chars_result result;
    if constexpr (std::is_integral_v<Number>)
        result = std::from_chars(field.data(), last, value);
    else
        result = std::from_chars(field.data(), last, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == last;
}

// The integer in columns first to last; fails naming the field when it holds none.
int intColumns(const TextRecord& record, std::size_t first, std::size_t last, const char* what) {
    int value = 0;
    if (record.Line().size() < last)
        record.Fail("the line ends before column " + std::to_string(last) + " (" + what + ")");
    if (!parseField(columns(record.Line(), first, last), value))
        record.Fail("columns " + std::to_string(first) + "-" + std::to_string(last) + " (" +
                    what + ") hold no integer");
    return value;
}

double realColumns(const TextRecord& record, std::size_t first, std::size_t last,
                   const char* what) {
    double value = 0;
    if (record.Line().size() < last)
        record.Fail("the line ends before column " + std::to_string(last) + " (" + what + ")");
    if (!parseField(columns(record.Line(), first, last), value))
        record.Fail("columns " + std::to_string(first) + "-" + std::to_string(last) + " (" +
                    what + ") hold no number");
    return value;
}

// Throws FsException(2) for a field that would come back otherwise from SdRecordReader.
void checkDataField(const FileStream& out, const SdDataField& field) {
    const char* problem = nullptr;
    if (field.name.find_first_of(">\r\n") != CString::npos)
        problem = "a data field name holds '>' or a line end";
    const std::string_view value = field.value;
    if (value.find('\r') != std::string_view::npos)
        problem = "a data field value holds a carriage return";
    // The reader ends a value at a blank line and a record at "$$$$".
    for (std::size_t start = 0; !problem && !value.empty() && start <= value.size();) {
        std::size_t end = value.find('\n', start);
        if (end == std::string_view::npos) end = value.size();
        const std::string_view line = value.substr(start, end - start);
        if (line.find_first_not_of(kSpace) == std::string_view::npos)
            problem = "a data field value holds a blank line";
        else if (line.substr(0, 4) == "$$$$")
            problem = "a data field value holds a \"$$$$\" line";
        start = end + 1;
    }
    if (!problem) return;
    CString message;
    if (!out.GetName().empty()) message.append(out.GetName()).append(": ");
    message.append(problem).append(" (field <").append(field.name).append(">)");
    throw FsException(2, std::move(message));
}

} // namespace

int KelDbMolecule::GetMdlClipboardSize() const {
    return (GetBondCount() + 2 * GetAtomCount() + 7) * 40;
}

void KelDbMolecule::ReadMdl(FileStream& in, int unite) {
    ClearAtom();
    ClearBond();
    InitSp();

    TextRecord record(in);
    record.Next("the molecule name line");
    ReadMdlHeaderLine(0, record.Line());
    record.Next("the program line");
    ReadMdlHeaderLine(1, record.Line());
    record.Next("the comment line");
    ReadMdlHeaderLine(2, record.Line());
    record.Next("the counts line");
    ReadMdlTable(in, unite);
}

void KelDbMolecule::ReadMdlHeaderLine(int index, std::string_view line) {
    switch (index) {
    case 0: {
        const std::size_t start = line.find_first_not_of(kSpace);
        line = start == std::string_view::npos ? std::string_view() : line.substr(start);
        SetName(line.empty() ? "MDLmol" : CString(line).c_str());
        break;
    }
    case 1: headerMaker.assign(line.substr(0, 30)); break;
    case 2: headerKind.assign(line.substr(0, 80)); break;
    default: break;
    }
}

void KelDbMolecule::ReadMdlTable(FileStream& in, int unite) {
    TextRecord record(in);
    const std::string_view counts = record.Line();
    int atoms = 0, bonds = 0;
    if (!parseField(columns(counts, 1, 3), atoms) || atoms <= 0) {
        const bool v3000 = counts.find("V3000") != std::string_view::npos;
        record.Fail(std::string("columns 1-3 hold no positive atom count") +
                    (v3000 ? " (V3000 connection tables are not read)" : ""));
    }
    // A counts line cut after the atom count announces no bonds.
    if (!trim(columns(counts, 4, 6)).empty() && !parseField(columns(counts, 4, 6), bonds))
        record.Fail("columns 4-6 hold no bond count");
    if (bonds < 0) record.Fail("the bond count is negative");

    // Atoms and bonds are made as their lines arrive: a count the input does not hold ends at
    // the first line missing, or at the first line of another kind.
    ElementCache elements;
    CString symbol;
    for (int i = 0; i < atoms; ++i) {
        record.Next("an atom line");
        Vertex3D position;
        position.x = realColumns(record, 1, 10, "x");
        position.y = realColumns(record, 11, 20, "y");
        position.z = realColumns(record, 21, 30, "z");
        const std::string_view field = columns(record.Line(), 32, 34);
        const std::size_t begin = field.find_first_not_of(kSpace);
        if (begin == std::string_view::npos) record.Fail("no element symbol in columns 32-34");
        const std::size_t end = field.find_first_of(kSpace, begin);
        symbol.assign(field.substr(begin, end == std::string_view::npos ? end : end - begin));
        // A control byte (a NUL above all) would not survive as a name: it ends C strings.
        for (unsigned char c : symbol)
            if (c < 0x20 || c == 0x7F) record.Fail("columns 32-34 hold a control character");
        symbol.resize(4, ' ');
        const ElementCache::Entry& element = elements.Find(symbol);
        AppendAtom(CreateDbAtomV(symbol.c_str(), position, element.mass, 0.0, element.radius));
    }
    UpdateAtomTypeList();

    for (int i = 0; i < bonds; ++i) {
        record.Next("a bond line");
        const int first = intColumns(record, 1, 3, "first atom");
        const int second = intColumns(record, 4, 6, "second atom");
        const int code = intColumns(record, 7, 9, "bond type");
        AppendBond(CreateDbBondV(exchange::BondNameForCode(code), first, second));
    }
    UpdateBondTypeList();

    FinishImport(unite);
}

void KelDbMolecule::WriteMdl(FileStream& out) const {
    WriteMdl(out, {});
}

void KelDbMolecule::WriteMdl(FileStream& out, const std::vector<SdDataField>& fields) const {
    for (const SdDataField& field : fields) checkDataField(out, field);
    const int atoms = GetAtomCount();
    const int bonds = GetBondCount();
    // Readers, ours too, refuse a record without atoms.
    if (atoms == 0 || atoms > kMaxCount || bonds > kMaxCount) {
        CString message;
        if (!out.GetName().empty()) message.append(out.GetName()).append(": ");
        message.append("an MDL molfile holds 1 to 999 atoms and at most 999 bonds; ")
            .append(Name())
            .append(" has ")
            .append(std::to_string(atoms))
            .append(" atoms and ")
            .append(std::to_string(bonds))
            .append(" bonds");
        throw FsException(2, std::move(message));
    }
    // Ten columns with four decimals: a wider coordinate would run into its neighbour.
    int number = 0;
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const Vertex3D& r = GetAtomNext(pos)->position;
        ++number;
        for (double v : {r.x, r.y, r.z}) {
            if (std::isfinite(v) && v > -9999.99995 && v < 99999.99995) continue;
            CString message;
            if (!out.GetName().empty()) message.append(out.GetName()).append(": ");
            message.append("an MDL molfile holds coordinates from -9999.9999 to 99999.9999; atom ")
                .append(std::to_string(number))
                .append(" of ")
                .append(Name())
                .append(" lies outside");
            throw FsException(2, std::move(message));
        }
    }
    out.WriteText("");
    out.WriteText("");
    out.WriteText("File generated by Quorvane");
    LineBuilder line;
    line.Int(atoms, 3).Int(bonds, 3).Text("  0  0  0  0  0  0  0  0  1 V2000").WriteTo(out);
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        const std::string_view symbol = std::string_view(atom->Name()).substr(0, 2);
        line.Fixed(atom->position.x, 10, 4).Fixed(atom->position.y, 10, 4);
        line.Fixed(atom->position.z, 10, 4).Text(" ").Text(symbol).Blanks(3 - static_cast<int>(symbol.size()));
        line.Text(" 0  0  0  0  0  0").WriteTo(out);
    }
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        const DbBondV* bond = GetBondNext(pos);
        line.Int(bond->firstAtom, 3).Int(bond->secondAtom, 3);
        line.Int(exchange::BondCodeForName(bond->Name()), 3).Text("  0  0  0  0").WriteTo(out);
    }
    out.WriteText("M  END");
    for (const SdDataField& field : fields) {
        line.Text(">  <").Text(field.name).Text(">").WriteTo(out);
        if (!field.value.empty()) out.WriteText(field.value);
        out.WriteText("");
    }
    out.WriteText("$$$$");
}

} // namespace qrtz
