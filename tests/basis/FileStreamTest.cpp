#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"

namespace qrtz {
namespace {

std::vector<std::string> readAll(FileStream& fs) {
    std::vector<std::string> lines;
    while (const char* line = fs.ReadLine()) lines.emplace_back(line);
    return lines;
}

// The message of the FsException that call throws; fails the test when it throws none.
template <class Call>
std::string failure(Call call) {
    try {
        call();
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        return e.Message();
    }
    ADD_FAILURE() << "no FsException";
    return {};
}

// A block allocated to its exact size, so the sanitizers catch any access beyond it.
struct Block {
    explicit Block(std::uint32_t size) : bytes(new unsigned char[size]), cb(bytes.get(), size) {
        std::memset(bytes.get(), 0xAA, size);
    }
    std::unique_ptr<unsigned char[]> bytes;
    MdlCbStr cb;
};

TEST(FileStream, LinesRoundTripThroughFileStreamAndBlock) {
    const std::vector<std::string> lines = {"one", "two", "KELVORN Molecular Database File", "",
                                            "   1   C   12.0110  0.5 ", std::string(200, 'x')};
    auto write = [&](FileStream& out) {
        out.WriteText("one\ntwo");  // a '\n' inside starts a new line
        for (std::size_t i = 2; i < lines.size(); ++i) out.WriteLine("%s", lines[i].c_str());
        EXPECT_EQ(out.GetLineNumber(), 6);
    };

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        FileStream out(file);
        write(out);
    }
    std::rewind(file);
    FileStream in(file);
    EXPECT_EQ(readAll(in), lines);
    std::fclose(file);

    std::stringstream text;
    FileStream io(text);
    write(io);
    EXPECT_EQ(readAll(io), lines);

    Block block(512);
    FileStream blockOut(block.cb);
    write(blockOut);
    std::uint32_t used = 0;
    for (const std::string& line : lines) used += 1 + static_cast<std::uint32_t>(line.size());
    EXPECT_EQ(block.cb.position, used);
    // The layout other programs read: a length byte, then the bytes, no terminator.
    EXPECT_EQ(std::memcmp(block.bytes.get(), "\3one\3two\x1fKELVORN", 16), 0);
    MdlCbStr readBack(block.bytes.get(), used);
    FileStream blockIn(readBack);
    EXPECT_EQ(readAll(blockIn), lines);
}

TEST(FileStream, LineEndsAndLastLineWithoutEnd) {
    const std::string longLine(5000, 'y');  // far beyond any fixed line buffer
    std::istringstream text("a b\r\n\r\nc\rd\n" + longLine + "\nlast");
    FileStream fs(text);
    EXPECT_EQ(readAll(fs), (std::vector<std::string>{"a b", "", "c\rd", longLine, "last"}));
    EXPECT_EQ(fs.GetLineNumber(), 5);
}

TEST(FileStream, ExtractsTokensOfEveryType) {
    std::istringstream text("  C  -1.5e2\t+42  H  AR 1 CA3 0.25 +7.5 -0\nnext line\n");
    FileStream fs(text);
    ASSERT_NE(fs.ReadLine(), nullptr);
    FileStream::AtomType carbon, hydrogen, longer;
    FileStream::BondType aromatic, single;
    double d = 0;
    int i = 0;
    float f = 0;
    CString word;
    fs >> carbon >> d >> i >> hydrogen >> aromatic >> single >> longer >> f >> d;
    EXPECT_EQ(carbon.Text(), "C ");
    EXPECT_STREQ(hydrogen.c_str(), "H ");
    EXPECT_EQ(aromatic.Text(), "AR");
    EXPECT_EQ(single.Text(), "1 ");
    EXPECT_EQ(longer.Text(), "CA3");
    EXPECT_EQ(i, 42);
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_DOUBLE_EQ(d, 7.5);
    fs >> i;
    EXPECT_EQ(i, 0);

    const std::string missing = failure([&] { fs >> word; });
    EXPECT_NE(missing.find("line 1:"), std::string::npos) << missing;
    EXPECT_NE(missing.find("field 11"), std::string::npos) << missing;

    // A new line starts over; tokens are views into it.
    ASSERT_NE(fs.ReadLine(), nullptr);
    EXPECT_EQ(fs.ReadToken(), "next");
    fs >> word;
    EXPECT_EQ(word, "line");
    EXPECT_EQ(fs.CurrentLine(), "next line");
}

TEST(FileStream, RejectsTokensThatAreNotTheNumberAskedFor) {
    const std::string fits(259, 'n');
    std::istringstream text("header\n12x 1.5.2 ++1 +-1 99999999999 1e999 abc 3.0 + " + fits + " " +
                            fits + "n\n");
    FileStream fs(text);
    fs.SetName("water.mol");
    fs.ReadLine();
    fs.ReadLine();
    int i = 0;
    double d = 0;
    float f = 0;
    const std::string notInt = failure([&] { fs >> i; });
    EXPECT_EQ(notInt, "water.mol: line 2: field 1 is not an integer: '12x'");
    EXPECT_NE(failure([&] { fs >> d; }).find("'1.5.2'"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> i; }).find("'++1'"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> d; }).find("'+-1'"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> i; }).find("out of range"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> d; }).find("out of range"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> f; }).find("'abc'"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> i; }).find("'3.0'"), std::string::npos);
    EXPECT_NE(failure([&] { fs >> i; }).find("'+'"), std::string::npos);
    EXPECT_EQ(i, 0);  // a rejected token leaves the target alone

    CString token;
    fs.ReadToken(token, 259);
    EXPECT_EQ(token, fits);
    const std::string tooLong = failure([&] { fs.ReadToken(token, 259); });
    EXPECT_NE(tooLong.find("field 11 is longer than 259"), std::string::npos) << tooLong;
    EXPECT_LT(tooLong.size(), 200u);  // the quote is cut, not the whole token

    // Past the end there is no current line, and nothing to take from it.
    EXPECT_EQ(fs.ReadLine(), nullptr);
    EXPECT_NE(failure([&] { fs >> d; }).find("missing"), std::string::npos);
}

