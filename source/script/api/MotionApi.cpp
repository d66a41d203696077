#include "script/api/ScriptApiGroups.h"

void RegisterMotionApi(HSQUIRRELVM)
{
}
