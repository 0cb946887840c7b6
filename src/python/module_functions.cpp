#include "python/module_functions.h"

#include "python/arguments.h"
#include "python/errors.h"

namespace orvel::python {

namespace {

[[noreturn]] void not_built(const char* name) {
    raise(PyExc_NotImplementedError, std::string(name) + " is not available yet");
}

constexpr const char* kFormula[] = {"formula"};
constexpr const char* kDeletion[] = {"formula", "deleted_cols", "deleted_rows"};
constexpr const char* kInsertion[] = {"formula", "inserted_cols", "inserted_rows"};
constexpr const char* kBlockMove[] = {"formula", "src_start", "src_end", "final_start"};
constexpr const char* kShift[] = {"formula", "d_row", "d_col", "max_row", "max_col"};
constexpr const char* kInput[] = {"input"};
constexpr const char* kLetters[] = {"letters"};
constexpr const char* kIndex[] = {"index"};
constexpr const char* kRowCol[] = {"row", "col"};
constexpr const char* kCursor[] = {"formula", "cursor"};

}  // namespace

PyObject* py_evaluate(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"evaluate", kFormula, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        str_argument(slots[0], "formula");
        not_built("evaluate");
    });
}

#define ORVEL_FORMULA_FUNCTION(fn)                                                             \
    PyObject* py_##fn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) { \
        return guarded([&]() -> PyObject* {                                                    \
            static constexpr Parameters kParams{#fn, kFormula, 1, 1};                          \
            auto slots = bind<1>(kParams, args, nargs, kwnames);                               \
            str_argument(slots[0], "formula");                                                 \
            not_built(#fn);                                                                    \
        });                                                                                    \
    }
ORVEL_FORMULA_FUNCTION(extract_refs)
ORVEL_FORMULA_FUNCTION(formula_tokens)

#define ORVEL_LISTS_FUNCTION(fn, params)                                                       \
    PyObject* py_##fn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) { \
        return guarded([&]() -> PyObject* {                                                    \
            static constexpr Parameters kParams{#fn, params, 3, 1};                            \
            auto slots = bind<3>(kParams, args, nargs, kwnames);                               \
            str_argument(slots[0], "formula");                                                 \
            u32_list_argument(slots[1], params[1]);                                            \
            u32_list_argument(slots[2], params[2]);                                            \
            not_built(#fn);                                                                    \
        });                                                                                    \
    }
ORVEL_LISTS_FUNCTION(rewrite_refs_for_deletion, kDeletion)
ORVEL_LISTS_FUNCTION(adjust_refs_for_deletion, kDeletion)
ORVEL_LISTS_FUNCTION(adjust_refs_for_insertion, kInsertion)

#define ORVEL_MOVE_FUNCTION(fn)                                                                \
    PyObject* py_##fn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) { \
        return guarded([&]() -> PyObject* {                                                    \
            static constexpr Parameters kParams{#fn, kBlockMove, 4, 4};                        \
            auto slots = bind<4>(kParams, args, nargs, kwnames);                               \
            str_argument(slots[0], "formula");                                                 \
            u32_argument(slots[1], "src_start");                                               \
            u32_argument(slots[2], "src_end");                                                 \
            u32_argument(slots[3], "final_start");                                             \
            not_built(#fn);                                                                    \
        });                                                                                    \
    }
ORVEL_MOVE_FUNCTION(adjust_refs_for_column_block_move)
ORVEL_MOVE_FUNCTION(adjust_refs_for_column_block_move_data_following)
ORVEL_MOVE_FUNCTION(adjust_refs_for_row_block_move)
ORVEL_MOVE_FUNCTION(adjust_refs_for_row_block_move_data_following)

PyObject* py_shift_formula_refs(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"shift_formula_refs", kShift, 5, 5};
        auto slots = bind<5>(kParams, args, nargs, kwnames);
        str_argument(slots[0], "formula");
        i32_argument(slots[1], "d_row");
        i32_argument(slots[2], "d_col");
        u32_argument(slots[3], "max_row");
        u32_argument(slots[4], "max_col");
        not_built("shift_formula_refs");
    });
}

#define ORVEL_TEXT_FUNCTION(fn, params)                                                        \
    PyObject* py_##fn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) { \
        return guarded([&]() -> PyObject* {                                                    \
            static constexpr Parameters kParams{#fn, params, 1, 1};                            \
            auto slots = bind<1>(kParams, args, nargs, kwnames);                               \
            str_argument(slots[0], params[0]);                                                 \
            not_built(#fn);                                                                    \
        });                                                                                    \
    }
ORVEL_TEXT_FUNCTION(parse_range, kInput)
ORVEL_TEXT_FUNCTION(is_unbounded_range, kInput)
ORVEL_TEXT_FUNCTION(parse_cell_id, kInput)
ORVEL_TEXT_FUNCTION(col_to_index, kLetters)

PyObject* py_index_to_col(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"index_to_col", kIndex, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        u32_argument(slots[0], "index");
        not_built("index_to_col");
    });
}

PyObject* py_cell_id(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"cell_id", kRowCol, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        u32_argument(slots[0], "row");
        u32_argument(slots[1], "col");
        not_built("cell_id");
    });
}

PyObject* py_list_functions(PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* { not_built("list_functions"); });
}

PyObject* py_signature_help(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                            PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"signature_help", kCursor, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        str_argument(slots[0], "formula");
        size_argument(slots[1], "cursor");
        not_built("signature_help");
    });
}

}  // namespace orvel::python
