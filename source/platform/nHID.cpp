#include "platform/nHID.h"

#include "platform/nHIDDescriptor.h"
#include "platform/nHIDDevice.h"
#include "platform/nHIDKeyboard.h"
#include "platform/nHIDSourceSDL.h"
#include "platform/nHIDSystem.h"

namespace
{
nHID* installed = nullptr;
} // namespace

nHID& nHID::GetInstance()
{
    if (installed)
        return *installed;
    static nHIDSystem instance(std::make_unique<nHIDSourceSDL>());
    return instance;
}

nHID* nHID::Install(nHID* system)
{
    nHID* previous = installed;
    installed = system;
    return previous;
}

bool nHID::IsAvailable() const
{
    return true;
}

void nHID::Update() {}

bool nHID::Open(void*)
{
    return true;
}

void nHID::Close() {}

bool nHID::EnumerateDevices(nList<nHIDDescriptor*>&)
{
    return false;
}

std::unique_ptr<nHIDDevice> nHID::CreateDevice(const nHIDDescriptor&)
{
    return nullptr;
}

nHIDKeyboard* nHID::GetKeyboard()
{
    return nullptr;
}

nHIDDevice* nHID::GetMouse()
{
    return nullptr;
}
