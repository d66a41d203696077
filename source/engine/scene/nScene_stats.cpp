#include "engine/scene/nScene.h"

#include "engine/Quenvar.h"
#include "render/nFontPair.h"
#include "render/nRenderer.h"
#include "render/nTextFlags.h"
#include "ui/nScene2D.h"

void nScene::PrintStats(const nFontPair& fonts, float& x, float& y)
{
    nRenderer* renderer = m_engine ? m_engine->GetRenderer() : nullptr;
    if (!renderer)
        return;
    const nTextFlags flags;
    auto write = [&](const nString& text) { renderer->Write(fonts.regular, text.GetText(), x, y, flags, 1.0f, nullptr, 0); };
    // The script timer is closed at the start of each frame; the others hold their last frame.
    auto last = [this](Timer timer) {
        return double(timer == TimerScript ? m_timers[timer].GetPrevious() : m_timers[timer].GetLast());
    };
    const uint32_t all = m_allItems.GetCount();
    const uint32_t active = m_activeItems.GetCount();
    write("Scene\n\n");
    write(nString::Format("Evaluate = %0.02f ms\n", last(TimerEvaluate)));
    write(nString::Format("  -> Item = %d item(s), %d active (%d%%)\n", int(all), int(active),
                          all ? int(active * 100 / all) : 0));
    write(nString::Format("Script = %0.02f ms\n", last(TimerScript)));
    write(nString::Format("Physic = %0.02f ms\n", last(TimerPhysic)));
    write(nString::Format("Send to render = %0.02f ms\n", last(TimerSendToRender)));
    write(nString::Format("User interface = %0.02f ms (%d window(s))\n", last(TimerUserInterface),
                          m_ui ? int(m_ui->GetItemCount()) : 0));
    write(nString::Format("Logic callback = %0.02f ms\n", last(TimerLogicCallback)));
    write(nString::Format("Collision callback = %0.02f ms\n", last(TimerCollisionCallback)));
}
