// kestrival-pack: writes an installer from a project file (see pack/command_line.h).
#include "pack/command_line.h"

int main(int argc, char **argv) { return RunPackCommand(argc, argv); }
