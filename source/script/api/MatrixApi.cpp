#include "script/api/ScriptApiGroups.h"

void RegisterMatrixApi(HSQUIRRELVM)
{
}
