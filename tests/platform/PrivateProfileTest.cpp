#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/PrivateProfile.h"
#include "qrtzdb/platform/SettingsLock.h"
#include "qrtzdb/platform/System.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

using PrivateProfileTest = testing::TempSettings;
using FileSystemTest = testing::TempSettings;

// Waits for a child for at most seconds; kills it when it takes longer. Its exit status, or
// -1 when it did not exit by itself.
int reap(pid_t child, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether folder holds a file whose name starts with prefix.
bool holdsFileStartingWith(const std::string& folder, const std::string& prefix) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* e = ::readdir(d))
        found = found || std::string(e->d_name).rfind(prefix, 0) == 0;
    ::closedir(d);
    return found;
}

TEST_F(PrivateProfileTest, ReadsWithWindowsMatchingRules) {
    std::string ini = path("a.ini");
    writeFile(ini, "top=0\n[ View ]\n; mode=comment\n  Mode = Stick  \nq=\"quoted \"\n"
                   "[view]\nmode=second\n[Other]\nmode=other\n");
    char buffer[1024];
    EXPECT_EQ(GetPrivateProfileString("VIEW", "MODE", "d", buffer, sizeof buffer, ini.c_str()), 5u);
    EXPECT_STREQ(buffer, "Stick");
    GetPrivateProfileString("view", "q", "", buffer, sizeof buffer, ini.c_str());
    EXPECT_STREQ(buffer, "quoted ");
    EXPECT_EQ(GetPrivateProfileString("View", "top", "none", ini.c_str()), "none");
    EXPECT_EQ(GetPrivateProfileString("Other", "mode", "", ini.c_str()), "other");
    EXPECT_EQ(GetPrivateProfileString("View", "x", "dflt", path("missing.ini").c_str()), "dflt");
    char tiny[4];
    EXPECT_EQ(GetPrivateProfileString("View", "Mode", "", tiny, sizeof tiny, ini.c_str()), 3u);
    EXPECT_STREQ(tiny, "Sti");
}

