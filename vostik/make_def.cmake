# Writes the module-definition file of VOSTIK.DLL from the export table and
# the symbols the compiler made: on 32-bit Windows the __stdcall names carry
# their argument size (_Name@N).  Listing "Name@N" with the linker's
# --kill-at exports the plain Name while the import library keeps the
# decorated name that callers compiled against the header refer to.
execute_process(COMMAND ${NM} -g --defined-only ${CORE} OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${CORE}")
endif()
file(STRINGS ${EXPORTS} lines REGEX "^[0-9]+ ")
set(text "LIBRARY VOSTIK.DLL\nEXPORTS\n")
foreach(line ${lines})
  string(REGEX MATCH "^([0-9]+) ([A-Za-z0-9_]+)" _ "${line}")
  set(ord ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  if(syms MATCHES " T _?${name}(@[0-9]+)\n")
    string(APPEND text "  ${name}${CMAKE_MATCH_1} @${ord}\n")
  elseif(syms MATCHES " T ${name}\n")
    string(APPEND text "  ${name} @${ord}\n")
  else()
    message(FATAL_ERROR "export ${name} (ordinal ${ord}) is not defined in ${CORE}")
  endif()
endforeach()
file(WRITE ${OUT}.tmp "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
