#include "script/api/ScriptApiGroups.h"

void RegisterSystemApi(HSQUIRRELVM)
{
}
