#include "api/ScriptApiGroups.h"

void RegisterCameraApi(HSQUIRRELVM)
{
}
