// QSF object tables: atoms, connectors (one per bond end) and bonds, with columns found by
// their names in each class's "ID" header line.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "ImportCleanup.h"
#include "TextLine.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/model/BenBond.h"

namespace qrtz {

// IDs in the order read; lookups by hash, the first entry of an ID answering.
struct KelDbMolecule::QsfIdTbl {
    void Append(int id) {
        first.try_emplace(id, static_cast<int>(ids.size()));
        ids.push_back(id);
    }

    std::vector<int> ids;
    std::unordered_map<int, int> first;
};

namespace {

using textline::ElementCache;
using textline::LineBuilder;
using textline::TextRecord;

constexpr std::string_view kEndOfTable = "property_flags:";

// The blank-separated tokens of a line, one after the other; empty after the last.
class Tokens {
public:
    explicit Tokens(std::string_view line) : m_line(line) {}

    std::string_view Next() {
        while (m_at < m_line.size() && IsBlank(m_line[m_at])) ++m_at;
        const std::size_t begin = m_at;
        while (m_at < m_line.size() && !IsBlank(m_line[m_at])) ++m_at;
        return m_line.substr(begin, m_at - begin);
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    std::string_view m_line;
    std::size_t m_at = 0;
};

[[noreturn]] void failRow(FileStream& in, const std::string& problem) {
    TextRecord(in).Fail(problem);
}

template <class Number>
Number number(FileStream& in, std::string_view token, const char* what) {
    if (token.empty()) failRow(in, std::string("the row ends before its ") + what);
    std::string_view digits = token;
    if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
    Number value{};
    const char* last = digits.data() + digits.size();
    std::from_chars_result result;
    if constexpr (std::is_integral_v<Number>)
        result = std::from_chars(digits.data(), last, value);
    else
        result = std::from_chars(digits.data(), last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last)
        failRow(in, std::string(what) + " '" + std::string(token.substr(0, 40)) +
                        "' is not " + (std::is_integral_v<Number> ? "an integer" : "a number"));
    return value;
}

// The next row's first token, or empty at the end of the table (a "property_flags:" line or
// the end of the input).
std::string_view rowStart(FileStream& in, Tokens& tokens) {
    if (!in.ReadLine()) return {};
    tokens = Tokens(in.CurrentLine());
    const std::string_view first = tokens.Next();
    if (first == kEndOfTable) return {};
    if (first.empty()) failRow(in, "a blank line inside a table");
    return first;
}

const char* bondNameForType(std::string_view type) {
    if (type == "double") return "2 ";
    if (type == "triple") return "3 ";
    return "1 ";
}

const char* typeForBondName(const CString& name) {
    if (name == "2 ") return "double";
    if (name == "3 ") return "triple";
    return "single";
}

// Puts the aromatic bonds back however the writing ends.
class AromaticBondsConverted {
public:
    explicit AromaticBondsConverted(DbMolecule& mol) : m_converter(&mol) { m_converter.Convert(); }
    ~AromaticBondsConverted() { m_converter.Retrieve(); }
    AromaticBondsConverted(const AromaticBondsConverted&) = delete;
    AromaticBondsConverted& operator=(const AromaticBondsConverted&) = delete;

private:
    BenBond m_converter;
};

} // namespace

CString KelDbMolecule::QsfFindObjectClass(FileStream& in) {
    while (in.ReadLine()) {
        Tokens tokens(in.CurrentLine());
        const std::string_view keyword = tokens.Next();
        const std::string_view name = tokens.Next();
        if (!name.empty() && keyword == "object_class") return CString(name);
    }
    return CString();
}

int KelDbMolecule::QsfFindParameters(FileStream& in, int count, const CString* names,
                                     int* columns) {
    for (int i = 0; i < count; ++i) columns[i] = -1;
    while (in.ReadLine()) {
        Tokens tokens(in.CurrentLine());
        if (tokens.Next() != "ID") continue;
        int column = 0;
        for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
            ++column;
            for (int i = 0; i < count; ++i)
                if (token == names[i]) {
                    columns[i] = column;
                    break;
                }
        }
        return 1;
    }
    return 0;
}

int KelDbMolecule::QsfReadAtom(FileStream& in, int symColumn, int xyzColumn, int pchrgColumn,
                               int& id, char* symbol, Vertex3D& position, double& charge) {
    Tokens tokens{{}};
    const std::string_view first = rowStart(in, tokens);
    if (first.empty()) return 0;
    id = number<int>(in, first, "the atom ID");
    symbol[0] = '\0';
    position = Vertex3D(0, 0, 0);
    charge = 0.0;
    bool haveSymbol = false, haveXyz = false, haveCharge = false;
    for (int column = 1; !(haveSymbol && haveXyz && haveCharge); ++column) {
        const std::string_view token = tokens.Next();
        if (token.empty()) break;
        if (column == symColumn) {
            const std::size_t length = std::min<std::size_t>(token.size(), 4);
            std::memcpy(symbol, token.data(), length);
            std::memset(symbol + length, ' ', 4 - length);
            symbol[4] = '\0';
            haveSymbol = true;
        } else if (column == xyzColumn) {
            position.x = number<double>(in, token, "x coordinate");
            position.y = number<double>(in, tokens.Next(), "y coordinate");
            position.z = number<double>(in, tokens.Next(), "z coordinate");
            haveXyz = true;
        } else if (column == pchrgColumn) {
            charge = number<double>(in, token, "partial charge");
            haveCharge = true;
        }
    }
    if (haveSymbol && haveXyz) return 1;
    failRow(in, haveSymbol ? "the atom row ends before its xyz_coordinates column"
                           : "the atom row ends before its sym column");
}

int KelDbMolecule::QsfReadConn(FileStream& in, int cls1Column, int cls2Column, int id1Column,
                               int id2Column, int& id, int& atomId, int& bondId) {
    while (true) {
        Tokens tokens{{}};
        const std::string_view first = rowStart(in, tokens);
        if (first.empty()) return 0;
        id = number<int>(in, first, "the connector ID");
        atomId = -1;
        bondId = -1;
        int taken = 0;
        bool other = false;  // a connector between other classes than atom and bond
        for (int column = 1; taken < 4 && !other; ++column) {
            const std::string_view token = tokens.Next();
            if (token.empty()) break;
            if (column == cls1Column) {
                other = token != "atom";
                ++taken;
            } else if (column == cls2Column) {
                other = token != "bond";
                ++taken;
            } else if (column == id1Column) {
                atomId = number<int>(in, token, "objID1");
                ++taken;
            } else if (column == id2Column) {
                bondId = number<int>(in, token, "objID2");
                ++taken;
            }
        }
        if (other) continue;
        if (taken == 4) return 1;
        failRow(in, "the connector row ends before its objCls1, objCls2, objID1 and objID2 columns");
    }
}

int KelDbMolecule::QsfReadBond(FileStream& in, int typeColumn, int& id, char* name) {
    Tokens tokens{{}};
    const std::string_view first = rowStart(in, tokens);
    if (first.empty()) return 0;
    id = number<int>(in, first, "the bond ID");
    name[0] = '\0';
    for (int column = 1;; ++column) {
        const std::string_view token = tokens.Next();
        if (token.empty()) break;
        if (column == typeColumn) {
            std::memcpy(name, bondNameForType(token), 3);
            return 1;
        }
    }
    failRow(in, "the bond row ends before its type column");
}

int KelDbMolecule::QsfFindIndex(const QsfIdTbl* table, int id) {
    if (!table) return -1;
    const auto it = table->first.find(id);
    return it == table->first.end() ? -1 : it->second;
}

void KelDbMolecule::ReadQsf(FileStream& in, int unite) {
    ClearAtom();
    ClearBond();
    InitSp();
    SetName("QubixQSF");

    struct Connector {
        int atomId;
        int bondId;
        int line;
    };
    QsfIdTbl atomIds, bondIds;
    std::vector<Connector> connectors;
    std::vector<DbBondV*> bonds;  // in the order of bondIds
    bool atomsDone = false, connectorsDone = false, bondsDone = false;
    auto fail = [&in](const std::string& problem) {
        CString message;
        if (!in.GetName().empty()) message.append(in.GetName()).append(": ");
        message.append(problem);
        throw FsException(1, std::move(message));
    };

    try {
        while (!(atomsDone && connectorsDone && bondsDone)) {
            const CString objectClass = QsfFindObjectClass(in);
            if (objectClass.empty()) break;
            const std::string where = "line " + std::to_string(in.GetLineNumber()) + ": ";
            if (objectClass == "atom") {
                const CString names[3] = {"sym", "xyz_coordinates", "pchrg"};
                int columns[3];
                if (!QsfFindParameters(in, 3, names, columns))
                    fail(where + "the atom class has no ID header line");
                if (columns[0] < 0 || columns[1] < 0)
                    fail(where + "the atom class has no sym or no xyz_coordinates column");
                ElementCache elements;
                int id = 0;
                char symbol[5];
                Vertex3D position;
                double charge = 0;
                while (QsfReadAtom(in, columns[0], columns[1], columns[2], id, symbol, position,
                                   charge)) {
                    const ElementCache::Entry& element = elements.Find(symbol);
                    AppendAtom(CreateDbAtomV(symbol, position, element.mass, charge, element.radius));
                    atomIds.Append(id);
                }
                UpdateAtomTypeList();
                atomsDone = true;
            } else if (objectClass == "connector") {
                const CString names[4] = {"objCls1", "objCls2", "objID1", "objID2"};
                int columns[4];
                if (!QsfFindParameters(in, 4, names, columns) || columns[0] < 0 ||
                    columns[1] < 0 || columns[2] < 0 || columns[3] < 0)
                    continue;
                int id = 0, atomId = 0, bondId = 0;
                while (QsfReadConn(in, columns[0], columns[1], columns[2], columns[3], id, atomId,
                                   bondId))
                    connectors.push_back({atomId, bondId, in.GetLineNumber()});
                connectorsDone = true;
            } else if (objectClass == "bond") {
                const CString names[1] = {"type"};
                int column = -1;
                if (!QsfFindParameters(in, 1, names, &column))
                    fail(where + "the bond class has no ID header line");
                if (column < 0) fail(where + "the bond class has no type column");
                int id = 0;
                char name[3];
                while (QsfReadBond(in, column, id, name)) {
                    DbBondV* bond = CreateDbBondV(name, -1, -1);
                    AppendBond(bond);
                    bonds.push_back(bond);
                    bondIds.Append(id);
                }
                bondsDone = true;
            }
        }
    } catch (const FsException&) {
        // Once the atoms are in, a fault further on ends the file instead.
        if (!atomsDone) throw;
    }

    const int atomCount = GetAtomCount();
    for (const Connector& c : connectors) {
        const int a = QsfFindIndex(&atomIds, c.atomId);
        const int b = QsfFindIndex(&bondIds, c.bondId);
        const std::string where = "line " + std::to_string(c.line) + ": the connector ";
        if (a < 0 || a >= atomCount)
            fail(where + "names atom ID " + std::to_string(c.atomId) + ", which no atom row has");
        if (b < 0 || b >= static_cast<int>(bonds.size()))
            fail(where + "names bond ID " + std::to_string(c.bondId) + ", which no bond row has");
        DbBondV* bond = bonds[static_cast<std::size_t>(b)];
        if (bond->firstAtom == -1) bond->firstAtom = a + 1;
        else bond->secondAtom = a + 1;
    }
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        const POSITION here = pos;
        const DbBondV* bond = GetBondNext(pos);
        if (bond->firstAtom == -1 || bond->secondAtom == -1) DeleteBond(here);
    }
    UpdateBondTypeList();

