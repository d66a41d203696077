#include "script/api/ScriptApiGroups.h"

void RegisterMixerApi(HSQUIRRELVM)
{
}
