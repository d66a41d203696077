#pragma once

#include "core/math/nMinMax.h"
#include "render/nRenderable.h"

#include <string>
#include <utility>
#include <vector>

// A renderable box that, each time it is drawn, appends its name and the draw's cull flag and
// pass to a record the test shares between several of them.
class RecordingRenderable : public nRenderable
{
public:
    struct Draw
    {
        std::string name;
        bool cull;
        int32_t pass;
    };

    RecordingRenderable(std::vector<Draw>& record, std::string name, const nMinMax& box)
        : name(std::move(name)), box(box), m_record(record)
    {
    }

    bool IsRenderable() const override { return ready; }
    void GetWorldMinMax(nMinMax& out) const override { out = box; }
    void Render(nCamera*, nItem*, nAutoList<nRenderablePrimitive*>*, int32_t pass, bool cull) override
    {
        m_record.push_back({name, cull, pass});
    }

    std::string name;
    nMinMax box;
    bool ready = true;

private:
    std::vector<Draw>& m_record;
};

// The box of the given size around the point.
inline nMinMax CubeAt(float x, float y, float z, float size = 1.0f)
{
    return nMinMax::FromCentreSize(nVector(x, y, z), nVector(size, size, size));
}
