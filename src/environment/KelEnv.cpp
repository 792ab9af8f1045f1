#include "qrtzdb/environment/KelEnv.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SettingsText.h"
#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/environment/CRegManager.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"
#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/MessageBox.h"
#include "qrtzdb/platform/Module.h"
#include "qrtzdb/platform/SettingsLock.h"
#include "qrtzdb/platform/System.h"

namespace qrtz {

using settingstext::SplitLines;
using settingstext::Tokens;

CString KelEnv::dir[kDirCount];
CString KelEnv::iniDir[kDirCount];
const CString KelEnv::defDir[kDirCount] = {
    "",         "Data",     "MolDB",    "CryDB",     "McrDB",    "PotLib",
    "Analysis", "Template", "Bitmaps",  "Materials", "CondTmpl", "Polymer",
    "",         "Data",     "MolDB",    "CryDB",     "McrDB",    "PotLib",
    "Analysis", "Template", "Materials", "CondTmpl", "Polymer",  "",
};
const CString KelEnv::paraDir[kDirCount] = {
    "", "data-dir", "molecular-dir", "crystal-dir", "molcrystal-dir", "potential_lib_sys-dir",
    "analysis-dir", "template-dir", "bitmap-dir", "", "", "",
    "", "data-dir", "molecular-dir", "crystal-dir", "molcrystal-dir", "potential_lib_sys-dir",
    "analysis-dir", "", "", "", "", "",
};
const CString KelEnv::tail[kTailCount] = {
    ".mol", ".cry",  ".mcr", ".bdl", ".inp",  ".pot", ".exp", ".sim",  ".rst", ".err",
    ".lst", ".kel",  ".spl", ".sts", ".tpot", ".trunc", ".wrn", ".frc", ".tmp", ".ipar",
    ".idif", ".dif", ".par", ".rin", ".bmp",  ".ini", ".hfx", ".qsf",
};
float KelEnv::light[6][3] = {
    {0.8f, 0.8f, 0.8f}, {0.2f, 0.2f, 0.2f}, {1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {0, 0, 0},
};
LIGHTSRC KelEnv::lightSrc[kLightSrcCount] = {
    {1, 0, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, {1, 1, 1}},
    {0, 1, {50, 0, 0}, {0, 0, 0}, {1, 1, 1}, {1, 1, 1}},
    {0, 1, {-50, 0, 0}, {0, 0, 0}, {1, 1, 1}, {1, 1, 1}},
    {0, 1, {0, 0, 50}, {0, 0, 0}, {0, 0, 1}, {0.2f, 0.2f, 0.2f}},
    {0, 1, {0, 50, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 1}},
    {0, 1, {0, -50, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 1}},
    {0, 1, {0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {1, 1, 1}},
    {0, 1, {0, 50, -50}, {0, 0, 0}, {1, 0, 1}, {1, 1, 1}},
};
int KelEnv::slices = 16;
CString KelEnv::garbage[kGarbageMax];
int KelEnv::garbageCount = 0;

const CString KelEnv::m_fileSysName = "SysQrtz.ini";
const CString KelEnv::m_fileDefName = "DefQrtz.ini";
const CString KelEnv::m_filePrvName = "Qrtz.ini";
CString KelEnv::m_fileSysPath;
CString KelEnv::m_fileDefPath;
CString KelEnv::m_filePrvPath;
CFileStatus KelEnv::m_filePrvStatus;

const CString KelEnv::paraAtomHead = "ATOM_";
const CString KelEnv::paraDatomHead = "DATOM_";
const CString KelEnv::paraBondHead = "BOND_";
const CString KelEnv::paraLightHead = "LIGHT_";
const CString KelEnv::paraLight[6] = {"POSITION", "AMBIENT",   "DIFFUSE",
                                      "SPECULAR", "MSPECULAR", "SHININESS"};
const CString KelEnv::paraLightSrcHead = "LIGHTSRC_";
const CString KelEnv::paraLightSrc[6] = {"_STATUS",  "_LOCAL",   "_POSITION",
                                         "_AMBIENT", "_DIFFUSE", "_SPECULAR"};
const CString KelEnv::paraSlices = "SPHERE_SLICES";
const CString KelEnv::paraRadScale = "RADIUS_SCALE";

namespace {

const char* const kSection = "Common Environment";
const char* const kLocation = "Location4";
const char* const kOldLocation = "Location";
const char* const kNotFoundTail = " not found.\nSome functions may not work correctly.";

// Settings files are a few kilobytes; a larger one is damaged and not read.
constexpr long long kMaxIniBytes = 16LL << 20;

// The file identity behind IsModified: finer than the whole seconds of CFileStatus, and an
// atomic rewrite by another process shows as a new inode even within one clock tick.
struct Stamp {
    bool valid = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeSec = 0;
    long mtimeNsec = 0;
    bool operator==(const Stamp&) const = default;
};
Stamp g_privateStamp;

Stamp stampOf(const CString& path) {
    Stamp s;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return s;
    s.valid = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeSec = static_cast<long long>(st.st_mtim.tv_sec);
    s.mtimeNsec = st.st_mtim.tv_nsec;
    return s;
}

bool inRange(int i, int n) { return i >= 0 && i < n; }

CString orDot(const CString& s) { return s.empty() ? CString(".") : s; }

CString withSeparator(const CString& folder) {
    if (folder.empty() || folder.back() == kPathSeparator) return folder;
    return folder + kPathSeparator;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The table key of a name written after a prefix: one byte gets its blank back.
CString tableName(std::string_view name) {
    CString n(name);
    if (n.size() == 1) n += ' ';
    return n;
}

CString formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
CString formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    CString out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
    va_end(args);
    return out;
}

CString homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

int statusOf(const CString& path) {
    bool isDirectory = false;
    if (!PathExists(path, &isDirectory)) return KelEnv::DIR_NOT_FOUND;
    return isDirectory ? KelEnv::DIR_OK : KelEnv::DIR_NOT_DIRECTORY;
}

void readColour(Tokens& tokens, bool& ok, int rgb[3]) {
    for (int i = 0; i < 3 && ok; ++i) {
        ok = tokens.Int(rgb[i]);
        if (ok) rgb[i] = std::clamp(rgb[i], 0, 255);
    }
}

// Reads up to n floats into values, stopping at the first that does not parse.
void readFloats(Tokens& tokens, float* values, int n) {
    for (int i = 0; i < n; ++i)
        if (!tokens.Float(values[i])) return;
}

// One element line ("ATOM_C 204 149 114 0.5 12.011").
void applyAtom(std::string_view name, Tokens& tokens) {
    if (name.empty()) return;
    CString symbol = tableName(name);
    int index = TblAtom::FindRegIndex(symbol.c_str());
    if (index < 0) return;
    int rgb[3] = {};
    bool ok = true;
    readColour(tokens, ok, rgb);
    if (ok) TblAtom::SetColor(index, Color4V(rgb[0], rgb[1], rgb[2], 255));
    double radius = 0.0, mass = 0.0;
    if (ok && (ok = tokens.Double(radius))) TblAtom::SetRadius(index, radius);
    if (ok && tokens.Double(mass)) TblAtom::SetMass(index, mass);
}

void applyBond(std::string_view name, Tokens& tokens) {
    if (name.empty()) return;
    int index = TblBond::FindIndex(tableName(name).c_str());
    if (index < 0) return;
    int rgb[3] = {};
    bool ok = true;
    readColour(tokens, ok, rgb);
    if (ok) TblBond::SetColor(index, Color4V(rgb[0], rgb[1], rgb[2], 255));
    double width = 0.0;
    if (ok && tokens.Double(width)) TblBond::SetWidth(index, width);
}

void applyLight(std::string_view key, Tokens& tokens) {
    for (int row = 0; row < 6; ++row) {
        if (key != KelEnv::paraLightHead + KelEnv::paraLight[row]) continue;
        readFloats(tokens, KelEnv::light[row], row == 5 ? 1 : 3);
        return;
    }
}

bool applyLightSrc(std::string_view key, Tokens& tokens) {
    for (int n = 0; n < KelEnv::kLightSrcCount; ++n) {
        CString head = KelEnv::paraLightSrcHead + std::to_string(n);
        if (!startsWith(key, head)) continue;
        std::string_view suffix = key.substr(head.size());
        LIGHTSRC& src = KelEnv::lightSrc[n];
        float* vectors[4] = {src.position, src.ambient, src.diffuse, src.specular};
        for (int s = 0; s < 6; ++s) {
            if (suffix != KelEnv::paraLightSrc[s]) continue;
            if (s == 0) tokens.Int(src.status);
            else if (s == 1) tokens.Int(src.local);
            else readFloats(tokens, vectors[s - 2], 3);
            return true;
        }
    }
    return false;
}

// A directory value: absolute values stand as they are, relative ones (an empty one included)
// go below base.
void applyDir(int type, std::string_view value, const CString& base) {
    KelEnv::iniDir[type].assign(value);
    KelEnv::dir[type] = IsAbsolutePath(KelEnv::iniDir[type]) ? KelEnv::iniDir[type]
                                                              : base + KelEnv::iniDir[type];
}

void keepGarbage(std::string_view line) {
    if (KelEnv::garbageCount < KelEnv::kGarbageMax)
        KelEnv::garbage[KelEnv::garbageCount++].assign(line);
}

CString lightLine(const CString& key, const float* v) {
    return formatted("%-21s %8.4f %8.4f %8.4f", key.c_str(), static_cast<double>(v[0]),
                     static_cast<double>(v[1]), static_cast<double>(v[2]));
}

} // namespace

// ---- locations ------------------------------------------------------------------------------

void KelEnv::GetSystemEnv(CString& dir_) { dir_ = GetSystemDirectory(); }

void KelEnv::GetSystemEnv(CString& dir_, CString& sysIni, CString& defIni) {
    dir_ = withSeparator(GetSystemDirectory());
    sysIni = dir_ + m_fileSysName;
    defIni = dir_ + m_fileDefName;
}

void KelEnv::GetPrivateEnv(CString& dir_, int& status) {
    CRegManager reg;
    dir_ = reg.GetProfileStringA(kSection, kLocation, "");
    if (!dir_.empty()) {
        status = statusOf(dir_);
        return;
    }
    status = DIR_NOT_REGISTERED;
    dir_ = reg.GetProfileStringA(kSection, kOldLocation, "");
    if (!dir_.empty()) status = DIR_OLD_VERSION;
}

void KelEnv::GetPrivateEnv(CString& dir_, CString& prvIni) {
    int status = 0;
    GetPrivateEnv(dir_, status);
    if (status == DIR_NOT_REGISTERED || status == DIR_OLD_VERSION) {
        dir_.clear();
        prvIni.clear();
        return;
    }
    dir_ = withSeparator(dir_);
    prvIni = dir_ + m_filePrvName;
}

int KelEnv::RegPrivateEnv(const char* dir_) {
    CRegManager reg;
    return reg.WriteProfileStringA(kSection, kLocation, dir_ ? dir_ : "");
}

int KelEnv::SetPrivateEnv(const char* dir_, int makeLinks) {
    CString base = dir_ ? dir_ : "";
    if (base.empty()) return 0;  // would scatter the folders over the current directory
    RegPrivateEnv(base.c_str());
    CreateDirectories(base);
    base = withSeparator(base);

    CString sysDir, sysIni, defIni;
    GetSystemEnv(sysDir, sysIni, defIni);
    int error = CopyFile(defIni, base + m_filePrvName, true);
    if (error != 0 && error != kErrorFileExists) MessageBox(GetSystemErrorText(error));

    bool complete = PathExists(base);
    for (int t = DIR_PRV_DATA; t <= DIR_PRV_POLYMER; ++t)
        complete = CreateDirectories(base + defDir[t]) == 0 && complete;
    const CString polymer = base + defDir[DIR_PRV_POLYMER];
    for (const char* sub : {"/connectionlist", "/monomer/head", "/monomer/middle",
                            "/monomer/tail", "/polymer", "/monolib", "/pbset", "/rbset",
                            "/rblist", "/md_data", "/tmp"})
        complete = CreateDirectories(polymer + sub) == 0 && complete;

    // The system side as read, or its default folders when nothing was read yet.
    auto systemDir = [&sysDir](int type) {
        return dir[type].empty() ? sysDir + defDir[type] : dir[type];
    };
    for (const char* sheet : {"/voronoi.xsl", "/voronoi.dtd"})
        CopyFile(systemDir(DIR_SYS_ANALYSIS) + sheet, base + defDir[DIR_PRV_ANALYSIS] + sheet,
                 false);

    if (makeLinks) {
        const std::pair<int, int> links[] = {
            {DIR_PRV_DATA, DIR_SYS_DATA},     {DIR_PRV_MOLDB, DIR_SYS_MOLDB},
            {DIR_PRV_MCRDB, DIR_SYS_MCRDB},   {DIR_PRV_POTLIB, DIR_SYS_POTLIB},
            {DIR_PRV_ANALYSIS, DIR_SYS_ANALYSIS},
        };
        for (auto [own, system] : links)
            CreateSymbolicLink(systemDir(system), base + defDir[own] + "/Common Data.lnk");
    }
    return complete ? 1 : 0;
}

CString KelEnv::GetDefaultPrivateDir() { return JoinPath(homeFolder(), "Qrtz4.0"); }

// ---- reading and writing --------------------------------------------------------------------

int KelEnv::Read() {
    int system = ReadSystem();
    int own = ReadPrivate();
    return system && own ? 1 : 0;
}

int KelEnv::ReadSystem() {
    CString sysDir, sysIni;
    GetSystemEnv(sysDir, sysIni, m_fileDefPath);
    dir[DIR_SYSTEM] = GetSystemDirectory();
    for (int t = DIR_SYS_DATA; t <= DIR_SYS_POLYMER; ++t) {
        dir[t] = sysDir + defDir[t];
        iniDir[t] = dir[t];
    }

    CString content;
    if (ReadWholeFile(sysIni, content, kMaxIniBytes) != 0) {
        m_fileSysPath.clear();
    } else {
        m_fileSysPath = sysIni;
        for (std::string_view line : SplitLines(content)) {
            Tokens tokens(line);
            std::string_view key = tokens.Next();
            for (int t = DIR_SYS_DATA; t <= DIR_SYS_POLYMER; ++t) {
                if (paraDir[t].empty() || key != paraDir[t]) continue;
                applyDir(t, tokens.Rest(), sysDir);
                break;
            }
        }
    }
    if (m_fileSysPath.empty()) {
        MessageBox(m_fileSysName + kNotFoundTail);
        return 0;
    }
    return 1;
}

int KelEnv::ReadPrivate(const CString& baseDir, const CString& iniPath, CString& outPath,
                        CFileStatus& outStatus) {
    for (int t = DIR_PRV_DATA; t <= DIR_PRV_POLYMER; ++t) {
        dir[t] = baseDir + defDir[t];
        iniDir[t] = dir[t];
    }

    CString content;
    if (!iniPath.empty() && ReadWholeFile(iniPath, content, kMaxIniBytes) == 0) {
        outPath = iniPath;
        CFile::GetStatus(iniPath.c_str(), outStatus);
        if (&outPath == &m_filePrvPath) g_privateStamp = stampOf(iniPath);
        garbageCount = 0;
        bool lightSrcSeen = false;

        for (std::string_view line : SplitLines(content)) {
            Tokens tokens(line);
            std::string_view key = tokens.Next();
            // A line of a known family is used up even when it changes nothing (no free
            // element slot, an unknown bond style or light): kept, it would be written back
            // ahead of the family's own lines and come back differently on every save.
            bool understood = true;
            if (startsWith(key, paraAtomHead)) {
                applyAtom(key.substr(paraAtomHead.size()), tokens);
            } else if (startsWith(key, paraDatomHead)) {
                applyAtom(key.substr(paraDatomHead.size()), tokens);
            } else if (startsWith(key, paraBondHead)) {
                applyBond(key.substr(paraBondHead.size()), tokens);
            } else if (startsWith(key, paraLightHead)) {
                applyLight(key, tokens);
            } else if (key == paraSlices) {
                tokens.Int(slices);
            } else if (key == paraRadScale) {
                double scale = 0.0;
                if (tokens.Double(scale)) TblAtom::SetRadiusScale(scale);
            } else if (startsWith(key, paraLightSrcHead)) {
                if (applyLightSrc(key, tokens)) lightSrcSeen = true;
            } else {
                understood = false;
                for (int t = DIR_PRV_DATA; t <= DIR_PRV_POLYMER && !understood; ++t) {
                    if (paraDir[t].empty() || key != paraDir[t]) continue;
                    applyDir(t, tokens.Rest(), baseDir);
                    understood = true;
                }
            }
            if (!understood) keepGarbage(line);
        }

        if (!lightSrcSeen) {
            LIGHTSRC& src = lightSrc[0];
            std::copy_n(light[0], 3, src.position);
            std::copy_n(light[1], 3, src.ambient);
            std::copy_n(light[2], 3, src.diffuse);
            std::copy_n(light[3], 3, src.specular);
            src.status = 1;
            src.local = 0;
        }
    }

    if (outPath.empty()) {
        MessageBox(outPath + " " + m_filePrvName + kNotFoundTail);
        return 0;
    }
    return 1;
}

int KelEnv::ReadPrivate() {
    CString prvDir, prvIni;
    GetPrivateEnv(prvDir, prvIni);
    return ReadPrivate(prvDir, prvIni, m_filePrvPath, m_filePrvStatus);
}

int KelEnv::ReadDefaults() {
    CString sysDir, sysIni, defIni;
    GetSystemEnv(sysDir, sysIni, defIni);
    CString path;
    CFileStatus status;
    return ReadPrivate(sysDir, defIni, path, status);
}

int KelEnv::WritePrivate() {
    CString prvDir, prvIni;
    GetPrivateEnv(prvDir, prvIni);
    if (prvIni.empty()) return 0;

    CString out;
    auto line = [&out](const CString& text) {
        out += text;
        out += '\n';
    };
    for (int i = 0; i < garbageCount; ++i) line(garbage[i]);
    for (int t = DIR_PRV_DATA; t <= DIR_PRV_POLYMER; ++t)
        if (!paraDir[t].empty())
            line(formatted("%-24s %s", paraDir[t].c_str(), iniDir[t].c_str()));

    line(formatted("%-16s %8.4f %8.4f %8.4f", (paraLightHead + paraLight[4]).c_str(),
                   static_cast<double>(light[4][0]), static_cast<double>(light[4][1]),
                   static_cast<double>(light[4][2])));
    line(formatted("%-16s %8.4f", (paraLightHead + paraLight[5]).c_str(),
                   static_cast<double>(light[5][0])));

    for (int n = 0; n < kLightSrcCount; ++n) {
        CString head = formatted("%s%d", paraLightSrcHead.c_str(), n);
        const LIGHTSRC& src = lightSrc[n];
        line(formatted("%-21s %d", (head + paraLightSrc[0]).c_str(), src.status));
        line(formatted("%-21s %d", (head + paraLightSrc[1]).c_str(), src.local));
        line(lightLine(head + paraLightSrc[2], src.position));
        line(lightLine(head + paraLightSrc[3], src.ambient));
        line(lightLine(head + paraLightSrc[4], src.diffuse));
        line(lightLine(head + paraLightSrc[5], src.specular));
    }

    int r = 0, g = 0, b = 0, a = 0;
    for (int i = 0; i < TblBond::kItemCount; ++i) {
        TblBond::GetColor(i).GetRgba(r, g, b, a);
        line(formatted("%-16s %8d %8d %8d %8.4f", (paraBondHead + TblBond::GetName(i)).c_str(),
                       r, g, b, TblBond::GetWidth(i)));
    }
    for (int i = 0; i < TblAtom::kItemCount; ++i) {
        if (TblAtom::IsNameWildcard(i)) continue;
        const CString& head = i < 103 ? paraAtomHead : paraDatomHead;
        TblAtom::GetColor(i).GetRgba(r, g, b, a);
        line(formatted("%-16s %8d %8d %8d %8.4f %8.4f", (head + TblAtom::GetName(i)).c_str(), r,
                       g, b, TblAtom::GetRadius(i), TblAtom::GetMass(i)));
    }
    line(formatted("%-16s %8d", paraSlices.c_str(), slices));
    line(formatted("%-16s %8.4f", paraRadScale.c_str(), TblAtom::GetRadiusScale()));

    // Shared with a host that holds the lock across its read, change and write.
    SettingsLock lock(prvIni);
    if (!lock.IsHeld()) return 0;
    if (WriteFileAtomically(prvIni, out) != 0) return 0;
    // Our own write is no change made by someone else.
    if (prvIni == m_filePrvPath) {
        CFile::GetStatus(prvIni.c_str(), m_filePrvStatus);
        g_privateStamp = stampOf(prvIni);
    }
    return 1;
}

int KelEnv::IsModified() {
    CFileStatus now;
    if (m_filePrvPath.empty() || !CFile::GetStatus(m_filePrvPath.c_str(), now)) return 0;
    if (now.m_mtime != m_filePrvStatus.m_mtime) return 1;
    return g_privateStamp.valid && !(stampOf(m_filePrvPath) == g_privateStamp) ? 1 : 0;
}

// ---- directories and kinds ------------------------------------------------------------------

CString KelEnv::GetDir(int type) { return inRange(type, kDirCount) ? orDot(dir[type]) : "."; }

CString KelEnv::GetInisDir(int type) {
    return inRange(type, kDirCount) ? orDot(iniDir[type]) : ".";
}

CString KelEnv::GetDefaultDirName(int type) {
    return inRange(type, kDirCount) ? orDot(defDir[type]) : ".";
}

void KelEnv::SetDir(int type, const char* path) {
    if (!inRange(type, kDirCount)) return;
    iniDir[type] = path ? path : "";
    if (IsAbsolutePath(iniDir[type])) {
        dir[type] = iniDir[type];
        return;
    }
    CString base;
    if (type >= DIR_SYS_END) {
        CString prvIni;
        GetPrivateEnv(base, prvIni);
    } else {
        base = withSeparator(GetSystemDirectory());
    }
    dir[type] = base + iniDir[type];
}

CString KelEnv::GetTail(int kind) { return inRange(kind, kTailCount) ? orDot(tail[kind]) : "."; }

CString KelEnv::GetExt(int kind) { return GetTail(kind).substr(1); }

CString KelEnv::GetFinder(int type, int kind) { return GetFinder(GetDir(type).c_str(), kind); }

CString KelEnv::GetFinder(const char* directory, int kind) {
    return CString(directory ? directory : "") + kPathSeparator + "*" + GetTail(kind);
}

// ---- rendering ------------------------------------------------------------------------------

void KelEnv::GetLightMSpecular(float& r, float& g, float& b) {
    r = light[4][0];
    g = light[4][1];
    b = light[4][2];
}

void KelEnv::SetLightMSpecular(float r, float g, float b) {
    light[4][0] = r;
    light[4][1] = g;
    light[4][2] = b;
}

LIGHTSRC& KelEnv::GetLightSrc(int n) { return lightSrc[inRange(n, kLightSrcCount) ? n : 0]; }

void KelEnv::SetLightSrc(int n, const LIGHTSRC& src) {
    if (inRange(n, kLightSrcCount)) lightSrc[n] = src;
}

// ---- the sibling application ----------------------------------------------------------------

void KelEnv::GetQubixEnv(CString& dir_, int& status) {
    CRegManager reg;
    dir_ = reg.GetProfileStringA(kSection, "QubixLocation", "");
    if (!dir_.empty()) {
        status = statusOf(dir_);
        return;
    }
    status = DIR_NOT_REGISTERED;
    CRegManager machine;
    machine.SetTopKey(HKEY_LOCAL_MACHINE);
    machine.SetCompanyName("Brellix");
    machine.SetProductName("Qubix");
    machine.SetReadOnly();
    dir_ = machine.GetProfileStringA("", "QubixUserPath", "");
    if (!dir_.empty()) {
        status = DIR_OK;
        return;
    }
    dir_ = JoinPath(homeFolder(), "Qubix");
}

int KelEnv::SetQubixEnv(const char* dir_) {
    CRegManager reg;
    return reg.WriteProfileStringA(kSection, "QubixLocation", dir_ ? dir_ : "");
}

} // namespace qrtz
