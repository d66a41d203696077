#include "engine/scene/SceneFileFixture.h"

#include <fstream>

void SceneFileFixture::SetUp()
{
    SceneFixture::SetUp();
    scene->Release();
    engine.SetRenderer(&renderer);
    scene = new nScene(&engine, &machine);
    scene->AddRef();
}

void SceneFileFixture::TearDown()
{
    SceneFixture::TearDown();
    engine.SetRenderer(nullptr);
}

void SceneFileFixture::WriteFile(const std::string& name, const std::string& text)
{
    std::ofstream(directory + "/" + name, std::ios::binary) << text;
}

size_t SceneFileFixture::CountLines(const std::string& line) const
{
    size_t count = 0;
    for (size_t at = log.find(line + "\n"); at != std::string::npos; at = log.find(line + "\n", at + 1))
        if (at == 0 || log[at - 1] == '\n')
            ++count;
    return count;
}

void SceneFileFixture::RunFrame()
{
    engine.UpdateClock();
    scene->Update(SceneUpdateAll);
    scene->RegisterAsPropertyCallback(&renderer);
    scene->RenderSetup(SceneRenderClearViewport);
    scene->RenderToQueue(0);
    renderer.RenderQueue();
    renderer.ResetRenderQueue();
    scene->SendRenderDone(0);
    scene->RenderUI(0);
}
