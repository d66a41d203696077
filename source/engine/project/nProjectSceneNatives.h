#pragma once

#include "squirrel/squirrel.h"

// The scene natives the frame loop depends on ("SceneEnd"). They act on the engine's scene, which
// the script library cannot link against, so the project adds them when it opens its machine.
void RegisterProjectSceneNatives(HSQUIRRELVM vm);
