// qrtz view: one self-contained HTML page that draws a structure file or plays a simulation run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "ViewDocument.h"
#include "qrtzdb/environment/KelEnv.h"

namespace qrtz::tool {

namespace {

// The page template and the scripts it inlines: view/ in the installation's system folder,
// which for a tool in the build tree is the folder beside it. A system folder set elsewhere
// ($QRTZ_SYSTEM_DIR) for its settings alone still finds the page beside the tool.
std::string assetsDir() {
    CString dir;
    KelEnv::GetSystemEnv(dir);
    std::error_code error;
    if (std::filesystem::exists(dir + "/view/page.html", error)) return dir + "/view";
    const auto beside = std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "view";
    if (!error && std::filesystem::exists(beside / "page.html", error)) return beside.string();
    return dir + "/view";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError(path + ": " + std::strerror(errno) + " (the page template of qrtz view)");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string trimmedLine(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// A file the template names: a plain path below the assets folder.
std::string asset(const std::string& dir, const std::string& name) {
    if (name.empty() || name[0] == '/' || name.find("..") != std::string::npos)
        throw ToolError(dir + "/page.html: refuses to inline '" + name + "'");
    return slurp(dir + "/" + name);
}

// A '<' in the document becomes \u003c, so no text in it can close the script element that
// holds it; a '<' only ever stands inside a JSON string, where the escape means the same.
std::string scriptSafe(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<') out += "\\u003c";
        else out += c;
    }
    return out;
}

// The template with its marker lines replaced: "<!-- qrtz:script FILE -->" and
// "<!-- qrtz:style FILE -->" by the file inlined, "<!-- qrtz:data -->" by the document.
std::string fillPage(const std::string& json) {
    const std::string dir = assetsDir();
    std::istringstream lines(slurp(dir + "/page.html"));
    std::string page, line;
    const std::string script = "<!-- qrtz:script ", style = "<!-- qrtz:style ", end = " -->";
    auto argument = [&](const std::string& marker, const std::string& text) {
        return text.substr(marker.size(), text.size() - marker.size() - end.size());
    };
    auto marked = [&](const std::string& marker, const std::string& text) {
        return text.size() > marker.size() + end.size() && text.compare(0, marker.size(), marker) == 0 &&
               text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    bool data = false;
    while (std::getline(lines, line)) {
        const std::string text = trimmedLine(line);
        if (marked(script, text)) {
            page += "<script>\n" + asset(dir, argument(script, text)) + "\n</script>\n";
        } else if (marked(style, text)) {
            page += "<style>\n" + asset(dir, argument(style, text)) + "\n</style>\n";
        } else if (text == "<!-- qrtz:data -->") {
            page += "<script type=\"application/json\" id=\"qrtz-data\">" + scriptSafe(json) +
                    "</script>\n";
            data = true;
        } else {
            page += line + "\n";
        }
    }
    if (!data) throw ToolError(dir + "/page.html: no '<!-- qrtz:data -->' line");
    return page;
}

std::string defaultOutput(const std::string& input) {
    std::string name = input.substr(input.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + ".html";
}

struct Options {
    ViewOptions view;
    std::string output;
    std::vector<int> supercell;
};

void view(Options& o) {
    // The installation's element colours and radii, then the user's where a working area is
    // registered; a user without one needs no word about its missing settings.
    KelEnv::ReadSystem();
    CString dir;
    int status = 0;
    KelEnv::GetPrivateEnv(dir, status);
    if (status == KelEnv::DIR_OK) KelEnv::ReadPrivate();
    if (!o.supercell.empty())
        for (int i = 0; i < 3; ++i) o.view.supercell[i] = o.supercell[static_cast<std::size_t>(i)];
    const std::string page = fillPage(ViewDocument(o.view));
    const std::string output = o.output.empty() ? defaultOutput(o.view.input) : o.output;
    WriteWholeFile(output, page);
    std::printf("%s\n", output.c_str());
}

} // namespace

void AddViewCommand(CLI::App& app) {
    auto o = std::make_shared<Options>();
    auto* cmd = app.add_subcommand(
        "view", "Write one HTML page that draws a structure file in 3D, or plays a simulation run "
                "with its thermodynamic series; it works offline from file://");
    cmd->add_option("file", o->view.input, "Structure or simulation result file")->required();
    cmd->add_option("-o,--output", o->output, "The page (default: the file's name with .html, here)");
    cmd->add_option("--frame", o->view.frame,
                    "Frame of a run, or record of an SD file, shown first (from 1)");
    cmd->add_option("--supercell", o->supercell, "Cell repeats along a, b and c")
        ->expected(3)
        ->check(CLI::Range(1, 20));
    cmd->add_option("--embed-limit", o->view.embedLimit,
                    "Most atom positions a run's page holds over all its frames; beyond it the "
                    "page keeps every k-th frame (default 500000)")
        ->check(CLI::PositiveNumber);
    AddReadOptions(*cmd, o->view.read);
    cmd->callback([o] { view(*o); });
}

} // namespace qrtz::tool
