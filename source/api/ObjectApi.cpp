#include "api/ScriptApiGroups.h"

void RegisterObjectApi(HSQUIRRELVM)
{
}
