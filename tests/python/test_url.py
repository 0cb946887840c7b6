"""The URL package as a Python program sees it: values crossing into Python, very long input,
registration, recalculation, and encoding, decoding and form parameters checked against
Python's urllib. The functions' rules one by one, and parsing and joining against the
web-platform conformance data, are pinned by the C++ tests in tests/cpp/url."""

import string
from urllib.parse import parse_qsl, unquote_to_bytes, urlencode, urlsplit

import pytest
from hypothesis import given, settings, strategies as st

import orvel
from sheet_calc import calc, package_sheet

VALUE = "#VALUE! "
UNRESERVED = frozenset((string.ascii_letters + string.digits).encode())
COMPONENTS = ("URL_SCHEME", "URL_HOST", "URL_PORT", "URL_PATH", "URL_QUERY", "URL_FRAGMENT")
URL_FUNCTIONS = [
    "URL_SCHEME", "URL_HOST", "URL_PORT", "URL_PATH", "URL_PATH_SEGMENT", "URL_QUERY",
    "URL_FRAGMENT", "URL_PARAM", "URL_VALID", "URL_ENCODE", "URL_DECODE", "URL_JOIN",
]  # fmt: skip
BUILTIN_COUNT = len(orvel.list_functions())


@pytest.fixture
def url():
    return package_sheet("url")


@pytest.fixture(scope="module")
def shared_url():
    return package_sheet("url")


def encoded(text):
    """Every UTF-8 byte but ASCII letters and digits as %XX with upper-case hex digits."""
    return "".join(chr(b) if b in UNRESERVED else f"%{b:02X}" for b in text.encode())


def function_names(sheet):
    return [info["name"] for info in sheet.list_functions()][BUILTIN_COUNT:]


class TestCrossingIntoPython:
    @pytest.mark.parametrize(
        "text,parts",
        [
            ("HTTPS://Example.COM:443/?a=1#top", ("https", "example.com", 0, "/", "a=1", "top")),
            ("http://[::1]:8080/", ("http", "[::1]", 8080, "/", "", "")),
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

    def test_very_long_urls_and_many_segments_and_parameters(self, url):
        path = "/" + "a" * 1_000_000
        assert calc(url, "=URL_PATH(A1)", "https://x.org" + path) == path
        assert calc(url, "=URL_PATH_SEGMENT(A1, -1)", "https://x.org" + path) == path[1:]
        text = "https://x.org/" + "s/" * 50_000 + "last?"
        text += "&".join(f"k{i}={i}" for i in range(50_000))
        assert calc(url, "=URL_PATH_SEGMENT(A1, -1)", text) == "last"
        assert calc(url, "=URL_PATH_SEGMENT(A1, 50000)", text) == "s"
        assert calc(url, "=URL_PARAM(A1, B1)", text, "k49999") == "49999"


class TestRegistration:
    def test_the_twelve_functions_in_their_order_and_a_second_registration(self, url):
        assert function_names(url) == URL_FUNCTIONS
        with pytest.raises(ValueError) as caught:
            url.register_url()
        assert str(caught.value) == "custom function name collides with existing: URL_SCHEME"
        assert function_names(url) == URL_FUNCTIONS

    def test_a_taken_name_keeps_the_functions_before_it(self, sheet):
        sheet.register_function("Url_Path", lambda args: "mine")
        with pytest.raises(ValueError) as caught:
            sheet.register_url()
        assert str(caught.value) == "custom function name collides with existing: URL_PATH"
        assert function_names(sheet) == ["Url_Path", "URL_SCHEME", "URL_HOST", "URL_PORT"]
        sheet.set_cells(
            [("A1", '=URL_PORT("http://x:81")'), ("A2", '=URL_PATH("http://x")'),
             ("A3", '=URL_QUERY("http://x")')]
        )  # fmt: skip
        assert [sheet.get_typed(cell) for cell in ("A1", "A2", "A3")] == [81, "mine", "#NAME?"]

    def test_a_sheet_of_its_own_without_cell_types_and_no_recalculation(self, sheet):
        cells = [("A1", '=URL_SCHEME("ftp://x")'), ("A2", "https://x.org"), ("A3", "2024-06-15")]
        sheet.set_cells(cells)
        sheet.register_url()
        assert sheet.get("A1") == "#NAME?"
        sheet.set_cells([])
        assert sheet.get_all_typed() == {"A1": "ftp", "A2": "https://x.org", "A3": "2024-06-15"}
        assert calc(orvel.Sheet(), '=URL_HOST("https://x.org")') == "#NAME?"
        sheet.register_datetime()
        assert calc(sheet, '=YEAR(DATE(2024, 1, 1)) & URL_SCHEME("ftp://x")') == "2024ftp"

    def test_dependents_follow_an_edited_url(self, url):
        url.set_cells(
            [
                ("A1", "https://x.org/a/b?q=1"), ("B1", "=URL_HOST(A1)"),
                ("B2", "=URL_PATH_SEGMENT(A1, -1)"), ("B3", '=URL_PARAM(A1, "q")'),
                ("B4", '=URL_JOIN(A1, "../c")'),
            ]
        )  # fmt: skip

        def cells():
            return [url.get_typed(cell) for cell in ("B1", "B2", "B3", "B4")]

        assert cells() == ["x.org", "b", "1", "https://x.org/c"]
        url.set_cells([("A1", "http://Y.org:81/z?q=a+b")])
        assert cells() == ["y.org", "z", "a b", "http://y.org:81/c"]
        url.set_cells([("A1", "not a url")])
        assert url.get_typed("B1") == VALUE + "URL_HOST: invalid URL (relative URL without a base)"


# Texts rich in what percent-decoding looks at, with anything else mixed in.
escape_texts = st.text(
    alphabet=st.one_of(
        st.sampled_from("%%%+0123456789abcdefABCDEFxyz/"),
        st.characters(blacklist_categories=("Cs",)),
    ),
    max_size=30,
)


class TestAgainstPython:
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
                st.sampled_from("%%%+0123456789abcdefABCDEF=?/ ;"),
                st.characters(blacklist_characters="&#", blacklist_categories=("Cc", "Cs")),
            ),
            max_size=30,
        ),
        st.sampled_from(["k", "K", "k ", "k+", "%6B"]),
    )
    def test_a_raw_parameter_decodes_as_python_decodes_forms(self, shared_url, value, name):
        # "+" is a blank, escapes are bytes, ill-formed UTF-8 becomes U+FFFD per maximal subpart.
        text = f"https://x.org/?{name}=2&k={value}#k=3"
        pairs = parse_qsl(urlsplit(text).query, keep_blank_values=True, errors="replace")
        expected = next(v for k, v in pairs if k == "k")
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
