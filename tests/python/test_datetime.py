"""The date and time package as a Python program sees it: typed values crossing into Python,
hostile input at the boundary, the system zone, calendar and zone rules checked against Python's
datetime and zoneinfo, registration and recalculation. The engine's rules one by one (messages,
literals, accessors, directives, conversions) are pinned by the C++ tests in tests/cpp/datetime."""

import calendar

import pytest
from hypothesis import given, settings, strategies as st

import orvel
from sheet_calc import calc, custom, is_error_value, package_sheet, shown
from temporal_oracle import (
    ZoneInfo,
    add_months,
    date,
    date_payload,
    datetime,
    datetime_payload,
    is_gap,
    resolve_local,
    shifted_into_python,
    time_payload,
    timedelta,
    timezone,
    zoned_payload,
)

VALUE = "#VALUE! "


def tagged(tag):
    return lambda data: custom(tag, data)


jdate, jtime, jdatetime, jzoned, jspan, jtimezone = map(
    tagged, ["jdate", "jtime", "jdatetime", "jzoned", "jspan", "jtimezone"]
)


@pytest.fixture
def dt():
    return package_sheet("datetime")


def library_failure(result):
    """A function's failure that carries the date library's own message."""
    return isinstance(result, str) and result.startswith(VALUE) and len(result) > len(VALUE)


def range_failure(result):
    return isinstance(result, str) and result.startswith(VALUE + "out of range: ")


class TestCrossingIntoPython:
    @pytest.mark.parametrize(
        "text,expected",
        [
            ("2024-06-15", jdate("2024-06-15")),
            ("2024-02-30", "2024-02-30"),
            ("-000044-03-15", "-000044-03-15"),
            ("2024-06-15T10:30:00.250", jdatetime("2024-06-15T10:30:00.25")),
            ("12:30:00.123456789", jtime("12:30:00.123456789")),
            ("1 day 2 hours", jspan("P1DT2H")),
            ("1d ago", jspan("-P1D")),
            ("1D", "1D"),
            ("5", 5),
            ("TRUE", True),
            (
                "2024-01-15T09:30:00-05:00[America/New_York]",
                jzoned("2024-01-15T09:30:00-05:00[America/New_York]"),
            ),
            (
                "2024-01-15T09:30:00+00:00[../../etc/passwd]",
                "2024-01-15T09:30:00+00:00[../../etc/passwd]",
            ),
        ],
    )
    def test_a_literal_cell_reads_back_as_its_typed_value(self, dt, text, expected):
        dt.set_cells([("A1", text)])
        got = dt.get_typed("A1")
        assert got == expected and type(got) is type(expected)

    def test_literals_need_the_package(self, sheet):
        sheet.set_cells([("A1", "2024-06-15"), ("A2", "1d"), ("A3", "12:30")])
        assert sheet.get_all_typed() == {"A1": "2024-06-15", "A2": "1d", "A3": "12:30"}

    def test_a_raw_text_is_classified_again_on_every_write(self, dt):
        dt.set_cells([("A1", "2024-06-15")])
        dt.set_cells([("A1", "2024-06-31")])
        assert dt.get_typed("A1") == "2024-06-31"

    def test_typed_values_come_out_as_dicts(self, dt):
        dt.set_cells(
            [
                ("A1", "=DATE(2024, 1, 31)"),
                ("A2", "=YEAR(A1)"),
                ("A3", "=IS_LEAP_YEAR(A1)"),
                ("A4", "=DAYS_BETWEEN(A1, A1 + DAYS(1)) / 4"),
            ]
        )
        value = dt.get_typed("A1")
        assert type(value) is dict and list(value) == ["type_tag", "data"]
        assert value == jdate("2024-01-31")
        assert type(dt.get_typed("A2")) is int and dt.get_typed("A2") == 2024
        assert dt.get_typed("A3") is True
        assert dt.get_typed("A4") == 0.25
        assert dt.get_all_typed()["A1"] == value
        assert dt.get_all()["A1"] == "2024-01-31"

    def test_get_returns_the_payload_not_the_display(self, dt):
        dt.set_cells([("A1", "1h 30m"), ("A2", "2024-06-15T09:30")])
        assert (dt.get("A1"), shown(dt, jspan("PT1H30M"))) == ("PT1H30M", "1h 30m")
        assert dt.get("A2") == "2024-06-15T09:30:00"

    def test_spilled_temporal_values(self, dt):
        dt.set_cells(
            [
                ("A1", "2024-01-31"),
                ("A2", "2024-02-29"),
                ("A3", "2023-12-31"),
                ("B1", "=A1:A3+MONTHS(1)"),
            ]
        )
        expected = [[jdate("2024-02-29")], [jdate("2024-03-29")], [jdate("2024-01-31")]]
        assert dt.get_array_typed("B1") == expected
        assert dt.get_array("B1") == [["2024-02-29"], ["2024-03-29"], ["2024-01-31"]]
        assert dt.get_typed("B3") == jdate("2024-01-31")

    def test_typed_custom_input_round_trips(self, dt):
        values = [
            jdate("-000044-03-15"),
            jzoned("2024-01-15T09:30:00-05:00[America/New_York]"),
            jspan("PT90M"),
            jtimezone("+05:30"),
            jdate("not a date"),
        ]
        dt.set_cells_typed(
            [(f"A{i}", {"kind": "custom", **value}) for i, value in enumerate(values, 1)]
        )
        dt.set_cells([(f"B{i}", f"=A{i}") for i in range(1, len(values) + 1)])
        assert [dt.get_typed(f"B{i}") for i in range(1, len(values) + 1)] == values

    def test_python_functions_receive_and_return_temporal_dicts(self, dt):
        seen = []

        def tags(args):
            seen[:] = args
            return {"type_tag": "jdate", "data": "2024-02-29"}

        dt.register_function("PY_TAGS", tags)
        dt.set_cells(
            [
                ("A1", '=PY_TAGS(DATE(2024, 1, 2), DAYS(3), TIMEZONE("UTC"))'),
                ("A2", "=DAYOFYEAR(A1)"),
            ]
        )
        assert seen == [jdate("2024-01-02"), jspan("P3D"), jtimezone("UTC")]
        assert dt.get_typed("A2") == 60

    @pytest.mark.parametrize(
        "formula,args",
        [
            ("=A1+B1", [jdate("9999-12-31"), jspan("P1D")]),
            ("=A1-B1", [jdate("2024-02-30"), jspan("P1D")]),
            ("=A1*2", [jspan("P7304484D")]),
        ],
    )
    def test_an_operator_failure_crosses_as_its_plain_message(self, dt, formula, args):
        got = calc(dt, formula, *args)
        assert isinstance(got, str) and not got.startswith("#")
        assert is_error_value(dt)

    @pytest.mark.parametrize(
        "tag,text,fmt,expected",
        [
            ("jdate", "05/03/2024", "%d/%m/%Y", jdate("2024-03-05")),
            ("jdate", "2024-02-30", "", None),
            ("jtime", "07.05 PM", "%I.%M %p", jtime("19:05:00")),
            ("jdatetime", "2024-06-15 10:30", "%Y-%m-%d %H:%M", jdatetime("2024-06-15T10:30:00")),
            (
                "jzoned",
                "2024-07-01 12:00 Europe/London",
                "%Y-%m-%d %H:%M %Q",
                jzoned("2024-07-01T12:00:00+01:00[Europe/London]"),
            ),
            ("jzoned", "2024-07-01 12:00 ../../etc/passwd", "%Y-%m-%d %H:%M %Q", None),
            ("jspan", "1d", "ignored %Y", jspan("P1D")),
            ("jtimezone", "UTC", "", None),
        ],
    )
    def test_try_parse_gives_a_typed_value_or_none(self, dt, tag, text, fmt, expected):
        assert dt.try_parse(tag, text, fmt) == expected


