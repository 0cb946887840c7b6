"""The date and time package as a Python program sees it: typed values crossing into Python,
hostile input at the boundary, registration, recalculation, and the calendar and zone rules
checked against Python's datetime, calendar and zoneinfo. The rules one by one (literals,
messages, directives, each function's arguments) are pinned by the C++ tests in
tests/cpp/datetime."""

import calendar

import pytest
from hypothesis import assume, given, settings, strategies as st

import orvel
from sheet_calc import calc, custom, is_error_value, package_sheet, shown
from temporal_oracle import (
    ZoneInfo, add_months, date, date_payload, datetime, datetime_payload, is_gap, resolve_local,
    shifted_into_python, time_payload, timedelta, timezone, zoned_payload,
)  # fmt: skip

VALUE = "#VALUE! "
RANGE = VALUE + "out of range: "
NEW_YORK_WINTER = "2024-01-15T09:30:00-05:00[America/New_York]"
HOSTILE_ZONED = "2024-01-15T09:30:00+00:00[../../etc/passwd]"


def tagged(tag):
    return lambda data: custom(tag, data)


jdate, jtime, jdatetime, jzoned, jspan, jtimezone = map(
    tagged, ["jdate", "jtime", "jdatetime", "jzoned", "jspan", "jtimezone"]
)


def typed(sheet, cells):
    return [sheet.get_typed(cell) for cell in cells.split()]


@pytest.fixture
def dt():
    return package_sheet("datetime")


@pytest.fixture(scope="module")
def shared_dt():
    return package_sheet("datetime")


class TestCrossingIntoPython:
    @pytest.mark.parametrize(
        "text,expected",
        [
            ("2024-06-15", jdate("2024-06-15")), ("2024-02-30", "2024-02-30"),
            ("-000044-03-15", "-000044-03-15"), ("1D", "1D"), ("5", 5), ("TRUE", True),
            ("2024-06-15T10:30:00.250", jdatetime("2024-06-15T10:30:00.25")),
            ("12:30:00.123456789", jtime("12:30:00.123456789")), ("1d ago", jspan("-P1D")),
            (NEW_YORK_WINTER, jzoned(NEW_YORK_WINTER)), (HOSTILE_ZONED, HOSTILE_ZONED),
        ],
    )  # fmt: skip
    def test_a_literal_cell_reads_back_as_its_typed_value(self, dt, text, expected):
        dt.set_cells([("A1", text)])
        got = dt.get_typed("A1")
        assert got == expected and type(got) is type(expected)
        dt.set_cells([("A1", "2024-06-31")])  # classified again on every write
        assert dt.get_typed("A1") == "2024-06-31"

    def test_values_come_out_typed_and_get_gives_the_payload(self, dt):
        dt.set_cells(
            [("A1", "=DATE(2024, 1, 31)"), ("A2", "=YEAR(A1)"), ("A3", "=IS_LEAP_YEAR(A1)"),
             ("A4", "=DAYS_BETWEEN(A1, A1 + DAYS(1)) / 4"), ("A5", "1h 30m"),
             ("A6", "2024-06-15T09:30")]
        )  # fmt: skip
        value = dt.get_typed("A1")
        assert type(value) is dict and list(value) == ["type_tag", "data"]
        got = typed(dt, "A1 A2 A3 A4")
        assert got == [jdate("2024-01-31"), 2024, True, 0.25] and type(got[1]) is int
        assert dt.get_all_typed()["A1"] == value and dt.get_all()["A1"] == "2024-01-31"
        assert (dt.get("A5"), dt.get("A6")) == ("PT1H30M", "2024-06-15T09:30:00")
        assert shown(dt, jspan("PT1H30M")) == "1h 30m"

    def test_spilled_temporal_values(self, dt):
        dates = [("A1", "2024-01-31"), ("A2", "2024-02-29"), ("A3", "2023-12-31")]
        dt.set_cells([*dates, ("B1", "=A1:A3+MONTHS(1)")])
        expected = [[jdate("2024-02-29")], [jdate("2024-03-29")], [jdate("2024-01-31")]]
        assert dt.get_array_typed("B1") == expected
        assert dt.get_array("B1") == [["2024-02-29"], ["2024-03-29"], ["2024-01-31"]]
        assert dt.get_typed("B3") == jdate("2024-01-31")

    def test_typed_custom_input_round_trips(self, dt):
        values = [
            jdate("-000044-03-15"), jzoned(NEW_YORK_WINTER), jspan("PT90M"), jtimezone("+05:30"),
            jdate("not a date"),
        ]  # fmt: skip
        cells = range(1, len(values) + 1)
        dt.set_cells_typed([(f"A{i}", {"kind": "custom", **v}) for i, v in zip(cells, values)])
        dt.set_cells([(f"B{i}", f"=A{i}") for i in cells])
        assert [dt.get_typed(f"B{i}") for i in cells] == values

    def test_python_functions_receive_and_return_temporal_dicts(self, dt):
        seen = []

        def tags(args):
            seen[:] = args
            return {"type_tag": "jdate", "data": "2024-02-29"}

        dt.register_function("PY_TAGS", tags)
        dt.set_cells([("A1", '=PY_TAGS(DATE(2024, 1, 2), DAYS(3), TIMEZONE("UTC"))')])
        dt.set_cells([("A2", "=DAYOFYEAR(A1)")])
        assert seen == [jdate("2024-01-02"), jspan("P3D"), jtimezone("UTC")]
        assert dt.get_typed("A2") == 60

    @pytest.mark.parametrize(
        "formula,args,message",
        [
            ("=A1+B1", [jdate("9999-12-31"), jspan("P1D")], "adding 1 days to 9999-12-31 leaves "
             "the supported range of dates (-9999-01-01 to 9999-12-31)"),
            ("=A1-B1", [jdate("2024-02-30"), jspan("P1D")],
             "failed to parse \"2024-02-30\" as date: parameter 'day' with value 30 is not in the "
             "required range of 1..=29"),
            ("=A1*B1", [jspan("P3652243D"), 2], "parameter 'days' with value 7304486 is not in the "
             "required range of -7304484..=7304484"),
        ],
    )  # fmt: skip
    def test_an_operator_failure_crosses_as_its_plain_message(self, dt, formula, args, message):
        assert calc(dt, formula, *args) == message
        assert is_error_value(dt)

    @pytest.mark.parametrize(
        "tag,text,fmt,expected",
        [
            ("jdate", "2024-06-15", "", jdate("2024-06-15")), ("jdate", "2024-02-30", "", None),
            ("jdate", "05/03/2024", "%d/%m/%Y", jdate("2024-03-05")),
            ("jzoned", "2024-07-01 12:00 ../../etc/passwd", "%Y-%m-%d %H:%M %Q", None),
            ("jspan", "1d", "ignored %Y", jspan("P1D")), ("jtimezone", "UTC", "", None),
            ("jnothing", "2024-06-15", "", None),
        ],
    )  # fmt: skip
    def test_try_parse_gives_a_typed_value_or_none(self, dt, tag, text, fmt, expected):
        assert dt.try_parse(tag, text, fmt) == expected

    def test_utcnow_is_the_current_instant(self, dt):
        # NOW and TODAY under TZ values, each in a fresh process: test_system_zone.py.
        before = datetime.now(timezone.utc).replace(microsecond=0)
        got = calc(dt, "=UTCNOW()")
        after = datetime.now(timezone.utc)
        assert got["type_tag"] == "jzoned" and got["data"].endswith("+00:00[UTC]")
        assert before <= datetime.fromisoformat(got["data"].removesuffix("[UTC]")) <= after


