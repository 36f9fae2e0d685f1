#pragma once
#include <mutex>

// FFTW's planner (and so the creation and destruction of aubio's objects,
// which plan their transforms through it) is not thread-safe; running a
// plan is. Every plan of the program is made and destroyed under this lock.
std::mutex &fftwPlanLock();