HOSTILE_ZONE_NAMES = [
    "", "Mars/Base", "+5:30", "+26:00", "+25:60", "+-5", "+05:3", "+05:60x", "utc ", " UTC",
    "../../etc/passwd", "/etc/passwd", "/usr/share/zoneinfo/UTC", "America/../Europe/London",
    "./UTC", "America/New_York/", "America//New_York", "America/New_York\x00", "Europe/Lon\x00don",
    "America", "zone.tab", "tzdata.zi", "%2e%2e/etc/passwd", "America/New_York\n",
    "Ame rica/New_York", "A" * 300, "Europe/" * 20000, "é/ü",
]  # fmt: skip


class TestHostileInput:
    @pytest.mark.parametrize("name", HOSTILE_ZONE_NAMES)
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
        assert library_failure(calc(dt, "=YEAR(A1)", value))
        assert calc(dt, "=A1*1", value) is None
        assert shown(dt, value) == value["data"]

    def test_huge_texts_fail_with_a_message(self, dt):
        assert library_failure(calc(dt, "=PARSE_SPAN(A1)", "1h " * 100_000))
        assert library_failure(calc(dt, "=PARSE_DATE(A1, B1)", "9" * 1_000_000, "%Y"))
        assert library_failure(calc(dt, "=YEAR(A1)", jdate("2" * 1_000_000)))
        assert calc(dt, "=FORMAT(A1, B1)", jdate("2024-01-01"), "%Y" * 100_000) == "2024" * 100_000

    @pytest.mark.parametrize(
        "call",
        [
            lambda sheet: sheet.try_parse("jdate", "2024-01-01\ud800", ""),
            lambda sheet: sheet.try_parse("jdate", "2024-01-01", "%Y\ud800"),
            lambda sheet: sheet.try_parse("j\ud800", "2024-01-01", ""),
            lambda sheet: calc(sheet, "=TIMEZONE(A1)", "Europe/\ud800"),
            lambda sheet: calc(sheet, "=YEAR(A1)", jdate("2024\ud800")),
        ],
    )
    def test_surrogates_are_refused_and_the_sheet_stays_usable(self, dt, call):
        with pytest.raises((UnicodeEncodeError, ValueError), match="surrogates not allowed"):
            call(dt)
        assert calc(dt, "=YEAR(DATE(2024, 1, 1))") == 2024


