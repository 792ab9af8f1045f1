#pragma once
// The subcommands of qrtz. Each adds itself to the application in the order of the table in
// main.cpp; a command's callback throws ToolError for bad input.
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

} // namespace qrtz::tool
