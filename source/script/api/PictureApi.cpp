#include "script/api/ScriptApiGroups.h"

void RegisterPictureApi(HSQUIRRELVM)
{
}