# NOW and TODAY under other TZ values, each in a fresh process: test_system_zone.py.
class TestSystemZone:
    def test_utcnow_and_now_give_the_current_instant(self, dt):
        before = datetime.now(timezone.utc).replace(microsecond=0)
        got = calc(dt, "=UTCNOW()")
        after = datetime.now(timezone.utc)
        assert got["type_tag"] == "jzoned" and got["data"].endswith("+00:00[UTC]")
        moment = datetime.fromisoformat(got["data"].removesuffix("[UTC]"))
        assert before <= moment <= after
        now = calc(dt, "=NOW()")
        assert now["type_tag"] == "jzoned"
        assert abs(calc(dt, "=HOURS_BETWEEN(A1, B1)", now, got)) < 1 / 60


# Dates at the calendar's corners; years outside Python's range are compared 400 years over.
CIVIL_DATES = [
    (2024, 2, 29), (1900, 3, 1), (2000, 12, 31), (2021, 1, 1), (2024, 12, 30), (2024, 1, 7),
    (1970, 1, 1), (1969, 12, 31), (1, 1, 1), (9999, 12, 31), (0, 2, 29), (-44, 3, 15),
    (-100, 3, 1), (-400, 12, 31), (-9999, 1, 1),
]  # fmt: skip


# Each span unit's largest amount; one more is out of range.
SPAN_UNIT_LIMITS = [
    ("YEARS", "P{}Y", 19998), ("MONTHS", "P{}M", 239976), ("WEEKS", "P{}W", 1043497),
    ("DAYS", "P{}D", 7304484), ("HOURS", "PT{}H", 175307616),
    ("MINUTES", "PT{}M", 10518456960), ("SECONDS", "PT{}S", 631107417600),
]  # fmt: skip

FORMAT_SAMPLE = datetime(2024, 6, 17, 9, 5, 7)


class TestCalendarAgainstPython:
    @pytest.mark.parametrize("ymd", CIVIL_DATES, ids=lambda ymd: date_payload(*ymd))
    def test_date_fields_follow_the_proleptic_calendar(self, dt, ymd):
        year, month, day = ymd
        python_date = shifted_into_python(year, month, day)
        value = jdate(date_payload(year, month, day))
        expected = {
            "YEAR": year,
            "MONTH": month,
            "DAY": day,
            "WEEKDAY": python_date.isoweekday(),
            "DAYOFYEAR": python_date.timetuple().tm_yday,
            "WEEKOFYEAR": python_date.isocalendar().week,
            "QUARTER": (month - 1) // 3 + 1,
            "IS_LEAP_YEAR": calendar.isleap(year),
        }
        got = {name: calc(dt, f"={name}(A1)", value) for name in expected}
        assert got == expected
        assert all(type(got[name]) is type(expected[name]) for name in expected)

    @pytest.mark.parametrize(
        "value,sample,pattern",
        [
            (jdate("2024-06-17"), FORMAT_SAMPLE.date(), "%A %d %B %Y, %a %b %j"),
            (jdate("2024-06-17"), FORMAT_SAMPLE.date(), "no directives"),
            (jdate("2024-06-17"), FORMAT_SAMPLE.date(), "100%%"),
            (jdate("2024-06-17"), FORMAT_SAMPLE.date(), ""),
            (jtime("09:05:07"), FORMAT_SAMPLE.time(), "%H%M %I:%M:%S %p"),
        ],
    )
    def test_format_writes_what_strftime_writes(self, dt, value, sample, pattern):
        assert calc(dt, "=FORMAT(A1, B1)", value, pattern) == sample.strftime(pattern)

    @pytest.mark.parametrize(
        "months,start",
        [(1, date(1970, 1, 1)), (1, date(2024, 1, 31)), (-1, date(2024, 3, 31))]
        + [(1, date(2023, 2, 1)), (12, date(2024, 1, 1)), (12, date(2023, 2, 28))],
    )
    def test_span_to_days_counts_months_from_the_relative_date(self, dt, months, start):
        expected = (add_months(start, months) - start).days
        relative = jdate(start.isoformat())
        assert calc(dt, "=SPAN_TO_DAYS(MONTHS(A1), B1)", months, relative) == expected
        if start == date(1970, 1, 1):
            assert calc(dt, "=SPAN_TO_DAYS(MONTHS(A1))", months) == expected