TEST_F(PrivateProfileTest, WritesChangeOnlyTheirEntry) {
    std::string ini = path("b.ini");
    writeFile(ini, "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_NE(WritePrivateProfileString("a", "X", "10", ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("A", "z", "3", ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("C", "w", "4", ini.c_str()), 0);
    EXPECT_EQ(readFile(ini),
              "; keep me\r\n[A]\r\nX=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");

    ASSERT_NE(WritePrivateProfileString("A", "x", nullptr, ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("b", nullptr, nullptr, ini.c_str()), 0);
    EXPECT_EQ(readFile(ini), "; keep me\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");

    // What the file could not hold is refused and leaves it untouched.
    EXPECT_EQ(WritePrivateProfileString("A", "z", "1\n[B]", ini.c_str()), 0);
    EXPECT_EQ(WritePrivateProfileString("A", "k=v", "1", ini.c_str()), 0);
    EXPECT_EQ(readFile(ini), "; keep me\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");

    std::string fresh = path("new.ini");
    writeFile(fresh, "[S]\nk=v");  // no line end at the end
    ASSERT_NE(WritePrivateProfileString("S", "n", "1", fresh.c_str()), 0);
    EXPECT_EQ(readFile(fresh), "[S]\nk=v\nn=1\n");
    writeFile(fresh, "[S]\nk=v\r");  // a lone carriage return is not a line end
    ASSERT_NE(WritePrivateProfileString("T", "n", "1", fresh.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileString("T", "n", "", fresh.c_str()), "1");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", fresh.c_str()), "v");
    EXPECT_EQ(WritePrivateProfileString("S", "n", "1", path("no/such/dir.ini").c_str()), 0);
}

TEST_F(PrivateProfileTest, TwentyProcessesWritingAtOnceLoseNothing) {
    const std::string ini = path("shared.ini");
    writeFile(ini, "[S]\nkeep=1\n");
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 20; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char byte;
            while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {}  // all start together
            const std::string key = "key" + std::to_string(i);
            const int ok = WritePrivateProfileString(i % 2 ? "S" : "T", key.c_str(),
                                                     std::to_string(i * 7).c_str(), ini.c_str());
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) EXPECT_EQ(reap(child, 30), 0);
    for (int i = 0; i < 20; ++i) {
        const std::string key = "key" + std::to_string(i);
        EXPECT_EQ(GetPrivateProfileString(i % 2 ? "S" : "T", key.c_str(), "lost", ini.c_str()),
                  std::to_string(i * 7)) << key;
    }
    EXPECT_EQ(GetPrivateProfileString("S", "keep", "", ini.c_str()), "1");
}

TEST_F(PrivateProfileTest, AKilledWriterLeavesThePreviousFileWholeAndTheLockFree) {
    const std::string ini = path("big.ini");
    const std::size_t size = 1 << 20;  // long enough for the kill to land inside a write
    auto version = [size](char letter) { return "[S]\nv=" + std::string(size, letter) + "\n"; };
    writeFile(ini, version('a'));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(ready[0]);
        for (int n = 1;; ++n) {
            const std::string value(size, static_cast<char>('a' + n % 26));
            if (!WritePrivateProfileString("S", "v", value.c_str(), ini.c_str())) ::_exit(1);
            if (n == 1 && ::write(ready[1], "r", 1) != 1) ::_exit(1);
        }
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);  // one write done; the next ones are under way
    ::close(ready[0]);
    // Kill it while a temporary file of its next write exists, if that shows within a bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!holdsFileStartingWith(path(), ".big.ini.tmp-") &&
           std::chrono::steady_clock::now() < deadline) {}
    ASSERT_EQ(::kill(writer, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string left = readFile(ini);
    ASSERT_EQ(left.size(), version('a').size());
    EXPECT_EQ(left, version(left[6]));
    // The dead writer's lock went with it: the next writer gets it at once.
    SettingsLock lock(ini, 0);
    EXPECT_TRUE(lock.IsHeld()) << lock.ErrorText();
    EXPECT_NE(WritePrivateProfileString("S", "w", "1", ini.c_str()), 0);
}

TEST_F(PrivateProfileTest, TheLockIsSharedWithinAProcessAndItsWaitIsBounded) {
    const std::string ini = path("locked.ini");
    writeFile(ini, "[S]\nk=old\n");
    {
        SettingsLock outer(ini);
        ASSERT_TRUE(outer.IsHeld()) << outer.ErrorText();
        // A host holding the lock may call writers that take it too.
        EXPECT_NE(WritePrivateProfileString("S", "k", "inner", ini.c_str()), 0);
    }
    EXPECT_EQ(SettingsLock::LockPathOf(ini), path(".locked.ini.lock"));

    // Another process's lock: writers give up after the timeout and change nothing.
    const int other = ::open(SettingsLock::LockPathOf(ini).c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const int saved = SettingsLock::GetDefaultTimeoutMs();
    SettingsLock::SetDefaultTimeoutMs(50);
    EXPECT_EQ(WritePrivateProfileString("S", "k", "late", ini.c_str()), 0);
    SettingsLock waiting(ini);
    SettingsLock::SetDefaultTimeoutMs(saved);
    EXPECT_FALSE(waiting.IsHeld());
    EXPECT_EQ(waiting.Error(), ETIMEDOUT);
    EXPECT_NE(waiting.ErrorText().find(ini + ": the settings are locked by another process"),
              std::string::npos) << waiting.ErrorText();
    ::close(other);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini.c_str()), "inner");
}

TEST_F(FileSystemTest, CopyReportsAnExistingTargetDistinctly) {
    std::string from = path("from.txt"), to = path("to.txt");
    writeFile(from, "new");
    writeFile(to, "old");
    EXPECT_EQ(CopyFile(from, to, true), kErrorFileExists);
    EXPECT_EQ(readFile(to), "old");
    EXPECT_EQ(CopyFile(from, to, false), 0);
    EXPECT_EQ(readFile(to), "new");
    int missing = CopyFile(path("none"), path("other"), true);
    EXPECT_EQ(missing, ENOENT);
    EXPECT_EQ(GetSystemErrorText(missing), std::strerror(ENOENT));
    EXPECT_FALSE(exists(path("other")));

    EXPECT_EQ(CreateDirectories(path("d/e/f")), 0);
    EXPECT_EQ(CreateDirectories(from + "/g"), ENOTDIR);
    EXPECT_EQ(CreateSymbolicLink(path("d"), path("link")), 0);
    EXPECT_EQ(CreateSymbolicLink(path("d/e"), path("link")), 0);
    bool isDirectory = false;
    EXPECT_TRUE(PathExists(path("link/f"), &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_EQ(CreateSymbolicLink(path("d"), from), EEXIST);  // never over a real file
    EXPECT_EQ(readFile(from), "new");

    // An atomic replacement writes through a link and keeps the file's mode.
    ::chmod(to.c_str(), 0600);
    ASSERT_EQ(CreateSymbolicLink(to, path("alias")), 0);
    ASSERT_EQ(WriteFileAtomically(path("alias"), "via link"), 0);
    EXPECT_EQ(readFile(to), "via link");
    struct stat st {};
    ASSERT_EQ(::lstat(path("alias").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    PlatformVersion version;
    ASSERT_TRUE(GetPlatformVersion(version));
    EXPECT_EQ(version.platformId, kPlatformNT);
    EXPECT_FALSE(version.systemName.empty());
}

} // namespace
} // namespace qrtz
