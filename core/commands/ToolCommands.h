#pragma once

namespace kaldex {

/**
 * Runs kaldex-tool with the program's arguments: the command's output on
 * standard output, messages on standard error. Returns the exit status.
 */
int runTool(int argc, char **argv);

}  // namespace kaldex
