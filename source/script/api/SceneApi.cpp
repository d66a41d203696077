#include "script/api/ScriptApiGroups.h"

void RegisterSceneApi(HSQUIRRELVM)
{
}
