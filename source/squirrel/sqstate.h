#pragma once

#include "squirrel/sqobject.h"
#include "squirrel/sqstring.h"

#include <cstddef>
#include <string>
#include <unordered_map>
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
    uint64_t _emptyClassLayout = 0;  // of a class without members
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

private:
    struct ClassLayoutStep {
        uint64_t from;
        const SQString* name;
        bool method;
        bool operator==(const ClassLayoutStep& other) const {
            return from == other.from && name == other.name && method == other.method;
        }
    };
    struct ClassLayoutStepHash {
        size_t operator()(const ClassLayoutStep& step) const {
            return std::hash<uint64_t>()(step.from * 2 + (step.method ? 1 : 0)) ^
                   std::hash<const void*>()(step.name);
        }
    };
    struct ClassLayoutTarget {
        uint64_t layout;
        SQObjectPtr name;  // keeps the name's address from naming another string
    };
    static constexpr size_t kMaxClassLayoutSteps = 65536;
    static constexpr SQInteger kMaxClassLayoutNameLength = 64;  // longer member names are not shared
    std::unordered_map<ClassLayoutStep, ClassLayoutTarget, ClassLayoutStepHash> _classLayoutSteps;

public:

    ~SQSharedState();
    void Init();
    // The layout of a class of layout `from` once the member `key` (a method or static when
    // `method`) is added. Classes built by the same steps from the same base map every name to
    // the same member handle, so they share the number and a lookup cache filled on one serves
    // them all (each script unit runs its file and makes a class of its own). A key that is no
    // string (or a long one) makes a number of its own.
    uint64_t NextClassLayout(uint64_t from, const SQObject& key, bool method);
    void Shutdown();
    int MetaMethodIndex(const SQString* name) const;
    SQString* String(const SQChar* s, SQInteger len = -1) { return SQString::Create(this, s, len); }
    const SQObjectPtr& DefaultDelegate(SQObjectType t) const;
};
