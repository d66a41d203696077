#pragma once

#include "squirrel/squirrel.h"

#include <cstdint>

class nMItem;

// The methods of the script class "CObject", split by aspect over CoreApi_cobject*.cpp. Each method
// first makes the common checks on "this": "Invalid instance type" for a value that is no handle,
// "Internal failure" for a handle without record; then the handle's object must be set ("Item is
// null" for methods of items alone, "Object is null" for the others) and of a kind the method
// accepts (else the method's refusal text).

// The kinds of object a method may accept, as bits.
enum nHandleKind : uint32_t
{
    HandleKindItem = 1,
    HandleKindScene = 2,
    HandleKindGroup = 4,
    HandleKindInstance = 8,
    HandleKindWindowSystem = 16,
    HandleKindEngine = 32,
    HandleKindShape = 64,
};

struct nHandleTarget
{
    int32_t type = 0;
    uint32_t kind = 0;
    void* object = nullptr;
};

// The kind bit of an object-type code, 0 for types no method accepts.
uint32_t GetHandleKind(int32_t type);

// The common checks; false after the runtime error.
bool GetHandleTarget(HSQUIRRELVM vm, uint32_t kinds, const char* refusal, nHandleTarget& target);

template <typename T> T* GetHandleThis(HSQUIRRELVM vm, uint32_t kind, const char* refusal)
{
    nHandleTarget target;
    return GetHandleTarget(vm, kind, refusal, target) ? static_cast<T*>(target.object) : nullptr;
}

// "this" as a managed item: "Item is null", "Object is not an item".
nMItem* GetThisItem(HSQUIRRELVM vm);

// The item held by the handle argument at the index: "Object is not an item" for anything else,
// "Item is null" for a handle on nothing.
nMItem* GetItemArgument(HSQUIRRELVM vm, SQInteger index);

// Pushes a new handle that does not own the object (null gives an empty handle of the type).
SQInteger PushHandleResult(HSQUIRRELVM vm, void* object, int32_t type);

// Adds the methods of each aspect to the declared class.
bool AddCObjectPhysicsMethods(HSQUIRRELVM vm);
