#include "core/commands/ToolCommands.h"

int main(int argc, char **argv)
{
    return kaldex::runTool(argc, argv);
}
