# The effect's name, version and vendor, read from src/entry/effect_identity.h: the constants that
# already feed the PiPL, PluginDataEntryFunction and the About text also name the project, the
# Windows version resource and the installer, so a version bump is one edit in one file.
# Included before project(); the header is a configure dependency, so editing it re-runs CMake.
#
# Sets NEBULASTRA_VERSION (2.9.5), NEBULASTRA_FILE_VERSION (2.9.5.1, with the build number),
# NEBULASTRA_VERSION_{MAJOR,MINOR,BUGFIX,STAGE,BUILD}, NEBULASTRA_EFFECT_NAME,
# NEBULASTRA_DESCRIPTION, NEBULASTRA_VENDOR and NEBULASTRA_COPYRIGHT.

set(_identity ${CMAKE_CURRENT_LIST_DIR}/../src/entry/effect_identity.h)
file(READ ${_identity} _text)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_identity})

# _identity_value(VAR NAME): the value of "constexpr <type> NAME = <number>u;" or of
# "constexpr const char NAME[] = "<text>";".
function(_identity_value var name)
  if(_text MATCHES "constexpr[^=\n]*[ \t]${name}(\\[\\])?[ \t]*=[ \t]*\"([^\"\n]*)\"")
    set(${var} "${CMAKE_MATCH_2}" PARENT_SCOPE)
  elseif(_text MATCHES "constexpr[^=\n]*[ \t]${name}[ \t]*=[ \t]*([0-9]+)u?;")
    set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${_identity}: no constant ${name}")
  endif()
endfunction()

_identity_value(NEBULASTRA_VERSION_MAJOR kVersionMajor)
_identity_value(NEBULASTRA_VERSION_MINOR kVersionMinor)
_identity_value(NEBULASTRA_VERSION_BUGFIX kVersionBugfix)
_identity_value(NEBULASTRA_VERSION_STAGE kVersionStage)
_identity_value(NEBULASTRA_VERSION_BUILD kVersionBuild)
_identity_value(NEBULASTRA_EFFECT_NAME kEffectName)
_identity_value(NEBULASTRA_DESCRIPTION kDescription)
_identity_value(NEBULASTRA_VENDOR kVendor)
_identity_value(NEBULASTRA_COPYRIGHT kCopyright)

set(NEBULASTRA_VERSION
    "${NEBULASTRA_VERSION_MAJOR}.${NEBULASTRA_VERSION_MINOR}.${NEBULASTRA_VERSION_BUGFIX}")
set(NEBULASTRA_FILE_VERSION "${NEBULASTRA_VERSION}.${NEBULASTRA_VERSION_BUILD}")

unset(_identity)
unset(_text)
