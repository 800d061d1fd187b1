// Install mode: the program carries setup data. It opens its own file, reads the setup data and
// the installation settings from it, checks its own image and then runs the wizard and the
// installation.
#pragma once

// Runs install mode to its end; every way out passes through ExitInstaller or the fatal-error path.
// A program without setup data ends here in information mode.
[[noreturn]] void RunInstallMode();
