# Windows side of the installer: the engine (a library the tests link too)
# and the program.
add_library(zvu_engine STATIC update_log.cpp wow64.cpp environment.cpp file_replace.cpp replace_rules.cpp
            update_engine.cpp ui_framework.cpp)
target_link_libraries(zvu_engine PUBLIC zvu_rules_pure vix_foundation version winspool advapi32)

add_executable(zvupdate WIN32 zvupdate_main.cpp zvupdate.rc)
target_link_libraries(zvupdate PRIVATE zvu_engine comctl32 user32 gdi32)
target_include_directories(zvupdate PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_source_files_properties(zvupdate.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/zvupdate.ico;${CMAKE_CURRENT_SOURCE_DIR}/zvupdate.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resource.h")
vix_deliverable(zvupdate FILENAME zvupdate.exe DESCRIPTION "Module installer")
