#include "api/MetafileApi.h"

#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextReader.h"
#include "platform/nPlatform.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

// Scripts own the documents they make (the handle's release frees one, see nObjectTypeLifetime);
// tags belong to their document and are handed out on loan.

template <> struct nHandleArg<nMetaFile>
{
    static nMetaFile* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nMetaFile>(vm, index, ObjectTypeMetafile);
    }
};

template <> struct nHandleArg<nMetaTag>
{
    static nMetaTag* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nMetaTag>(vm, index, ObjectTypeMetatag);
    }
};

bool ReadTagValue(const ScriptArgs& args, int32_t index, nMetaTagValue& value)
{
    switch (args.GetType(index))
    {
    case OT_FLOAT:
        value.SetFloat(args.GetFloat(index));
        return true;
    case OT_BOOL:
        value.SetBool(args.GetBool(index));
        return true;
    case OT_INTEGER:
        value.SetInt(args.GetInt(index));
        return true;
    case OT_STRING:
        value.SetString(args.GetString(index));
        return true;
    default:
        return false;
    }
}

bool PushTagValue(const ScriptArgs& args, const nMetaTagValue& value)
{
    switch (value.GetType())
    {
    case TagTypeReal:
    {
        float real = 0.0f;
        value.GetFloat(real);
        return args.PushFloat(real);
    }
    case TagTypeBool:
    {
        bool flag = false;
        value.GetBool(flag);
        return args.PushBool(flag);
    }
    case TagTypeInteger:
    {
        int32_t integer = 0;
        value.GetInt(integer);
        return args.PushInt(integer);
    }
    case TagTypeString:
        return args.PushString(value.GetText().GetText());
    default:
        return false;
    }
}

