"""NOW and TODAY under a TZ value, each in a fresh process (the system zone is read from the
environment). A database name, with or without a leading ':', gives that zone and an empty TZ
UTC; anything unusable still gives the current instant. A POSIX rule with daylight saving is
checked against the C library's reading of the same TZ in the same process (time.tzset,
time.localtime). The clock cannot be set, so the rules are built around today: daylight saving
from a few days ago to a few days ahead, and the inverse (a southern-hemisphere rule, its start
after its end), in every date form."""

import calendar
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
now, today = sheet.get_typed("A1"), sheet.get_typed("A2")
local = time.localtime()
print(json.dumps({"now": now, "today": today, "gmtoff": local.tm_gmtoff,
                  "isdst": local.tm_isdst, "date": time.strftime("%Y-%m-%d", local)}))
"""


def run_with_tz(tz):
    """NOW's and TODAY's payloads and the C library's local time, in one child with TZ set."""
    env = {**os.environ, "TZ": tz, "PYTHONPATH": os.pathsep.join(sys.path)}
    result = subprocess.run(
        [sys.executable, "-c", IN_A_CHILD],
        env=env,
        capture_output=True,
        text=True,
        check=True,
        timeout=60,
    )
    return json.loads(result.stdout)


def instant_of(payload):
    """The aware datetime of a jzoned payload (2026-07-01T12:00:00-04:00[-04:00]), to the
    microsecond."""
    return datetime.fromisoformat(payload.split("[")[0])


def offset_seconds(payload):
    return int(instant_of(payload).utcoffset().total_seconds())


TODAY = datetime.now(timezone.utc).date()


def julian(day):
    """Jn: 1..365, 29 February not counted (it has no Jn)."""
    n = (day - date(day.year, 1, 1)).days + 1
    return n - 1 if calendar.isleap(day.year) and day.month > 2 else n


def zero_based(day):
    """n: 0..365, 29 February counted."""
    return (day - date(day.year, 1, 1)).days


def month_week_day(day, last=False):
    """Mm.w.d naming `day`; with `last`, week 5 when `day` is its month's last such weekday."""
    week = (day.day - 1) // 7 + 1
    if last and (day + timedelta(days=7)).month != day.month:
        week = 5
    return f"M{day.month}.{week}.{(day.weekday() + 1) % 7}"


def days(n):
    return TODAY + timedelta(days=n)


def mwd(n, last=False):
    return month_week_day(days(n), last)


def j(n):
    return f"J{julian(days(n))}"


def z(n):
    return str(zero_based(days(n)))


# (rule built from today, whether daylight saving is in force now, the days the rule names)
RULES = [
    (lambda: f"AAA3BBB,{j(-3)},{j(3)}", True, (-3, 3)),
    (lambda: f"AAA3BBB,{j(3)},{j(-3)}", False, (-3, 3)),
    (lambda: f"<-03>3<-02>,{j(-3)}/0,{j(2)}/-1", True, (-3, 2)),
    (lambda: f"AAA-10BBB,{z(-4)}/0,{z(4)}/0", True, (-4, 4)),
    (lambda: f"AAA-10BBB,{z(4)},{z(-4)}", False, (-4, 4)),
    (lambda: f"CET-1CEST,{mwd(-7)}/-1,{mwd(7)}/25", True, (-7, 7)),
    (lambda: f"CET-1CEST,{mwd(7)}/3,{mwd(-7)}", False, (-7, 7)),
    (lambda: f"XXX5YYY,{mwd(-5, last=True)},{mwd(5, last=True)}", True, (-5, 5)),
    # Week-long times: the changes fall two days either side of today.
    (lambda: f"AAA3BBB,{j(-9)}/167,{j(9)}/-167", True, (-9, 9)),
    (lambda: f"AAA3BBB,{j(9)}/-167,{j(-9)}/167", False, (-9, 9)),
    (lambda: f"AAA3BBB,{j(-9)}/-167,{j(-2)}/-1:30", False, (-16, -9, -2)),
    # Offsets with minutes and seconds, far east and far west, and a two-hour saving.
    (lambda: f"<+0530>-5:30<+0630>-6:30,{j(-2)}/1:30,{j(2)}/1:30", True, (-2, 2)),
    (lambda: f"AAA-12:45BBB-13:45,{z(-2)},{z(2)}", True, (-2, 2)),
    (lambda: f"AAA11BBB9,{z(-2)}/-0:00:01,{z(2)}/24:59:59", True, (-2, 2)),
    (lambda: f"AAA0BBB-1,{j(3)}/0,{j(-3)}/0", False, (-3, 3)),
]


