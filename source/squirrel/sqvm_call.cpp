#include "squirrel/sqvm.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"

#include <cstdarg>
#include <cstdio>
#include <string>

bool SQVM::RaiseError(const SQChar* fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof(buf), fmt, args);
    va_end(args);
    _lasterror = SQObjectPtr(_ss->String(buf));
    _errorNotified = false;
    return false;
}

bool SQVM::RaiseErrorObject(const SQObject& o) {
    _lasterror = o;
    _errorNotified = false;
    return false;
}

bool SQVM::RaiseIndexError(const SQObject& key) {
    if (key._type == OT_STRING) return RaiseError("the index '%.400s' does not exist", _string(key)->_val);
    if (key._type == OT_INTEGER) return RaiseError("the index '%d' does not exist", _integer(key));
    return RaiseError("the index '%s' does not exist", ObjectText(key));
}

bool SQVM::RaiseCompareError(const SQObject& a, const SQObject& b) {
    return RaiseError("comparison between '%s' and '%s'", sqRawTypeName(a), sqRawTypeName(b));
}

bool SQVM::RaiseParamTypeError(SQInteger param, SQInteger expected, SQObjectType got) {
    std::string names;
    for (int bit = 0; bit < 18; ++bit) {
        SQInteger mask = 1 << bit;
        if (!(expected & mask)) continue;
        static const SQObjectType kTypes[] = {OT_NULL, OT_INTEGER, OT_FLOAT, OT_BOOL, OT_STRING, OT_TABLE,
                                              OT_ARRAY, OT_USERDATA, OT_CLOSURE, OT_NATIVECLOSURE,
                                              OT_GENERATOR, OT_USERPOINTER, OT_THREAD, OT_FUNCPROTO,
                                              OT_CLASS, OT_INSTANCE, OT_WEAKREF, OT_OUTER};
        if (mask == _RT_NATIVECLOSURE && (expected & _RT_CLOSURE)) continue;
        if (!names.empty()) names += "|";
        names += sqTypeName(kTypes[bit]);
    }
    return RaiseError("parameter %d has an invalid type '%s' ; expected: '%s'", param, sqTypeName(got),
                      names.c_str());
}

void SQVM::CallErrorHandler(const SQObject& error) {
    _errorNotified = true;
    if (_errorhandler._type != OT_CLOSURE && _errorhandler._type != OT_NATIVECLOSURE) return;
    if (!HasRoom(3)) return;
    SQObjectPtr handler = _errorhandler, err(error), dummy;
    SQObjectPtr saved = _lasterror;
    SQInteger base = _top;
    Push(_roottable);
    Push(err);
    SQInteger savedLimit = _maxNestedCalls;
    _maxNestedCalls = kMaxNestedCalls + kErrorHandlerNesting;
    Call(handler, 2, base, dummy, false);
    _maxNestedCalls = savedLimit;
    _lasterror = saved;
    _errorNotified = true;
}

bool SQVM::CallMetaMethod(const SQObject& mm, const SQObject& self, SQInteger nargs, const SQObject* args,
                          SQObjectPtr& ret) {
    if (!HasRoom(nargs + 2)) return RaiseError("stack overflow");
    SQObjectPtr callee(mm);
    SQInteger base = _top;
    Push(self);
    for (SQInteger i = 0; i < nargs; ++i) Push(args[i]);
    return Call(callee, nargs + 1, base, ret, false);
}

bool SQVM::Call(const SQObject& calleeRef, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret, bool raiseerror) {
    SQObjectPtr callee(calleeRef);
    bool ok;
    switch (callee._type) {
    case OT_CLOSURE: return Execute(_closure(callee), nargs, stackbase, ret, raiseerror);
    case OT_NATIVECLOSURE:
        ok = CallNative(_nativeclosure(callee), nargs, &_stack[stackbase], ret);
        PopTo(stackbase);
        break;
    case OT_CLASS: ok = CreateClassInstance(_class(callee), nargs, stackbase, ret); break;
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA: {
        SQObjectPtr mm;
        if (GetMetaMethod(callee, MT_CALL, mm)) {
            if (!HasRoom(1)) {
                ok = RaiseError("stack overflow");
                break;
            }
            for (SQInteger i = _top; i > stackbase; --i) _stack[i] = std::move(_stack[i - 1]);
            ++_top;
            _stack[stackbase] = callee;
            return Call(mm, nargs + 1, stackbase, ret, raiseerror);
        }
        ok = RaiseError("attempt to call '%s'", sqRawTypeName(callee));
        break;
    }
    default: ok = RaiseError("attempt to call '%s'", sqRawTypeName(callee)); break;
    }
    if (!ok) {
        PopTo(stackbase);
        if (raiseerror && !_errorNotified) CallErrorHandler(_lasterror);
    }
    return ok;
}

bool SQVM::CreateClassInstance(SQClass* c, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret) {
    SQObjectPtr inst(SQInstance::Create(_ss, c));
    if (c->_constructor._type != OT_NULL) {
        _stack[stackbase] = inst;
        SQObjectPtr dummy;
        SQObjectPtr ctor = c->_constructor;
        if (!Call(ctor, nargs, stackbase, dummy, false)) return false;
    } else {
        PopTo(stackbase);
    }
    ret = inst;
    return true;
}

