"""The URL package as a Python program sees it: values crossing into Python, host names,
joining and decoding checked against Python's codecs and urllib, odd and hostile input,
registration and recalculation. The parser's rules one by one, the web-platform conformance
data among them, are pinned by the C++ tests in tests/cpp/url."""

import string
from urllib.parse import parse_qsl, unquote, unquote_to_bytes, urlencode, urljoin, urlsplit

import pytest
from hypothesis import given, settings, strategies as st

import orvel
from sheet_calc import calc, custom, package_sheet

VALUE = "#VALUE! "
UNRESERVED = frozenset((string.ascii_letters + string.digits).encode())
COMPONENTS = ("URL_SCHEME", "URL_HOST", "URL_PORT", "URL_PATH", "URL_QUERY", "URL_FRAGMENT")
URL_FUNCTIONS = [
    "URL_SCHEME", "URL_HOST", "URL_PORT", "URL_PATH", "URL_PATH_SEGMENT", "URL_QUERY",
    "URL_FRAGMENT", "URL_PARAM", "URL_VALID", "URL_ENCODE", "URL_DECODE", "URL_JOIN",
]  # fmt: skip
TWO_ARGUMENTS = {"URL_PATH_SEGMENT", "URL_PARAM", "URL_JOIN"}


@pytest.fixture
def url():
    return package_sheet("url")


def encoded(text):
    """Every UTF-8 byte but ASCII letters and digits as %XX with upper-case hex digits."""
    return "".join(chr(b) if b in UNRESERVED else f"%{b:02X}" for b in text.encode())


class TestCrossingIntoPython:
    @pytest.mark.parametrize(
        "text,parts",
        [
            ("http://[::1]:8080/", ("http", "[::1]", 8080, "/", "", "")),
            ("HTTPS://Example.COM:443/?a=1#top", ("https", "example.com", 0, "/", "a=1", "top")),
            ("mailto:someone@example.com", ("mailto", "", 0, "someone@example.com", "", "")),
            ("https://x.org/a\x00b", ("https", "x.org", 0, "/a%00b", "", "")),
        ],
    )
    def test_components_are_texts_and_the_port_an_int(self, url, text, parts):
        got = tuple(calc(url, f"={name}(A1)", text) for name in COMPONENTS)
        assert got == parts
        assert [type(part) for part in got] == [str, str, int, str, str, str]

    def test_validity_is_a_bool_and_a_failure_a_value_error_text(self, url):
        assert calc(url, "=URL_VALID(A1)", "https://x.org") is True
        assert calc(url, "=URL_VALID(A1)", "http://[::1") is False
        for name in COMPONENTS:
            got = calc(url, f"={name}(A1)", "http://[::1")
            assert got == VALUE + f"{name}: invalid URL (invalid IPv6 address)"


