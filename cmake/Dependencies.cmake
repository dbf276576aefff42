find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
# The graph's text: Pango picks each glyph from the first font that has it.
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)

# CMake 3.25's FindwxWidgets has no imported target, and each call overwrites its
# variables: copy them into an INTERFACE target after each call.
function(ardentine_wx_target name)
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(${name} INTERFACE ${wxWidgets_DEFINITIONS})
  target_compile_options(${name} INTERFACE ${wxWidgets_CXX_FLAGS})
  target_link_libraries(${name} INTERFACE ${wxWidgets_LIBRARIES})
endfunction()

find_package(wxWidgets 3.2 REQUIRED COMPONENTS base)
ardentine_wx_target(wx_base)

if(ARDENTINE_GUI)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS webview propgrid aui core base)
  ardentine_wx_target(wx_gui)
endif()
find_package(nlohmann_json 3 REQUIRED)
# Vectorised maths functions for the formulas' block evaluation.
pkg_check_modules(SLEEF REQUIRED IMPORTED_TARGET sleef)
