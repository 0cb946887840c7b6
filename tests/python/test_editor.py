"""The sheet's editor methods: completion, its catalogue and signature help.

What is offered where is pinned in tests/cpp/core/complete_test.cpp; here the dicts that cross
into Python and what a sheet adds: its names and its Python functions."""

import orvel


class TestModuleCatalogue:
    def test_list_functions_is_a_new_equal_list_each_time(self):
        first = orvel.list_functions()
        second = orvel.list_functions()
        assert first == second and first is not second
        assert len(first) == 17
        assert list(first[0]) == [
            "name", "aliases", "category", "params", "variadic", "description", "examples"
        ]

    def test_signature_help(self):
        help = orvel.signature_help("=SUM(1, MAX(2, ", 15)
        assert help["function"]["name"] == "MAX"
        assert help["active_param"] == 1
        assert list(help) == ["function", "active_param"]
        assert orvel.signature_help("=SUM(1, (2", 10) is None


def labels(completion):
    return [(item["kind"], item["label"]) for item in completion["items"]]


class TestComplete:
    def test_offers_builtins_names_and_custom_functions(self, sheet):
        result = sheet.complete("=SU", 3)
        assert list(result) == ["replace_start", "replace_end", "items"]
        assert (result["replace_start"], result["replace_end"]) == (1, 3)
        assert labels(result) == [("function", "SUM")]
        item = result["items"][0]
        assert list(item) == ["kind", "label", "insert", "detail", "documentation"]
        assert item["insert"] == "SUM(" and item["detail"] == "SUM(value, ...)"

        sheet.set_name("surcharge", "0.1")
        sheet.register_function("SUPER", lambda args: 1)
        result = sheet.complete("=SU", 3)
        assert labels(result) == [("function", "SUM"), ("function", "SUPER"), ("name", "SURCHARGE")]
        names = {item["label"]: item for item in result["items"]}
        assert names["SURCHARGE"]["detail"] == "Named range"
        assert names["SURCHARGE"]["documentation"] is None
        assert names["SUPER"]["detail"] == "SUPER(args, ...)"


class TestCatalogue:
    def test_new_sheet_lists_the_builtins(self, sheet):
        assert sheet.list_functions() == orvel.list_functions()

    def test_custom_functions_follow_as_minimal_records(self, sheet):
        sheet.register_function("Double", lambda args: 1)
        functions = sheet.list_functions()
        assert len(functions) == 18
        assert functions[-1] == {
            "name": "Double",
            "aliases": [],
            "category": "Custom",
            "params": [],
            "variadic": {"name": "args", "optional": True, "description": ""},
            "description": "",
            "examples": [],
        }

    def test_signature_help_sees_custom_functions(self, sheet):
        formula = "=DOUBLE(1, "
        assert sheet.signature_help(formula, len(formula)) is None
        sheet.register_function("DOUBLE", lambda args: 1)
        help = sheet.signature_help(formula, len(formula))
        assert help["active_param"] == 1
        assert help["function"]["name"] == "DOUBLE"
        assert orvel.signature_help(formula, len(formula)) is None

