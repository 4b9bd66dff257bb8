# Debian's hardening flags, as dpkg-buildflags gives them to every package build: fortified
# library calls, the strong stack protector, and full RELRO (-z relro and -z now). The .deb
# is packed from this build, so the programs in it carry them. Only the flags that
# hardening adds are taken (those of hardening=+all less those of hardening=-all), so that
# optimisation and debugging stay the build type's. Debian's format feature is left out:
# -Wall checks every format string already, and its -Werror=format-security also rejects
# a literal format passed on through a helper with no arguments. None of this on Windows,
# without dpkg-buildflags, or under the sanitizers, which fortified calls disturb.
option(HUSHMAKER_HARDENING "Build with Debian's hardening flags where dpkg-buildflags exists" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)

# hushmaker_build_flags(<variable> <kind> <hardening option>): dpkg-buildflags --get <kind>.
function(hushmaker_build_flags variable kind hardening)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=${hardening} ${DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(${variable} ${flags} PARENT_SCOPE)
endfunction()

if(HUSHMAKER_HARDENING AND DPKG_BUILDFLAGS AND NOT WIN32 AND NOT HUSHMAKER_SANITIZE)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    hushmaker_build_flags(hardened ${kind} hardening=+all,-format)
    hushmaker_build_flags(plain ${kind} hardening=-all)
    list(REMOVE_ITEM hardened ${plain})
    if(kind STREQUAL LDFLAGS)
      add_link_options(${hardened})
    else()
      add_compile_options(${hardened})
    endif()
  endforeach()
endif()
