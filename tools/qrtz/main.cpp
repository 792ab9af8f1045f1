// qrtz: inspect and convert structure files and simulation results.
#include <cstdio>
#include <cstring>

#include "qrtzdb/qrtzdb.h"

namespace {

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: qrtz [--version] [--help]\n"
                 "Inspect and convert molecules, crystals and simulation results.\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("qrtz %s (library %s)\n", QRTZ_VERSION, qrtz::LibraryVersion());
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    usage(stderr);
    return 2;
}
