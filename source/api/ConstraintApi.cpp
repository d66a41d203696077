#include "api/ScriptApiGroups.h"

void RegisterConstraintApi(HSQUIRRELVM)
{
}
