#include "api/ScriptApi.h"
#include "core/base/nLog.h"
#include "platform/nHostFile.h"
#include "platform/nPlatform.h"
#include "platform/nstring/nString.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <sys/wait.h>

namespace
{
constexpr size_t ShellOutputPiece = 255;

SQInteger Assert(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    if (!args.GetBool(2))
        return sq_throwerror(vm, args.GetString(3));
    return 0;
}

SQInteger Pow(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    return args.PushFloat(static_cast<float>(
        std::pow(static_cast<double>(args.GetFloat(2)), static_cast<double>(args.GetFloat(3)))));
}

// Division by 0, and the smallest integer by -1, would trap; both are script errors instead.
bool ReadDivision(HSQUIRRELVM vm, int32_t& dividend, int32_t& divisor)
{
    const ScriptArgs args(vm);
    dividend = args.GetInt(2);
    divisor = args.GetInt(3);
    return divisor != 0 && !(divisor == -1 && dividend == std::numeric_limits<int32_t>::min());
}

SQInteger Mod(HSQUIRRELVM vm)
{
    int32_t dividend = 0, divisor = 0;
    if (!ReadDivision(vm, dividend, divisor))
        return sq_throwerror(vm, "division by zero");
    return ScriptArgs(vm).PushInt(dividend % divisor);
}

SQInteger AbsMod(HSQUIRRELVM vm)
{
    int32_t dividend = 0, divisor = 0;
    if (!ReadDivision(vm, dividend, divisor))
        return sq_throwerror(vm, "division by zero");
    const int32_t remainder = dividend % divisor;
    return ScriptArgs(vm).PushInt(remainder < 0 ? remainder + divisor : remainder);
}

SQInteger ObjectIsValid(HSQUIRRELVM vm)
{
    void* object = nullptr;
    if (!GetCObject(vm, 2, object, 0))
        return SQ_ERROR;
    return ScriptArgs(vm).PushBool(object != nullptr);
}

SQInteger ObjectIsSame(HSQUIRRELVM vm)
{
    void* first = nullptr;
    void* second = nullptr;
    if (!GetCObject(vm, 2, first, 0) || !GetCObject(vm, 3, second, 0))
        return SQ_ERROR;
    return ScriptArgs(vm).PushBool(first == second);
}

SQInteger ShellExecute(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    nString command = args.GetString(2);
    const char* parameters = args.GetString(3);
    if (parameters && parameters[0])
    {
        command += " ";
        command += parameters;
    }
    nLog& log = nLogHolder::Get();
    log << "[H] Execute command '" << command << "'\n\n";
    FILE* pipe = popen(command.GetText() ? command.GetText() : "", "r");
    if (!pipe)
        return args.PushInt(-1);
    char piece[ShellOutputPiece + 1];
    size_t length;
    while ((length = std::fread(piece, 1, ShellOutputPiece, pipe)) > 0)
    {
        piece[length] = '\0';
        log << piece;
    }
    const int status = pclose(pipe);
    if (status == -1)
        return args.PushInt(-1);
    return args.PushInt(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

SQInteger FileRename(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    return args.PushBool(HostRenameFile(nString(args.GetString(2)), nString(args.GetString(3))));
}

SQInteger Sleep(HSQUIRRELVM vm)
{
    const int32_t milliseconds = ScriptArgs(vm).GetInt(2);
    nPlatform::Get().Sleep(milliseconds > 0 ? static_cast<uint32_t>(milliseconds) : 0);
    return 0;
}

const nNativeEntry CoreNatives[] = {
    {"__Assert", GuardedNative<Assert>, ".bs"},
    {"Pow", GuardedNative<Pow>, ".ff"},
    {"Mod", GuardedNative<Mod>, ".ii"},
    {"AbsMod", GuardedNative<AbsMod>, ".ii"},
    {"ObjectIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"ObjectIsSame", GuardedNative<ObjectIsSame>, ".xx"},
    {"ShellExecute", GuardedNative<ShellExecute>, ".ss"},
    {"FileRename", GuardedNative<FileRename>, ".ss"},
    {"_Sleep", GuardedNative<Sleep>, ".i"},
    {"AIPathIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"GeometryIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"ItemIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"MetatagIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"TextureIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"WidgetIsValid", GuardedNative<ObjectIsValid>, ".x"},
    {"WindowIsValid", GuardedNative<ObjectIsValid>, ".x"},
};
} // namespace

void RegisterCoreApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, CoreNatives);
}