def rule_or_skip(build, named_days):
    """The rule, or a skip when a day it names lies in another year (its form cannot reach it)."""
    if any(days(n).year != TODAY.year or (days(n).month, days(n).day) == (2, 29)
           for n in named_days):
        pytest.skip("today is too close to the year's end for this rule")
    return build()


@pytest.mark.parametrize("build,in_dst,named_days", RULES)
def test_now_and_today_follow_a_rule_around_today(build, in_dst, named_days):
    tz = rule_or_skip(build, named_days)
    got = run_with_tz(tz)
    assert bool(got["isdst"]) == in_dst, f"the rule {tz} was meant to be in its other half"
    assert got["now"]["type_tag"] == "jzoned"
    assert offset_seconds(got["now"]["data"]) == got["gmtoff"], tz
    assert got["today"] == {"type_tag": "jdate", "data": got["date"]}, tz


@pytest.mark.parametrize(
    "tz",
    [
        "EST5EDT,M3.2.0,M11.1.0",
        "CET-1CEST,M3.5.0,M10.5.0/3",
        "AEST-10AEDT,M10.1.0,M4.1.0/3",
        "NZST-12NZDT,M9.5.0,M4.1.0/3",
        "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1",
        "GMT0BST,M3.5.0/1,M10.5.0",
        "IST-2IDT,M3.4.4/26,M10.5.0",
        "ABC5DEF",  # daylight saving without dates: the United States rule
    ],
)
def test_now_and_today_follow_real_world_rules(tz):
    got = run_with_tz(tz)
    assert offset_seconds(got["now"]["data"]) == got["gmtoff"], tz
    assert got["today"]["data"] == got["date"], tz


def test_a_rule_zone_is_written_as_its_offset_now():
    got = run_with_tz(rule_or_skip(lambda: f"AAA3BBB,{j(-3)},{j(3)}", (-3, 3)))
    assert got["now"]["data"].endswith("-02:00[-02:00]")


@pytest.mark.parametrize(
    "tz,zone",
    [
        ("America/New_York", "America/New_York"),
        (":Europe/London", "Europe/London"),
        ("Australia/Lord_Howe", "Australia/Lord_Howe"),
        # A POSIX-looking value that is also a database zone is the database zone.
        ("EST5EDT", "EST5EDT"),
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
    [
        "../../../etc/passwd",
        "/etc/passwd",
        "/dev/zero",
        "Mars/Base",
        "EST5EDT,M3.2.0",
        "x" * 5000,
        "EST5EDT,M3.2.0,M11.1.0," + "0" * 100_000,
        "EST5EDT,J1/167:59:59,J365/-167:59:59",
        "EST5EDT,M12.5.6/167,M1.1.0/-167",
        "EST5EDT,J1,J1",
        "A" * 100_000 + "5B,J1,J2",
        "<" + "1" * 100_000,
        "EST5EDT,M3.2.0,M11.1.0/../../etc/passwd",
    ],
)
def test_an_unusable_or_hostile_tz_still_gives_the_current_instant(tz):
    before = datetime.now(timezone.utc).replace(microsecond=0)
    got = run_with_tz(tz)
    after = datetime.now(timezone.utc)
    assert before <= instant_of(got["now"]["data"]) <= after
