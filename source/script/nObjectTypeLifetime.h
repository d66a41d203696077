#pragma once

#include <cstdint>

// What a script handle does with the object it holds, per object type. Handles hold a reference
// on shared resources and may destroy the objects that scripts own; the script host cannot know
// those classes, so each subsystem fills the entries of its own types. A null entry does nothing.
struct nObjectTypeLifetime
{
    void (*addReference)(void* object) = nullptr;
    void (*releaseReference)(void* object) = nullptr;
    void (*destroy)(void* object) = nullptr;
};

// Codes outside 0..47 are ignored.
void SetObjectTypeLifetime(int32_t type, const nObjectTypeLifetime& lifetime);
// Null for a code outside 0..47.
const nObjectTypeLifetime* GetObjectTypeLifetime(int32_t type);

class nMetaFile;

// Empties a document: the handles on its tags become "Deleted native", then the tags are freed one
// by one, so none is left on a freed tag and a document that a script nested deeper than the call
// stack would take is freed all the same. The type-40 destroy and a reload of the document use it.
void ReleaseMetafileTags(nMetaFile& file);
