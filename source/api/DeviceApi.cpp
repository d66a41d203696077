#include "api/ScriptApiGroups.h"
#include "core/base/nList.h"
#include "core/base/nLog.h"
#include "platform/nHID.h"
#include "platform/nHIDConstants.h"
#include "platform/nHIDDescriptor.h"
#include "platform/nHIDDevice.h"
#include "platform/nHIDKeyboard.h"
#include "platform/nPlatform.h"
#include "platform/nstring/nString.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nSquirrelVM.h"

#include <algorithm>
#include <memory>
#include <vector>

// Function codes and key codes go to the device unchecked: it refuses those outside its queues
// (false, and a line where a setting was asked for), so no native indexes a queue itself.

template <> struct nHandleArg<nHIDDevice>
{
    static nHIDDevice* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nHIDDevice>(vm, index, ObjectTypeHID);
    }
};

namespace
{
// The game devices scripts made. DeviceDelete frees one and kills its handles; those a script never
// deletes live to the end of the process. The keyboard and the mouse belong to the input system
// and are never here.
std::vector<std::unique_ptr<nHIDDevice>>& ScriptDevices()
{
    static std::vector<std::unique_ptr<nHIDDevice>> devices;
    return devices;
}

// The input system's game devices in enumeration order; the list deletes the descriptors.
struct nGameDeviceList
{
    nGameDeviceList() { nHID::GetInstance().EnumerateDevices(descriptors); }

    const nHIDDescriptor* At(int32_t index) const
    {
        if (index < 0 || static_cast<uint32_t>(index) >= descriptors.GetCount())
            return nullptr;
        return descriptors.GetNodeAt(static_cast<uint32_t>(index))->value;
    }

