# Compile settings shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

if(TROUVEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The hardening Debian builds its packages with: checked buffer functions and a strong stack
# protector where the code is optimised (_FORTIFY_SOURCE needs it), and relocations made
# read-only, bound at start, everywhere. Not under the sanitizers, which bring checks of their own.
if(NOT TROUVEL_SANITIZE AND NOT TROUVEL_FUZZ)
  if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    # -U first: a compiler that defines its own level would warn of a redefinition.
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
  endif()
  add_link_options(LINKER:-z,relro,-z,now)
endif()

# Warnings for our own targets only (third-party headers come in as system includes).
function(trouvel_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()
