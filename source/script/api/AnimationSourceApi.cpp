#include "script/api/ScriptApiGroups.h"

void RegisterAnimationSourceApi(HSQUIRRELVM)
{
}
