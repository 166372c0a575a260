#include "module/ModuleState.h"

CRestrictAction* g_pRestrictAction = nullptr;
HINSTANCE g_hModuleInstance = nullptr;