    nAutoList<nHIDDescriptor*> descriptors;
};

// A handle on the new device, or a null handle when there is no descriptor or no device.
SQInteger PushNewDevice(HSQUIRRELVM vm, const nHIDDescriptor* descriptor, bool update)
{
    std::unique_ptr<nHIDDevice> device = descriptor ? nHID::GetInstance().CreateDevice(*descriptor) : nullptr;
    if (!device)
        return PushHandle(vm, nullptr, ObjectTypeHID);
    if (update)
        device->Update();
    ScriptDevices().push_back(std::move(device));
    return PushHandle(vm, ScriptDevices().back().get(), ObjectTypeHID);
}

int32_t PoolValue(nHIDDevice* device, int32_t function, bool remove)
{
    int value = 0;
    return device && device->PoolFunction(function, &value, nullptr, remove) ? value : 0;
}

// The file runs in the machine that called. A runtime error in it stops the caller as well, as if
// its text stood in place of the call: the machine has already reported it and stopped.
SQInteger Include(HSQUIRRELVM vm)
{
    const char* path = ScriptArgs(vm).GetString(2);
    auto* machine = static_cast<nSquirrelVM*>(sq_getforeignptr(vm));
    if (machine && machine->GetFileNesting() >= nSquirrelVM::MaxFileNesting)
        return sq_throwerror(vm, nString::Format("Include of '%s' stopped: files included %d deep.", path,
                                                 int(machine->GetFileNesting()))
                                     .GetText());
    if (!machine || !machine->RunFile(nString(path), false))
        return sq_throwerror(vm, nString::Format("Failed to include script '%s'.\n", path).GetText());
    return machine->GetState() == ScriptVMRunning ? 0 : SQ_ERROR;
}

SQInteger FileExists(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    return args.PushBool(nPlatform::Get().GetIOSystem().Exists(nString(args.GetString(2))));
}

nHIDDevice* Mouse()
{
    return nHID::GetInstance().GetMouse();
}

nHIDDevice* Keyboard()
{
    return nHID::GetInstance().GetKeyboard();
}

template <nHIDDevice* (*Device)()> SQInteger GetDevice(HSQUIRRELVM vm)
{
    return PushHandle(vm, Device(), ObjectTypeHID);
}

// Only game devices are enumerated: another type has none.
SQInteger GetDeviceList(HSQUIRRELVM vm)
{
    const bool games = ScriptArgs(vm).GetInt(2) == DeviceTypeGame;
    sq_newarray(vm, 0);
    if (!games)
        return 1;
    const nGameDeviceList list;
    for (const auto* node = list.descriptors.GetHead(); node; node = node->next)
    {
        sq_newtable(vm);
        sq_pushstring(vm, "id", -1);
        sq_pushstring(vm, node->value->name.GetText() ? node->value->name.GetText() : "", -1);
        sq_newslot(vm, -3, SQFalse);
        sq_pushstring(vm, "caps", -1);
        sq_pushinteger(vm, static_cast<SQInteger>(node->value->flags));
        sq_newslot(vm, -3, SQFalse);
        sq_arrayappend(vm, -2);
    }
    return 1;
}

// Two pads may share a name: the last of them is the one made, and only it.
SQInteger DeviceNew(HSQUIRRELVM vm)
{
    const nString name(ScriptArgs(vm).GetString(2));
    const nGameDeviceList list;
    const nHIDDescriptor* match = nullptr;
    for (const auto* node = list.descriptors.GetHead(); node; node = node->next)
        if (node->value->name == name)
            match = node->value;
    return PushNewDevice(vm, match, false);
}

SQInteger DeviceNewFromIndex(HSQUIRRELVM vm)
{
    const nGameDeviceList list;
    return PushNewDevice(vm, list.At(ScriptArgs(vm).GetInt(2)), true);
}

SQInteger DeviceAny(HSQUIRRELVM vm)
{
    const nGameDeviceList list;
    return PushNewDevice(vm, list.At(0), false);
}

SQInteger GetName(const ScriptArgs& args, nHIDDevice& device)
{
    return args.PushString(device.GetName().GetText());
}

SQInteger SetFunctionBounceFilter(const ScriptArgs& args, nHIDDevice& device)
{
    device.SetBounceFilter(args.GetInt(3), args.GetBool(4));
    return 0;
}

template <bool Remove> SQInteger ReadFunction(const ScriptArgs& args, nHIDDevice& device)
{
    return args.PushInt(PoolValue(&device, args.GetInt(3), Remove));
}

SQInteger SeekFunction(const ScriptArgs& args, nHIDDevice& device)
{
    return args.PushBool(device.SeekFunction(args.GetInt(3), args.GetInt(4)));
}

// Only a device a script made is freed; its handles, and copies of them, become dead handles.
SQInteger Delete(const ScriptArgs&, nHIDDevice& device)
{
    std::vector<std::unique_ptr<nHIDDevice>>& devices = ScriptDevices();
    const auto made =
        std::find_if(devices.begin(), devices.end(),
                     [&device](const std::unique_ptr<nHIDDevice>& held) { return held.get() == &device; });
    if (made == devices.end())
    {
        nLogHolder::Get()
            << "[!] DeviceDelete() deletes only the devices of DeviceNew, DeviceNewFromIndex and "
               "DeviceAny; the keyboard and the mouse stay.\n";
        return 0;
    }
    nCObject::Invalidate(&device);
    devices.erase(made);
    return 0;
}

SQInteger Update(const ScriptArgs& args, nHIDDevice& device)
{
    device.Update();
    return args.PushBool(true);
}

// The natives of the input system's own devices, which answer nothing when there is none.
template <nHIDDevice* (*Device)()> SQInteger UpdateOf(HSQUIRRELVM)
{
    if (nHIDDevice* device = Device())
        device->Update();
    return 0;
}

template <nHIDDevice* (*Device)()> SQInteger PoolOf(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    return args.PushInt(PoolValue(Device(), args.GetInt(2), true));
}

SQInteger KeyboardSeekFunction(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    const nHIDDevice* keyboard = Keyboard();
    return args.PushBool(keyboard && keyboard->SeekFunction(args.GetInt(2), args.GetInt(3)));
}

SQInteger KeyboardSetKeyBounceFilter(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    if (nHIDKeyboard* keyboard = nHID::GetInstance().GetKeyboard())
        keyboard->SetKeyBounceFilter(args.GetInt(2), args.GetBool(3));
    return 0;
}

const nNativeEntry DeviceNatives[] = {
    {"Include", GuardedNative<Include>, ".s"},
    {"FileExists", GuardedNative<FileExists>, ".s"},
    {"GetMouseDevice", GuardedNative<GetDevice<Mouse>>, "."},
    {"GetKeyboardDevice", GuardedNative<GetDevice<Keyboard>>, "."},
    {"GetDeviceList", GuardedNative<GetDeviceList>, ".i"},
    {"DeviceNew", GuardedNative<DeviceNew>, ".s"},
    {"DeviceNewFromIndex", GuardedNative<DeviceNewFromIndex>, ".i"},
    {"DeviceAny", GuardedNative<DeviceAny>, "."},
    {"DeviceGetName", Native<GetName>, ".x"},
    {"DeviceSetEffect", Native<SetFloatOf<&nHIDDevice::SetForceFeedback, nHIDDevice>>, ".xn"},
    {"DeviceSetFunctionBounceFilter", Native<SetFunctionBounceFilter>, ".xib"},
    {"DeviceGetFunction", Native<ReadFunction<false>>, ".xi"},
    {"DevicePoolFunction", Native<ReadFunction<true>>, ".xi"},
    {"DeviceSeekFunction", Native<SeekFunction>, ".xii"},
    {"DeviceDelete", Native<Delete>, ".x"},
    {"DeviceUpdate", Native<Update>, ".x"},
    {"DeviceIsAvailable", Native<AnswerBoolOf<&nHIDDevice::IsConnected, nHIDDevice>>, ".x"},
    {"MouseUpdate", GuardedNative<UpdateOf<Mouse>>, "."},
    {"MousePoolFunction", GuardedNative<PoolOf<Mouse>>, ".i"},
    {"KeyboardUpdate", GuardedNative<UpdateOf<Keyboard>>, "."},
    {"KeyboardPoolFunction", GuardedNative<PoolOf<Keyboard>>, ".i"},
    {"KeyboardSeekFunction", GuardedNative<KeyboardSeekFunction>, ".ii"},
    {"KeyboardSetKeyBounceFilter", GuardedNative<KeyboardSetKeyBounceFilter>, ".ib"},
};

// Registered in this order: the device's own codes, then the key codes by value.
const nIntegerConstantEntry DeviceConstants[] = {
    {"DeviceTypeGame", DeviceTypeGame},
    {"DeviceCapsNone", DeviceCapsNone},
    {"DeviceCapsForceFeedback", DeviceCapsForceFeedback},
    {"DeviceAxisX", DeviceAxisX},
    {"DeviceAxisY", DeviceAxisY},
    {"DeviceAxisZ", DeviceAxisZ},
    {"DeviceAxisU", DeviceAxisU},
    {"DeviceAxisV", DeviceAxisV},
    {"DeviceAxisRX", DeviceAxisRX},
    {"DeviceAxisRY", DeviceAxisRY},
    {"DeviceAxisRZ", DeviceAxisRZ},
    {"DeviceLeft", DeviceLeft},
    {"DeviceRight", DeviceRight},
    {"DeviceUp", DeviceUp},
    {"DeviceDown", DeviceDown},
    {"DeviceButton0", DeviceButton0},
    {"DeviceButton1", DeviceButton1},
    {"DeviceButton2", DeviceButton2},
    {"DeviceButton3", DeviceButton3},
    {"DeviceButton4", DeviceButton4},
    {"DeviceButton5", DeviceButton5},
    {"DeviceButton6", DeviceButton6},
    {"DeviceButton7", DeviceButton7},
    {"DeviceButton8", DeviceButton8},
    {"DeviceButton9", DeviceButton9},
    {"DeviceButton10", DeviceButton10},
    {"DeviceButton11", DeviceButton11},
    {"DeviceButton12", DeviceButton12},
    {"DeviceButton13", DeviceButton13},
    {"DeviceButton14", DeviceButton14},
    {"DeviceButton15", DeviceButton15},
    {"DeviceKeyPress", DeviceKeyPress},
    {"KeyLShift", KeyLShift},
    {"KeyRShift", KeyRShift},
    {"KeyLCtrl", KeyLCtrl},
    {"KeyRCtrl", KeyRCtrl},
    {"KeyLAlt", KeyLAlt},
    {"KeyRAlt", KeyRAlt},
    {"KeyLWin", KeyLWin},
    {"KeyRWin", KeyRWin},
    {"KeyLMenu", KeyLMenu},
    {"KeyRMenu", KeyRMenu},
    {"KeyTab", KeyTab},
    {"KeyTilde", KeyTilde},
    {"KeyCapsLock", KeyCapsLock},
    {"KeySpace", KeySpace},
    {"KeyBackspace", KeyBackspace},
    {"KeyReturn", KeyReturn},
    {"KeyInsert", KeyInsert},
    {"KeySuppr", KeySuppr},
    {"KeyStart", KeyStart},
    {"KeyEnd", KeyEnd},
    {"KeyPageUp", KeyPageUp},
    {"KeyPageDown", KeyPageDown},
    {"KeyUpArrow", KeyUpArrow},
    {"KeyDownArrow", KeyDownArrow},
    {"KeyLeftArrow", KeyLeftArrow},
    {"KeyRightArrow", KeyRightArrow},
    {"KeyEscape", KeyEscape},
    {"KeyF1", KeyF1},
    {"KeyF2", KeyF2},
    {"KeyF3", KeyF3},
    {"KeyF4", KeyF4},
    {"KeyF5", KeyF5},
    {"KeyF6", KeyF6},
    {"KeyF7", KeyF7},
    {"KeyF8", KeyF8},
    {"KeyF9", KeyF9},
    {"KeyF10", KeyF10},
    {"KeyF11", KeyF11},
    {"KeyF12", KeyF12},
    {"KeyPrintScreen", KeyPrintScreen},
    {"KeyScrollLock", KeyScrollLock},
    {"KeyPause", KeyPause},
    {"KeyNumLock", KeyNumLock},
    {"KeyEnter", KeyEnter},
    {"KeyNumpad0", KeyNumpad0},
    {"KeyNumpad1", KeyNumpad1},
    {"KeyNumpad2", KeyNumpad2},
    {"KeyNumpad3", KeyNumpad3},
    {"KeyNumpad4", KeyNumpad4},
    {"KeyNumpad5", KeyNumpad5},
    {"KeyNumpad6", KeyNumpad6},
    {"KeyNumpad7", KeyNumpad7},
    {"KeyNumpad8", KeyNumpad8},
    {"KeyNumpad9", KeyNumpad9},
    {"KeyASCII", KeyASCII},
};
} // namespace

void RegisterDeviceApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, DeviceNatives);
    RegisterIntegerConstants(vm, DeviceConstants);
}
