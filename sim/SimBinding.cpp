#include "board/DriverApi.h"
#include "sim/SimRack.h"

// The simulation module talks to the simulated rack.
const DriverApi& BoardDriverApi()
{
    return sim::SimDriverApi();
}
