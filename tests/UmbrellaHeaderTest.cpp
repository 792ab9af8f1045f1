#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qrtzdb/qrtzdb.h"

namespace {

// A host that includes <qrtzdb/qrtzdb.h> must get every public header.
TEST(UmbrellaHeader, IncludesEveryPublicHeader) {
    namespace fs = std::filesystem;
    const fs::path root = QRTZ_INCLUDE_DIR;
    std::ifstream in(root / "qrtzdb" / "qrtzdb.h");
    std::stringstream text;
    text << in.rdbuf();
    int headers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root / "qrtzdb")) {
        if (entry.path().extension() != ".h" || entry.path().filename() == "qrtzdb.h") continue;
        std::string name = fs::relative(entry.path(), root).generic_string();
        EXPECT_NE(text.str().find("#include \"" + name + "\""), std::string::npos) << name;
        ++headers;
    }
    EXPECT_GT(headers, 10);
}

} // namespace
