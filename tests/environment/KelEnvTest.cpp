#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qrtzdb/environment/CRegManager.h"
#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"
#include "qrtzdb/platform/MessageBox.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

const char* const kTail = " not found.\nSome functions may not work correctly.";

// Each test starts from the built-in environment and leaves it so for the next one.
class KelEnvTest : public testing::TempSettings {
protected:
    void SetUp() override {
        TempSettings::SetUp();
        std::copy(&KelEnv::light[0][0], &KelEnv::light[0][0] + 18, &light_[0][0]);
        std::copy_n(KelEnv::lightSrc, KelEnv::kLightSrcCount, lightSrc_);
        slices_ = KelEnv::slices;
        TblAtom::ResetDefaults();
        TblBond::ResetDefaults();
        KelEnv::garbageCount = 0;
        KelEnv::m_filePrvPath.clear();
        previous_ = SetMessageHandler([this](const CString& text, const CString&) {
            messages_.push_back(text);
        });
        sys_ = path("system");
        work_ = path("home/work");
    }

    void TearDown() override {
        SetMessageHandler(previous_);
        std::copy(&light_[0][0], &light_[0][0] + 18, &KelEnv::light[0][0]);
        std::copy_n(lightSrc_, KelEnv::kLightSrcCount, KelEnv::lightSrc);
        KelEnv::slices = slices_;
        KelEnv::garbageCount = 0;
        KelEnv::m_filePrvPath.clear();
        TblAtom::ResetDefaults();
        TblBond::ResetDefaults();
        TempSettings::TearDown();
    }

    // A registered working area whose Qrtz.ini holds content.
    void privateIni(const std::string& content) {
        ::mkdir(work_.c_str(), 0755);
        ASSERT_EQ(KelEnv::RegPrivateEnv(work_.c_str()), 1);
        writeFile(work_ + "/Qrtz.ini", content);
    }

    std::vector<std::string> messages_;
    std::string sys_, work_;

private:
    float light_[6][3];
    LIGHTSRC lightSrc_[KelEnv::kLightSrcCount];
    int slices_ = 0;
    MessageHandler previous_;
};

TEST_F(KelEnvTest, SystemIniSetsTheSystemFolders) {
    writeFile(sys_ + "/SysQrtz.ini",
              "data-dir   MyData  \r\n"
              "molecular-dir /abs/mol\n"
              "crystal-dir C:\\Cry\n"
              "template-dir\n"
              "DATA-DIR ignored\n" + std::string(2000, 'k') + " x\n" +
              std::string("\0\x01\xfe bitmap-dir", 15) + "\n");
    EXPECT_EQ(KelEnv::ReadSystem(), 1);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(KelEnv::m_fileSysPath, sys_ + "/SysQrtz.ini");
    EXPECT_EQ(KelEnv::m_fileDefPath, sys_ + "/DefQrtz.ini");
    EXPECT_EQ(KelEnv::GetDir(0), sys_);
    EXPECT_EQ(KelEnv::GetDir(1), sys_ + "/MyData");
    EXPECT_EQ(KelEnv::GetInisDir(1), "MyData");
    EXPECT_EQ(KelEnv::GetDir(2), "/abs/mol");
    EXPECT_EQ(KelEnv::GetDir(3), "C:\\Cry");
    // A key without a value names the system folder itself.
    EXPECT_EQ(KelEnv::GetDir(7), sys_ + "/");
    EXPECT_EQ(KelEnv::iniDir[7], "");
    EXPECT_EQ(KelEnv::GetDir(11), sys_ + "/Polymer");
    EXPECT_EQ(KelEnv::GetDir(12), ".");
    EXPECT_EQ(KelEnv::GetDir(23), ".");
    EXPECT_EQ(KelEnv::GetExt(11), "kel");
    EXPECT_EQ(KelEnv::GetFinder(2, 0), "/abs/mol/*.mol");
    EXPECT_EQ(KelEnv::GetFinder(4, 27), sys_ + "/McrDB/*.qsf");
    EXPECT_EQ(KelEnv::GetDefaultDirName(20), "Materials");

    KelEnv::SetDir(5, "Pots");
    EXPECT_EQ(KelEnv::GetDir(5), sys_ + "/Pots");
    KelEnv::SetDir(5, "/x/Pots");
    EXPECT_EQ(KelEnv::GetDir(5), "/x/Pots");

    ::unlink((sys_ + "/SysQrtz.ini").c_str());
    EXPECT_EQ(KelEnv::ReadSystem(), 0);
    EXPECT_EQ(KelEnv::m_fileSysPath, "");
    EXPECT_EQ(KelEnv::GetDir(1), sys_ + "/Data");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], std::string("SysQrtz.ini") + kTail);
}

