#include "qrtzdb/clipboard/UDataTrans.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <istream>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/formats/SdRecordReader.h"

namespace qrtz {

namespace {

// The room a time stamp is written into.
constexpr std::size_t kTimeBuffer = 20;
// Above this the MDL writer refuses a molecule (three-digit count fields).
constexpr int kMdlLimit = 999;

// An output buffer that starts with the room a size function estimates and grows past it.
class TextOutput : public std::streambuf {
public:
    explicit TextOutput(int estimate) {
        if (estimate > 0) m_text.reserve(static_cast<std::size_t>(estimate));
    }
    std::string& Text() { return m_text; }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            m_text.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        m_text.append(s, static_cast<std::size_t>(n));
        return n;
    }

private:
    std::string m_text;
};

// Reads a text in place.
class TextInput : public std::streambuf {
public:
    TextInput(const char* text, std::size_t size) {
        char* begin = const_cast<char*>(text);  // the get area is never written through
        setg(begin, begin, begin + size);
    }
};

template <class Write>
std::string compose(int estimate, Write write) {
    TextOutput buffer(estimate);
    std::ostream out(&buffer);
    FileStream stream(out);
    write(stream);
    return std::move(buffer.Text());
}

void writeOffset(FileStream& out, const Vertex3D& offset) {
    out.WriteLine("%10.4f %10.4f %10.4f", offset.x, offset.y, offset.z);
}

// The offset is the text's last non-blank line, wherever the structure's reader stopped.
void readOffset(FileStream& in, Vertex3D& offset) {
    std::string last;
    while (const char* line = in.ReadLine()) {
        if (std::string_view(line).find_first_not_of(" \t\r") != std::string_view::npos)
            last = line;
    }
    std::istringstream lineText(last);
    FileStream lineStream(lineText);
    lineStream.SetName("offset line");
    lineStream.ReadLine();
    lineStream >> offset.x >> offset.y >> offset.z;
}

// An MDL record in the length-prefixed line form, in a block of at least estimate bytes that
// grows to what the record needs.
std::vector<unsigned char> composeMdlBlock(const KelDbMolecule& mol) {
    std::vector<unsigned char> block(static_cast<std::size_t>(mol.GetMdlClipboardSize()));
    for (int attempt = 0;; ++attempt) {
        MdlCbStr cb(block.data(), static_cast<std::uint32_t>(block.size()));
        try {
            FileStream out(cb);
            mol.WriteMdl(out);
            return block;
        } catch (const FsException& e) {
            if (e.code != 1 || attempt > 0) throw;
            // A full block or a line the form cannot hold: the stream form tells which, as
            // each of its line ends takes the place of a length byte.
            const std::size_t needed = compose(0, [&](FileStream& s) { mol.WriteMdl(s); }).size();
            if (needed <= block.size()) throw;
            block.assign(needed, 0);
        }
    }
}

// Unlocks a global block however the reader leaves.
class BlockLock {
public:
    explicit BlockLock(HGLOBAL block) : m_block(block), m_address(GlobalLock(block)) {}
    ~BlockLock() { GlobalUnlock(m_block); }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    void* Address() const { return m_address; }

private:
    HGLOBAL m_block;
    void* m_address;
};

} // namespace

// ---- UDataTrans ----

int UDataTrans::IsCbFormAvailable(unsigned int format) {
    return format != 0 && IsClipboardFormatAvailable(format) ? 1 : 0;
}

int UDataTrans::SetText(COleDataSource* src, unsigned int format, const char* text, int length) {
    if (!src || !text || format == 0) return 0;
    const std::size_t size = length >= 1 ? static_cast<std::size_t>(length) : std::strlen(text);
    if (size == 0) return 0;
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, size + 1);
    if (!block) return 0;
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, text, size);
    bytes[size] = '\0';
    GlobalUnlock(block);
    src->CacheGlobalData(format, block);
    return 1;
}

