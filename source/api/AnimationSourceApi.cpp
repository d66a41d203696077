#include "api/ScriptApiGroups.h"

void RegisterAnimationSourceApi(HSQUIRRELVM)
{
}
