#include "engine/items/nCamera.h"

// What the camera asks of the engine's renderer.

bool nCamera::QueryRendererViewport(int& x, int& y, int& width, int& height) const
{
    x = y = width = height = 0;
    return false;
}

float nCamera::GetRendererAspectCorrection() const
{
    return 1.0f;
}

void nCamera::LeaveRenderer() {}
