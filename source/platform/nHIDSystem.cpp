#include "platform/nHIDSystem.h"

#include "core/base/nList.h"
#include "core/base/nLog.h"
#include "platform/nHIDDescriptor.h"
#include "platform/nHIDGameDevice.h"
#include "platform/nHIDKeyboard.h"
#include "platform/nHIDMouse.h"
#include "platform/nHIDSource.h"

nHIDSystem::nHIDSystem(std::unique_ptr<nHIDSource> source) : m_source(std::move(source)) {}

nHIDSystem::~nHIDSystem() = default;

void nHIDSystem::Update()
{
    m_source->Update();
}

bool nHIDSystem::Open(void* window)
{
    m_window = window;
    return m_source->Open(window);
}

bool nHIDSystem::EnumerateDevices(nList<nHIDDescriptor*>& descriptors)
{
    nLog& log = nLogHolder::Get();
    log << "[H] Starting input device enumeration.\n";
    const int count = m_source->GetGameDeviceCount();
    for (int index = 0; index < count; ++index)
    {
        auto descriptor = std::make_unique<nHIDDescriptor>();
        if (m_source->DescribeGameDevice(index, *descriptor) && descriptors.PushBack(descriptor.get()))
            descriptor.release();
    }

    nListIterator<nHIDDescriptor*> iterator;
    while (nHIDDescriptor* descriptor = descriptors.Next(iterator))
    {
        const bool forceFeedback = (descriptor->flags & nHIDDescriptor::FlagForceFeedback) != 0;
        log << "    Device '" << descriptor->name << "': FF = " << forceFeedback << ".\n";
    }
    return true;
}

std::unique_ptr<nHIDDevice> nHIDSystem::CreateDevice(const nHIDDescriptor& descriptor)
{
    return std::make_unique<nHIDGameDevice>(descriptor, *m_source);
}

nHIDKeyboard* nHIDSystem::GetKeyboard()
{
    if (!m_keyboard)
        m_keyboard = std::make_unique<nHIDKeyboard>(*m_source);
    return m_keyboard.get();
}

nHIDDevice* nHIDSystem::GetMouse()
{
    if (!m_mouse)
        m_mouse = std::make_unique<nHIDMouse>(*m_source);
    return m_mouse.get();
}
