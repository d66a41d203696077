#include "script/api/ScriptApiGroups.h"

void RegisterItemApi(HSQUIRRELVM)
{
}
