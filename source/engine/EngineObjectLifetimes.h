#pragma once

// Tells the script host how to destroy the engine objects that scripts may own through their
// handles. Called by every engine object; registering again changes nothing. Each layer registers
// the types whose classes it holds: those of classes above the engine (the raytracer's, type 7)
// are registered by their own layer, and the raster font's (type 11) by the render layer.
void RegisterEngineObjectLifetimes();
