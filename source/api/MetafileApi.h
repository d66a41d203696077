#pragma once

#include "script/binding/ScriptArgs.h"

#include <cstdint>

class nMetaTagValue;

// The conversions between script values and tag values, shared by the metatag natives and the
// item registry natives.

// A script float, bool, integer or string as a tag value; any other value leaves it as it was.
bool ReadTagValue(const ScriptArgs& args, int32_t index, nMetaTagValue& value);
// Pushes a Real, Bool, Integer or String value as a script float, bool, integer or string; false,
// with nothing pushed, for a value of another type.
bool PushTagValue(const ScriptArgs& args, const nMetaTagValue& value);
