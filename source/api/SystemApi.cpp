#include "api/ScriptApiGroups.h"

void RegisterSystemApi(HSQUIRRELVM)
{
}
