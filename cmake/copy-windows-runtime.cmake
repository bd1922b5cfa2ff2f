# Copies the DLLs Windows binaries need, found by reading their imports, into
# a folder, so that the binaries run there on a machine with nothing
# installed. Run as a script:
#   cmake -DOBJDUMP=<objdump> -DSEARCH=<folders> -DDESTINATION=<folder>
#         -DBINARIES=<files> [-DPLUGINS=<files>] [-DSTRIP=<strip>] -P copy-windows-runtime.cmake
# Lists are separated by "|". PLUGINS (Qt's, such as .../platforms/qwindows.dll)
# go into a subfolder of DESTINATION named as the one they come from, where
# Qt looks for them beside the executable, and their imports are followed too. A DLL found in none of SEARCH is the system's
# (kernel32, user32, ...), which every Windows has. With STRIP, the copies
# lose their debugging sections (a download a third the size).
cmake_minimum_required(VERSION 3.25)

function(copy_binary file folder)
  file(COPY ${file} DESTINATION ${folder})
  if(STRIP)
    get_filename_component(name ${file} NAME)
    execute_process(COMMAND ${STRIP} --strip-debug ${folder}/${name} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endfunction()

foreach(list SEARCH BINARIES PLUGINS)
  string(REPLACE "|" ";" ${list} "${${list}}")
endforeach()

set(queue ${BINARIES})
foreach(plugin IN LISTS PLUGINS)
  get_filename_component(folder ${plugin} DIRECTORY)
  get_filename_component(kind ${folder} NAME)
  copy_binary(${plugin} ${DESTINATION}/${kind})
  list(APPEND queue ${plugin})
endforeach()

set(seen)
while(queue)
  list(POP_FRONT queue binary)
  execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${binary}: cannot read its imports")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: " "" name "${import}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" key)
    if(key IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${key})
    foreach(folder IN LISTS SEARCH)
      if(EXISTS ${folder}/${name})
        copy_binary(${folder}/${name} ${DESTINATION})
        list(APPEND queue ${folder}/${name})
        break()
      endif()
    endforeach()
  endforeach()
endwhile()
