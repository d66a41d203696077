#pragma once

#include "squirrel/squirrel.h"

class nEventTable;
class nWidget;

// The UI group is bound in three parts: RegisterUIApi binds the 2D scene's natives, then calls
// these two in this order, then sets the group's constants.

// The window and sprite natives (UIWindowApi.cpp).
void RegisterUIWindowApi(HSQUIRRELVM vm);

// The widget, sizer and text natives (UIWidgetApi.cpp).
void RegisterUIWidgetApi(HSQUIRRELVM vm);

// A widget argument of any kind (handle types 14 to 21): the machine's own error for a value that
// is no handle, "Object is not a widget" for a handle of another type (a deleted widget's too) and
// "Widget is null" for a widget handle on nothing; null after the error (UIApiArgs.cpp).
nWidget* GetWidgetArg(HSQUIRRELVM vm, SQInteger index);

// The handler natives of windows and widgets: the closure at closureIndex becomes the table's
// handler of the event id at eventIndex, run with the value at contextIndex as `this` (any value
// but null), or with the root table when contextIndex is 0 or the value there is null. A handler
// set before for the event is released. False after an "[!]" line when the closure cannot be
// held; nothing changes then.
bool SetEventHandlerArgs(HSQUIRRELVM vm, nEventTable& table, SQInteger eventIndex, SQInteger contextIndex,
                         SQInteger closureIndex);
