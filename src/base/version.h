#pragma once
// The program's version, written here only: the resource file shows it in the
// file's properties and scripts/dist.sh names the zip and the installer by it.
#define LH_VERSION_MAJOR 0
#define LH_VERSION_MINOR 1
#define LH_VERSION_PATCH 0
#define LH_VERSION_TEXT "0.1.0"