int UDataTrans::GetText(COleDataObject* obj, unsigned int format, char** text) {
    if (!text) return 0;
    *text = nullptr;
    HGLOBAL block = static_cast<HGLOBAL>(GetHandle(obj, format));
    if (!block) return 0;
    BlockLock lock(block);
    const char* bytes = static_cast<const char*>(lock.Address());
    const std::size_t size = bytes ? strnlen(bytes, GlobalSize(block)) : 0;
    if (size == 0) return 0;
    *text = new (std::nothrow) char[size + 1];
    if (!*text) return 0;
    std::memcpy(*text, bytes, size);
    (*text)[size] = '\0';
    return 1;
}

void* UDataTrans::GetHandle(COleDataObject* obj, unsigned int format) {
    if (!obj || format == 0 || !obj->IsDataAvailable(format)) return nullptr;
    return obj->GetGlobalData(format);
}

// ---- UDataTransEx ----

const CString UDataTransEx::m_strFormName[kFormatCount] = {
    "3DKelAtmData", "3DKelMolData", "3DKelMcrData", "3DMolData",
    "3DMolData1",   "3DMolData2",   "MDLCT",        "3DKelTime",
};
unsigned int UDataTransEx::m_unFormId[kFormatCount] = {};
long UDataTransEx::m_ttSetTime = 0;

void UDataTransEx::Init() {
    for (int f = 0; f < kFormatCount; ++f)
        m_unFormId[f] = RegisterClipboardFormat(m_strFormName[f].c_str());
}

unsigned int UDataTransEx::GetCbFormId(UDFORMAT f) {
    return f >= 0 && f < kFormatCount ? m_unFormId[f] : 0;
}

int UDataTransEx::IsCbFormAvailable(UDFORMAT f) {
    return UDataTrans::IsCbFormAvailable(GetCbFormId(f));
}

namespace {

// The text of a format, owned; null when absent or empty.
std::unique_ptr<char[]> takeText(UDataTrans& trans, COleDataObject* obj, unsigned int format) {
    char* text = nullptr;
    trans.GetText(obj, format, &text);
    return std::unique_ptr<char[]>(text);
}

// Runs read over a stream on the format's text; 0 when the text is missing or the read fails.
template <class Read>
int readText(UDataTrans& trans, COleDataObject* obj, unsigned int format, Read read) {
    std::unique_ptr<char[]> text = takeText(trans, obj, format);
    if (!text) return 0;
    TextInput buffer(text.get(), std::strlen(text.get()));
    std::istream input(&buffer);
    try {
        FileStream in(input);
        in.SetName(GetClipboardFormatName(format).c_str());
        read(in);
    } catch (const FsException&) {
        return 0;
    }
    return 1;
}

} // namespace

int UDataTransEx::SetData(COleDataSource* src, const KelDbAtomV* atom) {
    if (!src || !atom) return 0;
    try {
        const std::string text =
            compose(atom->GetKelvornClipboardSize(), [&](FileStream& out) { atom->WriteAtom(out); });
        return SetText(src, GetCbFormId(UDF_ATOM), text.c_str(), 0);
    } catch (const FsException&) {
        return 0;
    }
}

int UDataTransEx::SetData(COleDataSource* src, const KelDbMolecule* mol, const Vertex3D& offset) {
    if (!src || !mol) return 0;
    int offered = 0;
    try {
        const std::string text = compose(mol->GetKelvornClipboardSize() + 80, [&](FileStream& out) {
            mol->WriteMoldb(out);
            writeOffset(out, offset);
        });
        offered |= SetText(src, GetCbFormId(UDF_MOLECULE), text.c_str(), 0);
    } catch (const FsException&) {
    }
    try {
        const std::string text =
            compose(mol->GetMopacClipboardSize(), [&](FileStream& out) { mol->WriteMopac(out); });
        offered |= SetText(src, GetCbFormId(UDF_MOLDATA), text.c_str(), 0);
    } catch (const FsException&) {
    }
    // Checked here so that a large molecule does not first get a block it cannot fill.
    if (mol->GetAtomCount() <= kMdlLimit && mol->GetBondCount() <= kMdlLimit) {
        try {
            const std::vector<unsigned char> block = composeMdlBlock(*mol);
            offered |= SetText(src, GetCbFormId(UDF_MDLCT),
                               reinterpret_cast<const char*>(block.data()),
                               static_cast<int>(block.size()));
        } catch (const FsException&) {
        }
    }
    return offered;
}