class TestLimits:
    @pytest.mark.parametrize(
        "formula,expected",
        [
            ("=DATE(-9999, 1, 1)", jdate("-009999-01-01")),
            ("=DATE(9999, 12, 31)", jdate("9999-12-31")),
            ("=DATETIME(-1, 12, 31, 23, 59, 59)", jdatetime("-000001-12-31T23:59:59")),
            ("=TIME(23, 59, 59, 999999999)", jtime("23:59:59.999999999")),
            ("=SPAN(1, 2, 3, 4, 5, 6, 7)", jspan("P1Y2M3W4DT5H6M7S")),
        ],
    )
    def test_constructors_place_every_field_up_to_the_edges(self, dt, formula, expected):
        assert calc(dt, formula) == expected

    @pytest.mark.parametrize(
        "formula",
        [
            "=DATE(2023, 2, 29)", "=DATE(2024, 4, 31)", "=DATE(2024, 1, 0)", "=DATE(2024, 0, 1)",
            "=DATE(2024, 13, 1)", "=DATE(10000, 1, 1)", "=DATE(-10000, 12, 31)",
            "=TIME(24, 0, 0)", "=TIME(12, 60, 0)", "=TIME(12, 0, 60)", "=TIME(12, 0, 0, -1)",
            "=TIME(12, 0, 0, 1000000000)", "=DATETIME(2024, 2, 30, 0, 0, 0)",
            "=DATESUB(DATE(-9999, 1, 1), DAYS(1))", "=DATEADD(DATE(2024, 1, 1), YEARS(19998))",
        ],
    )  # fmt: skip
    def test_past_the_calendar_is_a_range_error(self, dt, formula):
        assert range_failure(calc(dt, formula))

    @pytest.mark.parametrize("function,template,limit", SPAN_UNIT_LIMITS)
    def test_each_span_unit_holds_its_limit_and_no_more(self, dt, function, template, limit):
        assert calc(dt, f"={function}(A1)", limit) == jspan(template.format(limit))
        assert calc(dt, f"={function}(A1)", -limit) == jspan("-" + template.format(limit))
        assert range_failure(calc(dt, f"={function}(A1)", limit + 1))
        assert range_failure(calc(dt, f"={function}(A1)", -limit - 1))

    @pytest.mark.parametrize("function,template,limit", SPAN_UNIT_LIMITS)
    def test_a_multiple_may_reach_each_units_limit_and_no_more(self, dt, function, template, limit):
        factor = next(f for f in range(2, 100) if limit % f == 0)
        part = limit // factor
        assert calc(dt, f"={function}(A1)*B1", part, factor) == jspan(template.format(limit))
        assert calc(dt, f"={function}(A1)*B1", -part, factor) == jspan("-" + template.format(limit))
        # An operator hands the library's range message on as it is.
        over = (part + 1) * factor
        message = f"parameter '{function.lower()}' with value {{}} is not in the required range of "
        message += f"-{limit}..={limit}"
        assert calc(dt, f"={function}(A1)*B1", part + 1, factor) == message.format(over)
        assert calc(dt, f"={function}(A1)*B1", -part - 1, factor) == message.format(-over)


class TestArithmetic:
    @pytest.mark.parametrize(
        "formula,args,expected",
        [
            # Sums are taken from 1970-01-01 and balanced up to the larger largest unit.
            ("=A1+B1", [jspan("P1M"), jspan("P31D")], jspan("P2M3D")),
            ("=A1-B1", [jspan("P1Y"), jspan("P1D")], jspan("P11M30D")),
            ("=A1+B1", [jspan("-P1M"), jspan("P1D")], jspan("-P30D")),
            ("=A1+B1", [jspan("PT1H"), jspan("P1W")], jspan("P1WT1H")),
            ("=A1+B1", [jspan("P1W"), jspan("P8D")], jspan("P2W1D")),
            ("=A1+B1", [jspan("P1M"), jspan("P1W")], jspan("P1M7D")),
            ("=A1*3", [jspan("P1Y2M3W4DT5H6M7.5S")], jspan("P3Y6M9W12DT15H18M22.5S")),
            ("=A1-B1", [jtime("09:00:00"), jtime("10:30:00.5")], jspan("-PT1H30M0.5S")),
        ],
    )
    def test_span_sums_differences_and_multiples(self, dt, formula, args, expected):
        assert calc(dt, formula, *args) == expected

    @pytest.mark.parametrize(
        "value,seconds",
        [
            (jzoned("1970-01-01T05:30:00+05:30[+05:30]"), 0),
            (jzoned("1969-12-31T19:00:01-05:00[America/New_York]"), 1),
            (jzoned("1969-12-31T23:59:58.5+00:00[UTC]"), -1),
        ],
    )
    def test_a_zoned_value_as_a_number_counts_seconds_of_its_instant(self, dt, value, seconds):
        got = calc(dt, "=A1*1", value)
        assert got == seconds and type(got) is int


# A local time in a zone: skipped, repeated or ordinary.
DST_CASES = [
    ("America/New_York", datetime(2024, 3, 10, 2, 30), "skipped"),
    ("America/New_York", datetime(2024, 11, 3, 1, 30), "repeated"),
    ("Europe/London", datetime(2024, 3, 31, 1, 30), "skipped"),
    ("Europe/London", datetime(2024, 10, 27, 1, 30), "repeated"),
    ("Australia/Lord_Howe", datetime(2024, 10, 6, 2, 15), "skipped"),  # by half an hour
    ("Australia/Lord_Howe", datetime(2024, 4, 7, 1, 45), "repeated"),  # by half an hour
    ("America/New_York", datetime(2024, 6, 1, 12, 0), "ordinary"),
    ("Pacific/Apia", datetime(2011, 12, 30, 12, 0), "skipped"),  # a whole day
    ("Europe/Moscow", datetime(2014, 10, 26, 1, 30), "repeated"),  # no daylight saving either side
    ("America/New_York", datetime(2300, 3, 11, 2, 30), "skipped"),  # by the rule past the table
    ("America/New_York", datetime(2300, 11, 4, 1, 30), "repeated"),  # by the rule past the table
]

