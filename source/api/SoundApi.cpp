#include "api/ScriptApiGroups.h"

void RegisterSoundApi(HSQUIRRELVM)
{
}
