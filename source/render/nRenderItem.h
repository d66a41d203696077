#pragma once

#include <cstdint>

class nMatrix4;

// What the frame reads of an item it draws. The item lives with the scene, which the renderer
// cannot link, so the scene's items implement this. The matrices are the ones last brought up to
// date: light-culling jobs read them while the main thread waits, so only the main thread calls
// UpdateRenderMatrices.
class nRenderItem
{
public:
    virtual void UpdateRenderMatrices() = 0;
    virtual const nMatrix4& GetRenderWorldMatrix() const = 0;
    virtual const nMatrix4& GetRenderInverseMatrix() const = 0;
    // 0 transparent to 1 opaque.
    virtual float GetRenderOpacity() const = 0;
    // The skin's current matrices, one per bone of the drawn geometry; null and a count of 0 for
    // an item without a skin.
    virtual const nMatrix4* GetRenderBoneMatrices(uint32_t& count) const
    {
        count = 0;
        return nullptr;
    }

protected:
    ~nRenderItem() = default;
};
