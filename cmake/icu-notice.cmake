# ICU's own licence file, of the ICU the module is built against, for the wheel: a repaired wheel
# (make wheel) bundles libicuuc and libicudata, whose licence (the Unicode licence, then the terms
# of the third-party data compiled into them, such as the break-iteration dictionaries) has to go
# with them. ICU installs the file as share/icu/<version>/LICENSE (on Debian, libicu-dev does), so
# it is taken from there at build time, of the very version found. It lands in the wheel as
# <name>.dist-info/licenses/icu-<version>/LICENSE, beside the notices that pyproject.toml lists.
# Included by src/python/CMakeLists.txt after find_package(ICU); only a scikit-build-core build
# (pip) installs into a wheel.
if(NOT DEFINED SKBUILD_METADATA_DIR)
  return()
endif()
get_filename_component(orvel_icu_prefix "${ICU_INCLUDE_DIR}" DIRECTORY)
set(orvel_icu_license "${orvel_icu_prefix}/share/icu/${ICU_VERSION}/LICENSE")
if(EXISTS "${orvel_icu_license}")
  install(FILES "${orvel_icu_license}"
          DESTINATION "${SKBUILD_METADATA_DIR}/licenses/icu-${ICU_VERSION}")
else()
  message(WARNING "orvel: ICU's licence file ${orvel_icu_license} is missing; the wheel goes "
                  "without it, so do not redistribute it with ICU bundled.")
endif()
