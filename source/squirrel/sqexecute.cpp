#include "squirrel/sqvm.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"

// Binds the arguments at base (`this` first) to the parameters: missing trailing ones take
// their defaults, extra ones go to `vargv` when the function takes varargs.
bool SQVM::EnterFrame(SQClosure* closure, SQObjectPtr* base, SQInteger nargs, SQObjectPtr*& sp) {
    SQFunctionProto* f = closure->_function;
    SQInteger nparams = f->NumParams();
    SQInteger needed = (base - _stack) + f->_stacksize + kNativeStackRoom + 1;
    if ((needed > _stacksize && !GrowStack(needed)) || _calls.size() >= (size_t)kMaxCallDepth) {
        return RaiseError("stack overflow");
    }
    if (nargs < nparams) {
        SQInteger firstDefault = nparams - f->_ndefaults;
        if (nargs < firstDefault) return RaiseError("wrong number of parameters");
        for (SQInteger i = nargs; i < nparams; ++i) base[i] = closure->_defaultparams[(size_t)(i - firstDefault)];
    }
    if (f->_varparams) {
        SQInteger extra = nargs > nparams ? nargs - nparams : 0;
        SQArray* vargv = SQArray::Create(_ss, extra);
        for (SQInteger i = 0; i < extra; ++i) vargv->_values[(size_t)i] = std::move(base[nparams + i]);
        base[nparams] = SQObjectPtr(vargv);
        sp = base + nparams + 1;
    } else {
        if (nargs > nparams) return RaiseError("wrong number of parameters");
        sp = base + nparams;
    }
    // A bound environment that has died leaves `this` null.
    if (closure->_env) base[0] = closure->_env->_obj;
    return true;
}

// Moves the running generator's frame (slots base to sp, its traps and the outers on its slots)
// into the generator, which resumes at ip.
void SQVM::SaveGenerator(SQGenerator* g, SQObjectPtr* base, SQObjectPtr* sp, const SQInstruction* ip) {
    size_t depth = _calls.size() - 1;
    const SQInstruction* code = _closure(g->_closure)->_function->_code.data();
    size_t firstTrap = _traps.size();
    while (firstTrap > 0 && _traps[firstTrap - 1].depth == depth) --firstTrap;
    for (size_t t = firstTrap; t < _traps.size(); ++t) {
        g->_traps.push_back({(SQInteger)(_traps[t].sp - base), (SQInteger)(_traps[t].ip - code)});
    }
    _traps.resize(firstTrap);
    for (SQObjectPtr* p = base; p < sp; ++p) g->_stack.push_back(std::move(*p));
    // Outers on the frame's slots follow them into the generator.
    while (_openouters && _openouters->_valptr >= base) {
        SQOuter* o = _openouters;
        _openouters = o->_nextOpen;
        o->_nextOpen = nullptr;
        o->_stackindex = o->_valptr - base;
        o->_valptr = &g->_stack[(size_t)o->_stackindex];
        g->_outers.push_back(o);
    }
    g->_pc = ip - code;
    g->_state = SQGeneratorState::Suspended;
}

// Checks that a generator can resume and makes room for its frame at base; false after an error.
bool SQVM::CanResume(SQGenerator* g, SQObjectPtr* base) {
    if (g->_state == SQGeneratorState::Running) return RaiseError("resuming active generator");
    if (g->_state == SQGeneratorState::Dead) return RaiseError("resuming dead generator");
    SQInteger needed = (base - _stack) + (SQInteger)g->_stack.size() +
                       _closure(g->_closure)->_function->_stacksize + kNativeStackRoom + 1;
    if ((needed > _stacksize && !GrowStack(needed)) || _calls.size() >= (size_t)kMaxCallDepth) {
        return RaiseError("stack overflow");
    }
    return true;
}

// Puts a suspended generator's frame back on the stack at base, for the frame about to be
// pushed; answers the frame's stack top.
SQObjectPtr* SQVM::RestoreGenerator(SQGenerator* g, SQObjectPtr* base) {
    SQObjectPtr* sp = base;
    for (SQObjectPtr& v : g->_stack) *sp++ = std::move(v);
    for (SQOuter* o : g->_outers) {
        o->_valptr = base + o->_stackindex;
        SQOuter** link = &_openouters;
        while (*link && (*link)->_valptr > o->_valptr) link = &(*link)->_nextOpen;
        o->_nextOpen = *link;
        *link = o;
    }
    g->_outers.clear();
    g->_stack.clear();
    const SQInstruction* code = _closure(g->_closure)->_function->_code.data();
    for (const SQSavedTrap& t : g->_traps) _traps.push_back({_calls.size(), base + t.sp, code + t.pc});
    g->_traps.clear();
    g->_state = SQGeneratorState::Running;
    return sp;
}

// Called before the frames' slots are cleared: a generator may live only in the slot below
// its frame.
void SQVM::DropFrames(size_t depth) {
    for (size_t d = _calls.size(); d > depth; --d) {
        if (_calls[d - 1].generator) _calls[d - 1].generator->_state = SQGeneratorState::Dead;
    }
    _calls.resize(depth);
}

// EnterFrame for a call from the script loop, with the common case inline: the arguments match
// the parameters, no defaults or varargs, no bound environment, room on the stack.
[[gnu::always_inline]] static inline bool EnterCalledFrame(SQVM* v, SQClosure* c, SQObjectPtr* base, SQInteger nargs,
                                                          SQObjectPtr*& sp) {
    const SQFunctionProto* f = c->_function;
    if (nargs == f->NumParams() && !f->_varparams && !c->_env &&
        (base - v->_stack) + f->_stacksize + kNativeStackRoom + 1 <= v->_stacksize &&
        v->_calls.size() < (size_t)kMaxCallDepth) {
        sp = base + nargs;
        return true;
    }
    return v->EnterFrame(c, base, nargs, sp);
}

SQObjectPtr SQVM::MakeGenerator(SQClosure* closure, SQObjectPtr* base, SQObjectPtr* sp) {
    SQGenerator* g = SQGenerator::Create(_ss, closure);
    SQObjectPtr result(g);
    for (SQObjectPtr* p = base; p < sp; ++p) g->_stack.push_back(std::move(*p));
    return result;
}

static bool IsFalse(const SQObjectPtr& o) { return sqIsFalse(o); }

// The lookup cache of the instruction being run.
static inline SQLookupCache& CacheOf(const SQCallInfo* ci, const SQInstruction& i) {
    return ci->closure->_function->_lookupCaches[(size_t)i.arg2];
}

// The handle of a member of the class, -1 when it has none.
[[gnu::always_inline]] static inline SQInteger CachedMember(SQClass* c, const SQString* name, SQLookupCache& cache) {
    if (cache.layout != c->_layout) {
        SQObjectPtr* h = c->_members->FindString(name);
        cache.member = h ? _integer(*h) : -1;
        cache.layout = c->_layout;
    }
    return cache.member;
}

// A free name that no member of the instance's class holds: the root table's slot, when the
// class has no _get and the name is no default-delegate method. Null: take the slow path.
static SQObjectPtr* FindFromInstanceRoot(SQVM* v, SQInstance* inst, const SQString* name) {
    if (inst->_class->_metamethods[MT_GET]._type != OT_NULL) return nullptr;
    if (_table(v->_ss->_instanceDelegate)->FindString(name)) return nullptr;
    if (v->_roottable._type != OT_TABLE) return nullptr;
    return _table(v->_roottable)->FindString(name);
}

// Fast lookup of a free name from a method: the instance's members, then the root table.
[[gnu::always_inline]] static inline SQObjectPtr* FindFromInstance(SQVM* v, SQInstance* inst, const SQString* name,
                                                                  SQLookupCache& cache) {
    SQInteger h = CachedMember(inst->_class, name, cache);
    if (h >= 0) return &inst->Member(h);
    return FindFromInstanceRoot(v, inst, name);
}

