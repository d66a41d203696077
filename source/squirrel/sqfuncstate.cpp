#include "squirrel/sqfuncstate.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"

SQFuncState::SQFuncState(SQSharedState* ss, SQFuncState* parent) : _parent(parent), _ss(ss) {
    _proto = SQFunctionProto::Create(ss);
    ++_proto->_uiRef;
    _literalIndex = SQObjectPtr(SQTable::Create(ss));
}

SQFuncState::~SQFuncState() { sqRelease(_proto); }

void SQFuncState::Adjust(SQInteger delta) {
    _stack += delta;
    if (_stack > _maxstack) _maxstack = _stack;
}

void SQFuncState::SetLine(SQInteger line) {
    if (line == _line) return;
    _line = line;
    auto& infos = _proto->_lineinfos;
    if (!infos.empty() && infos.back().pc == PC()) {
        infos.back().line = line;
    } else {
        infos.push_back({PC(), line});
    }
}

static SQInteger StackEffect(SQOpcode op, SQInteger arg, SQInteger a, SQInteger c) {
    switch (op) {
    case OP_LOADNULL:
    case OP_LOADINT:
    case OP_LOADFLOAT:
    case OP_LOADBOOL:
    case OP_LOADK:
    case OP_GETLOCAL:
    case OP_GETOUTER:
    case OP_GETROOT:
    case OP_GETBASE:
    case OP_GETENV:
    case OP_DUP:
    case OP_NEWTABLE:
    case OP_PREPCALLK: return 1;
    case OP_INCLOCAL:
    case OP_INCOUTER:
    case OP_INCENV: return a == 2 ? 0 : 1;
    case OP_DUP2:
    case OP_PREPCALLENV: return 2;
    case OP_STORELOCAL:
    case OP_JZ:
    case OP_JNZ:
    case OP_THROW:
    case OP_AND:
    case OP_OR:
    case OP_GET:
    case OP_DELETE:
    case OP_INCFIELD:
    case OP_IN:
    case OP_INSTANCEOF:
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
    case OP_CMP3: return -1;
    case OP_SET:
    case OP_NEWSLOT:
    case OP_NEWSLOTKEEP: return -2;
    case OP_NEWMEMBER: return -3;
    case OP_POP: return -arg;
    case OP_CALL: return -(arg + 1);
    case OP_NEWARRAY: return a ? -arg : 1 - arg;
    case OP_CLOSURE: return 1 - c - a;
    case OP_NEWCLASS: return 1 - ((a & 1) + ((a >> 1) & 1));
    case OP_YIELD: return -a;
    case OP_ARITHLK:
    case OP_ARITHLL: return 1;
    case OP_LOCALARITH: return arg == 1 ? -1 : 0;
    case OP_JCMP: return -2;
    case OP_JCMPK:
    case OP_JCMPL: return -1;
    default: return 0;
    }
}

SQInteger SQFuncState::Emit(SQOpcode op, SQInteger arg, SQInteger a, SQInteger c) {
    SQInstruction i;
    i.op = op;
    i.a = (uint8_t)a;
    i.c = (uint16_t)c;
    i.arg = arg;
    i.arg2 = 0;
    _proto->_code.push_back(i);
    Adjust(StackEffect(op, arg, a, c));
    return PC() - 1;
}

// A value computed only to be dropped: fold "assign then pop" into a plain store.
void SQFuncState::EmitPop(SQInteger n) {
    if (n <= 0) return;
    auto& code = _proto->_code;
    if (n == 1 && !code.empty() && _lastTarget < PC()) {
        SQInstruction& last = code.back();
        if (last.op == OP_SETLOCAL) {
            last.op = OP_STORELOCAL;
            Adjust(-1);
            return;
        }
        if (last.op == OP_SETENV && last.a == 0) {
            last.a = 1;
            Adjust(-1);
            return;
        }
        if (last.op == OP_LOCALARITH && last.arg == 0) {
            last.arg = 1;
            Adjust(-1);
            return;
        }
        if ((last.op == OP_INCLOCAL || last.op == OP_INCOUTER || last.op == OP_INCENV) && last.a != 2) {
            last.a = 2;
            Adjust(-1);
            return;
        }
        if (last.op == OP_GETLOCAL) {
            code.pop_back();
            Adjust(-1);
            return;
        }
    }
    Emit(OP_POP, n);
}

void SQFuncState::SetJump(SQInteger at, SQInteger target) {
    SQInstruction& i = _proto->_code[(size_t)at];
    if (i.op >= OP_JCMP && i.op <= OP_STEPJCMPLK) {
        i.arg2 = target - (at + 1);
    } else {
        i.arg = target - (at + 1);
    }
}

bool SQFuncState::IsFoldable(SQOpcode op) {
    return (op >= OP_ADD && op <= OP_GE) || op == OP_CMP3;
}

static bool IsComparison(uint8_t op) { return op >= OP_EQ && op <= OP_GE; }

// Instructions from `from` on can be merged when no jump lands among them.
bool SQFuncState::CanFold(SQInteger count) const {
    SQInteger from = PC() - count;
    return from >= 0 && _lastTarget <= from;
}

