# The MinGW-w64 runtime DLLs (libstdc++, libgcc, winpthread) that every
# program and VR815_DLL.dll of a MinGW build load: copied into the build's
# bin folder, where the programs and tests run (also under Wine), and
# installed beside the programs.

set(VR815_MINGW_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(
    COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path "${path}" ABSOLUTE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW runtime: ${CMAKE_CXX_COMPILER} knows no ${dll}")
  endif()
  list(APPEND VR815_MINGW_RUNTIME_DLLS "${path}")
endforeach()

set(copies "")
foreach(path IN LISTS VR815_MINGW_RUNTIME_DLLS)
  get_filename_component(name "${path}" NAME)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/bin/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            "${path}" "${CMAKE_BINARY_DIR}/bin/${name}"
    DEPENDS "${path}"
    COMMENT "Copying the runtime DLL ${name} beside the programs"
    VERBATIM)
  list(APPEND copies ${CMAKE_BINARY_DIR}/bin/${name})
endforeach()
add_custom_target(vr815_mingw_runtime ALL DEPENDS ${copies})

install(FILES ${VR815_MINGW_RUNTIME_DLLS} DESTINATION ${VR815_INSTALL_BINDIR})
