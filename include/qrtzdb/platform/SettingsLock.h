#pragma once
// The lock that keeps concurrent writers of one settings file from losing each other's
// changes: an exclusive advisory lock (flock) on a lock file beside the target, named "." +
// the target's name + ".lock". Whoever reads a settings file, changes it and writes it back
// holds the lock from the read to the rename; the library's own writers of Qrtz.ini, INI
// entries, registry values and material files take it around each write. Readers do not
// take it: every write replaces its file atomically, so a reader sees the old or the new file.
//
// The lock is held while the object lives. Within one process a file's lock is taken once and
// shared by nested holders, so a host that holds it may call writers that take it again. It is
// released when the last holder goes or the process ends, however it ends (also by SIGKILL).
// Waiting for it is bounded: after the timeout the lock is not taken and ErrorText() says why.
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Holds the lock of one settings file while it lives (see above).
class SettingsLock {
public:
    // Waits at most timeoutMs; a negative value takes the default timeout.
    explicit SettingsLock(const CString& target, int timeoutMs = -1);
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

    // true while the lock is held.
    bool IsHeld() const { return m_error == 0; }
    // 0 when held; ETIMEDOUT when another process kept it past the timeout; else the error of
    // creating or locking the lock file.
    int Error() const { return m_error; }
    // "<target>: ..." naming the lock file and the wait; empty when held.
    CString ErrorText() const;

    // The lock file of a target (symbolic links followed first, as writes follow them).
    static CString LockPathOf(const CString& target);
    // How long a lock waits when not told; 10 000 ms unless set.
    static int GetDefaultTimeoutMs();
    static void SetDefaultTimeoutMs(int timeoutMs);

private:
    CString m_target;
    CString m_lockPath;
    int m_timeoutMs;
    int m_error = 0;
};

} // namespace qrtz
