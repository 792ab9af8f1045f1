#pragma once
// SD files read one record at a time: the molecule of each record through
// KelDbMolecule::ReadMdl's rules, then its data fields, up to and including the "$$$$" that
// closes it. Only the record being read is held, so a file of any length reads in constant
// memory. KelDbMolecule::WriteMdl(out, fields) writes a record with its fields back.
#include <functional>
#include <string_view>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// One data field: the name between the angle brackets of its "> <name>" line, and the lines
// that follow it up to the blank line, joined by "\n".
struct SdDataField {
    // The field's name and value.
    CString name;
    CString value;
};

// Reads an SD file record by record (see above).
class SdRecordReader {
public:
    // What a record the molecule reader rejects does: STOP throws its FsException (the record
    // and the line in the message); SKIP passes over it up to its "$$$$", tells the bad-record
    // sink and reads on.
    enum ONBADRECORD { STOP, SKIP };

    // The exception the record raised (its message names the record and the line), the
    // record's number (1-based) and the line it starts on.
    using BadRecordSink = std::function<void(const FsException& error, int record, int line)>;

    // unite is ReadMdl's: hydrogens folded into their carbons when non-zero. The stream must
    // outlive the reader; its name, when set, starts every message.
    explicit SdRecordReader(FileStream& in, ONBADRECORD onBadRecord = STOP, int unite = 0);
    SdRecordReader(const SdRecordReader&) = delete;
    SdRecordReader& operator=(const SdRecordReader&) = delete;

    // Where skipped records are reported.
    void SetBadRecordSink(BadRecordSink sink) { m_badRecordSink = std::move(sink); }

    // Reads the next record: its molecule into mol, its data fields into GetDataFields().
    // Returns 1, or 0 when only blank lines (or nothing) are left. A last record without
    // "$$$$" is complete at the end of the input. Stream failures pass unchanged.
    int ReadRecord(KelDbMolecule& mol);

    // The record last read or skipped: its number (1-based, skipped records counted) and the
    // line it starts on; 0 before the first.
    int GetRecordNumber() const { return m_recordNumber; }
    int GetRecordLine() const { return m_recordLine; }
    int GetSkippedCount() const { return m_skipped; }

    // The data fields of the record last read, in file order.
    const std::vector<SdDataField>& GetDataFields() const { return m_fields; }
    // The value of the first field of that name (exact match), or null.
    const CString* FindDataField(std::string_view name) const;

private:
    // 0 at the end of the input; else the record is read or has thrown.
    int ReadMolecule(KelDbMolecule& mol);
    void ReadDataFields();
    // Reads up to the "$$$$" closing the record, unless the current line is that line.
    void SkipRest();
    [[noreturn]] void Rethrow(const FsException& error) const;
    FsException InRecord(const FsException& error) const;

    FileStream& m_in;
    ONBADRECORD m_onBadRecord;
    int m_unite;
    BadRecordSink m_badRecordSink;
    int m_recordNumber = 0;
    int m_recordLine = 0;
    int m_skipped = 0;
    std::vector<SdDataField> m_fields;
    CString m_header[3];
};

} // namespace qrtz
