#pragma once
// What a launch or join hands to the shell: the game's file, its parameter string and its
// folder, built from the stored switches alone (never from the boxes or the mod field).
#include <string>

#include "platform/core/registry.h"

struct LaunchRequest {
    std::string working_folder;
    std::string file;
    std::string parameters;
};

// Reads korvexe, beta196, korvexe again unless the beta executable is chosen, then the six
// switches, dxdll, brisolt and mods, in that order, from the key open in open_key. The working
// folder is korvexe up to and including its last "/"; ":" is an ordinary file-name character
// here and separates nothing. Nothing is trimmed, checked or quoted.
LaunchRequest BuildLaunchParameters(kvtu::Registry& open_key);

// The join's parameter string: the request's, then " -connect=" and the address as typed.
std::string join_parameters(const LaunchRequest& request, const std::string& ip_text);
