#pragma once

#include <cstdint>

// Public interface of the script language: handles, value types and the embedding calls.
// Everything else in this folder is internal to the library.

typedef int32_t SQInteger;
typedef uint32_t SQUnsignedInteger;
typedef int32_t SQInt32;
typedef uint32_t SQUnsignedInteger32;
typedef uint32_t SQHash;
typedef float SQFloat;
typedef SQUnsignedInteger SQBool;
typedef SQInteger SQRESULT;
typedef char SQChar;
typedef void* SQUserPointer;

#define SQTrue (1)
#define SQFalse (0)

#define SQ_OK (0)
#define SQ_ERROR (-1)
#define SQ_SUSPEND_FLAG (-666)
#define SQ_FAILED(res) ((res) < 0)
#define SQ_SUCCEEDED(res) ((res) >= 0)

#define SQ_VMSTATE_IDLE 0
#define SQ_VMSTATE_RUNNING 1
#define SQ_VMSTATE_SUSPENDED 2

#define SQ_MATCHTYPEMASKSTRING (-99999)

#define _SC(a) a

struct SQVM;
struct SQRefCounted;
struct SQString;
struct SQTable;
struct SQArray;
struct SQUserData;
struct SQClosure;
struct SQNativeClosure;
struct SQGenerator;
struct SQFunctionProto;
struct SQClass;
struct SQInstance;
struct SQWeakRef;
struct SQOuter;

typedef SQVM* HSQUIRRELVM;

#define _RT_NULL 0x00000001
#define _RT_INTEGER 0x00000002
#define _RT_FLOAT 0x00000004
#define _RT_BOOL 0x00000008
#define _RT_STRING 0x00000010
#define _RT_TABLE 0x00000020
#define _RT_ARRAY 0x00000040
#define _RT_USERDATA 0x00000080
#define _RT_CLOSURE 0x00000100
#define _RT_NATIVECLOSURE 0x00000200
#define _RT_GENERATOR 0x00000400
#define _RT_USERPOINTER 0x00000800
#define _RT_THREAD 0x00001000
#define _RT_FUNCPROTO 0x00002000
#define _RT_CLASS 0x00004000
#define _RT_INSTANCE 0x00008000
#define _RT_WEAKREF 0x00010000
#define _RT_OUTER 0x00020000

#define SQOBJECT_REF_COUNTED 0x08000000
#define SQOBJECT_NUMERIC 0x04000000
#define SQOBJECT_DELEGABLE 0x02000000
#define SQOBJECT_CANBEFALSE 0x01000000

#define _RAW_TYPE(type) ((type) & 0x00FFFFFF)

enum SQObjectType : uint32_t {
    OT_NULL = (_RT_NULL | SQOBJECT_CANBEFALSE),
    OT_INTEGER = (_RT_INTEGER | SQOBJECT_NUMERIC | SQOBJECT_CANBEFALSE),
    OT_FLOAT = (_RT_FLOAT | SQOBJECT_NUMERIC | SQOBJECT_CANBEFALSE),
    OT_BOOL = (_RT_BOOL | SQOBJECT_CANBEFALSE),
    OT_STRING = (_RT_STRING | SQOBJECT_REF_COUNTED),
    OT_TABLE = (_RT_TABLE | SQOBJECT_REF_COUNTED | SQOBJECT_DELEGABLE),
    OT_ARRAY = (_RT_ARRAY | SQOBJECT_REF_COUNTED),
    OT_USERDATA = (_RT_USERDATA | SQOBJECT_REF_COUNTED | SQOBJECT_DELEGABLE),
    OT_CLOSURE = (_RT_CLOSURE | SQOBJECT_REF_COUNTED),
    OT_NATIVECLOSURE = (_RT_NATIVECLOSURE | SQOBJECT_REF_COUNTED),
    OT_GENERATOR = (_RT_GENERATOR | SQOBJECT_REF_COUNTED),
    OT_USERPOINTER = _RT_USERPOINTER,
    OT_THREAD = (_RT_THREAD | SQOBJECT_REF_COUNTED),
    OT_FUNCPROTO = (_RT_FUNCPROTO | SQOBJECT_REF_COUNTED),
    OT_CLASS = (_RT_CLASS | SQOBJECT_REF_COUNTED),
    OT_INSTANCE = (_RT_INSTANCE | SQOBJECT_REF_COUNTED | SQOBJECT_DELEGABLE),
    OT_WEAKREF = (_RT_WEAKREF | SQOBJECT_REF_COUNTED),
    OT_OUTER = (_RT_OUTER | SQOBJECT_REF_COUNTED)
};

