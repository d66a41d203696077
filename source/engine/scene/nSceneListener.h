#pragma once

#include <cstdint>

enum nSceneMessage : uint32_t
{
    SceneMessageItemAdding = 1,
    SceneMessageItemAdded = 2,
    SceneMessageItemDeleting = 3,
    SceneMessageItemDeleted = 4,
    SceneMessageGroupAdding = 5,
    SceneMessageGroupAdded = 6,
    SceneMessageGroupRemoving = 7,
    SceneMessageGroupRemoved = 8,
    SceneMessageContentDeleting = 9,
    SceneMessageContentDeleted = 10,
    SceneMessageLoading = 11,
    SceneMessageLoaded = 12,
    SceneMessageParentChanging = 13,
    SceneMessageParentChanged = 14,
};

// Hears what happens to a scene's items and groups; the data word is the item or group, when the
// message has one.
class nSceneListener
{
public:
    virtual ~nSceneListener() = default;
    virtual void OnMessage(nSceneMessage message, const void* data) = 0;
};
