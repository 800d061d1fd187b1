// The command line of kestrival-pack:
//   kestrival-pack PROJECT -o OUTPUT [--stub PATH] [--level N] [--chunk-size N] [--quiet]
//   kestrival-pack --dump INSTALLER
//   kestrival-pack --help
#pragma once

// Runs the tool; returns its exit status (0 done, 1 failed, 2 wrong usage).
int RunPackCommand(int argc, char **argv);
