#include "core/nml/nMetaFile.h"

#include "core/io/nIOHandle.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextReader.h"
#include "core/nml/nMetaTextWriter.h"
#include "platform/nPlatform.h"

#include <memory>
#include <new>

nMetaFile::~nMetaFile() = default;

void nMetaFile::Clear()
{
    m_roots.Clear(true);
    m_fileName.Clear();
}

nMetaTag* nMetaFile::AddRoot(nMetaTag* tag)
{
    return static_cast<nMetaTag*>(m_roots.Add(tag));
}

namespace
{
// A tag made for the caller is deleted again when it cannot be linked.
nMetaTag* AdoptRoot(nLinkedListId& roots, nMetaTag* tag)
{
    if (tag && !roots.Add(tag))
    {
        delete tag;
        return nullptr;
    }
    return tag;
}
} // namespace

nMetaTag* nMetaFile::AddRoot(const char* name)
{
    return AdoptRoot(m_roots, new nMetaTag(name));
}

nMetaTag* nMetaFile::AddRootBool(const char* name, bool value)
{
    return AdoptRoot(m_roots, new nMetaTag(name, value));
}

nMetaTag* nMetaFile::AddRootInt(const char* name, int32_t value)
{
    return AdoptRoot(m_roots, new nMetaTag(name, value));
}

nMetaTag* nMetaFile::AddRootFloat(const char* name, float value)
{
    return AdoptRoot(m_roots, new nMetaTag(name, value));
}

nMetaTag* nMetaFile::AddRootString(const char* name, const char* text)
{
    return AdoptRoot(m_roots, new nMetaTag(name, text));
}

nMetaTag* nMetaFile::AddRootBinary(const char* name, const void* data, uint32_t size)
{
    return AdoptRoot(m_roots, new nMetaTag(name, data, size));
}

bool nMetaFile::RemoveRoot(nMetaTag* tag)
{
    return tag && tag->GetList() == &m_roots && m_roots.Unlink(tag);
}

nMetaTag* nMetaFile::GetTypedTag(const char* path, nMetaTagType type, bool verbose) const
{
    nMetaTag* tag = MetaFindTagInList(&m_roots, path, verbose);
    return tag && tag->GetType() == type ? tag : nullptr;
}

bool nMetaFile::GetBool(const char* path, bool defaultValue, bool verbose) const
{
    nMetaTag* tag = GetTypedTag(path, TagTypeBool, verbose);
    bool value = defaultValue;
    return tag && tag->GetValue().GetBool(value) ? value : defaultValue;
}

int32_t nMetaFile::GetInt(const char* path, int32_t defaultValue, bool verbose) const
{
    nMetaTag* tag = GetTypedTag(path, TagTypeInteger, verbose);
    int32_t value = defaultValue;
    return tag && tag->GetValue().GetInt(value) ? value : defaultValue;
}

float nMetaFile::GetFloat(const char* path, float defaultValue, bool verbose) const
{
    nMetaTag* tag = GetTypedTag(path, TagTypeReal, verbose);
    float value = defaultValue;
    return tag && tag->GetValue().GetFloat(value) ? value : defaultValue;
}

nString nMetaFile::GetString(const char* path, const char* defaultValue, bool verbose) const
{
    nMetaTag* tag = GetTypedTag(path, TagTypeString, verbose);
    nString value;
    if (tag && tag->GetValue().GetString(value))
        return value;
    return nString(defaultValue);
}

nMetaTag* nMetaFile::GetNextRoot(nLinkedListIterator& iterator) const
{
    return static_cast<nMetaTag*>(m_roots.Next(iterator));
}

nMetaFile* nMetaFile::Clone() const
{
    nMetaFile* copy = new nMetaFile();
    if (!m_fileName.IsEmpty())
        copy->m_fileName = m_fileName;
    for (nLinkedListEntry* entry = m_roots.GetHead(); entry; entry = entry->GetNext())
    {
        nMetaTag* root = static_cast<const nMetaTag*>(entry)->Clone(true);
        if (!root)
        {
            delete copy;
            return nullptr;
        }
        copy->m_roots.Add(root);
    }
    return copy;
}

bool nMetaFile::Load(const char* path)
{
    return nMetaTextReader::Load(*this, path);
}

nMetaFile* nMetaFile::Open(const char* path)
{
    auto* file = new (std::nothrow) nMetaFile();
    if (!file)
    {
        nLogHolder::Get() << "[!] Failed to allocate file.\n";
        return nullptr;
    }
    if (!file->Load(path))
    {
        delete file;
        return nullptr;
    }
    return file;
}

bool nMetaFile::Parse(const char* text, size_t length)
{
    nMetaTextReader reader(*this);
    return reader.Parse(text, length);
}

bool nMetaFile::Save(const char* path) const
{
    if (!path)
        return false;
    nMetaTextWriter writer(m_binaryEncoding);
    if (!writer.WriteDocument(*this))
        return false;
    std::unique_ptr<nIOHandle> handle(nPlatform::Get().GetIOSystem().Open(nString(path), IOModeWrite));
    if (!handle)
    {
        nLogHolder::Get() << "[!] Failed to open nml output '" << path << "'.\n";
        return false;
    }
    const std::string& text = writer.GetText();
    handle->Write(text.data(), text.size());
    return handle->Commit();
}
