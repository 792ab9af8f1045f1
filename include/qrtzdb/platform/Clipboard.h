#pragma once
// A clipboard shared by every process of the user: named formats with identifiers that agree
// across processes, global memory blocks, a data source that collects formats and replaces the
// whole clipboard at once, and a data object that reads it.
//
// The store is a folder: $QRTZ_CLIPBOARD, else $XDG_RUNTIME_DIR/qrtz-clipboard, else
// /tmp/qrtz-clipboard-<uid>. Its content is one file replaced atomically, so a reader always
// sees one whole data source, however many processes copy at the same time.
#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The plain-text format.
inline constexpr unsigned int CF_TEXT = 1;
// Allocation flags of GlobalAlloc; the blocks are ordinary memory here.
inline constexpr unsigned int GMEM_MOVEABLE = 0x0002;
inline constexpr unsigned int GMEM_ZEROINIT = 0x0040;
inline constexpr unsigned int GMEM_DDESHARE = 0x2000;

struct GlobalBlock;
// A block of clipboard memory; opaque.
using HGLOBAL = GlobalBlock*;

// A movable memory block. Allocation fails (null) above 1 GiB or when memory runs out.
HGLOBAL GlobalAlloc(unsigned int flags, std::size_t bytes);
void* GlobalLock(HGLOBAL block);
// Returns non-zero while the block is still locked.
int GlobalUnlock(HGLOBAL block);
std::size_t GlobalSize(HGLOBAL block);
// Frees the block; returns null.
HGLOBAL GlobalFree(HGLOBAL block);

// The identifier of a format name, the same in every process: 0xC000 and up, in order of first
// registration; names compare case-insensitively. 0 when the store cannot be written.
unsigned int RegisterClipboardFormat(const char* name);
// The registered name of an identifier ("CF_TEXT" for 1); empty when unknown.
CString GetClipboardFormatName(unsigned int format);
int IsClipboardFormatAvailable(unsigned int format);
// The folder of the store.
CString GetClipboardStoreDir();

// Collects the formats of one copy operation.
class COleDataSource {
public:
    COleDataSource() = default;
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;
    virtual ~COleDataSource();

    // Takes ownership of the block; a second block for the same format replaces the first.
    void CacheGlobalData(unsigned int format, HGLOBAL block);
    bool HasFormat(unsigned int format) const { return m_blocks.count(format) != 0; }

    // Replaces the clipboard's whole content with this source and takes ownership of it: the
    // source must have been made with new and is deleted here. Returns false when the store
    // could not be written (the clipboard then keeps its old content).
    bool SetClipboard();

private:
    std::map<unsigned int, HGLOBAL> m_blocks;
};

// Read access to the clipboard's content as it was when attached.
class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject();

    // Takes a snapshot of the clipboard; false when it is empty or unreadable.
    bool AttachClipboard();
    void Release();

    // true when the snapshot holds format.
    bool IsDataAvailable(unsigned int format) const;
    // The block of a format, owned by this object and valid until Release; null when absent.
    HGLOBAL GetGlobalData(unsigned int format);
    // The formats present, in ascending order.
    std::vector<unsigned int> GetFormats() const;

private:
    std::map<unsigned int, std::vector<char>> m_data;
    std::map<unsigned int, HGLOBAL> m_handed;
};

} // namespace qrtz
