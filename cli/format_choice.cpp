// --type, --quick and --dos.
#include "cli/format_choice.h"

void FormatChoice::AddOptions(CLI::App* command) {
    command->add_option("--type", type, "Floppy format of the blocks (default 1.44M).")
        ->check(CLI::IsMember({"1.44M", "1.2M", "720K"}));
    command->add_flag("--quick", quick, "Write only the system area of each block (not with --dos).");
    command->add_option("--dos", dos, "Make the blocks DOS-bootable with this DOS version.")
        ->check(CLI::IsMember({"6.22", "7.1"}));
}

void FormatChoice::FillParameters(JobParameters* parameters) const {
    parameters->floppyFormat = type == "720K" ? Format720K : type == "1.2M" ? Format12M : Format144M;
    parameters->quickFormat = quick ? 1 : 0;
    parameters->dosSystem = dos == "7.1" ? Dos71 : dos == "6.22" ? Dos622 : DosNone;
}