# Calendar units keep the wall clock; clock units are elapsed time.
CALENDAR_STEPS = {
    "P1D": lambda local: local + timedelta(days=1),
    "P1M": lambda local: add_months(local, 1),
}
CLOCK_STEPS = {"PT24H": timedelta(hours=24), "PT2H": timedelta(hours=2)}


class TestZonesAgainstZoneinfo:
    @pytest.mark.parametrize(
        "zone,local",
        [
            ("America/New_York", datetime(2024, 7, 1, 12, 0)),
            ("America/New_York", datetime(2024, 1, 15, 12, 0)),
            ("Europe/London", datetime(2024, 7, 1, 12, 0)),
            ("Europe/London", datetime(2024, 12, 1, 12, 0)),
            ("Australia/Lord_Howe", datetime(2024, 12, 1, 12, 0)),
            ("Australia/Lord_Howe", datetime(2024, 6, 1, 12, 0)),
            ("Asia/Kolkata", datetime(2024, 6, 1, 12, 0)),
            ("America/New_York", datetime(1800, 1, 1, 0, 0)),
            ("Europe/Amsterdam", datetime(1900, 1, 1, 0, 0)),
            ("America/New_York", datetime(2300, 7, 1, 12, 0)),
            ("Pacific/Apia", datetime(2011, 12, 31, 12, 0)),
        ],
    )
    def test_fields_display_and_format_of_a_zoned_value(self, dt, zone, local):
        moment = local.replace(tzinfo=ZoneInfo(zone))
        value = calc(dt, "=ZONED(A1, B1)", jdatetime(datetime_payload(local)), zone)
        assert value == jzoned(zoned_payload(moment, zone))
        assert calc(dt, "=TZ_NAME(A1)", value) == zone
        assert calc(dt, "=TZ_OFFSET_SECONDS(A1)", value) == int(moment.utcoffset().total_seconds())
        assert calc(dt, "=IS_DST(A1)", value) is bool(moment.dst())
        # The payload reads back to the same local time, whatever its offset was rounded to.
        assert calc(dt, "=TO_DATETIME(A1, TO_TIME(A1))", value) == jdatetime(
            datetime_payload(local)
        )
        assert shown(dt, value) == moment.strftime("%Y-%m-%d %H:%M:%S %Z")
        pattern = "%Y-%m-%d %H:%M:%S %z %Z"
        assert calc(dt, "=FORMAT(A1, B1)", value, pattern) == moment.strftime(pattern)

    @pytest.mark.parametrize("zone,local,kind", DST_CASES)
    @pytest.mark.parametrize("choice", ["compatible", "earlier", "later"])
    def test_local_time_placed_in_a_zone(self, dt, zone, local, kind, choice):
        expected = jzoned(zoned_payload(resolve_local(local, zone, choice), zone))
        value = jdatetime(datetime_payload(local))
        assert calc(dt, "=ZONED(A1, B1, C1)", value, zone, choice) == expected
        assert calc(dt, "=TO_ZONED(A1, B1, C1)", value, zone, choice.upper()) == expected
        if choice == "compatible":
            assert calc(dt, "=ZONED(A1, B1)", value, zone) == expected
            assert calc(dt, "=ZONED(A1, B1, C1)", value, zone, None) == expected
            assert calc(dt, "=ZONED(A1, B1, C1)", value, zone, "") == expected

    @pytest.mark.parametrize("zone,local,kind", DST_CASES)
    def test_reject_refuses_skipped_and_repeated_times(self, dt, zone, local, kind):
        got = calc(dt, '=ZONED(A1, B1, "reject")', jdatetime(datetime_payload(local)), zone)
        earlier, later = (
            zoned_payload(resolve_local(local, zone, choice), zone)
            for choice in ("earlier", "later")
        )
        assert (earlier == later) == (kind == "ordinary")
        assert is_gap(local, ZoneInfo(zone)) == (kind == "skipped")
        if kind == "ordinary":
            assert got == jzoned(earlier)
        else:
            assert got.startswith(VALUE + "ZONED: ambiguous local time (") and got.endswith(")")
            assert f"falls into a {'gap' if kind == 'skipped' else 'fold'} between" in got

    @pytest.mark.parametrize(
        "zone", ["Asia/Tokyo", "Australia/Lord_Howe", "Europe/London", "-03:30"]
    )
    def test_in_tz_keeps_the_instant(self, dt, zone):
        start = datetime(2024, 3, 31, 0, 45, tzinfo=timezone.utc)
        value = jzoned(zoned_payload(start, "UTC"))
        moved = calc(dt, "=IN_TZ(A1, B1)", value, zone)
        if zone.startswith("-"):
            target = timezone(-timedelta(hours=3, minutes=30))
        else:
            target = ZoneInfo(zone)
        expected = jzoned(zoned_payload(start.astimezone(target), zone))
        assert moved == expected
        assert calc(dt, "=A1=B1", value, moved) is True
        assert calc(dt, "=TO_UTC(A1)", moved) == value
        assert calc(dt, "=IN_TZ(A1, TIMEZONE(B1))", value, zone) == expected

    @pytest.mark.parametrize(
        "zone,day,hours",
        [
            ("America/New_York", date(2024, 3, 10), 23),
            ("America/New_York", date(2024, 11, 3), 25),
            ("Europe/London", date(2024, 3, 31), 23),
            ("Europe/London", date(2024, 10, 27), 25),
            ("Australia/Lord_Howe", date(2024, 10, 6), 23.5),
            ("Australia/Lord_Howe", date(2024, 4, 7), 24.5),
            ("America/New_York", date(2024, 6, 1), 24),
            ("Pacific/Apia", date(2011, 12, 29), 24),  # the skipped midnight moves a day on
        ],
    )
    def test_zoned_days_across_daylight_saving_changes(self, dt, zone, day, hours):
        start = datetime.combine(day, datetime.min.time())
        a = jzoned(zoned_payload(resolve_local(start, zone), zone))
        b = jzoned(zoned_payload(resolve_local(start + timedelta(days=1), zone), zone))
        assert calc(dt, "=HOURS_BETWEEN(A1, B1)", a, b) == hours
        assert calc(dt, "=DAYS_BETWEEN(A1, B1)", a, b) == hours / 24

    @pytest.mark.parametrize(
        "zone,start,span",
        [
            ("America/New_York", "2024-03-09T12:00", "P1D"),
            ("America/New_York", "2024-03-09T12:00", "PT24H"),
            ("America/New_York", "2024-03-09T02:30", "P1D"),
            ("America/New_York", "2024-11-02T01:30", "P1D"),
            ("America/New_York", "2024-11-03T00:30", "PT2H"),
            ("Europe/London", "2024-10-26T12:00", "P1D"),
            ("Europe/London", "2024-10-26T12:00", "PT24H"),
            ("Europe/London", "2024-02-29T01:30", "P1M"),
            ("Europe/London", "2024-03-30T01:30", "P1D"),
            ("Australia/Lord_Howe", "2024-10-05T12:00", "P1D"),
            ("Australia/Lord_Howe", "2024-10-05T12:00", "PT24H"),
            ("Australia/Lord_Howe", "2024-10-05T02:15", "P1D"),
            ("Australia/Lord_Howe", "2024-04-06T01:45", "P1D"),
        ],
    )
    def test_zoned_arithmetic(self, dt, zone, start, span):
        local = datetime.fromisoformat(start)
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
    return [info["name"] for info in sheet.list_functions()]