# Offsets just outside their grammar, look-alikes of names and paths, and texts the binding must
# carry whole (NUL, non-ASCII, very long).
HOSTILE_ZONE_NAMES = [
    "", "Mars/Base", "+5:30", "+26:00", "+25:60", "+-5", "+05:3", "+05:60x", "utc ", " UTC",
    "../../etc/passwd", "/usr/share/zoneinfo/UTC", "America/../Europe/London", "./UTC",
    "America/New_York\x00", "Europe/Lon\x00don", "tzdata.zi", "%2e%2e/etc/passwd",
    "America/New_York\n", "Ame rica/New_York", "A" * 300, "Europe/" * 20000, "é/ü",
]  # fmt: skip


class TestHostileInput:
    @pytest.mark.parametrize("name", HOSTILE_ZONE_NAMES, ids=lambda name: repr(name)[:40])
    def test_unknown_and_hostile_zone_names_are_not_found(self, dt, name):
        message = f"failed to find time zone `{name}` in time zone database"
        assert calc(dt, "=TIMEZONE(A1)", name) == VALUE + "TIMEZONE: " + message
        zoned = jzoned("2024-01-01T00:00:00+00:00[UTC]")
        assert calc(dt, "=IN_TZ(A1, B1)", zoned, name) == VALUE + "IN_TZ: " + message
        assert calc(dt, "=IN_TZ(A1, B1)", zoned, jtimezone(name)) == VALUE + "IN_TZ: " + message
        local = jdatetime("2024-01-01T00:00:00")
        assert calc(dt, "=ZONED(A1, B1)", local, name) == VALUE + "ZONED: " + message

    @pytest.mark.parametrize("name", ["Mars/Base", "../../etc/passwd", "UTC\x00x", "/dev/zero"])
    def test_a_payload_naming_a_hostile_zone_is_unreadable(self, dt, name):
        value = jzoned(f"2024-01-15T09:30:00+00:00[{name}]")
        got = calc(dt, "=YEAR(A1)", value)
        assert got.startswith(VALUE + "failed to parse ") and got.endswith(" in time zone database")
        assert calc(dt, "=A1*1", value) is None
        assert shown(dt, value) == value["data"]

    def test_huge_texts_fail_with_a_message(self, dt):
        def fails(got):
            return got.startswith(VALUE) and len(got) > len(VALUE)

        assert fails(calc(dt, "=PARSE_SPAN(A1)", "1h " * 100_000))
        assert fails(calc(dt, "=PARSE_DATE(A1, B1)", "9" * 1_000_000, "%Y"))
        assert fails(calc(dt, "=YEAR(A1)", jdate("2" * 1_000_000)))
        assert calc(dt, "=FORMAT(A1, B1)", jtime("10:00:00"), "x" * 1_000_000) == "x" * 1_000_000

    @pytest.mark.parametrize(
        "tag,text,fmt",
        [("jdate", "2024\ud800", ""), ("jdate", "2024-01-01", "%Y\ud800"), ("j\ud800", "x", "")],
    )  # fmt: skip
    def test_surrogates_are_refused_and_the_sheet_stays_usable(self, dt, tag, text, fmt):
        with pytest.raises(UnicodeEncodeError, match="surrogates not allowed"):
            dt.try_parse(tag, text, fmt)
        assert calc(dt, "=YEAR(DATE(2024, 1, 1))") == 2024


