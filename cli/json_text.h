// JSON as slotwise-cli prints it: indented by two, and never refused for a name that is not
// UTF-8 (a Linux file name may be any bytes), whose odd bytes are printed as U+FFFD instead.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

inline std::string JsonText(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}
