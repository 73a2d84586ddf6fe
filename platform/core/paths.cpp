#include "paths.h"

namespace kvtu {

std::string exe_name(std::string_view base_name) {
    return std::string(base_name);
}

}  // namespace kvtu
