// A zone loaded from a TZif file (internal to the zone modules).
#pragma once

#include <string>

#include "absl/time/time.h"

namespace orvel::datetime {

struct TzifZone {
    std::string name;  // the database name; empty for a file read by path
    absl::TimeZone zone;
};

}  // namespace orvel::datetime