TEST(FileStream, BlockRefusesWhatItCannotHold) {
    Block block(12);
    FileStream fs(block.cb);
    fs.WriteLine("%s", "1234567");  // 8 bytes
    const std::string tooLong = failure([&] { fs.WriteText(std::string(256, 'z')); });
    EXPECT_NE(tooLong.find("256 bytes"), std::string::npos) << tooLong;
    EXPECT_NE(tooLong.find("line 2"), std::string::npos) << tooLong;
    const std::string full = failure([&] { fs.WriteLine("abcd"); });  // 5 bytes, 4 left
    EXPECT_NE(full.find("full"), std::string::npos) << full;
    // A text of two lines that only half fits writes neither.
    failure([&] { fs.WriteText("ab\nc"); });
    EXPECT_EQ(block.cb.position, 8u);
    EXPECT_EQ(block.bytes[8], 0xAA);
    fs.WriteText("ab");
    fs.WriteText("");
    EXPECT_EQ(block.cb.position, 12u);
    failure([&] { fs.WriteText(""); });

    // Reading stops at the size; the trailing empty line is a line.
    block.cb.position = 0;
    FileStream in(block.cb);
    EXPECT_EQ(readAll(in), (std::vector<std::string>{"1234567", "ab", ""}));

    // A length byte that reaches past the end is an error, not an overrun.
    Block corrupt(6);
    std::memcpy(corrupt.bytes.get(), "\2ab\3cd", 6);
    FileStream bad(corrupt.cb);
    EXPECT_STREQ(bad.ReadLine(), "ab");
    const std::string message = failure([&] { bad.ReadLine(); });
    EXPECT_NE(message.find("line 2"), std::string::npos) << message;
    EXPECT_NE(message.find("offset 3"), std::string::npos) << message;

    MdlCbStr nowhere(nullptr, 100);
    FileStream empty(nowhere);
    EXPECT_EQ(empty.ReadLine(), nullptr);
    failure([&] { empty.WriteLine("x"); });
}

} // namespace
} // namespace qrtz
