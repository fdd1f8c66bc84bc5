// Block-sized views of a drive image for the FAT tools.
#include "tests/blocks/block_tools.h"

#include <sstream>

bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out) {
    std::ostringstream command;
    command << "dd if=" << ShellQuote(drive) << " of=" << ShellQuote(out) << " bs=512 skip=" << block * 3072ull
            << " count=" << sectors << " status=none";
    return RunTool(command.str()).exitCode == 0;
}

ToolResult MdirAt(const std::string& drive, uint32_t block) {
    std::ostringstream command;
    command << "mdir -a -i " << ShellQuote(drive + "@@" + std::to_string(block * 3072ull * 512)) << " ::/";
    return RunTool(command.str());
}
