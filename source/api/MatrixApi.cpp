#include "api/ScriptApiGroups.h"

void RegisterMatrixApi(HSQUIRRELVM)
{
}
