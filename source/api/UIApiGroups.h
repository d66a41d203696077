#pragma once

#include "squirrel/squirrel.h"

class nWidget;

// The UI group is bound in three parts: RegisterUIApi binds the 2D scene's natives, then calls
// these two in this order, then sets the group's constants.

// The window and sprite natives (UIWindowApi.cpp).
void RegisterUIWindowApi(HSQUIRRELVM vm);

// The widget, sizer and text natives (UIWidgetApi.cpp).
void RegisterUIWidgetApi(HSQUIRRELVM vm);

// A widget argument of any kind (handle types 14 to 21): the machine's own error for a value that
// is no handle, "Object is not a widget" for a handle of another type (a deleted widget's too) and
// "Widget is null" for a widget handle on nothing; null after the error (UIWidgetArg.cpp).
nWidget* GetWidgetArg(HSQUIRRELVM vm, SQInteger index);
