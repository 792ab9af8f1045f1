#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/platform/CStringList.h"
#include "qrtzdb/platform/MessageBox.h"
#include "qrtzdb/platform/Module.h"

namespace qrtz {
namespace {

std::vector<std::string> values(const CStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

TEST(CList, PositionsSurviveOtherInsertionsAndRemovals) {
    CStringList list;
    POSITION b = list.AddTail("b");
    POSITION d = list.AddTail("d");
    list.AddHead("a");
    list.InsertBefore(d, "c");
    list.InsertAfter(d, "e");
    list.InsertBefore(nullptr, "head");
    list.InsertAfter(nullptr, "tail");
    EXPECT_EQ(values(list), (std::vector<std::string>{"head", "a", "b", "c", "d", "e", "tail"}));
    EXPECT_EQ(list.RemoveAt(list.GetHeadPosition()), "head");
    EXPECT_EQ(list.RemoveAt(list.GetTailPosition()), "tail");
    list.RemoveAt(list.FindIndex(2));  // "c"
    EXPECT_EQ(list.GetAt(b), "b");
    POSITION pos = d;
    EXPECT_EQ(list.GetNext(pos), "d");
    EXPECT_EQ(list.GetNext(pos), "e");
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.FindIndex(4), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    EXPECT_EQ(list.Find("e"), list.GetTailPosition());

    CStringList copy = list;
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(values(copy), (std::vector<std::string>{"a", "b", "d", "e"}));
    list.AddTail("x");  // usable after RemoveAll
    EXPECT_EQ(list.GetHead(), "x");
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrtz-platform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string dir;
};

TEST_F(TempDir, FilesReadWriteSeekAndReportFailures) {
    std::string path = JoinPath(dir, "data.bin");
    {
        CFile out(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        out.Write("0123456789", 10);
    }
    CFile64 in(path.c_str(), CFile::modeRead);
    EXPECT_EQ(in.GetLength(), 10);
    char buf[16] = {};
    EXPECT_EQ(in.Seek(4, CFile::begin, 1), 4);
    EXPECT_EQ(in.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "456");
    EXPECT_EQ(in.Seek(2, CFile::current, 1), 9);
    EXPECT_EQ(in.Read(buf, 8), 1u);  // short read at the end, no exception here
    EXPECT_EQ(in.Read(buf, 8), 0u);
    EXPECT_EQ(in.Seek(-100, CFile::current, 0), -1);
    EXPECT_THROW(in.Seek(-100, CFile::current), CFileException);

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(status.m_size, 10);
    EXPECT_GT(status.m_mtime, 0);
    EXPECT_FALSE(CFile::GetStatus(JoinPath(dir, "none").c_str(), status));

    try {
        CFile missing(JoinPath(dir, "none").c_str(), CFile::modeRead);
        FAIL() << "opening a missing file must throw";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
        EXPECT_NE(e.GetMessage().find("none"), std::string::npos);
    }
}

TEST(Module, PathsAndSystemDirectory) {
    EXPECT_TRUE(IsAbsolutePath("/usr"));
    EXPECT_TRUE(IsAbsolutePath("C:\\data"));
    EXPECT_FALSE(IsAbsolutePath("data/x"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_EQ(JoinPath("a/", "b"), "a/b");
    EXPECT_EQ(JoinPath("a", "b"), "a/b");

    std::string exe = GetModuleFileName();
    EXPECT_NE(exe.find("qrtz_tests"), std::string::npos) << exe;

    const char* old = std::getenv("QRTZ_SYSTEM_DIR");
    std::string saved = old ? old : "";
    setenv("QRTZ_SYSTEM_DIR", "/opt/qrtz/share/", 1);
    EXPECT_EQ(GetSystemDirectory(), "/opt/qrtz/share");
    unsetenv("QRTZ_SYSTEM_DIR");
    EXPECT_EQ(GetSystemDirectory(), exe.substr(0, exe.rfind('/')));
    if (old) setenv("QRTZ_SYSTEM_DIR", saved.c_str(), 1);
}

TEST(MessageBox, HandlerReceivesTextsAndCanBeRestored) {
    std::vector<std::string> seen;
    MessageHandler previous =
        SetMessageHandler([&](const CString& text, const CString&) { seen.push_back(text); });
    MessageBox("settings file missing");
    SetMessageHandler(previous);
    MessageBox("to stderr");
    EXPECT_EQ(seen, (std::vector<std::string>{"settings file missing"}));
}

} // namespace
} // namespace qrtz
