#include "qrtzdb/platform/Clipboard.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qrtzdb/platform/Module.h"

namespace qrtz {

namespace {

// Clipboard texts are structures written as text; nothing legitimate comes near this.
constexpr std::size_t kMaxGlobalBlock = std::size_t{1} << 30;

} // namespace

struct GlobalBlock {
    std::vector<char> bytes;
    unsigned int flags = 0;
    int locks = 0;
};

HGLOBAL GlobalAlloc(unsigned int flags, std::size_t bytes) {
    if (bytes > kMaxGlobalBlock) return nullptr;
    auto* block = new (std::nothrow) GlobalBlock;
    if (!block) return nullptr;
    try {
        block->bytes.assign(bytes, '\0');
    } catch (const std::bad_alloc&) {
        delete block;
        return nullptr;
    }
    block->flags = flags;
    return block;
}

void* GlobalLock(HGLOBAL block) {
    if (!block) return nullptr;
    ++block->locks;
    return block->bytes.data();
}

int GlobalUnlock(HGLOBAL block) {
    if (!block || block->locks == 0) return 0;
    return --block->locks;
}

std::size_t GlobalSize(HGLOBAL block) { return block ? block->bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL block) {
    delete block;
    return nullptr;
}

namespace {

constexpr unsigned int kFirstRegisteredFormat = 0xC000;
constexpr char kContentMagic[] = "QRTZCLIP1\n";
constexpr std::size_t kMagicLength = sizeof(kContentMagic) - 1;

CString storeDir() {
    if (const char* env = std::getenv("QRTZ_CLIPBOARD"); env && *env) return env;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return JoinPath(run, "qrtz-clipboard");
    return "/tmp/qrtz-clipboard-" + std::to_string(::getuid());
}

bool ensureStore(const CString& dir) {
    if (::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) return true;
    // The parent may be missing too (a fresh $QRTZ_CLIPBOARD).
    auto cut = dir.find_last_of('/');
    if (cut == CString::npos || cut == 0) return false;
    return ensureStore(dir.substr(0, cut)) && (::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST);
}

// Holds an exclusive lock on the store's lock file for the lifetime of the object.
class StoreLock {
public:
    explicit StoreLock(const CString& dir) {
        m_fd = ::open(JoinPath(dir, "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    }
    ~StoreLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool readWhole(const CString& path, std::vector<char>& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    ::close(fd);
    return n == 0;
}

// Writes data to path through a temporary file and a rename, so readers see old or new, whole.
bool replaceFile(const CString& path, const std::vector<char>& data) {
    CString temp = path + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    bool ok = done == data.size() && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

std::vector<CString> registeredNames(const CString& dir) {
    std::vector<char> raw;
    std::vector<CString> names;
    if (!readWhole(JoinPath(dir, "formats"), raw)) return names;
    CString line;
    for (char c : raw) {
        if (c == '\n') {
            names.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return names;
}

template <class T>
void put(std::vector<char>& out, T value) {
    const char* p = reinterpret_cast<const char*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

template <class T>
bool take(const std::vector<char>& in, std::size_t& at, T& value) {
    if (in.size() - at < sizeof value) return false;
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

// Parses the content file; a damaged file reads as an empty clipboard.
std::map<unsigned int, std::vector<char>> parseContent(const std::vector<char>& raw) {
    std::map<unsigned int, std::vector<char>> formats;
    if (raw.size() < kMagicLength || std::memcmp(raw.data(), kContentMagic, kMagicLength) != 0)
        return formats;
    std::size_t at = kMagicLength;
    while (at < raw.size()) {
        std::uint32_t id = 0;
        std::uint64_t size = 0;
        if (!take(raw, at, id) || !take(raw, at, size) || size > raw.size() - at) return {};
        formats[id].assign(raw.data() + at, raw.data() + at + size);
        at += static_cast<std::size_t>(size);
    }
    return formats;
}

std::map<unsigned int, std::vector<char>> readContent() {
    std::vector<char> raw;
    if (!readWhole(JoinPath(storeDir(), "content"), raw)) return {};
    return parseContent(raw);
}

} // namespace

CString GetClipboardStoreDir() { return storeDir(); }

unsigned int RegisterClipboardFormat(const char* name) {
    if (!name || !*name || std::strchr(name, '\n')) return 0;
    CString dir = storeDir();
    if (!ensureStore(dir)) return 0;
    StoreLock lock(dir);
    if (!lock.ok()) return 0;
    std::vector<CString> names = registeredNames(dir);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (::strcasecmp(names[i].c_str(), name) == 0)
            return kFirstRegisteredFormat + static_cast<unsigned int>(i);
    if (names.size() >= 0x3FFF) return 0;
    std::vector<char> data;
    for (const CString& n : names) {
        data.insert(data.end(), n.begin(), n.end());
        data.push_back('\n');
    }
    data.insert(data.end(), name, name + std::strlen(name));
    data.push_back('\n');
    if (!replaceFile(JoinPath(dir, "formats"), data)) return 0;
    return kFirstRegisteredFormat + static_cast<unsigned int>(names.size());
}

CString GetClipboardFormatName(unsigned int format) {
    if (format == CF_TEXT) return "CF_TEXT";
    if (format < kFirstRegisteredFormat) return {};
    std::vector<CString> names = registeredNames(storeDir());
    std::size_t index = format - kFirstRegisteredFormat;
    return index < names.size() ? names[index] : CString();
}

int IsClipboardFormatAvailable(unsigned int format) {
    return readContent().count(format) ? 1 : 0;
}

COleDataSource::~COleDataSource() {
    for (auto& [format, block] : m_blocks) GlobalFree(block);
}

void COleDataSource::CacheGlobalData(unsigned int format, HGLOBAL block) {
    auto [it, inserted] = m_blocks.emplace(format, block);
    if (!inserted) {
        GlobalFree(it->second);
        it->second = block;
    }
}

bool COleDataSource::SetClipboard() {
    std::vector<char> data(kContentMagic, kContentMagic + kMagicLength);
    for (const auto& [format, block] : m_blocks) {
        put<std::uint32_t>(data, format);
        put<std::uint64_t>(data, block->bytes.size());
        data.insert(data.end(), block->bytes.begin(), block->bytes.end());
    }
    CString dir = storeDir();
    bool ok = ensureStore(dir) && replaceFile(JoinPath(dir, "content"), data);
    delete this;  // the clipboard owns the source from here on; its content now lives in the store
    return ok;
}

COleDataObject::~COleDataObject() { Release(); }

bool COleDataObject::AttachClipboard() {
    Release();
    m_data = readContent();
    return !m_data.empty();
}

void COleDataObject::Release() {
    for (auto& [format, block] : m_handed) GlobalFree(block);
    m_handed.clear();
    m_data.clear();
}

bool COleDataObject::IsDataAvailable(unsigned int format) const { return m_data.count(format) != 0; }

HGLOBAL COleDataObject::GetGlobalData(unsigned int format) {
    auto found = m_data.find(format);
    if (found == m_data.end()) return nullptr;
    auto handed = m_handed.find(format);
    if (handed != m_handed.end()) return handed->second;
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, found->second.size());
    if (!block) return nullptr;
    if (!found->second.empty())
        std::memcpy(GlobalLock(block), found->second.data(), found->second.size());
    GlobalUnlock(block);
    m_handed.emplace(format, block);
    return block;
}

std::vector<unsigned int> COleDataObject::GetFormats() const {
    std::vector<unsigned int> formats;
    for (const auto& [format, data] : m_data) formats.push_back(format);
    return formats;
}

} // namespace qrtz
