#include "api/UIApiGroups.h"

void RegisterUIWidgetApi(HSQUIRRELVM)
{
}
