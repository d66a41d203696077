#include "script/api/ScriptApiGroups.h"

void RegisterDeviceApi(HSQUIRRELVM)
{
}
