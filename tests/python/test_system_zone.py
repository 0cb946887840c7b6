"""NOW and TODAY under a TZ value, end to end, each in a fresh process (the system zone is read
from the environment). A POSIX rule is checked against the C library's reading of the same TZ in
the same process (time.tzset, time.localtime); the C++ tests pin how rules and names are read."""

import json
import os
import subprocess
import sys
from datetime import date, datetime, timedelta, timezone
from zoneinfo import ZoneInfo

import pytest

IN_A_CHILD = """
import json, time
import orvel
time.tzset()
sheet = orvel.Sheet()
sheet.register_datetime()
sheet.set_cells([("A1", "=NOW()"), ("A2", "=TODAY()")])
local = time.localtime()
print(json.dumps({"now": sheet.get_typed("A1"), "today": sheet.get_typed("A2"),
                  "gmtoff": local.tm_gmtoff, "date": time.strftime("%Y-%m-%d", local)}))
"""


def run_with_tz(tz):
    """NOW's and TODAY's payloads and the C library's local time, in one child with TZ set."""
    env = {**os.environ, "TZ": tz, "PYTHONPATH": os.pathsep.join(sys.path)}
    result = subprocess.run([sys.executable, "-c", IN_A_CHILD], env=env, capture_output=True,
                            text=True, check=True, timeout=60)
    return json.loads(result.stdout)


def instant_of(payload):
    """The aware datetime of a jzoned payload (2026-07-01T12:00:00-04:00[-04:00])."""
    return datetime.fromisoformat(payload.split("[")[0])


def day_number(days_from_today):
    """The day of the year from 0 (rule form n) of a day near today, in whichever year: read within
    today's year, the rule still puts today on the side of the changes meant."""
    day = datetime.now(timezone.utc).date() + timedelta(days=days_from_today)
    return (day - date(day.year, 1, 1)).days


@pytest.mark.parametrize(
    "tz,written_as",
    [
        (f"AAA3BBB,{day_number(-3)},{day_number(3)}", "-02:00[-02:00]"),
        (f"AAA3BBB,{day_number(3)},{day_number(-3)}", "-03:00[-03:00]"),
        ("EST5EDT,M3.2.0,M11.1.0", None),
        ("AEST-10AEDT,M10.1.0,M4.1.0/3", None),
        ("ABC5DEF", None),  # daylight saving without dates: the United States rule
    ],
    ids=["daylight saving now", "standard time now", "north", "south", "no dates"],
)
def test_now_and_today_follow_a_posix_rule_as_the_c_library_does(tz, written_as):
    got = run_with_tz(tz)
    assert got["now"]["type_tag"] == "jzoned"
    assert instant_of(got["now"]["data"]).utcoffset().total_seconds() == got["gmtoff"], tz
    assert got["today"] == {"type_tag": "jdate", "data": got["date"]}, tz
    if written_as:
        assert got["now"]["data"].endswith(written_as), tz


@pytest.mark.parametrize(
    "tz,zone",
    [
        ("America/New_York", "America/New_York"),
        (":Europe/London", "Europe/London"),
        ("EST5EDT", "EST5EDT"),  # both a POSIX rule and a database zone: the database zone
        ("", "UTC"),
    ],
)
def test_now_is_in_the_zone_tz_names(tz, zone):
    before = datetime.now(timezone.utc).replace(microsecond=0)
    payload = run_with_tz(tz)["now"]["data"]
    after = datetime.now(timezone.utc)
    assert payload.endswith(f"[{zone}]")
    moment = instant_of(payload)
    assert before <= moment <= after
    assert moment.utcoffset() == moment.astimezone(ZoneInfo(zone)).utcoffset()


@pytest.mark.parametrize(
    "tz",
    ["../../../etc/passwd", "/dev/zero", "Mars/Base", "EST5EDT,M003.2.0,M11.1.0", "x" * 5000,
     "EST5EDT,M3.2.0,M11.1.0," + "0" * 100_000, "EST5EDT,J1/167:59:59,J365/-167:59:59"],
    ids=["path out", "device", "no such zone", "month digits", "long", "long rule", "week-long"],
)
def test_an_unusable_or_hostile_tz_still_gives_the_current_instant(tz):
    before = datetime.now(timezone.utc).replace(microsecond=0)
    got = run_with_tz(tz)
    after = datetime.now(timezone.utc)
    assert before <= instant_of(got["now"]["data"]) <= after
