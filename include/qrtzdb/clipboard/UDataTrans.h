#pragma once
// Atoms, molecules and molecular crystals moved between programs through the clipboard. Every
// transfer is text: a structure is written by its text writer into memory and offered as a
// global memory block (the text and one zero byte) under a named format; pasting reads it back
// with the matching reader.
//
// UDataTrans is the text layer over the clipboard; UDataTransEx registers the suite's eight
// formats and maps each kind of structure to them:
//
//   UDF_ATOM        "3DKelAtmData"  one atom record (KelDbAtomV::WriteAtom)
//   UDF_MOLECULE    "3DKelMolData"  the molecular database text, then an offset line
//   UDF_MOLCRYSTAL  "3DKelMcrData"  the bundle with mode word -2, then an offset line
//   UDF_MOLDATA     "3DMolData"     MOPAC geometry text
//   UDF_MOLDATA1    "3DMolData1"    MOPAC geometry text with partial charges (read only)
//   UDF_MOLDATA2    "3DMolData2"    the same (read only)
//   UDF_MDLCT       "MDLCT"         an MDL record in the length-prefixed line form of MdlCbStr
//   UDF_TIME        "3DKelTime"     the time stamp: seconds since 1970 UTC, "%ld"
//
// The offset line is "%10.4f %10.4f %10.4f". Readers take it from the last non-blank line of
// the text, so the Z-matrix lines that follow a molecule's bonds are passed over.
//
// The writers reserve the room the structures' size functions estimate and grow it when a
// text outgrows the estimate, so a text is never cut. Writers and readers catch FsException:
// a failed write offers nothing for that format, a failed read returns 0 and keeps in the
// structure what the reader had put there. Call UDataTransEx::Init once per process first;
// until then every format identifier is 0 and every operation on the formats gives 0.
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/Clipboard.h"

namespace qrtz {

// The text layer over the clipboard (see above).
class UDataTrans {
public:
    UDataTrans() = default;
    UDataTrans(const UDataTrans&) = default;
    UDataTrans& operator=(const UDataTrans&) = default;
    virtual ~UDataTrans() = default;

    // 1 when the clipboard holds format.
    static int IsCbFormAvailable(unsigned int format);

    // Offers length bytes of text (the text's own length when length is below 1) and a zero
    // byte under format. Returns 0, offering nothing, for an empty text, a null source or
    // text, format 0, or a block that cannot be allocated.
    int SetText(COleDataSource* src, unsigned int format, const char* text, int length);
    // *text becomes a new copy of the format's text up to its first zero byte, which the
    // caller releases with delete[]; it stays null, and 0 is returned, when the format is
    // absent or its text empty.
    int GetText(COleDataObject* obj, unsigned int format, char** text);
    // The format's global memory block (an HGLOBAL owned by obj), null when absent.
    void* GetHandle(COleDataObject* obj, unsigned int format);
};

// The suite's formats and the structures they carry (see above).
class UDataTransEx : public UDataTrans {
public:
    // The suite's formats, in the order of their names in m_strFormName.
    enum UDFORMAT {
        UDF_ATOM = 0,
        UDF_MOLECULE,
        UDF_MOLCRYSTAL,
        UDF_MOLDATA,
        UDF_MOLDATA1,
        UDF_MOLDATA2,
        UDF_MDLCT,
        UDF_TIME,
    };
    // The number of formats.
    static constexpr int kFormatCount = 8;

    // The registered name of each format.
    static const CString m_strFormName[kFormatCount];
    // 0 until Init.
    static unsigned int m_unFormId[kFormatCount];
    // The stamp of this process's last SetTime, 0 before it. A long, so stamps stay right
    // past 2038 on platforms where long has 64 bits.
    static long m_ttSetTime;

    UDataTransEx() = default;
    UDataTransEx(const UDataTransEx&) = default;
    UDataTransEx& operator=(const UDataTransEx&) = default;
    ~UDataTransEx() override = default;