TEST_F(KelEnvTest, MissingPrivateIniMessagesAndLocationStatus) {
    CString dir;
    int status = -1;
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_NOT_REGISTERED);
    EXPECT_EQ(KelEnv::ReadPrivate(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], std::string(" Qrtz.ini") + kTail);

    CRegManager reg;
    ASSERT_EQ(KelEnv::RegPrivateEnv(""), 1);  // creates the keys; an empty value counts as none
    ASSERT_EQ(reg.WriteProfileStringA("Common Environment", "Location", "/old/place"), 1);
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_OLD_VERSION);
    EXPECT_EQ(dir, "/old/place");
    CString prvIni = "x";
    KelEnv::GetPrivateEnv(dir, prvIni);
    EXPECT_EQ(dir, "");
    EXPECT_EQ(prvIni, "");

    ASSERT_EQ(KelEnv::RegPrivateEnv(work_.c_str()), 1);
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_NOT_FOUND);
    writeFile(work_, "a file");
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_NOT_DIRECTORY);
    ::unlink(work_.c_str());
    privateIni("SPHERE_SLICES 20\n");
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_OK);
    EXPECT_EQ(dir, work_);
    KelEnv::GetPrivateEnv(dir, prvIni);
    EXPECT_EQ(dir, work_ + "/");
    EXPECT_EQ(prvIni, work_ + "/Qrtz.ini");

    // After one good read a vanished file is no news.
    messages_.clear();
    EXPECT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_EQ(KelEnv::GetSphereSlices(), 20);
    ::unlink(prvIni.c_str());
    EXPECT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(KelEnv::GetDir(13), work_ + "/Data");

    EXPECT_EQ(KelEnv::GetDefaultPrivateDir(), path("home") + "/Qrtz4.0");
}

