#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "qrtzdb/platform/Clipboard.h"

namespace qrtz {
namespace {

class ClipboardStore : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrtz-clip-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("QRTZ_CLIPBOARD", (dir + "/store").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QRTZ_CLIPBOARD");
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string dir;
};

HGLOBAL blockOf(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    return block;
}

std::string textOf(COleDataObject& obj, unsigned int format) {
    HGLOBAL block = obj.GetGlobalData(format);
    if (!block) return "<absent>";
    std::string text(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
    GlobalUnlock(block);
    return text.c_str();  // up to the terminator
}

// Runs body in a child process and returns its exit status.
template <class F>
int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ClipboardStore, FormatIdentifiersAgreeAcrossProcesses) {
    unsigned int mol = RegisterClipboardFormat("3DKelMolData");
    EXPECT_EQ(mol, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("MDLCT"), 0xC001u);
    EXPECT_EQ(RegisterClipboardFormat("mdlct"), 0xC001u);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    // Another process gets the same identifiers and registers a new name after them.
    EXPECT_EQ(inChild([] { return RegisterClipboardFormat("MDLCT") == 0xC001u ? 0 : 1; }), 0);
    EXPECT_EQ(inChild([] { return RegisterClipboardFormat("3DKelTime") == 0xC002u ? 0 : 1; }), 0);
    EXPECT_EQ(GetClipboardFormatName(0xC002), "3DKelTime");
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "CF_TEXT");
    EXPECT_EQ(GetClipboardFormatName(0xC0FF), "");
}

TEST_F(ClipboardStore, CopyInOneProcessPasteInAnother) {
    COleDataObject empty;
    EXPECT_FALSE(empty.AttachClipboard());
    EXPECT_EQ(IsClipboardFormatAvailable(CF_TEXT), 0);

    unsigned int mol = RegisterClipboardFormat("3DKelMolData");
    int copied = inChild([mol] {
        auto* src = new COleDataSource;
        src->CacheGlobalData(CF_TEXT, blockOf("plain"));
        src->CacheGlobalData(mol, blockOf("old"));
        src->CacheGlobalData(mol, blockOf("molecule"));  // replaces the first block
        return src->SetClipboard() ? 0 : 1;
    });
    ASSERT_EQ(copied, 0);
    EXPECT_EQ(IsClipboardFormatAvailable(mol), 1);
    COleDataObject obj;
    ASSERT_TRUE(obj.AttachClipboard());
    EXPECT_EQ(obj.GetFormats(), (std::vector<unsigned int>{CF_TEXT, mol}));
    EXPECT_EQ(textOf(obj, CF_TEXT), "plain");
    EXPECT_EQ(textOf(obj, mol), "molecule");
    EXPECT_EQ(textOf(obj, 0xC0AA), "<absent>");

    // A new copy replaces the whole content.
    auto* src = new COleDataSource;
    src->CacheGlobalData(CF_TEXT, blockOf("second"));
    ASSERT_TRUE(src->SetClipboard());
    EXPECT_EQ(IsClipboardFormatAvailable(mol), 0);
    EXPECT_EQ(textOf(obj, mol), "molecule") << "an attached object keeps its snapshot";
}

TEST_F(ClipboardStore, ConcurrentCopiesNeverMix) {
    unsigned int a = RegisterClipboardFormat("A"), b = RegisterClipboardFormat("B");
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < 200; ++i) {
                std::string tag = std::to_string(w) + ":" + std::to_string(i);
                auto* src = new COleDataSource;
                src->CacheGlobalData(a, blockOf(tag));
                src->CacheGlobalData(b, blockOf(tag + std::string(5000, 'x')));
                if (!src->SetClipboard()) _exit(1);
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    // Read while the writers run; every snapshot must hold the two formats of one copy.
    int checked = 0, running = 2;
    while (running > 0) {
        COleDataObject obj;
        if (obj.AttachClipboard()) {
            std::string ta = textOf(obj, a), tb = textOf(obj, b);
            ASSERT_EQ(tb.substr(0, ta.size()), ta) << "formats of two copies mixed";
            ++checked;
        }
        for (pid_t& pid : writers) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
                pid = 0;
                --running;
            }
        }
    }
    COleDataObject last;
    ASSERT_TRUE(last.AttachClipboard());
    EXPECT_EQ(textOf(last, a).substr(2), "199");
    EXPECT_GT(checked, 0);
}

TEST(GlobalMemory, BlocksCountLocksAndRefuseImpossibleSizes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    char* p = static_cast<char*>(GlobalLock(block));
    EXPECT_EQ(p[15], 0);
    GlobalLock(block);
    EXPECT_EQ(GlobalUnlock(block), 1);
    EXPECT_EQ(GlobalUnlock(block), 0);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalAlloc(0, static_cast<std::size_t>(-1) / 2), nullptr);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

} // namespace
} // namespace qrtz
