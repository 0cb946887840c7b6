// Helpers of the sheet tests: writing cells from short literals and reading values back as
// compact texts ("_" for Empty, the display text otherwise).
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/sheet.h"

namespace orvel::core::testing {

using Cells = std::vector<std::pair<std::string, std::string>>;

inline std::string shown(const CellValue& value) {
    return value.is_empty() ? "_" : value.display();
}

// Writes the pairs in one set_cells call; returns the error's display text or "".
inline std::string write(Sheet& sheet, const Cells& cells) {
    std::vector<CellText> changes;
    for (const auto& [id, text] : cells) changes.push_back({id, text});
    auto error = sheet.set_cells(changes);
    return error ? error->display() : "";
}

// "A1=1 B1=_" for the listed ids.
inline std::string read(const Sheet& sheet, const std::string& ids) {
    std::istringstream in(ids);
    std::string id, out;
    while (in >> id) {
        if (!out.empty()) out += ' ';
        out += id + "=" + shown(sheet.get(id));
    }
    return out;
}

inline std::string region(const Sheet& sheet, const std::string& anchor) {
    auto spill = sheet.spill_at(anchor);
    return spill ? std::to_string(spill->rows) + "x" + std::to_string(spill->cols) : "none";
}

}  // namespace orvel::core::testing
