#include "engine/Quenvar.h"

#include <algorithm>

namespace
{
const nColor TitleColour(1.0f, 0.9f, 0.0f, 1.0f);
const nColor DescriptionColour(0.8f, 0.8f, 0.8f, 1.0f);
} // namespace

void Quenvar::DrawProfile(const nFontPair& fonts, float& x, float& y)
{
    nRenderer* renderer = m_renderer;
    const nTextFlags flags;
    const float rate = m_frameCounter.GetRate();
    const float milliseconds = m_frameCounter.GetAverage();
    auto write = [&](nRasterFont* font, const nString& text, const nColor* colour)
    { renderer->Write(font, text.GetText(), x, y, flags, 1.0f, colour, 0); };
    write(fonts.bold,
          nString::Format("Perf. = %0.02f fps (%0.02f ms)\n\n", double(rate), double(milliseconds)),
          &TitleColour);
    write(fonts.regular, nString::Format("%s\n", renderer->GetDescription()), &DescriptionColour);
    const char* adapter = renderer->GetAdapterText().GetText();
    write(fonts.regular, nString::Format("Running on %s\n\n", adapter ? adapter : ""), nullptr);
    write(fonts.bold, "Resources:\n\n", &TitleColour);
    nResourceCache& cache = *m_currentCache;
    write(fonts.regular,
          nString::Format("Texture cache = %d GPU, %d CPU\n", int(cache.GetTextureList(false).GetCount()),
                          int(cache.GetTextureList(true).GetCount())),
          nullptr);
    write(fonts.regular,
          nString::Format("Geometry cache = %d GPU, %d CPU\n", int(cache.GetGeometryList(false).GetCount()),
                          int(cache.GetGeometryList(true).GetCount())),
          nullptr);
    write(fonts.regular, nString::Format("Sound cache = %d\n\n", int(cache.GetSoundList().GetCount())),
          nullptr);
}

void Quenvar::BeginProfileScope(const char* name)
{
    const nString wanted(name ? name : "");
    auto found = std::find_if(m_profileScopes.begin(), m_profileScopes.end(),
                              [&wanted](const ProfileScope& scope) { return scope.name == wanted; });
    ProfileScope& scope =
        found != m_profileScopes.end() ? *found : m_profileScopes.emplace_back(ProfileScope{wanted, {}, 0});
    m_openProfileScopes.push_back(&scope);
    scope.timer.Begin();
}

void Quenvar::EndProfileScope()
{
    if (m_openProfileScopes.empty())
        return;
    ProfileScope* scope = m_openProfileScopes.back();
    m_openProfileScopes.pop_back();
    scope->timer.End();
    ++scope->runs;
}

const Quenvar::ProfileScope* Quenvar::GetProfileScope(const char* name) const
{
    const nString wanted(name ? name : "");
    for (const ProfileScope& scope : m_profileScopes)
        if (scope.name == wanted)
            return &scope;
    return nullptr;
}
