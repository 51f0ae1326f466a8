#pragma once
// lumenhollow.ini on disk, for the process-wide settings record gSettings.
#include <string>

#include "base/settings_load.h"

// Reads the file into gSettings, retrying a file that is there but cannot be
// read yet. After Unreadable (logged once) SaveSettings never writes this session.
SettingsStart LoadSettings(const std::u16string& path);
// Rewrites the whole file in the data folder; failures leave the old file as it was.
void SaveSettings();
