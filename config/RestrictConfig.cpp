#include "control/CRestrictAction.h"

// Reading Config\Restrict.ini comes later; until then the file counts as
// missing and the built-in behaviour applies.
BOOL CRestrictAction::LoadRestrictConfig() {
    return FALSE;
}
