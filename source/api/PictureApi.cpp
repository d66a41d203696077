#include "api/ScriptApiGroups.h"

void RegisterPictureApi(HSQUIRRELVM)
{
}
