#include "engine/Quenvar.h"

#include "core/base/nLog.h"
#include "engine/resources/nResourceLoader.h"
#include "geometry/nGeometry.h"

nGeometry* Quenvar::LoadGeometry(const char* path, bool cpuOnly, bool bypassCache)
{
    nResourceList<nGeometry>* list = bypassCache ? nullptr : &m_currentCache->GetGeometryList(cpuOnly);
    nGeometry* geometry =
        LoadResource(*this, path, list, m_geometryNotFound, nCacheAdd::Append,
                     [this, cpuOnly](const nString& name)
                     {
                         // Names are compared as the file system compares them: a proxy may
                         // name its geometry in another letter case or with other separators.
                         nString key = name.ToLower();
                         key.Replace("\\", "/");
                         if (m_geometriesLoading.Find(key))
                         {
                             nLogHolder::Get()
                                 << nString::Format("[*] Geometry '%s' is still loading and cannot be its "
                                                    "own proxy; the proxy is left out.\n",
                                                    name.GetText())
                                        .GetText();
                             return static_cast<nGeometry*>(nullptr);
                         }
                         auto* loaded = new nGeometry(this);
                         if (!loaded)
                             return loaded;
                         loaded->name = name;
                         loaded->cpuOnly = cpuOnly;
                         m_geometriesLoading.PushBack(key);
                         PushLoadContext(loaded);
                         const bool read = loaded->Load(name.GetText());
                         PopLoadContext();
                         m_geometriesLoading.Remove(key);
                         if (read)
                             return loaded;
                         delete loaded;
                         return static_cast<nGeometry*>(nullptr);
                     });
    if (geometry && !geometry->renderData && m_setupOnLoad && !cpuOnly)
        geometry->renderData = m_renderer->SetupGeometry(geometry);
    if (geometry && m_geometryLoaded)
        m_geometryLoaded(geometry);
    return geometry;
}
