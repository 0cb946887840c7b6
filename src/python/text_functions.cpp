// The module functions over formula text: token classes, references, rewriting for deleted,
// inserted and moved rows and columns, copying, and A1 notation.
#include <array>

#include "core/values.h"

#include "core/a1.h"
#include "core/adjust.h"
#include "core/move.h"
#include "core/refs.h"
#include "core/shift.h"
#include "core/tokens.h"
#include "core/values.h"
#include "python/arguments.h"
#include "python/errors.h"
#include "python/keys.h"
#include "python/module_functions.h"
#include "python/text.h"

namespace orvel::python {

namespace core = orvel::core;

namespace {

constexpr const char* kFormula[] = {"formula"};
constexpr const char* kDeletion[] = {"formula", "deleted_cols", "deleted_rows"};
constexpr const char* kInsertion[] = {"formula", "inserted_cols", "inserted_rows"};
constexpr const char* kBlockMove[] = {"formula", "src_start", "src_end", "final_start"};
constexpr const char* kShift[] = {"formula", "d_row", "d_col", "max_row", "max_col"};
constexpr const char* kInput[] = {"input"};
constexpr const char* kLetters[] = {"letters"};
constexpr const char* kIndex[] = {"index"};
constexpr const char* kRowCol[] = {"row", "col"};

// The kind texts as interned strs, made once: formula_tokens builds millions of item dicts.
template <std::size_t N, class Kind, class NameOf>
PyObject* kind_text(std::array<PyObject*, N>& cache, Kind kind, NameOf name_of) {
    const auto index = static_cast<std::size_t>(kind);
    if (index >= N) throw core::InternalError("kind out of range");
    if (cache[index] == nullptr) {
        const std::string_view name = name_of(kind);
        PyObject* text =
            PyUnicode_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
        if (text == nullptr) throw PythonError{};
        PyUnicode_InternInPlace(&text);
        cache[index] = text;
    }
    return cache[index];
}

std::array<PyObject*, 12> g_token_kinds{};
std::array<PyObject*, 6> g_ref_kinds{};

void set_item(PyObject* dict, PyObject* key, PyRef value) {
    if (PyDict_SetItem(dict, key, value.get()) < 0) throw PythonError{};
}

PyRef size_to_py(std::size_t value) { return checked(PyLong_FromSize_t(value)); }

PyRef position_dict(std::uint32_t row, std::uint32_t col) {
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().row, size_to_py(row));
    set_item(dict.get(), keys().col, size_to_py(col));
    return dict;
}

[[noreturn]] void raise_range_error(const core::a1::RangeParseError& error) {
    raise(PyExc_ValueError, error.display());
}

using Rewrite = std::string (*)(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t);

PyObject* block_move(const Parameters<4>& parameters, Rewrite rewrite, PyObject* const* args,
                     Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        auto slots = bind(parameters, args, nargs, kwnames);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::uint32_t src_start = u32_argument(slots[1], "src_start");
        const std::uint32_t src_end = u32_argument(slots[2], "src_end");
        const std::uint32_t final_start = u32_argument(slots[3], "final_start");
        return make_str(rewrite(formula, src_start, src_end, final_start)).release();
    });
}

using ListRewrite = std::string (*)(std::string_view, const core::Deletion&);

PyObject* list_rewrite(const Parameters<3>& parameters, ListRewrite rewrite, PyObject* const* args,
                       Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        auto slots = bind(parameters, args, nargs, kwnames);
        std::string_view formula = str_argument(slots[0], "formula");
        core::Deletion lists;
        lists.deleted_cols = u32_list_argument(slots[1], parameters.names[1]);
        lists.deleted_rows = u32_list_argument(slots[2], parameters.names[2]);
        return make_str(rewrite(formula, lists)).release();
    });
}

}  // namespace

PyObject* py_extract_refs(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"extract_refs", kFormula};
        auto slots = bind(kParams, args, nargs, kwnames);
        const std::vector<core::FormulaRef> refs =
            core::extract_refs(str_argument(slots[0], "formula"));
        PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(refs.size())));
        for (std::size_t i = 0; i < refs.size(); ++i) {
            const core::FormulaRef& ref = refs[i];
            PyRef cells = checked(PyList_New(static_cast<Py_ssize_t>(ref.cells.size())));
            for (std::size_t c = 0; c < ref.cells.size(); ++c) {
                const core::a1::Position cell = ref.cells[c];
                PyList_SET_ITEM(cells.get(), static_cast<Py_ssize_t>(c),
                                make_str(core::a1::format_cell_id(cell.row, cell.col)).release());
            }
            PyRef item = checked(PyDict_New());
            set_item(item.get(), keys().start, size_to_py(ref.start));
            set_item(item.get(), keys().end, size_to_py(ref.end));
            set_item(item.get(), keys().text, make_str(ref.text));
            set_item(item.get(), keys().kind,
                     PyRef::borrow(kind_text(g_ref_kinds, ref.kind, core::ref_kind_name)));
            set_item(item.get(), keys().cells, std::move(cells));
            PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item.release());
        }
        return list.release();
    });
}

