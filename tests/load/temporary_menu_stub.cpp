// TEMPORARY until the main window lands: scan_coordination needs it to link.
#include "app/main_window.h"
void updateMenuState(HWND) {}
