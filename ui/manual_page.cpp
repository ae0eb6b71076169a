// Makes orbivane's manual page from the table its --help prints (see usage_text.h).
#include "window_command_line.h"

int main(int argc, char** argv) { return orbivane::ManualPageMain(orbivane::WindowProgramText(), argc, argv); }
