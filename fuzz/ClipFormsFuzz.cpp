// The structure forms of the clipboard: UDataTransEx::GetData and GetTime. The first byte's low
// three bits pick the form, the next bit unite; the rest is the form's block as another program
// would put it on the clipboard (not necessarily ending in a zero byte). What was read is copied
// with SetData and must paste again in the same form (the MOPAC forms with charges through the
// plain one, which is the form SetData offers).
#include <cstring>

#include "FuzzSupport.h"
#include "qrtzdb/clipboard/UDataTrans.h"

using namespace qrtz;
using F = UDataTransEx::UDFORMAT;

namespace {

// Replaces the clipboard with one block; false when the store cannot take it.
bool Offer(unsigned int format, const std::uint8_t* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block) return false;
    if (size) std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    auto* source = new COleDataSource;
    source->CacheGlobalData(format, block);
    return source->SetClipboard();
}

// Puts source on the clipboard and pastes through paste(object); aborts when form was offered
// but does not paste.
template <class Paste>
void MustPasteAgain(COleDataSource* source, F form, Paste paste) {
    const bool offered = source->HasFormat(UDataTransEx::GetCbFormId(form));
    if (!source->SetClipboard() || !offered) return;
    COleDataObject object;
    if (!object.AttachClipboard() || !paste(object)) {
        std::fprintf(stderr, "form %s copied but does not paste\n",
                     UDataTransEx::m_strFormName[form].c_str());
        std::abort();
    }
}

template <class T, class Get, class Set>
void RoundTrip(COleDataObject& object, F form, F again, Get get, Set set) {
    UDataTransEx trans;
    T first;
    Vertex3D offset;
    if (!get(trans, object, first, offset, form)) return;
    auto* source = new COleDataSource;
    set(trans, source, first, offset);
    MustPasteAgain(source, again, [&](COleDataObject& o) {
        T second;
        Vertex3D back;
        return get(trans, o, second, back, again) != 0;
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("QRTZ_CLIPBOARD", fuzz::TempDir("clipformsfuzz").c_str(), 1);
    UDataTransEx::Init();
    if (UDataTransEx::GetCbFormId(UDataTransEx::UDF_TIME) == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto form = static_cast<F>(data[0] & 7);
    const int unite = (data[0] >> 3) & 1;
    if (!Offer(UDataTransEx::GetCbFormId(form), data + 1, size - 1)) return 0;
    COleDataObject object;
    if (!object.AttachClipboard()) return 0;

    switch (form) {
    case UDataTransEx::UDF_ATOM:
        RoundTrip<KelDbAtomV>(
            object, form, form,
            [](UDataTransEx& t, COleDataObject& o, KelDbAtomV& a, Vertex3D&, F f) { return t.GetData(&o, &a, f); },
            [](UDataTransEx& t, COleDataSource* s, KelDbAtomV& a, Vertex3D&) { t.SetData(s, &a); });
        break;
    case UDataTransEx::UDF_MOLECULE:
        RoundTrip<KelDbMolecule>(
            object, form, form,
            [](UDataTransEx& t, COleDataObject& o, KelDbMolecule& m, Vertex3D& v, F f) { return t.GetData(&o, &m, &v, f); },
            [](UDataTransEx& t, COleDataSource* s, KelDbMolecule& m, Vertex3D& v) { t.SetData(s, &m, v); });
        break;
    case UDataTransEx::UDF_MOLCRYSTAL:
        RoundTrip<KelDbMolCrystal>(
            object, form, form,
            [](UDataTransEx& t, COleDataObject& o, KelDbMolCrystal& c, Vertex3D& v, F f) { return t.GetData(&o, &c, &v, f); },
            [](UDataTransEx& t, COleDataSource* s, KelDbMolCrystal& c, Vertex3D& v) { t.SetData(s, &c, v); });
        break;
    case UDataTransEx::UDF_MOLDATA:
    case UDataTransEx::UDF_MOLDATA1:
    case UDataTransEx::UDF_MOLDATA2:
    case UDataTransEx::UDF_MDLCT: {
        const F again = form == UDataTransEx::UDF_MDLCT ? form : UDataTransEx::UDF_MOLDATA;
        RoundTrip<KelDbMolecule>(
            object, form, again,
            [unite](UDataTransEx& t, COleDataObject& o, KelDbMolecule& m, Vertex3D& v, F f) {
                return t.GetData(&o, &m, &v, unite, f);
            },
            [](UDataTransEx& t, COleDataSource* s, KelDbMolecule& m, Vertex3D& v) { t.SetData(s, &m, v); });
        break;
    }
    case UDataTransEx::UDF_TIME: {
        long stamp = 0;
        UDataTransEx().GetTime(&object, stamp);
        break;
    }
    }
    return 0;
}
