#include "analysis/fftwplanlock.h"

std::mutex &fftwPlanLock()
{
    static std::mutex lock;
    return lock;
}