TEST_F(KelEnvTest, PrivateIniValuesDirectoriesAndLegacyLights) {
    privateIni("data-dir /abs/data\n"
               "molecular-dir  my mols \n"
               "crystal-dir C:\\Cry\n"
               "analysis-dir   \n"
               "LIGHT_POSITION 1 2 3\nLIGHT_AMBIENT 0.1 0.2 0.3\n"
               "LIGHT_DIFFUSE 0.4 0.5 0.6\nLIGHT_SPECULAR 0.7 0.8 0.9\n"
               "LIGHT_MSPECULAR 0.25 0.5 0.75\nLIGHT_SHININESS 12.5\n"
               "ATOM_C 1 2 3 0.75 12.5\nATOM_Cl 300 -4 7 1.5 35\nDATOM_D 9 9 9 2 2\n"
               "BOND_AR 1 2 3 4.5\nSPHERE_SLICES 24\nRADIUS_SCALE 0.5\n");
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_EQ(KelEnv::GetDir(13), "/abs/data");
    EXPECT_EQ(KelEnv::GetDir(14), work_ + "/my mols");
    EXPECT_EQ(KelEnv::GetInisDir(14), "my mols");
    EXPECT_EQ(KelEnv::GetDir(15), "C:\\Cry");
    EXPECT_EQ(KelEnv::GetDir(16), work_ + "/McrDB");
    EXPECT_EQ(KelEnv::GetDir(18), work_ + "/");
    EXPECT_EQ(KelEnv::iniDir[18], "");
    EXPECT_EQ(KelEnv::GetDir(22), work_ + "/Polymer");

    const LIGHTSRC& src = KelEnv::GetLightSrc(0);
    EXPECT_EQ(src.status, 1);
    EXPECT_EQ(src.local, 0);
    EXPECT_EQ(src.position[2], 3.0f);
    EXPECT_EQ(src.ambient[0], 0.1f);
    EXPECT_EQ(src.diffuse[1], 0.5f);
    EXPECT_EQ(src.specular[2], 0.9f);
    float r, g, b, s;
    KelEnv::GetLightMSpecular(r, g, b);
    KelEnv::GetLightShininess(s);
    EXPECT_EQ(b, 0.75f);
    EXPECT_EQ(s, 12.5f);
    EXPECT_EQ(TblAtom::GetColor("C"), Color4V(1, 2, 3, 255));
    EXPECT_EQ(TblAtom::GetMass("C"), 12.5);
    EXPECT_EQ(TblAtom::GetColor("Cl"), Color4V(255, 0, 7, 255));
    EXPECT_EQ(TblAtom::GetRadius("D"), 2.0);
    EXPECT_EQ(TblBond::GetWidth("AR"), 4.5);
    EXPECT_EQ(KelEnv::GetSphereSlices(), 24);
    EXPECT_EQ(TblAtom::GetRadiusScale(), 0.5);
    EXPECT_EQ(KelEnv::garbageCount, 0);

    // The legacy rows are not written back; all eight sources are.
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    std::string written = readFile(work_ + "/Qrtz.ini");
    for (const char* legacy : {"LIGHT_POSITION", "LIGHT_AMBIENT", "LIGHT_DIFFUSE", "LIGHT_SPECULAR"})
        EXPECT_EQ(written.find(legacy), std::string::npos) << legacy;
    EXPECT_NE(written.find("LIGHTSRC_0_POSITION     1.0000   2.0000   3.0000\n"), std::string::npos);
    EXPECT_NE(written.find("LIGHTSRC_7_STATUS     0\n"), std::string::npos);
    EXPECT_NE(written.find("crystal-dir              C:\\Cry\n"), std::string::npos);
}

TEST_F(KelEnvTest, ShippedDefaultsAreWrittenBackUnchanged) {
    std::string source = __FILE__;
    std::string root = source.substr(0, source.rfind("/tests/"));
    std::string defaults = readFile(root + "/data/system/DefQrtz.ini");
    ASSERT_FALSE(defaults.empty());
    privateIni(defaults);
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_EQ(KelEnv::GetDir(18), work_ + "/Analysis");
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    EXPECT_EQ(readFile(work_ + "/Qrtz.ini"), defaults);

    auto lines = readLines(work_ + "/Qrtz.ini");
    ASSERT_EQ(lines.size(), 170u);
    EXPECT_EQ(lines[0], "data-dir                 Data");
    EXPECT_EQ(lines[6], "LIGHT_MSPECULAR    0.0000   0.0000   0.0000");
    EXPECT_EQ(lines[8], "LIGHTSRC_0_STATUS     1");
    EXPECT_EQ(lines[10], "LIGHTSRC_0_POSITION     1.0000   1.0000   1.0000");
    EXPECT_EQ(lines[57], "BOND_2                  0      255      255   2.0000");
    EXPECT_EQ(lines[68], "ATOM_C                204      149      114   0.5000  12.0110");
    EXPECT_EQ(lines[166], "DATOM_D               255      210      255   2.4000   2.0160");
    EXPECT_EQ(lines[168], "SPHERE_SLICES          16");
    EXPECT_EQ(lines[169], "RADIUS_SCALE       0.8000");
}

