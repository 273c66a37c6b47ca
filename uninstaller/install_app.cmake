# Copies the built "Quodline Uninstaller.app" into the user's Applications folder, replacing an older copy whole.
# Run as a script (HOME is read when it runs): cmake -DQUODL_UNINSTALLER_APP=<build>/bundle/Quodline Uninstaller.app -P …
if(NOT QUODL_UNINSTALLER_APP OR NOT EXISTS "${QUODL_UNINSTALLER_APP}/Contents/Info.plist")
  message(FATAL_ERROR "No built uninstaller at '${QUODL_UNINSTALLER_APP}': build quodline-uninstaller first.")
endif()
if("$ENV{HOME}" STREQUAL "")
  message(FATAL_ERROR "HOME is not set; cannot find the Applications folder.")
endif()
set(applications "$ENV{HOME}/Applications")
file(MAKE_DIRECTORY "${applications}")
file(REMOVE_RECURSE "${applications}/Quodline Uninstaller.app")
file(COPY "${QUODL_UNINSTALLER_APP}" DESTINATION "${applications}")
message(STATUS "Installed Quodline Uninstaller.app into ${applications}")
