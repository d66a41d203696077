#pragma once

#include "squirrel/squirrel.h"

// Declares the script class "GeometryTemplate" when it is not yet, and gives it the methods that
// build geometries; the Geometry group registers them.
void RegisterGeometryTemplateMethods(HSQUIRRELVM vm);
