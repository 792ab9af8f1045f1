// SD files record by record: the molfile through KelDbMolecule's reader, then the property
// block and the data fields up to "$$$$".
#include "qrtzdb/formats/SdRecordReader.h"

#include <string>
#include <utility>

#include "TextLine.h"

namespace qrtz {

namespace {

constexpr std::string_view kSpace = " \t\r\v\f";

bool isBlank(std::string_view line) {
    return line.find_first_not_of(kSpace) == std::string_view::npos;
}

bool closesRecord(std::string_view line) { return line.substr(0, 4) == "$$$$"; }

// The name between the angle brackets of a "> <name>" line; empty when it has none.
std::string_view fieldName(std::string_view header) {
    const std::size_t open = header.find('<');
    if (open == std::string_view::npos) return {};
    const std::size_t close = header.find('>', open + 1);
    if (close == std::string_view::npos) return {};
    return header.substr(open + 1, close - open - 1);
}

} // namespace

SdRecordReader::SdRecordReader(FileStream& in, ONBADRECORD onBadRecord, int unite)
    : m_in(in), m_onBadRecord(onBadRecord), m_unite(unite) {}

const CString* SdRecordReader::FindDataField(std::string_view name) const {
    for (const SdDataField& field : m_fields)
        if (field.name == name) return &field.value;
    return nullptr;
}

int SdRecordReader::ReadRecord(KelDbMolecule& mol) {
    for (;;) {
        m_fields.clear();
        try {
            if (!ReadMolecule(mol)) return 0;
        } catch (const FsException& error) {
            if (m_onBadRecord == STOP) Rethrow(error);
            const FsException reported = InRecord(error);
            ++m_skipped;
            SkipRest();
            if (m_badRecordSink) m_badRecordSink(reported, m_recordNumber, m_recordLine);
            continue;
        }
        ReadDataFields();
        return 1;
    }
}

// Blank lines ahead of a record may be its empty header lines, or the blank end of the file:
// they are only counted until the first line with text tells which.
int SdRecordReader::ReadMolecule(KelDbMolecule& mol) {
    int blanks = 0;
    const char* line = nullptr;
    while ((line = m_in.ReadLine()) && isBlank(line)) ++blanks;
    if (!line) return 0;
    ++m_recordNumber;
    m_recordLine = m_in.GetLineNumber() - blanks;

    mol.ClearAtom();
    mol.ClearBond();
    mol.InitSp();
    static const char* const kHeader[3] = {"the molecule name line", "the program line",
                                           "the comment line"};
    textline::TextRecord record(m_in);
    for (int i = 0; i < 3; ++i) {
        if (i > blanks) record.Next(kHeader[i]);
        mol.ReadMdlHeaderLine(i, i < blanks ? std::string_view() : record.Line());
    }
    if (blanks > 3) {
        std::string message;
        if (!m_in.GetName().empty()) message.append(m_in.GetName()).append(": ");
        message.append("line ")
            .append(std::to_string(m_recordLine + 3))
            .append(": the counts line is blank");
        throw FsException(1, std::move(message));
    }
    if (blanks < 3) record.Next("the counts line");
    mol.ReadMdlTable(m_in, m_unite);
    return 1;
}

// Property lines ("M  CHG", "M  END", ...) are passed over; each "> <name>" line starts a
// field whose value runs to the next blank line.
void SdRecordReader::ReadDataFields() {
    SdDataField* field = nullptr;
    while (const char* text = m_in.ReadLine()) {
        const std::string_view line = text;
        if (closesRecord(line)) return;
        if (field) {
            if (isBlank(line)) {
                field = nullptr;
                continue;
            }
            if (!field->value.empty()) field->value += '\n';
            field->value.append(line);
        } else if (!line.empty() && line[0] == '>') {
            field = &m_fields.emplace_back();
            field->name.assign(fieldName(line));
        }
    }
}

void SdRecordReader::SkipRest() {
    if (closesRecord(m_in.CurrentLine())) return;
    while (const char* line = m_in.ReadLine())
        if (closesRecord(line)) return;
}

FsException SdRecordReader::InRecord(const FsException& error) const {
    // "<name>: line 12: ..." becomes "<name>: record 3: line 12: ...".
    const CString& name = m_in.GetName();
    std::string_view rest = error.Message();
    CString message;
    if (!name.empty()) {
        message.append(name).append(": ");
        if (rest.substr(0, name.size() + 2) == message) rest.remove_prefix(name.size() + 2);
    }
    message.append("record ").append(std::to_string(m_recordNumber)).append(": ").append(rest);
    return FsException(error.code, std::move(message));
}

void SdRecordReader::Rethrow(const FsException& error) const { throw InRecord(error); }

} // namespace qrtz
