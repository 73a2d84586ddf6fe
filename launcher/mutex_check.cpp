#include "launcher/mutex_check.h"

namespace kvtu::launcher {

std::unique_ptr<NamedMutex> instance_mutex;

bool mutex_check() {
    instance_mutex = std::make_unique<NamedMutex>("Programmname");
    if (instance_mutex->outcome() == NamedMutex::Outcome::already_exists) {
        instance_mutex.reset();
        return false;
    }
    return true;
}

void mutex_release() {
    instance_mutex.reset();
}

}  // namespace kvtu::launcher
