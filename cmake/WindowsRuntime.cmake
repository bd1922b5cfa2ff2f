# What a Windows build with the windows needs beside its binaries: Qt's DLLs
# and plugins, and the MinGW runtime DLLs (libstdc++, libgcc, winpthread) that
# Qt's DLLs import. tarnwick_windows_runtime_command() gives the command that
# copies them, found by reading the binaries' imports.
foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}")
    get_filename_component(folder ${path} DIRECTORY)
    list(APPEND TARNWICK_RUNTIME_FOLDERS ${folder})
  endif()
endforeach()
get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core} DIRECTORY)
list(PREPEND TARNWICK_RUNTIME_FOLDERS ${qt_bin})
list(REMOVE_DUPLICATES TARNWICK_RUNTIME_FOLDERS)
# The folder of Qt's DLLs (bin), whose parent holds its plugins.
set(TARNWICK_QT_BIN ${qt_bin})

# Sets `variable` to a command (for add_custom_command) that copies into
# `destination` what `binaries` and `plugins` (Qt plugin targets) need;
# stripped of debugging sections when a further argument says STRIP.
function(tarnwick_windows_runtime_command variable destination binaries plugins)
  set(strip)
  if("STRIP" IN_LIST ARGN)
    set(strip -DSTRIP=${CMAKE_STRIP})
  endif()
  set(plugin_files)
  foreach(plugin ${plugins})
    list(APPEND plugin_files $<TARGET_FILE:${plugin}>)
  endforeach()
  string(JOIN "|" search ${TARNWICK_RUNTIME_FOLDERS})
  string(JOIN "|" binaries ${binaries})
  string(JOIN "|" plugin_files ${plugin_files})
  set(${variable} ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DSEARCH=${search} -DDESTINATION=${destination}
                  -DBINARIES=${binaries} -DPLUGINS=${plugin_files} ${strip}
                  -P ${PROJECT_SOURCE_DIR}/cmake/copy-windows-runtime.cmake PARENT_SCOPE)
endfunction()
