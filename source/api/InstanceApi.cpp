#include "api/ScriptApiGroups.h"

void RegisterInstanceApi(HSQUIRRELVM)
{
}
