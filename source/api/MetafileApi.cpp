#include "api/ScriptApiGroups.h"

void RegisterMetafileApi(HSQUIRRELVM)
{
}
