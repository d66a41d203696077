#include "script/api/ScriptApiGroups.h"

void RegisterInstanceApi(HSQUIRRELVM)
{
}
