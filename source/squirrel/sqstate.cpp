#include "squirrel/sqstate.h"

#include "squirrel/sqclass.h"
#include "squirrel/sqdelegates.h"
#include "squirrel/sqtable.h"

static const SQChar* const kMetaMethodNames[MT_LAST] = {
    "_add", "_sub", "_mul", "_div", "_unm", "_modulo", "_set", "_get", "_typeof", "_nexti",
    "_cmp", "_call", "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited"};

SQSharedState::~SQSharedState() {
    for (SQInteger nvalues = 0; nvalues < kKeptInstanceSizes; ++nvalues) {
        for (void* p : _keptInstances[nvalues]) {
            sqUnpoisonKept(p, sizeof(SQInstance) + (size_t)nvalues * sizeof(SQObjectPtr));
            free(p);
        }
    }
}

void SQSharedState::Init() {
    _emptyClassLayout = ++_lastClassLayout;
    for (std::vector<void*>& kept : _keptInstances) kept.reserve(kKeptInstances);
    _registry = SQObjectPtr(SQTable::Create(this));
    _consttable = SQObjectPtr(SQTable::Create(this));
    for (int i = 0; i < MT_LAST; ++i) _metaMethodNames[i] = SQObjectPtr(String(kMetaMethodNames[i]));
    _constructorName = SQObjectPtr(String("constructor"));
    sqCreateDefaultDelegates(this);
}

uint64_t SQSharedState::NextClassLayout(uint64_t from, const SQObject& key, bool method) {
    if (key._type != OT_STRING || _string(key)->_len > kMaxClassLayoutNameLength) return ++_lastClassLayout;
    const ClassLayoutStep step{from, _string(key), method};
    auto found = _classLayoutSteps.find(step);
    if (found != _classLayoutSteps.end()) return found->second.layout;
    // Numbers are never reused, so forgetting the steps only stops classes made later from sharing
    // with those made before; it keeps the names the table holds from piling up.
    if (_classLayoutSteps.size() >= kMaxClassLayoutSteps) _classLayoutSteps.clear();
    const uint64_t layout = ++_lastClassLayout;
    _classLayoutSteps.emplace(step, ClassLayoutTarget{layout, SQObjectPtr(key)});
    return layout;
}

int SQSharedState::MetaMethodIndex(const SQString* name) const {
    if (name->_len < 4 || name->_val[0] != '_') return -1;
    for (int i = 0; i < MT_LAST; ++i) {
        if (_string(_metaMethodNames[i]) == name) return i;
    }
    return -1;
}

const SQObjectPtr& SQSharedState::DefaultDelegate(SQObjectType t) const {
    static const SQObjectPtr none;
    switch (t) {
    case OT_TABLE: return _tableDelegate;
    case OT_ARRAY: return _arrayDelegate;
    case OT_STRING: return _stringDelegate;
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL: return _numberDelegate;
    case OT_CLOSURE:
    case OT_NATIVECLOSURE: return _closureDelegate;
    case OT_GENERATOR: return _generatorDelegate;
    case OT_THREAD: return _threadDelegate;
    case OT_CLASS: return _classDelegate;
    case OT_INSTANCE: return _instanceDelegate;
    case OT_WEAKREF: return _weakrefDelegate;
    default: return none;
    }
}

// Drops every reference held by live objects, cycles included, so that each release hook
// runs exactly once; objects a host still holds are freed with the state.
void SQSharedState::Shutdown() {
    _classLayoutSteps.clear();
    _registry.Null();
    _consttable.Null();
    for (auto& n : _metaMethodNames) n.Null();
    _constructorName.Null();
    for (SQObjectPtr* d : {&_tableDelegate, &_arrayDelegate, &_stringDelegate, &_numberDelegate,
                           &_closureDelegate, &_generatorDelegate, &_threadDelegate, &_classDelegate,
                           &_instanceDelegate, &_weakrefDelegate}) {
        d->Null();
    }
    _closing = true;
    for (SQRefCounted* r = _chain; r; r = r->_next) ++r->_uiRef;
    for (SQRefCounted* r = _chain; r; r = r->_next) r->Finalize();
    for (SQRefCounted* r = _chain; r;) {
        SQRefCounted* next = r->_next;
        if (--r->_uiRef == 0) r->Destroy();
        r = next;
    }
    while (_chain) _chain->Destroy();
    _strings.FreeAll();
}
