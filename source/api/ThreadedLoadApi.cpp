#include "api/ScriptApiGroups.h"

void RegisterThreadedLoadApi(HSQUIRRELVM)
{
}
