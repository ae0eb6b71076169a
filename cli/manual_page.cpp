// Makes orbivane-cli's manual page from the table its --help prints (see usage_text.h).
#include "command_line.h"

int main(int argc, char** argv) { return orbivane::ManualPageMain(orbivane::CliProgramText(), argc, argv); }
