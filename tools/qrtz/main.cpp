// qrtz: inspect, convert and build structure files and read simulation results.
// Exit status: 0 success, 1 bad input, 2 bad usage.
#include <cstdio>
#include <exception>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "qrtzdb/qrtzdb.h"

int main(int argc, char** argv) {
    CLI::App app{"qrtz: inspect, convert and build molecules, crystals and simulation results"};
    app.set_version_flag("--version", std::string("qrtz ") + QRTZ_VERSION + " (library " +
                                          qrtz::LibraryVersion() + ")");
    app.require_subcommand(0, 1);
    // The commands, in the order --help lists them.
    qrtz::tool::AddInfoCommand(app);
    qrtz::tool::AddConvertCommand(app);
    qrtz::tool::AddZmatCommand(app);
    qrtz::tool::AddBuildCommands(app);
    qrtz::tool::AddEnvCommands(app);
    qrtz::tool::AddSimCommands(app);
    qrtz::tool::AddClipCommands(app);
    qrtz::tool::AddViewCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    } catch (const qrtz::tool::ToolError& e) {
        std::fprintf(stderr, "qrtz: %s\n", e.what());
        return 1;
    } catch (const qrtz::CFileException& e) {
        std::fprintf(stderr, "qrtz: %s\n", e.GetMessage().c_str());
        return 1;
    } catch (const qrtz::KelException& e) {
        std::fprintf(stderr, "qrtz: %s\n", e.Message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrtz: %s\n", e.what());
        return 1;
    }
    if (argc == 1) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    return qrtz::tool::ExitStatus();
}

int& qrtz::tool::ExitStatus() {
    static int status = 0;
    return status;
}