// Runs a default-delegate method inline: args[0] is the receiver. False leaves the call to
// the native, for other receivers, argument counts and every error.
static inline bool RunIntrinsic(SQIntrinsic id, SQObjectPtr* args, SQInteger nargs, SQObjectPtr& result) {
    const SQObjectPtr& self = args[0];
    switch (id) {
    case SQIntrinsic::ArrayLen:
        if (nargs != 1 || self._type != OT_ARRAY) return false;
        result.SetInteger(_array(self)->Size());
        return true;
    case SQIntrinsic::ArrayAppend:
        if (nargs != 2 || self._type != OT_ARRAY) return false;
        _array(self)->_values.push_back(std::move(args[1]));
        result = self;
        return true;
    case SQIntrinsic::ArrayTop:
        if (nargs != 1 || self._type != OT_ARRAY || _array(self)->_values.empty()) return false;
        result = _array(self)->_values.back();
        return true;
    case SQIntrinsic::StringLen:
        if (nargs != 1 || self._type != OT_STRING) return false;
        result.SetInteger(_string(self)->_len);
        return true;
    case SQIntrinsic::TableLen:
        if (nargs != 1 || self._type != OT_TABLE) return false;
        result.SetInteger(_table(self)->Count());
        return true;
    default: return false;
    }
}

// A literal of the running function. Read through the frame rather than kept in a register:
// the loop has too few registers for every pointer it would like to keep.
static inline const SQObjectPtr& Literal(const SQCallInfo* ci, int32_t index) {
    return ci->closure->_function->_literals[(size_t)index];
}

[[gnu::always_inline]] static inline bool IntCompare(uint8_t op, SQInteger x, SQInteger y) {
    if (op == OP_LT) return x < y;  // the common case, tested before the jump table
    switch (op) {
    case OP_EQ: return x == y;
    case OP_NE: return x != y;
    case OP_LT: return x < y;
    case OP_LE: return x <= y;
    case OP_GT: return x > y;
    default: return x >= y;
    }
}

// Integer fast path of a binary operator; false leaves the case (and its errors) to the slow path.
[[gnu::always_inline]] static inline bool IntBinary(uint8_t op, SQInteger x, SQInteger y, SQObjectPtr& dest) {
    uint32_t ux = (uint32_t)x, uy = (uint32_t)y;
    if (op == OP_ADD) {  // the common case, tested before the jump table
        dest.SetInteger((SQInteger)(ux + uy));
        return true;
    }
    switch (op) {
    case OP_ADD: dest.SetInteger((SQInteger)(ux + uy)); return true;
    case OP_SUB: dest.SetInteger((SQInteger)(ux - uy)); return true;
    case OP_MUL: dest.SetInteger((SQInteger)(ux * uy)); return true;
    case OP_DIV:
        if (y == 0 || (y == -1 && x == INT32_MIN)) return false;
        dest.SetInteger(x / y);
        return true;
    case OP_MOD:
        if (y == 0 || (y == -1 && x == INT32_MIN)) return false;
        dest.SetInteger(x % y);
        return true;
    case OP_BITAND: dest.SetInteger(x & y); return true;
    case OP_BITOR: dest.SetInteger(x | y); return true;
    case OP_BITXOR: dest.SetInteger(x ^ y); return true;
    case OP_SHL: dest.SetInteger((SQInteger)(ux << (uy & 31))); return true;
    case OP_SHR: dest.SetInteger(x >> (uy & 31)); return true;
    case OP_USHR: dest.SetInteger((SQInteger)(ux >> (uy & 31))); return true;
    case OP_CMP3: dest.SetInteger(x < y ? -1 : (x > y ? 1 : 0)); return true;
    case OP_EQ:
    case OP_NE:
    case OP_LT:
    case OP_LE:
    case OP_GT:
    case OP_GE: dest.SetBool(IntCompare(op, x, y)); return true;
    default: return false;
    }
}

// Arithmetic and comparisons of two numbers when one is a float (the integer pair has its
// own path, and its errors). Comparisons go through the three-way result as the general comparison does,
// so NaN compares as it does there.
[[gnu::always_inline]] static inline bool FloatBinary(uint8_t op, const SQObject& a, const SQObject& b,
                                                       SQObjectPtr& dest) {
    if (!(a._type & SQOBJECT_NUMERIC) || !(b._type & SQOBJECT_NUMERIC)) return false;
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) return false;  // division by zero, say
    SQFloat x = sqToFloat(a), y = sqToFloat(b);
    int r = x < y ? -1 : (x > y ? 1 : 0);
    switch (op) {
    case OP_ADD: dest.SetFloat(x + y); return true;
    case OP_SUB: dest.SetFloat(x - y); return true;
    case OP_MUL: dest.SetFloat(x * y); return true;
    case OP_DIV: dest.SetFloat(x / y); return true;
    case OP_EQ: dest.SetBool(x == y); return true;
    case OP_NE: dest.SetBool(x != y); return true;
    case OP_LT: dest.SetBool(r < 0); return true;
    case OP_LE: dest.SetBool(r <= 0); return true;
    case OP_GT: dest.SetBool(r > 0); return true;
    case OP_GE: dest.SetBool(r >= 0); return true;
    case OP_CMP3: dest.SetInteger(r); return true;
    default: return false;
    }
}

// The metamethod of an instance on the left of an arithmetic or comparison operator, which
// the interpreter then runs as a frame of its own; null when there is none (or when `+`
// joins the instance's text with a string).
static inline const SQObjectPtr* OperatorMetaMethod(uint8_t op, const SQObject& a, SQObjectType rightType) {
    if (a._type != OT_INSTANCE) return nullptr;
    SQMetaMethod mm;
    switch (op) {
    case OP_ADD:
        if (rightType == OT_STRING) return nullptr;
        mm = MT_ADD;
        break;
    case OP_SUB: mm = MT_SUB; break;
    case OP_MUL: mm = MT_MUL; break;
    case OP_DIV: mm = MT_DIV; break;
    case OP_MOD: mm = MT_MODULO; break;
    case OP_LT:
    case OP_LE:
    case OP_GT:
    case OP_GE:
    case OP_CMP3: mm = MT_CMP; break;
    default: return nullptr;
    }
    const SQObjectPtr& m = _instance(a)->MetaMethod(mm);
    return m._type == OT_NULL ? nullptr : &m;
}

// The _tostring that a string joined with an instance needs, when it is a script function the
// interpreter can run as a frame of its own.
static inline const SQObjectPtr* TextMetaMethod(const SQObject& a, const SQObject& b) {
    const SQObject* inst;
    if (a._type == OT_STRING && b._type == OT_INSTANCE) {
        inst = &b;
    } else if (a._type == OT_INSTANCE && b._type == OT_STRING) {
        inst = &a;
    } else {
        return nullptr;
    }
    const SQObjectPtr& m = _instance(*inst)->MetaMethod(MT_TOSTRING);
    if (m._type != OT_CLOSURE || _closure(m)->_function->_generator) return nullptr;
    return &m;
}

// The _get or _set of an instance that the interpreter runs as a frame of its own: a script
// function, and for _get only when the key is no method of the instance's default delegate
// (those come first). Null when the general path must run it.
static inline const SQObjectPtr* LookupMetaMethod(SQVM* v, SQInstance* inst, SQMetaMethod mm, const SQObject& key) {
    const SQObjectPtr& m = inst->MetaMethod(mm);
    if (m._type != OT_CLOSURE || _closure(m)->_function->_generator) return nullptr;
    if (mm == MT_GET && _table(v->_ss->_instanceDelegate)->Find(key)) return nullptr;
    return &m;
}

// The operator an arithmetic or comparison instruction applies: plain forms name it in op,
// fused forms in a (besides the jump flag).
static inline uint8_t OperatorOf(const SQInstruction& c) {
    return c.op >= OP_ADD && c.op <= OP_CMP3 ? c.op : (uint8_t)(c.a & 0x7F);
}

static inline SQFrameResult OperatorResult(uint8_t op) {
    return op >= OP_LT && op <= OP_CMP3 ? SQFrameResult::Compare : SQFrameResult::Metamethod;
}