#define ISREFCOUNTED(t) ((t) & SQOBJECT_REF_COUNTED)

union SQObjectValue {
    SQRefCounted* pRefCounted;
    SQString* pString;
    SQTable* pTable;
    SQArray* pArray;
    SQUserData* pUserData;
    SQClosure* pClosure;
    SQNativeClosure* pNativeClosure;
    SQGenerator* pGenerator;
    SQFunctionProto* pFunctionProto;
    SQClass* pClass;
    SQInstance* pInstance;
    SQWeakRef* pWeakRef;
    SQOuter* pOuter;
    SQVM* pThread;
    SQUserPointer pUserPointer;
    SQInteger nInteger;
    SQFloat fFloat;
    uint64_t raw;
};

struct SQObject {
    SQObjectType _type;
    SQObjectValue _unVal;
};

typedef SQObject HSQOBJECT;

struct SQStackInfos {
    const SQChar* funcname;
    const SQChar* source;
    SQInteger line;
};

typedef SQInteger (*SQFUNCTION)(HSQUIRRELVM);
typedef SQInteger (*SQRELEASEHOOK)(SQUserPointer, SQInteger size);
typedef void (*SQCOMPILERERROR)(HSQUIRRELVM, const SQChar* /*desc*/, const SQChar* /*source*/,
                                SQInteger /*line*/, SQInteger /*column*/);
typedef void (*SQPRINTFUNCTION)(HSQUIRRELVM, const SQChar*, ...);
typedef void (*SQDEBUGHOOK)(HSQUIRRELVM, SQInteger /*type*/, const SQChar* /*sourcename*/,
                            SQInteger /*line*/, const SQChar* /*funcname*/);

struct SQRegFunction {
    const SQChar* name;
    SQFUNCTION f;
    SQInteger nparamscheck;
    const SQChar* typemask;
};

// virtual machine
HSQUIRRELVM sq_open(SQInteger initialstacksize);
HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize);
void sq_close(HSQUIRRELVM v);
void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p);
SQUserPointer sq_getforeignptr(HSQUIRRELVM v);
void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc, SQPRINTFUNCTION errorfunc);
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v);
SQPRINTFUNCTION sq_geterrorfunc(HSQUIRRELVM v);
void sq_seterrorhandler(HSQUIRRELVM v);
void sq_pushroottable(HSQUIRRELVM v);
void sq_pushregistrytable(HSQUIRRELVM v);
void sq_pushconsttable(HSQUIRRELVM v);
void sq_setroottable(HSQUIRRELVM v);
void sq_setconsttable(HSQUIRRELVM v);
SQInteger sq_getvmstate(HSQUIRRELVM v);
SQRESULT sq_suspendvm(HSQUIRRELVM v);
SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool resumedret, SQBool retval, SQBool raiseerror, SQBool throwerror);
SQInteger sq_getversion();

// compiler
SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename,
                          SQBool raiseerror);
void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable);
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable);
// From now on no try catches an error: every error leaves its calls up to the host. For a host that
// stops the machine at an error, so that no more script code runs in the calls being unwound.
void sq_halt(HSQUIRRELVM v);
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f);

// stack operations
void sq_push(HSQUIRRELVM v, SQInteger idx);
void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop);
void sq_poptop(HSQUIRRELVM v);
void sq_remove(HSQUIRRELVM v, SQInteger idx);
SQInteger sq_gettop(HSQUIRRELVM v);
void sq_settop(HSQUIRRELVM v, SQInteger newtop);
SQRESULT sq_reservestack(HSQUIRRELVM v, SQInteger nsize);
SQInteger sq_cmp(HSQUIRRELVM v);

