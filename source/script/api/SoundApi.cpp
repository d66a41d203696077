#include "script/api/ScriptApiGroups.h"

void RegisterSoundApi(HSQUIRRELVM)
{
}
