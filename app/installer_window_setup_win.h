// The run's installer window: created while the settings are read, given the settings' look once
// they are complete, captioned in the chosen language, closed by the exit.
#pragma once

struct Settings;

// The settings reader's hook (after its sixth item): creates the window unless the settings ask
// for none, with the instance handle, the "MIN" flag and the program icon in both sizes, and makes
// closing it an exit step.
void CreateRunInstallerWindow(const Settings &settings);

// After the last setting: the window takes the look of the whole setup script.
void ApplySettingsToInstallerWindow(const Settings &settings);

// The wizard stage after the language page: row 0 of the active language becomes the window's
// caption (and the painted title unless the settings name one); the window is repainted.
void ApplyLanguageToInstallerWindow();
