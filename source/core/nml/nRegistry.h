#pragma once

#include "core/base/MessageBroadcaster.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nRegistryListener.h"

class nMetaTag;

// A settings tree addressed by key paths ("PostProcess:FX:Scale") that tells its listeners which
// key changed. Listeners are added and removed through the list it derives from (PushBack,
// Remove, Find) and are never deleted by the registry.
class nRegistry : public MessageBroadcaster<nRegistryMessage, nRegistryListener, const char*>,
                  public nMetaFile
{
public:
    nRegistry() = default;
    ~nRegistry() override = default;

    // Clearing a registry means clearing its tree; the listeners stay.
    using nMetaFile::Clear;

    // These two convert: Real, Bool and Integer values all answer; anything else gives the default.
    float GetFloat(const char* key, float defaultValue) const;
    bool GetBool(const char* key, bool defaultValue) const;

    // Creates the missing tags of the key and, given a value, copies it into the last tag and
    // tells every listener; returns the last tag, or null when the key runs through a value.
    nMetaTag* SetKey(const char* key, const nMetaTagValue* value);
    // Deletes the tag at the key with its subtree; false when any segment is missing.
    bool RemoveKey(const char* key);
};
