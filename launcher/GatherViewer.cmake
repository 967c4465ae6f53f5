# Stages the self-contained viewer's folder, run at build time with cmake -P:
#
#   VIEWER      the plain viewer program, staged as "Pictoview"
#   PLUGINS     Qt's plugin folder
#   STAGE       the folder to fill (emptied first)
#   LIST        the list of libraries packed and left to the system
#
# The viewer and the plugins it needs are looked at with ldd. A library is
# left to the system when every Linux desktop has it (the patterns below) or
# when such a library needs it; all others are copied into lib/ under their
# sonames. The viewer finds lib/ through its run path, the plugins through
# the qt.conf written beside it.
cmake_minimum_required(VERSION 3.25)

# The C library and the C++ runtime, the X11 and Wayland client libraries,
# fontconfig and freetype, OpenGL; and the printing system's client library,
# which has to be the one that speaks to the machine's own print server
# (where it is missing, the viewer still runs and prints only to files).
set(SYSTEM_PATTERNS
  "^libcups\\.so"
  "^ld-linux" "^linux-vdso" "^libc\\.so" "^libm\\.so" "^libmvec\\.so" "^libdl\\.so" "^libpthread\\.so"
  "^librt\\.so" "^libresolv\\.so" "^libutil\\.so" "^libstdc\\+\\+\\.so" "^libgcc_s\\.so"
  "^libX[A-Za-z0-9]*\\.so" "^libX11-xcb\\.so" "^libxcb\\.so"
  "^libxcb-(composite|damage|dpms|dri2|dri3|glx|present|randr|record|render|res|screensaver|shape|shm|sync|xf86dri|xfixes|xinerama|xinput|xkb|xtest|xv|xvmc)\\.so"
  "^libwayland-(client|cursor|egl)\\.so"
  "^libfontconfig\\.so" "^libfreetype\\.so"
  "^lib(GL|GLX|EGL|OpenGL|GLESv2|GLdispatch|gbm|drm)\\.so")

# The plugins, relative to Qt's plugin folder: the X11 and Wayland
# platforms, their GL integrations and input, printing. No picture format:
# the viewer decodes its pictures with libjpeg itself and draws its glyphs.
set(PLUGIN_GLOBS
  "platforms/libqxcb.so" "platforms/libqwayland-*.so" "wayland-*/*.so" "xcbglintegrations/*.so"
  "platforminputcontexts/libcomposeplatforminputcontextplugin.so"
  "printsupport/*.so")

function(is_system_name name result)
  foreach(pattern IN LISTS SYSTEM_PATTERNS)
    if(name MATCHES "${pattern}")
      set(${result} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} FALSE PARENT_SCOPE)
endfunction()

# file's libraries as "soname=path" items, the whole closure as ldd gives it.
function(libraries_of file result)
  execute_process(COMMAND ldd "${file}" OUTPUT_VARIABLE output RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "ldd cannot read ${file}")
  endif()
  string(REPLACE "\n" ";" lines "${output}")
  set(found "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*([^ \t]+) => not found")
      message(FATAL_ERROR "${file} needs ${CMAKE_MATCH_1}, which this machine lacks")
    elseif(line MATCHES "^[ \t]*([^ \t]+) => ([^ \t]+) \\(")
      list(APPEND found "${CMAKE_MATCH_1}=${CMAKE_MATCH_2}")
    endif()
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/lib")
file(COPY_FILE "${VIEWER}" "${STAGE}/Pictoview")
file(WRITE "${STAGE}/qt.conf" "[Paths]\nPrefix=.\nLibraries=lib\nPlugins=plugins\n")

set(binaries "${VIEWER}")
foreach(glob IN LISTS PLUGIN_GLOBS)
  file(GLOB plugins RELATIVE "${PLUGINS}" "${PLUGINS}/${glob}")
  foreach(plugin IN LISTS plugins)
    get_filename_component(folder "${plugin}" DIRECTORY)
    file(COPY "${PLUGINS}/${plugin}" DESTINATION "${STAGE}/plugins/${folder}")
    list(APPEND binaries "${PLUGINS}/${plugin}")
  endforeach()
endforeach()

set(needed "")
foreach(binary IN LISTS binaries)
  libraries_of("${binary}" libraries)
  list(APPEND needed ${libraries})
endforeach()
list(REMOVE_DUPLICATES needed)

# What the system's own libraries need stays the system's too.
set(system "")
foreach(item IN LISTS needed)
  string(REGEX REPLACE "=.*" "" name "${item}")
  is_system_name("${name}" is_system)
  if(is_system)
    string(REGEX REPLACE "^[^=]*=" "" path "${item}")
    libraries_of("${path}" below)
    list(APPEND system "${name}" ${below})
  endif()
endforeach()
list(TRANSFORM system REPLACE "=.*" "")
list(REMOVE_DUPLICATES system)
list(SORT system)

set(packed "")
foreach(item IN LISTS needed)
  string(REGEX REPLACE "=.*" "" name "${item}")
  string(REGEX REPLACE "^[^=]*=" "" path "${item}")
  if(NOT name IN_LIST system)
    file(COPY_FILE "${path}" "${STAGE}/lib/${name}")
    list(APPEND packed "${name} (${path})")
  endif()
endforeach()
list(SORT packed)

list(JOIN packed "\n  " packed_text)
list(JOIN system "\n  " system_text)
file(WRITE "${LIST}" "Packed into pictoview.exe (lib/):\n  ${packed_text}\n\nLeft to the system:\n  ${system_text}\n")
