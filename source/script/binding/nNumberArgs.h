#pragma once

#include "script/binding/ScriptArgs.h"

#include <cstdint>
#include <limits>

class nVector;

// What a native accepts of a number it keeps: a finite float from min to max (min itself only when
// the rule does not exclude it). An infinite bound leaves that side open.
struct nFloatRule
{
    float min = -std::numeric_limits<float>::infinity();
    float max = std::numeric_limits<float>::infinity();
    bool aboveMin = false;

    bool Accepts(float value) const;
};

inline constexpr nFloatRule AnyFinite{};
inline constexpr nFloatRule NotNegative{0.0f};
inline constexpr nFloatRule Positive{0.0f, std::numeric_limits<float>::infinity(), true};

// Numbers a native refuses are not errors for the script: the native writes one "[*]" line that
// names it, the value and what it accepts, changes nothing and returns as if done, so a script
// that computed a bad value goes on with the value that was there. Not a number, the infinities
// and values outside the rule are refused; so are integers outside an enumeration's codes.

// The float at the index; false after the line when the rule refuses it.
bool GetFloatArg(const ScriptArgs& args, int32_t index, const nFloatRule& rule, float& value);
// The floats at first .. first + count - 1, each under the rule; false after the line for the first
// one refused, the values then being unspecified.
bool GetFloatArgs(const ScriptArgs& args, int32_t first, int32_t count, const nFloatRule& rule,
                  float* values);
// A vector argument already read (a colour, a place, a size), kept only when its four components
// are finite; false after the line otherwise.
bool IsFiniteVector(const ScriptArgs& args, const nVector& value);
// The integer at the index when it is one of the codes first .. last; false after the line.
bool GetEnumArg(const ScriptArgs& args, int32_t index, int32_t first, int32_t last, int32_t& value);
// The line itself, for a value (as text) the running native refuses and what it accepts:
// "[*] <native>: the value <value> is refused; it must be <accepted>.".
void LogRefusedValue(HSQUIRRELVM vm, const char* value, const char* accepted);
