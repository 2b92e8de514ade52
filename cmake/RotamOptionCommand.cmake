# One call per option command:
#
#   rotam_add_option_command(<target> LIBRARY <name>
#       SOURCES <sources...>          the command: portable files, and files
#                                     ending _win32 / _posix for one platform
#       [WIN32_SOURCES <sources...>]  files of the component alone (its real
#                                     windows, their registration)
#       [LIBS <libraries...>]         what the command's sources need besides
#                                     the template
#       [DESCRIPTION <text>]          the DLL's file description (version
#                                     resource)
#       [PACKAGE <name>] [TITLE <title>]  the installers' file name and the
#                                     product's name (default: LIBRARY)
#       [README <template>]           the installed README.txt (default: a
#                                     short text naming the DLL and its
#                                     program identifier)
#       [PACKAGE_TEST_PICK]           the installers' tests also pick a
#                                     drawing through the installed command
#                                     (the drawing list's own check)
#       [LIBID <uuid>] [CLSID <uuid>] [CONTROL_IID <uuid>] [EVENTS_IID <uuid>]
#       [RECORD_IID <uuid>] [RECORD_CLSID <uuid>])
#
# makes, on every platform,
#   <target>_command  a static library of SOURCES on the template's core, with
#                     the calling folder on its include path.  It supplies
#                     option_command(), which the core calls, so test programs
#                     link it whole:
#                       "$<LINK_LIBRARY:WHOLE_ARCHIVE,<target>_command>"
# and, for Windows,
#   <target>          <name>.dll in bin/: the template's COM adapter and
#                     entry points, the command and WIN32_SOURCES, with its own
#                     type library <name> embedded.  Its program identifier is
#                     <name>.ZynOptCmd120; registration (DllRegisterServer,
#                     DllInstall "user") writes and removes its keys only.
#   <name>_tlb        the type library alone.
#   <package>_packages  its installers, per user and per machine, for this
#                     build's architecture (rotam_add_packages in
#                     cmake/Packaging.cmake), with their tests under Wine.
#
# The interfaces, DISPIDs, events and properties are the template's.  The six
# identifiers default to name-based UUIDs (version 5) of <name>: the same on
# every build, different for every name.  A command that has published
# identifiers passes them instead, as rotamcmd does.
#
# <name> must be a plain identifier: it names the type library, the DLL and
# the program identifier.

set(ROTAM_TEMPLATE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. CACHE INTERNAL "")
# The namespace of every derived identifier.  Changing it changes every
# command's identifiers: never do that.
set(ROTAM_COMMAND_NAMESPACE 6FA7FFE1-7F20-4D6E-BDB8-ECB09D25B44A)
set(ROTAM_IDENTITY_KEYS LIBID CLSID CONTROL_IID EVENTS_IID RECORD_IID RECORD_CLSID)

# {0x12345678, 0x1234, 0x1234, {0x12, ...}} of a UUID's text.
function(_rotam_guid_initializer uuid out)
  if(NOT uuid MATCHES "^[0-9A-F]+-[0-9A-F]+-[0-9A-F]+-[0-9A-F]+-[0-9A-F]+$")
    message(FATAL_ERROR "not a UUID: ${uuid}")
  endif()
  string(LENGTH "${uuid}" length)
  if(NOT uuid MATCHES "^([0-9A-F]+)-([0-9A-F]+)-([0-9A-F]+)-([0-9A-F][0-9A-F])([0-9A-F][0-9A-F])-([0-9A-F]+)$"
     OR NOT length EQUAL 36)
    message(FATAL_ERROR "not a UUID: ${uuid}")
  endif()
  set(head "0x${CMAKE_MATCH_1}, 0x${CMAKE_MATCH_2}, 0x${CMAKE_MATCH_3}")
  set(bytes "0x${CMAKE_MATCH_4}, 0x${CMAKE_MATCH_5}")
  string(REGEX MATCHALL ".." tail "${CMAKE_MATCH_6}")
  foreach(b ${tail})
    string(APPEND bytes ", 0x${b}")
  endforeach()
  set(${out} "{${head}, {${bytes}}}" PARENT_SCOPE)
endfunction()

