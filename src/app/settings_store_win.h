#pragma once
// lumenhollow.ini on disk, for the process-wide settings record gSettings.
#include <string>

// False when the file cannot be read: the first-run case.
bool LoadSettings(const std::u16string& path);
// Rewrites the whole file in the data folder; failures leave the old file as it was.
void SaveSettings();
