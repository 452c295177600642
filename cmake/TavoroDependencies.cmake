# Third-party libraries: wxWidgets (GUI, sockets, threads, config), Botan 2 (crypto, Base64).

# The core library is built against wxBase/wxNet only, so any GUI include there fails to build.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS net base)
add_library(tavoro_wx_base INTERFACE)
target_include_directories(tavoro_wx_base SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tavoro_wx_base INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(tavoro_wx_base INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(tavoro_wx_base INTERFACE ${wxWidgets_LIBRARIES})

unset(wxWidgets_LIBRARIES)
find_package(wxWidgets 3.2 REQUIRED COMPONENTS html net core base)
add_library(tavoro_wx_gui INTERFACE)
target_include_directories(tavoro_wx_gui SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tavoro_wx_gui INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(tavoro_wx_gui INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(tavoro_wx_gui INTERFACE ${wxWidgets_LIBRARIES})

find_package(PkgConfig REQUIRED)
pkg_check_modules(BOTAN REQUIRED IMPORTED_TARGET botan-2)
find_package(Threads REQUIRED)

# Desktop sounds (chat requests) through the desktop's sound service.
pkg_check_modules(CANBERRA REQUIRED IMPORTED_TARGET libcanberra)
# The desktop keyring (Secret Service), used by the application only.
pkg_check_modules(SECRET REQUIRED IMPORTED_TARGET libsecret-1)

# The desktop's idle time (the X screen saver extension), for the inactivity rules.
pkg_check_modules(XSS REQUIRED IMPORTED_TARGET xscrnsaver x11)

# Spell checking on the chat window's GTK text view; the window layer links it, never the core.
pkg_check_modules(GSPELL REQUIRED IMPORTED_TARGET gspell-1)

# The main window's taskbar mark (urgency hint), set on its GTK window directly.
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
