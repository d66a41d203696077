#include "script/api/ScriptApiGroups.h"

void RegisterThreadedLoadApi(HSQUIRRELVM)
{
}
