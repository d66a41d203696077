#include "api/ScriptApiGroups.h"

void RegisterDeviceApi(HSQUIRRELVM)
{
}
