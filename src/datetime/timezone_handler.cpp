#include "datetime/handler_support.h"
#include "datetime/handlers.h"

namespace orvel::datetime {

std::string_view TimeZoneHandler::type_tag() const {
    return kTimeZoneTag;
}

std::string TimeZoneHandler::display(const core::CellValue& value) const {
    return std::string(value.custom_data());
}
std::string TimeZoneHandler::edit_repr(const core::CellValue& value) const {
    return display(value);
}

core::CompareAnswer TimeZoneHandler::compare(core::CompareOp op, const core::CellValue& left,
                                             const core::CellValue& right) const {
    if (op != core::CompareOp::Eq && op != core::CompareOp::Ne) return {};
    if (!has_tag(left, kTimeZoneTag) || !has_tag(right, kTimeZoneTag)) return {};
    const bool equal = left.custom_data() == right.custom_data();
    return core::CompareAnswer::result(op == core::CompareOp::Eq ? equal : !equal);
}

}  // namespace orvel::datetime
