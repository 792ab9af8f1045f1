#pragma once
// A named surface material for rendering, kept as one small text file per material in the
// "Materials" folder of the user's working area:
//   ambient  r g b a   ("%10.6f %10.6f %10.6f %10.6f")
//   diffuse  r g b a
//   specular r g b a
//   shininess          ("%6.2f")
#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A rendering material and its file (see above).
class MaterialEnv {
public:
    MaterialEnv();
    MaterialEnv(const MaterialEnv&) = default;
    // Copies the colours and the shininess; the target keeps its name.
    MaterialEnv& operator=(const MaterialEnv& other);
    virtual ~MaterialEnv() = default;

    // 1 when the colours and the shininess are equal; names are not compared.
    int operator==(const MaterialEnv& other) const;

    // Renames the material, then reads its file: 0 when there is none. A file that ends early
    // or holds a value that does not parse gives what was read before it, and still 1.
    int ReadMaterial(const char* name);
    // Renames the material and writes its file (creating the folder); 1 on success. Names
    // holding a path separator are refused.
    int WriteMaterial(const char* name);

    // The file of the material called name; relative when no working area is registered.
    static CString GetMaterialPath(const char* name);
    // The search pattern for every material file: ".../Materials/*.ini".
    static CString GetFinder();

    // The material's name, its colours and its shininess.
    CString name;
    Color4V ambient;
    Color4V diffuse;
    Color4V specular;
    float shininess;
};

} // namespace qrtz
