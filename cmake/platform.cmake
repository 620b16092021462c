# tvk_platform_sources(OUT DIR): the .cpp files of DIR that belong to the
# target system. The one rule for platform code everywhere: a file whose
# name ends in _win belongs to Windows only, one ending in _posix to the
# others only, every other file to all.
function(tvk_platform_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
