// The program's own name in messages (the version-mismatch message of the setup data among them),
// shared by the setup program and the packer that reads its setup data back.
#pragma once

constexpr char kInstallerTitle[] = "Kestrival Setup";
constexpr char16_t kInstallerTitleW[] = u"Kestrival Setup";
