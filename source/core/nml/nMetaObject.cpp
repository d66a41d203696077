#include "core/nml/nMetaObject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

bool nMetaObject::Serialize(nMetaFile& file)
{
    nMetaTag* tag = SerializeTag(file);
    if (!tag)
        return false;
    if (!file.AddRoot(tag))
    {
        delete tag;
        return false;
    }
    return true;
}

bool nMetaObject::Save(const char* path)
{
    nMetaFile file;
    return Serialize(file) && file.Save(path);
}

bool nMetaObject::Parse(nMetaFile& file)
{
    auto* root = static_cast<nMetaTag*>(file.GetRoots().GetHead());
    if (!root)
    {
        nLogHolder::Get() << "[!] No root tag in '" << file.GetFileName() << "'.\n";
        return false;
    }
    return ParseTag(file, *root);
}

bool nMetaObject::Load(const char* path)
{
    nMetaFile file;
    return file.Load(path) && Parse(file);
}
