# What each layer may include, checked at every configure. The host build
# is a guard as well: it compiles src/store, src/ui and src/platform with no
# Win32 header to be found, so an include that slips past these patterns
# still fails there. This check says which file, and holds in both builds.

# Windows SDK headers by name, in any case: <windows.h>, <WinUser.h>,
# <commctrl.h>, <shlobj.h>, <fileapi.h> … and the program's own Win32 files.
set(TELK_WIN32_HEADER
  "#[ \t]*include[ \t]*(<[ \t]*(win[a-z0-9_]*|[a-z0-9_]*api|minwindef|wtypes|commctrl|commdlg|shlobj|shlwapi|shellapi|shobjidl|shtypes|objbase|objidl|ole2|oleauto|knownfolders|tlhelp32|psapi|dbghelp|sddl|aclapi|lmcons|uxtheme|dwmapi|shcore|richedit|winsock2?)\\.h[ \t]*>|\"(platform|ui)/win32/)")

# Fails the configure when a file of the layer includes what matches
# forbidden. Lines are lowered first: Windows' file names know no case.
function(telk_check_includes layer forbidden why)
  cmake_parse_arguments(ARG "" "" "FILES;EXCEPT" ${ARGN})
  set(files "")
  foreach(pattern IN LISTS ARG_FILES)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${pattern}")
    list(APPEND files ${found})
  endforeach()
  foreach(except IN LISTS ARG_EXCEPT)
    list(FILTER files EXCLUDE REGEX "${except}")
  endforeach()
  foreach(f IN LISTS files)
    file(STRINGS "${f}" lines REGEX "#[ \t]*[Ii][Nn][Cc][Ll][Uu][Dd][Ee]")
    foreach(line IN LISTS lines)
      string(TOLOWER "${line}" lowered)
      if(lowered MATCHES "${forbidden}")
        file(RELATIVE_PATH shown "${CMAKE_SOURCE_DIR}" "${f}")
        message(FATAL_ERROR "${shown}: `${line}`: ${layer} ${why}")
      endif()
    endforeach()
  endforeach()
endfunction()

# The portable code: nothing of Win32. src/ui/win32 is the Win32 backend and
# src/app/WinMain.cpp the Windows entry point; they alone are exempt.
telk_check_includes("src/store, src/ui and src/app" "${TELK_WIN32_HEADER}"
  "must stay free of the Win32 API (only src/platform/win32, src/ui/win32 and src/app/WinMain.cpp may use it)"
  FILES src/store/* src/ui/* src/app/*.h src/app/*.cpp src/platform/*.h src/platform/*.cpp
  EXCEPT "/src/ui/win32/" "/src/app/WinMain\\.cpp$" "/src/platform/(win32|posix)/")

# Every Win32 file has <windows.h> through the one wrapper, which undoes the
# macros that would rename the program's own functions.
telk_check_includes("a Win32 file" "#[ \t]*include[ \t]*<[ \t]*windows\\.h[ \t]*>"
  "includes \"platform/win32/WinApi.h\" instead"
  FILES src/*.h src/*.cpp bench/win/*.h bench/win/*.cpp
  EXCEPT "/src/platform/win32/WinApi\\.h$")

# The platform below everything: none of the program's layers.
telk_check_includes("src/platform" "#[ \t]*include[ \t]*\"(app|store|ui)/"
  "depends on nothing of the program's"
  FILES src/platform/*)

# The window model and its backend know no program: no store, no windows,
# no program's words.
telk_check_includes("src/ui/forms and src/ui/win32" "#[ \t]*include[ \t]*\"(app|store)/|#[ \t]*include[ \t]*\"ui/[a-z_]+\\.h\"|#[ \t]*include[ \t]*\"ui/(client_folder|launch|main|pickers|settings)/"
  "is the toolkit and knows no program"
  FILES src/ui/forms/* src/ui/win32/*)
