#pragma once

#include "squirrel/sqobject.h"
#include "squirrel/sqopcodes.h"

#include <vector>

struct SQSharedState;

constexpr SQInteger kMaxNestedCalls = 200;
// Extra nesting the error handler may use, so that an error at the limit is still reported.
constexpr SQInteger kErrorHandlerNesting = 8;
constexpr SQInteger kMaxCallDepth = 16000;
constexpr SQInteger kNativeStackRoom = 1024;
constexpr SQInteger kInitialStackSlots = 4096;

// What a returning script frame does with its result, when it is not the plain result of a
// call: the interpreter runs constructors and metamethods as frames of its own loop.
enum class SQFrameResult : uint8_t {
    Value,       // the result replaces the callee in its slot
    Metamethod,  // as Value, for an operator's metamethod
    Instance,    // a constructor: the slot gets `this`, the new instance
    Compare,   // a _cmp: the caller's comparison instruction finishes with it
    // A _get or _set called with a copy of the key below the callee (and for _set a copy
    // of the assigned value below that): a _get's result replaces the key copy, a _set's is
    // dropped. Null thrown out of the frame is a clean miss, an index error of that key.
    Get,
    Set,
    // A _tostring of an instance joined with a string by `+`, called above the operands: its
    // text replaces the instance (the left or the right operand), and the join goes on.
    TextLeft,
    TextRight,
    // An instance's _nexti called by foreach: null ends the loop, else the loop takes the
    // index as key and iterator, and the instance's value there.
    Nexti,
    // A generator resumed by foreach: what it yields is the loop's next value, its return
    // ends the loop. Like a plain call, it may suspend the thread that runs it.
    ForeachStep,
};

struct SQCallInfo {
    const SQInstruction* ip = nullptr;
    SQObjectPtr* base = nullptr;  // slot 0 (`this`); the callee sits just below
    SQClosure* closure = nullptr;  // null for a native frame
    SQNativeClosure* native = nullptr;
    SQGenerator* generator = nullptr;
    bool root = false;  // returning from this frame leaves Execute
    SQFrameResult result = SQFrameResult::Value;
};

// The text of a value as print shows it, without making a string object for a number.
struct SQText {
    const SQChar* text = nullptr;
    SQInteger len = 0;
    char digits[64];
    SQObjectPtr held;  // the string made by a _tostring or for other types
};

struct SQExceptionTrap {
    size_t depth;  // index of the frame that set the trap
    SQObjectPtr* sp;
    const SQInstruction* ip;
};

// One thread of execution. Its value stack is allocated once and never moves, so frames
// and open outers may point into it.
// The stack's memory is reserved whole, but its slots are made as calls reach them: a deep
// stack then costs nothing until it is used (untouched pages are never faulted in).
struct SQVM : SQRefCounted {
    SQSharedState* _ss = nullptr;
    SQObjectPtr* _stack = nullptr;
    SQInteger _stacksize = 0;  // slots made so far
    SQInteger _stackcapacity = 0;  // slots reserved
    SQInteger _top = 0;
    SQInteger _stackbase = 0;
    SQVector<SQCallInfo> _calls;  // reserved whole, so that frames never move
    std::vector<SQExceptionTrap> _traps;
    SQObjectPtr _roottable;
    SQObjectPtr _outOfRange;
    SQObjectPtr _lasterror;
    SQObjectPtr _errorhandler;
    SQObjectPtr _debughook;
    SQDEBUGHOOK _nativedebughook = nullptr;
    SQOuter* _openouters = nullptr;
    SQUserPointer _foreignptr = nullptr;
    SQInteger _nestedcalls = 0;
    SQInteger _maxNestedCalls = kMaxNestedCalls;
    bool _errorNotified = false;
    bool _inDebugHook = false;
    // Set by a native debug hook to end the running script with an error at its next line
    // event (how a host bounds the work of untrusted scripts).
    bool _stopRequest = false;
    bool _isThread = false;
    bool _suspended = false;
    bool _suspendRequest = false;
    bool _wakeupThrow = false;  // the next wakeup raises _lasterror where the thread suspended
    // The call the script loop is about to make: its arguments (`this` included) and what its
    // frame does with the result. Kept here rather than in the loop's registers.
    SQInteger _callArgs = 0;
    SQFrameResult _callResult = SQFrameResult::Value;
    SQObjectPtr _suspendValue;
    SQInteger _suspendedTop = 0;
    size_t _suspendedEntry = 0;

    // The stack holds at least `minimum` slots: deep enough for thousands of nested script
    // calls in the main VM, smaller for threads.
    static SQVM* Create(SQSharedState* ss, SQInteger stacksize, SQInteger minimum);
    ~SQVM() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    void DetachOuters() override { CloseOuters(_stack, true); }

    // stack helpers for the API
    // A host's index outside the stack reads a scratch null instead of memory around it.
    SQObjectPtr& StackAt(SQInteger idx) {
        SQInteger abs = idx > 0 ? _stackbase + idx - 1 : _top + idx;
        if (abs < 0 || abs >= _stacksize) {
            _outOfRange.Null();
            return _outOfRange;
        }
        return _stack[abs];
    }
    SQObjectPtr& Top() { return _stack[_top - 1]; }
    // Pushes beyond the stack's end are dropped; frames keep kNativeStackRoom free for natives.
    void Push(const SQObject& o) {
        if (_top < _stacksize || GrowStack(_top + 1)) _stack[_top++] = o;
    }
    void PushNull() {
        if (_top < _stacksize || GrowStack(_top + 1)) _stack[_top++].Null();
    }
    void PushInteger(SQInteger n) {
        if (_top < _stacksize || GrowStack(_top + 1)) _stack[_top++].SetInteger(n);
    }
    void Pop() {
        if (_top > _stackbase) _stack[--_top].Null();
    }
    void Pop(SQInteger n) {
        while (n-- > 0) Pop();
    }
    bool HasRoom(SQInteger n) { return _top + n < _stacksize || GrowStack(_top + n + 1); }
    // Makes the slots below `slots`; false when that is beyond the reserved stack.
    bool GrowStack(SQInteger slots);