# Dates at the calendar's corners; years outside Python's range are compared 400 years over.
CIVIL_DATES = [
    (2024, 2, 29), (1900, 3, 1), (2000, 12, 31), (2021, 1, 1), (2024, 12, 30), (2024, 1, 7),
    (1970, 1, 1), (1969, 12, 31), (1, 1, 1), (9999, 12, 31), (0, 2, 29), (-44, 3, 15),
    (-100, 3, 1), (-400, 12, 31), (-9999, 1, 1),
]  # fmt: skip


@st.composite
def proleptic_dates(draw):
    """(year, month, day) of any proleptic Gregorian date the package holds."""
    year, month = draw(st.integers(-9999, 9999)), draw(st.integers(1, 12))
    length = calendar.monthrange(shifted_into_python(year, month, 1).year, month)[1]
    return year, month, draw(st.integers(1, length))


python_dates = st.dates(min_value=date(1, 1, 1), max_value=date(9999, 12, 31))


def check_date(sheet, year, month, day):
    """DATE builds the payload, which reads back, and each field follows Python's calendar."""
    payload = date_payload(year, month, day)
    value = calc(sheet, "=DATE(A1, B1, C1)", year, month, day)
    assert value == jdate(payload)
    assert calc(sheet, "=PARSE_DATE(A1)", payload) == value
    assert calc(sheet, "=ISO(A1)", value) == payload
    python_date = shifted_into_python(year, month, day)
    expected = {
        "YEAR": year, "MONTH": month, "DAY": day, "WEEKDAY": python_date.isoweekday(),
        "DAYOFYEAR": python_date.timetuple().tm_yday, "WEEKOFYEAR": python_date.isocalendar().week,
        "QUARTER": (month - 1) // 3 + 1, "IS_LEAP_YEAR": calendar.isleap(year),
    }  # fmt: skip
    got = {name: calc(sheet, f"={name}(A1)", value) for name in expected}
    assert got == expected
    assert [type(v) for v in got.values()] == [type(v) for v in expected.values()]
    if year >= 0:  # negative years have no literal form
        sheet.set_cells([("A1", payload)])
        assert sheet.get_typed("A1") == value