    FinishImport(unite);
}

void KelDbMolecule::WriteQsf(FileStream& out) {
    static constexpr const char* kAtomHead[] = {
        "molkernelWIN_Sep_18_2001_20:08:12  0x1b00",
        "object_class atom",
        "property sym Tarel noUnit 0 2 STRING",
        "property anum Tarel unit 0 1 INTEGER",
        "property chrg Tarel charge_au 0 1 INTEGER",
        "property xyz_coordinates Tarel angstrom 3 3 FLOAT",
        "property pchrg MOPAC charge_au 4 1 FLOAT",
        "ID sym anum chrg xyz_coordinates      pchrg"};
    static constexpr const char* kConnectorHead[] = {
        "property_flags:",
        "object_class connector",
        "property dflag MOPAC noUnit 0 1 HEX",
        "property objCls1 Pomar noUnit 0 1 NAME",
        "property objCls2 Pomar noUnit 0 1 NAME",
        "property objID1 Pomar noUnit 0 1 INTEGER",
        "property objID2 Pomar noUnit 0 1 INTEGER",
        "ID dflag objCls1 objCls2 objID1 objID2"};
    static constexpr const char* kBondHead[] = {"property_flags:", "object_class bond",
                                                "property type Tarel noUnit 0 1 NAME", "ID type"};

    for (const char* text : kAtomHead) out.WriteText(text);
    LineBuilder line;
    int id = 0;
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        std::string_view symbol = std::string_view(atom->Name()).substr(0, 2);
        if (symbol.size() == 2 && symbol[1] == ' ') symbol.remove_suffix(1);
        const CString key(symbol);
        line.Int(++id, 2).Blanks(1).Blanks(3 - static_cast<int>(symbol.size())).Text(symbol);
        line.Blanks(1).Int(TblAtom::GetAtomicNumber(key.c_str()), 4).Text("    0 ");
        line.Fixed(atom->position.x, 6, 3).Blanks(1).Fixed(atom->position.y, 6, 3).Blanks(1);
        line.Fixed(atom->position.z, 6, 3).Blanks(1).Fixed(atom->charge, 7, 4).WriteTo(out);
    }

    for (const char* text : kConnectorHead) out.WriteText(text);
    int k = 0;
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        const DbBondV* bond = GetBondNext(pos);
        ++k;
        for (int end = 0; end < 2; ++end) {
            line.Int(2 * k - 1 + end, 2).Text("  0xa0    atom    bond ");
            line.Int(end == 0 ? bond->firstAtom : bond->secondAtom, 6).Blanks(1).Int(k, 6);
            line.WriteTo(out);
        }
    }

    for (const char* text : kBondHead) out.WriteText(text);
    {
        const AromaticBondsConverted converted(*this);
        k = 0;
        for (POSITION pos = GetBondHeadPosition(); pos;) {
            const DbBondV* bond = GetBondNext(pos);
            line.Int(++k, 2).Blanks(1).Text(typeForBondName(bond->Name())).WriteTo(out);
        }
    }
    out.WriteText("property_flags:");
}

} // namespace qrtz