// object creation handling
SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size);
void sq_newtable(HSQUIRRELVM v);
void sq_newtableex(HSQUIRRELVM v, SQInteger initialcapacity);
void sq_newarray(HSQUIRRELVM v, SQInteger size);
void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQInteger nfreevars);
SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar* typemask);
SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx);
void sq_pushstring(HSQUIRRELVM v, const SQChar* s, SQInteger len);
void sq_pushfloat(HSQUIRRELVM v, SQFloat f);
void sq_pushinteger(HSQUIRRELVM v, SQInteger n);
void sq_pushbool(HSQUIRRELVM v, SQBool b);
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p);
void sq_pushnull(HSQUIRRELVM v);
SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_typeof(HSQUIRRELVM v, SQInteger idx);
SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx);
SQHash sq_gethash(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx);
SQBool sq_instanceof(HSQUIRRELVM v);
SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx);
void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool* b);
SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar** c);
SQRESULT sq_getstringandsize(HSQUIRRELVM v, SQInteger idx, const SQChar** c, SQInteger* size);
SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger* i);
SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat* f);
SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool* b);
SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM* thread);
SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p);
SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer* typetag);
SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag);
SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer* typetag);
void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook);
SQRELEASEHOOK sq_getreleasehook(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQInteger* nparams, SQInteger* nfreevars);
SQRESULT sq_getclosurename(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar* name);
SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p);
SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer typetag,
                          SQBool throwerror = SQFalse);
SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize);
SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase);
SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx);
void sq_weakref(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t);

// object manipulation
SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic);
SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval);
SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval);
SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval = SQFalse);
SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize);
SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx);
SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos);
SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQInteger nval);
SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx);
SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx);

// calls
SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror);
SQRESULT sq_getlasterror(HSQUIRRELVM v);
void sq_reseterror(HSQUIRRELVM v);
SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar* err);
SQRESULT sq_throwobject(HSQUIRRELVM v);
SQRESULT sq_getcallee(HSQUIRRELVM v);

// raw object handling
SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po);
void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj);
void sq_addref(HSQUIRRELVM v, HSQOBJECT* po);
SQBool sq_release(HSQUIRRELVM v, HSQOBJECT* po);
SQUnsignedInteger sq_getrefcount(HSQUIRRELVM v, HSQOBJECT* po);
// True while a weak reference to the object exists.
SQBool sq_hasweakref(const HSQOBJECT* po);
void sq_resetobject(HSQOBJECT* po);
const SQChar* sq_objtostring(const HSQOBJECT* o);
SQBool sq_objtobool(const HSQOBJECT* o);
SQInteger sq_objtointeger(const HSQOBJECT* o);
SQFloat sq_objtofloat(const HSQOBJECT* o);
SQUserPointer sq_objtouserpointer(const HSQOBJECT* o);
SQRESULT sq_getobjtypetag(const HSQOBJECT* o, SQUserPointer* typetag);

// garbage collector
SQInteger sq_collectgarbage(HSQUIRRELVM v);
SQRESULT sq_resurrectunreachable(HSQUIRRELVM v);

// debug
SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos* si);
void sq_setdebughook(HSQUIRRELVM v);
void sq_setnativedebughook(HSQUIRRELVM v, SQDEBUGHOOK hook);

#define sq_isnumeric(o) ((o)._type & SQOBJECT_NUMERIC)
#define sq_istable(o) ((o)._type == OT_TABLE)
#define sq_isarray(o) ((o)._type == OT_ARRAY)
#define sq_isfunction(o) ((o)._type == OT_FUNCPROTO)
#define sq_isclosure(o) ((o)._type == OT_CLOSURE)
#define sq_isgenerator(o) ((o)._type == OT_GENERATOR)
#define sq_isnativeclosure(o) ((o)._type == OT_NATIVECLOSURE)
#define sq_isstring(o) ((o)._type == OT_STRING)
#define sq_isinteger(o) ((o)._type == OT_INTEGER)
#define sq_isfloat(o) ((o)._type == OT_FLOAT)
#define sq_isuserpointer(o) ((o)._type == OT_USERPOINTER)
#define sq_isuserdata(o) ((o)._type == OT_USERDATA)
#define sq_isthread(o) ((o)._type == OT_THREAD)
#define sq_isnull(o) ((o)._type == OT_NULL)
#define sq_isclass(o) ((o)._type == OT_CLASS)
#define sq_isinstance(o) ((o)._type == OT_INSTANCE)
#define sq_isbool(o) ((o)._type == OT_BOOL)
#define sq_isweakref(o) ((o)._type == OT_WEAKREF)
#define sq_type(o) ((o)._type)