    // Registers the eight names in index order; the same name has the same identifier in
    // every process.
    static void Init();
    // 0 for an f outside the enumeration.
    static unsigned int GetCbFormId(UDFORMAT f);
    using UDataTrans::IsCbFormAvailable;
    static int IsCbFormAvailable(UDFORMAT f);

    // The atom record as UDF_ATOM.
    int SetData(COleDataSource* src, const KelDbAtomV* atom);
    // UDF_MOLECULE (with the offset line), UDF_MOLDATA and UDF_MDLCT, each attempted whatever
    // became of the others (MDLCT is skipped above 999 atoms or bonds, the MDL limit).
    // Returns 1 when any of them was offered.
    int SetData(COleDataSource* src, const KelDbMolecule* mol, const Vertex3D& offset);
    // UDF_MOLCRYSTAL (the bundle with the offset line), the time stamp, the same text as plain
    // text (CF_TEXT), and the crystal's first structure on its own: its first molecule when
    // that has bonds, moved to the origin and made Cartesian, with its centre of mass in the
    // crystal as offset; otherwise the first atom of the first molecule that has atoms.
    // Returns 1 when the bundle and, where there is one, the first structure were offered; 0,
    // offering nothing, when the bundle cannot be written. Writing the bundle sets stored
    // coordinates near zero to exactly 0.0, hence the non-const crystal.
    int SetData(COleDataSource* src, KelDbMolCrystal* mcr, const Vertex3D& offset);

    // Reads UDF_ATOM only; any other f gives 0.
    int GetData(COleDataObject* obj, KelDbAtomV* atom, UDFORMAT f = UDF_ATOM);
    // Reads UDF_MOLECULE only, the structure into mol and its offset line into *offset.
    int GetData(COleDataObject* obj, KelDbMolecule* mol, Vertex3D* offset,
                UDFORMAT f = UDF_MOLECULE);
    // The exchange formats: UDF_MOLDATA (no charges), UDF_MOLDATA1 and UDF_MOLDATA2 (with
    // charges), UDF_MDLCT; hydrogens fold into their carbons when unite is non-zero. *offset
    // (when offset is not null) becomes (0, 0, 0) first, whatever f is.
    int GetData(COleDataObject* obj, KelDbMolecule* mol, Vertex3D* offset, int unite,
                UDFORMAT f);
    // Reads UDF_MOLCRYSTAL only, the bundle into mcr and its offset line into *offset.
    int GetData(COleDataObject* obj, KelDbMolCrystal* mcr, Vertex3D* offset,
                UDFORMAT f = UDF_MOLCRYSTAL);

    // Offers the current time as UDF_TIME and keeps it in m_ttSetTime (also when the offer
    // fails). A program that finds its own GetSetTime on the clipboard put the content there.
    int SetTime(COleDataSource* src);
    // The stamp's first line as a whole integer; 0, t untouched, when absent or unreadable.
    int GetTime(COleDataObject* obj, long& t);
    static long GetSetTime() { return m_ttSetTime; }

    // The same on the system clipboard: a new data source, handed over only when something
    // was offered; a data object attached for the one read. The molecular crystal forms
    // copy with offset (0, 0, 0) and drop the offset read.
    int CbSetData(const KelDbAtomV* atom);
    int CbSetData(const KelDbMolecule* mol, const Vertex3D& offset);
    int CbSetData(KelDbMolCrystal* mcr);
    int CbGetData(KelDbAtomV* atom, UDFORMAT f = UDF_ATOM);
    int CbGetData(KelDbMolecule* mol, Vertex3D* offset, UDFORMAT f = UDF_MOLECULE);
    int CbGetData(KelDbMolecule* mol, Vertex3D* offset, int unite, UDFORMAT f);
    int CbGetData(KelDbMolCrystal* mcr, UDFORMAT f = UDF_MOLCRYSTAL);
    int CbSetTime();
    int CbGetTime(long& t);

private:
    int OfferFirstStructure(COleDataSource* src, const KelDbMolCrystal& mcr);
};

} // namespace qrtz