# The identity of component <name>: components/<name>/ in the build tree holds
# its component_identity.h, IDL, type library and module definition, and
# rotam_com_<name> is the template's COM adapter compiled for it.  Made once
# per name.
function(rotam_component name)
  cmake_parse_arguments(C "" "${ROTAM_IDENTITY_KEYS}" "" ${ARGN})
  if(NOT name MATCHES "^[A-Za-z][A-Za-z0-9_]*$")
    message(FATAL_ERROR "rotam_component: '${name}' is not a plain identifier")
  endif()
  if(TARGET rotam_com_${name})
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/components/${name})
  set(ROTAM_LIBRARY ${name})
  set(defines "")
  foreach(key ${ROTAM_IDENTITY_KEYS})
    if(C_${key})
      string(TOUPPER "${C_${key}}" id)
    else()
      string(UUID id NAMESPACE ${ROTAM_COMMAND_NAMESPACE} NAME "${name}.ZynOptCmd120/${key}" TYPE SHA1 UPPER)
    endif()
    set(ROTAM_${key} ${id})
    # Two components sharing an identifier would register over each other.
    get_property(taken GLOBAL PROPERTY ROTAM_COMPONENT_IDS)
    if(id IN_LIST taken)
      message(FATAL_ERROR "rotam_component(${name}): ${key} ${id} belongs to another component")
    endif()
    set_property(GLOBAL APPEND PROPERTY ROTAM_COMPONENT_IDS ${id})
    _rotam_guid_initializer(${id} init)
    string(APPEND defines "#define ROTAM_${key}_TEXT \"${id}\"\n#define ROTAM_${key}_STRUCT ${init}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${dir}/component_identity.h CONTENT
"// The identity of component ${name}, generated by cmake/RotamOptionCommand.cmake.
// Read by the C++ side and by the resource compiler: macros only.
#pragma once
${defines}#define ROTAM_LIBRARY_W L\"${name}\"
#define ROTAM_PROGID_W L\"${name}.ZynOptCmd120\"
#define ROTAM_TYPELIB_FILE \"${name}.tlb\"
#define ROTAM_LIBRARY_MAJOR 1
#define ROTAM_LIBRARY_MINOR 0
")
  configure_file(${ROTAM_TEMPLATE_DIR}/control/com/component.idl.in ${dir}/${name}.idl @ONLY)
  file(READ ${ROTAM_TEMPLATE_DIR}/control/com/rotamcmd.def def)
  string(REGEX REPLACE "LIBRARY [A-Za-z0-9_]+" "LIBRARY ${name}" def "${def}")
  file(CONFIGURE OUTPUT ${dir}/${name}.def CONTENT "${def}")

  get_filename_component(stdole2_dir ${ROTAM_STDOLE2_TLB} DIRECTORY)
  add_custom_command(
    OUTPUT ${dir}/${name}.tlb
    COMMAND ${ROTAM_WIDL} -t --win32 -I ${ROTAM_GENERATED_DIR} -L ${stdole2_dir}
            -o ${dir}/${name}.tlb ${dir}/${name}.idl
    # Names widl refuses are respelled in the IDL; the library gets their
    # declared spelling back right after widl wrote it.
    COMMAND Python3::Interpreter ${ROTAM_TEMPLATE_DIR}/control/com/restore_tlb_names.py
            ${dir}/${name}.tlb ${ROTAM_GENERATED_DIR}/tlb_names.txt
    DEPENDS ${dir}/${name}.idl ${ROTAM_TEMPLATE_DIR}/control/com/component.idl.in
            ${ROTAM_TEMPLATE_DIR}/control/com/restore_tlb_names.py
            rotam_events_generate ${ROTAM_GENERATED_DIR}/events.idl
            ${ROTAM_GENERATED_DIR}/control.idl ${ROTAM_GENERATED_DIR}/record.idl
            ${ROTAM_GENERATED_DIR}/tlb_names.txt
    COMMENT "Building the type library ${name}.tlb"
    VERBATIM)
  add_custom_target(${name}_tlb DEPENDS ${dir}/${name}.tlb)

  # The adapter without the entry points' export list, for the component and
  # for tests and benchmarks that exercise its parts directly.
  file(GLOB com_sources CONFIGURE_DEPENDS ${ROTAM_TEMPLATE_DIR}/control/com/*.cpp)
  add_library(rotam_com_${name} STATIC ${com_sources})
  target_include_directories(rotam_com_${name} PUBLIC ${dir} ${ROTAM_TEMPLATE_DIR}/control/com)
  target_link_libraries(rotam_com_${name} PUBLIC rotam_core rotam_events oleaut32 ole32 uuid advapi32 user32)
  add_dependencies(rotam_com_${name} ${name}_tlb)
  # Registration writes the rows the installers write, with this identity.
  rotam_registry_rows(rotam_com_${name} TABLE ${ROTAM_TEMPLATE_DIR}/control/com/registry_rows.txt
                      IDENTITY ${dir}/component_identity.h OUTPUT_DIR ${dir})
endfunction()

function(rotam_add_option_command target)
  cmake_parse_arguments(C "PACKAGE_TEST_PICK" "LIBRARY;DESCRIPTION;PACKAGE;TITLE;README;${ROTAM_IDENTITY_KEYS}"
                        "SOURCES;WIN32_SOURCES;LIBS" ${ARGN})
  if(NOT C_LIBRARY OR NOT C_SOURCES)
    message(FATAL_ERROR "rotam_add_option_command(${target}): LIBRARY and SOURCES are required")
  endif()
  rotam_platform_sources(sources ${C_SOURCES})
  add_library(${target}_command STATIC ${sources})
  target_include_directories(${target}_command PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target}_command PUBLIC rotam_core ${C_LIBS})
  if(NOT ROTAM_WINDOWS)
    return()
  endif()

  set(identity)
  foreach(key ${ROTAM_IDENTITY_KEYS})
    if(C_${key})
      list(APPEND identity ${key} ${C_${key}})
    endif()
  endforeach()
  rotam_component(${C_LIBRARY} ${identity})
  set(dir ${CMAKE_BINARY_DIR}/components/${C_LIBRARY})
  set(rc ${ROTAM_TEMPLATE_DIR}/control/com/rotamcmd.rc)
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${dir}/${C_LIBRARY}.tlb)

  foreach(key PACKAGE TITLE)
    if(NOT C_${key})
      set(C_${key} ${C_LIBRARY})
    endif()
  endforeach()
  # The version resource: the project's version, the component's names.
  set(ROTAM_LIBRARY ${C_LIBRARY})
  set(ROTAM_PRODUCT ${C_TITLE})
  set(ROTAM_DESCRIPTION "${C_DESCRIPTION}")
  if(NOT ROTAM_DESCRIPTION)
    set(ROTAM_DESCRIPTION "${C_LIBRARY} option command")
  endif()
  configure_file(${ROTAM_TEMPLATE_DIR}/control/com/component_version.rc.in ${dir}/${C_LIBRARY}_version.rc @ONLY)

  add_library(${target} SHARED ${C_WIN32_SOURCES} ${rc} ${dir}/${C_LIBRARY}_version.rc ${dir}/${C_LIBRARY}.def)
  add_dependencies(${target} ${C_LIBRARY}_tlb)
  # The adapter and the command go in whole: the entry points are reached
  # only by name, and the core reaches the command only by option_command().
  target_link_libraries(${target} PRIVATE
    "$<LINK_LIBRARY:WHOLE_ARCHIVE,rotam_com_${C_LIBRARY},${target}_command>"
    rotam_core comdlg32 gdi32 user32 ole32 oleaut32 uuid advapi32)
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${C_LIBRARY}
    RUNTIME_OUTPUT_DIRECTORY ${ROTAM_BIN_DIR})

  set(extra)
  if(C_PACKAGE_TEST_PICK)
    list(APPEND extra PICK)
  endif()
  if(C_README)
    list(APPEND extra README ${C_README})
  endif()
  rotam_add_packages(${target} NAME ${C_PACKAGE} TITLE ${C_TITLE} ${extra}
    TABLE ${ROTAM_TEMPLATE_DIR}/control/com/registry_rows.txt IDENTITY ${dir}/component_identity.h)
endfunction()
