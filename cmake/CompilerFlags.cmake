# Warnings per compiler, warnings as errors on request, and the instrumentation
# of the fuzzer build.
#
#   QM570_WERROR=ON   every warning stops the build (CI turns it on; off by
#                     default so that a newer compiler's new warning does not
#                     stop someone who only wants to build the program)

option(QM570_WERROR "Treat compiler warnings as errors" OFF)

if(MSVC)
  # /permissive- for standard C++, /utf-8 because the sources hold Chinese text.
  add_compile_options(/W4 /permissive- /utf-8)
  if(QM570_WERROR)
    add_compile_options(/WX)
  endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
  if(QM570_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

if(QM570_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QM570_BUILD_FUZZERS needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  # Instrument the whole model layer so the fuzzers see its coverage.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
