#include "squirrel/sqdelegates.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqbaselib.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

// Calls the closure at index 1 with `this` and arguments taken from the stack (from index 2).
static SQInteger CallWith(HSQUIRRELVM v, bool raiseerror) {
    SQObjectPtr fn = v->StackAt(1), ret;
    SQInteger nargs = sq_gettop(v) - 1;
    SQInteger base = v->_top;
    for (SQInteger i = 0; i < nargs; ++i) v->Push(v->StackAt(2 + i));
    if (!v->Call(fn, nargs, base, ret, raiseerror)) return SQ_ERROR;
    v->Push(ret);
    return 1;
}

static SQInteger ClosureCall(HSQUIRRELVM v) { return CallWith(v, true); }
static SQInteger ClosurePCall(HSQUIRRELVM v) { return CallWith(v, false); }

static SQInteger ArrayCall(HSQUIRRELVM v, bool raiseerror) {
    SQObjectPtr fn = v->StackAt(1), args = v->StackAt(2), ret;
    auto& values = _array(args)->_values;
    if (values.empty()) return sq_throwerror(v, "wrong number of parameters");
    if (!v->HasRoom((SQInteger)values.size() + 2)) return sq_throwerror(v, "stack overflow");
    SQInteger base = v->_top;
    for (const SQObjectPtr& a : values) v->Push(a);
    if (!v->Call(fn, (SQInteger)values.size(), base, ret, raiseerror)) return SQ_ERROR;
    v->Push(ret);
    return 1;
}

static SQInteger ClosureACall(HSQUIRRELVM v) { return ArrayCall(v, true); }
static SQInteger ClosurePACall(HSQUIRRELVM v) { return ArrayCall(v, false); }

static SQInteger ClosureBindEnv(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_bindenv(v, 1)) ? 1 : SQ_ERROR; }

static void SetSlot(HSQUIRRELVM v, SQTable* t, const char* key, const SQObject& value) {
    t->NewSlot(SQObjectPtr(v->_ss->String(key)), value);
}

static SQInteger ClosureGetInfos(HSQUIRRELVM v) {
    SQObjectPtr fn = v->StackAt(1);
    SQTable* t = SQTable::Create(v->_ss);
    SQObjectPtr result(t);
    if (fn._type == OT_CLOSURE) {
        SQFunctionProto* f = _closure(fn)->_function;
        SQArray* params = SQArray::Create(v->_ss, 0);
        SQObjectPtr paramsObj(params);
        for (const SQObjectPtr& p : f->_parameters) params->_values.push_back(p);
        if (f->_varparams) params->_values.push_back(SQObjectPtr(v->_ss->String("...")));
        SQArray* defaults = SQArray::Create(v->_ss, 0);
        SQObjectPtr defaultsObj(defaults);
        defaults->_values = _closure(fn)->_defaultparams;
        SetSlot(v, t, "native", SQObjectPtr::Bool(false));
        SetSlot(v, t, "name", f->_name);
        SetSlot(v, t, "src", f->_sourcename);
        SetSlot(v, t, "parameters", paramsObj);
        SetSlot(v, t, "defparams", defaultsObj);
        SetSlot(v, t, "varargs", SQObjectPtr((SQInteger)(f->_varparams ? 1 : 0)));
    } else {
        SQNativeClosure* nc = _nativeclosure(fn);
        SQArray* masks = SQArray::Create(v->_ss, 0);
        SQObjectPtr masksObj(masks);
        for (SQInteger m : nc->_typecheck) masks->_values.push_back(SQObjectPtr(m));
        SetSlot(v, t, "native", SQObjectPtr::Bool(true));
        SetSlot(v, t, "name", nc->_name);
        SetSlot(v, t, "paramscheck", SQObjectPtr(nc->_nparamscheck));
        SetSlot(v, t, "typecheck", masksObj);
    }
    v->Push(result);
    return 1;
}

