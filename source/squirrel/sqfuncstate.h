#pragma once

#include "squirrel/sqfunction.h"

#include <vector>

struct SQTable;

struct SQCompiledLocal {
    SQObjectPtr name;
    SQInteger slot;
    SQInteger startpc;
    bool captured;
};

// Code emitter for one function being compiled. It tracks the depth of the value stack at
// every point: locals occupy the bottom slots in declaration order and temporaries sit
// above them, so each statement starts and ends with depth == number of locals.
class SQFuncState {
public:
    SQFuncState(SQSharedState* ss, SQFuncState* parent);
    ~SQFuncState();

    SQInteger Emit(SQOpcode op, SQInteger arg = 0, SQInteger a = 0, SQInteger c = 0);
    void EmitPop(SQInteger n);
    SQInteger PC() const { return (SQInteger)_proto->_code.size(); }
    // Patches the jump at `at` to land on `target`.
    void SetJump(SQInteger at, SQInteger target);
    void MarkTarget() { _lastTarget = PC(); }
    SQInteger EmitJump(SQOpcode op) { return Emit(op, 0); }
    // Emits a binary operator, folding constant and local operands into fused forms.
    void EmitBinary(SQOpcode op);
    // Emits a binary operator whose left operand is the local in `slot`, read when the
    // operator runs (the right operand is on the stack).
    void EmitBinaryOnLocal(SQOpcode op, SQInteger slot);
    // Operators that have fused forms.
    static bool IsFoldable(SQOpcode op);
    // Emits "jump when false", folded into a preceding comparison when possible.
    SQInteger EmitJumpIfFalse() { return EmitConditionalJump(false); }
    SQInteger EmitJumpIfTrue() { return EmitConditionalJump(true); }
    void EmitJumpBack(SQOpcode op, SQInteger target) { SetJump(Emit(op, 0), target); }

    SQInteger Literal(const SQObject& value);
    SQInteger Literal(const char* s);
    SQInteger PushLocal(const SQObject& name);
    void PopLocals(SQInteger count);
    SQInteger FindLocal(const SQString* name) const;
    SQInteger FindOuter(const SQString* name);
    SQInteger Stack() const { return _stack; }
    void SetStack(SQInteger depth) { _stack = depth; }
    SQInteger LocalCount() const { return (SQInteger)_locals.size(); }
    bool AnyCapturedFrom(SQInteger localIndex) const;
    void SetLine(SQInteger line);
    void AddFunction(SQFunctionProto* f) { _proto->_functions.push_back(SQObjectPtr(f)); }
    SQFunctionProto* Finish();

    SQFuncState* _parent;
    SQFunctionProto* _proto;
    SQSharedState* _ss;
    std::vector<SQCompiledLocal> _locals;
    SQInteger _traps = 0;

private:
    void Adjust(SQInteger delta);
    bool CanFold(SQInteger count) const;
    SQInteger EmitConditionalJump(bool whenTrue);
    SQInteger _stack = 0;
    SQInteger _maxstack = 0;
    SQInteger _lastTarget = 0;
    SQInteger _line = 0;
    SQObjectPtr _literalIndex;
};