PyObject* py_formula_tokens(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                            PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"formula_tokens", kFormula};
        auto slots = bind(kParams, args, nargs, kwnames);
        const std::vector<core::TokenSpan> spans =
            core::formula_tokens(str_argument(slots[0], "formula"));
        PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(spans.size())));
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const core::TokenSpan& span = spans[i];
            PyRef item = checked(PyDict_New());
            set_item(item.get(), keys().start, size_to_py(span.start));
            set_item(item.get(), keys().end, size_to_py(span.end));
            set_item(item.get(), keys().kind,
                     PyRef::borrow(kind_text(g_token_kinds, span.kind, core::token_class_name)));
            PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item.release());
        }
        return list.release();
    });
}

PyObject* py_rewrite_refs_for_deletion(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                       PyObject* kwnames) {
    static constexpr Parameters kParams{"rewrite_refs_for_deletion", kDeletion, 1};
    return list_rewrite(kParams, core::rewrite_refs_for_deletion, args, nargs, kwnames);
}

PyObject* py_adjust_refs_for_deletion(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                      PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_deletion", kDeletion, 1};
    return list_rewrite(kParams, core::adjust_refs_for_deletion, args, nargs, kwnames);
}

PyObject* py_adjust_refs_for_insertion(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                       PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_insertion", kInsertion, 1};
    return list_rewrite(kParams, core::adjust_refs_for_insertion, args, nargs, kwnames);
}

PyObject* py_adjust_refs_for_column_block_move(PyObject*, PyObject* const* args,
                                               Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_column_block_move", kBlockMove};
    return block_move(kParams, core::adjust_refs_for_column_block_move, args, nargs, kwnames);
}

PyObject* py_adjust_refs_for_column_block_move_data_following(PyObject*, PyObject* const* args,
                                                              Py_ssize_t nargs,
                                                              PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_column_block_move_data_following",
                                        kBlockMove};
    return block_move(kParams, core::adjust_refs_for_column_block_move_data_following, args,
                      nargs, kwnames);
}

PyObject* py_adjust_refs_for_row_block_move(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                            PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_row_block_move", kBlockMove};
    return block_move(kParams, core::adjust_refs_for_row_block_move, args, nargs, kwnames);
}

PyObject* py_adjust_refs_for_row_block_move_data_following(PyObject*, PyObject* const* args,
                                                           Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Parameters kParams{"adjust_refs_for_row_block_move_data_following",
                                        kBlockMove};
    return block_move(kParams, core::adjust_refs_for_row_block_move_data_following, args, nargs,
                      kwnames);
}

PyObject* py_shift_formula_refs(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"shift_formula_refs", kShift};
        auto slots = bind(kParams, args, nargs, kwnames);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::int32_t d_row = i32_argument(slots[1], "d_row");
        const std::int32_t d_col = i32_argument(slots[2], "d_col");
        const std::uint32_t max_row = u32_argument(slots[3], "max_row");
        const std::uint32_t max_col = u32_argument(slots[4], "max_col");
        return make_str(core::shift_formula_refs(formula, d_row, d_col, max_row, max_col))
            .release();
    });
}

PyObject* py_parse_range(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"parse_range", kInput};
        auto slots = bind(kParams, args, nargs, kwnames);
        auto parsed = core::a1::parse_range(str_argument(slots[0], "input"));
        if (!parsed) raise_range_error(parsed.error());
        const core::a1::ParsedRange& range = *parsed;
        PyRef dict = checked(PyDict_New());
        set_item(dict.get(), keys().start, position_dict(range.start.row, range.start.col));
        set_item(dict.get(), keys().end_col, size_to_py(range.end_col));
        set_item(dict.get(), keys().end_row,
                 range.end_row ? size_to_py(*range.end_row) : PyRef::borrow(Py_None));
        set_item(dict.get(), keys().unbounded,
                 PyRef::borrow(range.unbounded() ? Py_True : Py_False));
        set_item(dict.get(), keys().normalized, make_str(range.normalized));
        return dict.release();
    });
}

PyObject* py_is_unbounded_range(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"is_unbounded_range", kInput};
        auto slots = bind(kParams, args, nargs, kwnames);
        return PyBool_FromLong(core::a1::is_unbounded_range(str_argument(slots[0], "input")));
    });
}

PyObject* py_parse_cell_id(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"parse_cell_id", kInput};
        auto slots = bind(kParams, args, nargs, kwnames);
        auto parsed = core::a1::parse_cell_id(str_argument(slots[0], "input"));
        if (!parsed) raise_range_error(parsed.error());
        return position_dict(parsed->row, parsed->col).release();
    });
}

PyObject* py_col_to_index(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"col_to_index", kLetters};
        auto slots = bind(kParams, args, nargs, kwnames);
        auto index = core::a1::col_to_index(str_argument(slots[0], "letters"));
        if (!index) raise_range_error(index.error());
        return PyLong_FromUnsignedLong(*index);
    });
}

PyObject* py_index_to_col(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"index_to_col", kIndex};
        auto slots = bind(kParams, args, nargs, kwnames);
        return make_str(core::a1::index_to_col(u32_argument(slots[0], "index"))).release();
    });
}

PyObject* py_cell_id(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"cell_id", kRowCol};
        auto slots = bind(kParams, args, nargs, kwnames);
        const std::uint32_t row = u32_argument(slots[0], "row");
        const std::uint32_t col = u32_argument(slots[1], "col");
        return make_str(core::a1::format_cell_id(row, col)).release();
    });
}

}  // namespace orvel::python
