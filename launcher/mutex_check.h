#pragma once
// The single-instance guard: the first thing the launcher does. Only one launcher runs per
// user; a second start ends at once, silently, with exit code 0.
#include <memory>

#include "platform/core/named_mutex.h"

namespace kvtu::launcher {

// The guard's mutex; held until mutex_release() at the very end of the run.
extern std::unique_ptr<NamedMutex> instance_mutex;

// Takes the mutex. False when another copy holds it: the caller then ends at once, touching
// nothing. A mutex that cannot be created for another reason lets the program run unguarded.
bool mutex_check();
void mutex_release();

}  // namespace kvtu::launcher
