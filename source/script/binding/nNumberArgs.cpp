#include "script/binding/nNumberArgs.h"

#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "platform/nstring/nString.h"

#include <cmath>

namespace
{
// The name of the native that is running: the innermost call of the machine.
const char* RunningNative(HSQUIRRELVM vm)
{
    SQStackInfos info;
    return SQ_SUCCEEDED(sq_stackinfos(vm, 0, &info)) && info.funcname ? info.funcname : "native";
}

// Not a number has a sign bit that means nothing to a script: it is named "nan" either way.
nString NumberText(float value)
{
    return std::isnan(value) ? nString("nan") : nString::Format("%g", double(value));
}

nString Describe(const nFloatRule& rule)
{
    const bool bounded = std::isfinite(rule.max);
    if (bounded && std::isfinite(rule.min))
        return rule.aboveMin ? nString::Format("above %g and at most %g", double(rule.min), double(rule.max))
                             : nString::Format("from %g to %g", double(rule.min), double(rule.max));
    if (std::isfinite(rule.min))
        return nString::Format(rule.aboveMin ? "a finite number above %g" : "a finite number of at least %g",
                               double(rule.min));
    if (bounded)
        return nString::Format("a finite number of at most %g", double(rule.max));
    return "a finite number";
}
} // namespace

bool nFloatRule::Accepts(float value) const
{
    return std::isfinite(value) && (aboveMin ? value > min : value >= min) && value <= max;
}

bool GetFloatArg(const ScriptArgs& args, int32_t index, const nFloatRule& rule, float& value)
{
    const float candidate = args.GetFloat(index);
    if (!rule.Accepts(candidate))
    {
        LogRefusedValue(args.GetVM(), NumberText(candidate).GetText(), Describe(rule).GetText());
        return false;
    }
    value = candidate;
    return true;
}

bool GetFloatArgs(const ScriptArgs& args, int32_t first, int32_t count, const nFloatRule& rule, float* values)
{
    for (int32_t offset = 0; offset < count; ++offset)
        if (!GetFloatArg(args, first + offset, rule, values[offset]))
            return false;
    return true;
}

bool GetEnumArg(const ScriptArgs& args, int32_t index, int32_t first, int32_t last, int32_t& value)
{
    // A float argument counts only when it is a whole number: 2.5 names no code.
    const float number = args.GetFloat(index);
    const int32_t candidate = args.GetInt(index);
    if (!(float(candidate) == number && candidate >= first && candidate <= last))
    {
        LogRefusedValue(args.GetVM(), NumberText(number).GetText(),
                        nString::Format("one of the codes %d to %d", first, last).GetText());
        return false;
    }
    value = candidate;
    return true;
}

bool IsFiniteVector(const ScriptArgs& args, const nVector& value)
{
    if (std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z) && std::isfinite(value.w))
        return true;
    const nString text = "(" + NumberText(value.x) + ", " + NumberText(value.y) + ", " + NumberText(value.z) +
                         ", " + NumberText(value.w) + ")";
    LogRefusedValue(args.GetVM(), text.GetText(), "a vector of finite numbers");
    return false;
}

void LogRefusedValue(HSQUIRRELVM vm, const char* value, const char* accepted)
{
    nLogHolder::Get() << nString::Format("[*] %s: the value %s is refused; it must be %s.\n",
                                         RunningNative(vm), value, accepted)
                             .GetText();
}
