#pragma once

class nCamera;
class nFont;
class nVector;

// The drawing that the simulation's debug view needs of the renderer.
class nPhysicDebugRenderer
{
public:
    virtual ~nPhysicDebugRenderer() = default;
    virtual void DrawLine(const nVector& from, const nVector& to, const nVector& colour) = 0;
    virtual void DrawCross(const nVector& centre, float size, const nVector& colour) = 0;
    // Text at a world location, placed through the camera.
    virtual void DrawText(nCamera* camera, nFont* font, const nVector& location, const char* text) = 0;
};
