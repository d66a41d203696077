#pragma once

#include "engine/Quenvar.h"
#include "engine/items/SceneFixture.h"
#include "support/RecordingRenderer.h"

#include <string>

// A scene of a real engine, with a recording renderer, that reads scene files written into the
// fixture's "@scripts/" directory.
class SceneFileFixture : public SceneFixture
{
protected:
    void SetUp() override;
    void TearDown() override;
    void WriteFile(const std::string& name, const std::string& text);
    // Counts the lines of the log that equal the line.
    size_t CountLines(const std::string& line) const;
    // One frame as the viewer runs it, at a fixed step.
    void RunFrame();

    Quenvar engine;
    RecordingRenderer renderer{&engine};
};
