#pragma once

#include <cstdint>

// Stack machine: every function's frame holds `this`, the parameters and the locals in fixed
// slots, with the operand stack above them. Comments give the operand stack before -> after.
enum SQOpcode : uint8_t {
    OP_LOADNULL,     // -> null
    OP_LOADINT,      // -> arg
    OP_LOADFLOAT,    // -> float with the bits of arg
    OP_LOADBOOL,     // -> arg != 0
    OP_LOADK,        // -> literal[arg]
    OP_GETLOCAL,     // -> slot[arg]
    OP_SETLOCAL,     // v -> v, slot[arg] = v
    OP_STORELOCAL,   // v -> , slot[arg] = v
    OP_GETOUTER,     // -> outer[arg]
    OP_SETOUTER,     // v -> v
    OP_GETROOT,      // -> root table
    OP_GETBASE,      // -> base class of the running method
    OP_GETENV,       // -> value of free name literal[arg] (this, then root)
    OP_SETENV,       // v -> v   (a: 1 = v ->)
    OP_POP,          // arg values ->
    OP_DUP,          // v -> v v
    OP_DUP2,         // a b -> a b a b
    OP_GET,          // obj key -> obj[key]
    OP_GETK,         // obj -> obj[literal[arg]]
    OP_SET,          // obj key v -> v
    OP_NEWSLOT,      // obj key v -> v
    OP_NEWSLOTKEEP,  // obj key v -> obj
    OP_NEWMEMBER,    // class attrs key v -> class   (a: static)
    OP_DELETE,       // obj key -> old value
    OP_ADD,
    OP_SUB,
    OP_MUL,
    OP_DIV,
    OP_MOD,
    OP_BITAND,
    OP_BITOR,
    OP_BITXOR,
    OP_SHL,
    OP_SHR,
    OP_USHR,
    OP_EQ,
    OP_NE,
    OP_LT,
    OP_LE,
    OP_GT,
    OP_GE,
    OP_CMP3,
    OP_IN,           // key obj -> bool
    OP_INSTANCEOF,   // inst class -> bool
    OP_UNM,
    OP_NOT,
    OP_BITNOT,
    OP_TYPEOF,
    OP_CLONE,
    OP_JMP,          // pc += arg
    OP_JZ,           // v -> ; jump when false
    OP_JNZ,          // v -> ; jump when true
    OP_AND,          // v -> v (jump when false) | v -> (go on)
    OP_OR,           // v -> v (jump when true) | v -> (go on)
    OP_PREPCALL,     // obj key -> func this   (a: 1 = keep the frame's this, for base.f())
    OP_PREPCALLK,    // obj -> func obj
    OP_PREPCALLENV,  // -> func this
    OP_CALL,         // func this args(arg) -> result
    OP_TAILCALL,     // as OP_CALL, followed by the OP_RETURN of its result
    OP_RETURN,       // a: 1 = return top, 0 = null
    OP_NEWTABLE,     // -> {}
    OP_NEWARRAY,     // v1..vn(arg) -> array   (a: 1 = array v1..vn -> array, appended)
    OP_CLOSURE,      // [env] defaults(c) -> closure of function[arg] (a: 1 = bound to env)
    OP_NEWCLASS,     // [base] [attrs] -> class   (a: bit 0 base, bit 1 attrs)
    OP_INCLOCAL,     // -> new or old value of slot[c] (a: 1 postfix, 2 no result; arg delta)
    OP_INCOUTER,     // -> new or old value of outer[c]
    OP_INCENV,       // -> (c: literal index)
    OP_INCFIELD,     // obj key -> new or old value
    OP_PUSHTRAP,     // handler at pc + arg
    OP_POPTRAP,      // arg traps removed
    OP_THROW,        // v ->
    OP_FOREACH,      // slots c..c+3 = container, iterator, key, value; jump arg when done
    OP_CLOSE,        // close outers at slots >= arg
    OP_YIELD,        // a: 1 = yield top
    OP_RESUME,       // generator -> value
    OP_LINE,         // debug hook line event, arg = line
    // Fused forms made by the emitter's peephole (a: the binary opcode applied).
    OP_ARITHK,       // v -> v op arg
    OP_ARITHLK,      // -> slot[c] op arg
    OP_ARITHLL,      // -> slot[c] op slot[arg]
    OP_ARITHL,       // v -> slot[c] op v
    OP_LOCALARITH,   // v -> slot[c] op= v (arg 1: no result pushed)
    // The conditional jumps below jump when the comparison is false, or when it is true
    // if a has the kJumpWhenTrue bit.
    OP_JCMP,         // x y -> ; jump arg2 unless x op y
    OP_JCMPK,        // x -> ; jump arg2 unless x op arg
    OP_JCMPLK,       // jump arg2 unless slot[c] op arg
    OP_JCMPLL,       // jump arg2 unless slot[c] op slot[arg]
    OP_JCMPL,        // x -> ; jump arg2 unless slot[c] op x
    OP_STEPJCMPLK,   // slot[c] += 1 (-1 with kStepDown), then as OP_JCMPLK: a counting loop's step and test
};

constexpr uint8_t kJumpWhenTrue = 0x80;
constexpr uint8_t kStepDown = 0x40;

struct SQInstruction {
    uint8_t op;
    uint8_t a;
    uint16_t c;
    int32_t arg;
    int32_t arg2;
};
