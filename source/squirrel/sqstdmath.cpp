#include "squirrel/sqstdmath.h"

#include "squirrel/sqstdregister.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr SQInteger kRandMax = 32767;

SQFloat FloatArg(HSQUIRRELVM v, SQInteger idx) {
    SQFloat f = 0;
    sq_getfloat(v, idx, &f);
    return f;
}

template <SQFloat (*F)(SQFloat)>
SQInteger Unary(HSQUIRRELVM v) {
    sq_pushfloat(v, F(FloatArg(v, 2)));
    return 1;
}

template <SQFloat (*F)(SQFloat, SQFloat)>
SQInteger Binary(HSQUIRRELVM v) {
    sq_pushfloat(v, F(FloatArg(v, 2), FloatArg(v, 3)));
    return 1;
}

SQFloat Sqrt(SQFloat x) { return std::sqrt(x); }
SQFloat Sin(SQFloat x) { return std::sin(x); }
SQFloat Cos(SQFloat x) { return std::cos(x); }
SQFloat Tan(SQFloat x) { return std::tan(x); }
SQFloat Asin(SQFloat x) { return std::asin(x); }
SQFloat Acos(SQFloat x) { return std::acos(x); }
SQFloat Atan(SQFloat x) { return std::atan(x); }
SQFloat Atan2(SQFloat y, SQFloat x) { return std::atan2(y, x); }
SQFloat Log(SQFloat x) { return std::log(x); }
SQFloat Log10(SQFloat x) { return std::log10(x); }
SQFloat Exp(SQFloat x) { return std::exp(x); }
SQFloat Pow(SQFloat x, SQFloat y) { return std::pow(x, y); }
SQFloat Floor(SQFloat x) { return std::floor(x); }
SQFloat Ceil(SQFloat x) { return std::ceil(x); }
SQFloat Fabs(SQFloat x) { return std::fabs(x); }

// The magnitude is taken in unsigned arithmetic so that abs of the smallest integer wraps
// to itself instead of overflowing.
SQInteger Abs(HSQUIRRELVM v) {
    SQInteger n = 0;
    sq_getinteger(v, 2, &n);
    uint32_t magnitude = n < 0 ? 0u - (uint32_t)n : (uint32_t)n;
    sq_pushinteger(v, (SQInteger)magnitude);
    return 1;
}

// The generator state lives in a userdata shared by rand and srand as their free variable,
// so each VM has its own sequence. A linear congruential step; the high bits are the result
// because the low bits of such a generator have short periods.
uint32_t* GeneratorState(HSQUIRRELVM v) {
    SQUserPointer p = nullptr;
    sq_getuserdata(v, sq_gettop(v), &p, nullptr);
    return static_cast<uint32_t*>(p);
}

SQInteger Rand(HSQUIRRELVM v) {
    uint32_t* state = GeneratorState(v);
    *state = *state * 1103515245u + 12345u;
    sq_pushinteger(v, (SQInteger)((*state >> 16) & (uint32_t)kRandMax));
    return 1;
}

SQInteger Srand(HSQUIRRELVM v) {
    SQInteger seed = 0;
    sq_getinteger(v, 2, &seed);
    *GeneratorState(v) = (uint32_t)seed;
    return 0;
}

const SQRegFunction kMathFunctions[] = {
    {"sqrt", Unary<Sqrt>, 2, ".n"},
    {"sin", Unary<Sin>, 2, ".n"},
    {"cos", Unary<Cos>, 2, ".n"},
    {"tan", Unary<Tan>, 2, ".n"},
    {"asin", Unary<Asin>, 2, ".n"},
    {"acos", Unary<Acos>, 2, ".n"},
    {"atan", Unary<Atan>, 2, ".n"},
    {"atan2", Binary<Atan2>, 3, ".nn"},
    {"log", Unary<Log>, 2, ".n"},
    {"log10", Unary<Log10>, 2, ".n"},
    {"exp", Unary<Exp>, 2, ".n"},
    {"pow", Binary<Pow>, 3, ".nn"},
    {"floor", Unary<Floor>, 2, ".n"},
    {"ceil", Unary<Ceil>, 2, ".n"},
    {"fabs", Unary<Fabs>, 2, ".n"},
    {"abs", Abs, 2, ".n"},
    {nullptr, nullptr, 0, nullptr}};

const SQRegFunction kGeneratorFunctions[] = {
    {"rand", Rand, 1, nullptr},
    {"srand", Srand, 2, ".n"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstd_register_mathlib(HSQUIRRELVM v) {
    SQInteger table = sqstdAbsoluteIndex(v, -1);
    if (SQ_FAILED(sqstdRegisterFunctions(v, table, kMathFunctions))) return SQ_ERROR;
    static_cast<uint32_t*>(sq_newuserdata(v, sizeof(uint32_t)))[0] = 1;
    HSQOBJECT state;
    sq_getstackobj(v, -1, &state);
    SQRESULT generator = sqstdRegisterFunctions(v, table, kGeneratorFunctions, &state);
    sq_poptop(v);
    if (SQ_FAILED(generator)) return SQ_ERROR;
    sq_pushinteger(v, kRandMax);
    if (SQ_FAILED(sqstdSetSlot(v, table, "RAND_MAX"))) return SQ_ERROR;
    sq_pushfloat(v, (SQFloat)3.14159265358979323846);
    return sqstdSetSlot(v, table, "PI");
}
