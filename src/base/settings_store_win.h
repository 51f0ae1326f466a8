#pragma once
// lumenhollow.ini on disk, for the process-wide settings record gSettings.
#include <string>

#include "base/settings.h"
#include "base/settings_load.h"

// The settings every layer reads; written on the main thread only.
extern Settings gSettings;

// Reads the file into gSettings, retrying a file that is there but cannot be
// read yet. After Unreadable (logged once) SaveSettings never writes this session.
SettingsStart LoadSettings(const std::u16string& path);
// Rewrites the whole file in gApp.dataDir; failures leave the old file as it was.
void SaveSettings();
