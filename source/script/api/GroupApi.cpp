#include "script/api/ScriptApiGroups.h"

void RegisterGroupApi(HSQUIRRELVM)
{
}
