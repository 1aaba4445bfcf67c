#pragma once

#include <string>
#include <vector>

namespace kaldex::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

/** Runs the built kaldex-tool with these arguments, in directory dir if given. */
ToolRun runTool(const std::vector<std::string> &args, const std::string &dir = {});

}  // namespace kaldex::test