TEST_F(KelEnvTest, ValuesGoOutInTheirColumnsAndComeBackToFourDecimals) {
    privateIni("molecular-dir rel/mols\n");
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    LIGHTSRC odd{1, 1, {0.123457f, -1e-5f, 1234.5678f}, {0.1f, 0.2f, 0.3f},
                 {1.0f / 3, 0.5f, 0}, {0, 0, 0.987654f}};
    KelEnv::SetLightSrc(3, odd);
    KelEnv::SetLightShininess(0.33333f);
    TblAtom::SetMass("C", 12.0107);
    TblAtom::SetRadius("Xq", 1.23456789);  // takes a variable slot
    TblBond::SetWidth("PL", 0.00001);
    TblAtom::SetRadiusScale(0.77777);
    KelEnv::SetSphereSlices(7);
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    EXPECT_EQ(KelEnv::IsModified(), 0);  // our own write
    auto lines = readLines(work_ + "/Qrtz.ini");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ATOM_C                204      149      114   0.5000  12.0107"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DATOM_Xq              255      210      255   1.2346   1.0000"),
              lines.end()) << readFile(work_ + "/Qrtz.ini");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "LIGHTSRC_3_POSITION     0.1235  -0.0000 1234.5677"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "BOND_PL               255      255        0   0.0000"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "RADIUS_SCALE       0.7778"), lines.end());

    TblAtom::ResetDefaults();
    TblBond::ResetDefaults();
    KelEnv::SetLightSrc(3, KelEnv::GetLightSrc(4));
    KelEnv::SetLightShininess(0);
    KelEnv::SetSphereSlices(16);
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    const LIGHTSRC& back = KelEnv::GetLightSrc(3);
    EXPECT_EQ(back.local, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(back.position[i], odd.position[i], 5e-5 * (1 + std::fabs(odd.position[i])));
        EXPECT_NEAR(back.diffuse[i], odd.diffuse[i], 5e-5) << i;
        EXPECT_NEAR(back.specular[i], odd.specular[i], 5e-5) << i;
    }
    float s = 0;
    KelEnv::GetLightShininess(s);
    EXPECT_EQ(s, 0.3333f);
    EXPECT_EQ(TblAtom::GetMass("C"), 12.0107);
    EXPECT_EQ(TblAtom::GetRadius("Xq"), 1.2346);
    EXPECT_EQ(TblBond::GetWidth("PL"), 0.0);
    EXPECT_EQ(TblAtom::GetRadiusScale(), 0.7778);
    // What the file holds comes back unchanged: a second save writes the same bytes.
    const std::string first = readFile(work_ + "/Qrtz.ini");
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    EXPECT_EQ(readFile(work_ + "/Qrtz.ini"), first);
    EXPECT_EQ(KelEnv::GetSphereSlices(), 7);
    EXPECT_EQ(KelEnv::GetInisDir(14), "rel/mols");
    EXPECT_EQ(KelEnv::GetDir(14), work_ + "/rel/mols");
}

