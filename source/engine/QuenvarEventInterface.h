#pragma once

// Where the loaders and the scene reader report load progress. The engine's default sink does
// nothing; a viewer may install one that shows progress. The fraction is -1 when unknown.
class QuenvarEventInterface
{
public:
    virtual void OnLoadBegin() {}
    virtual void OnLoadProgress(const char*, float) {}
    virtual void OnLoadEnd() {}
    // A note for the sink's own display; the engine sends none.
    virtual void OnLoadNote(const char*) {}
    virtual ~QuenvarEventInterface() = default;
};
