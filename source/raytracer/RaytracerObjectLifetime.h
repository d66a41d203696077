#pragma once

// Tells the script host how a handle that owns a raytracer destroys it (object type 7). Called
// by every raytracer; registering again changes nothing.
void RegisterRaytracerObjectLifetime();
