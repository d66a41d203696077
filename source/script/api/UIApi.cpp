#include "script/api/ScriptApiGroups.h"

void RegisterUIApi(HSQUIRRELVM)
{
}
