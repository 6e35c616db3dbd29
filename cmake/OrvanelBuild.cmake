# Helpers shared by every subsystem's CMakeLists.

# The compiler's shared run-time DLLs go beside our binaries: every module links them
# dynamically so that C++ exceptions unwind across DLL boundaries. They go without their
# debug information (most of libstdc++'s 24 MB) and with page-aligned sections, like our
# own images, so that every program's start maps them instead of reading them whole.
function(ov_copy_runtime_dlls)
  if(OV_ARCH STREQUAL "x86_64")
    set(libgcc libgcc_s_seh-1.dll)
  else()
    set(libgcc libgcc_s_dw2-1.dll)
  endif()
  foreach(dll libstdc++-6.dll ${libgcc} libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      file(GLOB path /usr/lib/gcc/${OV_TRIPLE}/*-posix/${dll} /usr/${OV_TRIPLE}/lib/${dll})
      list(GET path 0 path)
    endif()
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "compiler run-time ${dll} not found")
    endif()
    file(MAKE_DIRECTORY ${OV_BIN_DIR})
    execute_process(COMMAND ${OV_TRIPLE}-objcopy --strip-debug --file-alignment 0x1000 ${path}
                            ${OV_BIN_DIR}/${dll}
                    RESULT_VARIABLE stripped)
    if(NOT stripped EQUAL 0)
      file(COPY ${path} DESTINATION ${OV_BIN_DIR})
    endif()
  endforeach()
endfunction()

# Shipped images leave their debug information in <file>.debug beside them (debuggers
# find it through the debug link) and keep sections at page offsets in the file, so that
# Wine maps an image instead of reading and copying it at every start.
function(ov_split_debug target)
  target_link_options(${target} PRIVATE -Wl,--file-alignment=0x1000)
  set(objcopy ${OV_TRIPLE}-objcopy)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${objcopy} --strip-debug --file-alignment 0x1000
            --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}> VERBATIM)
endfunction()

# ov_library(<target> [OUTPUT <file name without .dll>] [OBJECTS]
#            SOURCES ... [DLL_ONLY ...] [LINKS ...])
# A product DLL. Its sources see <TARGET>_BUILD defined, so its export macro exports, and
# find the private headers beside them by plain name; other targets see only include/.
# OBJECTS compiles the sources (resources included) once, into the OBJECT library
# <target>_obj; linking <target>_objects puts those objects into the DLL and into the
# library's white-box tests, which thereby reach its internals and private headers
# without their being exported. Files under DLL_ONLY (DllMain) go into the DLL alone.
# A LINKS entry that has objects of its own is referenced without dllimport
# (<LINK>_STATIC), so that a test may link the objects of a whole chain of libraries.
function(ov_library target)
  cmake_parse_arguments(A "OBJECTS" "OUTPUT" "SOURCES;DLL_ONLY;LINKS" ${ARGN})
  string(TOUPPER ${target} up)
  if(A_OBJECTS)
    set(compiled ${target}_obj)
    add_library(${compiled} OBJECT ${A_SOURCES})
    target_compile_definitions(${compiled} PUBLIC ${up}_BUILD)
    target_include_directories(${compiled} PUBLIC ${PROJECT_SOURCE_DIR}/include
                                                  ${CMAKE_CURRENT_SOURCE_DIR})
    foreach(link ${A_LINKS})
      if(TARGET ${link}_objects)
        string(TOUPPER ${link} link_up)
        target_compile_definitions(${compiled} PRIVATE ${link_up}_STATIC)
      endif()
    endforeach()
    if(A_LINKS)
      target_link_libraries(${compiled} PUBLIC ${A_LINKS})
    endif()
    # The objects themselves travel with the usage requirements, so that they reach the
    # final link even through a helper library (an archive would drop the resources).
    add_library(${target}_objects INTERFACE)
    target_link_libraries(${target}_objects INTERFACE ${compiled} $<TARGET_OBJECTS:${compiled}>)
    set_target_properties(${compiled} ${target}_objects PROPERTIES OV_DELIVERABLE ${target})
    add_library(${target} SHARED ${A_DLL_ONLY} $<TARGET_OBJECTS:${compiled}>)
  else()
    add_library(${target} SHARED ${A_SOURCES} ${A_DLL_ONLY})
  endif()
  target_compile_definitions(${target} PRIVATE ${up}_BUILD)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/include)
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "" OV_DELIVERABLE ${target})
  if(A_OUTPUT)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${A_OUTPUT})
  endif()
  if(A_LINKS)
    target_link_libraries(${target} PUBLIC ${A_LINKS})
  endif()
  ov_split_debug(${target})
  set_property(GLOBAL APPEND PROPERTY OV_DELIVERABLES ${target})
  ov_folder_of(folder ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY OV_FOLDER_DELIVERABLES_${folder} ${target})
endfunction()

# The top-level folder of the tree that dir lies in ("" outside the tree).
function(ov_folder_of out dir)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
  if(rel MATCHES "^\\.\\.")
    set(rel "")
  endif()
  string(REGEX REPLACE "/.*" "" folder "${rel}")
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

# ov_test(<target> SOURCES ... [LINKS ...] [GUI] [LANE32])
# One test executable = one CTest entry (a Wine process start is not free).
# GUI marks tests that need the X display the test script provides.
# LANE32 puts the test in the 32-bit lane (scripts/lane32.sh runs the label lane32 on
# the i686 build): tests that touch a stored layout, a calling convention or an
# end-to-end path.
function(ov_test target)
  cmake_parse_arguments(A "GUI;LANE32" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ovtestkit gtest ${A_LINKS})
  set_target_properties(${target} PROPERTIES OV_TEST ON)
  # A test runs beside every DLL of the product (the store loads the parser by name).
  add_dependencies(${target} ov_deliverables)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES TIMEOUT 600)
  set(labels)
  if(A_GUI)
    list(APPEND labels gui)
  endif()
  if(A_LANE32)
    list(APPEND labels lane32)
  endif()
  if(labels)
    set_tests_properties(${target} PROPERTIES LABELS "${labels}")
  endif()
endfunction()

# ov_delay_load(<target> <dll>...): target loads the named system DLLs (user32, ole32...)
# at its first call into each, not when it is loaded: under Wine loading user32 or ole32
# costs more than a whole small program's start, and a Basic program that opens no window
# and makes no OLE call never needs them. The delay-import library of a DLL is made once,
# at configure time, from the functions of the toolchain's import library (these DLLs
# export no data the product imports; a data import cannot be delayed). The library takes
# the place of the DLL in target's own links, or comes after them, ahead of the
# compiler's default libraries.
# The 32-bit build keeps ordinary imports: there the delay-import thunks dlltool makes
# jumped into nowhere at the first call (every OLE and Basic-error path of the 32-bit lane).
function(ov_delay_load target)
  if(OV_ARCH STREQUAL "i686")
    return()
  endif()
  get_target_property(links ${target} LINK_LIBRARIES)
  if(NOT links)
    set(links)
  endif()
  foreach(dll ${ARGN})
    set(lib ${CMAKE_BINARY_DIR}/lib/lib${dll}_delay.a)
    if(NOT EXISTS ${lib})
      set(import /usr/${OV_TRIPLE}/lib/lib${dll}.a)
      if(NOT EXISTS ${import})
        message(FATAL_ERROR "ov_delay_load: no import library ${import}")
      endif()
      execute_process(COMMAND ${OV_TRIPLE}-nm -g ${import} OUTPUT_VARIABLE symbols
                      ERROR_QUIET RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "ov_delay_load: cannot list ${import}")
      endif()
      # "I __imp_Name" (x86_64) or "I __imp__Name@n" (i686, stdcall); fastcall names
      # (@Name@n) are left out.
      string(REGEX MATCHALL " I __imp_[^\r\n]+" entries "${symbols}")
      set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
      set(seen)
      foreach(e ${entries})
        string(REGEX REPLACE "^ I __imp_" "" name "${e}")
        if(OV_ARCH STREQUAL "i686")
          string(REGEX REPLACE "^_" "" name "${name}")
        endif()
        if(name MATCHES "^@" OR name IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${name})
        string(APPEND def "  ${name}\n")
      endforeach()
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
      file(WRITE ${CMAKE_BINARY_DIR}/lib/${dll}_delay.def "${def}")
      set(kill)
      if(OV_ARCH STREQUAL "i686")
        set(kill --kill-at)
      endif()
      execute_process(COMMAND ${OV_TRIPLE}-dlltool ${kill} --input-def
                              ${CMAKE_BINARY_DIR}/lib/${dll}_delay.def --output-delaylib ${lib}
                      RESULT_VARIABLE failed)
      if(failed OR NOT EXISTS ${lib})
        message(FATAL_ERROR "ov_delay_load: dlltool could not make ${lib}")
      endif()
    endif()
    list(FIND links ${dll} at)
    if(at EQUAL -1)
      list(APPEND links ${lib})
    else()
      list(REMOVE_AT links ${at})
      list(INSERT links ${at} ${lib})
    endif()
  endforeach()
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES ${links})
endfunction()
