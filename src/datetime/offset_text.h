// The text forms of UTC offsets (seconds east of UTC).
#pragma once

#include <cstdint>
#include <string>

namespace orvel::datetime {

// Largest offset magnitude a zone may have: 25:59:59.
inline constexpr std::int32_t kMaxOffsetSeconds = 93'599;

// "+00", "-05", "+05:30", "+05:30:15": the shortest form that loses nothing.
void append_offset_display(std::string& out, std::int32_t seconds);
// "±HH:MM" rounded to whole minutes (30 seconds and more round the magnitude up); the sign
// comes from the unrounded offset, so a zero offset is "+00:00".
void append_offset_rounded(std::string& out, std::int32_t seconds);
// "±HH:MM" with the seconds dropped; "-" only for negative offsets ("-00:00" for -30).
void append_offset_truncated(std::string& out, std::int32_t seconds);
// The offset rounded to whole minutes as a number of seconds, the way the rounded text shows it.
std::int32_t round_offset_to_minutes(std::int32_t seconds) noexcept;

}  // namespace orvel::datetime
