#include "squirrel/sqfunction.h"

#include "squirrel/sqclass.h"
#include "squirrel/sqgc.h"

SQFunctionProto* SQFunctionProto::Create(SQSharedState* ss) {
    SQFunctionProto* p = new SQFunctionProto();
    p->LinkInto(ss);
    return p;
}

SQInteger SQFunctionProto::LineAt(SQInteger pc) const {
    SQInteger line = 0;
    for (const SQLineInfo& li : _lineinfos) {
        if (li.pc > pc) break;
        line = li.line;
    }
    return line;
}

void SQFunctionProto::Finalize() {
    std::vector<SQObjectPtr>().swap(_literals);
    std::vector<SQObjectPtr>().swap(_functions);
    std::vector<SQOuterInfo>().swap(_outers);
    std::vector<SQObjectPtr>().swap(_parameters);
    std::vector<SQLocalVarInfo>().swap(_localvarinfos);
    _name.Null();
    _sourcename.Null();
}

void SQFunctionProto::Traverse(SQCollector& gc) {
    for (const SQObjectPtr& f : _functions) gc.Edge(f);
    for (const SQObjectPtr& l : _literals) gc.Edge(l);
}

void SQOuter::Traverse(SQCollector& gc) {
    gc.Edge(_value);
    if (_valptr && _valptr != &_value) gc.Follow(*_valptr);
}

void SQClosure::Traverse(SQCollector& gc) {
    gc.Edge(_function);
    for (const SQObjectPtr& o : _outers) gc.Edge(o);
    for (const SQObjectPtr& o : _defaultparams) gc.Edge(o);
    gc.Edge(_base);
}

void SQNativeClosure::Traverse(SQCollector& gc) {
    for (const SQObjectPtr& o : _outers) gc.Edge(o);
}

void SQGenerator::Traverse(SQCollector& gc) {
    gc.Edge(_closure);
    for (const SQObjectPtr& o : _stack) gc.Edge(o);
    for (SQOuter* o : _outers) gc.Edge(o);
}

SQClosure* SQClosure::Create(SQSharedState* ss, SQFunctionProto* proto) {
    SQClosure* c = new SQClosure();
    c->LinkInto(ss);
    c->_function = proto;
    ++proto->_uiRef;
    return c;
}

SQClosure::~SQClosure() { Finalize(); }

void SQClosure::Finalize() {
    SQVector<SQObjectPtr>().swap(_outers);
    SQVector<SQObjectPtr>().swap(_defaultparams);
    sqRelease(_env);
    _env = nullptr;
    sqRelease(_base);
    _base = nullptr;
    sqRelease(_function);
    _function = nullptr;
}

void SQClosure::SetEnv(SQWeakRef* env) {
    if (env) ++env->_uiRef;
    sqRelease(_env);
    _env = env;
}

SQClosure* SQClosure::Clone() {
    SQClosure* c = Create(_sharedState, _function);
    c->_outers = _outers;
    c->_defaultparams = _defaultparams;
    c->SetEnv(_env);
    c->_base = _base;
    if (_base) ++_base->_uiRef;
    return c;
}

SQNativeClosure* SQNativeClosure::Create(SQSharedState* ss, SQFUNCTION f, SQInteger nouters) {
    SQNativeClosure* c = new SQNativeClosure();
    c->LinkInto(ss);
    c->_function = f;
    c->_outers.resize((size_t)nouters);
    return c;
}

SQNativeClosure::~SQNativeClosure() { Finalize(); }

void SQNativeClosure::Finalize() {
    std::vector<SQObjectPtr>().swap(_outers);
    _name.Null();
    sqRelease(_env);
    _env = nullptr;
}

void SQNativeClosure::SetEnv(SQWeakRef* env) {
    if (env) ++env->_uiRef;
    sqRelease(_env);
    _env = env;
}

SQNativeClosure* SQNativeClosure::Clone() {
    SQNativeClosure* c = Create(_sharedState, _function, 0);
    c->_outers = _outers;
    c->_name = _name;
    c->_nparamscheck = _nparamscheck;
    c->_typecheck = _typecheck;
    c->SetEnv(_env);
    return c;
}

SQGenerator* SQGenerator::Create(SQSharedState* ss, SQClosure* closure) {
    SQGenerator* g = new SQGenerator();
    g->LinkInto(ss);
    g->_closure = SQObjectPtr(closure);
    return g;
}

SQGenerator::~SQGenerator() {
    CloseOuters(true);
    Finalize();
}

void SQGenerator::CloseOuters(bool keepValues) {
    for (SQOuter* o : _outers) {
        if (keepValues) o->_value = *o->_valptr;
        o->_valptr = &o->_value;
        sqRelease(o);
    }
    _outers.clear();
}

// At shutdown no new references may appear, so outers are detached without their values; the
// collector has detached them with their values before.
void SQGenerator::Finalize() {
    CloseOuters(false);
    _closure.Null();
    SQVector<SQObjectPtr>().swap(_stack);
    _state = SQGeneratorState::Dead;
}

static SQInteger MaskOf(char c) {
    switch (c) {
    case 'o': return _RT_NULL;
    case 'i': return _RT_INTEGER;
    case 'f': return _RT_FLOAT;
    case 'n': return _RT_INTEGER | _RT_FLOAT;
    case 's': return _RT_STRING;
    case 't': return _RT_TABLE;
    case 'a': return _RT_ARRAY;
    case 'u': return _RT_USERDATA;
    case 'c': return _RT_CLOSURE | _RT_NATIVECLOSURE;
    case 'g': return _RT_GENERATOR;
    case 'p': return _RT_USERPOINTER;
    case 'v': return _RT_THREAD;
    case 'x': return _RT_INSTANCE;
    case 'y': return _RT_CLASS;
    case 'b': return _RT_BOOL;
    case 'r': return _RT_WEAKREF;
    case '.': return -1;
    default: return 0;
    }
}

bool sqParseTypeMask(const SQChar* typemask, std::vector<SQInteger>& masks) {
    masks.clear();
    bool alternative = false;
    for (const SQChar* p = typemask; *p; ++p) {
        if (*p == ' ') continue;
        if (*p == '|') {
            if (masks.empty()) return false;
            alternative = true;
            continue;
        }
        SQInteger m = MaskOf(*p);
        if (m == 0) return false;
        if (alternative) {
            masks.back() = masks.back() == -1 || m == -1 ? -1 : masks.back() | m;
            alternative = false;
        } else {
            masks.push_back(m);
        }
    }
    return !alternative;
}
