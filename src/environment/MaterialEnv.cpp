#include "qrtzdb/environment/MaterialEnv.h"

#include <cstdio>
#include <cstring>

#include "SettingsText.h"
#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/Module.h"
#include "qrtzdb/platform/SettingsLock.h"

namespace qrtz {

namespace {

// A material file is four short lines; anything this large is not one.
constexpr long long kMaxMaterialBytes = 1LL << 20;

CString materialsFolder() {
    CString prvDir, prvIni;
    KelEnv::GetPrivateEnv(prvDir, prvIni);
    return prvDir + KelEnv::GetDefaultDirName(KelEnv::DIR_PRV_MATERIALS);
}

bool acceptableName(const char* name) { return name && !std::strchr(name, kPathSeparator); }

CString colourLine(const Color4V& c) {
    char text[128];
    std::snprintf(text, sizeof text, "%10.6f %10.6f %10.6f %10.6f\n", static_cast<double>(c.r),
                  static_cast<double>(c.g), static_cast<double>(c.b), static_cast<double>(c.a));
    return text;
}

} // namespace

MaterialEnv::MaterialEnv()
    : name("Material0"),
      ambient(0.23125f, 0.23125f, 0.23125f, 1.0f),
      diffuse(0.2775f, 0.2775f, 0.2775f, 1.0f),
      specular(0.773911f, 0.773911f, 0.773911f, 1.0f),
      shininess(10.0f) {}

MaterialEnv& MaterialEnv::operator=(const MaterialEnv& other) {
    ambient = other.ambient;
    diffuse = other.diffuse;
    specular = other.specular;
    shininess = other.shininess;
    return *this;
}

int MaterialEnv::operator==(const MaterialEnv& other) const {
    return ambient == other.ambient && diffuse == other.diffuse &&
                   specular == other.specular && shininess == other.shininess
               ? 1
               : 0;
}

CString MaterialEnv::GetMaterialPath(const char* name_) {
    return materialsFolder() + kPathSeparator + (name_ ? name_ : "") + ".ini";
}

CString MaterialEnv::GetFinder() {
    return materialsFolder() + kPathSeparator + "*" + KelEnv::GetTail(KelEnv::TAIL_INI);
}

int MaterialEnv::ReadMaterial(const char* name_) {
    name = name_ ? name_ : "";
    if (!acceptableName(name_)) return 0;
    CString content;
    if (ReadWholeFile(GetMaterialPath(name_), content, kMaxMaterialBytes) != 0) return 0;

    auto lines = settingstext::SplitLines(content);
    Color4V* colours[3] = {&ambient, &diffuse, &specular};
    for (std::size_t i = 0; i < 4; ++i) {
        if (i >= lines.size()) return 1;
        settingstext::Tokens tokens(lines[i]);
        if (i == 3) {
            tokens.Float(shininess);
            return 1;
        }
        float* parts[4] = {&colours[i]->r, &colours[i]->g, &colours[i]->b, &colours[i]->a};
        for (float* part : parts)
            if (!tokens.Float(*part)) return 1;
    }
    return 1;
}

int MaterialEnv::WriteMaterial(const char* name_) {
    name = name_ ? name_ : "";
    if (!acceptableName(name_)) return 0;
    CString folder = materialsFolder();
    if (!PathExists(folder) && CreateDirectories(folder) != 0) return 0;

    CString content = colourLine(ambient) + colourLine(diffuse) + colourLine(specular);
    char last[64];
    std::snprintf(last, sizeof last, "%6.2f\n", static_cast<double>(shininess));
    content += last;
    const CString path = GetMaterialPath(name_);
    SettingsLock lock(path);
    if (!lock.IsHeld()) return 0;
    return WriteFileAtomically(path, content) == 0 ? 1 : 0;
}

} // namespace qrtz
