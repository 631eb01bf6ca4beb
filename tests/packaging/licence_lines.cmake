# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file and script of the tree names its licence in an
# SPDX-License-Identifier line among its first three lines.
# Run as: cmake -DSOURCE_DIR=<top of the tree> -P licence_lines.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
file(GLOB_RECURSE candidates LIST_DIRECTORIES false RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.sh ${SOURCE_DIR}/*.supp ${SOURCE_DIR}/*.cmake
     ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/.ci/run)
set(checked 0)
set(missing)
foreach(file IN LISTS candidates)
  # Build trees, the fuzzers' corpora and version control are not sources.
  if(file MATCHES "^(build[^/]*|\\.git|fuzz/corpus)/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} head LIMIT_COUNT 3)
  string(FIND "${head}" "SPDX-License-Identifier: GPL-3.0-or-later" at)
  if(at EQUAL -1)
    list(APPEND missing ${file})
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()
if(checked LESS 100)
  message(FATAL_ERROR "only ${checked} source files found under ${SOURCE_DIR}")
endif()
if(missing)
  list(JOIN missing "\n  " shown)
  message(FATAL_ERROR "no SPDX-License-Identifier line in:\n  ${shown}")
endif()
message(STATUS "${checked} source files and scripts name their licence")
