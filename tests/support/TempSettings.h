#pragma once
// A fixture that gives each test its own temporary folder and points the settings store, the
// installation folder and the home folder into it, so no test reads or changes the settings
// of the user who runs the suite. The environment is restored and the folder removed after.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace qrtz::testing {

class TempSettings : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qrtz-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char* sub : {"system", "home"}) ::mkdir(path(sub).c_str(), 0755);
        setVar("QRTZ_REGISTRY", path("registry"));
        setVar("QRTZ_SYSTEM_DIR", path("system"));
        setVar("HOME", path("home"));
        setVar("XDG_CONFIG_HOME", path("config"));
    }

    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
        saved_.clear();
        if (!root_.empty())
            ::nftw(root_.c_str(), [](const char* p, const struct stat*, int, FTW*) {
                return ::remove(p);
            }, 16, FTW_DEPTH | FTW_PHYS);
    }

    // Sets an environment variable for this test only.
    void setVar(const char* name, const std::string& value) {
        remember(name);
        ::setenv(name, value.c_str(), 1);
    }
    void unsetVar(const char* name) {
        remember(name);
        ::unsetenv(name);
    }

    std::string path(const std::string& relative = "") const {
        return relative.empty() ? root_ : root_ + "/" + relative;
    }

    static void writeFile(const std::string& file, const std::string& content) {
        std::ofstream out(file, std::ios::binary);
        out << content;
        ASSERT_TRUE(out.good()) << file;
    }

    static std::string readFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static std::vector<std::string> readLines(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static bool exists(const std::string& p) {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0;
    }

private:
    void remember(const char* name) {
        for (const auto& s : saved_)
            if (s.first == name) return;
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }

    std::string root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace qrtz::testing
