#pragma once
// The process-wide environment: where the installation ("system" side) and the user's working
// area ("private" side) live, their data folders, the file kinds and their extensions, and the
// rendering defaults (lights, sphere tessellation, element and bond styles).
//
// Files: "SysQrtz.ini" in the system folder names the system data folders; "Qrtz.ini" in the
// private folder holds the user's folders, lights and styles, one "KEY values" line each;
// "DefQrtz.ini" in the system folder is the template of a new "Qrtz.ini". The private folder
// is recorded in the settings store (HKEY_CURRENT_USER\Software\Brellix\Qrtz3.0, section
// "Common Environment", value "Location4").
//
// On this platform the system folder is $QRTZ_SYSTEM_DIR when set, else <prefix>/share/qrtz
// for a program installed in <prefix>/bin, else the program's folder; paths join with '/', and
// a directory value is absolute when it is a drive path ("X:\...") or begins with '/'.
//
// Reading is forgiving: lines of any length are read whole, numbers that do not parse leave
// the setting as it was, colour components are limited to 0..255, and lines of no known key
// family (the first 100) are kept and written back first. An "ATOM_", "DATOM_", "BOND_",
// "LIGHT_" or "LIGHTSRC_" line is always taken by its family, even when it changes nothing
// (no variable element slot left, an unknown bond style or light), so that a file settles
// after one save. Values are written in their fixed columns ("%8.4f": four decimals). A
// directory key with an empty value names the base folder itself. Every write replaces its
// file atomically under the file's settings lock (platform/SettingsLock.h).
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// One light source of the renderer.
struct LIGHTSRC {
    int status;         // 1 on, 0 off
    int local;          // 1 positional, 0 directional
    // Position (x, y, z) of a positional source, else its direction.
    float position[3];
    float ambient[3];   // RGB 0..1
    // Diffuse and specular RGB, 0 to 1.
    float diffuse[3];
    float specular[3];
};

// The installation's environment: the system folder and the user's working area, their folders
// and file kinds, the settings files, and the rendering settings kept with them. Every member is
// static: the settings are the process's.
class KelEnv {
public:
    // Types 1 to 11 lie below the system folder, 13 to 22 below the private folder.
    enum DIRTYPE {
        DIR_SYSTEM = 0, DIR_SYS_DATA, DIR_SYS_MOLDB, DIR_SYS_CRYDB, DIR_SYS_MCRDB,
        DIR_SYS_POTLIB, DIR_SYS_ANALYSIS, DIR_SYS_TEMPLATE, DIR_SYS_BITMAPS,
        DIR_SYS_MATERIALS, DIR_SYS_CONDTMPL, DIR_SYS_POLYMER, DIR_SYS_END,
        DIR_PRV_DATA, DIR_PRV_MOLDB, DIR_PRV_CRYDB, DIR_PRV_MCRDB, DIR_PRV_POTLIB,
        DIR_PRV_ANALYSIS, DIR_PRV_TEMPLATE, DIR_PRV_MATERIALS, DIR_PRV_CONDTMPL,
        DIR_PRV_POLYMER, DIR_PRV_END,
    };
    // File kinds: the extension of each (GetTail, GetExt).
    enum TAILTYPE {
        TAIL_MOL = 0, TAIL_CRY, TAIL_MCR, TAIL_BDL, TAIL_INP, TAIL_POT, TAIL_EXP, TAIL_SIM,
        TAIL_RST, TAIL_ERR, TAIL_LST, TAIL_KEL, TAIL_SPL, TAIL_STS, TAIL_TPOT, TAIL_TRUNC,
        TAIL_WRN, TAIL_FRC, TAIL_TMP, TAIL_IPAR, TAIL_IDIF, TAIL_DIF, TAIL_PAR, TAIL_RIN,
        TAIL_BMP, TAIL_INI, TAIL_HFX, TAIL_QSF,
    };
    // The state of a registered working area (GetPrivateEnv).
    enum DIRSTATUS {
        DIR_OK = 0,              // registered, exists, is a folder
        DIR_NOT_FOUND = 1,       // registered but missing
        DIR_NOT_REGISTERED = 2,
        DIR_NOT_DIRECTORY = 3,   // registered, exists, but is no folder
        DIR_OLD_VERSION = 4,     // only the previous version's location is registered
    };

    // Sizes of the folder, file-kind, garbage and light-source tables.
    static constexpr int kDirCount = 24;
    static constexpr int kTailCount = 28;
    static constexpr int kGarbageMax = 100;
    static constexpr int kLightSrcCount = 8;

    KelEnv() = default;
    virtual ~KelEnv() = default;

