# The shipped program driven from outside: save-manager.exe is copied into a fresh folder, started as its
# own process, and its real window is worked through a player's session while the folders are checked on
# disk after every step.
add_executable(win32_session_tests
    test_session.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/temp_folder.cpp
)
target_include_directories(win32_session_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src/app/win32)
target_compile_definitions(win32_session_tests PRIVATE "SM_SAVE_MANAGER_EXE=\"$<TARGET_FILE:save-manager>\"")
# Only the text conversions of the core are used; the program under test brings its own.
target_link_libraries(win32_session_tests PRIVATE save_manager_core GTest::gtest_main user32)
add_dependencies(win32_session_tests save-manager)
add_test(NAME win32_session_tests COMMAND win32_session_tests)