class TestAgainstPython:
    @pytest.mark.parametrize(
        "host,ascii",
        [
            ("Bücher.example", "xn--bcher-kva.example"),
            ("日本語.jp", "xn--wgv71a119e.jp"),
            ("ÉXAMPLE.com", "xn--xample-9ua.com"),
            ("ｅｘａｍｐｌｅ.com", "example.com"),
            ("ex\u00adample.com", "example.com"),
            ("a\u3002b.com", "a.b.com"),
            ("München.DE", "xn--mnchen-3ya.de"),
            ("xn--bcher-kva.example", "xn--bcher-kva.example"),
        ],
    )
    def test_international_hosts_match_python_idna(self, url, host, ascii):
        # Python's codec implements IDNA 2003; these names are mapped alike by the URL standard.
        assert ascii == ".".join(
            label.encode("idna").decode().lower()
            for label in host.replace("\u3002", ".").split(".")
        )
        assert calc(url, "=URL_HOST(A1)", f"https://{host}/") == ascii

    def test_sharp_s_is_kept_as_the_url_standard_says(self, url):
        # Nontransitional processing keeps "ß" (IDNA 2003 would map it to "ss").
        assert calc(url, "=URL_HOST(A1)", "https://straße.de/") == "xn--strae-oqa.de"

    # The reference resolution examples of RFC 3986 but "//g", where the URL standard adds a "/".
    @pytest.mark.parametrize(
        "reference",
        [
            "g", "./g", "g/", "/g", "?y", "g?y", "#s", "g#s", "g?y#s", ";x", "g;x", "", ".", "./",
            "..", "../", "../g", "../..", "../../g", "../../../g", "../../../../g", "g:h",
            "http:g", "/./g", "/../g", "g.", ".g", "g..", "..g", "./../g", "./g/.", "g/./h",
            "g/../h", "g;x=1/./y", "g;x=1/../y", "g?y/./x", "g?y/../x", "g#s/./x", "g#s/../x",
        ],
    )  # fmt: skip
    def test_join_resolves_references_as_urljoin_does(self, url, reference):
        base = "http://a/b/c/d;p?q"
        assert calc(url, "=URL_JOIN(A1, B1)", base, reference) == urljoin(base, reference)

    @pytest.mark.parametrize("segment", ["c%20d", "%E2%82%AC", "é", "a+b%2Fc", "%zz", "100%"])
    def test_a_path_segment_is_decoded_as_unquote_does(self, url, segment):
        text = f"https://x.org/{segment}/x"
        assert calc(url, "=URL_PATH_SEGMENT(A1, 1)", text) == unquote(segment)

    @pytest.mark.parametrize(
        "query,name",
        [
            ("q=a+b&q=c", "q"), ("q=a+b&q=c", "Q"), ("a", "a"), ("a=1=2", "a"), ("%61=1", "a"),
            ("a+b=1", "a b"), ("=x", ""), ("a=1&&b=2", "b"), ("a=1;b=2", "b"), ("a=%zz", "a"),
            ("a=%FFok%E2%82", "a"), ("é=1", "é"), ("a=1#b=2", "b"), ("", "q"),
        ],
    )  # fmt: skip
    def test_a_parameter_is_the_first_pair_parse_qsl_finds(self, url, query, name):
        text = f"https://x.org/?{query}"
        pairs = parse_qsl(urlsplit(text).query, keep_blank_values=True)
        expected = next((value for key, value in pairs if key == name), "")
        assert calc(url, "=URL_PARAM(A1, B1)", text, name) == expected


class TestFailures:
    @pytest.mark.parametrize("name", URL_FUNCTIONS)
    def test_each_function_checks_its_argument_count_then_takes_only_text(self, url, name):
        count = 2 if name in TWO_ARGUMENTS else 1
        expected = VALUE + f"{name}: expected {count} arg" + ("s" if count > 1 else "")
        assert calc(url, f"={name}(A1, A1, A1)", "https://x.org/") == expected
        arguments = ", ".join(["A1"] * count)
        for value in (5, True, None, custom("jdate", "2024-01-01")):
            got = calc(url, f"={name}({arguments})", value)
            assert got == VALUE + f"{name}: arg #1 must be text"

    def test_the_url_is_read_before_the_segment_index(self, url):
        got = calc(url, '=URL_PATH_SEGMENT(A1, "x")', "abc")
        assert got == VALUE + "URL_PATH_SEGMENT: invalid URL (relative URL without a base)"

    @pytest.mark.parametrize("host", ["xn--a.ß", "\u0301a.com", "a\u200db.com"])
    def test_hosts_the_idna_rules_refuse(self, url, host):
        expected = VALUE + "URL_HOST: invalid URL (invalid international domain name)"
        assert calc(url, "=URL_HOST(A1)", f"https://{host}/") == expected
        assert calc(url, "=URL_VALID(A1)", f"https://{host}/") is False


