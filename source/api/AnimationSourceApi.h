#pragma once

#include "squirrel/squirrel.h"

class nAnimationSourceList;

// The list of sources a SetMotion native started, as an owned handle: the handle's release
// deletes the list. A list whose handle cannot be made is deleted at once (-1).
SQInteger PushAnimationSources(HSQUIRRELVM vm, nAnimationSourceList* sources);
