#include "api/ScriptApiGroups.h"

void RegisterMotionApi(HSQUIRRELVM)
{
}