TEST_F(KelEnvTest, UnknownLinesAreKeptFamilyLinesAreUsedUpAndTheFileSettles) {
    std::string content;
    std::vector<std::string> kept;
    for (int i = 0; i < 101; ++i) {
        std::string line;
        switch (i) {
        case 0: line = std::string(3000, 'L'); break;                 // longer than any buffer
        case 1: line = std::string("\x01\xff\0bin", 6); break;        // binary bytes
        case 2: line = ""; break;
        case 3: line = "template-dir Tmpl"; break;                    // a system key only
        default: line = "; note " + std::to_string(i); break;
        }
        content += line + "\n";
        if (i < 100) kept.push_back(line);
        // Lines of the known families between the unknown ones: broken, or naming nothing
        // there is; each is used up by its family and never kept.
        if (i == 10) content += "ATOM_C\nATOM_N 1 2 x 9 9\nATOM_O 1 2 3 abc 99\nATOM_ 1 2 3 4 5\n";
        if (i == 20) content += "SPHERE_SLICES 99999999999\nRADIUS_SCALE 1e999\nLIGHTSRC_2_LOCAL\n";
        if (i == 30) content += "BOND_ZZ 1 2 3 4\nLIGHT_GLOW 1 1 1\nLIGHTSRC_8_STATUS 1\n";
    }
    // Ten unknown symbols fill the variable slots; the eleventh has no slot and changes nothing.
    for (int i = 0; i < 10; ++i) content += "ATOM_Q" + std::to_string(i) + " 1 1 1 1 1\n";
    content += "ATOM_Zz 1 1 1 1 1\n";
    privateIni(content);

    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    ASSERT_EQ(KelEnv::garbageCount, 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(KelEnv::garbage[i], kept[i]) << i;
    EXPECT_EQ(TblAtom::GetColor("N"), Color4V(71, 221, 255, 255));
    EXPECT_EQ(TblAtom::GetColor("O"), Color4V(1, 2, 3, 255));
    EXPECT_EQ(TblAtom::GetRadius("O"), 0.6);
    EXPECT_EQ(KelEnv::GetSphereSlices(), 16);
    EXPECT_EQ(TblAtom::GetRadiusScale(), 0.8);
    EXPECT_EQ(TblAtom::GetAtomicNumber("Q9"), 115);
    EXPECT_EQ(TblAtom::GetAtomicNumber("Zz"), 0);

    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    auto lines = readLines(work_ + "/Qrtz.ini");
    ASSERT_GT(lines.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(lines[i], kept[i]) << i;
    EXPECT_EQ(lines[100].rfind("data-dir", 0), 0u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "; note 100"), 0);

    // A line with no slot is dropped, not kept to come back ahead of the slots' own lines.
    privateIni("ATOM_Zz 1 1 1 1 1\nBOND_ZZ 1 2 3 4\nfree text\n");
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    ASSERT_EQ(KelEnv::garbageCount, 1);
    EXPECT_EQ(KelEnv::garbage[0], "free text");

    // Another process with a fresh table reads the file and saves it: the bytes stay.
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    const std::string saved = readFile(work_ + "/Qrtz.ini");
    TblAtom::ResetDefaults();
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    ASSERT_EQ(KelEnv::WritePrivate(), 1);
    EXPECT_EQ(readFile(work_ + "/Qrtz.ini"), saved);
}

TEST_F(KelEnvTest, SetPrivateEnvBuildsTheWorkingArea) {
    writeFile(sys_ + "/SysQrtz.ini", "data-dir SharedData\n");
    writeFile(sys_ + "/DefQrtz.ini", "SPHERE_SLICES 12\n");
    ::mkdir((sys_ + "/Analysis").c_str(), 0755);
    writeFile(sys_ + "/Analysis/voronoi.xsl", "xsl");
    writeFile(sys_ + "/Analysis/voronoi.dtd", "dtd");
    ASSERT_EQ(KelEnv::ReadSystem(), 1);

    ASSERT_EQ(KelEnv::SetPrivateEnv(work_.c_str(), 1), 1);
    EXPECT_TRUE(messages_.empty());
    CString dir;
    int status = -1;
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(dir, work_);
    EXPECT_EQ(status, KelEnv::DIR_OK);
    EXPECT_EQ(readFile(work_ + "/Qrtz.ini"), "SPHERE_SLICES 12\n");
    for (const char* sub : {"Data", "MolDB", "CryDB", "McrDB", "PotLib", "Analysis", "Template",
                            "Materials", "CondTmpl", "Polymer/connectionlist",
                            "Polymer/monomer/head", "Polymer/monomer/middle",
                            "Polymer/monomer/tail", "Polymer/polymer", "Polymer/monolib",
                            "Polymer/pbset", "Polymer/rbset", "Polymer/rblist",
                            "Polymer/md_data", "Polymer/tmp"})
        EXPECT_TRUE(exists(work_ + "/" + sub)) << sub;
    EXPECT_EQ(readFile(work_ + "/Analysis/voronoi.xsl"), "xsl");
    EXPECT_EQ(readFile(work_ + "/Analysis/voronoi.dtd"), "dtd");

    auto target = [](const std::string& link) {
        char buffer[4096];
        ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    };
    EXPECT_EQ(target(work_ + "/Data/Common Data.lnk"), sys_ + "/SharedData");
    EXPECT_EQ(target(work_ + "/MolDB/Common Data.lnk"), sys_ + "/MolDB");
    EXPECT_EQ(target(work_ + "/McrDB/Common Data.lnk"), sys_ + "/McrDB");
    EXPECT_EQ(target(work_ + "/PotLib/Common Data.lnk"), sys_ + "/PotLib");
    EXPECT_EQ(target(work_ + "/Analysis/Common Data.lnk"), sys_ + "/Analysis");
    EXPECT_FALSE(exists(work_ + "/CryDB/Common Data.lnk"));

    // A second run keeps the user's file and says nothing; a missing template is reported.
    writeFile(work_ + "/Qrtz.ini", "mine\n");
    ASSERT_EQ(KelEnv::SetPrivateEnv(work_.c_str(), 0), 1);
    EXPECT_EQ(readFile(work_ + "/Qrtz.ini"), "mine\n");
    EXPECT_TRUE(messages_.empty());
    ::unlink((sys_ + "/DefQrtz.ini").c_str());
    std::string other = path("home/other");
    ASSERT_EQ(KelEnv::SetPrivateEnv(other.c_str(), 0), 1);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], std::strerror(ENOENT));
    EXPECT_FALSE(exists(other + "/Data/Common Data.lnk"));
    EXPECT_EQ(KelEnv::SetPrivateEnv("", 1), 0);
    KelEnv::GetPrivateEnv(dir, status);
    EXPECT_EQ(dir, other);
}

