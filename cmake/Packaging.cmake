# Registration rows and Windows installers of a COM component.
#
#   rotam_registry_rows(<target> TABLE <rows.txt> IDENTITY <component_identity.h>
#                       [OUTPUT_DIR <dir>])
#     makes registry_rows.inc (the rows with the component's identity) in
#     OUTPUT_DIR (default: the current binary folder) for <target>'s
#     registration code.
#
#   rotam_add_packages(<dll target> NAME <name> TITLE <title>
#                      TABLE <rows.txt> IDENTITY <component_identity.h>
#                      [README <template>] [PICK])
#     builds, with wixl, the per-user and the per-machine package of the
#     component for this build's architecture into <build>/packages/:
#     <name>-<version>-<arch>-user.msi and <name>-<version>-<arch>.msi.  The
#     same pair one patch version higher goes to <build>/packages/test/ for
#     the upgrade tests, which run each package in a fresh Wine prefix.
#     The registry rows come from the same table and identity as the
#     component's own registration.  PICK: the tests also pick a drawing
#     through the installed drawing list command.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ROTAM_REGISTRY_ROWS ${CMAKE_CURRENT_LIST_DIR}/registry_rows.py)

function(rotam_registry_rows target)
  cmake_parse_arguments(R "" "TABLE;IDENTITY;OUTPUT_DIR" "" ${ARGN})
  get_filename_component(table ${R_TABLE} ABSOLUTE)
  get_filename_component(identity ${R_IDENTITY} ABSOLUTE)
  if(NOT R_OUTPUT_DIR)
    set(R_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(out ${R_OUTPUT_DIR}/registry_rows.inc)
  add_custom_command(OUTPUT ${out}
    COMMAND Python3::Interpreter ${ROTAM_REGISTRY_ROWS} cpp --table ${table} --identity ${identity} --out ${out}
    DEPENDS ${ROTAM_REGISTRY_ROWS} ${table} ${identity}
    COMMENT "Registry rows of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${R_OUTPUT_DIR})
endfunction()

find_program(ROTAM_WIXL wixl)
find_program(ROTAM_MSIBUILD msibuild)

function(rotam_add_packages dll)
  cmake_parse_arguments(P "PICK" "NAME;TITLE;TABLE;IDENTITY;README" "" ${ARGN})
  if(NOT ROTAM_WINDOWS)
    return()
  endif()
  if(NOT ROTAM_WIXL OR NOT ROTAM_MSIBUILD)
    message(STATUS "wixl or msibuild missing: no installers of ${P_NAME} (scripts/setup.sh installs them)")
    return()
  endif()
  if(NOT P_README)
    set(P_README ${PROJECT_SOURCE_DIR}/packaging/README-command.txt.in)
  endif()
  get_filename_component(table ${P_TABLE} ABSOLUTE)
  get_filename_component(identity ${P_IDENTITY} ABSOLUTE)
  if(ROTAM_WINE_ARCH STREQUAL "win64")
    set(arch x64)
  else()
    set(arch x86)
  endif()
  get_target_property(dll_name ${dll} OUTPUT_NAME)
  set(dll_name ${dll_name}.dll)
  file(STRINGS ${identity} progid REGEX "ROTAM_PROGID_W")
  string(REGEX REPLACE ".*L\"([^\"]+)\".*" "\\1" progid "${progid}")
  math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
  set(upgrade_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
  set(packages ${CMAKE_BINARY_DIR}/packages)
  set(lock ${packages}/work/${P_NAME}/LockPermissions.idt)
  add_custom_command(OUTPUT ${lock}
    COMMAND Python3::Interpreter ${ROTAM_REGISTRY_ROWS} lock --out ${lock}
    DEPENDS ${ROTAM_REGISTRY_ROWS} VERBATIM)

  set(all)
  foreach(version ${PROJECT_VERSION} ${upgrade_version})
    if(version STREQUAL PROJECT_VERSION)
      set(out_dir ${packages})
    else()
      set(out_dir ${packages}/test)
    endif()
    set(stage ${packages}/work/${P_NAME}-${version}-${arch})
    set(readme ${stage}/README.txt)
    set(README_VERSION ${version})
    set(README_TITLE ${P_TITLE})
    set(README_DLL ${dll_name})
    set(README_PROGID ${progid})
    configure_file(${P_README} ${readme} @ONLY NEWLINE_STYLE CRLF)
    # One copy for both packages of the version.  The build keeps its
    # debugging information; the installed DLL does not.
    set(staged ${stage}/$<TARGET_FILE_NAME:${dll}>)
    set(staged_stamp ${stage}/dll.stamp)
    add_custom_command(OUTPUT ${staged_stamp}
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${dll}> ${staged}
      COMMAND ${CMAKE_STRIP} --strip-debug ${staged}
      COMMAND ${CMAKE_COMMAND} -E touch ${staged_stamp}
      DEPENDS ${dll}
      VERBATIM)
    foreach(scope user machine)
      if(scope STREQUAL "user")
        set(msi ${out_dir}/${P_NAME}-${version}-${arch}-user.msi)
        set(amend)
      else()
        set(msi ${out_dir}/${P_NAME}-${version}-${arch}.msi)
        # wixl knows no permissions: the folder's rows are added afterwards.
        set(amend COMMAND ${ROTAM_MSIBUILD} ${msi} -i ${lock})
      endif()
      set(wxs ${stage}/${scope}.wxs)
      add_custom_command(OUTPUT ${msi}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND Python3::Interpreter ${ROTAM_REGISTRY_ROWS} wxs --table ${table} --identity ${identity}
                --out ${wxs} --name ${P_NAME} --title ${P_TITLE} --version ${version} --arch ${arch}
                --scope ${scope} --dll $<TARGET_FILE_NAME:${dll}> --file README.txt
        COMMAND ${CMAKE_COMMAND} -E rm -f ${msi}
        COMMAND ${ROTAM_WIXL} -a ${arch} -o ${msi} ${wxs}
        ${amend}
        WORKING_DIRECTORY ${stage}
        DEPENDS ${staged_stamp} ${ROTAM_REGISTRY_ROWS} ${table} ${identity} ${readme} ${lock}
        COMMENT "Installer ${P_NAME}-${version}-${arch} (${scope})"
        VERBATIM)
      list(APPEND all ${msi})
      if(version STREQUAL PROJECT_VERSION)
        set(msi_${scope} ${msi})
      else()
        set(upgrade_${scope} ${msi})
      endif()
    endforeach()
  endforeach()
  add_custom_target(${P_NAME}_packages ALL DEPENDS ${all})
  set_property(GLOBAL APPEND PROPERTY ROTAM_PACKAGE_TARGETS ${P_NAME}_packages)

  # Each package in a fresh prefix of its own: install, run, upgrade, remove.
  # The host and the picking program come from tools/ and packaging/.
  set(pick)
  if(P_PICK)
    set(pick --pick $<TARGET_FILE:package_pick>)
  endif()
  if(ROTAM_WINDOWS)
    foreach(scope user machine)
      set(name ${P_NAME}_package_${arch}_${scope})
      add_test(NAME ${name}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/tests/package_test.py
                --prefix ${packages}/prefix-${P_NAME}-${scope} --arch ${ROTAM_WINE_ARCH} --scope ${scope}
                --title ${P_TITLE} --dll $<TARGET_FILE_NAME:${dll}>
                --msi ${msi_${scope}} --upgrade ${upgrade_${scope}}
                --version ${PROJECT_VERSION} --upgrade-version ${upgrade_version}
                --table ${table} --identity ${identity}
                --zynhost $<TARGET_FILE:zynhost> ${pick})
      set_tests_properties(${name} PROPERTIES LABELS "wine;gui;package" TIMEOUT 600)
    endforeach()
  endif()
endfunction()
