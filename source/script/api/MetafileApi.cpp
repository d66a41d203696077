#include "script/api/ScriptApiGroups.h"

void RegisterMetafileApi(HSQUIRRELVM)
{
}