class TestRegistration:
    def test_the_52_functions_in_their_order(self, dt):
        assert function_names(dt)[BUILTIN_COUNT:] == PACKAGE_FUNCTIONS
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
        plain = orvel.Sheet()
        other = package_sheet("datetime")
        for sheet in (dt, plain, other):
            sheet.set_cells([("A1", "2024-06-15"), ("A2", "=DAYS(1)")])
        assert dt.get_typed("A1") == other.get_typed("A1") == jdate("2024-06-15")
        assert plain.get_typed("A1") == "2024-06-15"
        assert plain.get_typed("A2") == "#NAME?"

    def test_a_taken_function_name_stops_the_transfer(self, sheet):
        sheet.register_function("year", lambda args: "mine")
        with pytest.raises(ValueError) as caught:
            sheet.register_datetime()
        assert str(caught.value) == "custom function name collides with existing: YEAR"
        names = function_names(sheet)[BUILTIN_COUNT:]
        assert names == ["year"] + PACKAGE_FUNCTIONS[: PACKAGE_FUNCTIONS.index("YEAR")]
        # The six handlers were all registered before the functions.
        sheet.set_cells([("A1", "2024-06-15"), ("A2", "=YEAR(A1)"), ("A3", "=A1-A1")])
        assert sheet.get_typed("A1") == jdate("2024-06-15")
        assert sheet.get_typed("A2") == "mine"
        assert sheet.get_typed("A3") == jspan("PT0S")
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
        assert len(sheet.list_functions()) == BUILTIN_COUNT
        # The zoned and date-time handlers came first and stay.
        sheet.set_cells(
            [("A1", "2024-06-15T10:30"), ("A2", "2024-06-15"), ("A3", "=DATE(2024, 1, 1)")]
        )
        assert sheet.get_typed("A1") == jdatetime("2024-06-15T10:30:00")
        assert sheet.get_typed("A2") == "2024-06-15"
        assert sheet.get_typed("A3") == "#NAME?"

    def test_registration_does_not_recalculate(self, sheet):
        sheet.set_cells([("A1", "2024-06-15"), ("A2", "=DATE(2024, 1, 1)")])
        sheet.register_datetime()
        assert sheet.get_typed("A1") == "2024-06-15"
        assert sheet.get_typed("A2") == "#NAME?"
        sheet.set_cells([])
        assert sheet.get_typed("A1") == jdate("2024-06-15")
        assert sheet.get_typed("A2") == jdate("2024-01-01")

    def test_url_package_beside_it(self, dt):
        dt.register_url()
        assert calc(dt, '=URL_HOST("https://example.com") & " " & YEAR(DATE(2024, 1, 1))') == (
            "example.com 2024"
        )

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
                ("A1", "2024-01-31"),
                ("A2", "=A1+MONTHS(1)"),
                ("A3", "=DAYS_BETWEEN(A1, A2)"),
                ("A4", '=FORMAT(A2, "%d.%m.%Y")'),
            ]
        )
        assert (dt.get_typed("A2"), dt.get_typed("A3"), dt.get_typed("A4")) == (
            jdate("2024-02-29"),
            29,
            "29.02.2024",
        )
        dt.set_cells([("A1", "2023-01-31")])
        assert (dt.get_typed("A2"), dt.get_typed("A3"), dt.get_typed("A4")) == (
            jdate("2023-02-28"),
            28,
            "28.02.2023",
        )
        dt.set_cells_typed([("A1", {"kind": "custom", "type_tag": "jdate", "data": "2024-12-31"})])
        assert (dt.get_typed("A2"), dt.get_typed("A3")) == (jdate("2025-01-31"), 31)

    def test_a_date_cell_turned_into_text_or_removed(self, dt):
        dt.set_cells([("A1", "2024-01-31"), ("A2", "=A1+MONTHS(1)"), ("A3", "=YEAR(A1)")])
        dt.set_cells([("A1", "hello")])
        # Text has no number view and the package does not answer: "+" joins the shown texts.
        assert dt.get_typed("A2") == "hello1mo"
        assert (
            dt.get_typed("A3") == VALUE + "YEAR: arg #1 must be a jdate, jdatetime, or jzoned value"
        )
        dt.set_cells([("A1", "")])
        assert dt.get_typed("A2") == "1mo"
        dt.set_cells([("A1", "2024-03-31")])
        assert (dt.get_typed("A2"), dt.get_typed("A3")) == (jdate("2024-04-30"), 2024)

    def test_a_spilled_column_of_dates_follows_its_inputs(self, dt):
        dt.set_cells(
            [("A1", "2024-02-28"), ("A2", "2024-02-29"), ("B1", "=A1:A2+DAYS(1)"), ("C1", "=B2")]
        )
        assert dt.get_typed("C1") == jdate("2024-03-01")
        dt.set_cells([("A2", "2023-02-28")])
        assert dt.get_typed("C1") == jdate("2023-03-01")

    def test_a_zone_cell_feeds_conversions(self, dt):
        dt.set_cells(
            [
                ("A1", "2024-07-01T12:00:00+00:00[UTC]"),
                ("B1", '=TIMEZONE("Europe/London")'),
                ("C1", "=HOUR(IN_TZ(A1, B1))"),
            ]
        )
        assert dt.get_typed("C1") == 13
        dt.set_cells([("B1", '=TIMEZONE("Australia/Lord_Howe")')])
        assert dt.get_typed("C1") == 22
        dt.set_cells([("B1", '=TIMEZONE("../etc")')])
        assert dt.get_typed("C1") == VALUE + "IN_TZ: arg #2 must be a jtimezone value or a string"


