#include "script/nObjectTypeLifetime.h"

#include "core/nml/nMetaFile.h"
#include "core/picture/nPicture.h"
#include "script/nObjectType.h"

namespace
{
void DestroyPicture(void* object)
{
    delete static_cast<nPicture*>(object);
}

void DestroyMetafile(void* object)
{
    delete static_cast<nMetaFile*>(object);
}

struct nObjectTypeLifetimeTable
{
    nObjectTypeLifetime entries[ObjectTypeCount];

    nObjectTypeLifetimeTable()
    {
        entries[ObjectTypePicture].destroy = DestroyPicture;
        entries[ObjectTypeMetafile].destroy = DestroyMetafile;
    }
};

nObjectTypeLifetimeTable& GetTable()
{
    static nObjectTypeLifetimeTable table;
    return table;
}

bool IsKnownType(int32_t type)
{
    return type >= 0 && type < ObjectTypeCount;
}
} // namespace

void SetObjectTypeLifetime(int32_t type, const nObjectTypeLifetime& lifetime)
{
    if (IsKnownType(type))
        GetTable().entries[type] = lifetime;
}

const nObjectTypeLifetime* GetObjectTypeLifetime(int32_t type)
{
    return IsKnownType(type) ? &GetTable().entries[type] : nullptr;
}
