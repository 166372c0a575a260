#include "module/ModuleState.h"

CRestrictAction* g_pRestrictAction = nullptr;