namespace
{
SQInteger PushTag(HSQUIRRELVM vm, nMetaTag* tag)
{
    return PushHandle(vm, tag, ObjectTypeMetatag);
}

SQInteger PushTags(HSQUIRRELVM vm, const nLinkedListId& tags)
{
    sq_newarray(vm, 0);
    for (nLinkedListEntry* entry = tags.GetHead(); entry; entry = entry->GetNext())
        if (!AppendHandle(vm, static_cast<nMetaTag*>(entry), ObjectTypeMetatag))
        {
            sq_poptop(vm);
            return SQ_ERROR;
        }
    return 1;
}

void LogUnconvertible()
{
    nLogHolder::Get() << "[!] Cannot convert input Squirrel type to metatag value.\n";
}

// A new tag named after the name argument holding the value argument (null gives a tag without
// value); null after the line when the value has no tag form.
std::unique_ptr<nMetaTag> NewTagFromValue(const ScriptArgs& args)
{
    std::unique_ptr<nMetaTag> tag(new nMetaTag(args.GetString(3)));
    if (tag && args.GetType(4) != OT_NULL && !ReadTagValue(args, 4, tag->GetValue()))
    {
        LogUnconvertible();
        return nullptr;
    }
    return tag;
}

SQInteger New(HSQUIRRELVM vm)
{
    auto* file = new nMetaFile();
    if (PushCObject(vm, file, ObjectTypeMetafile, true))
        return 1;
    delete file;
    return SQ_ERROR;
}

// Reading a file replaces the document's tags, so they go first, with the handles on them. A file
// that is not there leaves the document, and the handles, as they were.
SQInteger Load(const ScriptArgs& args, nMetaFile& file)
{
    const char* path = args.GetString(3);
    if (nPlatform::Get().GetIOSystem().Exists(nString(path)))
        ReleaseMetafileTags(file);
    return args.PushBool(file.Load(path));
}

// How deep the document's tags nest (a root is at depth 1), walked without recursion.
uint32_t NestingDepth(const nMetaFile& file)
{
    uint32_t deepest = 0;
    std::vector<std::pair<const nLinkedListEntry*, uint32_t>> pending;
    for (const nLinkedListEntry* root = file.GetRoots().GetHead(); root; root = root->GetNext())
        pending.emplace_back(root, 1);
    while (!pending.empty())
    {
        const auto [entry, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        const auto* tag = static_cast<const nMetaTag*>(entry);
        for (const nLinkedListEntry* child = tag->GetChildren().GetHead(); child; child = child->GetNext())
            pending.emplace_back(child, depth + 1);
    }
    return deepest;
}

// A script can nest tags without end; NML text nests them at most as deep as its readers take, and
// writing deeper would only make a file that no reader loads.
SQInteger Save(const ScriptArgs& args, nMetaFile& file)
{
    if (NestingDepth(file) > nMetaTextReader::MaxTagDepth)
    {
        nLogHolder::Get() << "[!] Cannot save '" << args.GetString(3) << "': its tags nest deeper than "
                          << nMetaTextReader::MaxTagDepth << " levels.\n";
        return args.PushBool(false);
    }
    return args.PushBool(file.Save(args.GetString(3)));
}

SQInteger GetRoots(const ScriptArgs& args, nMetaFile& file)
{
    return PushTags(args.GetVM(), file.GetRoots());
}

SQInteger GetName(const ScriptArgs& args, nMetaTag& tag)
{
    return args.PushString(tag.GetName().GetText());
}

SQInteger GetType(const ScriptArgs& args, nMetaTag& tag)
{
    return args.PushInt(static_cast<int32_t>(tag.GetType()));
}

SQInteger GetValue(const ScriptArgs& args, nMetaTag& tag)
{
    if (PushTagValue(args, tag.GetValue()))
        return 1;
    nLogHolder::Get() << "[!] Cannot get value from tag '" << tag.GetName() << "'. Unsupported type.\n";
    return args.PushInt(-1);
}

SQInteger SetValue(const ScriptArgs& args, nMetaTag& tag)
{
    // A tag holding both is saved with its value only: its children would be lost with the file.
    if (tag.GetChildCount() > 0)
    {
        nLogHolder::Get() << "[!] Tag '" << tag.GetName() << "' has children and takes no value.\n";
        return 0;
    }
    if (!ReadTagValue(args, 3, tag.GetValue()))
    {
        LogUnconvertible();
        nLogHolder::Get() << "[*] Incorrect binding argument count.\n";
    }
    return 0;
}

SQInteger AddRoot(const ScriptArgs& args, nMetaFile& file)
{
    return PushTag(args.GetVM(), file.AddRoot(args.GetString(3)));
}

SQInteger AddChild(const ScriptArgs& args, nMetaTag& tag)
{
    return PushTag(args.GetVM(), tag.AddChild(args.GetString(3)));
}

SQInteger AddRootWithValue(const ScriptArgs& args, nMetaFile& file)
{
    std::unique_ptr<nMetaTag> tag = NewTagFromValue(args);
    if (tag && file.AddRoot(tag.get()))
        return PushTag(args.GetVM(), tag.release());
    return PushTag(args.GetVM(), nullptr);
}

// A tag that holds a value takes no child: the parent refuses with its own line.
SQInteger AddChildWithValue(const ScriptArgs& args, nMetaTag& parent)
{
    std::unique_ptr<nMetaTag> tag = NewTagFromValue(args);
    if (tag && parent.AddChildTag(tag.get()))
        return PushTag(args.GetVM(), tag.release());
    return PushTag(args.GetVM(), nullptr);
}

SQInteger GetTag(const ScriptArgs& args, nMetaFile& file)
{
    return PushTag(args.GetVM(), MetaFindTagInList(&file.GetRoots(), args.GetString(3), false));
}

SQInteger GetTypedTag(const ScriptArgs& args, nMetaFile& file)
{
    const auto type = static_cast<nMetaTagType>(args.GetInt(4));
    return PushTag(args.GetVM(), file.GetTypedTag(args.GetString(3), type, false));
}

SQInteger GetTagBelow(const ScriptArgs& args, nMetaTag& tag)
{
    return PushTag(args.GetVM(), tag.GetTag(args.GetString(3)));
}

SQInteger GetTypedTagBelow(const ScriptArgs& args, nMetaTag& tag)
{
    const auto type = static_cast<nMetaTagType>(args.GetInt(4));
    return PushTag(args.GetVM(), tag.GetTypedTag(args.GetString(3), type));
}

SQInteger GetChildren(const ScriptArgs& args, nMetaTag& tag)
{
    return PushTags(args.GetVM(), tag.GetChildren());
}

const nNativeEntry MetafileNatives[] = {
    {"MetafileNew", GuardedNative<New>, "."},
    {"MetafileDelete", Native<Ignored<nMetaFile>>, ".x"},
    {"MetafileLoad", Native<Load>, ".xs"},
    {"MetafileSave", Native<Save>, ".xs"},
    {"MetafileGetRoots", Native<GetRoots>, ".x"},
    {"MetatagGetName", Native<GetName>, ".x"},
    {"MetatagGetType", Native<GetType>, ".x"},
    {"MetatagGetValue", Native<GetValue>, ".x"},
    {"MetatagSetValue", Native<SetValue>, ".x."},
    {"MetafileAddRoot", Native<AddRoot>, ".xs"},
    {"MetatagAddChild", Native<AddChild>, ".xs"},
    {"MetafileAddRootWithValue", Native<AddRootWithValue>, ".xs."},
    {"MetatagAddChildWithValue", Native<AddChildWithValue>, ".xs."},
    {"MetafileGetTag", Native<GetTag>, ".xs"},
    {"MetafileGetTypedTag", Native<GetTypedTag>, ".xsi"},
    {"MetatagGetTag", Native<GetTagBelow>, ".xs"},
    {"MetatagGetTypedTag", Native<GetTypedTagBelow>, ".xsi"},
    {"MetatagGetChildren", Native<GetChildren>, ".x"},
};

const nIntegerConstantEntry MetafileConstants[] = {
    {"TagType_Binary", TagTypeBinary}, {"TagType_Integer", TagTypeInteger}, {"TagType_None", TagTypeNone},
    {"TagType_Real", TagTypeReal},     {"TagType_String", TagTypeString},   {"TagType_Node", TagTypeNone},
    {"TagType_Tag", TagTypeNone},      {"TagType_Shortcut", TagTypeNone},
};
} // namespace

void RegisterMetafileApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, MetafileNatives);
    RegisterIntegerConstants(vm, MetafileConstants);
}
