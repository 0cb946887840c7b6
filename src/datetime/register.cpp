#include "datetime/register.h"

#include <memory>

#include "datetime/functions.h"
#include "datetime/handlers.h"

namespace orvel::datetime {

std::vector<core::Registry::HandlerPtr> make_package_handlers() {
    return {std::make_shared<ZonedHandler>(), std::make_shared<DateTimeHandler>(),
            std::make_shared<DateHandler>(),  std::make_shared<TimeHandler>(),
            std::make_shared<SpanHandler>(),  std::make_shared<TimeZoneHandler>()};
}

std::vector<core::Registry::FunctionPtr> make_package_functions() {
    core::Registry scratch;
    for (auto group : {register_date_functions, register_span_functions, register_time_functions,
                       register_datetime_functions, register_zoned_functions, register_accessors}) {
        (void)group(scratch);
    }
    return std::move(scratch).into_functions();
}

}  // namespace orvel::datetime