class TestOddInput:
    def test_very_long_url(self, url):
        path = "/" + "a" * 1_000_000
        assert calc(url, "=URL_PATH(A1)", "https://x.org" + path) == path
        assert calc(url, "=URL_PATH_SEGMENT(A1, -1)", "https://x.org" + path) == path[1:]

    def test_many_segments_and_params(self, url):
        text = (
            "https://x.org/"
            + "s/" * 50_000
            + "last?"
            + "&".join(f"k{i}={i}" for i in range(50_000))
        )
        assert calc(url, "=URL_PATH_SEGMENT(A1, -1)", text) == "last"
        assert calc(url, "=URL_PATH_SEGMENT(A1, 50000)", text) == "s"
        assert calc(url, "=URL_PARAM(A1, B1)", text, "k49999") == "49999"

    def test_text_that_is_not_unicode_is_refused_at_the_boundary(self, url):
        with pytest.raises(UnicodeEncodeError):
            url.set_cells([("A1", "https://x.org/\ud800")])
        url.set_cells([("A1", "https://x.org/ok"), ("B1", "=URL_PATH(A1)")])
        assert url.get_typed("B1") == "/ok"

    @pytest.mark.parametrize(
        "text",
        ["http://\u0000", "http://\ufffd.com", "https://%ef%bf%bd.com", "http://a..b", "http://."],
    )
    def test_odd_hosts_never_crash(self, url, text):
        host = calc(url, "=URL_HOST(A1)", text)
        assert isinstance(host, str)
        valid = calc(url, "=URL_VALID(A1)", text)
        assert valid is (not host.startswith(VALUE))


BUILTIN_COUNT = len(orvel.list_functions())


def function_names(sheet):
    return [info["name"] for info in sheet.list_functions()]


class TestRegistration:
    def test_the_twelve_functions_in_their_order(self, url):
        assert function_names(url)[BUILTIN_COUNT:] == URL_FUNCTIONS

    def test_second_registration_fails_at_once_and_changes_nothing(self, url):
        with pytest.raises(ValueError) as caught:
            url.register_url()
        assert str(caught.value) == "custom function name collides with existing: URL_SCHEME"
        assert function_names(url)[BUILTIN_COUNT:] == URL_FUNCTIONS

    def test_a_taken_name_keeps_the_functions_before_it(self, sheet):
        sheet.register_function("Url_Path", lambda args: "mine")
        with pytest.raises(ValueError) as caught:
            sheet.register_url()
        assert str(caught.value) == "custom function name collides with existing: URL_PATH"
        assert function_names(sheet)[BUILTIN_COUNT:] == [
            "Url_Path",
            "URL_SCHEME",
            "URL_HOST",
            "URL_PORT",
        ]
        sheet.set_cells(
            [
                ("A1", '=URL_PORT("http://x:81")'),
                ("A2", '=URL_PATH("http://x")'),
                ("A3", '=URL_QUERY("http://x")'),
            ]
        )
        assert (sheet.get_typed("A1"), sheet.get_typed("A2"), sheet.get_typed("A3")) == (
            81,
            "mine",
            "#NAME?",
        )

    def test_sheets_are_independent(self, url):
        plain = orvel.Sheet()
        for sheet in (url, plain):
            sheet.set_cells([("A1", '=URL_HOST("https://x.org")')])
        assert url.get_typed("A1") == "x.org"
        assert plain.get_typed("A1") == "#NAME?"

    def test_registration_does_not_recalculate(self, sheet):
        sheet.set_cells([("A1", '=URL_SCHEME("https://x.org")')])
        sheet.register_url()
        assert sheet.get("A1") == "#NAME?"
        sheet.set_cells([])
        assert sheet.get("A1") == "https"

    def test_no_cell_types_are_added(self, url):
        url.set_cells([("A1", "https://x.org"), ("A2", "2024-06-15")])
        assert url.get_all_typed() == {"A1": "https://x.org", "A2": "2024-06-15"}

    def test_before_the_datetime_package(self, url):
        url.register_datetime()
        assert calc(url, '=YEAR(DATE(2024, 1, 1)) & URL_SCHEME("ftp://x")') == "2024ftp"


