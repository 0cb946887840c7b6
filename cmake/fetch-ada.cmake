# Obtains the URL parser ada: the source distribution of the Python package `ada-url` at the
# version pinned in third_party/ada-url.sha256, downloaded from the package index with pip and
# checked against the checksum there. Unpacks ada.cpp, ada.h and the licence into
# third_party/downloads/ada-url-<version>/. Does nothing when they are already there (an sdist
# of orvel carries them, so a wheel builds from it offline).
#
# The one implementation of the fetch, used three ways:
#   - included by src/url/CMakeLists.txt at configure time (pip install ., pip wheel .);
#   - run as a script by the sdist step of the in-tree build backend and by scripts/setup:
#       cmake -DORVEL_FETCH_PYTHON=/path/to/python -P cmake/fetch-ada.cmake
# ORVEL_FETCH_PYTHON is the interpreter whose pip downloads the archive.

cmake_minimum_required(VERSION 3.22)

# Sets ${out_var} to the directory of the unpacked sources, fetching them first when needed.
function(orvel_fetch_ada source_dir python out_var)
  set(sums ${source_dir}/third_party/ada-url.sha256)
  file(STRINGS ${sums} pin LIMIT_COUNT 1)
  if(NOT pin MATCHES "^([0-9a-f]+)[ \t]+\\*?(ada_url-([0-9.]+)\\.tar\\.gz)$")
    message(FATAL_ERROR "${sums}: expected '<sha256>  ada_url-<version>.tar.gz'")
  endif()
  set(sha256 ${CMAKE_MATCH_1})
  set(archive ${CMAKE_MATCH_2})
  set(version ${CMAKE_MATCH_3})
  set(downloads ${source_dir}/third_party/downloads)
  set(dest ${downloads}/ada-url-${version})
  set(${out_var} ${dest} PARENT_SCOPE)
  if(EXISTS ${dest}/ada.cpp AND EXISTS ${dest}/ada.h AND EXISTS ${dest}/LICENSE)
    return()
  endif()

  set(fetch_hint
      "Fetch ${archive} (SHA-256 ${sha256}) where the package index is reachable, for instance "
      "with\n  python3 -m pip download --no-deps --no-binary :all: ada-url==${version} -d DIR\n"
      "and put it into ${downloads}/, from where the build unpacks it.")
  if(EXISTS ${downloads}/${archive})
    file(SHA256 ${downloads}/${archive} actual)
    if(NOT actual STREQUAL sha256)
      file(REMOVE ${downloads}/${archive})
      message(STATUS "orvel: ${archive} in ${downloads} has the wrong checksum; removed it")
    endif()
  endif()
  if(NOT EXISTS ${downloads}/${archive})
    if(NOT python)
      message(FATAL_ERROR "orvel: the ada sources are missing and no Python interpreter was given to "
                          "download them. " ${fetch_hint})
    endif()
    message(STATUS "orvel: downloading ada-url ${version} from the package index")
    file(MAKE_DIRECTORY ${downloads})
    set(scratch ${downloads}/.download-${version})
    file(REMOVE_RECURSE ${scratch})
    # The environment of a build backend (this one's in-tree path) must not reach the backend
    # that pip runs for ada-url's metadata.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env --unset=_PYPROJECT_HOOKS_BACKEND_PATH_JSON
              --unset=_PYPROJECT_HOOKS_BUILD_BACKEND --unset=PEP517_BACKEND_PATH
              --unset=PEP517_BUILD_BACKEND
              ${python} -m pip download --disable-pip-version-check --no-deps --no-binary :all:
              ada-url==${version} -d ${scratch}
      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT EXISTS ${scratch}/${archive})
      file(REMOVE_RECURSE ${scratch})
      message(FATAL_ERROR "orvel: could not download ada-url ${version} with ${python} -m pip "
                          "(no network, or no pip in that environment?). pip said:\n${out}\n"
                          ${fetch_hint})
    endif()
    file(SHA256 ${scratch}/${archive} actual)
    if(NOT actual STREQUAL sha256)
      file(REMOVE_RECURSE ${scratch})
      message(FATAL_ERROR "orvel: checksum mismatch for the downloaded ${archive}: ${actual}, "
                          "expected ${sha256} (third_party/ada-url.sha256)")
    endif()
    file(RENAME ${scratch}/${archive} ${downloads}/${archive})
    file(REMOVE_RECURSE ${scratch})
  endif()

  set(top ada_url-${version})
  set(unpack ${dest}.tmp)
  file(REMOVE_RECURSE ${unpack})
  file(ARCHIVE_EXTRACT INPUT ${downloads}/${archive} DESTINATION ${unpack}
       PATTERNS ${top}/LICENSE ${top}/ada_url/ada.cpp ${top}/ada_url/ada.h)
  foreach(name ada_url/ada.cpp ada_url/ada.h LICENSE)
    if(NOT EXISTS ${unpack}/${top}/${name})
      file(REMOVE_RECURSE ${unpack})
      message(FATAL_ERROR "orvel: ${archive} holds no ${top}/${name}")
    endif()
  endforeach()
  file(REMOVE_RECURSE ${dest})
  file(MAKE_DIRECTORY ${dest})
  file(RENAME ${unpack}/${top}/ada_url/ada.cpp ${dest}/ada.cpp)
  file(RENAME ${unpack}/${top}/ada_url/ada.h ${dest}/ada.h)
  file(RENAME ${unpack}/${top}/LICENSE ${dest}/LICENSE)
  file(REMOVE_RECURSE ${unpack})
  message(STATUS "orvel: ada ${version} unpacked into ${dest}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  get_filename_component(orvel_root ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
  orvel_fetch_ada(${orvel_root} "${ORVEL_FETCH_PYTHON}" ada_dir)
endif()
