"""pycel (pure Python) through its public API: the cells go into an openpyxl workbook (built
before the clock starts), ExcelCompiler(excel=workbook) reads it, and cells are compiled and
calculated on demand when read with evaluate(); an edit is set_value, which invalidates what
depends on the cell."""

import openpyxl
from openpyxl.worksheet.formula import ArrayFormula as OpenpyxlArrayFormula
from pycel import ExcelCompiler
from pycel.excelformula import Tokenizer

from engines.base import Engine
from workloads import ArrayFormula, normalize

SHEET = "S"


class Pycel(Engine):
    how = "openpyxl workbook -> ExcelCompiler(excel=...); evaluate() on read; set_value"
    has_array_formulas = True
    tokens_note = "pycel.excelformula.Tokenizer(formula).items"

    def prepare(self, cells):
        # One workbook serves every compiler: compiling reads it, and set_value changes only
        # the compiler's own cells.
        book = openpyxl.Workbook()
        sheet = book.active
        sheet.title = SHEET
        for cell, content in cells:
            if isinstance(content, ArrayFormula):
                sheet[cell] = OpenpyxlArrayFormula(content.target, content.formula)
            else:
                sheet[cell] = content
        return book

    def load(self, book):
        return ExcelCompiler(excel=book)

    def edit(self, compiler, changes):
        for cell, content in changes:
            compiler.set_value(f"{SHEET}!{cell}", content)

    def read(self, compiler, ids):
        values = compiler.evaluate([f"{SHEET}!{cell}" for cell in ids])
        return [normalize(value) for value in values]

    def tokens(self, formula):
        return Tokenizer(formula).items

    def references(self, tokens):
        return [t.value.replace("$", "") for t in tokens
                if t.type == "OPERAND" and t.subtype == "RANGE"]


ENGINE = Pycel
