#pragma once
// Runs the qrtz executable as a user would, each test in a home, settings store, clipboard
// and folder of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <algorithm>

#ifdef QRTZ_TOOL_PATH
namespace qrtz::test {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class QrtzTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrtz-tool-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // The shell command that runs qrtz with a home, settings store, clipboard and installation
    // of its own below dir.
    std::string command(const std::string& args) const {
        return "QRTZ_CLIPBOARD='" + dir + "/store' HOME='" + dir + "/home' QRTZ_REGISTRY='" +
               dir + "/registry' QRTZ_SYSTEM_DIR='" QRTZ_SYSTEM_DATA_DIR "' " + QRTZ_TOOL_PATH +
               " " + args;
    }

    Outcome qrtz(const std::string& args) {
        const std::string err = dir + "/stderr";
        const std::string cmd = command(args) + " 2>" + err;
        Outcome run{-1, "", ""};
        FILE* pipe = popen(cmd.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
        int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = slurp(err);
        return run;
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    static std::string example(const std::string& name) {
        return std::string(QRTZ_EXAMPLES_DIR) + "/" + name;
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name)) << text;
    }

    std::string dir;
};

} // namespace qrtz::test
#endif  // QRTZ_TOOL_PATH
