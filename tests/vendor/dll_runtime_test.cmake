# The reading of a DLL's import table (cmake/DllRuntime.cmake) over the
# outputs of the tools that print it, and the runtime each set of imports
# stands for: cmake -P dll_runtime_test.cmake.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/DllRuntime.cmake)

function(check what got expected)
  if(NOT got STREQUAL expected)
    message(SEND_ERROR "${what}: got '${got}', expected '${expected}'")
  endif()
endfunction()

# GNU objdump -p: tab-indented lines among the rest of the headers.
set(objdump [[
The Import Tables (interpreted .idata section contents)
 vma:            Hint    Time      Forward  DLL       First
	DLL Name: KERNEL32.dll
	vma:  Hint/Ord Member-Name Bound-To
	DLL Name: MSVCP140.dll
	DLL Name: VCRUNTIME140.dll
The Export Tables (interpreted .edata section contents)
	DLL Name: not-an-import
]])
# llvm-objdump -p: blank-indented.
set(llvm_objdump "  DLL Name: KERNEL32.dll\r\n  DLL Name: libstdc++-6.dll\r\n")
# dumpbin /nologo /dependents: the names below their heading, up to the
# summary; the file's own path, also a .dll, is no import.
set(dumpbin [[

Dump of file C:\VR815 SDK\bin\VR815_DLL.dll

File Type: DLL

  Image has the following dependencies:

    MSVCP140D.dll
    VCRUNTIME140D.dll
    ucrtbased.dll
    KERNEL32.dll

  Summary

        1000 .data
]])
vr815_parse_imports(got "${objdump}")
check("objdump" "${got}" "kernel32.dll;msvcp140.dll;vcruntime140.dll")
vr815_parse_imports(got "${llvm_objdump}")
check("llvm-objdump" "${got}" "kernel32.dll;libstdc++-6.dll")
vr815_parse_imports(got "${dumpbin}")
check("dumpbin" "${got}"
  "msvcp140d.dll;vcruntime140d.dll;ucrtbased.dll;kernel32.dll")

# imports | runtime
foreach(row
    "kernel32.dll,msvcp140.dll,vcruntime140.dll,vcruntime140_1.dll|msvc-release"
    "vcruntime140.dll|msvc-release"
    "msvcp140d.dll,vcruntime140d.dll,ucrtbased.dll|msvc-debug"
    "ucrtbased.dll,kernel32.dll|msvc-debug"
    "libstdc++-6.dll,libgcc_s_seh-1.dll,msvcrt.dll|mingw"
    "libc++.dll|libc++"
    "msvcp120.dll,msvcr120.dll|msvc-old"
    "kernel32.dll,msvcrt.dll|static"
    "kernel32.dll,ucrtbase.dll,api-ms-win-crt-heap-l1-1-0.dll|static"
    "|static"
    "msvcp140.dll,msvcp140d.dll|mixed"
    "vcruntime140.dll,libstdc++-6.dll|mixed")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 imports)
  list(LENGTH row fields)
  if(fields EQUAL 1)
    set(imports "")
    list(GET row 0 expected)
  else()
    list(GET row 1 expected)
  endif()
  string(REPLACE "," ";" imports "${imports}")
  vr815_runtime_of_imports(got "${imports}")
  check("runtime of '${imports}'" "${got}" "${expected}")
endforeach()

# program | DLL's runtime | shares frames
foreach(row "msvc msvc-release ON" "msvc msvc-debug ON" "mingw mingw ON"
            "msvc mingw OFF" "mingw msvc-release OFF" "mingw msvc-debug OFF"
            "msvc static OFF" "mingw static OFF" "msvc mixed OFF"
            "msvc libc++ OFF" "mingw libc++ OFF" "msvc msvc-old OFF")
  separate_arguments(row)
  list(GET row 0 program)
  list(GET row 1 runtime)
  list(GET row 2 shares)
  vr815_runtime_problem(problem ${program} ${runtime})
  if(shares AND problem)
    message(SEND_ERROR "${program} with ${runtime}: refused: ${problem}")
  elseif(NOT shares AND NOT problem)
    message(SEND_ERROR "${program} with ${runtime}: taken, expected a refusal")
  endif()
  if(NOT DEFINED VR815_RUNTIME_NAME_${runtime} AND NOT runtime STREQUAL "mixed")
    message(SEND_ERROR "${runtime} has no name for messages")
  endif()
endforeach()
