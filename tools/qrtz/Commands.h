#pragma once
// The subcommands of qrtz. Each Add... function adds one subcommand (or a family) to the
// application; main.cpp lists them in the order --help shows them. A command's callback throws
// ToolError for bad input and may set the exit status through ExitStatus().
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace qrtz::tool {

// Bad input (a file that cannot be read or holds what it should not): exit status 1.
struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The status main returns when no exception escapes; a command that reports a failure for one
// of several files sets it to 1 and goes on.
int& ExitStatus();

void AddInfoCommand(CLI::App& app);
void AddConvertCommand(CLI::App& app);
void AddZmatCommand(CLI::App& app);
void AddBuildCommands(CLI::App& app);
void AddEnvCommands(CLI::App& app);
void AddSimCommands(CLI::App& app);
// qrtz sim export, added to the sim family by AddSimCommands.
void AddSimExportCommand(CLI::App& sim);
void AddClipCommands(CLI::App& app);
void AddViewCommand(CLI::App& app);
// `qrtz sim plot`, added to the sim command.
void AddSimPlotCommand(CLI::App& sim);

// What `qrtz sim info` shows of a simulation result file; `qrtz info` shows the same for one.
class Report;
Report SimulationReport(const std::string& path);
bool IsSimulationPath(const std::string& path);

// What `qrtz info` shows of one structure of a file (record: its 1-based number in an SD file).
struct FileFormat;
struct Structure;
Report StructureReport(const std::string& path, const FileFormat& format, Structure& structure,
                       int record);

} // namespace qrtz::tool
