# The loadable plug-in Quodline.so and its per-user install bundle.
#
# The module is the module's top, quodl_app, compiled in whole so that acrxEntryPoint survives the link; the
# subsystems below it come from their static libraries as far as the top reaches into them.
add_library(Quodline MODULE $<TARGET_OBJECTS:quodl_app>)
target_link_libraries(Quodline PRIVATE quodl_app)
set_target_properties(Quodline PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME "Quodline")
# Only the entry point is the host's business. The work-active flags, the call-trace hook and the requests the
# panels leave for the locate, mark and print commands stay visible so that the integration tests' helper module
# can find them by name; nothing else leaves the module.
set(quodl_module_exports ${CMAKE_CURRENT_LIST_DIR}/module_exports.map)
target_link_options(Quodline PRIVATE
  -Wl,--version-script=${quodl_module_exports} -Wl,--no-undefined)
set_property(TARGET Quodline APPEND PROPERTY LINK_DEPENDS ${quodl_module_exports})

# The per-user install layout, as the host finds it under ApplicationAddins.
set(QUODL_BUNDLE_DIR ${CMAKE_BINARY_DIR}/bundle/Quodline.bundle)
set_target_properties(Quodline PROPERTIES QUODL_BUNDLE_DIR ${QUODL_BUNDLE_DIR})
set(quodl_package_contents ${CMAKE_CURRENT_LIST_DIR}/PackageContents.xml)
add_custom_command(TARGET Quodline POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUODL_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUODL_BUNDLE_DIR}/Contents/Linux
  COMMAND ${CMAKE_COMMAND} -E copy ${quodl_package_contents} ${QUODL_BUNDLE_DIR}/PackageContents.xml
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quodline> ${QUODL_BUNDLE_DIR}/Contents/Linux/Quodline.so
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUODL_BUNDLE_DIR}/Contents/Resources
  COMMAND $<TARGET_FILE:make_plot_styles> --lite ${QUODL_BUNDLE_DIR}/Contents/Resources
  COMMENT "Laying out Quodline.bundle"
  VERBATIM)
set_property(TARGET Quodline APPEND PROPERTY LINK_DEPENDS ${quodl_package_contents})
# The compact export's monochrome plot style, written into the bundle's resources as it is laid out.
add_dependencies(Quodline make_plot_styles)

# `cmake --build <dir> --target install-plugin` or `cmake --install <dir> --component plugin` puts the bundle
# where the host autoloads it.
set(quodl_install_script ${CMAKE_CURRENT_LIST_DIR}/install_bundle.cmake)
add_custom_target(install-plugin
  COMMAND ${CMAKE_COMMAND} -DQUODL_BUNDLE_DIR=${QUODL_BUNDLE_DIR} -P ${quodl_install_script}
  DEPENDS Quodline
  VERBATIM)
install(CODE "set(QUODL_BUNDLE_DIR \"${QUODL_BUNDLE_DIR}\")" COMPONENT plugin)
install(SCRIPT ${quodl_install_script} COMPONENT plugin)
