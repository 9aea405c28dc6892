// The deck through the port: transport commands under the private lock,
// and the readings the editor and the dialogs show.
#include "port/DeviceControlPort.h"
#include "platform/ResultCodes.h"

#include "port/PortLock.h"
#include "port/TimecodeText.h"

template <typename Command> int32_t DeviceControlPort::LockedDeckCommand(Command command)
{
    if (!isActive_)
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    return command() ? kResultSuccess : kResultRefused;
}

// A second press winds again: the wind is already the deck's fastest
// motion, and a shuttle at the top speed byte gets whatever the deck's
// shuttle range tops out at, on many decks slower than its wind.
int32_t DeviceControlPort::FastForward()
{
    return LockedDeckCommand([this] { return control_.FastForward(); });
}

int32_t DeviceControlPort::Rewind()
{
    return LockedDeckCommand([this] { return control_.Rewind(); });
}

int32_t DeviceControlPort::Eject()
{
    return LockedDeckCommand([this] { return control_.Eject(); });
}

int32_t DeviceControlPort::Play()
{
    return LockedDeckCommand([this] { return control_.Play(); });
}

int32_t DeviceControlPort::ReversePlay()
{
    return LockedDeckCommand([this] { return control_.JogReversePlay(); });
}

int32_t DeviceControlPort::StepForward()
{
    return LockedDeckCommand([this] { return control_.StepForward(); });
}

int32_t DeviceControlPort::StepBack()
{
    return LockedDeckCommand([this] { return control_.StepBackward(); });
}

int32_t DeviceControlPort::Stop()
{
    return LockedDeckCommand([this] { return control_.Stop(); });
}

int32_t DeviceControlPort::Still()
{
    return LockedDeckCommand([this] { return control_.ShuttleStill(); });
}

int32_t DeviceControlPort::Shuttle(double speed)
{
    return LockedDeckCommand([this, speed] { return control_.Shuttle(speed); });
}

int32_t DeviceControlPort::GoToTimecode(const char* text)
{
    if (!text)
        return kResultRefused;
    return LockedDeckCommand([this, text] { return control_.CueToTimecode(text); });
}

const char* DeviceControlPort::ZeroText() const
{
    return DropFrame() ? kZeroDropTimecodeText : kZeroTimecodeText;
}

int32_t DeviceControlPort::GetTimecodeText(char* text)
{
    ReadTimecodeText(text);
    return 0;
}

bool DeviceControlPort::ReadTimecodeText(char* text)
{
    if (isActive_ && control_.GetTimecode(text))
        return true;
    std::memcpy(text, ZeroText(), sizeof kZeroTimecodeText);
    return false;
}

int32_t DeviceControlPort::GetSpeed(double* speed)
{
    *speed = isActive_ ? control_.GetSpeed() : 0.0;
    return 0;
}

int32_t DeviceControlPort::GetStatusText(char* text)
{
    // The controller writes "Offline" itself when the deck gives no status.
    if (!isActive_)
        std::strcpy(text, "Offline");
    else
        control_.GetMode(text);
    return 0;
}
