# Flags shared by every target of both builds.
#
# Doubles must give the same bits natively and on 32-bit Windows: no fused
# multiply-add, and SSE2 arithmetic instead of the x87 stack on i686 (x87
# keeps 80-bit intermediates and follows the host's FPU control word).
add_compile_options(-Wall -Wextra -ffp-contract=off)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # The DLLs and test programs must need nothing beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(ROTAM_WINDOWS ON)
else()
  set(ROTAM_WINDOWS OFF)
endif()

# Portable sources sit beside their platform files: foo.cpp is portable,
# foo_win32.cpp and foo_posix.cpp serve one platform each.
function(rotam_platform_sources out)
  set(result)
  foreach(f ${ARGN})
    if(f MATCHES "_win32\\.(cpp|c|rc)$")
      if(ROTAM_WINDOWS)
        list(APPEND result ${f})
      endif()
    elseif(f MATCHES "_posix\\.(cpp|c)$")
      if(NOT ROTAM_WINDOWS)
        list(APPEND result ${f})
      endif()
    else()
      list(APPEND result ${f})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