class TestRecalculation:
    def test_dependents_follow_an_edited_url(self, url):
        url.set_cells(
            [
                ("A1", "https://x.org/a/b?q=1"),
                ("B1", "=URL_HOST(A1)"),
                ("B2", "=URL_PATH_SEGMENT(A1, -1)"),
                ("B3", '=URL_PARAM(A1, "q")'),
                ("B4", '=URL_JOIN(A1, "../c")'),
            ]
        )
        assert [url.get_typed(c) for c in ("B1", "B2", "B3", "B4")] == [
            "x.org",
            "b",
            "1",
            "https://x.org/c",
        ]
        url.set_cells([("A1", "http://Y.org:81/z?q=a+b")])
        assert [url.get_typed(c) for c in ("B1", "B2", "B3", "B4")] == [
            "y.org",
            "z",
            "a b",
            "http://y.org:81/c",
        ]
        url.set_cells([("A1", "not a url")])
        assert url.get_typed("B1") == VALUE + "URL_HOST: invalid URL (relative URL without a base)"

    def test_urls_spilled_from_an_array(self, url):
        url.set_cells(
            [("A1", "https://a.org"), ("A2", "https://b.org"), ("B1", "=URL_HOST(A1:A2)")]
        )
        # Arguments are flattened: two cells are two arguments.
        assert url.get_typed("B1") == VALUE + "URL_HOST: expected 1 arg"


@pytest.fixture(scope="module")
def shared_url():
    return package_sheet("url")


# Texts rich in what percent-decoding looks at, with anything else mixed in.
escape_texts = st.text(
    alphabet=st.one_of(
        st.sampled_from("%%%+0123456789abcdefABCDEFxyz/"),
        st.characters(blacklist_categories=("Cs",)),
    ),
    max_size=30,
)


class TestProperties:
    @settings(max_examples=300, deadline=None)
    @given(st.text(max_size=60))
    def test_decode_of_encode_gives_the_text_back(self, shared_url, text):
        assert calc(shared_url, "=URL_ENCODE(A1)", text) == encoded(text)
        assert calc(shared_url, "=URL_DECODE(URL_ENCODE(A1))", text) == text

    @settings(max_examples=300, deadline=None)
    @given(escape_texts)
    def test_decode_matches_python_unquote(self, shared_url, text):
        try:
            expected = unquote_to_bytes(text).decode("utf-8")
        except UnicodeDecodeError:
            expected = VALUE + "URL_DECODE: result is not valid UTF-8"
        assert calc(shared_url, "=URL_DECODE(A1)", text) == expected

    @settings(max_examples=200, deadline=None)
    @given(
        st.dictionaries(
            st.text(min_size=1, max_size=8), st.text(max_size=12), min_size=1, max_size=4
        ),
        st.data(),
    )
    def test_form_encoded_parameters_come_back_decoded(self, shared_url, pairs, data):
        name = data.draw(st.sampled_from(sorted(pairs)))
        text = "https://x.org/p?" + urlencode(pairs)
        assert calc(shared_url, "=URL_PARAM(A1, B1)", text, name) == pairs[name]

    @settings(max_examples=300, deadline=None)
    @given(
        st.text(
            alphabet=st.one_of(
                st.sampled_from("%%%+0123456789abcdefABCDEF=?/ "),
                st.characters(blacklist_characters="&#", blacklist_categories=("Cc", "Cs")),
            ),
            max_size=30,
        )
    )
    def test_a_raw_parameter_value_decodes_as_python_decodes_forms(self, shared_url, value):
        # "+" is a blank, escapes are bytes, and ill-formed UTF-8 becomes U+FFFD per maximal subpart.
        expected = unquote_to_bytes(value.replace("+", " ")).decode("utf-8", "replace")
        text = f"https://x.org/?k={value}&z=1"
        assert calc(shared_url, '=URL_PARAM(A1, "k")', text) == expected

    @settings(max_examples=200, deadline=None)
    @given(
        st.lists(
            st.text(alphabet=string.ascii_letters + "é€-_", min_size=1, max_size=6),
            min_size=1,
            max_size=6,
        ),
        st.data(),
    )
    def test_path_segments_count_from_both_ends(self, shared_url, segments, data):
        text = "https://x.org/" + "/".join(encoded(segment) for segment in segments)
        index = data.draw(st.integers(1, len(segments)))
        got = calc(shared_url, "=URL_PATH_SEGMENT(A1, B1)", text, index)
        assert got == segments[index - 1]
        assert calc(shared_url, "=URL_PATH_SEGMENT(A1, B1)", text, index - len(segments) - 1) == got