const SQRegFunction sqClosureDelegate[] = {
    {"call", ClosureCall, -2, "c"},
    {"pcall", ClosurePCall, -2, "c"},
    {"acall", ClosureACall, 2, "ca"},
    {"pacall", ClosurePACall, 2, "ca"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {"bindenv", ClosureBindEnv, 2, "c x|y|t"},
    {"getinfos", ClosureGetInfos, 1, "c"},
    {nullptr, nullptr, 0, nullptr}};

static SQInteger GeneratorGetStatus(HSQUIRRELVM v) {
    switch (_generator(v->StackAt(1))->_state) {
    case SQGeneratorState::Running: sq_pushstring(v, "running", -1); break;
    case SQGeneratorState::Suspended: sq_pushstring(v, "suspended", -1); break;
    case SQGeneratorState::Dead: sq_pushstring(v, "dead", -1); break;
    }
    return 1;
}

const SQRegFunction sqGeneratorDelegate[] = {
    {"getstatus", GeneratorGetStatus, 1, "g"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {nullptr, nullptr, 0, nullptr}};

static const SQInteger kMaxThreadNesting = 64;

// Runs `run` on a thread and pushes what it returned or suspended with. Errors are raised
// in the calling VM, whose try blocks and error handler then apply.
template <typename Run>
static SQInteger RunThread(HSQUIRRELVM v, SQVM* thread, Run run) {
    if (v->_ss->_threadNesting >= kMaxThreadNesting) return sq_throwerror(v, "stack overflow");
    ++v->_ss->_threadNesting;
    SQObjectPtr keep(thread), ret;
    bool ok = run(ret);
    --v->_ss->_threadNesting;
    if (!ok) {
        v->RaiseErrorObject(thread->_lasterror);
        return SQ_ERROR;
    }
    v->Push(ret);
    return 1;
}

static SQInteger ThreadCall(HSQUIRRELVM v) {
    SQVM* thread = _thread(v->StackAt(1));
    if (!thread->_calls.empty() && !thread->_suspended) return sq_throwerror(v, "attempt to call 'thread'");
    if (thread->_suspended) return sq_throwerror(v, "wrong status");
    SQObjectPtr fn = thread->_stack[0];
    if (thread->_top < 1 || (fn._type != OT_CLOSURE && fn._type != OT_NATIVECLOSURE)) {
        return sq_throwerror(v, "the thread has no function");
    }
    SQInteger nargs = sq_gettop(v) - 1;
    thread->PopTo(1);
    thread->Push(thread->_roottable);
    for (SQInteger i = 0; i < nargs; ++i) thread->Push(v->StackAt(2 + i));
    return RunThread(v, thread, [&](SQObjectPtr& ret) { return thread->Call(fn, nargs + 1, 1, ret, false); });
}

static SQInteger ThreadWakeUp(HSQUIRRELVM v) {
    SQVM* thread = _thread(v->StackAt(1));
    if (!thread->_suspended) {
        return sq_throwerror(v, thread->_calls.empty() ? "cannot wakeup a idle thread"
                                                       : "cannot wakeup a running thread");
    }
    SQObjectPtr value;
    if (sq_gettop(v) > 1) value = v->StackAt(2);
    return RunThread(v, thread, [&](SQObjectPtr& ret) { return thread->WakeUp(value, ret, false); });
}

static SQInteger ThreadGetStatus(HSQUIRRELVM v) {
    SQVM* thread = _thread(v->StackAt(1));
    const char* status = thread->_suspended ? "suspended" : (thread->_calls.empty() ? "idle" : "running");
    sq_pushstring(v, status, -1);
    return 1;
}

static SQInteger ThreadGetStackInfos(HSQUIRRELVM v) {
    SQInteger level = 0;
    sq_getinteger(v, 2, &level);
    return sqPushStackInfos(v, _thread(v->StackAt(1)), level);
}

const SQRegFunction sqThreadDelegate[] = {
    {"call", ThreadCall, -1, "v"},
    {"wakeup", ThreadWakeUp, -1, "v"},
    {"getstatus", ThreadGetStatus, 1, "v"},
    {"getstackinfos", ThreadGetStackInfos, 2, "vn"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {nullptr, nullptr, 0, nullptr}};

static SQInteger ClassGetAttributes(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getattributes(v, 1)) ? 1 : SQ_ERROR; }
static SQInteger ClassSetAttributes(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_setattributes(v, 1)) ? 1 : SQ_ERROR; }

static SQInteger ClassInstance(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_createinstance(v, 1)) ? 1 : SQ_ERROR; }

static SQInteger ClassGetBase(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getbase(v, 1)) ? 1 : SQ_ERROR; }

static SQInteger NewMember(HSQUIRRELVM v, bool raw) {
    SQObjectPtr self = v->StackAt(1), key = v->StackAt(2), val = v->StackAt(3), attrs;
    SQInteger top = sq_gettop(v);
    if (top > 3) attrs = v->StackAt(4);
    bool isStatic = top > 4 && !sqIsFalse(v->StackAt(5));
    SQClass* c = _class(self);
    const SQObjectPtr& mm = c->_metamethods[MT_NEWMEMBER];
    if (!raw && mm._type != OT_NULL) {
        SQObjectPtr args[4] = {key, val, attrs, SQObjectPtr::Bool(isStatic)}, dummy;
        SQObjectPtr fn = mm;
        return v->CallMetaMethod(fn, self, 4, args, dummy) ? 0 : SQ_ERROR;
    }
    if (!v->NewSlot(self, key, val, isStatic)) return SQ_ERROR;
    if (attrs._type != OT_NULL) c->SetMemberAttributes(key, attrs);
    return 0;
}

static SQInteger ClassNewMember(HSQUIRRELVM v) { return NewMember(v, false); }
static SQInteger ClassRawNewMember(HSQUIRRELVM v) { return NewMember(v, true); }

const SQRegFunction sqClassDelegate[] = {
    {"getattributes", ClassGetAttributes, 2, "y."},
    {"setattributes", ClassSetAttributes, 3, "y.."},
    {"rawin", sqDelegateRawIn, 2, "y"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {"rawget", sqDelegateRawGet, 2, "y"},
    {"rawset", sqDelegateRawSet, 3, "y"},
    {"instance", ClassInstance, 1, "y"},
    {"getbase", ClassGetBase, 1, "y"},
    {"newmember", ClassNewMember, -3, "y"},
    {"rawnewmember", ClassRawNewMember, -3, "y"},
    {nullptr, nullptr, 0, nullptr}};

static SQInteger InstanceGetClass(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getclass(v, 1)) ? 1 : SQ_ERROR; }

const SQRegFunction sqInstanceDelegate[] = {
    {"getclass", InstanceGetClass, 1, "x"},
    {"rawin", sqDelegateRawIn, 2, "x"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {"rawget", sqDelegateRawGet, 2, "x"},
    {"rawset", sqDelegateRawSet, 3, "x"},
    {nullptr, nullptr, 0, nullptr}};

static SQInteger WeakRefRef(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getweakrefval(v, 1)) ? 1 : SQ_ERROR; }

const SQRegFunction sqWeakRefDelegate[] = {
    {"ref", WeakRefRef, 1, "r"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {nullptr, nullptr, 0, nullptr}};
