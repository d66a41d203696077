#pragma once

#include "squirrel/sqobject.h"
#include "squirrel/sqopcodes.h"

#include <vector>

struct SQOuterInfo {
    bool fromParentLocal;  // else an outer of the enclosing closure
    SQInteger index;
    SQObjectPtr name;
};

struct SQLineInfo {
    SQInteger pc;
    SQInteger line;
};

struct SQLocalVarInfo {
    SQObjectPtr name;
    SQInteger slot;
    SQInteger startpc;
    SQInteger endpc;
};

// What an instruction that names a member found the last time it ran, so that the next run
// on an instance of a class of the same layout skips the hash lookup. The layout number names
// how a class maps member names to handles: it changes when a member is added, and classes
// built by the same steps share it (SQSharedState::NextClassLayout).
struct SQLookupCache {
    uint64_t layout = 0;  // the class layout `member` belongs to; 0: none
    SQInteger member = -1;  // the name's member handle in that class; -1: the class has none
};

// Compiled code of one function; immutable once the compiler has finished it, but for the
// lookup caches of its instructions.
struct SQFunctionProto : SQRefCounted {
    std::vector<SQInstruction> _code;
    std::vector<SQObjectPtr> _literals;
    std::vector<SQObjectPtr> _functions;
    std::vector<SQOuterInfo> _outers;
    std::vector<SQObjectPtr> _parameters;  // names, `this` first
    std::vector<SQLineInfo> _lineinfos;
    std::vector<SQLocalVarInfo> _localvarinfos;
    std::vector<SQLookupCache> _lookupCaches;  // indexed by the arg2 of instructions that look names up
    SQInteger _ndefaults = 0;
    bool _varparams = false;
    bool _generator = false;
    SQInteger _stacksize = 0;
    SQInteger _declarationLine = 1;  // what the debug hook's call event reports
    SQObjectPtr _name;
    SQObjectPtr _sourcename;

    static SQFunctionProto* Create(SQSharedState* ss);
    SQInteger NumParams() const { return (SQInteger)_parameters.size(); }
    SQInteger LineAt(SQInteger pc) const;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
};

// A captured local: open while the local's frame lives (it then points into the stack),
// closed (holding its own copy) afterwards.
struct SQOuter : SQRefCounted {
    SQObjectPtr* _valptr = nullptr;
    SQInteger _stackindex = 0;
    SQOuter* _nextOpen = nullptr;
    SQObjectPtr _value;
    void Finalize() override { _value.Null(); }
    void Traverse(SQCollector& gc) override;
};

struct SQClosure : SQRefCounted {
    SQFunctionProto* _function = nullptr;
    SQVector<SQObjectPtr> _outers;
    SQVector<SQObjectPtr> _defaultparams;
    SQWeakRef* _env = nullptr;
    SQClass* _base = nullptr;

    static SQClosure* Create(SQSharedState* ss, SQFunctionProto* proto);
    ~SQClosure() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    SQClosure* Clone();
    void SetEnv(SQWeakRef* env);
};

// Default-delegate methods the interpreter runs inline when called with their own receiver
// type and argument count (else they are called as natives, which raise the errors).
enum class SQIntrinsic : uint8_t { None, ArrayLen, ArrayAppend, ArrayTop, StringLen, TableLen };

struct SQNativeClosure : SQRefCounted {
    SQFUNCTION _function = nullptr;
    SQIntrinsic _intrinsic = SQIntrinsic::None;
    std::vector<SQObjectPtr> _outers;
    SQObjectPtr _name;
    SQInteger _nparamscheck = 0;
    std::vector<SQInteger> _typecheck;
    SQWeakRef* _env = nullptr;

    static SQNativeClosure* Create(SQSharedState* ss, SQFUNCTION f, SQInteger nouters);
    ~SQNativeClosure() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    SQNativeClosure* Clone();
    void SetEnv(SQWeakRef* env);
};

enum class SQGeneratorState { Running, Suspended, Dead };

// A suspended script frame: its slots and position are kept here between resumes. Outers
// still open on those slots point into _stack while suspended (each held by one reference).
// Try blocks open at a yield are kept as (stack offset, handler pc) pairs.
struct SQSavedTrap {
    SQInteger sp;
    SQInteger pc;
};

struct SQGenerator : SQRefCounted {
    SQObjectPtr _closure;
    SQVector<SQObjectPtr> _stack;
    std::vector<SQOuter*> _outers;
    std::vector<SQSavedTrap> _traps;
    SQInteger _pc = 0;
    SQGeneratorState _state = SQGeneratorState::Suspended;

    static SQGenerator* Create(SQSharedState* ss, SQClosure* closure);
    ~SQGenerator() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    void DetachOuters() override { CloseOuters(true); }
    void CloseOuters(bool keepValues);
};

// Parses a parameter type mask ("t|xs.n"): one entry per parameter, -1 for any type.
bool sqParseTypeMask(const SQChar* typemask, std::vector<SQInteger>& masks);
