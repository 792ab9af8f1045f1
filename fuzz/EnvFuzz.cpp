// The environment's INI readers on a file holding the input; the first byte picks the reader:
// 0 the system "SysQrtz.ini", 1 the private "Qrtz.ini" (written back and read again), 2 a
// material file (written back and read again), 3 the profile entry functions (an entry set in
// the file must read back).
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "FuzzSupport.h"
#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/environment/MaterialEnv.h"
#include "qrtzdb/platform/MessageBox.h"
#include "qrtzdb/platform/PrivateProfile.h"

using namespace qrtz;

namespace {

std::string root;

void Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string pattern = fuzz::TempDir("envfuzz");
    root = pattern;
    for (const char* sub : {"/system", "/home", "/registry"}) ::mkdir((root + sub).c_str(), 0755);
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("QRTZ_REGISTRY", (root + "/registry").c_str(), 1);
    ::setenv("QRTZ_SYSTEM_DIR", (root + "/system").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    SetMessageHandler([](const CString&, const CString&) {});
    Check(KelEnv::SetPrivateEnv((root + "/home/work").c_str(), 0) == 1, "no working area");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t* body = data + 1;
    const std::size_t length = size - 1;
    switch (data[0] % 4) {
    case 0: {
        CString dir, sysIni, defIni;
        KelEnv::GetSystemEnv(dir, sysIni, defIni);
        Put(sysIni, body, length);
        fuzz::Survives([] { KelEnv::ReadSystem(); });
        break;
    }
    case 1: {
        CString dir, prvIni;
        KelEnv::GetPrivateEnv(dir, prvIni);
        Put(prvIni, body, length);
        if (fuzz::Survives([] { KelEnv::ReadPrivate(); }) && KelEnv::WritePrivate())
            Check(KelEnv::ReadPrivate() == 1, "written Qrtz.ini does not read back");
        break;
    }
    case 2: {
        const CString path = MaterialEnv::GetMaterialPath("fuzz");
        const std::size_t slash = path.rfind('/');
        if (slash != CString::npos) ::mkdir(path.substr(0, slash).c_str(), 0755);
        Put(path, body, length);
        MaterialEnv material;
        if (fuzz::Survives([&] { material.ReadMaterial("fuzz"); }) &&
            material.WriteMaterial("fuzz")) {
            MaterialEnv again;
            Check(again.ReadMaterial("fuzz") == 1, "written material does not read back");
        }
        break;
    }
    default: {
        const std::string path = root + "/profile.ini";
        Put(path, body, length);
        char buffer[64];
        GetPrivateProfileString("Common", "Key", "", buffer, sizeof buffer, path.c_str());
        GetPrivateProfileString("Common", nullptr, "", path.c_str());
        if (WritePrivateProfileString("Fuzz Section", "Fuzz Key", "value", path.c_str()))
            Check(GetPrivateProfileString("Fuzz Section", "Fuzz Key", "", path.c_str()) ==
                      "value",
                  "entry written does not read back");
        break;
    }
    }
    return 0;
}
