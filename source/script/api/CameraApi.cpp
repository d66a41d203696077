#include "script/api/ScriptApiGroups.h"

void RegisterCameraApi(HSQUIRRELVM)
{
}
