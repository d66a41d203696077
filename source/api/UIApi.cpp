#include "api/ScriptApiGroups.h"

void RegisterUIApi(HSQUIRRELVM)
{
}