bool SQVM::Execute(SQClosure* closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& ret, bool raiseerror,
                   SQGenerator* resume) {
    // Without a closure this wakes a suspended thread, whose frames are still in place.
    bool wakeUp = closure == nullptr;
    if (wakeUp) {
        closure = _calls[_suspendedEntry].closure;
        stackbase = _calls[_suspendedEntry].base - _stack;
    }
    SQObjectPtr keepClosure(closure);
    SQObjectPtr* base = _stack + stackbase;
    SQObjectPtr* sp = base + nargs;
    SQObjectPtr tmp;
    if (_nestedcalls >= _maxNestedCalls && !wakeUp) {
        RaiseError("stack overflow");
        PopTo(stackbase);
        if (raiseerror && !_errorNotified) CallErrorHandler(_lasterror);
        return false;
    }
    const SQInstruction* ip;
    size_t entryDepth;
    SQCallInfo* ci;
    if (wakeUp) {
        entryDepth = _suspendedEntry;
        ci = &_calls.back();
        base = ci->base;
        sp = _stack + _suspendedTop;
        ip = ci->ip;
        ++_nestedcalls;
    } else {
        if (resume) {
            sp = RestoreGenerator(resume, base);
            ip = closure->_function->_code.data() + resume->_pc;
        } else {
            _top = sp - _stack;
            // Through a copy: taking sp's address would keep it out of a register in the loop.
            SQObjectPtr* entrySp = sp;
            if (!EnterFrame(closure, base, nargs, entrySp)) {
                PopTo(stackbase);
                if (raiseerror && !_errorNotified) CallErrorHandler(_lasterror);
                return false;
            }
            sp = entrySp;
            if (closure->_function->_generator) {
                ret = MakeGenerator(closure, base, sp);
                _top = sp - _stack;
                PopTo(stackbase);
                return true;
            }
            ip = closure->_function->_code.data();
        }
        entryDepth = _calls.size();
        SQCallInfo frame;
        frame.ip = ip;
        frame.base = base;
        frame.closure = closure;
        frame.generator = resume;
        frame.root = true;
        _calls.push_back(frame);
        ++_nestedcalls;
        ci = &_calls.back();
        if (!resume && HasDebugHook()) {
            _top = sp - _stack;
            CallDebugHook('c', closure, closure->_function->_declarationLine);
        }
    }

    if (wakeUp && _wakeupThrow) {
        _wakeupThrow = false;
        goto exception;
    }
    // The handler sits outside the dispatch loop so that a wakeup can enter it directly.
    for (;;) {
        for (;;) {
            const SQInstruction& i = *ip++;
            switch (i.op) {
            case OP_LOADNULL: (sp++)->Null(); continue;
            case OP_LOADINT: (sp++)->SetInteger(i.arg); continue;
            case OP_LOADFLOAT: {
                SQFloat f;
                memcpy(&f, &i.arg, sizeof(f));
                (sp++)->SetFloat(f);
                continue;
            }
            case OP_LOADBOOL: (sp++)->SetBool(i.arg != 0); continue;
            case OP_LOADK: *sp++ = Literal(ci, i.arg); continue;
            case OP_GETLOCAL: *sp++ = base[i.arg]; continue;
            case OP_SETLOCAL: base[i.arg] = sp[-1]; continue;
            case OP_STORELOCAL: base[i.arg] = std::move(*--sp); continue;
            case OP_GETOUTER: *sp++ = *_outer(ci->closure->_outers[(size_t)i.arg])->_valptr; continue;
            case OP_SETOUTER: *_outer(ci->closure->_outers[(size_t)i.arg])->_valptr = sp[-1]; continue;
            case OP_GETROOT: *sp++ = _roottable; continue;
            case OP_GETBASE:
                if (ci->closure->_base) {
                    *sp++ = SQObjectPtr(ci->closure->_base);
                } else {
                    (sp++)->Null();
                }
                continue;
            case OP_GETENV: {
                if (base[0]._type == OT_TABLE) {
                    if (SQObjectPtr* p = _table(base[0])->FindString(_string(Literal(ci, i.arg)))) {
                        *sp++ = sqRealValue(*p);
                        continue;
                    }
                } else if (base[0]._type == OT_INSTANCE) {
                    if (SQObjectPtr* p =
                            FindFromInstance(this, _instance(base[0]), _string(Literal(ci, i.arg)), CacheOf(ci, i))) {
                        *sp++ = sqRealValue(*p);
                        continue;
                    }
                }
                _top = sp - _stack;
                if (!Get(base[0], Literal(ci, i.arg), tmp, false, true)) goto exception;
                *sp++ = std::move(tmp);
                continue;
            }
            case OP_SETENV:
                if (base[0]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(base[0]);
                    SQInteger h = CachedMember(inst->_class, _string(Literal(ci, i.arg)), CacheOf(ci, i));
                    if (h >= 0 && sqIsField(h)) {
                        if (i.a) {
                            inst->_values[sqMemberIndex(h)] = std::move(*--sp);
                        } else {
                            inst->_values[sqMemberIndex(h)] = sp[-1];
                        }
                        continue;
                    }
                }
                _top = sp - _stack;
                if (!Set(base[0], Literal(ci, i.arg), sp[-1], true)) goto exception;
                if (i.a) (--sp)->Null();
                continue;
            case OP_POP:
                for (int32_t n = i.arg; n > 0; --n) (--sp)->Null();
                continue;
            case OP_DUP:
                *sp = sp[-1];
                ++sp;
                continue;
            case OP_DUP2:
                sp[0] = sp[-2];
                sp[1] = sp[-1];
                sp += 2;
                continue;
            case OP_GET:
                if (sp[-2]._type == OT_ARRAY && sp[-1]._type == OT_INTEGER) {
                    SQArray* a = _array(sp[-2]);
                    SQInteger idx = _integer(sp[-1]);
                    if (idx >= 0 && idx < a->Size()) {
                        tmp = sqRealValue(a->_values[(size_t)idx]);
                        (--sp)->Null();
                        sp[-1] = std::move(tmp);
                        continue;
                    }
                } else if (sp[-2]._type == OT_TABLE) {
                    // A slot of the table itself; delegates and _get take the slow path.
                    if (SQObjectPtr* p = _table(sp[-2])->Find(sp[-1])) {
                        tmp = sqRealValue(*p);
                        (--sp)->Null();
                        sp[-1] = std::move(tmp);
                        continue;
                    }
                } else if (sp[-2]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(sp[-2]);
                    if (SQObjectPtr* h = inst->_class->_members->Find(sp[-1])) {
                        tmp = sqRealValue(inst->Member(*h));
                        (--sp)->Null();
                        sp[-1] = std::move(tmp);
                        continue;
                    }
                    if (const SQObjectPtr* mm = LookupMetaMethod(this, inst, MT_GET, sp[-1])) {
                        // key copy, _get, instance, key
                        sp[0] = std::move(sp[-2]);
                        sp[-2] = sp[-1];
                        sp[1] = std::move(sp[-1]);
                        sp[-1] = *mm;
                        sp += 2;
                        _callArgs = 2;
                        _callResult = SQFrameResult::Get;
                        goto call_here;
                    }
                }
                _top = sp - _stack;
                if (!Get(sp[-2], sp[-1], tmp, false)) goto exception;
                (--sp)->Null();
                sp[-1] = std::move(tmp);
                continue;
            case OP_GETK:
                if (sp[-1]._type == OT_TABLE) {
                    if (SQObjectPtr* p = _table(sp[-1])->FindString(_string(Literal(ci, i.arg)))) {
                        sp[-1] = sqRealValue(*p);
                        continue;
                    }
                } else if (sp[-1]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(sp[-1]);
                    SQInteger h = CachedMember(inst->_class, _string(Literal(ci, i.arg)), CacheOf(ci, i));
                    if (h >= 0) {
                        sp[-1] = sqRealValue(inst->Member(h));
                        continue;
                    }
                    if (const SQObjectPtr* mm = LookupMetaMethod(this, inst, MT_GET, Literal(ci, i.arg))) {
                        // key copy, _get, instance, key
                        sp[1] = std::move(sp[-1]);
                        sp[-1] = Literal(ci, i.arg);
                        sp[0] = *mm;
                        sp[2] = Literal(ci, i.arg);
                        sp += 3;
                        _callArgs = 2;
                        _callResult = SQFrameResult::Get;
                        goto call_here;
                    }
                }
                _top = sp - _stack;
                if (!Get(sp[-1], Literal(ci, i.arg), tmp, false)) goto exception;
                sp[-1] = std::move(tmp);
                continue;
            case OP_SET:
                if (sp[-3]._type == OT_ARRAY && sp[-2]._type == OT_INTEGER) {
                    SQArray* a = _array(sp[-3]);
                    SQInteger idx = _integer(sp[-2]);
                    if (idx >= 0 && idx < a->Size()) {
                        a->_values[(size_t)idx] = sp[-1];
                        sp[-3] = std::move(sp[-1]);
                        (--sp)->Null();
                        (--sp)->Null();
                        continue;
                    }
                } else if (sp[-3]._type == OT_TABLE) {
                    if (SQObjectPtr* p = _table(sp[-3])->Find(sp[-2])) {
                        *p = sp[-1];
                        sp[-3] = std::move(sp[-1]);
                        (--sp)->Null();
                        (--sp)->Null();
                        continue;
                    }
                } else if (sp[-3]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(sp[-3]);
                    SQObjectPtr* h = inst->_class->_members->Find(sp[-2]);
                    if (h && sqIsField(*h)) {
                        inst->_values[sqMemberIndex(*h)] = sp[-1];
                        sp[-3] = std::move(sp[-1]);
                        (--sp)->Null();
                        (--sp)->Null();
                        continue;
                    }
                    if (const SQObjectPtr* mm = LookupMetaMethod(this, inst, MT_SET, sp[-2])) {
                        // value copy, key copy, _set, instance, key, value
                        sp[2] = sp[-1];
                        sp[1] = sp[-2];
                        sp[0] = std::move(sp[-3]);
                        sp[-3] = std::move(sp[-1]);
                        sp[-1] = *mm;
                        sp += 3;
                        _callArgs = 3;
                        _callResult = SQFrameResult::Set;
                        goto call_here;
                    }
                }
                _top = sp - _stack;
                if (!Set(sp[-3], sp[-2], sp[-1])) goto exception;
                sp[-3] = std::move(sp[-1]);
                (--sp)->Null();
                (--sp)->Null();
                continue;
            case OP_NEWSLOT:
            case OP_NEWSLOTKEEP:
                // Without a delegate no _newslot can intercept.
                if (sp[-3]._type == OT_TABLE && !_table(sp[-3])->_delegate && sp[-2]._type != OT_NULL) {
                    _table(sp[-3])->NewSlot(sp[-2], sp[-1]);
                } else {
                    _top = sp - _stack;
                    if (!NewSlot(sp[-3], sp[-2], sp[-1], false)) goto exception;
                }
                if (i.op == OP_NEWSLOT) sp[-3] = std::move(sp[-1]);
                (--sp)->Null();
                (--sp)->Null();
                continue;
            case OP_NEWMEMBER: {
                _top = sp - _stack;
                SQClass* c = _class(sp[-4]);
                const SQObjectPtr& mm = c->_metamethods[MT_NEWMEMBER];
                if (mm._type != OT_NULL) {
                    SQObjectPtr args[4] = {sp[-2], sp[-1], sp[-3], SQObjectPtr::Bool(i.a != 0)};
                    SQObjectPtr fn = mm;
                    if (!CallMetaMethod(fn, sp[-4], 4, args, tmp)) goto exception;
                } else {
                    if (!NewSlot(sp[-4], sp[-2], sp[-1], i.a != 0)) goto exception;
                    if (sp[-3]._type != OT_NULL) c->SetMemberAttributes(sp[-2], sp[-3]);
                }
                for (int n = 0; n < 3; ++n) (--sp)->Null();
                continue;
            }
            case OP_DELETE:
                _top = sp - _stack;
                if (!DeleteSlot(sp[-2], sp[-1], tmp)) goto exception;
                (--sp)->Null();
                sp[-1] = std::move(tmp);
                continue;
            case OP_ADD:
            case OP_SUB:
            case OP_MUL:
            case OP_DIV:
            case OP_MOD:
            case OP_BITAND:
            case OP_BITOR:
            case OP_BITXOR:
            case OP_SHL:
            case OP_SHR:
            case OP_USHR:
            case OP_EQ:
            case OP_NE:
            case OP_LT:
            case OP_LE:
            case OP_GT:
            case OP_GE:
            case OP_CMP3:
                if (sp[-2]._type == OT_INTEGER && sp[-1]._type == OT_INTEGER &&
                    IntBinary(i.op, _integer(sp[-2]), _integer(sp[-1]), sp[-2])) {
                    --sp;
                    continue;
                }
                goto operator_slow;
            // The fused forms below handle two integers themselves; other operands are pushed
            // as a plain binary operator's would be, for the general path.
            case OP_ARITHK:
                if (sp[-1]._type == OT_INTEGER && IntBinary(i.a, _integer(sp[-1]), i.arg, sp[-1])) continue;
                (sp++)->SetInteger(i.arg);
                goto operator_slow;
            case OP_ARITHLK: {
                const SQObjectPtr& l = base[i.c];
                if (l._type == OT_INTEGER && IntBinary(i.a, _integer(l), i.arg, *sp)) {
                    ++sp;
                    continue;
                }
                sp[0] = l;
                sp[1].SetInteger(i.arg);
                sp += 2;
                goto operator_slow;
            }
            case OP_ARITHLL: {
                const SQObjectPtr& l = base[i.c];
                const SQObjectPtr& r = base[i.arg];
                if (l._type == OT_INTEGER && r._type == OT_INTEGER &&
                    IntBinary(i.a, _integer(l), _integer(r), *sp)) {
                    ++sp;
                    continue;
                }
                sp[0] = l;
                sp[1] = r;
                sp += 2;
                goto operator_slow;
            }
            case OP_ARITHL: {
                const SQObjectPtr& l = base[i.c];
                if (l._type == OT_INTEGER && sp[-1]._type == OT_INTEGER &&
                    IntBinary(i.a, _integer(l), _integer(sp[-1]), sp[-1])) {
                    continue;
                }
                *sp = std::move(sp[-1]);
                sp[-1] = l;
                ++sp;
                goto operator_slow;
            }
            case OP_LOCALARITH: {
                SQObjectPtr& l = base[i.c];
                if (l._type == OT_INTEGER && sp[-1]._type == OT_INTEGER &&
                    IntBinary(i.a, _integer(l), _integer(sp[-1]), l)) {
                    if (i.arg == 1) {
                        (--sp)->Null();
                    } else {
                        sp[-1] = l;
                    }
                    continue;
                }
                *sp = std::move(sp[-1]);
                sp[-1] = l;
                ++sp;
                goto operator_slow;
            }
            case OP_JCMP:
                if (sp[-2]._type == OT_INTEGER && sp[-1]._type == OT_INTEGER) {
                    bool r = IntCompare(i.a & 0x7F, _integer(sp[-2]), _integer(sp[-1]));
                    sp -= 2;  // integers hold no reference
                    if (r == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                    continue;
                }
                goto operator_slow;
            case OP_JCMPK:
                if (sp[-1]._type == OT_INTEGER) {
                    bool r = IntCompare(i.a & 0x7F, _integer(sp[-1]), i.arg);
                    --sp;
                    if (r == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                    continue;
                }
                (sp++)->SetInteger(i.arg);
                goto operator_slow;
            case OP_JCMPLK: {
                const SQObjectPtr& l = base[i.c];
                if (l._type == OT_INTEGER) {
                    if (IntCompare(i.a & 0x7F, _integer(l), i.arg) == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                    continue;
                }
                sp[0] = l;
                sp[1].SetInteger(i.arg);
                sp += 2;
                goto operator_slow;
            }
            case OP_JCMPLL: {
                const SQObjectPtr& l = base[i.c];
                const SQObjectPtr& r = base[i.arg];
                if (l._type == OT_INTEGER && r._type == OT_INTEGER) {
                    if (IntCompare(i.a & 0x7F, _integer(l), _integer(r)) == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                    continue;
                }
                sp[0] = l;
                sp[1] = r;
                sp += 2;
                goto operator_slow;
            }
            case OP_JCMPL: {
                const SQObjectPtr& l = base[i.c];
                if (l._type == OT_INTEGER && sp[-1]._type == OT_INTEGER) {
                    bool r = IntCompare(i.a & 0x7F, _integer(l), _integer(sp[-1]));
                    --sp;
                    if (r == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                    continue;
                }
                *sp = std::move(sp[-1]);
                sp[-1] = l;
                ++sp;
                goto operator_slow;
            }
            case OP_STEPJCMPLK: {
                SQObjectPtr& l = base[i.c];
                SQInteger step = (i.a & kStepDown) ? -1 : 1;
                bool r;
                if (l._type == OT_INTEGER) {
                    l._unVal.nInteger = (SQInteger)((uint32_t)_integer(l) + (uint32_t)step);
                    r = IntCompare(i.a & 0x3F, _integer(l), i.arg);
                } else {
                    _top = sp - _stack;
                    SQObjectPtr old = l;
                    if (!Arith(OP_ADD, old, SQObjectPtr(step), tmp)) goto exception;
                    base[i.c] = std::move(tmp);
                    bool slow = false;
                    if (!CompareOp(i.a & 0x3F, base[i.c], SQObjectPtr((SQInteger)i.arg), slow)) goto exception;
                    r = slow;
                }
                if (r == ((i.a & kJumpWhenTrue) != 0)) ip += i.arg2;
                continue;
            }
            case OP_IN: {
                if (sp[-1]._type == OT_TABLE && _table(sp[-1])->Find(sp[-2])) {
                    (--sp)->Null();
                    sp[-1].SetBool(true);
                    continue;
                }
                bool found;
                _top = sp - _stack;
                if (!InKey(sp[-1], sp[-2], found)) goto exception;
                (--sp)->Null();
                sp[-1].SetBool(found);
                continue;
            }
            case OP_INSTANCEOF: {
                if (sp[-1]._type != OT_CLASS) {
                    RaiseError("cannot apply instanceof between a %s and a %s", sqRawTypeName(sp[-2]),
                               sqRawTypeName(sp[-1]));
                    goto exception;
                }
                bool r = sp[-2]._type == OT_INSTANCE && _instance(sp[-2])->InstanceOf(_class(sp[-1]));
                (--sp)->Null();
                sp[-1].SetBool(r);
                continue;
            }
            case OP_UNM:
            case OP_NOT:
            case OP_BITNOT:
                _top = sp - _stack;
                if (!Unary((SQOpcode)i.op, sp[-1], tmp)) goto exception;
                sp[-1] = std::move(tmp);
                continue;
            case OP_TYPEOF:
                _top = sp - _stack;
                if (!TypeOf(sp[-1], tmp)) goto exception;
                sp[-1] = std::move(tmp);
                continue;
            case OP_CLONE:
                _top = sp - _stack;
                if (!Clone(sp[-1], tmp)) goto exception;
                sp[-1] = std::move(tmp);
                continue;
            case OP_JMP: ip += i.arg; continue;
            case OP_JZ:
                if (IsFalse(*--sp)) ip += i.arg;
                sp->Null();
                continue;
            case OP_JNZ:
                if (!IsFalse(*--sp)) ip += i.arg;
                sp->Null();
                continue;
            case OP_AND:
                if (IsFalse(sp[-1])) {
                    ip += i.arg;
                } else {
                    (--sp)->Null();
                }
                continue;
            case OP_OR:
                if (!IsFalse(sp[-1])) {
                    ip += i.arg;
                } else {
                    (--sp)->Null();
                }
                continue;
            case OP_PREPCALL: {
                _top = sp - _stack;
                if (!Get(sp[-2], sp[-1], tmp, false)) goto exception;
                if (i.a) {
                    sp[-1] = base[0];
                } else {
                    sp[-1] = std::move(sp[-2]);
                }
                sp[-2] = std::move(tmp);
                continue;
            }
            case OP_PREPCALLK:
                if (sp[-1]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(sp[-1]);
                    SQInteger h = CachedMember(inst->_class, _string(Literal(ci, i.arg)), CacheOf(ci, i));
                    if (h >= 0) {
                        sp[0] = std::move(sp[-1]);
                        sp[-1] = sqRealValue(inst->Member(h));
                        ++sp;
                        continue;
                    }
                } else if (sp[-1]._type == OT_TABLE) {
                    if (SQObjectPtr* m = _table(sp[-1])->FindString(_string(Literal(ci, i.arg)))) {
                        sp[0] = std::move(sp[-1]);
                        sp[-1] = sqRealValue(*m);
                        ++sp;
                        continue;
                    }
                } else if (sp[-1]._type == OT_ARRAY || sp[-1]._type == OT_STRING) {
                    // A name is never an index of these: it can only be a default-delegate method.
                    const SQObjectPtr& methods = sp[-1]._type == OT_ARRAY ? _ss->_arrayDelegate : _ss->_stringDelegate;
                    if (SQObjectPtr* m = _table(methods)->FindString(_string(Literal(ci, i.arg)))) {
                        sp[0] = std::move(sp[-1]);
                        sp[-1] = *m;
                        ++sp;
                        continue;
                    }
                }
                _top = sp - _stack;
                if (!Get(sp[-1], Literal(ci, i.arg), tmp, false)) goto exception;
                sp[0] = std::move(sp[-1]);
                sp[-1] = std::move(tmp);
                ++sp;
                continue;
            case OP_PREPCALLENV: {
                SQObjectPtr* found = nullptr;
                if (base[0]._type == OT_TABLE) {
                    found = _table(base[0])->FindString(_string(Literal(ci, i.arg)));
                } else if (base[0]._type == OT_INSTANCE) {
                    found = FindFromInstance(this, _instance(base[0]), _string(Literal(ci, i.arg)), CacheOf(ci, i));
                }
                if (found) {
                    sp[0] = sqRealValue(*found);
                    sp[1] = base[0];
                    sp += 2;
                    continue;
                }
                _top = sp - _stack;
                if (!Get(base[0], Literal(ci, i.arg), tmp, false, true)) goto exception;
                sp[0] = std::move(tmp);
                sp[1] = base[0];
                sp += 2;
                continue;
            }
            case OP_TAILCALL: {
                // The callee takes over this frame, so that state machines passing control
                // by `return next()` run in constant stack. Entry frames (whose callee slot
                // belongs to the caller), generators, constructors and metamethods (whose
                // result is used their own way), frames with a try block open, other callees
                // and debugging make an ordinary call.
                SQInteger nargs = i.arg + 1;
                SQObjectPtr* func = sp - nargs - 1;
                if (func->_type == OT_CLOSURE && !ci->root && !ci->generator && ci->result == SQFrameResult::Value &&
                    !_closure(*func)->_function->_generator && !HasDebugHook() &&
                    (_traps.empty() || _traps.back().depth + 1 < _calls.size())) {
                    SQClosure* c = _closure(*func);
                    // The callee's environment may be held only by this frame's locals.
                    SQObjectPtr keepEnv;
                    if (c->_env) keepEnv = c->_env->_obj;
                    if (_openouters) CloseOuters(base);
                    // `i` may die here, with the caller's closure.
                    for (SQInteger k = 0; k <= nargs; ++k) base[k - 1] = std::move(func[k]);
                    for (SQObjectPtr* end = base + nargs; sp > end;) (--sp)->Null();
                    sp = base + nargs;
                    ci->closure = c;
                    ip = c->_function->_code.data();
                    _top = sp - _stack;
                    SQObjectPtr* newsp = sp;
                    if (!EnterFrame(c, base, nargs, newsp)) goto exception;
                    sp = newsp;
                    continue;
                }
            }
                [[fallthrough]];
            case OP_CALL: {
                ci->ip = ip;
                // A script function that is no generator: its frame is entered here, without the
                // general call path.
                SQObjectPtr* func = sp - i.arg - 2;
                if (func->_type == OT_CLOSURE && !_closure(*func)->_function->_generator) {
                    SQClosure* c = _closure(*func);
                    SQObjectPtr* newsp;
                    _top = sp - _stack;
                    if (!EnterCalledFrame(this, c, func + 1, i.arg + 1, newsp)) goto exception;
                    ci = PushFrame(c, func + 1, SQFrameResult::Value);
                    base = func + 1;
                    sp = newsp;
                    ip = c->_function->_code.data();
                    if (HasDebugHook()) {
                        _top = sp - _stack;
                        CallDebugHook('c', c, c->_function->_declarationLine);
                    }
                    continue;
                }
                _callArgs = i.arg + 1;
                _callResult = SQFrameResult::Value;
                goto call;
            }
            case OP_RETURN: {
                if (HasDebugHook()) {
                    _top = sp - _stack;
                    SQFunctionProto* f = ci->closure->_function;
                    CallDebugHook('r', ci->closure, f->LineAt(ip - f->_code.data() - 1));
                }
                SQFrameResult use = ci->result;
                SQObjectPtr result;
                if (use == SQFrameResult::Instance) {
                    result = std::move(base[0]);
                } else if (i.a) {
                    result = std::move(sp[-1]);
                }
                size_t depth = _calls.size() - 1;
                while (!_traps.empty() && _traps.back().depth == depth) _traps.pop_back();
                if (_openouters) CloseOuters(base);
                while (sp > base) (--sp)->Null();
                if (ci->generator) ci->generator->_state = SQGeneratorState::Dead;
                if (ci->root) {
                    _calls.pop_back();
                    _top = base - _stack;
                    --_nestedcalls;
                    ret = std::move(result);
                    return true;
                }
                _calls.pop_back();
                ci = &_calls.back();
                if (use == SQFrameResult::Value) {
                    base[-1] = std::move(result);
                    sp = base;
                    base = ci->base;
                    ip = ci->ip;
                    continue;
                }
                if (use == SQFrameResult::Get) {
                    base[-2] = std::move(result);
                    base[-1].Null();
                    sp = base - 1;
                } else if (use == SQFrameResult::Set) {
                    base[-1].Null();
                    base[-2].Null();
                    sp = base - 2;
                } else if (use == SQFrameResult::ForeachStep) {
                    // The generator's return ends the loop; the value it returns is dropped.
                    base[-1].Null();
                    sp = base - 1;
                    base = ci->base;
                    ip = ci->ip;
                    ip += ip[-1].arg;
                    continue;
                } else if (use == SQFrameResult::Nexti) {
                    base[-1].Null();
                    sp = base - 1;
                    base = ci->base;
                    ip = ci->ip;
                    const SQInstruction& loop = ip[-1];
                    SQObjectPtr* s = base + loop.c;
                    if (result._type == OT_NULL) {
                        ip += loop.arg;
                        continue;
                    }
                    _top = sp - _stack;
                    if (!Get(s[0], result, tmp, false)) goto exception;
                    s[3] = std::move(tmp);
                    s[1] = result;
                    s[2] = std::move(result);
                    continue;
                } else if (use == SQFrameResult::TextLeft || use == SQFrameResult::TextRight) {
                    base[-1].Null();
                    sp = base - 1;
                    SQObjectPtr* operand = use == SQFrameResult::TextLeft ? sp - 2 : sp - 1;
                    base = ci->base;
                    ip = ci->ip;
                    if (result._type != OT_STRING) {
                        RaiseError("_tostring must return a string");
                        goto exception;
                    }
                    *operand = std::move(result);
                    goto operator_slow;
                } else {
                    base[-1] = std::move(result);
                    sp = base;
                }
                base = ci->base;
                ip = ci->ip;
                if (use == SQFrameResult::Compare) goto finish_compare;
                if (use == SQFrameResult::Metamethod) goto operator_done;
                continue;
            }
            case OP_NEWTABLE: *sp++ = SQObjectPtr(SQTable::Create(_ss, i.arg)); continue;
            case OP_NEWARRAY: {
                SQObjectPtr* first = sp - i.arg;
                if (i.a) {
                    SQArray* a = _array(first[-1]);
                    for (int32_t n = 0; n < i.arg; ++n) a->_values.push_back(std::move(first[n]));
                    sp = first;
                    continue;
                }
                SQArray* a = SQArray::Create(_ss, i.arg);
                for (int32_t n = 0; n < i.arg; ++n) a->_values[(size_t)n] = std::move(first[n]);
                sp = first;
                *sp++ = SQObjectPtr(a);
                continue;
            }
            case OP_CLOSURE: {
                SQFunctionProto* f = _funcproto(ci->closure->_function->_functions[(size_t)i.arg]);
                SQClosure* c = SQClosure::Create(_ss, f);
                tmp = SQObjectPtr(c);
                for (const SQOuterInfo& o : f->_outers) {
                    if (o.fromParentLocal) {
                        c->_outers.push_back(SQObjectPtr(FindOuter(base + o.index)));
                    } else {
                        c->_outers.push_back(ci->closure->_outers[(size_t)o.index]);
                    }
                }
                SQObjectPtr* first = sp - i.c;
                for (SQObjectPtr* p = first; p < sp; ++p) c->_defaultparams.push_back(std::move(*p));
                sp = first;
                if (i.a) {
                    const SQObjectPtr& env = sp[-1];
                    if (env._type != OT_TABLE && env._type != OT_CLASS && env._type != OT_INSTANCE) {
                        RaiseError("invalid environment");
                        goto exception;
                    }
                    c->SetEnv(_weakref(sqMakeWeakRef(env)));
                    (--sp)->Null();
                }
                *sp++ = std::move(tmp);
                continue;
            }
            case OP_NEWCLASS: {
                _top = sp - _stack;
                SQObjectPtr attrs, baseClass;
                if (i.a & 2) attrs = std::move(*--sp);
                if (i.a & 1) {
                    baseClass = std::move(*--sp);
                    if (baseClass._type != OT_CLASS) {
                        RaiseError("trying to inherit from a %s", sqRawTypeName(baseClass));
                        goto exception;
                    }
                }
                SQClass* c = SQClass::Create(_ss, baseClass._type == OT_CLASS ? _class(baseClass) : nullptr);
                SQObjectPtr cls(c);
                c->_attributes = attrs;
                *sp++ = cls;
                if (baseClass._type == OT_CLASS) {
                    const SQObjectPtr& inherited = _class(baseClass)->_metamethods[MT_INHERITED];
                    if (inherited._type != OT_NULL) {
                        _top = sp - _stack;
                        SQObjectPtr fn = inherited;
                        if (!CallMetaMethod(fn, cls, 1, &attrs, tmp)) goto exception;
                    }
                }
                continue;
            }
            case OP_INCLOCAL:
            case OP_INCOUTER: {
                SQObjectPtr& v =
                    i.op == OP_INCLOCAL ? base[i.c] : *_outer(ci->closure->_outers[i.c])->_valptr;
                if (v._type == OT_INTEGER) {
                    SQInteger old = _integer(v);
                    v._unVal.nInteger = (SQInteger)((uint32_t)old + (uint32_t)i.arg);
                    if (i.a != 2) (sp++)->SetInteger(i.a ? old : _integer(v));
                    continue;
                }
                _top = sp - _stack;
                SQObjectPtr old = v;
                if (!Arith(OP_ADD, old, SQObjectPtr((SQInteger)i.arg), tmp)) goto exception;
                SQObjectPtr& target =
                    i.op == OP_INCLOCAL ? base[i.c] : *_outer(ci->closure->_outers[i.c])->_valptr;
                target = tmp;
                if (i.a != 2) *sp++ = i.a ? old : tmp;
                continue;
            }
            case OP_INCENV: {
                // An integer field of the method's instance steps in place, as a local does.
                if (base[0]._type == OT_INSTANCE) {
                    SQInstance* inst = _instance(base[0]);
                    SQInteger h = CachedMember(inst->_class, _string(Literal(ci, i.c)), CacheOf(ci, i));
                    if (h >= 0 && sqIsField(h) && inst->_values[sqMemberIndex(h)]._type == OT_INTEGER) {
                        SQObjectPtr& v = inst->_values[sqMemberIndex(h)];
                        SQInteger old = _integer(v);
                        v._unVal.nInteger = (SQInteger)((uint32_t)old + (uint32_t)i.arg);
                        if (i.a != 2) (sp++)->SetInteger(i.a ? old : _integer(v));
                        continue;
                    }
                }
                _top = sp - _stack;
                SQObjectPtr old, res;
                if (!Get(base[0], Literal(ci, i.c), old, false, true)) goto exception;
                if (!Arith(OP_ADD, old, SQObjectPtr((SQInteger)i.arg), res)) goto exception;
                if (!Set(base[0], Literal(ci, i.c), res, true)) goto exception;
                if (i.a != 2) *sp++ = i.a ? old : res;
                continue;
            }
            case OP_INCFIELD: {
                _top = sp - _stack;
                SQObjectPtr old, res;
                if (!Get(sp[-2], sp[-1], old, false)) goto exception;
                if (!Arith(OP_ADD, old, SQObjectPtr((SQInteger)i.arg), res)) goto exception;
                if (!Set(sp[-2], sp[-1], res)) goto exception;
                (--sp)->Null();
                sp[-1] = i.a ? old : res;
                continue;
            }
            case OP_PUSHTRAP: _traps.push_back({_calls.size() - 1, sp, ip + i.arg}); continue;
            case OP_POPTRAP:
                for (int32_t n = i.arg; n > 0; --n) _traps.pop_back();
                continue;
            case OP_THROW:
                RaiseErrorObject(sp[-1]);
                (--sp)->Null();
                goto exception;
            case OP_FOREACH: {
                SQObjectPtr* s = base + i.c;
                if (s[0]._type == OT_ARRAY) {
                    SQArray* a = _array(s[0]);
                    SQInteger pos = s[1]._type == OT_INTEGER ? _integer(s[1]) : 0;
                    if (pos >= a->Size()) {
                        ip += i.arg;
                        continue;
                    }
                    s[2].SetInteger(pos);
                    s[3] = sqRealValue(a->_values[(size_t)pos]);
                    s[1].SetInteger(pos + 1);
                    continue;
                }
                if (s[0]._type == OT_TABLE) {
                    SQInteger pos = s[1]._type == OT_INTEGER ? _integer(s[1]) : 0;
                    SQInteger next = _table(s[0])->Next(pos, s[2], s[3]);
                    if (next < 0) {
                        ip += i.arg;
                    } else {
                        s[1].SetInteger(next);
                    }
                    continue;
                }
                if (s[0]._type == OT_INSTANCE) {
                    const SQObjectPtr& mm = _instance(s[0])->MetaMethod(MT_NEXTI);
                    if (mm._type == OT_CLOSURE && !_closure(mm)->_function->_generator) {
                        sp[0] = mm;
                        sp[1] = s[0];
                        sp[2] = s[1];
                        sp += 3;
                        _callArgs = 2;
                        _callResult = SQFrameResult::Nexti;
                        goto call_here;
                    }
                } else if (s[0]._type == OT_GENERATOR) {
                    // The generator runs as a frame of this loop, above a copy of it, so that
                    // a suspend inside it suspends the thread running the loop.
                    SQGenerator* g = _generator(s[0]);
                    if (g->_state == SQGeneratorState::Dead) {
                        ip += i.arg;
                        continue;
                    }
                    if (!CanResume(g, sp + 1)) goto exception;
                    *sp++ = s[0];
                    ci->ip = ip;
                    base = sp;
                    sp = RestoreGenerator(g, base);
                    ci = PushFrame(_closure(g->_closure), base, SQFrameResult::ForeachStep);
                    ci->generator = g;
                    ip = ci->closure->_function->_code.data() + g->_pc;
                    continue;
                }
                bool done;
                _top = sp - _stack;
                if (!Next(s[0], s[1], s[2], s[3], done)) goto exception;
                if (done) ip += i.arg;
                continue;
            }
            case OP_CLOSE: CloseOuters(base + i.arg); continue;
            case OP_YIELD: {
                SQGenerator* g = ci->generator;
                if (!g) {
                    RaiseError("internal error: yield outside a generator");
                    goto exception;
                }
                SQObjectPtr result;
                if (i.a) result = std::move(*--sp);
                SaveGenerator(g, base, sp, ip);
                bool root = ci->root;
                bool step = ci->result == SQFrameResult::ForeachStep;
                _calls.pop_back();
                if (root) {
                    _top = base - _stack;
                    --_nestedcalls;
                    ret = std::move(result);
                    return true;
                }
                ci = &_calls.back();
                if (step) {
                    // The value is the loop's next one; its key counts the values so far.
                    base[-1].Null();
                    sp = base - 1;
                    base = ci->base;
                    ip = ci->ip;
                    SQObjectPtr* s = base + ip[-1].c;
                    SQInteger pos = s[1]._type == OT_INTEGER ? _integer(s[1]) : 0;
                    s[3] = std::move(result);
                    s[2].SetInteger(pos);
                    s[1].SetInteger(pos + 1);
                    continue;
                }
                // The value replaces the generator in the slot that resumed it.
                base[-1] = std::move(result);
                sp = base;
                base = ci->base;
                ip = ci->ip;
                continue;
            }
            case OP_RESUME: {
                // The generator runs as a frame of this loop, above the slot that holds it
                // (which keeps it alive and receives what it yields or returns).
                if (sp[-1]._type != OT_GENERATOR) {
                    RaiseError("trying to resume a '%s', only generators can be resumed",
                               sqRawTypeName(sp[-1]));
                    goto exception;
                }
                SQGenerator* g = _generator(sp[-1]);
                if (!CanResume(g, sp)) goto exception;
                SQClosure* c = _closure(g->_closure);
                ci->ip = ip;
                base = sp;
                sp = RestoreGenerator(g, base);
                ci = PushFrame(c, base, SQFrameResult::Value);
                ci->generator = g;
                ip = c->_function->_code.data() + g->_pc;
                continue;
            }
            case OP_LINE:
                if (HasDebugHook()) {
                    _top = sp - _stack;
                    ci->ip = ip;
                    CallDebugHook('l', ci->closure, i.arg);
                    if (_stopRequest) {
                        _stopRequest = false;
                        RaiseError("the script was stopped by its host");
                        goto exception;
                    }
                }
                continue;
            // Code comes only from our compiler, whose opcodes all have a case above: the
            // dispatch then needs no range check.
            default: __builtin_unreachable();
            }

        // Calls the callee below the callArgs values at the top of the stack (`this` first);
        // its result replaces it there. A script callee runs as a frame of this loop.
        call : {
            SQInteger callArgs = _callArgs;
            SQFrameResult callResult = _callResult;
            SQObjectPtr* func = sp - callArgs - 1;
            switch (func->_type) {
            case OT_CLOSURE: {
                SQClosure* c = _closure(*func);
                SQObjectPtr* newbase = func + 1;
                SQObjectPtr* newsp;
                _top = sp - _stack;
                if (!EnterCalledFrame(this, c, newbase, callArgs, newsp)) goto exception;
                if (c->_function->_generator) {
                    tmp = MakeGenerator(c, newbase, newsp);
                    for (SQObjectPtr* p = newsp > sp ? newsp : sp; p > newbase;) (--p)->Null();
                    *func = std::move(tmp);
                    sp = func + 1;
                    if (callResult == SQFrameResult::Compare) goto finish_compare;
                    if (callResult == SQFrameResult::Metamethod) goto operator_done;
                    continue;
                }
                ci = PushFrame(c, newbase, callResult);
                base = newbase;
                sp = newsp;
                ip = c->_function->_code.data();
                if (HasDebugHook()) {
                    _top = sp - _stack;
                    CallDebugHook('c', c, c->_function->_declarationLine);
                }
                continue;
            }
            case OT_NATIVECLOSURE: {
                SQIntrinsic intrinsic = _nativeclosure(*func)->_intrinsic;
                if (intrinsic != SQIntrinsic::None && RunIntrinsic(intrinsic, func + 1, callArgs, tmp)) {
                    while (sp > func + 1) (--sp)->Null();
                    *func = std::move(tmp);
                    if (callResult == SQFrameResult::Compare) goto finish_compare;
                    if (callResult == SQFrameResult::Metamethod) goto operator_done;
                    continue;
                }
                _top = sp - _stack;
                SQObjectPtr fn = *func;
                bool allowSuspend = _isThread && _nestedcalls == 1 && callResult == SQFrameResult::Value;
                if (!CallNative(_nativeclosure(fn), callArgs, func + 1, tmp, allowSuspend)) goto exception;
                *func = std::move(tmp);
                sp = func + 1;
                if (_suspendRequest) {
                    // The wakeup value will land in the callee's slot, as this call's result.
                    _suspendRequest = false;
                    _suspended = true;
                    _suspendedTop = sp - _stack;
                    _suspendedEntry = entryDepth;
                    _top = sp - _stack;
                    --_nestedcalls;
                    ret = std::move(_suspendValue);
                    _suspendValue.Null();
                    return true;
                }
                if (callResult == SQFrameResult::Compare) goto finish_compare;
                if (callResult == SQFrameResult::Metamethod) goto operator_done;
                continue;
            }
            case OT_CLASS: {
                // A script constructor runs as a frame of this loop with the new instance as
                // `this` (which a script cannot reassign), and the instance is the result.
                SQClass* cls = _class(*func);
                const SQObjectPtr& ctor = cls->_constructor;
                if (callResult == SQFrameResult::Value && ctor._type == OT_CLOSURE && !_closure(ctor)->_env &&
                    !_closure(ctor)->_function->_generator) {
                    func[1] = SQObjectPtr(SQInstance::Create(_ss, cls));
                    *func = ctor;
                    _callArgs = callArgs;
                    _callResult = SQFrameResult::Instance;
                    goto call;
                }
                _top = sp - _stack;
                SQObjectPtr keep = *func;
                if (!CreateClassInstance(cls, callArgs, func + 1 - _stack, tmp)) goto exception;
                *func = std::move(tmp);
                sp = func + 1;
                if (callResult == SQFrameResult::Compare) goto finish_compare;
                if (callResult == SQFrameResult::Metamethod) goto operator_done;
                continue;
            }
            case OT_TABLE:
            case OT_INSTANCE:
            case OT_USERDATA: {
                SQObjectPtr mm;
                if (GetMetaMethod(*func, MT_CALL, mm)) {
                    for (SQObjectPtr* p = sp; p > func + 1; --p) *p = std::move(p[-1]);
                    func[1] = std::move(*func);
                    *func = std::move(mm);
                    ++sp;
                    _callArgs = callArgs + 1;
                    goto call;
                }
                RaiseError("attempt to call '%s'", sqRawTypeName(*func));
                goto exception;
            }
            default: RaiseError("attempt to call '%s'", sqRawTypeName(*func)); goto exception;
            }
        }

        // The general path of the operator instruction before ip, its operands at sp[-2] and
        // sp[-1]: numbers with a float, an instance's metamethod (run as a frame), the rest.
        operator_slow : {
            uint8_t op = OperatorOf(ip[-1]);
            if (FloatBinary(op, sp[-2], sp[-1], sp[-2])) {
                (--sp)->Null();
                goto operator_done;
            }
            if (const SQObjectPtr* mm = OperatorMetaMethod(op, sp[-2], sp[-1]._type)) {
                _callResult = OperatorResult(op);
                *sp = std::move(sp[-1]);
                sp[-1] = std::move(sp[-2]);
                sp[-2] = *mm;
                ++sp;
                goto operator_call;
            }
            if (op == OP_ADD) {
                if (const SQObjectPtr* mm = TextMetaMethod(sp[-2], sp[-1])) {
                    bool right = sp[-1]._type == OT_INSTANCE;
                    sp[1] = right ? sp[-1] : sp[-2];
                    sp[0] = *mm;
                    sp += 2;
                    _callArgs = 1;
                    _callResult = right ? SQFrameResult::TextRight : SQFrameResult::TextLeft;
                    goto call_here;
                }
            }
            _top = sp - _stack;
            if (!BinaryOp(op, sp[-2], sp[-1], tmp)) goto exception;
            (--sp)->Null();
            sp[-1] = std::move(tmp);
        }
        // The operator's value is at sp[-1]: a fused instruction finishes with it.
        operator_done : {
            const SQInstruction& c = ip[-1];
            switch (c.op) {
            case OP_LOCALARITH:
                base[c.c] = sp[-1];
                if (c.arg == 1) (--sp)->Null();
                continue;
            case OP_JCMP:
            case OP_JCMPK:
            case OP_JCMPLK:
            case OP_JCMPLL:
            case OP_JCMPL: {
                bool holds = !sqIsFalse(sp[-1]);
                (--sp)->Null();
                if (holds == ((c.a & kJumpWhenTrue) != 0)) ip += c.arg2;
                continue;
            }
            default: continue;
            }
        }

        // A metamethod of an operator, with its instance and operand at the top of the stack.
        operator_call:
            _callArgs = 2;
        // A call made by the instruction before ip, which the caller's frame resumes after.
        call_here:
            ci->ip = ip;
            goto call;

        // A _cmp's result at sp[-1] becomes the comparison's value.
        finish_compare : {
            SQObjectPtr* slot = sp - 1;
            if (slot->_type != OT_INTEGER) {
                RaiseError("_cmp must return an integer");
                goto exception;
            }
            SQInteger r = _integer(*slot);
            switch (OperatorOf(ip[-1])) {
            case OP_LT: slot->SetBool(r < 0); break;
            case OP_LE: slot->SetBool(r <= 0); break;
            case OP_GT: slot->SetBool(r > 0); break;
            case OP_GE: slot->SetBool(r >= 0); break;
            default: break;  // <=> keeps the integer
            }
            goto operator_done;
        }
        }

    exception: {
        // A halted machine unwinds every frame of this run: their traps go with them.
        if (_ss->_halted) {
            while (!_traps.empty() && _traps.back().depth >= entryDepth) _traps.pop_back();
        }
        bool caught = !_traps.empty() && _traps.back().depth >= entryDepth;
        // Null thrown out of a _get or _set frame (a try inside it would have caught it
        // first) is a clean miss: the instruction that called it fails with an index error.
        if (_lasterror._type == OT_NULL) {
            size_t lowest = caught ? _traps.back().depth + 1 : entryDepth;
            for (size_t d = _calls.size(); d-- > lowest;) {
                if (_calls[d].result != SQFrameResult::Get && _calls[d].result != SQFrameResult::Set) continue;
                SQObjectPtr* frameBase = _calls[d].base;
                SQObjectPtr key = frameBase[-2];
                DropFrames(d);
                CloseOuters(frameBase - 1);
                while (sp > frameBase - 2) (--sp)->Null();
                ci = &_calls.back();
                base = ci->base;
                ip = ci->ip;
                _top = sp - _stack;
                RaiseIndexError(key);
                goto exception;
            }
        }
        SQObjectPtr error = _lasterror;
        if (!caught) {
            ci->ip = ip;
            _top = sp - _stack;
            // A try of an outer call does not hide this one's error from the handler: a call made
            // with raiseerror reports every error that leaves it.
            if (raiseerror && !_errorNotified) CallErrorHandler(error);
            SQObjectPtr* bottom = _stack + stackbase;
            DropFrames(entryDepth);
            CloseOuters(bottom);
            while (sp > bottom) (--sp)->Null();
            _top = stackbase;
            --_nestedcalls;
            _lasterror = error;
            return false;
        }
        if (_ss->_notifyallexceptions && !_errorNotified) {
            ci->ip = ip;
            _top = sp - _stack;
            CallErrorHandler(error);
        }
        SQExceptionTrap trap = _traps.back();
        _traps.pop_back();
        DropFrames(trap.depth + 1);
        CloseOuters(trap.sp);
        while (sp > trap.sp) (--sp)->Null();
        ci = &_calls.back();
        base = ci->base;
        ip = trap.ip;
        *sp++ = std::move(error);
        continue;
    }
    }
}