static bool CheckParams(SQVM* v, SQNativeClosure* nc, SQInteger nargs, SQObjectPtr* base) {
    SQInteger check = nc->_nparamscheck;
    if ((check > 0 && nargs != check) || (check < 0 && nargs < -check)) {
        return v->RaiseError("wrong number of parameters");
    }
    size_t n = nc->_typecheck.size();
    for (size_t i = 0; i < n && (SQInteger)i < nargs; ++i) {
        SQInteger mask = nc->_typecheck[i];
        if (mask != -1 && !(base[i]._type & mask)) return v->RaiseParamTypeError((SQInteger)i, mask, base[i]._type);
    }
    return true;
}

bool SQVM::CallNative(SQNativeClosure* nc, SQInteger nargs, SQObjectPtr* base, SQObjectPtr& ret,
                      bool allowSuspend) {
    if (_nestedcalls >= _maxNestedCalls || _calls.size() >= _calls.capacity() - 1) {
        return RaiseError("stack overflow");
    }
    SQInteger nouters = (SQInteger)nc->_outers.size();
    if (!HasRoom(nouters + kNativeStackRoom / 2)) return RaiseError("stack overflow");
    if (!CheckParams(this, nc, nargs, base)) return false;
    if (nc->_env) base[0] = nc->_env->_obj;
    SQInteger newbase = base - _stack;
    _top = newbase + nargs;
    for (SQInteger i = 0; i < nouters; ++i) Push(nc->_outers[(size_t)i]);
    SQInteger savedbase = _stackbase;
    _stackbase = newbase;
    SQCallInfo ci;
    ci.base = base;
    ci.native = nc;
    _calls.push_back(ci);
    ++_nestedcalls;
    SQInteger r = nc->_function(this);
    --_nestedcalls;
    _calls.pop_back();
    _stackbase = savedbase;
    if (r < 0 && r != SQ_SUSPEND_FLAG) {
        PopTo(newbase);
        return false;
    }
    // Constructors and metamethods run as frames of the script loop, but a thread cannot
    // suspend inside them, as it could not when they were calls of their own. Generators
    // that foreach resumes are plain frames in this.
    if (r == SQ_SUSPEND_FLAG && allowSuspend) {
        for (const SQCallInfo& frame : _calls) {
            if (frame.result != SQFrameResult::Value && frame.result != SQFrameResult::ForeachStep) {
                allowSuspend = false;
            }
        }
    }
    if (r == SQ_SUSPEND_FLAG && !allowSuspend && _isThread) {
        PopTo(newbase);
        return RaiseError("cannot suspend through native calls or metamethods");
    }
    if (r == SQ_SUSPEND_FLAG) {
        // The value handed to the thread's caller: what the native pushed, else its argument.
        ret.Null();
        if (allowSuspend) {
            _suspendRequest = true;
            if (_top > newbase + nargs + nouters) {
                _suspendValue = _stack[_top - 1];
            } else if (nargs >= 2) {
                _suspendValue = base[1];
            } else {
                _suspendValue.Null();
            }
        }
    } else if (r > 0 && _top > newbase) {
        ret = _stack[_top - 1];
    } else {
        ret.Null();
    }
    PopTo(newbase);
    return true;
}

bool SQVM::WakeUp(const SQObject& value, SQObjectPtr& ret, bool raiseerror, bool throwError) {
    if (!_suspended) return RaiseError("wakeup on a thread that is not suspended");
    _suspended = false;
    _stack[_suspendedTop - 1] = value;
    _wakeupThrow = throwError;
    if (throwError) _errorNotified = false;
    return Execute(nullptr, 0, 0, ret, raiseerror);
}

bool SQVM::Resume(SQGenerator* gen, SQObjectPtr& ret) {
    if (!CanResume(gen, _stack + _top)) return false;
    SQObjectPtr keep(gen);
    SQInteger base = _top;
    return Execute(_closure(gen->_closure), 0, base, ret, false, gen);
}

void SQVM::CallDebugHook(SQInteger type, SQClosure* closure, SQInteger line) {
    SQFunctionProto* f = closure->_function;
    const SQChar* src = f->_sourcename._type == OT_STRING ? _string(f->_sourcename)->_val : nullptr;
    const SQChar* name = f->_name._type == OT_STRING ? _string(f->_name)->_val : nullptr;
    _inDebugHook = true;
    SQObjectPtr savedError = _lasterror;
    if (_nativedebughook) {
        _nativedebughook(this, type, src, line, name);
    } else if (HasRoom(8)) {
        SQObjectPtr hook = _debughook, dummy;
        SQObjectPtr args[4] = {SQObjectPtr(type), f->_sourcename, SQObjectPtr(line), f->_name};
        CallMetaMethod(hook, _roottable, 4, args, dummy);
    }
    _lasterror = savedError;
    _inDebugHook = false;
}
