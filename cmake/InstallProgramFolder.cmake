# The two files of the program folder that an install writes rather than copies. Run by
# `cmake --install` with TORVANE_SOURCE_DIR and TORVANE_BINARY_DIR set.

# torvane.ini holds the player's settings once it is there: it is never replaced.
set(ini "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/torvane.ini")
if(EXISTS "${ini}" OR IS_SYMLINK "${ini}")
  message(STATUS "Kept: ${ini}")
else()
  file(INSTALL "${TORVANE_SOURCE_DIR}/resources/torvane.ini" DESTINATION "${CMAKE_INSTALL_PREFIX}")
endif()

# The desktop entry starts the installed program by its absolute path, quoted as desktop entries
# want: \ " ` $ escaped inside the quotes, then every backslash doubled once more, and % doubled.
# An archive is unpacked anywhere: its entry names the program alone, and add-to-menu writes the
# path once the folder has its place.
if(DEFINED ENV{TORVANE_PACKING_ARCHIVE})
  set(exec torvane)
else()
  # A relative --prefix is taken from the folder the install runs in, as file(INSTALL) takes it.
  get_filename_component(folder "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  set(exec "${folder}/torvane")
  if(exec MATCHES "\n")
    message(FATAL_ERROR "A desktop entry cannot name a folder whose name holds a line break.")
  endif()
  string(REGEX REPLACE "([\\\"`$])" "\\\\\\1" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
file(READ "${TORVANE_SOURCE_DIR}/resources/torvane.desktop.in" entry)
string(REPLACE "@EXEC@" "${exec}" entry "${entry}")
file(WRITE "${TORVANE_BINARY_DIR}/torvane.desktop" "${entry}")
file(INSTALL "${TORVANE_BINARY_DIR}/torvane.desktop" DESTINATION "${CMAKE_INSTALL_PREFIX}")