void SQFuncState::EmitBinary(SQOpcode op) {
    auto& code = _proto->_code;
    if (IsFoldable(op) && CanFold(1) && code.back().op == OP_LOADINT) {
        SQInteger k = code.back().arg;
        code.pop_back();
        Adjust(-1);
        if (CanFold(1) && code.back().op == OP_GETLOCAL && code.back().arg <= 0xFFFF) {
            SQInteger slot = code.back().arg;
            code.pop_back();
            Adjust(-1);
            Emit(OP_ARITHLK, k, op, slot);
            return;
        }
        Emit(OP_ARITHK, k, op);
        return;
    }
    if (IsFoldable(op) && CanFold(2) && code.back().op == OP_GETLOCAL && code[code.size() - 2].op == OP_GETLOCAL &&
        code[code.size() - 2].arg <= 0xFFFF) {
        SQInteger right = code.back().arg;
        SQInteger left = code[code.size() - 2].arg;
        code.resize(code.size() - 2);
        Adjust(-2);
        Emit(OP_ARITHLL, right, op, left);
        return;
    }
    Emit(op);
}

void SQFuncState::EmitBinaryOnLocal(SQOpcode op, SQInteger slot) {
    auto& code = _proto->_code;
    if (CanFold(1) && code.back().op == OP_LOADINT) {
        SQInteger k = code.back().arg;
        code.pop_back();
        Adjust(-1);
        Emit(OP_ARITHLK, k, op, slot);
        return;
    }
    if (CanFold(1) && code.back().op == OP_GETLOCAL) {
        SQInteger right = code.back().arg;
        code.pop_back();
        Adjust(-1);
        Emit(OP_ARITHLL, right, op, slot);
        return;
    }
    Emit(OP_ARITHL, 0, op, slot);
}

SQInteger SQFuncState::EmitConditionalJump(bool whenTrue) {
    auto& code = _proto->_code;
    if (CanFold(1)) {
        SQInstruction last = code.back();
        SQOpcode fused = (SQOpcode)0;
        if (IsComparison(last.op)) {
            fused = OP_JCMP;
            last.a = last.op;
        } else if (last.op == OP_ARITHK && IsComparison(last.a)) {
            fused = OP_JCMPK;
        } else if (last.op == OP_ARITHLK && IsComparison(last.a)) {
            fused = OP_JCMPLK;
        } else if (last.op == OP_ARITHLL && IsComparison(last.a)) {
            fused = OP_JCMPLL;
        } else if (last.op == OP_ARITHL && IsComparison(last.a)) {
            fused = OP_JCMPL;
        }
        if (fused) {
            code.pop_back();
            Adjust(-StackEffect((SQOpcode)last.op, last.arg, last.a, last.c));
            return Emit(fused, last.arg, last.a | (whenTrue ? kJumpWhenTrue : 0), last.c);
        }
    }
    return Emit(whenTrue ? OP_JNZ : OP_JZ, 0);
}

SQInteger SQFuncState::Literal(const SQObject& value) {
    SQTable* index = _table(_literalIndex);
    if (SQObjectPtr* p = index->Find(value)) return _integer(*p);
    SQInteger n = (SQInteger)_proto->_literals.size();
    _proto->_literals.push_back(SQObjectPtr(value));
    index->NewSlot(value, SQObjectPtr(n));
    return n;
}

SQInteger SQFuncState::Literal(const char* s) { return Literal(SQObjectPtr(_ss->String(s))); }

SQInteger SQFuncState::PushLocal(const SQObject& name) {
    SQInteger slot = (SQInteger)_locals.size();
    _locals.push_back({SQObjectPtr(name), slot, PC(), false});
    if (_stack < slot + 1) Adjust(slot + 1 - _stack);
    return slot;
}

void SQFuncState::PopLocals(SQInteger count) {
    for (SQInteger n = 0; n < count; ++n) {
        SQCompiledLocal& l = _locals.back();
        _proto->_localvarinfos.push_back({l.name, l.slot, l.startpc, PC()});
        _locals.pop_back();
    }
}

SQInteger SQFuncState::FindLocal(const SQString* name) const {
    for (SQInteger i = (SQInteger)_locals.size() - 1; i >= 0; --i) {
        const SQObjectPtr& n = _locals[(size_t)i].name;
        if (n._type == OT_STRING && _string(n) == name) return _locals[(size_t)i].slot;
    }
    return -1;
}

SQInteger SQFuncState::FindOuter(const SQString* name) {
    auto& outers = _proto->_outers;
    for (size_t i = 0; i < outers.size(); ++i) {
        if (_string(outers[i].name) == name) return (SQInteger)i;
    }
    if (!_parent) return -1;
    SQInteger slot = _parent->FindLocal(name);
    if (slot >= 0) {
        _parent->_locals[(size_t)slot].captured = true;
        outers.push_back({true, slot, SQObjectPtr((SQString*)name)});
        return (SQInteger)outers.size() - 1;
    }
    SQInteger idx = _parent->FindOuter(name);
    if (idx < 0) return -1;
    outers.push_back({false, idx, SQObjectPtr((SQString*)name)});
    return (SQInteger)outers.size() - 1;
}

bool SQFuncState::AnyCapturedFrom(SQInteger localIndex) const {
    for (size_t i = (size_t)localIndex; i < _locals.size(); ++i) {
        if (_locals[i].captured) return true;
    }
    return false;
}

SQFunctionProto* SQFuncState::Finish() {
    _proto->_stacksize = _maxstack + 2;
    int32_t caches = 0;
    for (SQInstruction& i : _proto->_code) {
        switch (i.op) {
        case OP_GETK:
        case OP_GETENV:
        case OP_SETENV:
        case OP_PREPCALLK:
        case OP_PREPCALLENV:
        case OP_INCENV: i.arg2 = caches++; break;
        default: break;
        }
    }
    _proto->_lookupCaches.resize((size_t)caches);
    PopLocals((SQInteger)_locals.size());
    return _proto;
}