class TestCalendarAgainstPython:
    @pytest.mark.parametrize("ymd", CIVIL_DATES, ids=lambda ymd: date_payload(*ymd))
    def test_date_fields_at_the_corners(self, shared_dt, ymd):
        check_date(shared_dt, *ymd)

    @settings(max_examples=200, deadline=None)
    @given(proleptic_dates())
    def test_date_fields_of_any_date(self, shared_dt, ymd):
        check_date(shared_dt, *ymd)

    @settings(max_examples=200, deadline=None)
    @given(st.integers(0, 23), st.integers(0, 59), st.integers(0, 59), st.integers(0, 999_999_999))
    def test_a_time_payload_reads_back(self, shared_dt, hour, minute, second, nanos):
        payload = time_payload(hour, minute, second, nanos)
        value = calc(shared_dt, "=TIME(A1, B1, C1, D1)", hour, minute, second, nanos)
        assert value == jtime(payload)
        assert calc(shared_dt, "=PARSE_TIME(A1)", payload) == value
        assert calc(shared_dt, "=NANOSECOND(A1)", value) == nanos
        # As a number it is the fraction of the day.
        nanos_of_day = ((hour * 60 + minute) * 60 + second) * 10**9 + nanos
        assert calc(shared_dt, "=A1*1", value) == nanos_of_day / (86400 * 10**9)

    @settings(max_examples=200, deadline=None)
    @given(python_dates, st.integers(-20000, 20000))
    def test_days_added_and_counted_as_python_does(self, shared_dt, start, days):
        end = date.fromordinal(min(max(start.toordinal() + days, 1), date.max.toordinal()))
        days = end.toordinal() - start.toordinal()
        a, b = jdate(start.isoformat()), jdate(end.isoformat())
        assert calc(shared_dt, "=DATEADD(A1, DAYS(B1))", a, days) == b
        assert calc(shared_dt, "=DATESUB(A1, DAYS(B1))", b, days) == a
        assert calc(shared_dt, "=DAYS_BETWEEN(A1, B1)", a, b) == days
        difference = (("-P" if days < 0 else "P") + f"{abs(days)}D") if days else "PT0S"
        assert calc(shared_dt, "=A1-B1", b, a) == jspan(difference)

    @settings(max_examples=200, deadline=None)
    @given(python_dates, st.integers(-1200, 1200))
    def test_months_added_clamp_the_day_and_count_days_from_it(self, shared_dt, start, months):
        assume(1 <= (start.year * 12 + start.month - 1 + months) // 12 <= 9999)
        end, a = add_months(start, months), jdate(start.isoformat())
        assert calc(shared_dt, "=DATEADD(A1, MONTHS(B1))", a, months) == jdate(end.isoformat())
        assert calc(shared_dt, "=SPAN_TO_DAYS(MONTHS(B1), A1)", a, months) == (end - start).days


# Each span unit's largest amount; one more is out of range.
SPAN_UNIT_LIMITS = [
    ("YEARS", "P{}Y", 19998), ("MONTHS", "P{}M", 239976), ("WEEKS", "P{}W", 1043497),
    ("DAYS", "P{}D", 7304484), ("HOURS", "PT{}H", 175307616),
    ("MINUTES", "PT{}M", 10518456960), ("SECONDS", "PT{}S", 631107417600),
]  # fmt: skip


class TestRules:
    @pytest.mark.parametrize(
        "formula,args,expected",
        [
            ("=DATETIME(-1, 12, 31, 23, 59, 59)", [], jdatetime("-000001-12-31T23:59:59")),
            ("=TIME(23, 59, 59, 999999999)", [], jtime("23:59:59.999999999")),
            ("=SPAN(1, 2, 3, 4, 5, 6, 7)", [], jspan("P1Y2M3W4DT5H6M7S")),
            # Without a relative date, months count from 1970-01-01.
            ("=SPAN_TO_DAYS(MONTHS(2))", [], 59),
            # Sums are taken from 1970-01-01 and balanced up to the larger largest unit.
            ("=A1+B1", [jspan("P1M"), jspan("P31D")], jspan("P2M3D")),
            ("=A1+B1", [jspan("-P1M"), jspan("P1D")], jspan("-P30D")),
            ("=A1+B1", [jspan("PT1H"), jspan("P1W")], jspan("P1WT1H")),
            ("=A1+B1", [jspan("P1W"), jspan("P8D")], jspan("P2W1D")),
            ("=A1+B1", [jspan("P1M"), jspan("P1W")], jspan("P1M7D")),
            ("=A1*3", [jspan("P1Y2M3W4DT5H6M7.5S")], jspan("P3Y6M9W12DT15H18M22.5S")),
            ("=A1-B1", [jtime("09:00:00"), jtime("10:30:00.5")], jspan("-PT1H30M0.5S")),
            # A zoned value as a number is the whole seconds of its instant, toward zero.
            ("=A1*1", [jzoned("1970-01-01T05:30:00+05:30[+05:30]")], 0),
            ("=A1*1", [jzoned("1969-12-31T19:00:01-05:00[America/New_York]")], 1),
            ("=A1*1", [jzoned("1969-12-31T23:59:58.5+00:00[UTC]")], -1),
        ],
    )  # fmt: skip
    def test_values_at_the_edges_sums_and_number_views(self, dt, formula, args, expected):
        got = calc(dt, formula, *args)
        assert got == expected and type(got) is type(expected)

    @pytest.mark.parametrize(
        "formula",
        [
            "=DATE(2024, 4, 31)", "=DATE(2024, 1, 0)", "=DATE(2024, 0, 1)", "=DATE(2024, 13, 1)",
            "=DATE(10000, 1, 1)", "=DATE(-10000, 12, 31)", "=TIME(12, 60, 0)", "=TIME(12, 0, 60)",
            "=TIME(12, 0, 0, 1000000000)", "=DATESUB(DATE(-9999, 1, 1), DAYS(1))",
            "=DATEADD(DATE(2024, 1, 1), YEARS(19998))",
        ],
    )  # fmt: skip
    def test_past_the_calendar_is_a_range_error(self, dt, formula):
        assert calc(dt, formula).startswith(RANGE)

    @pytest.mark.parametrize("function,template,limit", SPAN_UNIT_LIMITS)
    def test_each_span_unit_holds_its_limit_and_no_more(self, dt, function, template, limit):
        assert calc(dt, f"={function}(A1)", limit) == jspan(template.format(limit))
        assert calc(dt, f"={function}(A1)", -limit) == jspan("-" + template.format(limit))
        assert calc(dt, f"={function}(A1)", limit + 1).startswith(RANGE)
        assert calc(dt, f"={function}(A1)", -limit - 1).startswith(RANGE)


# Rows are "zone local-time ...", split at blanks. Times in a zone: skipped, repeated or ordinary.
DST_CASES = [
    "America/New_York 2024-03-10T02:30 skipped", "America/New_York 2024-11-03T01:30 repeated",
    "Europe/London 2024-03-31T01:30 skipped", "Europe/London 2024-10-27T01:30 repeated",
    "Australia/Lord_Howe 2024-10-06T02:15 skipped",  # by half an hour
    "Australia/Lord_Howe 2024-04-07T01:45 repeated",  # by half an hour
    "America/New_York 2024-06-01T12:00 ordinary",
    "Pacific/Apia 2011-12-30T12:00 skipped",  # a whole day
    "Europe/Moscow 2014-10-26T01:30 repeated",  # no daylight saving either side
    "America/New_York 2300-03-11T02:30 skipped",  # by the rule past the table
    "America/New_York 2300-11-04T01:30 repeated",  # by the rule past the table
]
ZONED_VALUES = [
    "America/New_York 2024-07-01T12:00", "America/New_York 2024-01-15T12:00",
    "Europe/London 2024-07-01T12:00", "Europe/London 2024-12-01T12:00",
    "Australia/Lord_Howe 2024-12-01T12:00", "Australia/Lord_Howe 2024-06-01T12:00",
    "Asia/Kolkata 2024-06-01T12:00", "America/New_York 1800-01-01T00:00",
    "Europe/Amsterdam 1900-01-01T00:00", "America/New_York 2300-07-01T12:00",
    "Pacific/Apia 2011-12-31T12:00",
]
# The hours from a local midnight to the next.
ZONED_DAYS = [
    "America/New_York 2024-03-10T00:00 23", "America/New_York 2024-11-03T00:00 25",
    "Europe/London 2024-03-31T00:00 23", "Europe/London 2024-10-27T00:00 25",
    "Australia/Lord_Howe 2024-10-06T00:00 23.5", "Australia/Lord_Howe 2024-04-07T00:00 24.5",
    "America/New_York 2024-06-01T00:00 24",
    "Pacific/Apia 2011-12-29T00:00 24",  # the skipped midnight moves a day on
]
ZONED_STEPS = [
    "America/New_York 2024-03-09T12:00 P1D", "America/New_York 2024-03-09T12:00 PT24H",
    "America/New_York 2024-03-09T02:30 P1D", "America/New_York 2024-11-02T01:30 P1D",
    "America/New_York 2024-11-03T00:30 PT2H", "Europe/London 2024-10-26T12:00 P1D",
    "Europe/London 2024-10-26T12:00 PT24H", "Europe/London 2024-02-29T01:30 P1M",
    "Europe/London 2024-03-30T01:30 P1D", "Australia/Lord_Howe 2024-10-05T12:00 P1D",
    "Australia/Lord_Howe 2024-10-05T12:00 PT24H", "Australia/Lord_Howe 2024-10-05T02:15 P1D",
    "Australia/Lord_Howe 2024-04-06T01:45 P1D",
]
# Calendar units keep the wall clock; clock units are elapsed time.
CALENDAR_STEPS = {
    "P1D": lambda local: local + timedelta(days=1),
    "P1M": lambda local: add_months(local, 1),
}
CLOCK_STEPS = {"PT24H": timedelta(hours=24), "PT2H": timedelta(hours=2)}
ZONES = ["America/New_York", "Europe/London", "Australia/Lord_Howe", "Asia/Kolkata"]
CHOICES = ["compatible", "earlier", "later"]


def zone_row(row):
    zone, local, *rest = row.split()
    return zone, datetime.fromisoformat(local), *rest


class TestZonesAgainstZoneinfo:
    @pytest.mark.parametrize("row", ZONED_VALUES)
    def test_fields_and_display_of_a_zoned_value(self, dt, row):
        zone, local = zone_row(row)
        moment = local.replace(tzinfo=ZoneInfo(zone))
        value = calc(dt, "=ZONED(A1, B1)", jdatetime(datetime_payload(local)), zone)
        assert value == jzoned(zoned_payload(moment, zone))
        assert calc(dt, "=TZ_NAME(A1)", value) == zone
        assert calc(dt, "=TZ_OFFSET_SECONDS(A1)", value) == int(moment.utcoffset().total_seconds())
        assert calc(dt, "=IS_DST(A1)", value) is bool(moment.dst())
        # The payload reads back to the same local time, whatever its offset was rounded to.
        local_again = calc(dt, "=TO_DATETIME(A1, TO_TIME(A1))", value)
        assert local_again == jdatetime(datetime_payload(local))
        assert shown(dt, value) == moment.strftime("%Y-%m-%d %H:%M:%S %Z")

    @pytest.mark.parametrize("row", DST_CASES)
    @pytest.mark.parametrize("choice", [*CHOICES, "reject"])
    def test_local_time_placed_in_a_zone(self, dt, row, choice):
        zone, local, kind = zone_row(row)
        placed = {c: zoned_payload(resolve_local(local, zone, c), zone) for c in CHOICES}
        assert (placed["earlier"] != placed["later"]) == (kind != "ordinary")
        assert is_gap(local, ZoneInfo(zone)) == (kind == "skipped")
        value = jdatetime(datetime_payload(local))
        got = calc(dt, "=ZONED(A1, B1, C1)", value, zone, choice)
        assert calc(dt, "=TO_ZONED(A1, B1, C1)", value, zone, choice.upper()) == got
        if choice == "reject" and kind != "ordinary":
            assert got.startswith(VALUE + "ZONED: ambiguous local time (") and got.endswith(")")
            assert f"falls into a {'gap' if kind == 'skipped' else 'fold'} between" in got
            return
        assert got == jzoned(placed["earlier" if choice == "reject" else choice])
        if choice == "compatible":
            assert calc(dt, "=ZONED(A1, B1)", value, zone) == got
            assert calc(dt, "=ZONED(A1, B1, C1)", value, zone, None) == got
            assert calc(dt, "=ZONED(A1, B1, C1)", value, zone, "") == got

    @pytest.mark.parametrize(
        "zone", ["Asia/Tokyo", "Australia/Lord_Howe", "Europe/London", "-03:30"]
    )
    def test_in_tz_keeps_the_instant(self, dt, zone):
        start = datetime(2024, 3, 31, 0, 45, tzinfo=timezone.utc)
        value = jzoned(zoned_payload(start, "UTC"))
        fixed = zone.startswith("-") and timezone(-timedelta(hours=3, minutes=30))
        expected = jzoned(zoned_payload(start.astimezone(fixed or ZoneInfo(zone)), zone))
        moved = calc(dt, "=IN_TZ(A1, B1)", value, zone)
        assert moved == expected
        assert calc(dt, "=A1=B1", value, moved) is True
        assert calc(dt, "=TO_UTC(A1)", moved) == value
        assert calc(dt, "=IN_TZ(A1, TIMEZONE(B1))", value, zone) == expected

    @pytest.mark.parametrize("row", ZONED_DAYS)
    def test_zoned_days_across_daylight_saving_changes(self, dt, row):
        zone, start, hours = zone_row(row)
        a = jzoned(zoned_payload(resolve_local(start, zone), zone))
        b = jzoned(zoned_payload(resolve_local(start + timedelta(days=1), zone), zone))
        assert calc(dt, "=HOURS_BETWEEN(A1, B1)", a, b) == float(hours)
        assert calc(dt, "=DAYS_BETWEEN(A1, B1)", a, b) == float(hours) / 24

    @pytest.mark.parametrize("row", ZONED_STEPS)
    def test_zoned_arithmetic(self, dt, row):
        zone, local, span = zone_row(row)
        begin = resolve_local(local, zone)
        if span in CLOCK_STEPS:
            end = (begin.astimezone(timezone.utc) + CLOCK_STEPS[span]).astimezone(ZoneInfo(zone))
        else:
            end = resolve_local(CALENDAR_STEPS[span](local), zone)
        value, expected = jzoned(zoned_payload(begin, zone)), jzoned(zoned_payload(end, zone))
        assert calc(dt, "=DATEADD(A1, B1)", value, jspan(span)) == expected
        assert calc(dt, "=A1+B1", value, jspan(span)) == expected

    @pytest.mark.parametrize("zone", ["America/New_York", "Australia/Lord_Howe", "Asia/Kolkata"])
    def test_parse_zoned_places_a_timestamp_in_the_named_zone(self, dt, zone):
        moment = datetime.fromtimestamp(1700000000, ZoneInfo(zone))
        got = calc(dt, "=PARSE_ZONED(A1, B1)", f"1700000000 {zone}", "%s %Q")
        assert got == jzoned(zoned_payload(moment, zone))

    @settings(max_examples=200, deadline=None)
    @given(
        st.datetimes(min_value=datetime(1900, 1, 1), max_value=datetime(2100, 12, 31)),
        st.sampled_from(ZONES),
        st.sampled_from(CHOICES),
        st.integers(-(10**6), 10**6),
    )
    def test_zoned_values_agree_with_zoneinfo(self, shared_dt, local, zone, choice, minutes):
        local = local.replace(microsecond=0)
        value = calc(
            shared_dt, "=ZONED(A1, B1, C1)", jdatetime(datetime_payload(local)), zone, choice
        )
        moment = resolve_local(local, zone, choice)
        assert value == jzoned(zoned_payload(moment, zone))
        offset = calc(shared_dt, "=TZ_OFFSET_SECONDS(A1)", value)
        assert offset == moment.utcoffset().total_seconds()
        assert calc(shared_dt, "=IS_DST(A1)", value) is bool(moment.dst())
        later = (moment.astimezone(timezone.utc) + timedelta(minutes=minutes)).astimezone(
            ZoneInfo(zone)
        )
        got = calc(shared_dt, "=DATEADD(A1, MINUTES(B1))", value, minutes)
        assert got == jzoned(zoned_payload(later, zone))
        elapsed = calc(shared_dt, "=SECONDS_BETWEEN(A1, DATEADD(A1, MINUTES(B1)))", value, minutes)
        assert elapsed == minutes * 60


PACKAGE_FUNCTIONS = [
    "DATE", "TODAY", "PARSE_DATE", "YEARS", "MONTHS", "WEEKS", "DAYS", "HOURS", "MINUTES",
    "SECONDS", "SPAN", "PARSE_SPAN", "SPAN_TO_SECONDS", "SPAN_TO_DAYS", "TIME", "PARSE_TIME",
    "DATETIME", "PARSE_DATETIME", "TIMEZONE", "ZONED", "TO_ZONED", "PARSE_ZONED", "IN_TZ",
    "TO_UTC", "NOW", "UTCNOW", "YEAR", "MONTH", "DAY", "WEEKDAY", "DAYOFYEAR", "WEEKOFYEAR",
    "QUARTER", "IS_LEAP_YEAR", "HOUR", "MINUTE", "SECOND", "NANOSECOND", "TZ_NAME",
    "TZ_OFFSET_SECONDS", "IS_DST", "TO_DATE", "TO_TIME", "TO_DATETIME", "FORMAT", "ISO",
    "DAYS_BETWEEN", "HOURS_BETWEEN", "MINUTES_BETWEEN", "SECONDS_BETWEEN", "DATEADD", "DATESUB",
]  # fmt: skip

BUILTIN_COUNT = len(orvel.list_functions())


def function_names(sheet):
    return [info["name"] for info in sheet.list_functions()][BUILTIN_COUNT:]


class TestRegistration:
    def test_the_52_functions_in_their_order(self, dt):
        assert function_names(dt) == PACKAGE_FUNCTIONS
        info = dt.list_functions()[BUILTIN_COUNT]
        assert info["category"] == "Custom" and info["variadic"]["name"] == "args"

    def test_second_registration_fails_at_the_first_type_and_adds_nothing(self, dt):
        before = dt.list_functions()
        with pytest.raises(ValueError) as caught:
            dt.register_datetime()
        assert str(caught.value) == "custom type tag already registered: jzoned"
        assert dt.list_functions() == before
        assert calc(dt, "=YEAR(DATE(2024, 1, 1))") == 2024

    def test_sheets_are_independent(self, dt):
        plain, other = orvel.Sheet(), package_sheet("datetime")
        for sheet in (dt, plain, other):
            sheet.set_cells([("A1", "2024-06-15"), ("A2", "=DAYS(1)"), ("A3", "12:30")])
        assert dt.get_typed("A1") == other.get_typed("A1") == jdate("2024-06-15")
        assert plain.get_all_typed() == {"A1": "2024-06-15", "A2": "#NAME?", "A3": "12:30"}

    def test_a_taken_function_name_stops_the_transfer(self, sheet):
        sheet.register_function("year", lambda args: "mine")
        with pytest.raises(ValueError) as caught:
            sheet.register_datetime()
        assert str(caught.value) == "custom function name collides with existing: YEAR"
        before_year = PACKAGE_FUNCTIONS[: PACKAGE_FUNCTIONS.index("YEAR")]
        assert function_names(sheet) == ["year", *before_year]
        # The six handlers were all registered before the functions.
        sheet.set_cells([("A1", "2024-06-15"), ("A2", "=YEAR(A1)"), ("A3", "=A1-A1")])
        assert typed(sheet, "A1 A2 A3") == [jdate("2024-06-15"), "mine", jspan("PT0S")]
        with pytest.raises(ValueError, match="^custom type tag already registered: jzoned$"):
            sheet.register_datetime()

    def test_a_taken_type_tag_stops_before_any_function(self, sheet):
        class DateLike:
            type_tag = "jdate"

            @staticmethod
            def display(value):
                return "mine"

        sheet.register_type(DateLike())
        with pytest.raises(ValueError) as caught:
            sheet.register_datetime()
        assert str(caught.value) == "custom type tag already registered: jdate"
        assert function_names(sheet) == []
        # The zoned and date-time handlers came first and stay.
        sheet.set_cells([("A1", "2024-06-15T10:30"), ("A2", "2024-06-15"), ("A3", "=DAY(A1)")])
        expected = [jdatetime("2024-06-15T10:30:00"), "2024-06-15", "#NAME?"]
        assert typed(sheet, "A1 A2 A3") == expected

    def test_registration_does_not_recalculate(self, sheet):
        sheet.set_cells([("A1", "2024-06-15"), ("A2", "=DATE(2024, 1, 1)")])
        sheet.register_datetime()
        assert typed(sheet, "A1 A2") == ["2024-06-15", "#NAME?"]
        sheet.set_cells([])
        assert typed(sheet, "A1 A2") == [jdate("2024-06-15"), jdate("2024-01-01")]

    def test_editor_services_see_the_functions(self, dt):
        items = dt.complete("=DAYS_B", 7)["items"]
        assert [(item["kind"], item["label"]) for item in items] == [("function", "DAYS_BETWEEN")]
        help = dt.signature_help("=DATEADD(A1, ", 13)
        assert help["function"]["name"] == "DATEADD" and help["active_param"] == 1
        assert orvel.signature_help("=DATEADD(A1, ", 13) is None


class TestRecalculation:
    def test_dependents_follow_an_edited_date(self, dt):
        dt.set_cells(
            [
                ("A1", "2024-01-31"), ("A2", "=A1+MONTHS(1)"), ("A3", "=DAYS_BETWEEN(A1, A2)"),
                ("A4", '=FORMAT(A2, "%d.%m.%Y")'), ("B1", "=A1:A2+DAYS(1)"), ("C1", "=B2"),
            ]
        )  # fmt: skip
        cells = "A2 A3 A4 C1"
        assert typed(dt, cells) == [jdate("2024-02-29"), 29, "29.02.2024", jdate("2024-03-01")]
        dt.set_cells([("A1", "2023-01-31")])
        assert typed(dt, cells) == [jdate("2023-02-28"), 28, "28.02.2023", jdate("2023-03-01")]
        dt.set_cells_typed([("A1", {"kind": "custom", **jdate("2024-12-31")})])
        assert typed(dt, cells) == [jdate("2025-01-31"), 31, "31.01.2025", jdate("2025-02-01")]

    def test_a_date_cell_turned_into_text_or_removed(self, dt):
        dt.set_cells([("A1", "2024-01-31"), ("A2", "=A1+MONTHS(1)"), ("A3", "=YEAR(A1)")])
        dt.set_cells([("A1", "hello")])
        # Text has no number view and the package does not answer: "+" joins the shown texts.
        assert typed(dt, "A2 A3") == [
            "hello1mo",
            VALUE + "YEAR: arg #1 must be a jdate, jdatetime, or jzoned value",
        ]
        dt.set_cells([("A1", "")])
        assert dt.get_typed("A2") == "1mo"
        dt.set_cells([("A1", "2024-03-31")])
        assert typed(dt, "A2 A3") == [jdate("2024-04-30"), 2024]

    def test_a_zone_cell_feeds_conversions(self, dt):
        dt.set_cells([("A1", "2024-07-01T12:00:00+00:00[UTC]"), ("C1", "=HOUR(IN_TZ(A1, B1))")])
        dt.set_cells([("B1", '=TIMEZONE("Europe/London")')])
        assert dt.get_typed("C1") == 13
        dt.set_cells([("B1", '=TIMEZONE("Australia/Lord_Howe")')])
        assert dt.get_typed("C1") == 22
        dt.set_cells([("B1", '=TIMEZONE("../etc")')])
        assert dt.get_typed("C1") == VALUE + "IN_TZ: arg #2 must be a jtimezone value or a string"
