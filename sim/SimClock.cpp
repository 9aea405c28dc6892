#include "sim/SerialLine.h"

#include <windows.h>

namespace sim {

double RackClockMs()
{
    struct Origin {
        LARGE_INTEGER frequency, start;
        Origin()
        {
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
        }
    };
    static const Origin origin;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - origin.start.QuadPart) * 1000.0 /
           static_cast<double>(origin.frequency.QuadPart);
}

} // namespace sim
