#include "api/ScriptApiGroups.h"

void RegisterTriggerApi(HSQUIRRELVM)
{
}
