// Text forms of spans: ISO 8601 durations and the friendly form ("1d 2h", "1 day ago").
#pragma once

#include <string>
#include <string_view>

#include "datetime/error.h"
#include "datetime/spans.h"

namespace orvel::datetime {

// "-P1Y2M3DT4H5M6.5S"; seconds take in the sub-second units; "PT0S" for zero.
void append_span_iso(std::string& out, const Span& span);
// "1y 2mo 3d 4h 5m 6s 500ms", " ago" when negative, "0s" for zero.
void append_span_friendly(std::string& out, const Span& span);

// An optional sign, then "P"/"p" for an ISO duration, anything else in the friendly form.
Result<Span> parse_span(std::string_view text);

}  // namespace orvel::datetime
