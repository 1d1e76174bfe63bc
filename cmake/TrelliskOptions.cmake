# Compiler warnings and sanitizer flags shared by every target.

add_compile_options(-Wall -Wextra)

if(TRELLISK_SANITIZE)
  add_compile_options(-fsanitize=${TRELLISK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${TRELLISK_SANITIZE})
  # GCC's flow analysis is unreliable under the sanitizers' instrumentation:
  # at -O1 it reports std::regex's own state moves as maybe uninitialised.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()

# trellisk_static_runtime(TARGET): links the C++ runtime into the target, as
# the Windows build always does. A process that filters one message would
# otherwise spend a twentieth of its time binding libstdc++'s symbols. Not
# under the sanitizers, whose runtimes expect the shared one.
function(trellisk_static_runtime target)
  if(NOT WIN32 AND NOT TRELLISK_SANITIZE)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
