#pragma once

#include "squirrel/squirrel.h"

// The UI group is bound in three parts: RegisterUIApi binds the 2D scene's natives, then calls
// these two in this order, then sets the group's constants.

// The window and sprite natives (UIWindowApi.cpp).
void RegisterUIWindowApi(HSQUIRRELVM vm);

// The widget, sizer and text natives (UIWidgetApi.cpp).
void RegisterUIWidgetApi(HSQUIRRELVM vm);
