// The package's function groups. Each adds its functions to a registry in table order and stops
// at the first failure.
#pragma once

#include <optional>

#include "core/registry.h"

namespace orvel::datetime {

// DATE, TODAY, PARSE_DATE
std::optional<core::RegistryError> register_date_functions(core::Registry& registry);
// YEARS .. SECONDS, SPAN, PARSE_SPAN, SPAN_TO_SECONDS, SPAN_TO_DAYS
std::optional<core::RegistryError> register_span_functions(core::Registry& registry);
// TIME, PARSE_TIME
std::optional<core::RegistryError> register_time_functions(core::Registry& registry);
// DATETIME, PARSE_DATETIME
std::optional<core::RegistryError> register_datetime_functions(core::Registry& registry);
// TIMEZONE, ZONED, TO_ZONED, PARSE_ZONED, IN_TZ, TO_UTC, NOW, UTCNOW
std::optional<core::RegistryError> register_zoned_functions(core::Registry& registry);
// YEAR .. TO_DATETIME, FORMAT, ISO, the four *_BETWEEN, DATEADD, DATESUB
std::optional<core::RegistryError> register_accessors(core::Registry& registry);

}  // namespace orvel::datetime
