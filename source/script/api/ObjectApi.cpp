#include "script/api/ScriptApiGroups.h"

void RegisterObjectApi(HSQUIRRELVM)
{
}