    // Locations. The one-argument GetSystemEnv gives the system folder without a trailing
    // separator; the three-argument form with one, and the paths of "SysQrtz.ini" and
    // "DefQrtz.ini" in it.
    static void GetSystemEnv(CString& dir);
    static void GetSystemEnv(CString& dir, CString& sysIni, CString& defIni);
    // The registered private folder and its DIRSTATUS.
    static void GetPrivateEnv(CString& dir, int& status);
    // The private folder with a trailing separator and the path of "Qrtz.ini" in it; both
    // empty when nothing (or only the previous version's location) is registered.
    static void GetPrivateEnv(CString& dir, CString& prvIni);
    // Records dir as the private folder; 1 on success.
    static int RegPrivateEnv(const char* dir);
    // Registers dir and creates a working area there: "Qrtz.ini" copied from "DefQrtz.ini"
    // (an existing one is kept), the private data folders, the polymer tree, the style sheets
    // of the system analysis folder, and with makeLinks a "Common Data.lnk" link in five of the
    // private folders to the system folder of the same kind. 1 when the folders exist after;
    // an empty dir does nothing and gives 0.
    static int SetPrivateEnv(const char* dir, int makeLinks);
    // $HOME/Qrtz4.0.
    static CString GetDefaultPrivateDir();
    static CString GetSystemIniName() { return m_fileSysName; }
    static CString GetPrivateIniName() { return m_filePrvName; }

    // Reading and writing; 1 for success, 0 for failure. The two missing-file messages go
    // through the message handler (platform/MessageBox.h).
    static int Read();
    static int ReadSystem();
    static int ReadPrivate();
    static int ReadDefaults();
    // baseDir ends with the separator; outPath and outStatus receive the file read.
    static int ReadPrivate(const CString& baseDir, const CString& iniPath, CString& outPath,
                           CFileStatus& outStatus);
    // Writes under the settings lock of "Qrtz.ini" (platform/SettingsLock.h); 0 when the lock
    // is not had in time. A host that reads, changes and writes the settings holds a
    // SettingsLock on the same file from before its Read() until after this, so no other
    // process's change falls between.
    static int WritePrivate();
    // 1 when "Qrtz.ini" changed on disk since it was last read or written here.
    static int IsModified();

    // Directories and file kinds; an empty entry or an index out of range gives ".".
    static CString GetDir(int type);
    static CString GetInisDir(int type);
    static CString GetDefaultDirName(int type);
    // Relative paths are taken below the private folder for types 12 and up, else below the
    // system folder.
    static void SetDir(int type, const char* path);
    static CString GetTail(int kind);  // ".mol"
    static CString GetExt(int kind);   // "mol"
    // directory + "/*" + extension.
    static CString GetFinder(int type, int kind);
    static CString GetFinder(const char* directory, int kind);

    // Rendering.
    static int GetSphereSlices() { return slices; }
    static void SetSphereSlices(int n) { slices = n; }
    static void GetLightMSpecular(float& r, float& g, float& b);
    static void SetLightMSpecular(float r, float g, float b);
    static void GetLightShininess(float& s) { s = light[5][0]; }
    static void SetLightShininess(float s) { light[5][0] = s; }
    // Source n (0 to 7); out of range, source 0 is given and SetLightSrc does nothing.
    static LIGHTSRC& GetLightSrc(int n);
    static void SetLightSrc(int n, const LIGHTSRC& src);

    // The sibling application's location: "QubixLocation" of "Common Environment", else the
    // machine-wide "QubixUserPath", else $HOME/Qubix with status 2.
    static void GetQubixEnv(CString& dir, int& status);
    static int SetQubixEnv(const char* dir);

    // The folder of each DIRTYPE: as set, as written in the settings, the default names, and the
    // settings keys.
    static CString dir[kDirCount];
    static CString iniDir[kDirCount];
    static const CString defDir[kDirCount];
    static const CString paraDir[kDirCount];
    // The extension of each TAILTYPE, with its dot.
    static const CString tail[kTailCount];
    // Rows: position, ambient, diffuse, specular, material specular, shininess (first float).
    static float light[6][3];
    // The light sources, the sphere slices of the renderer, and the files to delete at exit.
    static LIGHTSRC lightSrc[kLightSrcCount];
    static int slices;
    static CString garbage[kGarbageMax];
    static int garbageCount;

    // The names of the system, defaults and private settings files, and the paths read last.
    static const CString m_fileSysName;
    static const CString m_fileDefName;
    static const CString m_filePrvName;
    static CString m_fileSysPath;
    static CString m_fileDefPath;
    static CString m_filePrvPath;
    // The private settings file's status when it was last read or written (IsModified).
    static CFileStatus m_filePrvStatus;

    // Section and key names of the settings files.
    static const CString paraAtomHead;
    static const CString paraDatomHead;
    static const CString paraBondHead;
    static const CString paraLightHead;
    static const CString paraLight[6];
    static const CString paraLightSrcHead;
    static const CString paraLightSrc[6];
    static const CString paraSlices;
    static const CString paraRadScale;
};

} // namespace qrtz
