# The Windows installer: Nebulastra-<version>-win64.msi, built by wixl (msitools) from
# packaging/Nebulastra.wxs whenever the plug-in changes. Its version, names and vendor come from the
# effect's identity constants (cmake/EffectVersion.cmake); the installer's own identity is below.
# Windows builds only.

# Windows Installer recognises an installed Nebulastra of any version by this code, so a newer
# package replaces an older one instead of installing beside it. Never change it.
set(NEBULASTRA_MSI_UPGRADE_CODE "B781574B-C4F0-4CA0-8B3E-11DA9FAC0F4E")

find_program(NEBULASTRA_WIXL wixl)
if(NOT NEBULASTRA_WIXL)
  message(WARNING "wixl not found: no installer is built (Debian packages wixl and msitools)")
  return()
endif()

set(NEBULASTRA_INSTALLER_DIR ${CMAKE_BINARY_DIR}/installer)

# nebulastra_msi(TARGET FILE_VERSION OUTPUT): a target building a package of the plug-in that calls
# itself FILE_VERSION. Every file version gets its own product code, derived from the upgrade code
# and the version, so rebuilding one version always yields the same product.
function(nebulastra_msi target file_version output)
  string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" version "${file_version}")
  string(UUID product_code NAMESPACE ${NEBULASTRA_MSI_UPGRADE_CODE}
         NAME "${NEBULASTRA_EFFECT_NAME} ${file_version}" TYPE SHA1 UPPER)
  set(wxs ${CMAKE_SOURCE_DIR}/packaging/Nebulastra.wxs)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${NEBULASTRA_WIXL} --arch x64 -o ${output}
            -D ProductCode=${product_code}
            -D UpgradeCode=${NEBULASTRA_MSI_UPGRADE_CODE}
            -D Version=${version}
            -D FileVersion=${file_version}
            -D EffectName=${NEBULASTRA_EFFECT_NAME}
            -D Vendor=${NEBULASTRA_VENDOR}
            "-D" "Description=${NEBULASTRA_DESCRIPTION}"
            -D PluginFile=$<TARGET_FILE_NAME:Nebulastra>
            ${wxs}
    # wixl finds a source file by a path relative to where it runs, not by an absolute one.
    WORKING_DIRECTORY $<TARGET_FILE_DIR:Nebulastra>
    DEPENDS Nebulastra $<TARGET_FILE:Nebulastra> ${wxs}
    COMMENT "Packaging ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

set(NEBULASTRA_MSI_FILE ${NEBULASTRA_INSTALLER_DIR}/Nebulastra-${NEBULASTRA_VERSION}-win64.msi)
nebulastra_msi(msi ${NEBULASTRA_FILE_VERSION} ${NEBULASTRA_MSI_FILE})

# For the installer test only: the same plug-in packaged as the next bug-fix version, to show that
# it replaces this one and that this one then refuses to downgrade it.
math(EXPR _next_bugfix "${NEBULASTRA_VERSION_BUGFIX} + 1")
set(NEBULASTRA_MSI_NEXT_VERSION
    "${NEBULASTRA_VERSION_MAJOR}.${NEBULASTRA_VERSION_MINOR}.${_next_bugfix}.${NEBULASTRA_VERSION_BUILD}")
set(NEBULASTRA_MSI_NEXT_FILE ${NEBULASTRA_INSTALLER_DIR}/test/Nebulastra-next-win64.msi)
nebulastra_msi(msi_next_version ${NEBULASTRA_MSI_NEXT_VERSION} ${NEBULASTRA_MSI_NEXT_FILE})
unset(_next_bugfix)
