#include "datetime/function_bodies.h"
#include "datetime/iso_text.h"
#include "datetime/scan.h"
#include "datetime/strptime.h"
#include "datetime/system_zone.h"

namespace orvel::datetime {

namespace {

constexpr std::string_view kZonedName = "ZONED";

ArgResult<Disambiguation> disambiguation_arg(Args args) {
    if (args.size() < 3) return Disambiguation::Compatible;
    const core::CellValue& arg = args[2];
    if (arg.is_empty() || (arg.is_text() && arg.text_view().empty()))
        return Disambiguation::Compatible;
    if (!arg.is_text()) return fail_named(kZonedName, "disambiguation must be a string or omitted");
    std::string lowered(arg.text_view());
    for (char& c : lowered) c = to_ascii_lower(c);
    if (lowered == "compatible") return Disambiguation::Compatible;
    if (lowered == "earlier") return Disambiguation::Earlier;
    if (lowered == "later") return Disambiguation::Later;
    if (lowered == "reject") return Disambiguation::Reject;
    return fail_named(kZonedName,
                      "disambiguation must be 'compatible', 'earlier', 'later', or 'reject' (got " +
                          debug_quote(lowered) + ")");
}

}  // namespace

Outcome timezone_fn(Args args) {
    if (args.size() != 1) return fail("TIMEZONE: expected 1 string arg");
    if (!args[0].is_text()) return fail("TIMEZONE: arg must be a string");
    auto zone = parse_timezone(args[0].text_view());
    if (!zone) return fail_named("TIMEZONE", zone.error().message);
    switch (zone->kind()) {
        case TimeZone::Kind::Utc:
            return pack_timezone_iana("UTC");
        case TimeZone::Kind::Fixed:
            return pack_timezone_offset(zone->fixed_offset());
        case TimeZone::Kind::Unknown:
        case TimeZone::Kind::Tzif:
            break;
    }
    if (auto name = zone->iana_name()) return pack_timezone_iana(*name);
    return pack_timezone_offset(zone->offset_at(0));
}

Outcome zoned_fn(Args args) {
    if (args.size() != 2 && args.size() != 3)
        return fail("ZONED: expected 2 or 3 args (datetime, tz, [disambiguation])");
    if (!has_tag(args[0], kDateTimeTag)) return fail("ZONED: arg #1 must be a jdatetime value");
    auto local = parse_datetime(args[0].custom_data());
    if (!local) return fail_library(local.error());
    auto zone = arg_timezone(args, kZonedName);
    if (!zone) return core::unexpected(std::move(zone).error());
    auto disambiguation = disambiguation_arg(args);
    if (!disambiguation) return core::unexpected(std::move(disambiguation).error());
    if (*disambiguation == Disambiguation::Reject) {
        const LocalOffsets offsets = zone->offsets_for(*local);
        if (offsets.kind != LocalOffsets::Kind::Unique) {
            return fail("ZONED: ambiguous local time (" +
                        ambiguity_description(*local, *zone, offsets) + ")");
        }
    }
    auto zoned = zoned_from_local(*local, *zone, *disambiguation);
    if (!zoned) return fail_library(zoned.error());
    return pack_zoned(*zoned);
}

Outcome parse_zoned_fn(Args args) {
    auto parsed = parse_args("PARSE_ZONED", args);
    if (!parsed) return core::unexpected(std::move(parsed).error());
    if (!parsed->format) {
        auto zoned = parse_zoned(parsed->text);
        if (!zoned) return fail_library(zoned.error());
        return pack_zoned(*zoned);
    }
    auto fields = parse_strptime(parsed->text, *parsed->format);
    if (!fields) return fail_library(fields.error());
    auto zoned = fields_to_zoned(*fields);
    if (!zoned) return fail_library(zoned.error());
    return pack_zoned(*zoned);
}

Outcome in_tz_fn(Args args) {
    if (args.size() != 2) return fail("IN_TZ: expected 2 args (zoned, tz)");
    auto zoned = arg_zoned(args[0], "IN_TZ");
    if (!zoned) return core::unexpected(std::move(zoned).error());
    auto zone = arg_timezone(args, "IN_TZ");
    if (!zone) return core::unexpected(std::move(zone).error());
    auto moved = zoned_at(zoned->instant, *zone);
    if (!moved) return fail_library(moved.error());
    return pack_zoned(*moved);
}

Outcome to_utc_fn(Args args) {
    if (args.size() != 1) return fail("TO_UTC: expected 1 jzoned arg");
    auto zoned = arg_zoned(args[0], "TO_UTC");
    if (!zoned) return core::unexpected(std::move(zoned).error());
    auto moved = zoned_at(zoned->instant, TimeZone::utc());
    if (!moved) return fail_library(moved.error());
    return pack_zoned(*moved);
}

Outcome now_fn(Args args) {
    if (!args.empty()) return fail("NOW: expected no args");
    const Instant now = current_instant();
    auto zoned = zoned_at(now, system_time_zone(now.seconds));
    if (!zoned) return fail_library(zoned.error());
    return pack_zoned(*zoned);
}

Outcome utcnow_fn(Args args) {
    if (!args.empty()) return fail("UTCNOW: expected no args");
    auto zoned = zoned_at(current_instant(), TimeZone::utc());
    if (!zoned) return fail_library(zoned.error());
    return pack_zoned(*zoned);
}

Outcome today_fn(Args args) {
    if (!args.empty()) return fail("TODAY: expected no args");
    const Instant now = current_instant();
    auto zoned = zoned_at(now, system_time_zone(now.seconds));
    if (!zoned) return fail_library(zoned.error());
    return pack_date(zoned->local.date);
}

}  // namespace orvel::datetime
