#include "api/ScriptApiGroups.h"

void RegisterItemApi(HSQUIRRELVM)
{
}
