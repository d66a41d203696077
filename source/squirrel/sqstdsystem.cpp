#include "squirrel/sqstdsystem.h"

#include "squirrel/sqstdregister.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// clock() measures wall time from the start of the process, not processor time.
const std::chrono::steady_clock::time_point kProcessStart = std::chrono::steady_clock::now();

const SQChar* StringArg(HSQUIRRELVM v, SQInteger idx) {
    const SQChar* s = "";
    sq_getstring(v, idx, &s);
    return s;
}

SQInteger GetEnv(HSQUIRRELVM v) {
    const char* value = std::getenv(StringArg(v, 2));
    if (!value) return 0;
    sq_pushstring(v, value, -1);
    return 1;
}

SQInteger System(HSQUIRRELVM v) {
    sq_pushinteger(v, (SQInteger)std::system(StringArg(v, 2)));
    return 1;
}

SQInteger Clock(HSQUIRRELVM v) {
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - kProcessStart;
    sq_pushfloat(v, (SQFloat)elapsed.count());
    return 1;
}

SQInteger Time(HSQUIRRELVM v) {
    sq_pushinteger(v, (SQInteger)std::time(nullptr));
    return 1;
}

SQInteger Remove(HSQUIRRELVM v) {
    if (std::remove(StringArg(v, 2)) != 0) return sq_throwerror(v, "remove() failed");
    return 0;
}

// As on Windows, an existing target is never replaced.
SQInteger Rename(HSQUIRRELVM v) {
    const SQChar* from = StringArg(v, 2);
    const SQChar* to = StringArg(v, 3);
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, ec))) {
        return sq_throwerror(v, "rename() failed: the target exists");
    }
    if (std::rename(from, to) != 0) return sq_throwerror(v, "rename() failed");
    return 0;
}

void SetInteger(HSQUIRRELVM v, const SQChar* name, SQInteger value) {
    sq_pushinteger(v, value);
    sqstdSetSlot(v, -2, name);
}

SQInteger Date(HSQUIRRELVM v) {
    std::time_t t = std::time(nullptr);
    SQInteger format = 'l';
    if (sq_gettop(v) > 1) {
        SQInteger seconds = 0;
        sq_getinteger(v, 2, &seconds);
        t = (std::time_t)seconds;
    }
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &format);
    std::tm parts{};
    if (format == 'u') {
        if (!gmtime_r(&t, &parts)) return sq_throwerror(v, "the time cannot be converted");
    } else if (format == 'l') {
        if (!localtime_r(&t, &parts)) return sq_throwerror(v, "the time cannot be converted");
    } else {
        return sq_throwerror(v, "invalid format: 'l' (local time) or 'u' (UTC) expected");
    }
    sq_newtable(v);
    SetInteger(v, "sec", parts.tm_sec);
    SetInteger(v, "min", parts.tm_min);
    SetInteger(v, "hour", parts.tm_hour);
    SetInteger(v, "day", parts.tm_mday);
    SetInteger(v, "month", parts.tm_mon);
    SetInteger(v, "year", parts.tm_year + 1900);
    SetInteger(v, "wday", parts.tm_wday);
    SetInteger(v, "yday", parts.tm_yday);
    return 1;
}

const SQRegFunction kSystemFunctions[] = {
    {"getenv", GetEnv, 2, ".s"},
    {"system", System, 2, ".s"},
    {"clock", Clock, 1, nullptr},
    {"time", Time, 1, nullptr},
    {"date", Date, -1, ".nn"},
    {"remove", Remove, 2, ".s"},
    {"rename", Rename, 3, ".ss"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstd_register_systemlib(HSQUIRRELVM v) { return sqstdRegisterFunctions(v, -1, kSystemFunctions); }
