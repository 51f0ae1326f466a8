#pragma once
// What the library bridge asks of the rest of the program, carried out by the
// parts of this process. Registered with SetLibraryHost at start-up.
#include "library/library_host.h"

LibraryHost& WindowsHost();
