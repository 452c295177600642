# Desktop integration and the Debian packages.
#
# Everything installed belongs to the component "client" (the default), except the demo server,
# which is the component "demo". `cpack -G DEB` in the build directory makes one package of each:
#   tavoro-client_<version>_<arch>.deb and tavoro-demo-server_<version>_<arch>.deb
# with their dependencies computed from the binaries (dpkg-shlibdeps). scripts/package.sh
# builds them and checks them as CI does.

find_program(GZIP_EXECUTABLE gzip REQUIRED)

# The date of the release named in the metadata, the manual pages and the changelog; follows
# SOURCE_DATE_EPOCH when it is set, so a rebuild gives the same files.
string(TIMESTAMP TAVORO_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP TAVORO_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(data_out ${PROJECT_BINARY_DIR}/data)
configure_file(data/org.tavoro.Client.metainfo.xml ${data_out}/org.tavoro.Client.metainfo.xml
               @ONLY)

# Manual pages and the changelog are installed compressed, as Debian wants them.
set(compressed)
foreach(in IN ITEMS man/tavoro.1 man/tavoro-demo-server.1 debian/changelog)
  get_filename_component(name ${in} NAME)
  configure_file(data/${in} ${data_out}/${name} @ONLY)
  add_custom_command(OUTPUT ${data_out}/${name}.gz
    COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${data_out}/${name} > ${data_out}/${name}.gz
    DEPENDS ${data_out}/${name} ${PROJECT_SOURCE_DIR}/data/${in}
    VERBATIM)
  list(APPEND compressed ${data_out}/${name}.gz)
endforeach()
add_custom_target(desktop_data ALL DEPENDS ${compressed})

install(FILES data/tavoro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_out}/org.tavoro.Client.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY data/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES data/icon-src/tavoro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${data_out}/tavoro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data_out}/tavoro-demo-server.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT demo)
foreach(package_component IN ITEMS "tavoro-client;client" "tavoro-demo-server;demo")
  list(GET package_component 0 package)
  list(GET package_component 1 component)
  install(FILES data/debian/copyright ${data_out}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavoro)
set(CPACK_PACKAGE_VENDOR "Tavoro developers")
set(CPACK_PACKAGE_CONTACT "Tavoro developers <maintainers@tavoro.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client demo)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME tavoro-client)
set(CPACK_DEBIAN_DEMO_PACKAGE_NAME tavoro-demo-server)
set(CPACK_DEBIAN_DEMO_PACKAGE_SECTION misc)
# The toolkit's own translations (dialog buttons and the like) are welcome, not needed.
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "wx3.2-i18n")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "visitor monitoring and live chat console for operators
The desktop console of a live-chat and visitor-monitoring service. An
operator keeps it open all day: it connects to the company's monitoring
server, shows the monitored web sites and their live visitors, and runs the
chats with them.")
set(CPACK_COMPONENT_DEMO_DESCRIPTION
    "local monitoring server for trying out the Tavoro client
Plays the monitoring server on 127.0.0.1 with made-up web sites, visitors
and chats, so that the client can be tried and tested without a real
service.")
include(CPack)