    // Calls a closure, native closure or callable object; the arguments (with `this` first)
    // are the nargs values at stackbase.
    bool Call(const SQObject& callee, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret, bool raiseerror);
    bool CallMetaMethod(const SQObject& mm, const SQObject& self, SQInteger nargs, const SQObject* args,
                        SQObjectPtr& ret);
    bool Execute(SQClosure* closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret, bool raiseerror,
                 SQGenerator* resume = nullptr);
    // The caller keeps nc alive through the call.
    // allowSuspend: the native runs straight from a thread's outermost script loop, so that a
    // suspension (SQ_SUSPEND_FLAG) can keep the thread's frames and return to its caller.
    bool CallNative(SQNativeClosure* nc, SQInteger nargs, SQObjectPtr* base, SQObjectPtr& ret,
                    bool allowSuspend = false);
    // Continues a suspended thread; `value` becomes the result of the call that suspended it.
    // With throwError the call that suspended raises _lasterror instead of returning.
    bool WakeUp(const SQObject& value, SQObjectPtr& ret, bool raiseerror, bool throwError = false);

    // object operations (false after an error has been raised)
    bool Get(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool fromThis = false);
    bool Set(const SQObject& self, const SQObject& key, const SQObject& val, bool fromThis = false);
    bool NewSlot(const SQObject& self, const SQObject& key, const SQObject& val, bool isStatic);
    bool DeleteSlot(const SQObject& self, const SQObject& key, SQObjectPtr& old);
    bool RawSet(const SQObject& self, const SQObject& key, const SQObject& val);
    bool Arith(SQOpcode op, const SQObject& a, const SQObject& b, SQObjectPtr& dest);
    bool Unary(SQOpcode op, const SQObject& a, SQObjectPtr& dest);
    // Any binary operator, comparisons included (bool result; an integer for <=>).
    bool BinaryOp(uint8_t op, const SQObject& a, const SQObject& b, SQObjectPtr& dest);
    bool CompareOp(uint8_t op, const SQObject& a, const SQObject& b, bool& result);
    bool ObjCmp(const SQObject& a, const SQObject& b, SQInteger& result);
    bool IsEqual(const SQObject& a, const SQObject& b);
    bool ToString(const SQObject& o, SQObjectPtr& dest);
    bool TextOf(const SQObject& o, SQText& text);
    bool TypeOf(const SQObject& o, SQObjectPtr& dest);
    bool Clone(const SQObject& o, SQObjectPtr& dest);
    bool InKey(const SQObject& obj, const SQObject& key, bool& found);
    // Iteration step shared by foreach and sq_next: -1 at the end.
    bool Next(const SQObject& container, SQObjectPtr& iterator, SQObjectPtr& key, SQObjectPtr& val, bool& done);
    bool CreateClassInstance(SQClass* c, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret);
    bool Resume(SQGenerator* gen, SQObjectPtr& ret);
    bool GetMetaMethod(const SQObject& o, SQMetaMethod mm, SQObjectPtr& closure);

    // errors
    bool RaiseError(const SQChar* fmt, ...) __attribute__((format(printf, 2, 3)));
    bool RaiseErrorObject(const SQObject& o);
    bool RaiseIndexError(const SQObject& key);
    bool RaiseCompareError(const SQObject& a, const SQObject& b);
    bool RaiseParamTypeError(SQInteger param, SQInteger expected, SQObjectType got);
    void CallErrorHandler(const SQObject& error);
    const SQChar* ObjectText(const SQObject& o);

    bool HasDebugHook() const { return !_inDebugHook && (_nativedebughook || _debughook._type != OT_NULL); }
    // Reports a 'c'all, 'r'eturn or 'l'ine event of a script function to the debug hook.
    void CallDebugHook(SQInteger type, SQClosure* closure, SQInteger line);
    // Closes the open outers on slots at or above `from`; keepValues false only detaches them.
    void CloseOuters(SQObjectPtr* from, bool keepValues = true);
    bool EnterFrame(SQClosure* closure, SQObjectPtr* base, SQInteger nargs, SQObjectPtr*& sp);
    // The frame of a script call made from the script loop.
    SQCallInfo* PushFrame(SQClosure* closure, SQObjectPtr* base, SQFrameResult result) {
        SQCallInfo& frame = _calls.emplace_back();
        frame.base = base;
        frame.closure = closure;
        frame.result = result;
        return &frame;
    }
    SQObjectPtr MakeGenerator(SQClosure* closure, SQObjectPtr* base, SQObjectPtr* sp);
    SQObjectPtr* RestoreGenerator(SQGenerator* g, SQObjectPtr* base);
    void SaveGenerator(SQGenerator* g, SQObjectPtr* base, SQObjectPtr* sp, const SQInstruction* ip);
    bool CanResume(SQGenerator* g, SQObjectPtr* base);
    // Drops the frames at and above `depth`; generators running in them die.
    void DropFrames(size_t depth);
    void PopTo(SQInteger from) {
        while (_top > from) _stack[--_top].Null();
    }
    SQOuter* FindOuter(SQObjectPtr* slot);
};

SQString* sqPrintObject(SQSharedState* ss, const SQObject& o);
const SQChar* sqRawTypeName(const SQObject& o);
