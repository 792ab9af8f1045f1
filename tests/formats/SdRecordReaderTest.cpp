#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "formats/ExchangeTestSupport.h"
#include "formats/FormatTestSupport.h"
#include "qrtzdb/formats/SdRecordReader.h"

namespace qrtz {
namespace {

using namespace qrtz::testing;

// Every record of text as the reader gives it: the molecule written back with its fields.
struct Pass {
    std::vector<std::string> records;
    std::vector<std::string> skipped;  // messages
    std::vector<std::pair<int, int>> places;  // record and line of each record read
};

Pass readAll(const std::string& text, SdRecordReader::ONBADRECORD onBad) {
    Pass pass;
    std::istringstream in(text);
    FileStream stream(in);
    stream.SetName("in.sdf");
    SdRecordReader reader(stream, onBad);
    reader.SetBadRecordSink([&](const FsException& e, int record, int line) {
        pass.skipped.push_back(e.Message() + " @" + std::to_string(record) + ":" +
                               std::to_string(line));
    });
    KelDbMolecule mol;
    while (reader.ReadRecord(mol)) {
        pass.records.push_back(written([&](FileStream& out) { mol.WriteMdl(out, reader.GetDataFields()); }));
        pass.places.emplace_back(reader.GetRecordNumber(), reader.GetRecordLine());
    }
    EXPECT_EQ(reader.GetSkippedCount(), static_cast<int>(pass.skipped.size()));
    return pass;
}

std::string readOne(const std::string& text) {
    KelDbMolecule mol;
    readText(text, [&](FileStream& in) { mol.ReadMdl(in, 0); });
    return written([&](FileStream& out) { mol.WriteMdl(out); });
}

TEST(SdRecordReader, ReadsRecordsWithTheirDataFieldsAndWritesThemBack) {
    const std::string lactate = fixture("ob-lactate.sdf");
    const std::string benzene = fixture("ob-benzene.sdf");
    KelDbMolecule mol;
    formylChloride(mol);
    const std::vector<SdDataField> fields = {{"ID", "lactate-1"}, {"notes", "two\nlines"}, {"", ""}};
    const std::string withFields = written([&](FileStream& out) { mol.WriteMdl(out, fields); });
    // Without fields the record is WriteMdl's, byte for byte.
    EXPECT_EQ(written([&](FileStream& out) { mol.WriteMdl(out, {}); }), fixture("formyl-chloride.sdf"));
    EXPECT_NE(withFields.find("M  END\n>  <ID>\nlactate-1\n\n>  <notes>\ntwo\nlines\n\n>  <>\n\n$$$$\n"),
              std::string::npos);

    // Fields as other programs write them, a last record without "$$$$", blank lines at the end.
    std::string other = lactate;
    other.insert(other.find("$$$$"), ">  <PUBCHEM_ID>  (1) \n42\n\n> <SMILES>\nCC(O)C(=O)[O-]\n\n");
    std::string last = benzene.substr(0, benzene.find("$$$$"));
    const Pass pass = readAll(withFields + other + withFields + last + "\n\n  \n", SdRecordReader::STOP);
    ASSERT_EQ(pass.records.size(), 4u);
    EXPECT_EQ(pass.records[0], withFields);
    EXPECT_EQ(pass.records[2], withFields);
    // Each molecule as ReadMdl reads the record alone; the fields come back in order.
    for (int i : {1, 3}) {
        const std::string alone = readOne(i == 1 ? lactate : benzene);
        const std::string& got = pass.records[i];
        EXPECT_EQ(got.substr(0, got.find("M  END")), alone.substr(0, alone.find("M  END")));
    }
    EXPECT_NE(pass.records[1].find("M  END\n>  <PUBCHEM_ID>\n42\n\n>  <SMILES>\nCC(O)C(=O)[O-]\n\n$$$$"),
              std::string::npos);
    auto lines = [](const std::string& t) { return static_cast<int>(std::count(t.begin(), t.end(), '\n')); };
    const int a = lines(withFields), b = lines(other);
    EXPECT_EQ(pass.places, (std::vector<std::pair<int, int>>{{1, 1}, {2, a + 1}, {3, a + b + 1}, {4, 2 * a + b + 1}}));

    // Fields that would not come back as they are: refused before anything is written.
    for (const SdDataField& bad : {SdDataField{"a>b", "x"}, SdDataField{"n", "x\n\ny"},
                                   SdDataField{"n", "x\n$$$$"}, SdDataField{"n", "x\n"},
                                   SdDataField{"n", "x\r"}, SdDataField{"n\n", "x"}}) {
        std::ostringstream out;
        FileStream stream(out);
        try {
            mol.WriteMdl(stream, {fields[0], bad});
            ADD_FAILURE() << "written: " << bad.name << "=" << bad.value;
        } catch (const FsException& e) {
            EXPECT_EQ(e.code, 2);
        }
        EXPECT_EQ(out.str(), "");
    }
}

TEST(SdRecordReader, StopsAtOrSkipsABadRecordNamingRecordAndLine) {
    const std::string good = fixture("formyl-chloride.sdf");  // 13 lines
    std::string noAtoms = good;
    noAtoms.replace(noAtoms.find("  4  3"), 6, "  0  3");
    // Counts above the lines present: the reader runs into "$$$$", which still closes it.
    std::string tooMany = good;
    tooMany.replace(tooMany.find("  4  3"), 6, "  4  4");
    tooMany.erase(tooMany.find("M  END\n"), 7);
    const std::string text = good + noAtoms + good + tooMany + good + "\n\n\n\n" + good;

    try {
        readAll(text, SdRecordReader::STOP);
        ADD_FAILURE() << "read";
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_TRUE(mentions(e.Message(), "in.sdf: record 2: line 17: columns 1-3 hold no positive atom count"));
    }

    const Pass pass = readAll(text, SdRecordReader::SKIP);
    ASSERT_EQ(pass.skipped.size(), 3u);
    EXPECT_TRUE(mentions(pass.skipped[0], "in.sdf: record 2: line 17: "));
    EXPECT_TRUE(mentions(pass.skipped[0], "@2:14"));
    EXPECT_TRUE(mentions(pass.skipped[1], "in.sdf: record 4: line 51: columns 1-3 (first atom) hold no integer: '$$$$'"));
    // Six blank lines before a record: its counts line is blank, and it is passed over whole.
    EXPECT_TRUE(mentions(pass.skipped[2], "in.sdf: record 6: line 68: the counts line is blank"));
    EXPECT_TRUE(mentions(pass.skipped[2], "@6:65"));
    ASSERT_EQ(pass.records.size(), 3u);
    for (const std::string& record : pass.records) EXPECT_EQ(record, good);
    EXPECT_EQ(pass.places, (std::vector<std::pair<int, int>>{{1, 1}, {3, 27}, {5, 52}}));

    // Whatever the bytes, reading ends normally or with FsException(1), in either mode.
    KelDbMolecule mol;
    for (auto mode : {SdRecordReader::STOP, SdRecordReader::SKIP})
        tortureRead(good + fixture("ob-lactate.sdf"), [&](FileStream& in) {
            SdRecordReader reader(in, mode, 1);
            while (reader.ReadRecord(mol))
                for (const SdDataField& field : reader.GetDataFields()) EXPECT_EQ(field.name.find('>'), CString::npos);
        });
}

} // namespace
} // namespace qrtz
