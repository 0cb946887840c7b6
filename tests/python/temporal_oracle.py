"""Expected temporal payloads computed with Python's datetime, calendar and zoneinfo, so tests
compare the package with Python's calendar and time-zone rules rather than with its own output."""

import calendar
from datetime import date, datetime, timedelta, timezone
from zoneinfo import ZoneInfo

# Proleptic Gregorian dates repeat their weekday, day of year and ISO week every 400 years
# (146097 days, a whole number of weeks), so years Python cannot hold are shifted into its range.
CYCLE_YEARS = 400


def shifted_into_python(year, month, day):
    shift = 0
    while year + shift < 1:
        shift += CYCLE_YEARS
    while year + shift > 9999:
        shift -= CYCLE_YEARS
    return date(year + shift, month, day)


def date_payload(year, month, day):
    head = f"{year:04d}" if year >= 0 else f"-{-year:06d}"
    return f"{head}-{month:02d}-{day:02d}"


def time_payload(hour, minute, second, nanos=0):
    fraction = "." + f"{nanos:09d}".rstrip("0") if nanos else ""
    return f"{hour:02d}:{minute:02d}:{second:02d}{fraction}"


def datetime_payload(value):
    """Payload of a naive datetime."""
    clock = time_payload(value.hour, value.minute, value.second, value.microsecond * 1000)
    return date_payload(value.year, value.month, value.day) + "T" + clock


def offset_payload(seconds):
    """The offset of a zoned payload: whole minutes, 30 seconds and more rounding up."""
    magnitude = (abs(seconds) + 30) // 60 * 60
    sign = "-" if seconds < 0 else "+"
    return f"{sign}{magnitude // 3600:02d}:{magnitude // 60 % 60:02d}"


def zoned_payload(moment, zone_name):
    """Payload of an aware datetime shown in its own zone, the zone written as `zone_name`."""
    offset = int(moment.utcoffset().total_seconds())
    return f"{datetime_payload(moment.replace(tzinfo=None))}{offset_payload(offset)}[{zone_name}]"


def is_gap(local, zone):
    first = local.replace(tzinfo=zone, fold=0)
    return first.astimezone(timezone.utc).astimezone(zone).replace(tzinfo=None) != local


def resolve_local(local, zone_name, choice="compatible"):
    """The instant a local time names in a zone under one of the disambiguation choices.

    Python's fold=0 takes the offset in force before a transition: in a gap that is the later
    instant, in a fold the earlier one, which is the "compatible" choice.
    """
    zone = ZoneInfo(zone_name)
    fold0 = local.replace(tzinfo=zone, fold=0)
    fold1 = local.replace(tzinfo=zone, fold=1)
    if choice == "compatible" or fold0.utcoffset() == fold1.utcoffset():
        picked = fold0
    elif choice == "earlier":
        picked = fold1 if is_gap(local, zone) else fold0
    elif choice == "later":
        picked = fold0 if is_gap(local, zone) else fold1
    else:
        raise ValueError(choice)
    return picked.astimezone(timezone.utc).astimezone(zone)


def add_months(value, months):
    """A date moved by whole months, the day clamped to the target month's length."""
    year, month = divmod(value.year * 12 + (value.month - 1) + months, 12)
    day = min(value.day, calendar.monthrange(year, month + 1)[1])
    return value.replace(year=year, month=month + 1, day=day)
