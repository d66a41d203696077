#include "api/ScriptApiGroups.h"

void RegisterGroupApi(HSQUIRRELVM)
{
}
