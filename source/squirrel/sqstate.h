#pragma once

#include "squirrel/sqobject.h"
#include "squirrel/sqstring.h"

#include <string>
#include <vector>

// What all threads of one VM share: interned strings, the registry and const tables, the
// default delegates of each type and the host's hooks.
struct SQSharedState {
    SQStringTable _strings;
    SQRefCounted* _chain = nullptr;
    bool _closing = false;
    bool _collecting = false;
    SQVM* _rootvm = nullptr;
    SQInteger _threadNesting = 0;  // threads running inside other threads' calls
    uint64_t _lastClassLayout = 0;
    SQObjectPtr _registry;
    SQObjectPtr _consttable;
    SQObjectPtr _metaMethodNames[MT_LAST];
    SQObjectPtr _constructorName;
    SQObjectPtr _tableDelegate;
    SQObjectPtr _arrayDelegate;
    SQObjectPtr _stringDelegate;
    SQObjectPtr _numberDelegate;
    SQObjectPtr _closureDelegate;
    SQObjectPtr _generatorDelegate;
    SQObjectPtr _threadDelegate;
    SQObjectPtr _classDelegate;
    SQObjectPtr _instanceDelegate;
    SQObjectPtr _weakrefDelegate;
    SQPRINTFUNCTION _printfunc = nullptr;
    SQPRINTFUNCTION _errorfunc = nullptr;
    SQCOMPILERERROR _compilererrorhandler = nullptr;
    bool _debuginfo = false;
    bool _notifyallexceptions = false;
    bool _halted = false;  // see sq_halt
    std::string _scratch;
    // Memory of dead class instances, by field count, kept for new instances of that size.
    static constexpr SQInteger kKeptInstanceSizes = 8;
    static constexpr size_t kKeptInstances = 256;
    std::vector<void*> _keptInstances[kKeptInstanceSizes];

    ~SQSharedState();
    void Init();
    void Shutdown();
    int MetaMethodIndex(const SQString* name) const;
    SQString* String(const SQChar* s, SQInteger len = -1) { return SQString::Create(this, s, len); }
    const SQObjectPtr& DefaultDelegate(SQObjectType t) const;
};