int UDataTransEx::SetData(COleDataSource* src, KelDbMolCrystal* mcr, const Vertex3D& offset) {
    if (!src || !mcr) return 0;
    std::string text;
    try {
        text = compose(mcr->GetKelvornBdlClipboardSize(), [&](FileStream& out) {
            mcr->WriteBdl(out, -2);
            writeOffset(out, offset);
        });
    } catch (const FsException&) {
        return 0;
    }
    const int offered = SetText(src, GetCbFormId(UDF_MOLCRYSTAL), text.c_str(), 0);
    SetTime(src);
    SetText(src, CF_TEXT, text.c_str(), 0);
    const int first = OfferFirstStructure(src, *mcr);
    return offered && first ? 1 : 0;
}

int UDataTransEx::OfferFirstStructure(COleDataSource* src, const KelDbMolCrystal& mcr) {
    POSITION pos = mcr.GetMolHeadPosition();
    if (!pos) return 1;
    const DbMolecule* first = mcr.GetMolNext(pos);
    if (first->GetBondCount() > 0) {
        double H[3][3];
        if (!mcr.GetHmatrix(H)) return 0;  // no Cartesian shape to offer
        std::unique_ptr<DbComp> copied(first->Copy());
        std::unique_ptr<KelDbMolecule> plain;
        auto* copy = dynamic_cast<KelDbMolecule*>(copied.get());
        if (!copy) {
            plain = std::make_unique<KelDbMolecule>();
            static_cast<DbMolecule&>(*plain) = *first;
            copy = plain.get();
        }
        copy->AtZero();
        copy->Transform(H);
        return SetData(src, copy, first->GetCenterOfMass());
    }
    for (const DbMolecule* mol = first;; mol = mcr.GetMolNext(pos)) {
        if (POSITION a = mol->GetAtomHeadPosition()) {
            KelDbAtomV atom;
            atom.SetAtom(*mol->GetAtomNext(a));
            return SetData(src, &atom);
        }
        if (!pos) return 1;  // no atoms anywhere: nothing more to offer
    }
}

int UDataTransEx::GetData(COleDataObject* obj, KelDbAtomV* atom, UDFORMAT f) {
    if (f != UDF_ATOM || !atom) return 0;
    return readText(*this, obj, GetCbFormId(f), [&](FileStream& in) { atom->ReadAtom(in); });
}

int UDataTransEx::GetData(COleDataObject* obj, KelDbMolecule* mol, Vertex3D* offset, UDFORMAT f) {
    if (f != UDF_MOLECULE || !mol || !offset) return 0;
    return readText(*this, obj, GetCbFormId(f), [&](FileStream& in) {
        mol->ReadMoldb(in);
        readOffset(in, *offset);
    });
}

int UDataTransEx::GetData(COleDataObject* obj, KelDbMolecule* mol, Vertex3D* offset, int unite,
                          UDFORMAT f) {
    if (offset) *offset = Vertex3D(0.0, 0.0, 0.0);
    if (!mol) return 0;
    switch (f) {
    case UDF_MOLDATA:
        return readText(*this, obj, GetCbFormId(f),
                        [&](FileStream& in) { mol->ReadMopac(in, 0, unite); });
    case UDF_MOLDATA1:
    case UDF_MOLDATA2:
        return readText(*this, obj, GetCbFormId(f),
                        [&](FileStream& in) { mol->ReadMopac(in, 1, unite); });
    case UDF_MDLCT: {
        HGLOBAL block = static_cast<HGLOBAL>(GetHandle(obj, GetCbFormId(f)));
        if (!block) return 0;
        BlockLock lock(block);
        // Blocks are at most 1 GiB, so the size fits the stream's 32-bit position.
        MdlCbStr cb(lock.Address(), static_cast<std::uint32_t>(GlobalSize(block)));
        try {
            FileStream in(cb);
            in.SetName(m_strFormName[UDF_MDLCT].c_str());
            // The first record of the block, read through its "$$$$" as in any SD text.
            SdRecordReader reader(in, SdRecordReader::STOP, unite);
            return reader.ReadRecord(*mol);
        } catch (const FsException&) {
            return 0;
        }
    }
    default: return 0;
    }
}

