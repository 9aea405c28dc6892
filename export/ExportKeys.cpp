#include "export/ExportKeys.h"

#include "port/DeviceControlPort.h"
#include "ui/TransportDrawing.h"

namespace {

enum HotKeyId { kLeft = 6, kRight, kSpace, kUp, kDown, kJ, kK, kL };

// By knob position, from the first.
const double kShuttleSpeeds[kShuttleLast - kShuttleFirst + 1] = {
    -16, -8, -4, -2, -1, -0.5, -0.25, 0, 0.25, 0.5, 1, 2, 4, 8, 16,
};

// Within this of zero the deck counts as standing, and Space plays.
constexpr double kStandingSpeed = 0.05;
// J and L double the speed up to 16 times play, and not beyond.
constexpr int kFastestDoubling = 9;

DeckAction Shuttle(double speed)
{
    return {DeckAction::kShuttle, speed};
}
DeckAction Simple(DeckAction::Kind kind)
{
    return {kind, 0.0};
}

// Reverse: faster reverse, or from forward slow down towards play. The
// bands go by the whole speed; a halving keeps the fraction (5 gives 2.5).
DeckAction ReverseKey(int whole, double speed)
{
    if (whole >= -kFastestDoubling && whole <= -1)
        return Shuttle(2.0 * whole);
    if (whole == 0 || whole == 1)
        return Simple(DeckAction::kReversePlay);
    if (whole > 1)
        return whole / 2 == 1 ? Simple(DeckAction::kPlay) : Shuttle(speed / 2.0);
    return Simple(DeckAction::kNothing);
}

// Forward: faster forward, or from reverse slow down towards -1.
DeckAction ForwardKey(int whole, double speed)
{
    if (whole >= 1 && whole <= kFastestDoubling)
        return Shuttle(2.0 * whole);
    if (whole == 0 || whole == -1)
        return Simple(DeckAction::kPlay);
    if (whole < -1)
        return Shuttle(speed / 2.0);
    return Simple(DeckAction::kNothing);
}

} // namespace

const ExportHotKey kExportHotKeys[kExportHotKeyCount] = {
    {kLeft, VK_LEFT}, {kRight, VK_RIGHT}, {kSpace, VK_SPACE}, {kUp, VK_UP},
    {kDown, VK_DOWN}, {kJ, 'J'},          {kK, 'K'},          {kL, 'L'},
};

double ShuttleSpeedAt(int32_t position)
{
    if (position < kShuttleFirst)
        position = kShuttleFirst;
    if (position > kShuttleLast)
        position = kShuttleLast;
    return kShuttleSpeeds[position - kShuttleFirst];
}

DeckAction ShuttleAction(double speed)
{
    return speed == 1.0 ? Simple(DeckAction::kPlay) : Shuttle(speed);
}

DeckAction HotKeyAction(int id, double deckSpeed)
{
    // Truncated toward zero; a speed beyond any int (or not a number) is
    // no speed a key can double or halve.
    const bool representable = deckSpeed > -1e6 && deckSpeed < 1e6;
    const int whole = representable ? static_cast<int>(deckSpeed) : 1000000;
    switch (id) {
    case kLeft:
        return Simple(DeckAction::kStepBack);
    case kRight:
        return Simple(DeckAction::kStepForward);
    case kSpace:
        return deckSpeed >= -kStandingSpeed && deckSpeed <= kStandingSpeed ? Simple(DeckAction::kPlay)
                                                                           : Simple(DeckAction::kStill);
    case kUp:
        return Simple(DeckAction::kPlay);
    case kDown:
        return Simple(DeckAction::kReversePlay);
    case kK:
        return Simple(DeckAction::kStill);
    case kJ:
        return representable ? ReverseKey(whole, deckSpeed) : Simple(DeckAction::kNothing);
    case kL:
        return representable ? ForwardKey(whole, deckSpeed) : Simple(DeckAction::kNothing);
    default:
        return Simple(DeckAction::kNothing);
    }
}

int32_t RunDeckAction(DeviceControlPort* port, const DeckAction& action)
{
    switch (action.kind) {
    case DeckAction::kPlay:
        return port->Play();
    case DeckAction::kStill:
        return port->Still();
    case DeckAction::kReversePlay:
        return port->ReversePlay();
    case DeckAction::kStepBack:
        return port->StepBack();
    case DeckAction::kStepForward:
        return port->StepForward();
    case DeckAction::kShuttle:
        return port->Shuttle(action.speed);
    default:
        return 0;
    }
}
