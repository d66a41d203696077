#pragma once

#include "engine/Quenvar.h"
#include "engine/resources/nResourceList.h"
#include "render/nCoreEventData.h"

#include <type_traits>

// The steps every file-based loader shares, in their order: the name is the path normalised; a
// name whose file does not exist goes to the kind's not-found hook, which may redirect it; the
// event sink and the core listeners hear the load begin and end; the result joins the cache list.
class nResourceLoader
{
public:
    nResourceLoader(Quenvar& engine, const char* path);

    bool HasPath() const { return m_hasPath; }
    const nString& GetName() const { return m_name; }
    // True when the hook was called (the name may then have changed, relative to the mount table).
    bool Redirect(Quenvar::NotFoundHook notFound);
    void Begin();
    void Finish(const nCoreEventData& data);
    void End();

private:
    Quenvar& m_engine;
    nString m_name;
    bool m_hasPath;
};

template <typename T> nCoreEventData MakeCoreEventData(T* resource)
{
    if constexpr (std::is_constructible_v<nCoreEventData, T*>)
        return nCoreEventData(resource);
    else
        return nCoreEventData();
}

enum class nCacheAdd
{
    Append,
    UnlessPresent, // materials: one list entry per object
};

// The common loader. list is the cache list of the kind (null bypasses the cache); createAndLoad
// (name) -> T* makes and loads the resource, deleting it and answering null when that fails.
// The kind's own steps (set-up, loaded hook) follow in its loader, also for a cached result.
template <typename T, typename CreateAndLoad>
T* LoadResource(Quenvar& engine, const char* path, nResourceList<T>* list, Quenvar::NotFoundHook notFound,
                nCacheAdd add, CreateAndLoad&& createAndLoad)
{
    nResourceLoader load(engine, path);
    if (!load.HasPath())
        return nullptr;
    if (list)
        if (T* cached = list->Find(load.GetName().GetText()))
            return cached;
    if (load.Redirect(notFound) && list)
        if (T* cached = list->Find(load.GetName().GetText()))
            return cached;
    load.Begin();
    T* result = createAndLoad(load.GetName());
    load.Finish(MakeCoreEventData(result));
    if (list && result)
    {
        if (add == nCacheAdd::UnlessPresent)
            list->AddUnlessPresent(result, load.GetName());
        else
            list->Add(result, load.GetName());
    }
    load.End();
    return result;
}
