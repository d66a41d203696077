#include "script/api/ScriptApiGroups.h"

void RegisterConstraintApi(HSQUIRRELVM)
{
}
