# Copies the built Quodline.bundle into the per-user ApplicationAddins folder, where the host autoloads it.
# Run as a script (HOME is read when it runs): cmake -DQUODL_BUNDLE_DIR=<build>/bundle/Quodline.bundle -P …
# An older copy is replaced whole, so no stale file of it survives.
if(NOT QUODL_BUNDLE_DIR OR NOT EXISTS "${QUODL_BUNDLE_DIR}/PackageContents.xml")
  message(FATAL_ERROR "No built Quodline.bundle at '${QUODL_BUNDLE_DIR}': build the Quodline target first.")
endif()
if("$ENV{HOME}" STREQUAL "")
  message(FATAL_ERROR "HOME is not set; cannot find the per-user ApplicationAddins folder.")
endif()
set(addins "$ENV{HOME}/Library/Application Support/Autodesk/ApplicationAddins")
file(MAKE_DIRECTORY "${addins}")
file(REMOVE_RECURSE "${addins}/Quodline.bundle")
file(COPY "${QUODL_BUNDLE_DIR}" DESTINATION "${addins}")
message(STATUS "Installed Quodline.bundle into ${addins}")
