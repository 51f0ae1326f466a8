#include "app/app_state_win.h"

AppState gApp;
Settings gSettings;
