#include "url/register.h"

#include <memory>

#include "url/functions.h"

namespace orvel::url {

std::optional<core::RegistryError> register_url_functions(core::Registry& registry) {
    const core::Registry::FunctionPtr functions[] = {
        std::make_shared<UrlSchemeFn>(),      std::make_shared<UrlHostFn>(),
        std::make_shared<UrlPortFn>(),        std::make_shared<UrlPathFn>(),
        std::make_shared<UrlPathSegmentFn>(), std::make_shared<UrlQueryFn>(),
        std::make_shared<UrlFragmentFn>(),    std::make_shared<UrlParamFn>(),
        std::make_shared<UrlValidFn>(),       std::make_shared<UrlEncodeFn>(),
        std::make_shared<UrlDecodeFn>(),      std::make_shared<UrlJoinFn>(),
    };
    for (const auto& function : functions) {
        if (auto error = registry.register_function(function)) return error;
    }
    return std::nullopt;
}

std::vector<core::Registry::FunctionPtr> url_functions() {
    core::Registry scratch;
    // No URL function name collides in an empty registry, so the outcome needs no look.
    (void)register_url_functions(scratch);
    return std::move(scratch).into_functions();
}

}  // namespace orvel::url