TEST_F(KelEnvTest, IsModifiedSeesRewritesByOthers) {
    privateIni("SPHERE_SLICES 20\n");
    EXPECT_EQ(KelEnv::IsModified(), 0);  // nothing read yet
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_EQ(KelEnv::IsModified(), 0);

    // Another process replaces the file within the same second, same size.
    std::string ini = work_ + "/Qrtz.ini";
    writeFile(ini + ".new", "SPHERE_SLICES 30\n");
    ASSERT_EQ(::rename((ini + ".new").c_str(), ini.c_str()), 0);
    EXPECT_EQ(KelEnv::IsModified(), 1);
    ASSERT_EQ(KelEnv::ReadPrivate(), 1);
    EXPECT_EQ(KelEnv::GetSphereSlices(), 30);
    EXPECT_EQ(KelEnv::IsModified(), 0);

    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, ini.c_str(), times, 0), 0);
    EXPECT_EQ(KelEnv::IsModified(), 1);
    ::unlink(ini.c_str());
    EXPECT_EQ(KelEnv::IsModified(), 0);
}

TEST_F(KelEnvTest, SiblingApplicationLocation) {
    CString dir;
    int status = -1;
    KelEnv::GetQubixEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_NOT_REGISTERED);
    EXPECT_EQ(dir, path("home") + "/Qubix");

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Brellix\\Qubix", KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "QubixUserPath", REG_SZ, "/opt/qubix", 11), ERROR_SUCCESS);
    RegCloseKey(key);
    KelEnv::GetQubixEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_OK);
    EXPECT_EQ(dir, "/opt/qubix");

    ASSERT_EQ(KelEnv::SetQubixEnv(sys_.c_str()), 1);
    KelEnv::GetQubixEnv(dir, status);
    EXPECT_EQ(status, KelEnv::DIR_OK);
    EXPECT_EQ(dir, sys_);
}

} // namespace
} // namespace qrtz
