#pragma once

// Tells the script host how to destroy the engine objects that scripts may own through their
// handles. Called by every engine object; registering again changes nothing.
void RegisterEngineObjectLifetimes();
