#include "control/CRestrictAction.h"

// The low-level input hooks come with the address-bar check; until then
// MODE_URLRESTRICT installs nothing.
void CRestrictAction::InstallHook() {}

void CRestrictAction::UninstallHook() {}