int UDataTransEx::GetData(COleDataObject* obj, KelDbMolCrystal* mcr, Vertex3D* offset,
                          UDFORMAT f) {
    if (f != UDF_MOLCRYSTAL || !mcr || !offset) return 0;
    return readText(*this, obj, GetCbFormId(f), [&](FileStream& in) {
        mcr->ReadBdl(in);
        readOffset(in, *offset);
    });
}

int UDataTransEx::SetTime(COleDataSource* src) {
    const long now = static_cast<long>(std::time(nullptr));
    char text[kTimeBuffer];
    std::snprintf(text, sizeof text, "%ld", now);
    const int offered = SetText(src, GetCbFormId(UDF_TIME), text, 0);
    m_ttSetTime = now;
    return offered;
}

int UDataTransEx::GetTime(COleDataObject* obj, long& t) {
    long stamp = 0;
    const int read = readText(*this, obj, GetCbFormId(UDF_TIME), [&](FileStream& in) {
        if (!in.ReadLine()) throw FsException(1, "the time stamp is empty");
        const std::string_view token = in.ReadToken();
        auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), stamp);
        if (error != std::errc() || end != token.data() + token.size())
            throw FsException(1, "the time stamp is not a whole number: '" + CString(token) + "'");
    });
    if (read) t = stamp;
    return read;
}

// ---- the system clipboard ----

namespace {

// Hands the source over when offer puts something in it.
template <class Offer>
int handOver(Offer offer) {
    auto* src = new COleDataSource;
    if (!offer(src)) {
        delete src;
        return 0;
    }
    return src->SetClipboard() ? 1 : 0;  // the clipboard owns src from here on
}

template <class Read>
int readClipboard(Read read) {
    COleDataObject obj;
    obj.AttachClipboard();
    const int result = read(&obj);
    obj.Release();
    return result;
}

} // namespace

int UDataTransEx::CbSetData(const KelDbAtomV* atom) {
    return handOver([&](COleDataSource* src) { return SetData(src, atom); });
}

int UDataTransEx::CbSetData(const KelDbMolecule* mol, const Vertex3D& offset) {
    return handOver([&](COleDataSource* src) { return SetData(src, mol, offset); });
}

int UDataTransEx::CbSetData(KelDbMolCrystal* mcr) {
    return handOver(
        [&](COleDataSource* src) { return SetData(src, mcr, Vertex3D(0.0, 0.0, 0.0)); });
}

int UDataTransEx::CbGetData(KelDbAtomV* atom, UDFORMAT f) {
    return readClipboard([&](COleDataObject* obj) { return GetData(obj, atom, f); });
}

int UDataTransEx::CbGetData(KelDbMolecule* mol, Vertex3D* offset, UDFORMAT f) {
    return readClipboard([&](COleDataObject* obj) { return GetData(obj, mol, offset, f); });
}

int UDataTransEx::CbGetData(KelDbMolecule* mol, Vertex3D* offset, int unite, UDFORMAT f) {
    return readClipboard([&](COleDataObject* obj) { return GetData(obj, mol, offset, unite, f); });
}

int UDataTransEx::CbGetData(KelDbMolCrystal* mcr, UDFORMAT f) {
    Vertex3D offset;
    return readClipboard([&](COleDataObject* obj) { return GetData(obj, mcr, &offset, f); });
}

int UDataTransEx::CbSetTime() {
    return handOver([&](COleDataSource* src) { return SetTime(src); });
}

int UDataTransEx::CbGetTime(long& t) {
    return readClipboard([&](COleDataObject* obj) { return GetTime(obj, t); });
}

} // namespace qrtz
