#pragma once

// Something that follows a physics world; the world only forgets its listeners when destroyed.
class nPhysicListener
{
public:
    virtual ~nPhysicListener() = default;
};
