// Checks that a run cannot harm its inputs or leave its output where the user does not expect it,
// made before anything is written.
#pragma once

#include <string>

#include "pack/project.h"

// Throws PackError when `output` cannot become a new file: it is a folder, or its folder does not
// exist. The message names the path as the user gave it.
void CheckOutputPlace(const std::string &output);

// Throws PackError when `output` is, by any name (./, a symbolic link, a hard link), the project
// file, a file the project reads, a payload file or the setup program the installer is built on.
void CheckOutputSparesInputs(const Project &project, const std::string &stub, const std::string &output);