@pytest.fixture(scope="module")
def shared_dt():
    return package_sheet("datetime")


def proleptic_dates(min_year=-9999, max_year=9999):
    """(year, month, day) of any proleptic Gregorian date in the range."""

    @st.composite
    def build(draw):
        year = draw(st.integers(min_year, max_year))
        month = draw(st.integers(1, 12))
        length = calendar.monthrange(shifted_into_python(year, month, 1).year, month)[1]
        return year, month, draw(st.integers(1, length))

    return build()


python_dates = st.dates(min_value=date(1, 1, 1), max_value=date(9999, 12, 31))


class TestProperties:
    @settings(max_examples=200, deadline=None)
    @given(proleptic_dates())
    def test_a_date_payload_reads_back_and_its_fields_follow_the_calendar(self, shared_dt, ymd):
        year, month, day = ymd
        payload = date_payload(year, month, day)
        value = calc(shared_dt, "=DATE(A1, B1, C1)", year, month, day)
        assert value == jdate(payload)
        assert calc(shared_dt, "=PARSE_DATE(A1)", payload) == value
        assert calc(shared_dt, "=ISO(A1)", value) == payload
        python_date = shifted_into_python(year, month, day)
        assert calc(shared_dt, "=WEEKDAY(A1)", value) == python_date.isoweekday()
        assert calc(shared_dt, "=DAYOFYEAR(A1)", value) == python_date.timetuple().tm_yday
        assert calc(shared_dt, "=WEEKOFYEAR(A1)", value) == python_date.isocalendar().week
        if year >= 0:
            shared_dt.set_cells([("A1", payload)])
            assert shared_dt.get_typed("A1") == value

    @settings(max_examples=200, deadline=None)
    @given(st.integers(0, 23), st.integers(0, 59), st.integers(0, 59), st.integers(0, 999_999_999))
    def test_a_time_payload_reads_back(self, shared_dt, hour, minute, second, nanos):
        payload = time_payload(hour, minute, second, nanos)
        value = calc(shared_dt, "=TIME(A1, B1, C1, D1)", hour, minute, second, nanos)
        assert value == jtime(payload)
        assert calc(shared_dt, "=PARSE_TIME(A1)", payload) == value
        assert calc(shared_dt, "=NANOSECOND(A1)", value) == nanos
        # As a number it is the fraction of the day.
        assert calc(shared_dt, "=A1*1", value) == (
            ((hour * 60 + minute) * 60 + second) * 10**9 + nanos
        ) / (86400 * 10**9)

    @settings(max_examples=200, deadline=None)
    @given(
        st.lists(st.integers(0, 500), min_size=7, max_size=7),
        st.booleans(),
        st.integers(0, 999_999_999),
    )
    def test_a_span_payload_and_its_shown_form_read_back(self, shared_dt, parts, negative, nanos):
        sign = -1 if negative else 1
        value = calc(shared_dt, "=SPAN(A1, B1, C1, D1, E1, F1, G1)", *[sign * p for p in parts])
        assert value["type_tag"] == "jspan"
        if nanos:
            value = calc(
                shared_dt, "=A1+B1", value, jspan(("-" if negative else "") + f"PT0.{nanos:09d}S")
            )
        assert calc(shared_dt, "=PARSE_SPAN(A1)", value["data"]) == value
        assert calc(shared_dt, "=PARSE_SPAN(CONCAT(A1))", value) == value

    @settings(max_examples=200, deadline=None)
    @given(python_dates, st.integers(-20000, 20000))
    def test_days_added_and_counted_as_python_does(self, shared_dt, start, days):
        end = date.fromordinal(min(max(start.toordinal() + days, 1), date.max.toordinal()))
        days = end.toordinal() - start.toordinal()
        a = jdate(start.isoformat())
        assert calc(shared_dt, "=DATEADD(A1, DAYS(B1))", a, days) == jdate(end.isoformat())
        assert calc(shared_dt, "=DATESUB(A1, DAYS(B1))", jdate(end.isoformat()), days) == a
        assert calc(shared_dt, "=DAYS_BETWEEN(A1, B1)", a, jdate(end.isoformat())) == days
        assert calc(shared_dt, "=A1-B1", jdate(end.isoformat()), a) == (
            jspan((("-P" if days < 0 else "P") + f"{abs(days)}D") if days else "PT0S")
        )

    @settings(max_examples=200, deadline=None)
    @given(python_dates, st.integers(-1200, 1200))
    def test_months_added_clamp_the_day(self, shared_dt, start, months):
        index = start.year * 12 + start.month - 1 + months
        if not 1 <= index // 12 <= 9999:
            return
        expected = add_months(start, months)
        got = calc(shared_dt, "=DATEADD(A1, MONTHS(B1))", jdate(start.isoformat()), months)
        assert got == jdate(expected.isoformat())

    @settings(max_examples=200, deadline=None)
    @given(
        st.datetimes(min_value=datetime(1900, 1, 1), max_value=datetime(2100, 12, 31)),
        st.sampled_from(
            ["America/New_York", "Europe/London", "Australia/Lord_Howe", "Asia/Kolkata"]
        ),
        st.sampled_from(["compatible", "earlier", "later"]),
        st.integers(-(10**6), 10**6),
    )
    def test_zoned_values_agree_with_zoneinfo(self, shared_dt, local, zone, choice, minutes):
        local = local.replace(microsecond=0)
        value = calc(
            shared_dt, "=ZONED(A1, B1, C1)", jdatetime(datetime_payload(local)), zone, choice
        )
        moment = resolve_local(local, zone, choice)
        assert value == jzoned(zoned_payload(moment, zone))
        assert (
            calc(shared_dt, "=TZ_OFFSET_SECONDS(A1)", value) == moment.utcoffset().total_seconds()
        )
        assert calc(shared_dt, "=IS_DST(A1)", value) is bool(moment.dst())
        later = (moment.astimezone(timezone.utc) + timedelta(minutes=minutes)).astimezone(
            ZoneInfo(zone)
        )
        assert calc(shared_dt, "=DATEADD(A1, MINUTES(B1))", value, minutes) == jzoned(
            zoned_payload(later, zone)
        )
        assert (
            calc(shared_dt, "=SECONDS_BETWEEN(A1, DATEADD(A1, MINUTES(B1)))", value, minutes)
            == minutes * 60
        )

    @settings(max_examples=200, deadline=None)
    @given(st.datetimes(min_value=datetime(1000, 1, 1), max_value=datetime(9999, 12, 31)))
    def test_format_writes_what_python_writes(self, shared_dt, moment):
        value = jdatetime(datetime_payload(moment))
        pattern = "%Y-%m-%d %H:%M:%S %A %B %j %a %b %I %p %y"
        assert calc(shared_dt, "=FORMAT(A1, B1)", value, pattern) == moment.strftime(pattern)
        assert calc(
            shared_dt, "=PARSE_DATETIME(FORMAT(A1, B1), B1)", value, "%Y-%m-%d %H:%M:%S"
        ) == (jdatetime(datetime_payload(moment.replace(microsecond=0))))
