// ZEL4_FmtTool: prepares a recorder's mass-storage flash.
#include <string>
#include <vector>

#include "fmttool/FmtTool.h"
#include "fmttool/TerminalConsole.h"

int main(int argc, char** argv)
{
    InstallTerminalRestore();
    TTerminalConsole console;
    return FmtToolMain(std::vector<std::string>(argv + 1, argv + argc), console);
}
