#include "script/api/ScriptApiGroups.h"

void RegisterTriggerApi(HSQUIRRELVM)
{
}
