#include "qrtzdb/platform/SettingsLock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/Module.h"

namespace qrtz {

namespace {

std::atomic<int> g_defaultTimeoutMs{10000};

// The locks this process holds, by lock file, with how many holders share each.
struct Held {
    int fd;
    int holders;
};
std::mutex g_heldMutex;
std::map<CString, Held>& heldLocks() {
    static std::map<CString, Held> held;
    return held;
}

// Takes the flock on fd, polling so the wait can end; short naps first, as locks are held for
// one small write.
int lockWithin(int fd, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto nap = std::chrono::microseconds(500);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errno;
        const auto now = Clock::now();
        if (now >= deadline) return ETIMEDOUT;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(nap, deadline - now));
        nap = std::min(nap * 2, std::chrono::microseconds(20000));
    }
}

} // namespace

CString SettingsLock::LockPathOf(const CString& target) {
    const CString resolved = ResolveLinks(target);
    const auto cut = resolved.find_last_of(kPathSeparator);
    if (cut == CString::npos) return "." + resolved + ".lock";
    return resolved.substr(0, cut + 1) + "." + resolved.substr(cut + 1) + ".lock";
}

int SettingsLock::GetDefaultTimeoutMs() { return g_defaultTimeoutMs.load(); }

void SettingsLock::SetDefaultTimeoutMs(int timeoutMs) {
    g_defaultTimeoutMs.store(timeoutMs < 0 ? 0 : timeoutMs);
}

SettingsLock::SettingsLock(const CString& target, int timeoutMs)
    : m_target(target), m_timeoutMs(timeoutMs < 0 ? GetDefaultTimeoutMs() : timeoutMs) {
    if (target.empty()) {
        m_error = ENOENT;
        return;
    }
    m_lockPath = LockPathOf(target);
    {
        std::lock_guard<std::mutex> guard(g_heldMutex);
        auto found = heldLocks().find(m_lockPath);
        if (found != heldLocks().end()) {
            ++found->second.holders;
            return;
        }
    }
    const int fd = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    m_error = lockWithin(fd, m_timeoutMs);
    if (m_error != 0) {
        ::close(fd);
        return;
    }
    std::lock_guard<std::mutex> guard(g_heldMutex);
    heldLocks().emplace(m_lockPath, Held{fd, 1});
}

SettingsLock::~SettingsLock() {
    if (m_error != 0) return;
    std::lock_guard<std::mutex> guard(g_heldMutex);
    auto found = heldLocks().find(m_lockPath);
    if (found == heldLocks().end() || --found->second.holders > 0) return;
    // Closing the last descriptor releases the flock; the lock file stays for the next holder,
    // since removing it could let two processes lock two different files of the same name.
    ::close(found->second.fd);
    heldLocks().erase(found);
}

CString SettingsLock::ErrorText() const {
    if (m_error == 0) return {};
    if (m_error == ETIMEDOUT)
        return m_target + ": the settings are locked by another process (" + m_lockPath +
               "); gave up after " + std::to_string(m_timeoutMs) + " ms";
    return m_target + ": the settings lock " + m_lockPath + " cannot be taken: " +
           std::strerror(m_error);
}

} // namespace qrtz
